#include <gtest/gtest.h>

#include <vector>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/support/test_board.h"

namespace {

// Records the order of updates against the tick flags they precede.
class RecordingControls : public BoardControls {
 public:
  void Update20ms(HardwareState& board) override {
    events.push_back(board.Port(portTick20ms) ? "20ms-after-flag" : "20ms");
  }
  void Update50ms(HardwareState& board) override {
    events.push_back(board.Port(portTick50ms) ? "50ms-after-flag" : "50ms");
  }
  void WatchdogTripped() override { events.push_back("trip"); }
  std::vector<const char*> events;
};

}  // namespace

TEST(PeriodicUpdate, UpdatesRunOnEverySecondAndFifthTickBeforeTheirFlags) {
  TestBoard t;
  RecordingControls controls;
  periodicUpdate.controls = &controls;
  std::vector<int> ticks20, ticks50;
  for (int tick = 1; tick <= 10; ++tick) {
    periodicUpdate.Tick();
    if (t.board().Port(portTick20ms)) ticks20.push_back(tick);
    if (t.board().Port(portTick50ms)) ticks50.push_back(tick);
    t.board().StorePort(portTick20ms, 0);
    t.board().StorePort(portTick50ms, 0);
  }
  EXPECT_EQ(ticks20, (std::vector<int>{2, 4, 6, 8, 10}));
  EXPECT_EQ(ticks50, (std::vector<int>{5, 10}));
  // On tick 10 both fall together: the 20 ms update first.
  ASSERT_EQ(controls.events.size(), 7u);
  EXPECT_STREQ(controls.events[5], "20ms");
  EXPECT_STREQ(controls.events[6], "50ms");
  EXPECT_EQ(periodicUpdate.runCounter, 10);
}

TEST(PeriodicUpdate, NothingHappensWithoutABoard) {
  RecordingControls controls;
  periodicUpdate.controls = &controls;
  for (int tick = 0; tick < 20; ++tick) periodicUpdate.Tick();
  EXPECT_TRUE(controls.events.empty());
  EXPECT_EQ(periodicUpdate.runCounter, 0);
}

TEST(PeriodicUpdate, RunCounterWrapsAt65536) {
  TestBoard t;
  periodicUpdate.runCounter = 0xFFFE;
  periodicUpdate.Tick();
  periodicUpdate.Tick();
  EXPECT_EQ(HardwareRequest(READ_RUN_COUNTER, 0), 0);
}

TEST(PeriodicUpdate, WatchdogTripsOnThe24thPeriodAndAgainAfter) {
  TestBoard t;
  RecordingControls controls;
  periodicUpdate.controls = &controls;
  periodicUpdate.watchdogTripped = false;
  for (int period = 1; period <= 23; ++period) periodicUpdate.WatchdogTimerTimer();
  EXPECT_FALSE(periodicUpdate.watchdogTripped);
  EXPECT_TRUE(controls.events.empty());
  periodicUpdate.WatchdogTimerTimer();
  EXPECT_TRUE(periodicUpdate.watchdogTripped);
  EXPECT_EQ(controls.events.size(), 1u);
  periodicUpdate.WatchdogTimerTimer();
  EXPECT_EQ(controls.events.size(), 2u);
  EXPECT_EQ(periodicUpdate.watchdogPeriods, 25);
  // Servicing restarts the count but leaves the latch.
  EXPECT_EQ(HardwareRequest(WATCHDOG_SERVICE, 0), 1);
  EXPECT_EQ(periodicUpdate.watchdogPeriods, 0);
  EXPECT_TRUE(periodicUpdate.watchdogTripped);
}

TEST(PeriodicUpdate, ServicedEveryPassTheWatchdogCyclesBelowTheTripPoint) {
  TestBoard t;
  t.Start();
  periodicUpdate.watchdogTripped = false;
  int highest = 0;
  for (int step = 0; step < 2000; ++step) {  // 10 s
    t.stepper().Step();
    highest = std::max<int>(highest, periodicUpdate.watchdogPeriods);
  }
  // The pass in the step of the 12th period restarts it at once.
  EXPECT_EQ(highest, 11);
  EXPECT_FALSE(periodicUpdate.watchdogTripped);
}
