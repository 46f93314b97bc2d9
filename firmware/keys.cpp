#include "firmware/firmware.h"

#include <bit>

#include "board/hardware_interface.h"
#include "firmware/delays.h"
#include "firmware/disablement.h"
#include "firmware/menu.h"
#include "firmware/panel_state.h"

namespace {

// The key must stay on for this many counted ticks with the cover off (1 s).
constexpr uint8_t engineeringHoldTicks = 20;

}  // namespace

bool Firmware::AtLevel2() { return panel.panelMode & accessLevel2; }
bool Firmware::InEngineeringMode() { return panel.panelMode & engineeringMode; }
bool Firmware::FirePresent() { return panel.zonesInFire != 0; }

// The short acknowledgement tone of an accepted key or access change.
void Firmware::Click() { HardwareRequest(BUZZER_CHIRP, 0); }

void Firmware::MuteBuzzers() { panel.panelMode |= fireBuzzerMuted | faultBuzzerMuted; }

// In engineering mode every key edits the menu; the first key in image order acts.
void Firmware::EngineeringKey(uint8_t pressed) {
  if (pressed & keyAccept) EnterEngineeringMode();
  else if (pressed & keySoundersStartStop) MenuNextItem();
  else if (pressed & keyReset) MenuChangeValue();
  else MenuFunctionKey(uint8_t(std::countr_zero(pressed) - 2));  // Buzzer mute (bit 3) is key 1
}

bool Firmware::AcceptKey() {
  if (!AtLevel2() && !(ReadConfig(cfgPanelOptions) & panelAcceptAtLevel1)) return false;
  CancelSelection();
  MuteBuzzers();
  StartExtendedDelay();
  return true;
}

bool Firmware::DelayOnOffKey() {
  if (FirePresent()) {
    panel.delayState |= delayEnded;
    return true;
  }
  if (!AtLevel2()) return false;
  SetDelaysOn(!(panel.delayState & delaysOn));
  return true;
}

// Access levels 1 and 2: the first matching decision wins; returns whether
// the press was accepted.
bool Firmware::OperatorKey(uint8_t pressed) {
  if (pressed & keyBuzzerMute) {
    MuteBuzzers();
    return true;
  }
  if (pressed & keyAccept) return AcceptKey();
  if (pressed & keyDelayOnOff) return DelayOnOffKey();
  if (!AtLevel2()) return false;
  if (pressed & keyReset) PanelReset();
  else if (pressed & keyDisableTestNormal) DisableTestNormalKey();
  else if (pressed & keyItemSelect) ItemSelectKey();
  else if (pressed & keySoundersStartStop) SoundersKey();
  // Lamp test: the held key lights the lamps; the press only clicks.
  return true;
}

// Expired on every tick at level 1; at level 2 when the countdown runs out.
bool Firmware::SelectionExpired() {
  if (!AtLevel2()) return true;
  return --panel.menuTimeout == 0;
}

uint8_t Firmware::ScanKeys() {
  const uint8_t k = uint8_t(HardwareRequest(READ_KEYS, 0));
  const uint8_t a = keysState.keyDebounceA;
  const uint8_t b = keysState.keyDebounceB;
  keysState.keyDebounceA = k & (a | b);
  keysState.keyDebounceB = k & (uint8_t(~b) | a);
  return k & a & uint8_t(~b);
}

bool Firmware::KeyHeld(uint8_t key) { return keysState.keyDebounceA & keysState.keyDebounceB & key; }

void Firmware::HandleFrontPanelKeys() {
  const uint8_t pressed = ScanKeys();
  if (!pressed) return;
  if (InEngineeringMode()) {
    EngineeringKey(pressed);
    Click();
    return;
  }
  if (OperatorKey(pressed)) Click();
}

void Firmware::SoundersKey() {
  uint8_t& s = panel.sounderState;
  if (FirePresent()) {
    if (s & soundersSilenced) {
      s = uint8_t((s | soundersResounded) & ~soundersSilenced);
      panel.panelMode &= ~fireBuzzerMuted;
    } else {
      s = uint8_t((s | soundersSilenced) & ~soundersResounded);
      panel.panelMode |= fireBuzzerMuted;
    }
    return;
  }
  if (panel.delayState & inputAlert) {
    if (s & soundersSilenced) {
      s = uint8_t((s | soundersEvacuate) & ~soundersSilenced);
    } else {
      s = uint8_t((s | soundersSilenced) & ~soundersEvacuate);
      panel.panelMode |= fireBuzzerMuted;
    }
    return;
  }
  if (s & soundersEvacuate) {
    s &= ~(soundersEvacuate | soundersSilenced);
    panel.panelMode &= ~fireBuzzerMuted;
  } else {
    s = uint8_t((s | soundersEvacuate) & ~soundersSilenced);
  }
}

void Firmware::AccessInputsTask() {
  ScanCoverInput();
  ScanKeyswitch();
}

void Firmware::ScanCoverInput() {
  const uint8_t coverOff = uint8_t(HardwareRequest(READ_COVER_SWITCH, 0));
  if (coverOff) {
    if (panel.panelMode2 & coverInputSeen) panel.panelMode |= accessLevel2 | accessLevel3;
    else panel.panelMode2 |= coverInputSeen;
    return;
  }
  if (panel.panelMode2 & coverInputSeen) {
    panel.panelMode2 &= ~coverInputSeen;
    return;
  }
  if (InEngineeringMode()) {
    PanelReset();
    Click();
  }
  panel.panelMode &= ~accessLevel3;
}

void Firmware::ScanKeyswitch() {
  const uint8_t keyOn = uint8_t(HardwareRequest(READ_KEYSWITCH, 0));
  const bool seen = panel.panelMode2 & keyswitchInputSeen;
  if (keyOn && !seen) {
    panel.panelMode2 |= keyswitchInputSeen;
    keysState.keyswitchHoldCount = 0;
    return;
  }
  if (keyOn) {
    panel.panelMode |= accessLevel2;
    if (!(panel.panelMode & accessLevel3)) return;
    const uint8_t held = keysState.keyswitchHoldCount++;
    if (held >= engineeringHoldTicks && !InEngineeringMode()) {
      EnterEngineeringMode();
      Click();
    }
    return;
  }
  if (seen) {
    panel.panelMode2 &= ~keyswitchInputSeen;
    return;
  }
  if (!(panel.panelMode & accessLevel3)) panel.panelMode &= ~accessLevel2;
}

void Firmware::SelectionTimeoutTask() {
  if (SelectionExpired()) {
    CancelSelection();
    if (InEngineeringMode()) {
      PanelReset();
      Click();
    }
  }
  // There is no disablement selection in engineering mode, and the menu
  // always opens at its top level.
  if (InEngineeringMode()) {
    CancelSelection();
  } else {
    panel.menuPage = 0;
    panel.menuItem = 0;
  }
}

void Firmware::EnterEngineeringMode() {
  panel.panelMode |= engineeringMode;
  panel.menuPage = 0;
  panel.menuItem = 0;
  panel.menuTimeout = menuTimeoutTicks;
}

void Firmware::CancelSelection() { panel.selectedItem = itemNothing; }
