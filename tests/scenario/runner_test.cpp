// The scenario runner end to end: scripts in, report and exit code out.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "qt/offscreen.h"
#include "qt/qt_host.h"
#include "app/scenario_command_line.h"
#include "scenario/runner.h"
#include "tests/scenario/test_files.h"

using scenario::RunOptions;
using scenario::RunScripts;

namespace {

struct Outcome {
  int code;
  std::string output;
};

Outcome RunText(const std::string& script, const RunOptions& options = {}) {
  WriteFile("s.qxs", script);
  std::ostringstream out;
  const int code = RunScripts({"s.qxs"}, options, out);
  return {code, out.str()};
}

}  // namespace

TEST(ScenarioRunner, ExpectationsThatHoldExitZero) {
  const Outcome run = RunText("# a comment\n\nwait 1s\nexpect PowerLED 1\nexpect var zonesInFire 0\n");
  EXPECT_EQ(run.code, scenario::allPassed);
  EXPECT_EQ(run.output, "2 passed, 0 failed\n");
}

TEST(ScenarioRunner, AFailedExpectationSaysWhereWhenAndWhat) {
  const Outcome run = RunText("wait 1.25s\nexpect SystemFaultLED 0\nexpect frmHardwareControl.Label21 \"Zone9\"\n");
  EXPECT_EQ(run.code, scenario::someFailed);
  EXPECT_EQ(run.output,
            "s.qxs:2: FAIL at 1.250: expected SystemFaultLED = 0, got 1\n"
            "s.qxs:3: FAIL at 1.250: expected frmHardwareControl.Label21 = \"Zone9\", got \"Zone4\"\n"
            "0 passed, 2 failed\n");
}

TEST(ScenarioRunner, PrintGivesTimeTargetAndValue) {
  const Outcome run = RunText("wait 20ms\nprint config 129\nprint var panelMode&0x01\nprint VssLevel\n");
  EXPECT_EQ(run.output,
            "s.qxs:2: 0.020 config 129 = 0\ns.qxs:3: 0.020 var panelMode&0x01 = 0\n"
            "s.qxs:4: 0.020 VssLevel = \"27.8V\"\n0 passed, 0 failed\n");
}

TEST(ScenarioRunner, ErrorsStopTheScriptWithExitTwoAndLaterScriptsStillRun) {
  const std::pair<const char*, const char*> table[] = {
      {"jump 5", "unknown command 'jump'"},
      {"wait 5 s", "wait takes one duration"},
      {"expect NoSuchControl 1", "unknown control 'NoSuchControl'"},
      {"expect Label1 1", "'Label1' is in both windows: write frmMainDisplay.Label1 or frmHardwareControl.Label1"},
      {"expect frmMainDisplay.GroupBox1 1", "unknown control 'frmMainDisplay.GroupBox1'"},
      {"expect GroupBox1 1", "'GroupBox1' has no value of its own: name an attribute"},
      {"expect AcceptButton.caption 1", "'AcceptButton' has no caption"},
      {"expect FireLED.value 1", "'FireLED' is not a level control"},
      {"expect var noSuchVariable 0", "unknown variable 'noSuchVariable'"},
      {"expect var zoneAlarmCount 0", "'zoneAlarmCount' needs an index"},
      {"expect var zoneAlarmCount[8] 0", "index out of range: var zoneAlarmCount[8]"},
      {"expect var panelMode[0] 0", "'panelMode' takes no index"},
      {"expect VssLevel&0x01 0", "a mask needs a number: VssLevel&0x01"},
      {"level VbattAnalogueValueBox 500 ohm", "'VbattAnalogueValueBox' is not set in mV"},
      {"level ZoneAnalogueControl1 500 mV", "'ZoneAnalogueControl1' is not set in ohm"},
      {"level Relay1ValueBox 5 mV", "'Relay1ValueBox' is not set in either unit"},
      {"level FireLED 20", "'FireLED' is not a level control's box"},
      {"level ZoneAnalogueValue1 20", "'ZoneAnalogueValue1' is not a level control's box"},
      {"expect WatchdogTimer.left 0", "WatchdogTimer has only a tag"},
      {"expect PowerLED 0x-1", "bad number '0x-1'"},
      {"expect PowerLED --1", "bad number '--1'"},
      {"print Label1", "'Label1' is in both windows: write frmMainDisplay.Label1 or frmHardwareControl.Label1"},
      {"expect Relay1ValueBox.value 0", "'Relay1ValueBox' holds no ohms or millivolts: read its width"},
  };
  for (const auto& [line, message] : table) {
    WriteFile("bad.qxs", std::string("wait 10ms\n\n") + line + "\nexpect PowerLED 7\n");
    WriteFile("good.qxs", "expect PowerLED 1\n");
    std::ostringstream out;
    EXPECT_EQ(RunScripts({"bad.qxs", "good.qxs"}, {}, out), scenario::cannotRun) << line;
    EXPECT_EQ(out.str(), std::string("bad.qxs:3: error: ") + message + "\n1 passed, 0 failed\n") << line;
  }
}

TEST(ScenarioRunner, AnUnreadableScriptIsAnError) {
  std::ostringstream out;
  EXPECT_EQ(RunScripts({"missing.qxs"}, {}, out), scenario::cannotRun);
  EXPECT_EQ(out.str(), "missing.qxs: error: cannot read the script: No such file or directory\n0 passed, 0 failed\n");
}

TEST(ScenarioRunner, ErrorsOutrankFailures) {
  WriteFile("fails.qxs", "expect PowerLED 0\n");
  WriteFile("broken.qxs", "bogus\n");
  std::ostringstream out;
  EXPECT_EQ(RunScripts({"fails.qxs", "broken.qxs"}, {}, out), scenario::cannotRun);
}

TEST(ScenarioRunner, ALevelInOhmsTakesTheNearestWidth) {
  // 48 px is 489 ohm and 49 px 506 ohm: 500 is nearer 506.
  const Outcome run = RunText(
      "level ZoneAnalogueControl1 500 ohm\nexpect ZoneAnalogueControl1 49\nexpect ZoneAnalogueValue1.value 506\n"
      "expect ZoneResValue1 \"506R\"\nlevel ZoneAnalogueControl1 30\nexpect ZoneAnalogueControl1.width 30\n");
  EXPECT_EQ(run.output, "4 passed, 0 failed\n");
}

TEST(ScenarioRunner, WaitUntilStopsAtTheFirstStepThatHoldsOrFailsAtTheDeadline) {
  const Outcome run = RunText(
      "wait-until SystemFaultLED 1 within 1s\nprint SystemFaultLED\n"
      "wait-until SystemFaultLED 0 within 200ms\n");
  EXPECT_EQ(run.code, scenario::someFailed);
  EXPECT_EQ(run.output,
            "s.qxs:2: 0.050 SystemFaultLED = 1\n"
            "s.qxs:3: FAIL at 0.250: expected SystemFaultLED = 0, got 1\n1 passed, 1 failed\n");
}

TEST(ScenarioRunner, RestartKeepsTheConfigurationAndTheTime) {
  const Outcome run = RunText(
      "set config 130 0x05\nset nv 200 0x77\nwait 1s\nrestart\nprint config 130\nprint config 200\n"
      "print config 255\nwait 0.5s\nprint var zonesInFire\nexpect SystemFaultLED 1\n");
  EXPECT_EQ(run.output,
            "s.qxs:5: 1.000 config 130 = 5\ns.qxs:6: 1.000 config 200 = 119\ns.qxs:7: 1.000 config 255 = 5\n"
            "s.qxs:9: 1.500 var zonesInFire = 0\n1 passed, 0 failed\n");
}

TEST(ScenarioRunner, SettingsAreCopiedInAndSavedOut) {
  RunOptions save;
  save.save = "saved.dat";
  RunText("set config 131 0x02\n", save);
  const std::string saved = ReadFile("saved.dat");
  ASSERT_FALSE(saved.empty());

  RunOptions from;
  from.settings = "saved.dat";
  const Outcome run = RunText("expect config 131 0x02\nset config 131 0\n", from);
  EXPECT_EQ(run.output, "1 passed, 0 failed\n");
  EXPECT_EQ(ReadFile("saved.dat"), saved);  // the original is never written
}

TEST(ScenarioRunner, MouseEventsReachTheControlsOwnHandlers) {
  const Outcome run = RunText(
      "press AcceptButton\nexpect AcceptButton 1\nrelease AcceptButton right\nexpect AcceptButton 1\n"
      "release AcceptButton\nexpect AcceptButton 0\n"
      "press Keyswitch at 2 2\nexpect Keyswitch 1\nmove Keyswitch 60 60\nexpect Keyswitch 0\n"
      "release Keyswitch at 2 2\nexpect Keyswitch 1\n"
      "click OptionalRelays\nexpect OptionalRelays 2\nclick OptionalRelays\nexpect OptionalRelays 1\n"
      "click OptionalRelays right\nexpect OptionalRelays 1\n"
      "click PSUMainsInput\nexpect PSUMainsInput 0\n");
  EXPECT_EQ(run.output, "10 passed, 0 failed\n");
}

TEST(ScenarioRunner, AttributesOfAnyNamedControl) {
  const Outcome run = RunText(
      "expect frmMainDisplay.frmAlarmCounter1.visible 0\nexpect GroupBox1.caption \"Zone Analogue Levels\"\n"
      "expect GroupBox1.left 0\nexpect GroupBox1.top 0\nexpect ZoneAnalogueValue1.tag 0x0\n"
      "print PSUMainsInput.hint\nprint WatchdogTimer\nexpect OptionalRelays.caption \"Optional Relays\"\n");
  EXPECT_EQ(run.code, scenario::someFailed);  // the fill's tag is its ohms
  EXPECT_TRUE(Contains(run.output, "s.qxs:5: FAIL at 0.000: expected ZoneAnalogueValue1.tag = 0, got "));
  EXPECT_TRUE(Contains(run.output, "s.qxs:7: 0.000 WatchdogTimer = 0\n"));
  EXPECT_TRUE(Contains(run.output, "5 passed, 1 failed\n"));
}

TEST(ScenarioRunner, TwoRunsGiveTheSameReportAndTrace) {
  const std::string script =
      "click Keyswitch at 2 2\npress ResetButton\nwait 100ms\nrelease ResetButton\n"
      "level ZoneAnalogueControl2 400 ohm\nwait 3s\nprint var zonesInFire\nprint port 24\nstall 3s\n"
      "restart\nwait 1s\nprint SystemFaultLED\n";
  RunOptions first;
  first.trace = "first.vcd";
  RunOptions second;
  second.trace = "second.vcd";
  const Outcome a = RunText(script, first);
  const Outcome b = RunText(script, second);
  EXPECT_EQ(a.output, b.output);
  EXPECT_FALSE(ReadFile("first.vcd").empty());
  EXPECT_EQ(ReadFile("first.vcd"), ReadFile("second.vcd"));
}

TEST(ScenarioRunner, TheTraceDeclaresEverySignalAndRecordsChangesWhenTheyHappen) {
  RunOptions options;
  options.trace = "t.vcd";
  RunText("wait 100ms\nlevel ZoneAnalogueControl1 400 ohm\nwait 1s\n", options);
  const std::string vcd = ReadFile("t.vcd");
  EXPECT_TRUE(Contains(vcd, "$timescale 1ms $end\n$scope module frmMainDisplay $end\n"));
  for (const char* declared : {" FireLED $end", " Segment1 $end", " Zone8FaultLED $end", " OptionalRelays $end",
                               " ZoneAnalogueValue1 $end", " VssAnalogueValue $end", " Relay1Value $end",
                               "$scope module board $end", " port0 $end", " port37 $end"}) {
    EXPECT_TRUE(Contains(vcd, declared)) << declared;
  }
  EXPECT_TRUE(Contains(vcd, "$var wire 2 ")) << "check box";
  EXPECT_TRUE(Contains(vcd, "$var wire 8 ")) << "ports";
  EXPECT_TRUE(Contains(vcd, "$var wire 16 ")) << "levels";
  EXPECT_TRUE(Contains(vcd, "$enddefinitions $end\n#0\n$dumpvars\n"));
  // The level changed at 100 ms, to 395 ohm (42 px): 0b110001011.
  const size_t at = vcd.find("\n#100\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_TRUE(Contains(vcd.substr(at, vcd.find("\n#", at + 1) - at), "\nb110001011 "));
  // The system fault latch shows at the first 50 ms update.
  EXPECT_TRUE(Contains(vcd, "\n#50\n"));
}

TEST(ScenarioRunner, CommandLine) {
  WriteFile("ok.qxs", "expect PowerLED 1\n");
  std::ostringstream out, err;
  EXPECT_EQ(scenario::RunCommandLine({"--trace=t.vcd", "ok.qxs"}, {}, out, err), scenario::allPassed);
  EXPECT_EQ(out.str(), "1 passed, 0 failed\n");
  EXPECT_FALSE(ReadFile("t.vcd").empty());
  EXPECT_EQ(scenario::RunCommandLine({"--save"}, {}, out, err), scenario::cannotRun);
  EXPECT_EQ(scenario::RunCommandLine({"--colour", "ok.qxs"}, {}, out, err), scenario::cannotRun);
  EXPECT_EQ(scenario::RunCommandLine({}, {}, out, err), scenario::cannotRun);
  EXPECT_TRUE(Contains(err.str(), "usage: qx40-scenario [--settings FILE] [--save FILE] [--trace FILE.vcd] SCRIPT..."));
}

TEST(ScenarioRunner, ScreenshotsAreTheWindowsAsShownAndAFolderThatIsNotThereIsAnError) {
  RunOptions options;
  options.screenshot = SaveFormPng;
  const Outcome run =
      RunText("wait 1s\nscreenshot frmMainDisplay front.png\nscreenshot frmHardwareControl missing/hw.png\n", options);
  EXPECT_EQ(run.output, "s.qxs:3: error: cannot write missing/hw.png\n0 passed, 0 failed\n");
  const QImage front("front.png");
  EXPECT_EQ(front.width(), 780);
  EXPECT_EQ(front.height(), 361);
}

// The program draws through the module it loads only then, byte for byte as
// this process's own Qt draws; its captions are sized from the built table.
TEST(ScenarioRunner, TheProgramsScreenshotsAreTheInProcessDrawing) {
  const std::string script = "wait 1s\nclick Keyswitch at 2 2\nwait 200ms\n"
                             "screenshot frmMainDisplay front.png\nscreenshot frmHardwareControl hw.png\n";
  WriteFile("s.qxs", script);
  ASSERT_EQ(std::system(QX40_SCENARIO_PROGRAM " s.qxs >program.txt"), 0) << ReadFile("program.txt");
  const std::string program[] = {ReadFile("front.png"), ReadFile("hw.png")};
  QtHost qt;
  RunOptions options;
  options.screenshot = SaveFormPng;
  options.host = &qt;
  ASSERT_EQ(RunText(script, options).code, scenario::allPassed);
  EXPECT_FALSE(program[0].empty());
  EXPECT_TRUE(program[0] == ReadFile("front.png"));
  EXPECT_TRUE(program[1] == ReadFile("hw.png"));
}
