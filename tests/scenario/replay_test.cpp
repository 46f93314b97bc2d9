// A session driven through the windows' pointer events, recorded, and
// replayed by the scenario runner: the same firmware state and the same
// Hardware.dat, byte for byte.

#include <gtest/gtest.h>

#include "tests/scenario/live_panel.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "firmware/variables.h"
#include "machine/machine.h"
#include "machine/session_recorder.h"
#include "scenario/runner.h"
#include "tests/support/clean_state.h"
#include "windows/maindisplay.h"

namespace {

std::vector<uint32_t> FirmwareSnapshot() {
  std::vector<uint32_t> values;
  for (const FirmwareVariable& variable : FirmwareVariables()) {
    for (int i = 0; i < variable.count; ++i) values.push_back(ReadFirmwareVariable(variable, i));
  }
  return values;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A person at the mouse: events in client coordinates, time passing between them.
struct Hand {
  Machine& machine;

  void Down(TControl& control, int x, int y, MouseButton button = MouseButton::Left) {
    const auto [fx, fy] = FormPoint(control, x, y);
    control.Form()->PointerDown(button, button == MouseButton::Right ? ssRight : ssLeft, fx, fy);
  }
  void Move(TControl& control, int x, int y) {
    const auto [fx, fy] = FormPoint(control, x, y);
    control.Form()->PointerMove(ssLeft, fx, fy);
  }
  void Up(TControl& control, int x, int y, MouseButton button = MouseButton::Left) {
    const auto [fx, fy] = FormPoint(control, x, y);
    control.Form()->PointerUp(button, 0, fx, fy);
  }
  void Hold(TControl& control, int64_t ms) {
    Down(control, 5, 5);
    machine.Advance(ms);
    Up(control, 5, 5);
  }
  static std::pair<int, int> FormPoint(const TControl& control, int x, int y) {
    for (const TControl* at = &control; at != at->Form(); at = at->Parent()) {
      x += at->Left();
      y += at->Top();
    }
    return {x, y};
  }
};

void DriveSession(Machine& machine) {
  Hand hand{machine};
  TfrmMainDisplay& front = machine.front();
  TfrmHardwareControl& hw = machine.hardware();
  machine.Advance(1000);
  hand.Down(*front.Keyswitch, 2, 2);  // key on
  hand.Up(*front.Keyswitch, 2, 2);
  machine.Advance(200);
  hand.Hold(*front.ResetButton, 100);
  machine.Advance(500);
  TShape& zone1 = *hw.ZoneAnalogueControl[0];
  hand.Down(zone1, zone1.Width() - 4, 4);  // drag the line down into the fire band
  for (int x = zone1.Width() - 8; x > 12; x -= 6) {
    hand.Move(zone1, x, 4);
    machine.Advance(10);
  }
  hand.Up(zone1, 12, 4);
  machine.Advance(2000);
  hand.Hold(*front.BuzzerMuteButton, 100);
  hand.Down(*hw.PSUMainsInput, 4, 4);  // mains off
  hand.Up(*hw.PSUMainsInput, 4, 4);
  machine.Advance(12000);
  hand.Down(*front.SoundersStartStopButton, 4, 4, MouseButton::Right);  // held until a left click
  machine.Advance(300);
  hand.Down(*front.SoundersStartStopButton, 4, 4);
  hand.Up(*front.SoundersStartStopButton, 4, 4);
  machine.Advance(1500);
}

}  // namespace

TEST(SessionReplay, ARecordedSessionReplaysToTheSameFirmwareStateAndSettingsBytes) {
  {
    SessionRecorder recorder("session.qxs", KeepStartSettings("session.qxs"));
    Machine machine(BoardPacing::Stepped);
    recorder.Attach(machine);
    DriveSession(machine);
    recorder.Detach();
  }
  const std::vector<uint32_t> recorded = FirmwareSnapshot();
  const std::string settings = Bytes("Hardware.dat");
  ASSERT_FALSE(settings.empty());

  ResetAllState();
  scenario::RunOptions options;
  options.save = "replayed.dat";
  std::ostringstream out;
  ASSERT_EQ(scenario::RunScripts({"session.qxs"}, options, out), scenario::allPassed) << out.str();
  EXPECT_EQ(FirmwareSnapshot(), recorded);
  EXPECT_EQ(Bytes("replayed.dat"), settings);
  EXPECT_NE(recorded, (ResetAllState(), FirmwareSnapshot())) << "the session changed nothing";
}

// The recording is the trainee's answer: the exercise's own lines go into it
// as they act, the trainee's pointer events between them.
TEST(SessionReplay, ARecordingMadeDuringAnExerciseReplaysToTheSameState) {
  std::ofstream("exercise.qxs") << "wait 500ms\nlevel ZoneAnalogueControl2 450 ohm\nwait-until FireLED 1 within 5s\n"
                                   "wait 3s\nlevel VssAnalogueValueBox 20000 mV\nwait 2s\n";
  {
    SessionRecorder recorder("answer.qxs", KeepStartSettings("answer.qxs"));
    Machine machine(BoardPacing::Stepped);
    recorder.Attach(machine);
    scenario::Exercise exercise("exercise.qxs", machine, Acting([&](const std::string& line) { recorder.Line(line); }));
    ASSERT_TRUE(exercise.Loaded());
    Hand hand{machine};
    const auto live = [&](int64_t ms) {
      for (int64_t t = 0; t < ms; t += 20) {
        machine.Advance(20);
        exercise.Advance();
      }
    };
    live(2000);
    hand.Down(*machine.front().Keyswitch, 2, 2);  // key on
    hand.Up(*machine.front().Keyswitch, 2, 2);
    live(300);
    hand.Down(*machine.front().SoundersStartStopButton, 4, 4);
    live(200);
    hand.Up(*machine.front().SoundersStartStopButton, 4, 4);
    live(6000);
    EXPECT_TRUE(exercise.Progress().finished);
    recorder.Detach();
  }
  const std::vector<uint32_t> recorded = FirmwareSnapshot();
  const std::string settings = Bytes("Hardware.dat");
  const std::string answer = Bytes("answer.qxs");
  EXPECT_NE(answer.find("\nlevel ZoneAnalogueControl2 450 ohm\n"), std::string::npos) << answer;
  EXPECT_NE(answer.find("\npress frmMainDisplay.SoundersStartStopButton left"), std::string::npos) << answer;

  ResetAllState();
  scenario::RunOptions options;
  options.save = "replayed.dat";
  std::ostringstream out;
  ASSERT_EQ(scenario::RunScripts({"answer.qxs"}, options, out), scenario::allPassed) << out.str();
  EXPECT_EQ(FirmwareSnapshot(), recorded);
  EXPECT_EQ(Bytes("replayed.dat"), settings);
  EXPECT_NE(recorded, (ResetAllState(), FirmwareSnapshot())) << "the session changed nothing";
}

TEST(SessionReplay, AnUnwritableRecordingIsRefusedAtTheStart) {
  try {
    SessionRecorder recorder("no-such-folder/session.qxs", "");
    FAIL() << "opened";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "cannot write the recording no-such-folder/session.qxs: choose a writable path");
  }
}
