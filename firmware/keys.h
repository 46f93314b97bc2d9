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
