#include <gtest/gtest.h>

#include "machine/stepper.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/support/test_board.h"

TEST(Stepper, FirstBoardTickAt10msFirstFlagsAt20And50ms) {
  TestBoard t;
  t.Start();
  RequestRecorder recorder(t.board());
  int firstTick20 = 0, firstTick50 = 0;
  while (!firstTick50) {
    recorder.calls.clear();
    t.stepper().Step();
    for (const RecordedRequest& call : recorder.calls) {
      if (call.op == TAKE_TICK_20MS && call.result && !firstTick20) firstTick20 = int(t.stepper().NowMs());
      if (call.op == TAKE_TICK_50MS && call.result) firstTick50 = int(t.stepper().NowMs());
    }
  }
  EXPECT_EQ(firstTick20, 20);
  EXPECT_EQ(firstTick50, 50);
}

TEST(Stepper, EveryFlagIsTakenInTheStepThatRaisedIt) {
  TestBoard t;
  t.Start();
  RequestRecorder recorder(t.board());
  t.Advance(1000);
  int taken20 = 0, taken50 = 0, passes = 0;
  for (const RecordedRequest& call : recorder.calls) {
    taken20 += call.op == TAKE_TICK_20MS && call.result;
    taken50 += call.op == TAKE_TICK_50MS && call.result;
    passes += call.op == WATCHDOG_SERVICE;
  }
  EXPECT_EQ(taken20, 50);
  EXPECT_EQ(taken50, 20);
  EXPECT_EQ(passes, 200);
  EXPECT_EQ(t.stepper().NowMs(), 1000);
}

TEST(Stepper, AdvanceRoundsUpToWholeSteps) {
  TestBoard t;
  t.Advance(1);
  EXPECT_EQ(t.stepper().NowMs(), 5);
  t.Advance(5);
  EXPECT_EQ(t.stepper().NowMs(), 10);
  t.Advance(0);
  EXPECT_EQ(t.stepper().NowMs(), 10);
}

TEST(Stepper, WatchdogPeriodEvery100ms) {
  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  periodicUpdate.watchdogTripped = false;
  // Without passes, nothing services the watchdog: drive only the tick and the timer.
  t.stepper().firmware = nullptr;
  t.Advance(2395);
  EXPECT_EQ(periodicUpdate.watchdogPeriods, 23);
  EXPECT_FALSE(periodicUpdate.watchdogTripped);
  t.Advance(5);
  EXPECT_TRUE(periodicUpdate.watchdogTripped);
}
