#include "board/board_wiring.h"

#include "board/hardware_interface.h"

int CounterDigitDecode(uint8_t value) {
  const uint8_t code = value | segmentCodeHighBit;
  for (int index = 0; index <= counterBlankDigit; ++index) {
    if (At(SegmentCodes, index) == code) return index;
  }
  return counterBlankDigit;
}
