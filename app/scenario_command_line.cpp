#include "app/scenario_command_line.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <utility>

#include "machine/command_line.h"

namespace scenario {

namespace {

constexpr const char* usage =
    "usage: qx40-scenario [--settings FILE] [--save FILE] [--trace FILE.vcd] SCRIPT...\n"
    "       [--start-from FILE.qxstate] [--junit FILE.xml] [--report FILE.html] [--log FILE.csv] [-j N] [--shard I/N]\n"
    "       qx40-scenario --list-names | --help | --version\n"
    "Runs each script in a fresh simulator in virtual time.\n"
    "  -j N          run N scripts at once, each on a thread of its own; the report keeps the scripts' order\n"
    "  --shard I/N   run only shard I (0 to N-1) of N; without it TEST_SHARD_INDEX and TEST_TOTAL_SHARDS\n"
    "  --junit FILE  write a JUnit XML report, one test case per script\n"
    "  --report FILE write an HTML page: the measurements against their limits, the checkpoints,\n"
    "                the event log and a timeline of each script\n"
    "  --log FILE    write the panel's event log as CSV, one row per event\n"
    "  --list-names  print every control, attribute and firmware variable a script can name\n"
    "  --start-from FILE.qxstate  start every script from a panel saved by a script's snapshot line\n"
    "Each script's Hardware.dat lives in a private directory, removed afterwards:\n"
    "--settings starts from a copy of FILE, --save keeps the last script's.\n"
    "--help shows this, --version the version.\n"
    "Exit code: 0 every expectation held, 1 some failed, 2 a script could not be run.\n";

constexpr int maxJobs = 256;

// --name VALUE or --name=VALUE into the option it names.
bool TakeOption(const std::vector<std::string>& arguments, size_t& i, RunOptions& options, std::string& shard) {
  const std::string& argument = arguments[i];
  const size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  std::string jobs;
  std::string* field = name == "--settings" ? &options.settings
                       : name == "--save"   ? &options.save
                       : name == "--start-from" ? &options.startFrom
                       : name == "--trace"  ? &options.trace
                       : name == "--junit"  ? &options.junit
                       : name == "--report" ? &options.report
                       : name == "--log"    ? &options.log
                       : name == "--shard"  ? &shard
                       : name == "-j"       ? &jobs
                                            : nullptr;
  if (name.starts_with("-j") && name.size() > 2) {
    field = &jobs;
    jobs = name.substr(2);
  } else if (!field) {
    return false;
  } else if (equals != std::string::npos) {
    *field = argument.substr(equals + 1);
  } else {
    if (i + 1 >= arguments.size()) return false;
    *field = arguments[++i];
  }
  if (field != &jobs) return !field->empty();
  int count = 0;
  const auto [end, error] = std::from_chars(jobs.data(), jobs.data() + jobs.size(), count);
  options.jobs = count;
  return error == std::errc() && end == jobs.data() + jobs.size() && count >= 1 && count <= maxJobs;
}

// "I/N" with 0 <= I < N.
std::optional<std::pair<int, int>> ParseShard(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  int index = -1, count = 0;
  const auto [indexEnd, indexError] = std::from_chars(text.data(), text.data() + slash, index);
  const auto [countEnd, countError] = std::from_chars(text.data() + slash + 1, text.data() + text.size(), count);
  if (indexError != std::errc() || countError != std::errc() || indexEnd != text.data() + slash ||
      countEnd != text.data() + text.size() || count < 1 || index < 0 || index >= count) {
    return std::nullopt;
  }
  return std::make_pair(index, count);
}

// The shard from the option, else from the CI's environment, else all: "0/1".
std::string ShardText(const std::string& option) {
  if (!option.empty()) return option;
  const char* index = std::getenv("TEST_SHARD_INDEX");
  const char* total = std::getenv("TEST_TOTAL_SHARDS");
  if (!index || !total) return "0/1";
  if (const char* status = std::getenv("TEST_SHARD_STATUS_FILE")) std::ofstream{status};  // shards understood
  return std::string(index) + "/" + total;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, const RunOptions& defaults, std::ostream& out,
                   std::ostream& err) {
  RunOptions options = defaults;
  if (const std::optional<int> answered = AnswerHelpOrVersion(arguments, "qx40-scenario", usage, out)) return *answered;
  std::vector<std::string> scripts;
  std::string shard;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--list-names") {
      ListNames(out);
      return allPassed;
    }
    if (argument.size() > 1 && argument[0] == '-') {
      const size_t at = i;
      if (TakeOption(arguments, i, options, shard)) continue;
      if (argument.starts_with("-j")) {
        err << "qx40-scenario: bad number of jobs in '" << argument << (i > at ? " " + arguments[i] : "")
            << "': write -j N with N from 1 to " << maxJobs << '\n';
        return cannotRun;
      }
      err << "qx40-scenario: bad option '" << argument << "'\n" << usage;
      return cannotRun;
    }
    scripts.push_back(argument);
  }
  if (scripts.empty()) {
    err << "qx40-scenario: no script given: name one or more .qxs files\n" << usage;
    return cannotRun;
  }
  const std::optional<std::pair<int, int>> parts = ParseShard(ShardText(shard));
  if (!parts) {
    err << "qx40-scenario: bad shard '" << ShardText(shard) << "': write I/N with 0 <= I < N\n";
    return cannotRun;
  }
  return RunScripts(ShardOf(scripts, parts->first, parts->second), options, out);
}

}  // namespace scenario
