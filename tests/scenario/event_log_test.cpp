// The event log of each script of the library: the events the script causes,
// in order (other events may come between them), and the CSV it writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "scenario/runner.h"

namespace {

struct ScriptEvents {
  const char* script;
  std::vector<std::string> events;  // "category: text"
};

const ScriptEvents libraryEvents[] = {
    {"first-fire", {"fault: System fault latched at power-up", "operator: Access level 1 to 2",
                    "fault: System fault latch cleared", "hardware: Zone 1 line: 4.7 kΩ to 500 Ω (fire)",
                    "operator: Key: Reset (level 2, accepted)", "fire: Zone 1 fire",
                    "configuration: Alarm counter 0 to 1", "output: Sounders on", "operator: Buzzer muted (fire)",
                    "operator: Key: Buzzer mute (level 2, accepted)", "hardware: Zone 1 line: 500 Ω to 2 kΩ (fault)",
                    "fire: Zone 1 fire cleared", "output: Sounders off"}},
    {"delays", {"configuration: Delay options 0x00 to 0x11", "operator: Delays on",
                "operator: Key: Delay on/off (level 2, accepted)", "fire: Zone 2 fire", "output: Delay started",
                "output: Delay accepted: second stage", "operator: Key: Accept (level 2, accepted)",
                "output: Delay ended", "fire: Zone 2 fire cleared", "operator: Access level 2 to 1", "fire: Zone 4 fire",
                "output: Delay started"}},
    {"disablement", {"operator: Selected item 0 to 1", "disablement: Zone 1 disabled",
                     "operator: Key: Disable/test/normal (level 2, accepted)", "disablement: Sounders disabled",
                     "fire: Zone 2 fire", "fault: System fault latched at power-up"}},  // after the restart
    {"engineering-menu", {"operator: Access level 1 to 3", "operator: Engineering mode entered",
                          "configuration: Zone 2 options 0x00 to 0x01", "operator: Engineering mode left"}},
    {"mains-failure", {"hardware: Mains supply off", "fault: Mains fault", "operator: Buzzer muted (fault)",
                       "hardware: Mains supply on", "fault: Mains fault cleared",
                       "operator: Key: Reset (level 2, accepted)"}},
    {"silence-resound", {"fire: Zone 3 fire", "output: Sounders on", "output: Sounders off",
                         "output: Sounders silenced", "output: Sounders resounded", "output: Sounders silenced",
                         "output: Sounders off", "fire: Zone 4 fire", "output: Sounders silence ended"}},
    {"walk-test", {"disablement: Zone 2 disabled", "disablement: Zone 2 enabled", "test: Zone 2 in test",
                   "fire: Zone 2 fire", "output: Sounders on", "fire: Zone 2 fire cleared",
                   "output: Sounders off", "test: Zone 2 test ended"}},
    {"watchdog-trip", {"fault: System fault latched at power-up", "fault: System fault latch cleared",
                       "operator: Key: Reset (level 1, accepted)", "fault: Watchdog tripped: system fault latched",
                       "fault: System fault latch cleared"}},
};

// Events that did not happen on that panel: no delay ends without one running,
// no buzzer is muted or unmuted for a fault or a fire the panel does not have.
const ScriptEvents absentEvents[] = {
    {"first-fire", {"operator: Buzzer muted (fault)", "operator: Buzzer unmuted (fire)", "output: Delay ended"}},
    {"mains-failure", {"operator: Buzzer muted (fire)", "operator: Buzzer unmuted (fault)"}},
    {"silence-resound", {"output: Delay ended", "output: Delay started"}},
};

// A CSV field as written: quoted when it holds a comma, a quote or a line break.
std::string Unquoted(const std::string& field) {
  if (field.empty() || field[0] != '"') return field;
  std::string text;
  for (size_t i = 1; i + 1 < field.size(); ++i) {
    text += field[i];
    if (field[i] == '"') ++i;
  }
  return text;
}

// "category: text" of each row of the CSV log.
std::vector<std::string> EventsOf(const std::string& script) {
  scenario::RunOptions options;
  options.log = "events.csv";
  std::ostringstream out;
  const std::string path = std::string(QX40_SCENARIOS_DIR) + "/" + script + ".qxs";
  EXPECT_EQ(scenario::RunScripts({path}, options, out), scenario::allPassed) << out.str();
  std::ifstream csv(options.log);
  std::vector<std::string> events;
  std::string row;
  std::getline(csv, row);
  while (std::getline(csv, row)) {
    // source,panel_time_s,wall_clock,category,event: the source is the script's path, without commas
    size_t field = 0;
    for (int comma = 0; comma < 3; ++comma) field = row.find(',', field) + 1;
    const size_t split = row.find(',', field);
    events.push_back(row.substr(field, split - field) + ": " + Unquoted(row.substr(split + 1)));
  }
  return events;
}

// Where the expected events are not found in order: the first one missing.
std::string FirstMissing(const std::vector<std::string>& logged, const std::vector<std::string>& expected) {
  auto at = logged.begin();
  for (const std::string& event : expected) {
    at = std::find(at, logged.end(), event);
    if (at == logged.end()) return event;
    ++at;
  }
  return {};
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

}  // namespace

TEST(EventLog, EachLibraryScriptLogsItsEventsInOrder) {
  for (const ScriptEvents& expected : libraryEvents) {
    const std::vector<std::string> logged = EventsOf(expected.script);
    EXPECT_EQ(FirstMissing(logged, expected.events), "") << expected.script << " logged:\n" << Joined(logged);
  }
}

TEST(EventLog, OnlyWhatHappenedOnThatPanelIsLogged) {
  for (const ScriptEvents& absent : absentEvents) {
    const std::vector<std::string> logged = EventsOf(absent.script);
    for (const std::string& event : absent.events) {
      EXPECT_EQ(std::count(logged.begin(), logged.end(), event), 0) << absent.script << ": " << event;
    }
  }
}

TEST(EventLog, CsvHasAHeaderAndQuotesFieldsWithSeparatorsQuotesAndLineBreaks) {
  std::ostringstream csv;
  WriteEventCsvHeader(csv);
  WriteEventCsvRow(csv, {61250, 0, EventCategory::Fault, "Mains fault, \"latched\""}, "a.qxs");
  WriteEventCsvRow(csv, {0, 0, EventCategory::Operator, "cut\rshort"}, "Ann\nLee");
  EXPECT_EQ(csv.str(),
            "source,panel_time_s,wall_clock,category,event\n"
            "a.qxs,61.250,1970-01-01T00:00:00.000Z,fault,\"Mains fault, \"\"latched\"\"\"\n"
            "\"Ann\nLee\",0.000,1970-01-01T00:00:00.000Z,operator,\"cut\rshort\"\n");
}

TEST(EventLog, RunnerWritesTheLogAndRefusesAnUnwritablePathAtTheStart) {
  std::ofstream("fire.qxs") << "level ZoneAnalogueControl1 500 ohm\nwait 2s\n";
  std::ostringstream out;
  scenario::RunOptions options;
  options.log = "events.csv";
  EXPECT_EQ(scenario::RunScripts({"fire.qxs"}, options, out), scenario::allPassed);
  std::ifstream in("events.csv");
  std::string header, first;
  std::getline(in, header);
  std::getline(in, first);
  EXPECT_EQ(header, "source,panel_time_s,wall_clock,category,event");
  EXPECT_NE(first.find(",hardware,Zone 1 line: 4.7 kΩ to 500 Ω (fire)"), std::string::npos) << first;

  options.log = "no-such-folder/events.csv";
  std::ostringstream refused;
  EXPECT_EQ(scenario::RunScripts({"fire.qxs"}, options, refused), scenario::cannotRun);
  EXPECT_EQ(refused.str(), "error: cannot write no-such-folder/events.csv: No such file or directory\n");
}
