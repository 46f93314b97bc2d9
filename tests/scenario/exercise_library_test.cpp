// The exercise library: every exercise loads on a fresh panel and, with
// nobody at the panel, runs to its end with each checkpoint judged; played
// by a trainee giving the model answer, each passes every checkpoint.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/scenario/live_panel.h"

namespace {

namespace fs = std::filesystem;

// Longer than any exercise run out with nobody answering.
constexpr int64_t longestExerciseMs = 15 * 60 * 1000;

const fs::path exercisesFolder = fs::path(QX40_SCENARIOS_DIR) / "exercises";

// Runs the exercise to its end, the trainee looking at the panel after each step.
void RunOut(Machine& machine, scenario::Exercise& exercise, const std::function<void()>& trainee = [] {}) {
  for (int64_t t = 0; t < longestExerciseMs && exercise.Advance(); t += liveStepMs) {
    machine.Advance(liveStepMs);
    trainee();
  }
}

TEST(ExerciseLibrary, EveryExerciseRunsToItsEndWithEachCheckpointJudgedWithNobodyAtThePanel) {
  int exercises = 0;
  for (const auto& entry : fs::directory_iterator(exercisesFolder)) {
    if (entry.path().extension() != ".qxs") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++exercises;
    Machine machine(BoardPacing::Stepped);
    scenario::Exercise exercise(entry.path().string(), machine);
    ASSERT_TRUE(exercise.Loaded()) << exercise.Result().output;
    RunOut(machine, exercise);
    const scenario::ExerciseProgress progress = exercise.Progress();
    EXPECT_TRUE(progress.finished);
    EXPECT_GT(progress.checkpoints, 0u);
    EXPECT_EQ(progress.judged, progress.checkpoints);
    const scenario::ScriptResult result = exercise.Result();
    EXPECT_TRUE(result.errors.empty()) << result.output;
    // An exercise nobody can fail by doing nothing teaches nothing.
    EXPECT_TRUE(std::ranges::any_of(result.checkpoints, [](const auto& checkpoint) { return !checkpoint.passed; }));
  }
  EXPECT_GT(exercises, 0);
}

constexpr int64_t engineeringHoldMs = 1500;  // the board's key held on for over a second

// What the trainee does: key on or off, or one front panel key pressed.
enum class Hand {
  KeyOn,
  KeyOff,
  Accept,
  BuzzerMute,
  SoundersStartStop,
  Reset,
  DelayOnOff,
  ItemSelect,
  DisableTestNormal,
  Cover,     // takes the cover off, or refits it
  BoardKey,  // the board's own key, held for engineering mode
};

// A step of the model answer: some seconds after the instructor's line that
// starts with cue (the steps' cues are met in order), the trainee's actions.
struct Step {
  std::string cue;
  int64_t afterMs;
  std::vector<Hand> hands;
};

struct ModelAnswer {
  const char* exercise;
  std::vector<Step> steps;
};

void Act(Machine& machine, scenario::Exercise& exercise, Hand hand) {
  TfrmMainDisplay& front = machine.front();
  switch (hand) {
    case Hand::KeyOn: return TurnKey(machine, exercise, true);
    case Hand::KeyOff: return TurnKey(machine, exercise, false);
    case Hand::Accept: return PressKey(machine, exercise, front.AcceptButton);
    case Hand::BuzzerMute: return PressKey(machine, exercise, front.BuzzerMuteButton);
    case Hand::SoundersStartStop: return PressKey(machine, exercise, front.SoundersStartStopButton);
    case Hand::Reset: return PressKey(machine, exercise, front.ResetButton);
    case Hand::DelayOnOff: return PressKey(machine, exercise, front.DelayOnOffButton);
    case Hand::ItemSelect: return PressKey(machine, exercise, front.ItemSelectButton);
    case Hand::DisableTestNormal: return PressKey(machine, exercise, front.DisableTestNormalButton);
    case Hand::Cover: return PressKey(machine, exercise, front.SelectCoverOff);
    case Hand::BoardKey: return PressKey(machine, exercise, front.PCBKeyswitch, engineeringHoldMs);
  }
}

const ModelAnswer modelAnswers[] = {
    {"fire-one-zone",
     {{"level ZoneAnalogueControl3 500", 15000, {Hand::KeyOn, Hand::BuzzerMute, Hand::SoundersStartStop}},
      {"level ZoneAnalogueControl3 2000", 10000, {Hand::Reset, Hand::KeyOff}}}},
    {"coincidence-pair",
     {{"level ZoneAnalogueControl1 500", 10000, {Hand::BuzzerMute}},
      {"level ZoneAnalogueControl2 500", 15000, {Hand::KeyOn, Hand::SoundersStartStop}},
      {"level ZoneAnalogueControl2 2000", 10000, {Hand::Reset, Hand::KeyOff}}}},
    {"delayed-sounders",
     {{"level ZoneAnalogueControl2 500", 20000, {Hand::KeyOn, Hand::Accept, Hand::KeyOff}},
      {"level ZoneAnalogueControl2 2000", 10000, {Hand::KeyOn, Hand::Reset, Hand::KeyOff}}}},
    {"mains-failure-night",
     {{"click PSUMainsInput", 20000, {Hand::BuzzerMute}},
      {"click PSUMainsInput", 10000, {Hand::KeyOn, Hand::Reset, Hand::KeyOff}}}},
    {"earth-fault",
     {{"click EarthHoldLow", 20000, {Hand::BuzzerMute}},
      {"click EarthHoldLow", 10000, {Hand::KeyOn, Hand::Reset, Hand::KeyOff}}}},
    {"zone-in-test",
     {{"level ZoneAnalogueControl2 2000", 40000,
       {Hand::KeyOn, Hand::ItemSelect, Hand::ItemSelect, Hand::ItemSelect, Hand::ItemSelect, Hand::ItemSelect,
        Hand::DisableTestNormal, Hand::KeyOff}}}},
    {"disabled-zone-forgotten",
     {{"click Keyswitch at 70 70", 20000,
       {Hand::KeyOn, Hand::ItemSelect, Hand::ItemSelect, Hand::ItemSelect, Hand::ItemSelect, Hand::ItemSelect,
        Hand::ItemSelect, Hand::DisableTestNormal, Hand::DisableTestNormal, Hand::KeyOff}}}},
    {"engineering-non-latching",
     {{"click Keyswitch at 70 70", 20000,
       {Hand::Cover, Hand::BoardKey, Hand::DelayOnOff, Hand::SoundersStartStop, Hand::SoundersStartStop,
        Hand::SoundersStartStop, Hand::BuzzerMute, Hand::Cover}}}},
};

void PrintTo(const ModelAnswer& answer, std::ostream* out) { *out << answer.exercise; }

class ExerciseModelAnswer : public testing::TestWithParam<ModelAnswer> {};

TEST_P(ExerciseModelAnswer, PassesEveryCheckpoint) {
  const ModelAnswer& answer = GetParam();
  Machine machine(BoardPacing::Stepped);
  size_t step = 0;
  std::optional<int64_t> actAtMs;  // when the cued step is due, in the exercise's time
  const fs::path path = exercisesFolder / (std::string(answer.exercise) + ".qxs");
  scenario::Exercise exercise(path.string(), machine, Acting([&](const std::string& line) {
    if (step < answer.steps.size() && !actAtMs && line.starts_with(answer.steps[step].cue))
      actAtMs = exercise.Progress().elapsedMs + answer.steps[step].afterMs;
  }));
  ASSERT_TRUE(exercise.Loaded()) << exercise.Result().output;
  RunOut(machine, exercise, [&] {
    if (!actAtMs || exercise.Progress().elapsedMs < *actAtMs) return;
    actAtMs.reset();
    for (const Hand hand : answer.steps[step++].hands) Act(machine, exercise, hand);
  });
  EXPECT_EQ(step, answer.steps.size());
  const scenario::ScriptResult result = exercise.Result();
  EXPECT_TRUE(exercise.Progress().finished);
  EXPECT_EQ(result.checkpoints.size(), exercise.Progress().checkpoints);
  for (const scenario::Checkpoint& checkpoint : result.checkpoints)
    EXPECT_TRUE(checkpoint.passed) << "line " << checkpoint.line << ": " << checkpoint.text;
}

INSTANTIATE_TEST_SUITE_P(ExerciseLibrary, ExerciseModelAnswer, testing::ValuesIn(modelAnswers),
                         [](const testing::TestParamInfo<ModelAnswer>& info) {
                           std::string name = info.param.exercise;
                           std::erase(name, '-');
                           return name;
                         });

}  // namespace
