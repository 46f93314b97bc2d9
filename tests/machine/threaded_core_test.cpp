// The real tick and firmware threads against one published board while a
// third thread plays the field wiring: it keeps changing the input ports and
// the analogue levels. The tick thread counts the watchdog periods.
// Runs for QX40_THREADED_SECONDS of wall time (half a second by default; the
// ThreadSanitizer run of the test script asks for more).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>

#include "firmware/firmware.h"
#include "machine/applicationthread.h"
#include "machine/timerthread.h"
#include "board/analogue.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/support/test_board.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t zoneLevels[] = {100, 400, 2000, defaultZoneOhms, 20000};
constexpr int32_t supplyLevels[] = {18000, defaultSupplyMv, 33000};

std::atomic<int> restarts{0};
std::atomic<bool> requestWithoutBoard{false};

// Given the periodic update, which sees the board only while it is published.
void WatchRequests(uint8_t op, int32_t, int32_t result, void* periodicUpdate) {
  if (!static_cast<const PeriodicUpdate*>(periodicUpdate)->boardInstance.load()) requestWithoutBoard = true;
  if (op == WATCHDOG_SERVICE && result) ++restarts;
}

double RunSeconds() {
  const char* text = std::getenv("QX40_THREADED_SECONDS");
  return text ? std::atof(text) : 0.5;
}

// One random change of what the field presents.
void ChangeField(HardwareState& board, FixedAnalogueSource& analogue, std::mt19937& rng) {
  switch (rng() % 6) {
    case 0: board.StorePort(portSystemInputs, uint8_t((rng() & ~sysFaultLatch) | sysAlwaysOne)); break;
    case 1: board.StorePort(portFwpInputs, uint8_t(rng())); break;
    case 2: board.StorePort(portMonitorInputs, uint8_t(rng() | monAlwaysOne)); break;
    case 3:
      board.AssignPortBits(int(portMatrixFirst + rng() % 5), rng() & 1 ? matrixKeyLow : matrixKeyHigh, rng() & 1);
      break;
    case 4: analogue.zoneOhms[rng() % 8] = zoneLevels[rng() % std::size(zoneLevels)]; break;
    default:
      analogue.supplyMv = supplyLevels[rng() % std::size(supplyLevels)];
      analogue.capacitor[rng() % 8] = rng() & 1;
      break;
  }
}

uint8_t ConfigXor(const HardwareState& board) {
  uint8_t sum = 0;
  for (int i = 0; i < 255; ++i) sum ^= uint8_t(~board.nvImage[i]);
  return sum;
}

}  // namespace

TEST(ThreadedCore, TickAndFirmwareThreadsKeepTheBoardConsistentUnderChangingInputs) {
  restarts = 0;
  requestWithoutBoard = false;
  FixedAnalogueSource analogue;
  PeriodicUpdate periodicUpdate;
  periodicUpdate.watchdogTripped = false;

  TTimerThread tick(periodicUpdate);
  tick.Resume();
  auto board = std::make_unique<HardwareState>(periodicUpdate);
  Firmware firmware(*board);
  board->firmwareThread = std::make_unique<TFireAlarmApplication>(firmware);
  board->analogueSource = &analogue;
  board->requestObserver.Set(WatchRequests, &periodicUpdate);
  board->StorePort(portSystemInputs, idleSystemInputs);
  board->StorePort(portMonitorInputs, idleMonitorInputs);
  periodicUpdate.boardInstance.store(board.get());
  board->StartFirmware();

  std::mt19937 rng(8);
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(RunSeconds()));
  while (Clock::now() < end) {
    ChangeField(*board, analogue, rng);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();

  tick.Terminate();
  tick.WaitFor();
  board->StopFirmware();

  // The firmware kept servicing the watchdog; it never tripped.
  EXPECT_FALSE(periodicUpdate.watchdogTripped.load());
  EXPECT_LE(periodicUpdate.watchdogPeriods.load() * watchdogIntervalMs, watchdogTripAfterMs);
  EXPECT_GE(restarts.load(), int(elapsedMs / 1300) - 1);
  // The tick ran all along: at least half of the due 20 ms updates, 2 counts each.
  EXPECT_GE(periodicUpdate.runCounter.load(), elapsedMs / 20);
  EXPECT_EQ(ConfigXor(*board), uint8_t(~board->nvImage[255]));
  EXPECT_FALSE(requestWithoutBoard.load());

  periodicUpdate.boardInstance.store(nullptr);
  board.reset();
}
