#include "firmware/firmware.h"

#include "board/hardware_interface.h"
#include "firmware/disablement.h"
#include "firmware/panel_state.h"
#include "firmware/supervision.h"

namespace {

constexpr uint8_t fwpRetryStep = 0x20;  // one in the two-bit count of sounderState

}  // namespace

bool Firmware::Polled(uint8_t systemInputs) {
  if (panel.panelMode & engineeringMode || systemInputs & sysFaultLatch) return false;
  return !(panel.systemFaults2 & fwpLinkFault) && HardwareRequest(READ_VDS_MODE, 0);
}

// Retries the link twice, 10 s apart; the third fault since the reset latches.
void Firmware::LinkFault() {
  const uint8_t retries = uint8_t((panel.sounderState + fwpRetryStep) & fwpFaultRetries);
  panel.sounderState = uint8_t((panel.sounderState & ~fwpFaultRetries) | retries);
  if (retries == fwpRetriesToLatch * fwpRetryStep) LatchFault(panel.systemFaults2, fwpLinkFault);
  else fireBrigadeState.fwpPollTimer = fwpRetryTicks;
}

void Firmware::ResetCommand(bool operated) {
  if (!operated) {
    panel.fwpState &= ~fwpResetLatch;
    return;
  }
  if (panel.fwpState & fwpResetLatch) return;
  panel.fwpState |= fwpResetLatch;
  PanelReset();
}

void Firmware::SounderCommand(bool operated) {
  const bool disabled = panel.fwpState & fwpSoundersDisabled;
  if (operated && !disabled) {
    panel.fwpState |= fwpSoundersDisabled;
    panel.sounderState = uint8_t((panel.sounderState & ~soundersResounded) | soundersSilenced);
    panel.panelMode |= fireBuzzerMuted;
  } else if (!operated && disabled) {
    panel.fwpState &= ~fwpSoundersDisabled;
    panel.sounderState &= ~soundersSilenced;
    panel.panelMode &= ~fireBuzzerMuted;
    if (!panel.zonesInFire) return;
    // Releasing the switch during a fire lifts a disablement made at the panel too.
    ClearOutputDisables(soundersDisabled);
    panel.sounderState |= soundersResounded;
  }
}

void Firmware::ActOnCommands(uint8_t commands) {
  ResetCommand(commands & fwpResetPanel);
  // The test is ruled by the disablement as it stood before this tick's switches.
  const bool routingBlocked = panel.outputDisables & fireRoutingDisabled || panel.fwpState & fwpRoutingDisabled;
  AssignFlags(panel.fwpState, fwpRoutingTest, commands & fwpTestTd && !routingBlocked);
  SounderCommand(commands & fwpSounderDisabled);
  AssignFlags(panel.fwpState, fwpRoutingDisabled, commands & fwpTdDisabled);
}

// The acknowledge input shows even during a routing test.
bool Firmware::TdTriggered() {
  if (panel.delayState & inputRoutingAck) return true;
  return !(panel.fwpState & fwpRoutingTest) && panel.routingActivated;
}

uint8_t Firmware::ReadFwpCommands() {
  if (!Polled(uint8_t(HardwareRequest(READ_SYSTEM_INPUTS, 0)))) {
    fireBrigadeState.fwpPollTimer = fwpPollIdle;
    return 0;
  }
  if (fireBrigadeState.fwpPollTimer) return 0;
  const uint8_t switches = uint8_t(HardwareRequest(READ_FWP_INPUTS, 0));
  if (!(switches & fwpLinkFaultInput)) return uint8_t(~switches);
  LinkFault();
  return 0;
}

void Firmware::FwpCommandTask() {
  const uint8_t commands = ReadFwpCommands();
  // A command acts once it has been read the same on two ticks.
  if (commands == fireBrigadeState.fwpLastCommand) ActOnCommands(commands);
  fireBrigadeState.fwpLastCommand = commands;
}

uint8_t Firmware::FwpOutputImage() {
  uint8_t image = 0;
  if (panel.outputDisables & fireRoutingDisabled || panel.fwpState & fwpRoutingDisabled) image |= fwpLedTdDisabled;
  if (panel.zonesInFire) image |= fwpLedResetPanel;
  if (panel.outputDisables & soundersDisabled || panel.fwpState & fwpSoundersDisabled) image |= fwpLedSounderDisabled;
  if (TdTriggered()) image |= fwpLedTdTriggered;
  return image;
}

void Firmware::FwpOutputTask() {
  uint8_t out = 0;
  if (!(panel.panelMode & engineeringMode) && !(panel.systemFaults2 & fwpLinkFault)) {
    uint8_t& timer = fireBrigadeState.fwpPollTimer;
    // The tick the wait ends the unit keeps its outputs; it is polled on the next.
    if (timer && --timer == 0) return;
    if (timer < fwpPollIdle) out = fwpLedOperating | FwpOutputImage();
  }
  HardwareRequest(SET_FWP_OUTPUTS, out);
}
