// What a CI server reads from the runner: JUnit XML, the same report however
// many threads run it, shards that split a library cleanly and whole-script
// checks before the run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "app/scenario_command_line.h"
#include "scenario/runner.h"
#include "tests/scenario/test_files.h"

using scenario::RunOptions;
using scenario::RunScripts;

namespace {

// A passing, a failing and a broken script, and one with prints and a measure.
std::vector<std::string> MixedScripts() {
  WriteFile("pass.qxs", "wait 1s\nexpect PowerLED 1\n");
  WriteFile("fail.qxs", "wait 1s\nexpect SystemFaultLED 0\nexpect PowerLED \"<&>\"\n");
  WriteFile("broken.qxs", "wait 10ms\nexpect NoSuchControl 1\n");
  WriteFile("print.qxs", "print var panelMode\nmeasure \"fault LED\" SystemFaultLED 1 within 100ms\nprint VssLevel\n");
  return {"pass.qxs", "fail.qxs", "broken.qxs", "print.qxs", "missing.qxs"};
}

struct Outcome {
  int code;
  std::string output;
};

Outcome RunWith(const std::vector<std::string>& scripts, const RunOptions& options) {
  std::ostringstream out;
  const int code = RunScripts(scripts, options, out);
  return {code, out.str()};
}

}  // namespace

TEST(ScenarioCi, JunitReportPassesTheSchemaCheck) {
  RunOptions options;
  options.junit = "report.xml";
  EXPECT_EQ(RunWith(MixedScripts(), options).code, scenario::cannotRun);
  const std::string xml = ReadFile("report.xml");
  EXPECT_TRUE(Contains(xml, "<testsuites tests=\"5\" failures=\"1\" errors=\"2\""));
  EXPECT_TRUE(Contains(xml, "<failure message=\"fail.qxs:2: FAIL at 1.000: expected SystemFaultLED = 0, got 1\" type=\"failure\">"));
  EXPECT_TRUE(Contains(xml, "&quot;&lt;&amp;&gt;&quot;"));
  EXPECT_TRUE(Contains(xml, "<error message=\"broken.qxs:2: unknown control &apos;NoSuchControl&apos;\" type=\"error\">"));
  const std::string check = std::string("xmllint --noout --schema ") + QX40_JUNIT_XSD + " report.xml";
  EXPECT_EQ(std::system(check.c_str()), 0);

  // A failed measure names the requirement it missed.
  WriteFile("slow.qxs", "measure \"fire shown\" FireLED 1 within 100ms\n");
  EXPECT_EQ(RunWith({"slow.qxs"}, options).code, scenario::someFailed);
  EXPECT_TRUE(Contains(ReadFile("report.xml"),
                       "<failure message=\"slow.qxs:1: requirement &quot;fire shown&quot; not met within 0.100 s: FAIL at "));
}

TEST(ScenarioCi, TwoThreadsReportAsOneDoes) {
  RunOptions one, two;
  two.jobs = 2;
  const Outcome serial = RunWith(MixedScripts(), one);
  const Outcome parallel = RunWith(MixedScripts(), two);
  EXPECT_EQ(parallel.code, serial.code);
  EXPECT_EQ(parallel.output, serial.output);
  EXPECT_TRUE(Contains(serial.output, "print.qxs:1: 0.000 var panelMode = "));
  two.trace = "t.vcd";
  EXPECT_EQ(RunWith({"pass.qxs"}, two).code, scenario::cannotRun);
}

TEST(ScenarioCi, ShardsAreDisjointAndCoverEveryScript) {
  const std::vector<std::string> scripts = {"d.qxs", "a.qxs", "c.qxs", "b.qxs", "e.qxs", "a.qxs", "f.qxs", "g.qxs"};
  std::multiset<std::string> seen;
  for (int index = 0; index < 3; ++index) {
    for (const std::string& script : scenario::ShardOf(scripts, index, 3)) seen.insert(script);
  }
  EXPECT_EQ(seen, (std::multiset<std::string>{"a.qxs", "b.qxs", "c.qxs", "d.qxs", "e.qxs", "f.qxs", "g.qxs"}));
  EXPECT_EQ(scenario::ShardOf(scripts, 1, 3), (std::vector<std::string>{"b.qxs", "e.qxs"}));

  // The CI's variables choose the shard when no option does.
  WriteFile("a.qxs", "print PowerLED\n");
  WriteFile("b.qxs", "print FireLED\n");
  setenv("TEST_SHARD_INDEX", "1", 1);
  setenv("TEST_TOTAL_SHARDS", "2", 1);
  std::ostringstream out, err;
  EXPECT_EQ(scenario::RunCommandLine({"b.qxs", "a.qxs"}, {}, out, err), scenario::allPassed);
  EXPECT_EQ(out.str(), "b.qxs:1: 0.000 FireLED = 0\n0 passed, 0 failed\n");
  unsetenv("TEST_SHARD_INDEX");
  unsetenv("TEST_TOTAL_SHARDS");
  EXPECT_EQ(scenario::RunCommandLine({"--shard", "2/2", "a.qxs"}, {}, out, err), scenario::cannotRun);
  EXPECT_TRUE(Contains(err.str(), "bad shard '2/2'"));
}

TEST(ScenarioCi, TheWholeScriptIsCheckedBeforeItRuns) {
  WriteFile("s.qxs",
            "print PowerLED\nwait 7ms\nexpect ZoneAnalogueControl9 1\nlevel ZoneAnalogueControl1 8 kohm\n"
            "level VssAnalogueValueBox 40000 mV\nlevel ZoneAnalogueControl1 300\nexpect var zonesInFir 0\n"
            "level ZoneAnalogueControl1 4K72\nmeasure \"x\" FireLED 1 within 1s since strat\nmark start\n");
  EXPECT_EQ(RunWith({"s.qxs"}, {}).output,
            "s.qxs:2: error: duration '7ms' is not a multiple of 5 ms: write 5ms or 10ms\n"
            "s.qxs:3: error: unknown control 'ZoneAnalogueControl9': did you mean ZoneAnalogueControl1, "
            "ZoneAnalogueControl2 or ZoneAnalogueControl3?\n"
            "s.qxs:4: error: level out of range: 'ZoneAnalogueControl1' is 0 ohm to 7131 ohm\n"
            "s.qxs:5: error: level out of range: 'VssAnalogueValueBox' is 0 mV to 38333 mV\n"
            "s.qxs:6: error: level out of range: 'ZoneAnalogueControl1' is 0 to 256 wide\n"
            "s.qxs:7: error: unknown variable 'zonesInFir': did you mean zonesInFire?\n"
            "s.qxs:9: error: no mark 'strat' before this line\n"
            "0 passed, 0 failed\n");
}

// With nobody at the panel the silence is never given: its checkpoint fails
// once, at its limit, and nothing is judged twice.
TEST(ScenarioCi, AnExerciseRunWithNobodyFailsItsSilenceOnceAtItsLimit) {
  const Outcome run = RunWith({QX40_SCENARIOS_DIR "/exercises/fire-one-zone.qxs"}, RunOptions{});
  EXPECT_EQ(run.code, scenario::someFailed);
  const std::string silence = "measure \"sounders silenced after the fire\" = not reached (limit 120.000) FAIL";
  EXPECT_TRUE(Contains(run.output, silence)) << run.output;
  std::vector<std::string> line26;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    if (Contains(line, "fire-one-zone.qxs:26: ")) line26.push_back(line);
  }
  ASSERT_EQ(line26.size(), 2u) << run.output;  // the measurement and its one failure
  EXPECT_FALSE(Contains(line26[1], "PASS")) << line26[1];
}
