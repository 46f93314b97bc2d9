#include "board/analogue.h"

#include "board/hardware_interface.h"

uint16_t ReadAnalogueChannel(HardwareState& board, uint8_t channel, bool test) {
  (void)channel;
  if (test) board.StorePort(portZoneReset, 0);
  return 0;
}
