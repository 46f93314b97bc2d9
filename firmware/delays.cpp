#include "firmware/firmware.h"

#include "firmware/disablement.h"
#include "firmware/panel_state.h"

uint8_t Firmware::FirstStageField(uint8_t config) { return uint8_t((config & delayFirstStageMask) >> 4); }
uint8_t Firmware::SecondStageField(uint8_t config) { return config & delaySecondStageMask; }

// Releases the delayed outputs for the present fire.
void Firmware::EndDelay() {
  panel.delayState |= delayEnded;
  panel.delayState &= ~delayRunning;
}

void Firmware::StartFirstStage() {
  panel.delayState |= delayRunning;
  const uint8_t first = FirstStageField(DelayConfig());
  panel.delayTimer = uint16_t(first * firstStageStepTicks);
  // Without a first stage the delay is the second stage alone.
  if (first == 0) StartExtendedDelay();
}

void Firmware::DelayTask() {
  const uint8_t state = panel.delayState;
  if (!panel.zonesInFire) {
    if (!(state & (delayEnded | delayRunning))) return;
    // The fire is over: may delays stay on?
    SetDelaysOn(state & delaysOn);
    panel.delayState &= ~(delayExtended | delayEnded | delayRunning);
    return;
  }
  if (panel.panelMode2 & delayOverrideFire || state & delayEnded) {
    EndDelay();
    return;
  }
  if (state & delayRunning) {
    // A stage loaded with N ticks ends on the (N+1)th tick.
    if (panel.delayTimer-- == 0) EndDelay();
    return;
  }
  if (!(state & delaysOn)) {
    EndDelay();
    return;
  }
  // Only a latching fire starts a delay; otherwise look again next tick.
  if (panel.panelMode & latchingFire) StartFirstStage();
}

void Firmware::CheckDelayCancel() {
  if (panel.delayState & delayRunning && DelayConfig() & delayCancelOnNewZone) EndDelay();
}

void Firmware::SetDelaysOn(uint8_t on) {
  panel.delayState &= ~delaysOn;
  const uint8_t config = DelayConfig();
  const bool anyStage = FirstStageField(config) || SecondStageField(config);
  if (on && !AllZonesOverrideDelays() && panel.delayState & delayableOutputs && anyStage) {
    panel.delayState |= delaysOn;
  }
}

void Firmware::StartExtendedDelay() {
  if (!(panel.delayState & delayRunning) || panel.delayState & delayExtended) return;
  const uint8_t config = DelayConfig();
  const uint8_t second = SecondStageField(config);
  if (second == 0) return;  // the first stage simply runs on
  const int elapsed = FirstStageField(config) * firstStageStepTicks - panel.delayTimer;
  int ticks = second * secondStageStepTicks;
  if (ticks + elapsed > delayLimitTicks) ticks = delayLimitTicks - elapsed;
  panel.delayTimer = uint16_t(ticks);
  panel.delayState |= delayExtended;
}

bool Firmware::AllZonesOverrideDelays() {
  for (int zone = ReadZoneCount() - 1; zone >= 0; --zone) {
    if (!(ReadConfig(uint8_t(cfgZoneOptions + zone)) & zoneOverridesDelays)) return false;
  }
  return true;
}
