#include "firmware/firmware.h"

#include "board/analogue.h"
#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "firmware/supervision.h"
#include "firmware/zone_scanning.h"

namespace {

constexpr uint8_t chargingOutputs = pwrBatteryConnect | pwrChargerEnable;

}  // namespace

uint8_t Firmware::MainsLossCount() { return uint8_t((panel.batteryTestState & mainsLossCountMask) / mainsLossCountStep); }

void Firmware::SetMainsLossCount(uint8_t count) {
  panel.batteryTestState = uint8_t((panel.batteryTestState & ~mainsLossCountMask) | count * mainsLossCountStep);
}

// About 1 s of mains loss puts the panel on battery; as long of mains presence takes it off.
void Firmware::DebounceMains(bool mainsPresent) {
  const uint8_t count = MainsLossCount();
  if (mainsPresent) {
    if (count == 0) panel.batteryTestState &= ~onBattery;
    else SetMainsLossCount(count - 1);
    return;
  }
  if (count == mainsLossLimit) panel.batteryTestState |= onBattery;
  else SetMainsLossCount(count + 1);
}

bool Firmware::ChargerIsGood() { return panel.chargerLevelFiltered > batteryLowLevel; }

uint8_t Firmware::Charge(uint8_t power) { return uint8_t((power & ~pwrBatteryTestLoad) | chargingOutputs); }

uint8_t Firmware::LoadTest(uint8_t power) { return uint8_t((power & ~chargingOutputs) | pwrBatteryTestLoad); }

// On battery or with a sounder on: charger off, no load. The regime is left
// opposite to the present one so that the next cycle starts afresh.
uint8_t Firmware::HoldBatteryTest(uint8_t power) {
  uint8_t& state = panel.batteryTestState;
  // A deeply discharged battery is cut off for good.
  if (state & onBattery && panel.batteryLevelFiltered < batteryLowLevel) power |= pwrBatteryCutOff;
  AssignFlags(state, chargerGood, !ChargerIsGood());
  state &= ~chargePhase;
  return uint8_t(power & ~(chargingOutputs | pwrBatteryTestLoad));
}

uint8_t Firmware::StartCycle(uint8_t power, bool good) {
  AssignFlags(panel.batteryTestState, chargerGood, good);
  panel.batteryTestState |= chargePhase;
  panel.batteryTestTimer = firstChargeTicks;
  return Charge(power);
}

void Firmware::MonitorPowerSupply() {
  ReferenceSupplyCheck();
  const uint8_t monitor = uint8_t(HardwareRequest(READ_MONITOR_INPUTS, 0));
  const uint8_t power = uint8_t(HardwareRequest(READ_POWER_OUTPUTS, 0));
  const bool mainsFailed = monitor & monMainsFailed;
  const bool chargerSelected = power & pwrChargerEnable;
  FilterSupplyReading(chargerSelected);
  MainsCheck(mainsFailed);
  BatteryCheck(mainsFailed, chargerSelected && monitor & monChargerFault);
  HardwareRequest(SET_POWER_OUTPUTS, BatteryTestSequencer(power, !mainsFailed));
}

void Firmware::ReferenceSupplyCheck() {
  FilterFault(panel.referenceFaultCount, !ReferenceHealthy(), FaultLimit(), panel.systemFaults, referenceFault);
}

void Firmware::FilterSupplyReading(bool chargerSelected) {
  const int32_t reading = HardwareRequest(READ_ANALOGUE, channelBatteryCharger);
  SharedU16& level = chargerSelected ? panel.chargerLevelFiltered : panel.batteryLevelFiltered;
  level = uint16_t(uint32_t(level) * 7 / 8 + uint32_t(reading));
}

void Firmware::MainsCheck(bool mainsFailed) {
  FilterFault(panel.mainsFaultCount, mainsFailed, FaultLimit(), panel.systemFaults, mainsFault);
}

void Firmware::BatteryCheck(bool mainsFailed, bool chargerFaultSignal) {
  const uint16_t battery = panel.batteryLevelFiltered;
  const uint16_t batteryLow = mainsFailed ? batteryLowMainsFailed : batteryLowLevel;
  bool bad = battery > supplyTooHigh || battery < batteryLow;
  uint8_t limit = batteryRangeLimit;
  if (!bad) {
    const uint16_t charger = panel.chargerLevelFiltered;
    const bool chargerOutOfRange = charger > supplyTooHigh || charger < chargerTooLow;
    bad = (!mainsFailed && chargerOutOfRange) || chargerFaultSignal;
    limit = FaultLimit();
  }
  FilterFault(panel.batteryFaultCount, bad, limit, panel.systemFaults, batteryFault);
}

uint8_t Firmware::BatteryTestSequencer(uint8_t power, bool mainsPresent) {
  DebounceMains(mainsPresent);
  uint8_t& state = panel.batteryTestState;
  if (state & onBattery || panel.fwpState & soundersActive) return HoldBatteryTest(power);
  const bool good = ChargerIsGood();
  if (good != bool(state & chargerGood)) return StartCycle(power, good);
  if (--panel.batteryTestTimer != 0) return power;
  if (state & chargePhase) {
    state &= ~chargePhase;
    panel.batteryTestTimer = good ? goodLoadTicks : lowLoadTicks;
    return LoadTest(power);
  }
  state |= chargePhase;
  panel.batteryTestTimer = good ? goodChargeTicks : lowChargeTicks;
  return Charge(power);
}
