// The debrief as an instructor hands it to a trainee: one overall result, an
// abandoned exercise said to be so, plain words with the script's names kept
// for the instructor, text always written as text, headings in order, and an
// hour of flashing lamps still a small page.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "scenario/report.h"
#include "scenario/runner.h"
#include "tests/scenario/test_files.h"

using scenario::Checkpoint;
using scenario::ScriptResult;

namespace {

std::string Debrief(const std::vector<ScriptResult>& results) {
  std::ostringstream out;
  scenario::WriteHtmlReport(results, out);
  return out.str();
}

// An exercise with the sounders silenced in time, and the panel reset or not.
ScriptResult Exercise() {
  ScriptResult result;
  result.script = "/home/instructor/library/fire-one-zone.qxs";
  result.title = "a fire in one zone";
  result.teaches = "answering a fire alarm";
  result.endMs = 185'000;
  result.checkpoints.push_back(
      {26, 61'000, "SounderOutput1 = 0", true, true, "SounderOutput1", "0", "sounders silenced after the fire"});
  result.checkpoints.push_back({31, 150'000, "var zonesInFire = 0x04", true, true, "var zonesInFire", "0x04", ""});
  result.measurements.push_back({26, "sounders silenced after the fire", 46'000, 120'000, 15'000});
  return result;
}

std::vector<int> HeadingLevels(const std::string& html) {
  std::vector<int> levels;
  const std::regex heading("<h([1-6])>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), heading); it != std::sregex_iterator(); ++it) {
    levels.push_back(std::stoi((*it)[1]));
  }
  return levels;
}

}  // namespace

TEST(Report, OneOverallResultPassOnlyWhenEveryCheckpointPassed) {
  ScriptResult passed = Exercise();
  ScriptResult failed = Exercise();
  failed.checkpoints[1].passed = false;
  ScriptResult abandoned = Exercise();
  abandoned.abandonedMs = 125'000;
  abandoned.checkpoints[1].reached = false;
  const struct {
    const ScriptResult& result;
    const char* verdict;
  } cases[] = {
      {passed, "<span class=\"verdict PASS\">PASS: passed 2 of 2 checkpoints</span>"},
      {failed, "<span class=\"verdict FAIL\">FAIL: passed 1 of 2 checkpoints</span>"},
      {abandoned, "<span class=\"verdict unreached\">Abandoned at 2:05: passed 1 of 2 checkpoints, 1 not reached</span>"},
  };
  for (const auto& c : cases) {
    const std::string html = Debrief({c.result});
    EXPECT_TRUE(Contains(html, c.verdict)) << c.verdict;
    EXPECT_EQ(Contains(html, "PASS:"), c.result.checkpoints[1].passed && c.result.checkpoints[1].reached);
  }
  EXPECT_TRUE(Contains(Debrief({abandoned}), "<td>Zone 3 in fire</td><td>not reached</td>"));
}

TEST(Report, SpeaksPlainWordsAndKeepsTheScriptForTheInstructor) {
  ScriptResult result = Exercise();
  result.trainee = "Ann \"<b>\" O'Neil\nx";
  result.said.push_back({90'000, "The detector is <script>x</script> reset"});
  result.pauses.push_back({100'000, 130'000});
  result.events.push_back({60'000, 0, EventCategory::Operator, "Key: Sounders start/stop (level 2, accepted)"});
  const std::string html = Debrief({result});
  EXPECT_TRUE(Contains(html, "<html lang=\"en\">"));
  EXPECT_TRUE(Contains(html, "<h1>Debrief: a fire in one zone</h1>"));
  EXPECT_TRUE(Contains(html, "<p>Teaches: answering a fire alarm</p>"));
  EXPECT_TRUE(Contains(html, "<dd>Ann &quot;&lt;b&gt;&quot; O&apos;Neil\nx</dd>"));
  EXPECT_FALSE(Contains(html, "<script>"));
  EXPECT_FALSE(Contains(html, "/home/"));
  EXPECT_TRUE(Contains(html, "<dd>fire-one-zone.qxs</dd>"));
  EXPECT_TRUE(Contains(html, "<td>Sounders silenced after the fire: Sounders off</td><td>passed</td><td>15.0 s (limit 2 min)</td>"));
  // On the timeline itself, not only on hover: the action, the checkpoint, the message and the pause.
  EXPECT_TRUE(Contains(html, ">Sounders start/stop (level 2, accepted)</text>"));
  EXPECT_TRUE(Contains(html, ">✓ Zone 3 in fire</text>"));
  EXPECT_TRUE(Contains(html, ">“The detector is &lt;script&gt;x&lt;/script&gt; reset”</text>"));
  EXPECT_TRUE(Contains(html, ">paused 0:30</text>"));
  // The script's own names and lines, folded away.
  const std::string details = html.substr(html.find("<details>"));
  EXPECT_TRUE(Contains(details, "<td class=\"n\">fire-one-zone.qxs:26</td>"));
  EXPECT_TRUE(Contains(details, "<code>SounderOutput1 = 0</code>"));
}

// The report of a run, written by the runner: measurements against their
// limits; the checkpoints, the actions and the events of an hour, small.
TEST(Report, MeasurementsReachTheReportWithTheirLimits) {
  scenario::RunOptions options;
  options.report = "report.html";
  WriteFile("m.qxs",
            "mark start\nmeasure \"fault LED <2 s\" SystemFaultLED 1 within 2s\nmeasure \"never\" FireLED 1 within 100ms\n"
            "measure \"fault LED since the start\" SystemFaultLED 1 within 1s since start\n");
  std::ostringstream out;
  EXPECT_EQ(scenario::RunScripts({"m.qxs"}, options, out), scenario::someFailed);
  const std::string html = ReadFile("report.html");
  EXPECT_TRUE(Contains(html, "<tr class=\"PASS\"><td>fault LED &lt;2 s</td><td class=\"n\">2.000 s</td>"
                             "<td class=\"n\">0.050 s</td><td>PASS</td><td>m.qxs:2</td></tr>"));
  EXPECT_TRUE(Contains(html, "<td class=\"n\">not reached</td><td>FAIL</td>"));
  EXPECT_TRUE(Contains(html, "<title>System fault indication on, 0:00.0 to "));
}

TEST(Report, DebriefOfAnHourHoldsCheckpointsActionsAndEventsInOrderAndStaysSmall) {
  scenario::RunOptions options;
  options.report = "debrief.html";
  WriteFile("hour.qxs",
            "level ZoneAnalogueControl1 500 ohm\nwait-until FireLED 1 within 10s\nwait 1h\n"
            "expect SounderOutput1 0\n");
  std::ostringstream out;
  EXPECT_EQ(scenario::RunScripts({"hour.qxs", "hour.qxs"}, options, out), scenario::someFailed);
  const std::string html = ReadFile("debrief.html");
  EXPECT_TRUE(Contains(html, "FAIL: passed 1 of 2 checkpoints"));
  EXPECT_TRUE(Contains(html, "<td>Fire indication on</td><td>passed</td>"));
  EXPECT_TRUE(Contains(html, "<td>Sounders off</td><td>failed</td>"));
  EXPECT_TRUE(Contains(html, ">Zone 1 line: 4.7 kΩ to 500 Ω (fire)</text>"));  // an action, labelled
  EXPECT_TRUE(Contains(html, "<td>fire</td><td>Zone 1 fire</td>"));
  EXPECT_TRUE(Contains(html, "<title>Fire indication flashing, "));
  EXPECT_TRUE(Contains(html, ">1:00:00</text>"));  // the axis's last tick
  const std::vector<int> levels = HeadingLevels(html);
  ASSERT_FALSE(levels.empty());
  EXPECT_EQ(levels.front(), 1);
  for (size_t i = 1; i < levels.size(); ++i) EXPECT_LE(levels[i], levels[i - 1] + 1) << "heading " << i;
  EXPECT_LT(html.size(), 2 * 20'000u);
}
