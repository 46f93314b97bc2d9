// Two panels in one process keep to themselves: each, stepped in turn with
// the other, goes through exactly the states it goes through alone.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "board/settings_file.h"
#include "machine/machine.h"
#include "machine/save_state.h"
#include "tests/support/clean_state.h"
#include "tests/windows/ui_test_support.h"
#include "windows/maindisplay.h"

namespace {

constexpr Point keyOn{2, 2};   // above the keyswitch's diagonal
constexpr int fireBandX = 51;  // about 500 ohms on a zone's level
constexpr int64_t sampleMs = 20;
constexpr int64_t runMs = 8000;

struct Input {
  int64_t atMs;
  std::function<void(Machine&)> apply;
};
using Inputs = std::vector<Input>;

// Key on, a fire on zone 1, the buzzer muted.
const Inputs fire = {
    {1000, [](Machine& m) { Press(m.front().Keyswitch, MouseButton::Left, keyOn); }},
    {1040, [](Machine& m) { Release(m.front().Keyswitch, MouseButton::Left, keyOn); }},
    {3000, [](Machine& m) { m.hardware().PressLevel(m.hardware().ZoneAnalogueControl[0], fireBandX); }},
    {5015, [](Machine& m) { Press(m.front().BuzzerMuteButton, MouseButton::Left); }},
    {5120, [](Machine& m) { Release(m.front().BuzzerMuteButton, MouseButton::Left); }},
};
const Inputs quiet = {};

// The whole panel (firmware state, board ports, both windows' controls)
// every sampleMs of panel time.
using States = std::vector<std::vector<uint8_t>>;

// One machine fed its inputs at their panel times, from a fresh settings file.
class Driven {
 public:
  explicit Driven(const Inputs& inputs) : inputs_(inputs) {
    std::filesystem::remove(hardwareFileName);
    machine_ = std::make_unique<Machine>(BoardPacing::Stepped);
  }

  void RunTo(int64_t ms) {
    while (machine_->NowMs() < ms) {
      if (next_ < inputs_.size() && inputs_[next_].atMs <= machine_->NowMs()) {
        inputs_[next_++].apply(*machine_);
        continue;
      }
      machine_->Step();
      if (machine_->NowMs() % sampleMs == 0) states_.push_back(CaptureState(*machine_));
    }
  }

  const States& states() const { return states_; }

 private:
  const Inputs& inputs_;
  size_t next_ = 0;
  std::unique_ptr<Machine> machine_;
  States states_;
};

States Alone(const Inputs& inputs) {
  Driven driven(inputs);
  driven.RunTo(runMs);
  return driven.states();
}

TEST(SideBySide, EachPanelRunsAsItDoesAlone) {
  const CleanState clean;
  const States fireAlone = Alone(fire);
  const States quietAlone = Alone(quiet);
  ASSERT_NE(fireAlone, quietAlone);

  Driven burning(fire);
  Driven calm(quiet);
  for (int64_t ms = sampleMs; ms <= runMs; ms += sampleMs) {
    burning.RunTo(ms);
    calm.RunTo(ms);
  }
  EXPECT_EQ(burning.states(), fireAlone);
  EXPECT_EQ(calm.states(), quietAlone);
}

}  // namespace
