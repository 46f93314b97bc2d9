// What a CI server reads from the runner: JUnit XML, the same report however
// many processes run it, shards that split a library cleanly, whole-script
// checks before the run, and measurements with their HTML report.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

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
  EXPECT_TRUE(Contains(xml, "<failure message=\"FAIL at 1.000: expected SystemFaultLED = 0, got 1\" type=\"failure\">fail.qxs:2: "));
  EXPECT_TRUE(Contains(xml, "&quot;&lt;&amp;&gt;&quot;"));
  EXPECT_TRUE(Contains(xml, "<error message=\"unknown control &apos;NoSuchControl&apos;\" type=\"error\">broken.qxs:2: "));
  const std::string check = std::string("xmllint --noout --schema ") + QX40_JUNIT_XSD + " report.xml";
  EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST(ScenarioCi, TwoProcessesReportAsOneDoes) {
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

TEST(ScenarioCi, MeasurementsReachTheReportWithTheirLimits) {
  RunOptions options;
  options.report = "report.html";
  WriteFile("m.qxs",
            "mark start\nmeasure \"fault LED <2 s\" SystemFaultLED 1 within 2s\nmeasure \"never\" FireLED 1 within 100ms\n"
            "measure \"fault LED since the start\" SystemFaultLED 1 within 1s since start\n");
  const Outcome run = RunWith({"m.qxs"}, options);
  EXPECT_EQ(run.code, scenario::someFailed);
  EXPECT_EQ(run.output,
            "m.qxs:2: 0.050 measure \"fault LED <2 s\" = 0.050 (limit 2.000) PASS\n"
            "m.qxs:3: 0.150 measure \"never\" = not reached (limit 0.100) FAIL\n"
            "m.qxs:3: FAIL at 0.150: \"never\" not reached within 0.100 s: expected FireLED to become 1, it is 0\n"
            "m.qxs:4: 0.150 measure \"fault LED since the start\" = 0.050 (limit 1.000) PASS\n2 passed, 1 failed\n");
  const std::string html = ReadFile("report.html");
  EXPECT_TRUE(Contains(html, "<tr class=\"PASS\"><td>fault LED &lt;2 s</td><td class=\"n\">2.000 s</td>"
                             "<td class=\"n\">0.050 s</td><td>PASS</td><td>m.qxs:2</td></tr>"));
  EXPECT_TRUE(Contains(html, "<td class=\"n\">not reached</td><td>FAIL</td>"));
  EXPECT_TRUE(Contains(html, "<svg "));
  EXPECT_TRUE(Contains(html, "<title>SystemFaultLED = 1 0.050 s to "));
}

// A trainer's debrief: the checkpoints with their times, the trainee's
// actions and the event log; an hour of flashing lamps stays a small page.
TEST(ScenarioCi, DebriefReportHoldsCheckpointsActionsAndEventsAndStaysSmallForAnHour) {
  RunOptions options;
  options.report = "debrief.html";
  WriteFile("hour.qxs",
            "level ZoneAnalogueControl1 500 ohm\nwait-until FireLED 1 within 10s\nwait 1h\n"
            "expect SounderOutput1 0\n");
  EXPECT_EQ(RunWith({"hour.qxs"}, options).code, scenario::someFailed);
  const std::string html = ReadFile("debrief.html");
  EXPECT_TRUE(Contains(html, "1 of 2 checkpoints passed"));
  EXPECT_TRUE(Contains(html, "<td>FireLED = 1</td><td>PASS</td><td class=\"n\">2</td>"));
  EXPECT_TRUE(Contains(html, "<td>SounderOutput1 = 0</td><td>FAIL</td><td class=\"n\">4</td>"));
  EXPECT_TRUE(Contains(html, "ZoneAnalogueControl1: 4727 -&gt; 506</title>"));  // an action tick
  EXPECT_TRUE(Contains(html, "<td>fire</td><td>Zone 1 fire</td>"));
  EXPECT_TRUE(Contains(html, "<title>FireLED flashing "));
  EXPECT_LT(html.size(), 20'000u);
}
