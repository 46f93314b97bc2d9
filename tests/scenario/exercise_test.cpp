// An exercise on a live panel: the instructor's lines at their times, the
// trainee's actions between them, the checkpoints judged without stopping,
// and the exercise's own clock standing while it is paused.

#include <gtest/gtest.h>

#include "tests/scenario/live_panel.h"
#include "tests/scenario/test_files.h"

namespace {

constexpr const char* fireExercise =
    "level ZoneAnalogueControl1 500 ohm\n"
    "wait-until FireLED 1 within 10s       # the fire shows\n"
    "wait-until SounderOutput1 0 within 60s  # the trainee silences the sounders\n"
    "wait 5s\n"
    "expect FireLED 0                       # never: the fire is still there\n";

}  // namespace

TEST(Exercise, CheckpointsAreJudgedAtTheirTimesWhileTheTraineeActs) {
  WriteFile("fire.qxs", fireExercise);
  Machine machine(BoardPacing::Stepped);
  std::vector<std::string> acted;
  scenario::Exercise exercise("fire.qxs", machine, Acting([&](const std::string& line) { acted.push_back(line); }));
  ASSERT_TRUE(exercise.Loaded());
  EXPECT_EQ(exercise.Progress().checkpoints, 3u);
  Live(machine, exercise, 3000);
  // A recording keeps the checkpoints in the form that holds none of the trainee's lines.
  EXPECT_EQ(acted, (std::vector<std::string>{"level ZoneAnalogueControl1 500 ohm",
                                             "meanwhile wait-until FireLED 1 within 10s       # the fire shows",
                                             "meanwhile wait-until SounderOutput1 0 within 60s  # the trainee silences the sounders"}));
  EXPECT_EQ(exercise.Progress().judged, 1u);  // the fire shows; the silence is awaited

  // The trainee: key on, then Sounders start/stop.
  TurnKey(machine, exercise, true);
  PressKey(machine, exercise, machine.front().SoundersStartStopButton);
  Live(machine, exercise, 1000);
  EXPECT_EQ(exercise.Progress().judged, 2u);

  // Paused, its clock stands and nothing more is judged; resumed, the wait ends.
  exercise.Pause();
  const int64_t pausedAt = exercise.Progress().elapsedMs;
  Live(machine, exercise, 10000);
  EXPECT_EQ(exercise.Progress().elapsedMs, pausedAt);
  EXPECT_EQ(exercise.Progress().judged, 2u);
  exercise.Resume();
  Live(machine, exercise, 6000);
  EXPECT_TRUE(exercise.Progress().finished);

  const scenario::ScriptResult result = exercise.Result();
  ASSERT_EQ(result.checkpoints.size(), 3u);
  EXPECT_TRUE(result.checkpoints[0].passed);
  EXPECT_TRUE(result.checkpoints[1].passed);
  EXPECT_FALSE(result.checkpoints[2].passed);
  EXPECT_EQ(result.checkpoints[2].line, 5);
  // The debrief's times are the panel's: the 10 s pause lies between them.
  EXPECT_NEAR(double(result.checkpoints[2].atMs - result.checkpoints[1].atMs), 15000.0, 20.0);
  ASSERT_EQ(result.pauses.size(), 1u);
  EXPECT_EQ(result.pauses[0].toMs - result.pauses[0].fromMs, 10000);
  EXPECT_FALSE(result.events.empty());
}

TEST(Exercise, AScriptWithErrorsIsRefusedWithItsLinesAndAnAbandonedOneEndsAtOnce) {
  WriteFile("bad.qxs", "wait 1s\nlevel ZoneAnalogueControl9 500 ohm\nstall 1s\n");
  Machine machine(BoardPacing::Stepped);
  const scenario::Exercise bad("bad.qxs", machine);
  EXPECT_FALSE(bad.Loaded());
  const scenario::ScriptResult refused = bad.Result();
  ASSERT_EQ(refused.errors.size(), 2u);
  EXPECT_EQ(refused.errors[0].line, 2);
  EXPECT_EQ(refused.errors[1].line, 3);

  WriteFile("fire.qxs", fireExercise);
  scenario::Exercise exercise("fire.qxs", machine);
  Live(machine, exercise, 3000);
  exercise.Abandon();
  EXPECT_TRUE(exercise.Progress().finished);
  EXPECT_FALSE(exercise.Advance());
  // Abandoned: the one judged, and the two never reached listed as such.
  const scenario::ScriptResult result = exercise.Result();
  ASSERT_TRUE(result.abandonedMs);
  ASSERT_EQ(result.checkpoints.size(), 3u);
  EXPECT_TRUE(result.checkpoints[0].reached);
  EXPECT_FALSE(result.checkpoints[1].reached);
  EXPECT_EQ(result.checkpoints[1].line, 3);
  EXPECT_FALSE(result.checkpoints[2].reached);
  EXPECT_EQ(exercise.Progress().judged, 1u);
}
