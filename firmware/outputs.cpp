#include "firmware/firmware.h"

#include <iterator>

#include "board/analogue.h"
#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "firmware/supervision.h"

namespace {

// The transmission device relay has no option byte.
constexpr uint8_t transmissionDeviceOptions = outputTypeFireRouting | outputObeysDelays;

// A monitored relay line reads between these when healthy.
constexpr int32_t relayLineLow = 400;
constexpr int32_t relayLineHigh = 800;
// Above this the relay 2 monitor channel is pulled up: no board or the test signal.
constexpr int32_t relayMonitorHigh = 1000;

constexpr uint8_t kindUnchanged = 0xFF;
struct DetectionStep {
  uint8_t test;
  uint8_t next;
  uint8_t kind;
};
// By step, then by whether the relay 2 monitor reads high.
constexpr DetectionStep detectionSteps[5][2] = {
    {{relayTestRelease, 0, kindUnchanged}, {relayTestRelease, 1, relayBoardAbsent}},
    {{relayTestRelease, 0, relayBoardMonitored}, {relayTestPullLow, 2, kindUnchanged}},
    {{relayTestPullHigh, 3, kindUnchanged}, {relayTestRelease, 1, relayBoardAbsent}},
    {{relayTestRelease, 0, relayBoardMonitored}, {relayTestPullLow, 4, relayBoardUnmonitored}},
    {{relayTestPullHigh, 3, kindUnchanged}, {relayTestRelease, 1, relayBoardAbsent}},
};

}  // namespace

void Firmware::NoteDelayable(uint8_t options) {
  if (options & outputObeysDelays) panel.delayState |= delayableOutputs;
}

bool Firmware::HeldByDelay(uint8_t options) { return options & outputObeysDelays && panel.delayState & delayRunning; }

bool Firmware::SounderDecision(uint8_t options) {
  if (panel.outputDisables & soundersDisabled || panel.fwpState & fwpSoundersDisabled) return false;
  if (panel.delayState & inputEvacuate) return true;
  if (panel.sounderState & soundersSilenced) return false;
  if (panel.sounderState & soundersEvacuate) return true;
  if (panel.zonesInFire && !HeldByDelay(options)) return true;
  // The alert tone: 1 s on, 1 s off.
  return panel.delayState & inputAlert && panel.flashTimer & flash1s;
}

bool Firmware::SounderDemand(uint8_t options) {
  NoteDelayable(options);
  if (!SounderDecision(options)) return false;
  panel.fwpState |= soundersActive;
  return true;
}

// Once activated, fire routing stays on until a reset, whatever the disablements.
bool Firmware::FireRoutingDemand(uint8_t output, uint8_t options) {
  NoteDelayable(options);
  const uint8_t bit = ZoneBit(output);
  if (panel.routingActivated & bit) return true;
  if (panel.outputDisables & fireRoutingDisabled || panel.fwpState & fwpRoutingDisabled) return false;
  // Only a latching fire activates routing.
  if (panel.zonesInFire && panel.panelMode & latchingFire && !HeldByDelay(options)) {
    panel.routingActivated |= bit;
    return true;
  }
  return panel.fwpState & fwpRoutingTest;
}

// Energised while healthy, so a broken path signals a fault too.
bool Firmware::FaultRoutingDemand() {
  if (panel.outputDisables & faultRoutingDisabled) return true;
  return !panel.systemFaults && !panel.systemFaults2 && !panel.zonesFaultDetected;
}

uint8_t Firmware::OutputOptions(uint8_t output) {
  if (output == outputTransmissionDevice) return transmissionDeviceOptions;
  return ReadConfig(uint8_t(cfgOutputOptions + output));
}

// A sounder's wiring is checked only while the sounder is off.
void Firmware::CheckSounderLine(uint8_t output, uint8_t power, uint8_t drive, bool healthy) {
  if (!(power & drive)) OutputLineCheck(output, healthy);
}

uint8_t Firmware::DriveSounder(uint8_t power, uint8_t output, uint8_t drive) {
  return OutputDemand(output) ? uint8_t(power | drive) : uint8_t(power & ~drive);
}

bool Firmware::SounderDriven(uint8_t power) {
  return (power & pwrSounder1Drive) == pwrSounder1Drive || (power & pwrSounder2Drive) == pwrSounder2Drive;
}

uint8_t Firmware::DriveBoardRelays() {
  uint8_t relays = 0;
  if (OutputDemand(outputRelay1)) {
    relays |= relayArg1;
    panel.sounderState |= output3Active;
  }
  if (OutputDemand(outputRelay2)) {
    relays |= relayArg2;
    panel.sounderState |= output4Active;
  }
  return relays;
}

uint8_t Firmware::VdsRelays() {
  uint8_t relays = 0;
  if (OutputDemand(outputTransmissionDevice)) relays |= relayArgTransmissionDevice;
  if (panel.outputDisables & fireRoutingDisabled || panel.fwpState & fwpRoutingDisabled) {
    relays |= relayArgFireOutputDisabled;
  }
  if (panel.routingActivated) relays |= relayArgFireOutputActive;
  return relays;
}

void Firmware::UpdateRelays() {
  // The active flags describe the previous pass: a driven relay's line is not checked.
  const bool relay1WasActive = panel.sounderState & output3Active;
  const bool relay2WasActive = panel.sounderState & output4Active;
  panel.sounderState &= ~(output3Active | output4Active);
  uint8_t relays = 0;
  const uint8_t kind = DetectRelayBoard();
  if (kind == relayBoardMonitored) {
    RelayLineCheck(outputRelay1, relay1WasActive);
    RelayLineCheck(outputRelay2, relay2WasActive);
  }
  if (kind != relayBoardAbsent) relays = DriveBoardRelays();
  if (HardwareRequest(READ_VDS_MODE, 0)) relays |= VdsRelays();
  HardwareRequest(SET_RELAYS, relays);
}

void Firmware::UpdateOutputs() {
  const uint8_t monitor = uint8_t(HardwareRequest(READ_MONITOR_INPUTS, 0));
  uint8_t power = uint8_t(HardwareRequest(READ_POWER_OUTPUTS, 0));
  panel.delayState &= ~delayableOutputs;
  panel.fwpState &= ~soundersActive;
  CheckSounderLine(outputSounder1, power, pwrSounder1Drive, monitor & monSounder1Healthy);
  CheckSounderLine(outputSounder2, power, pwrSounder2Drive, monitor & monSounder2Healthy);
  power = DriveSounder(power, outputSounder1, pwrSounder1Drive);
  power = DriveSounder(power, outputSounder2, pwrSounder2Drive);
  HardwareRequest(SET_POWER_OUTPUTS, power);
  UpdateRelays();
  HardwareRequest(SET_SOUNDER_SUPPLY, SounderDriven(power) ? 1 : 0);
}

bool Firmware::OutputDemand(uint8_t output) {
  if (panel.panelMode & engineeringMode) return false;
  const uint8_t options = OutputOptions(output);
  switch (options & outputTypeMask) {
    case outputTypeSounder: return SounderDemand(options);
    case outputTypeFireRouting: return FireRoutingDemand(output, options);
    case outputTypeFaultRouting: return FaultRoutingDemand();
    default: return false;
  }
}

void Firmware::OutputLineCheck(uint8_t output, bool healthy) {
  if (output >= outputCount) return;
  const uint8_t limit = FaultLimit();
  uint8_t& count = panel.outputFaultCount[output];
  const bool bad = !healthy && !(panel.panelMode & engineeringMode);
  count = bad ? CountUp(count, limit) : CountDown(count);
  // Only a bad line latches: a count falling onto a lowered limit does not.
  if (!bad || count != limit) return;
  // Fault routing wiring is not reported.
  switch (OutputOptions(output) & outputTypeMask) {
    case outputTypeSounder: LatchFault(panel.systemFaults, sounderLineFault); break;
    case outputTypeFireRouting: LatchFault(panel.systemFaults2, routingLineFault); break;
    default: break;
  }
}

void Firmware::RelayLineCheck(uint8_t output, bool active) {
  if (active || (output != outputRelay1 && output != outputRelay2)) return;
  const uint8_t channel = output == outputRelay1 ? channelRelay1Monitor : channelRelay2Monitor;
  const int32_t reading = HardwareRequest(READ_ANALOGUE, channel);
  OutputLineCheck(output, reading > relayLineLow && reading < relayLineHigh);
}

uint8_t Firmware::DetectRelayBoard() {
  const bool high = HardwareRequest(READ_ANALOGUE, channelRelay2Monitor) > relayMonitorHigh;
  uint8_t step = panel.relayBoardState & relayBoardStepMask;
  if (step >= std::size(detectionSteps)) step = 0;
  const DetectionStep& next = detectionSteps[step][high ? 1 : 0];
  uint8_t kind = uint8_t(panel.relayBoardState >> relayBoardKindShift);
  if (next.kind != kindUnchanged) kind = next.kind;
  panel.relayBoardState = uint8_t(kind << relayBoardKindShift | next.next);
  HardwareRequest(SET_RELAY_TEST, next.test);
  return kind;
}
