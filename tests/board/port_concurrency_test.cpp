#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "board/hardware_interface.h"
#include "tests/support/test_board.h"

// The tick thread writes key and link bits of ports 25..29 while the firmware
// writes the LED bits of the same bytes: neither may lose the other's bits.
TEST(PortConcurrency, KeyBitsAndLedBitsSurviveEachOther) {
  TestBoard t;
  HardwareState& board = t.board();
  constexpr int rounds = 200000;
  std::atomic<bool> go{false};

  std::thread tick([&] {
    while (!go) {
    }
    for (int i = 0; i < rounds; ++i) {
      const bool on = i & 1;
      for (int port = portMatrixFirst; port <= portMatrixLast; ++port) {
        board.AssignPortBits(port, matrixKeyLow | matrixKeyHigh, on);
      }
    }
    // End with every key and link pressed.
    for (int port = portMatrixFirst; port <= portMatrixLast; ++port) board.SetPortBits(port, matrixKeyLow | matrixKeyHigh);
  });
  std::thread firmware([&] {
    while (!go) {
    }
    for (int i = 0; i < rounds; ++i) {
      const int32_t pattern = (i & 1) ? 0xFF : 0x00;
      HardwareRequest(SET_ZONE_FIRE_LEDS, pattern);
      HardwareRequest(SET_ZONE_FAULT_LEDS, pattern ^ 0xFF);
      HardwareRequest(SET_STATUS_LEDS, (i & 1) ? 0x1FFF : 0);
    }
    // End with every fire LED lit, every fault LED dark, every indicator on.
    HardwareRequest(SET_ZONE_FIRE_LEDS, 0xFF);
    HardwareRequest(SET_ZONE_FAULT_LEDS, 0x00);
    HardwareRequest(SET_STATUS_LEDS, 0x1FFF);
  });
  go = true;
  tick.join();
  firmware.join();

  // Keys/links b3 and b7 set; fire LEDs set; fault LEDs clear; common LEDs set.
  EXPECT_EQ(board.Port(25), 0x08 | 0x80 | 0x20 | 0x40);
  for (int port = 26; port <= 28; ++port) EXPECT_EQ(board.Port(port), 0x88 | 0x22 | 0x44) << port;
  EXPECT_EQ(board.Port(29), 0x88 | 0x02 | 0x20 | 0x10 | 0x04);
}

namespace {

struct ObserverCheck {
  std::atomic<int> mismatches{0};
};
ObserverCheck checkA, checkB;

void ObserverA(uint8_t, int32_t, int32_t, void* context) {
  if (context != &checkA) ++checkA.mismatches;
}
void ObserverB(uint8_t, int32_t, int32_t, void* context) {
  if (context != &checkB) ++checkB.mismatches;
}

}  // namespace

// Tests and traces swap the observer while the firmware thread makes requests:
// a request must never pair one observer with the other's context.
TEST(ObserverConcurrency, AnObserverIsAlwaysCalledWithItsOwnContext) {
  TestBoard t;
  constexpr int requests = 200000;
  std::atomic<bool> done{false};
  std::thread swapper([&] {
    for (bool a = true; !done; a = !a) {
      if (a) t.board().requestObserver.Set(ObserverA, &checkA);
      else t.board().requestObserver.Set(ObserverB, &checkB);
    }
  });
  for (int i = 0; i < requests; ++i) HardwareRequest(ECHO, i);
  done = true;
  swapper.join();
  EXPECT_EQ(checkA.mismatches, 0);
  EXPECT_EQ(checkB.mismatches, 0);
}
