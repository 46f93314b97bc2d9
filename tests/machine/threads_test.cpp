#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "machine/applicationthread.h"
#include "machine/timerthread.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"

namespace {

// Counts firmware passes by the watchdog services they make.
std::atomic<int> services{0};
std::atomic<bool> sawBoard{true};

void CountServices(uint8_t op, int32_t, int32_t, void*) {
  if (boardInstance.load() == nullptr) sawBoard = false;
  if (op == WATCHDOG_SERVICE) ++services;
}

}  // namespace

// The real threads run the same routines as the stepper: the firmware thread
// starts only once its board is published, and both stop on request.
TEST(Threads, FirmwareThreadStartsAfterPublicationAndStopsWithTheBoard) {
  services = 0;
  sawBoard = true;
  SetRequestObserver(CountServices, nullptr);
  TTimerThread tick(periodicUpdate);
  tick.Resume();
  auto board = std::make_unique<HardwareState>(TFireAlarmApplication::Create);
  EXPECT_EQ(services, 0);  // created, not yet running
  boardInstance.store(board.get());
  board->StartFirmware();
  while (services < 3) {
  }
  tick.Terminate();
  tick.WaitFor();
  board.reset();
  boardInstance.store(nullptr);
  const int after = services;
  EXPECT_TRUE(sawBoard);
  EXPECT_EQ(services, after);
  SetRequestObserver(nullptr, nullptr);
}
