// What the simulator plays, with the audio output replaced, against what the
// panel shows: the buzzer as its indicator, the sounder tone with the sounder
// outputs, and the mute box over both.

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "machine/machine.h"
#include "tests/windows/ui_test_support.h"
#include "windows/maindisplay.h"

namespace {

constexpr Point keyOn{2, 2};  // above the keyswitch's diagonal
constexpr int fireBandX = 51;  // about 500 ohms on a zone's level

// Plays nothing; keeps what would be playing, and fails on a start or stop
// that changes nothing.
class FakeAudio : public AudioOutput {
 public:
  void Start(Tone tone) override { Change(tone, true); }
  void Stop(Tone tone) override { Change(tone, false); }
  bool Playing(Tone tone) const { return playing_[Index(tone)]; }
  int Changes(Tone tone) const { return changes_[Index(tone)]; }

 private:
  static int Index(Tone tone) { return tone == Tone::Buzzer ? 0 : 1; }
  void Change(Tone tone, bool on) {
    EXPECT_NE(playing_[Index(tone)], on);
    playing_[Index(tone)] = on;
    ++changes_[Index(tone)];
  }
  std::array<bool, 2> playing_{};
  std::array<int, 2> changes_{};
};

class SoundTest : public ::testing::Test {
 protected:
  TfrmMainDisplay& front() { return sim->front(); }
  TfrmHardwareControl& hardware() { return sim->hardware(); }
  bool BuzzerShown() { return front().InternalTone->ItemIndex() != 0; }
  bool SounderOn() {
    return hardware().SounderOutput1->ItemIndex() != 0 || hardware().SounderOutput2->ItemIndex() != 0;
  }
  void PressKey(TImageSelector* key) {
    Press(key, MouseButton::Left);
    sim->Advance(100);
    Release(key, MouseButton::Left);
    sim->Advance(100);
  }
  // Steps for ms, each tick expecting what plays to be what the panel shows;
  // returns how often the buzzer indicator changed from what played before.
  int FollowFor(int64_t ms) {
    int changes = 0;
    bool shown = audio.Playing(Tone::Buzzer);
    for (const int64_t end = sim->NowMs() + ms; sim->NowMs() < end;) {
      sim->Step();
      if (sim->NowMs() % 10 != 0) continue;  // the board ticks every 10 ms
      EXPECT_EQ(audio.Playing(Tone::Buzzer), BuzzerShown()) << "at " << sim->NowMs() << " ms";
      EXPECT_EQ(audio.Playing(Tone::Sounder), SounderOn()) << "at " << sim->NowMs() << " ms";
      changes += BuzzerShown() != shown;
      shown = BuzzerShown();
    }
    return changes;
  }

  FakeAudio audio;
  std::unique_ptr<Machine> sim = [this] {
    auto machine = std::make_unique<Machine>(BoardPacing::Stepped);
    machine->PlayOn(audio);
    return machine;
  }();
};

// The panel starts with its system fault latched: the fault beep, 500 ms every
// 5 s, is heard beep by beep.
TEST_F(SoundTest, TheBuzzerToneFollowsTheIndicatorThroughItsPulses) {
  const int shownChanges = FollowFor(12'000);
  EXPECT_GE(shownChanges, 4);
  EXPECT_EQ(audio.Changes(Tone::Buzzer), shownChanges);
  EXPECT_EQ(audio.Changes(Tone::Sounder), 0);
}

TEST_F(SoundTest, AFireSoundsBothTonesTheMuteStopsThemAndSilencingStopsTheSounder) {
  Press(front().Keyswitch, MouseButton::Left, keyOn);
  Release(front().Keyswitch, MouseButton::Left, keyOn);
  PressKey(front().ResetButton);
  sim->Advance(1000);
  ASSERT_FALSE(audio.Playing(Tone::Sounder));

  hardware().PressLevel(hardware().ZoneAnalogueControl[0], fireBandX);
  sim->Advance(2000);
  EXPECT_TRUE(audio.Playing(Tone::Sounder));
  EXPECT_TRUE(audio.Playing(Tone::Buzzer));

  LeftClick(hardware().SoundMute);
  sim->Advance(1000);
  EXPECT_FALSE(audio.Playing(Tone::Sounder));
  EXPECT_FALSE(audio.Playing(Tone::Buzzer));
  EXPECT_TRUE(SounderOn());

  LeftClick(hardware().SoundMute);
  FollowFor(1000);
  EXPECT_TRUE(audio.Playing(Tone::Sounder));

  PressKey(front().SoundersStartStopButton);  // silences the sounders
  FollowFor(1000);
  EXPECT_FALSE(audio.Playing(Tone::Sounder));

  PressKey(front().SoundersStartStopButton);  // and sounds them again
  FollowFor(1000);
  EXPECT_TRUE(audio.Playing(Tone::Sounder));
  sim.reset();  // shutting down stops what plays
  EXPECT_FALSE(audio.Playing(Tone::Sounder));
  EXPECT_FALSE(audio.Playing(Tone::Buzzer));
}

}  // namespace
