// A session driven through the windows' pointer events, recorded, and
// replayed by the scenario runner: the same firmware state and the same
// Hardware.dat, byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "firmware/firmware.h"
#include "firmware/variables.h"
#include "machine/machine.h"
#include "machine/session_recorder.h"
#include "scenario/runner.h"
#include "machine/event_log.h"
#include "tests/scenario/live_panel.h"
#include "tests/support/test_board.h"
#include "tests/support/clean_state.h"
#include "windows/framework/host.h"
#include "windows/maindisplay.h"

namespace {

std::vector<uint32_t> FirmwareSnapshot(const Firmware& firmware) {
  std::vector<uint32_t> values;
  for (const FirmwareVariable& variable : FirmwareVariables()) {
    for (int i = 0; i < variable.count; ++i) values.push_back(ReadFirmwareVariable(firmware, variable, i));
  }
  return values;
}

// The firmware's state as script lines: a replay that ends in it passes them.
std::string ExpectState(const Firmware& firmware) {
  std::string lines;
  for (const FirmwareVariable& variable : FirmwareVariables()) {
    for (int i = 0; i < variable.count; ++i) {
      const std::string element = variable.count > 1 ? "[" + std::to_string(i) + "]" : "";
      lines += "expect var " + std::string(variable.name) + element + ' ' +
               std::to_string(ReadFirmwareVariable(firmware, variable, i)) + '\n';
    }
  }
  return lines;
}

// What a panel that has done nothing holds.
std::vector<uint32_t> FreshFirmwareSnapshot() {
  TestBoard fresh;
  return FirmwareSnapshot(fresh.firmware());
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
  std::vector<uint32_t> recorded;
  std::string checks;
  {
    SessionRecorder recorder("session.qxs", KeepStartSettings("session.qxs"));
    Machine machine(BoardPacing::Stepped);
    recorder.Attach(machine);
    DriveSession(machine);
    recorder.Detach();
    recorded = FirmwareSnapshot(machine.firmware());
    checks = ExpectState(machine.firmware());
  }
  std::ofstream("session.qxs", std::ios::app) << checks;
  const std::string settings = Bytes("Hardware.dat");
  ASSERT_FALSE(settings.empty());

  scenario::RunOptions options;
  options.save = "replayed.dat";
  std::ostringstream out;
  ASSERT_EQ(scenario::RunScripts({"session.qxs"}, options, out), scenario::allPassed) << out.str();
  EXPECT_EQ(Bytes("replayed.dat"), settings);
  EXPECT_NE(recorded, FreshFirmwareSnapshot()) << "the session changed nothing";
}

// The recording is the trainee's answer: the exercise's own lines go into it
// as they act, the trainee's pointer events between them.
TEST(SessionReplay, ARecordingMadeDuringAnExerciseReplaysToTheSameState) {
  std::vector<uint32_t> recorded;
  std::string checks;
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
    recorded = FirmwareSnapshot(machine.firmware());
    checks = ExpectState(machine.firmware());
  }
  const std::string settings = Bytes("Hardware.dat");
  const std::string answer = Bytes("answer.qxs");
  std::ofstream("answer.qxs", std::ios::app) << checks;
  EXPECT_NE(answer.find("\nlevel ZoneAnalogueControl2 450 ohm\n"), std::string::npos) << answer;
  EXPECT_NE(answer.find("\npress frmMainDisplay.SoundersStartStopButton left"), std::string::npos) << answer;

  scenario::RunOptions options;
  options.save = "replayed.dat";
  std::ostringstream out;
  ASSERT_EQ(scenario::RunScripts({"answer.qxs"}, options, out), scenario::allPassed) << out.str();
  EXPECT_EQ(Bytes("replayed.dat"), settings);
  EXPECT_NE(recorded, FreshFirmwareSnapshot()) << "the session changed nothing";
}

TEST(SessionReplay, AnUnwritableRecordingIsRefusedAtTheStart) {
  try {
    SessionRecorder recorder("no-such-folder/session.qxs", "");
    FAIL() << "opened";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "cannot write the recording no-such-folder/session.qxs: choose a writable path");
  }
}

namespace {

// The desktop's window thread: work the board posts to it runs after the
// step that posted it, not inside it.
class WindowThread : public WindowHost {
 public:
  void Post(std::function<void()> work) override { posted_.push_back(std::move(work)); }
  void RunPosted() {
    for (auto work = std::exchange(posted_, {}); auto& w : work) w();
  }

 private:
  std::vector<std::function<void()>> posted_;
};

// A desktop session stepped in virtual time: keys held for the firmware as
// on the desktop, the event log and an exercise looked at every 10 ms.
struct Desktop {
  WindowThread window;
  Machine machine{BoardPacing::Stepped, &window};
  std::vector<PanelEvent> events;
  EventLog log{machine, [this](const PanelEvent& e) { events.push_back(e); }};
  scenario::Exercise* exercise = nullptr;
  Hand hand{machine};

  void Run(int64_t ms) {
    for (int64_t t = 0; t < ms; t += stepMs) {
      machine.Step();
      window.RunPosted();
      if (machine.NowMs() % 20 == 0) log.Sample(machine.NowMs());
      if (exercise && machine.NowMs() % 10 == 0) exercise->Advance();
    }
  }
  void KeyOn() {
    hand.Down(*machine.front().Keyswitch, 2, 2);
    hand.Up(*machine.front().Keyswitch, 2, 2);
  }
  // Press and release within one step: the panel holds the key until the firmware has it.
  void QuickClick(TControl& key) {
    hand.Down(key, 5, 5);
    hand.Up(key, 5, 5);
    Run(200);
  }
};

using Session = void (*)(Desktop&);

void QuickClicksThroughAFire(Desktop& d) {
  TfrmMainDisplay& front = d.machine.front();
  d.Run(1000);
  d.KeyOn();
  d.Run(300);
  d.QuickClick(*front.ResetButton);
  d.Run(6000);
  TShape& zone = *d.machine.hardware().ZoneAnalogueControl[1];
  d.hand.Down(zone, zone.Width() - 4, 4);
  for (int x = zone.Width() - 10; x > 12; x -= 9) {
    d.hand.Move(zone, x, 4);
    d.Run(10);
  }
  d.hand.Up(zone, 12, 4);
  d.Run(3000);
  d.QuickClick(*front.BuzzerMuteButton);
  d.QuickClick(*front.SoundersStartStopButton);
  d.Run(2000);
}

void SupplyFaultsAndAHeldKey(Desktop& d) {
  TfrmMainDisplay& front = d.machine.front();
  TfrmHardwareControl& hw = d.machine.hardware();
  d.Run(500);
  d.hand.Down(*hw.PSUMainsInput, 4, 4);
  d.hand.Up(*hw.PSUMainsInput, 4, 4);
  d.Run(12000);
  d.QuickClick(*front.BuzzerMuteButton);
  d.hand.Down(*front.LampTestButton, 4, 4, MouseButton::Right);  // held until a left click
  d.Run(700);
  d.QuickClick(*front.LampTestButton);
  d.hand.Down(*hw.PSUMainsInput, 4, 4);
  d.hand.Up(*hw.PSUMainsInput, 4, 4);
  d.Run(3000);
}

void Replay(const std::string& recording) {
  scenario::RunOptions options;
  options.save = "replayed.dat";
  options.log = "replayed.csv";
  std::ostringstream out;
  ASSERT_EQ(scenario::RunScripts({recording}, options, out), scenario::allPassed) << out.str();
}

// panel_time_s and event of each CSV row after the header.
std::vector<std::pair<double, std::string>> CsvEvents(const std::string& path) {
  std::vector<std::pair<double, std::string>> rows;
  std::istringstream in(Bytes(path));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string source, time, wall, category, event;
    std::getline(fields, source, ',');
    std::getline(fields, time, ',');
    std::getline(fields, wall, ',');
    std::getline(fields, category, ',');
    std::getline(fields, event);
    if (event.starts_with('"')) event = event.substr(1, event.size() - 2);  // quoted for its commas
    rows.emplace_back(std::stod(time), category + ": " + event);
  }
  return rows;
}

}  // namespace

// What the recorder wrote is what the panel received: quick clicks replay as
// the key held until the firmware had it, drags as the levels they set; the
// replay reaches the same panel and logs the same events, each within the
// log's 20 ms sample.
TEST(DesktopReplay, QuickClicksAndDragsReplayToTheSamePanelAndEventLog) {
  const std::pair<const char*, Session> sessions[] = {{"fire", QuickClicksThroughAFire}, {"supply", SupplyFaultsAndAHeldKey}};
  for (const auto& [name, session] : sessions) {
    SCOPED_TRACE(name);
    std::filesystem::remove("Hardware.dat");
    std::vector<PanelEvent> live;
    std::string checks;
    {
      SessionRecorder recorder("desktop.qxs", "");
      Desktop desktop;
      recorder.Attach(desktop.machine);
      AfterEachInput(desktop.machine, [&] { desktop.log.Sample(desktop.machine.NowMs()); });
      session(desktop);
      recorder.Detach();
      live = desktop.events;
      checks = ExpectState(desktop.machine.firmware());
    }
    std::ofstream("desktop.qxs", std::ios::app) << checks;
    const std::string settings = Bytes("Hardware.dat");
    std::filesystem::remove("Hardware.dat");
    Replay("desktop.qxs");
    EXPECT_EQ(Bytes("replayed.dat"), settings);
    const auto replayed = CsvEvents("replayed.csv");
    ASSERT_EQ(replayed.size(), live.size()) << Bytes("replayed.csv");
    for (size_t i = 0; i < live.size(); ++i) {
      EXPECT_EQ(replayed[i].second, std::string(CategoryName(live[i].category)) + ": " + live[i].text);
      EXPECT_NEAR(replayed[i].first * 1000.0, double(live[i].panelMs), 20.0) << live[i].text;
    }
  }
}

// A recording made during an exercise carries its checkpoints: the replay
// judges them again, with the same verdicts and measured times.
TEST(DesktopReplay, AnExerciseRecordingIsJudgedAgainAsItWasLive) {
  std::ofstream("drill.qxs") << "# Exercise: a drill.\n# Teaches: silencing.\n"
                                "wait 500ms\nlevel ZoneAnalogueControl2 450 ohm\nwait-until FireLED 1 within 10s\nmark fire\n"
                                "measure \"silenced\" SounderOutput1 0 within 1min since fire\n"
                                "say \"Well done\"\nexpect FireLED 1 throughout 2s\n";
  scenario::ScriptResult live;
  {
    SessionRecorder recorder("answer.qxs", "");
    Desktop desktop;
    recorder.Attach(desktop.machine);
    scenario::Exercise exercise("drill.qxs", desktop.machine, Acting([&](const std::string& line) { recorder.Line(line); }));
    ASSERT_TRUE(exercise.Loaded());
    desktop.exercise = &exercise;
    TfrmMainDisplay& front = desktop.machine.front();
    desktop.Run(300);
    desktop.KeyOn();
    desktop.Run(8000);
    desktop.QuickClick(*front.SoundersStartStopButton);
    desktop.Run(4000);
    ASSERT_TRUE(exercise.Progress().finished);
    live = exercise.Result();
    recorder.Detach();
  }
  ASSERT_EQ(live.measurements.size(), 1u);
  ASSERT_TRUE(live.measurements[0].measuredMs);
  EXPECT_GT(*live.measurements[0].measuredMs, 5000);

  scenario::RunOptions options;
  std::ostringstream out;
  ASSERT_EQ(scenario::RunScripts({"answer.qxs"}, options, out), scenario::allPassed) << out.str() << Bytes("answer.qxs");
  EXPECT_NE(out.str().find("3 passed, 0 failed"), std::string::npos) << out.str();
  const std::string line = out.str().substr(out.str().find("measure \"silenced\" = ") + 21, 6);
  EXPECT_NEAR(std::stod(line) * 1000.0, double(*live.measurements[0].measuredMs), 10.0) << out.str();
  EXPECT_EQ(live.passed, 3);
  EXPECT_EQ(live.said.size(), 1u);
}
