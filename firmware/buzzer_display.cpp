#include "firmware/firmware.h"

#include <optional>

#include "board/hardware_interface.h"
#include "firmware/keys.h"
#include "firmware/panel_state.h"

bool Firmware::Flash(uint8_t bit) { return panel.flashTimer & bit; }

void Firmware::ShowDigits(uint16_t digits) { HardwareRequest(SET_COUNTER_DIGITS, digits); }

// The 8 steps from the hundreds to the units every 10 ticks; the walk repeats every 31.
void Firmware::LampTestWalk() {
  uint8_t& timer = panel.counterDisplayTimer;
  if (timer < counterShownTicks) timer = counterWalkStart;
  const uint8_t t = timer--;
  switch (t) {
    case counterWalkStart: ShowDigits(digitsWalkHundreds); break;
    case counterWalkStart - 10: ShowDigits(digitsWalkTens); break;
    case counterWalkStart - 20: ShowDigits(digitsWalkUnits); break;
    case counterShownTicks: timer = counterWalkStart; break;
  }
}

// An evacuation, delay, fire or alert input decides the tone alone; empty
// when none is present.
std::optional<bool> Firmware::AlarmTone() {
  const bool tone = !(panel.panelMode & buzzerQuiet);
  if (panel.sounderState & soundersEvacuate) return tone;
  if (panel.delayState & delayRunning) {
    return tone && Flash(DelayFinalPhase() ? flash200ms : flash500ms);
  }
  if (panel.zonesAlarmDetected) return tone;
  if (panel.delayState & inputAlert) return tone && Flash(flash1s);
  return std::nullopt;
}

bool Firmware::LampTestActive() {
  if (!KeyHeld(keyLampTest) || InEngineeringMode()) return false;
  return panel.panelMode & accessLevel2 || ReadConfig(cfgPanelOptions) & panelLampTestAtLevel1;
}

bool Firmware::BuzzerDemand() {
  if (!(panel.panelMode & fireBuzzerMuted)) {
    if (const std::optional<bool> tone = AlarmTone()) return *tone;
  }
  if (panel.panelMode & faultBuzzerMuted) return false;
  if (!(panel.systemFaults | panel.systemFaults2 | panel.zonesFaultDetected)) return false;
  // A short beep every 5 s, or about every 320 s when the buzzer is quiet.
  return Flash(panel.panelMode & buzzerQuiet ? pulseEvery320s : pulseEvery5s);
}

void Firmware::DriveBuzzer() {
  const bool on = !InEngineeringMode() && (LampTestActive() || BuzzerDemand());
  HardwareRequest(SET_BUZZER, on ? 1 : 0);
}

void Firmware::UpdateAlarmCounterDisplay() {
  if (LampTestActive()) {
    LampTestWalk();
    return;
  }
  uint8_t& timer = panel.counterDisplayTimer;
  if (timer >= counterShownTicks) {
    // A lamp test has just ended: show the count for 5 s.
    timer = counterShownTicks;
    ShowDigits(uint16_t(ReadConfig(cfgAlarmCountHundreds) * 256 + ReadConfig(cfgAlarmCountTensUnits)));
  }
  if (--timer == 0) {
    timer = counterBlankTicks;
    ShowDigits(digitsBlank);
  }
}
