// A firmware that stops passing leaves the board watchdog unserviced: the
// front panel shows the system fault within 2.4 s, and it stays until the
// firmware runs again and Reset is pressed with the key on.

#include <gtest/gtest.h>

#include <functional>

#include "board/periodic_update.h"
#include "machine/machine.h"
#include "tests/windows/ui_test_support.h"
#include "windows/maindisplay.h"

namespace {

constexpr Point keyOn{2, 2};  // above the keyswitch's diagonal
constexpr int64_t tripMs = 2400;

class WatchdogStall : public ::testing::Test {
 protected:
  void PressReset() {
    Press(sim.front().ResetButton, MouseButton::Left);
    sim.Advance(100);
    Release(sim.front().ResetButton, MouseButton::Left);
    sim.Advance(100);
  }
  // Virtual milliseconds until the condition holds, or -1 after limit.
  int64_t MsUntil(const std::function<bool()>& done, int64_t limit) {
    for (const int64_t start = sim.NowMs(); sim.NowMs() - start < limit;) {
      sim.Step();
      if (done()) return sim.NowMs() - start;
    }
    return -1;
  }
  bool SystemFaultShown() { return sim.front().SystemFaultLED->ItemIndex() != 0; }

  Machine sim{BoardPacing::Stepped};
  PeriodicUpdate& periodicUpdate = sim.periodicUpdate();
};

TEST_F(WatchdogStall, AStalledFirmwareShowsTheSystemFaultAndResetRecoversOnceItPassesAgain) {
  Press(sim.front().Keyswitch, MouseButton::Left, keyOn);
  Release(sim.front().Keyswitch, MouseButton::Left, keyOn);
  PressReset();
  sim.Advance(3000);
  ASSERT_FALSE(SystemFaultShown());

  // Stalled at every point of the watchdog's cycle, the trip comes in time.
  for (int offset = 0; offset < 13; ++offset) {
    sim.Advance(100 * offset);
    sim.stepper().firmwareStalled = true;
    const int64_t shown = MsUntil([&] { return SystemFaultShown(); }, 5000);
    EXPECT_GT(shown, 0) << "offset " << offset;
    EXPECT_LE(shown, tripMs) << "offset " << offset;
    EXPECT_TRUE(periodicUpdate.watchdogTripped.load());
    sim.Advance(1000);
    EXPECT_NE(sim.front().FaultLED->ItemIndex(), 0);

    // Passing again restarts the watchdog, but the latch holds until Reset.
    sim.stepper().firmwareStalled = false;
    sim.Advance(3000);
    EXPECT_TRUE(SystemFaultShown()) << "offset " << offset;
    PressReset();
    EXPECT_GE(MsUntil([&] { return !SystemFaultShown(); }, 2000), 0) << "offset " << offset;
    sim.Advance(3000);
    ASSERT_FALSE(SystemFaultShown()) << "offset " << offset;
  }
}

}  // namespace
