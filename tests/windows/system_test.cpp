// The whole simulator in virtual time, driven only through the windows.

#include <gtest/gtest.h>

#include <functional>

#include "board/periodic_update.h"
#include "machine/machine.h"
#include "tests/windows/ui_test_support.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace {

constexpr Point keyOn{2, 2};  // above the keyswitch's diagonal

class SystemTest : public ::testing::Test {
 protected:
  TfrmMainDisplay& front() { return sim.front(); }
  TfrmHardwareControl& hardware() { return sim.hardware(); }

  // A key held for 100 ms, then released for 100 ms.
  void PressKey(TImageSelector* key) {
    Press(key, MouseButton::Left);
    sim.Advance(100);
    Release(key, MouseButton::Left);
    sim.Advance(100);
  }
  void TurnKeyOn() {
    Press(front().Keyswitch, MouseButton::Left, keyOn);
    Release(front().Keyswitch, MouseButton::Left, keyOn);
    sim.Advance(200);
  }
  void SetZoneLevel(int zone, int x) {
    TShape* box = hardware().ZoneAnalogueControl[zone - 1];
    Press(box, MouseButton::Left, {x, 5});
    Release(box, MouseButton::Left, {x, 5});
  }
  // Virtual milliseconds until the condition holds, or -1 after limit.
  int64_t MsUntil(const std::function<bool()>& done, int64_t limit) {
    const int64_t start = sim.NowMs();
    while (sim.NowMs() - start < limit) {
      sim.Step();
      if (done()) return sim.NowMs() - start;
    }
    return -1;
  }
  // Whether the control shows a lit image at every step for ms.
  bool SteadyFor(const TImageSelector* led, int64_t ms) {
    for (const int64_t end = sim.NowMs() + ms; sim.NowMs() < end;) {
      sim.Step();
      if (led->ItemIndex() == 0) return false;
    }
    return true;
  }

  Machine sim{BoardPacing::Stepped};
  PeriodicUpdate& periodicUpdate = sim.periodicUpdate();
};

TEST_F(SystemTest, StartsWithTheSystemFaultLatchThatResetWithTheKeyOnClears) {
  sim.Advance(500);
  EXPECT_TRUE(periodicUpdate.watchdogTripped.load());
  EXPECT_NE(front().SystemFaultLED->ItemIndex(), 0);

  PressKey(front().ResetButton);  // key off: refused
  EXPECT_TRUE(periodicUpdate.watchdogTripped.load());

  TurnKeyOn();
  PressKey(front().ResetButton);
  EXPECT_FALSE(periodicUpdate.watchdogTripped.load());
  EXPECT_GE(MsUntil([&] { return front().SystemFaultLED->ItemIndex() == 0; }, 1000), 0);
}

TEST_F(SystemTest, ZoneOneInTheFireBandLightsItsLedWhichBuzzerMuteMakesSteady) {
  TurnKeyOn();
  PressKey(front().ResetButton);
  sim.Advance(2000);
  const TImageSelector* led = front().ZoneFireLEDs[0];
  ASSERT_EQ(led->ItemIndex(), 0);

  SetZoneLevel(1, 51);  // about 500 ohms
  ASSERT_LT(hardware().ZoneResistance(0), 564);
  const int64_t lit = MsUntil([&] { return led->ItemIndex() != 0; }, 1500);
  EXPECT_GE(lit, 0);
  EXPECT_LE(lit, 1200);
  EXPECT_FALSE(SteadyFor(led, 2000));  // flashing until acknowledged

  PressKey(front().BuzzerMuteButton);
  sim.Advance(500);
  EXPECT_TRUE(SteadyFor(led, 3000));
  EXPECT_NE(front().FireLED->ItemIndex(), 0);
}

}  // namespace
