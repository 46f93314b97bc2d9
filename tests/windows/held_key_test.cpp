// A push key clicked faster than the firmware reads it stays down until the
// firmware has seen it; a longer press ends exactly at the mouse release.

#include <gtest/gtest.h>

#include <vector>

#include "board/hardware_interface.h"
#include "machine/machine.h"
#include "tests/support/clean_state.h"
#include "tests/windows/ui_test_support.h"
#include "windows/maindisplay.h"

namespace {

int chirps = 0;

// Every key press the firmware accepts ends with a chirp of the buzzer.
void CountChirps(uint8_t op, int32_t, int32_t, void*) {
  if (op == BUZZER_CHIRP) ++chirps;
}

struct ShortClick {
  const char* key;
  bool keyOn;  // the Reset key acts only with the keyswitch on
  bool hold;
  int accepted;
};

void PrintTo(const ShortClick& click, std::ostream* out) { *out << click.key << (click.hold ? " held" : " exact"); }

class HeldKeyTest : public ::testing::TestWithParam<ShortClick> {
 protected:
  void SetUp() override {
    chirps = 0;
    machine_.board()->requestObserver.Set(CountChirps, nullptr);
  }

  // Past start-up, with no key pressed since.
  void Settle() {
    machine_.Advance(settleMs);
    chirps = 0;
  }

  TControl* Key(const char* name) { return machine_.front().FindControl(name); }

  static constexpr int64_t settleMs = 2000;
  CleanState clean_;
  Machine machine_{BoardPacing::Stepped};
};

TEST_P(HeldKeyTest, ClickWithinOneStepCountsOnceWhenHeld) {
  const ShortClick& click = GetParam();
  machine_.front().SetHoldShortPresses(click.hold);
  machine_.front().Keyswitch->SetItemIndex(click.keyOn ? 1 : 0);
  Settle();
  TControl* key = Key(click.key);
  LeftClick(key);
  machine_.Advance(200);
  EXPECT_EQ(chirps, click.accepted);
  EXPECT_EQ(dynamic_cast<TImageSelector*>(key)->ItemIndex(), 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, HeldKeyTest,
                         ::testing::Values(ShortClick{"BuzzerMuteButton", false, true, 1},
                                           ShortClick{"BuzzerMuteButton", false, false, 0},
                                           ShortClick{"ResetButton", true, true, 1},
                                           ShortClick{"ResetButton", true, false, 0}));

TEST_F(HeldKeyTest, ShortClickShowsTheKeyDownUntilTheFirmwareHasSeenIt) {
  Settle();
  auto* key = dynamic_cast<TImageSelector*>(Key("BuzzerMuteButton"));
  LeftClick(key);
  EXPECT_EQ(key->ItemIndex(), 1);
  while (chirps == 0 && machine_.NowMs() < settleMs + 200) machine_.Step();
  ASSERT_EQ(chirps, 1);
  machine_.Advance(20);
  EXPECT_EQ(key->ItemIndex(), 0);
}

// Each key is held apart: a click on one neither lets go of nor keeps down another.
TEST_F(HeldKeyTest, ShortClicksOnSeveralKeysAreEachHeldUntilSeen) {
  Settle();
  const char* const names[] = {"AcceptButton", "BuzzerMuteButton", "LampTestButton"};
  std::vector<TImageSelector*> keys;
  for (const char* name : names) keys.push_back(dynamic_cast<TImageSelector*>(Key(name)));
  for (TImageSelector* key : keys) LeftClick(key);
  for (TImageSelector* key : keys) EXPECT_TRUE(machine_.front().HeldForFirmware(key)) << key->Name();
  Press(keys[1], MouseButton::Left);
  EXPECT_FALSE(machine_.front().HeldForFirmware(keys[1]));
  EXPECT_TRUE(machine_.front().HeldForFirmware(keys[0]));
  EXPECT_TRUE(machine_.front().HeldForFirmware(keys[2]));
  machine_.Advance(200);
  EXPECT_EQ(keys[0]->ItemIndex(), 0);
  EXPECT_EQ(keys[1]->ItemIndex(), 1);
  EXPECT_EQ(keys[2]->ItemIndex(), 0);
  for (TImageSelector* key : keys) EXPECT_FALSE(machine_.front().HeldForFirmware(key)) << key->Name();
}

TEST_F(HeldKeyTest, LongPressEndsAtTheMouseRelease) {
  Settle();
  auto* key = dynamic_cast<TImageSelector*>(Key("BuzzerMuteButton"));
  Press(key, MouseButton::Left);
  machine_.Advance(200);
  Release(key, MouseButton::Left);
  EXPECT_EQ(key->ItemIndex(), 0);
  EXPECT_EQ(chirps, 1);
}

}  // namespace
