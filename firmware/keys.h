#pragma once
// Front-panel keys, keyswitch and cover input, access levels.

#include <cstdint>

struct KeysState {
  // Two-bit debounce state per key, in the bit order of the key image.
  uint8_t keyDebounceA = 0;
  uint8_t keyDebounceB = 0;
  // 50 ms ticks with the key on while the cover is off; wraps from 255 to 0.
  uint8_t keyswitchHoldCount = 0;
};
extern KeysState keysState;

uint8_t ScanKeys();
// True while the key has been seen pressed in both debounce stages.
bool KeyHeld(uint8_t key);
void HandleFrontPanelKeys();
void SoundersKey();
void AccessInputsTask();
void ScanCoverInput();
void ScanKeyswitch();
void SelectionTimeoutTask();
void EnterEngineeringMode();
void CancelSelection();
