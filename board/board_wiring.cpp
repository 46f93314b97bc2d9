#include "board/board_wiring.h"

#include "board/hardware_interface.h"

namespace {
constexpr int blankDigit = 10;
}

int CounterDigitDecode(uint8_t value) {
  const uint8_t code = value | 0x80;
  for (int index = 0; index <= blankDigit; ++index) {
    if (SegmentCodes[index] == code) return index;
  }
  return blankDigit;
}
