#include "firmware/firmware.h"

#include "board/analogue.h"
#include "board/hardware_interface.h"
#include "firmware/buzzer_display.h"
#include "firmware/delays.h"
#include "firmware/disablement.h"
#include "firmware/fire_brigade.h"
#include "firmware/inputs.h"
#include "firmware/keys.h"
#include "firmware/monitors.h"
#include "firmware/outputs.h"
#include "firmware/panel_state.h"
#include "firmware/power_supply.h"
#include "firmware/zone_scanning.h"

namespace {

using Task = void (Firmware::*)();

constexpr Task tasks20ms[] = {
    &Firmware::FilterReference,
    &Firmware::ScanZone,
    &Firmware::HandleFrontPanelKeys,
    &Firmware::UpdateIndications,
};

constexpr Task tasks50ms[] = {
    &Firmware::AccessInputsTask,
    &Firmware::InputsTask,
    &Firmware::SelectionTimeoutTask,
    &Firmware::FwpCommandTask,
    &Firmware::TestZoneAutoReset,
    &Firmware::DelayTask,
    &Firmware::UpdateOutputs,
    &Firmware::MonitorPowerSupply,
    &Firmware::AuxSupplyMonitor,
    &Firmware::EarthFaultMonitor,
    &Firmware::ConfigCheckStep,
    &Firmware::ProgramCheckStep,
    &Firmware::DriveBuzzer,
    &Firmware::UpdateAlarmCounterDisplay,
    &Firmware::FwpOutputTask,
    &Firmware::FlashTimerTask,
};

// Program memory: two copies of the stored checksum, the second skipped by the sum.
constexpr uint16_t programCheckStart = 2;
constexpr uint16_t programSecondWord = 0x3000;

template <size_t N>
void RunTasks(Firmware& firmware, const Task (&tasks)[N]) {
  for (Task task : tasks) (firmware.*task)();
}

}  // namespace

uint16_t Firmware::StoredWord(uint16_t offset) { return uint16_t(programImage[offset] | programImage[offset + 1] << 8); }

void Firmware::FirmwareStart() {
  panel.outputDisables = ReadConfig(cfgOutputDisables);
  RunProgramCheckPass();
}

void Firmware::FirmwarePass() {
  if (HardwareRequest(TAKE_TICK_20MS, 0)) RunTasks(*this, tasks20ms);
  if (HardwareRequest(TAKE_TICK_50MS, 0)) RunTasks(*this, tasks50ms);
  HardwareRequest(WATCHDOG_SERVICE, 0);
}

void Firmware::FilterReference() {
  const int32_t reading = HardwareRequest(READ_ANALOGUE, channelReference);
  panel.referenceLevel = uint16_t(panel.referenceLevel * 3 / 4 + reading);
}

void Firmware::ProgramCheckStep() {
  if (panel.systemFaults & programCheckFault || panel.panelMode & engineeringMode) return;
  panel.programCheckSum = uint16_t(panel.programCheckSum + programImage[panel.programCheckCursor]);
  ++panel.programCheckCursor;
  if (panel.programCheckCursor == programSecondWord) {
    panel.programCheckCursor = programSecondWord + 2;
    return;
  }
  if (panel.programCheckCursor != programImageSize) return;
  // The two stored words are added without truncation.
  const uint32_t stored = uint32_t(StoredWord(0)) + StoredWord(programSecondWord);
  if (stored != panel.programCheckSum) {
    panel.panelMode &= ~faultBuzzerMuted;
    panel.systemFaults |= programCheckFault;
  }
  panel.programCheckCursor = programCheckStart;
  panel.programCheckSum = 0;
}

void Firmware::RunProgramCheckPass() {
  panel.systemFaults &= ~programCheckFault;
  for (int i = 0; i < programImageSize; ++i) ProgramCheckStep();
}

void Firmware::PanelReset() {
  const uint8_t faultsBefore = panel.systemFaults;
  panel.panelMode &= ~engineeringMode;
  panel.routingActivated = 0;
  panel.sounderState &= ~fwpFaultRetries;
  panel.systemFaults = 0;
  panel.systemFaults2 = 0;
  panel.sounderState &= ~(soundersSilenced | soundersResounded | soundersEvacuate);
  panel.panelMode &= ~(faultBuzzerMuted | fireBuzzerMuted);
  ClearFireState();
  if (faultsBefore & programCheckFault) RunProgramCheckPass();
}
