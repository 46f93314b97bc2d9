// The event log of each script of the library: the events the script causes,
// in order (other events may come between them), and the CSV it writes.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "scenario/runner.h"

namespace {

struct ScriptEvents {
  const char* script;
  std::vector<std::string> events;  // "category: text"
};

const ScriptEvents libraryEvents[] = {
    {"first-fire", {"operator: Access level: 1 -> 2", "operator: Reset key at level 2: accepted", "fire: Zone 1 fire",
                    "configuration: Configuration byte 129: 0 -> 1", "output: Sounder output 1 on",
                    "operator: Buzzer muted (fire)", "operator: Buzzer mute key at level 2: accepted",
                    "fire: Zone 1 fire cleared", "output: Sounder output 1 off"}},
    {"delays", {"operator: Delays on", "operator: Delay on/off key at level 2: accepted", "fire: Zone 2 fire",
                "output: Delay started", "output: Delay accepted", "operator: Accept key at level 2: accepted",
                "output: Delay stopped", "output: Delay expired", "fire: Zone 2 fire cleared",
                "operator: Access level: 2 -> 1", "fire: Zone 4 fire", "output: Delay started"}},
    {"disablement", {"operator: Selected item: 0 -> 1", "disablement: Zone 1 disabled",
                     "operator: Disable/test/normal key at level 2: accepted",
                     "configuration: Configuration byte 132: 0 -> 1", "fire: Zone 2 fire"}},
    {"engineering-menu", {"operator: Access level: 1 -> 3", "operator: Engineering mode entered",
                          "configuration: Configuration byte 1: 0 -> 1", "operator: Engineering mode left"}},
    {"mains-failure", {"hardware: PSUMainsInput: 1 -> 0", "fault: Mains fault", "operator: Buzzer muted (fault)",
                       "hardware: PSUMainsInput: 0 -> 1", "fault: Mains fault cleared",
                       "operator: Reset key at level 2: accepted"}},
    {"silence-resound", {"fire: Zone 3 fire", "output: Sounder output 1 on", "output: Sounder output 1 off",
                         "output: Sounders silenced", "output: Sounders resounded", "output: Sounders silenced",
                         "output: Sounder output 1 off", "fire: Zone 4 fire", "output: Sounders silence ended"}},
    {"walk-test", {"disablement: Zone 2 disabled", "disablement: Zone 2 enabled", "test: Zone 2 in test",
                   "fire: Zone 2 fire", "output: Sounder output 1 on", "fire: Zone 2 fire cleared",
                   "output: Sounder output 1 off", "test: Zone 2 test ended"}},
    {"watchdog-trip", {"operator: Reset key at level 1: accepted", "fault: Watchdog fault", "fault: Watchdog fault cleared"}},
};

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
    events.push_back(row.substr(field, split - field) + ": " + row.substr(split + 1));
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

TEST(EventLog, CsvHasAHeaderAndQuotesTextWithCommas) {
  std::ostringstream csv;
  WriteEventCsvHeader(csv);
  WriteEventCsvRow(csv, {61250, 0, EventCategory::Fault, "Mains fault, \"latched\""}, "a.qxs");
  EXPECT_EQ(csv.str(),
            "source,panel_time_s,wall_clock,category,event\n"
            "a.qxs,61.250,1970-01-01T00:00:00.000Z,fault,\"Mains fault, \"\"latched\"\"\"\n");
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
  EXPECT_NE(first.find(",hardware,ZoneAnalogueControl1: "), std::string::npos) << first;

  options.log = "no-such-folder/events.csv";
  std::ostringstream refused;
  EXPECT_EQ(scenario::RunScripts({"fire.qxs"}, options, refused), scenario::cannotRun);
  EXPECT_EQ(refused.str(), "error: cannot write no-such-folder/events.csv: No such file or directory\n");
}
