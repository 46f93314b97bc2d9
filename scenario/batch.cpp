// The batch driver: each script on a fresh machine in virtual time, stepped
// while a wait or a checkpoint holds, its settings in a private directory.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <system_error>

#include "board/settings_file.h"
#include "machine/machine.h"
#include "scenario/interpreter.h"
#include "scenario/junit.h"
#include "scenario/parallel.h"
#include "scenario/report.h"
#include "scenario/runner.h"

namespace scenario {

namespace {

namespace fs = std::filesystem;

class BatchRunner : public Interpreter {
 public:
  using Interpreter::Interpreter;

  bool OpenTrace(std::ostream& out) {
    if (options_.trace.empty()) return true;
    try {
      trace_ = std::make_unique<Trace>(Resolve(options_.trace));
      return true;
    } catch (const ScriptError& error) {
      out << "error: " << error.message << '\n';
      return false;
    }
  }

  ScriptResult RunScript(const std::string& path, bool last) {
    const auto began = std::chrono::steady_clock::now();
    result_ = ScriptResult{};
    marksSeen_.clear();
    marks_.clear();
    measuresSince_.clear();
    running_.clear();
    waitEndMs_.reset();
    result_.script = path;
    out_.str("");
    line_ = 0;
    offsetMs_ = 0;
    RunIn(path, last);
    result_.output = out_.str();
    result_.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return std::move(result_);
  }

 private:
  void RunIn(const std::string& path, bool last) {
    std::ifstream in(Resolve(path));
    if (!in) return Error(0, "cannot read the script: " + std::generic_category().message(errno));
    const ScratchDirectory directory;
    if (directory.path.empty()) return Error(0, "cannot make a directory for the panel's settings");
    settingsDirectory_ = directory.path;
    try {
      CopySettings();
      const ScriptLines commands = Prepare(in);
      if (result_.errors.empty()) RunCommands(commands);
    } catch (const ScriptError& error) {
      Error(line_, error.message);
    } catch (const std::exception& error) {
      Error(line_, error.what());
    }
    Finish(last);
  }

  void CopySettings() {
    if (options_.settings.empty()) return;
    std::error_code failed;
    const fs::path copy = settingsDirectory_ / hardwareFileName;
    if (!fs::is_regular_file(Resolve(options_.settings), failed) ||
        !fs::copy_file(Resolve(options_.settings), copy, failed)) {
      throw ScriptError{"cannot read the settings " + options_.settings};
    }
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write, failed);
  }

  // One meaning everywhere: a line runs when the one before it is done, and
  // a wait or a checkpoint holds the lines after it until it is over.
  void RunCommands(const ScriptLines& commands) {
    for (const auto& [at, command] : commands) {
      line_ = at;
      Begin(command);
      Sample();
      while (Holding()) {
        // A plain wait that nothing watches: the panel runs on alone to its end.
        if (waitEndMs_ && Unwatched()) {
          sim_->Advance(*waitEndMs_ - NowMs());
          continue;
        }
        Step();
      }
    }
    while (AnyRunning()) Step();
  }

  // The last script's simulator leaves its settings where --save says.
  void Finish(bool last) {
    const bool save = last && !options_.save.empty();
    if (save && !sim_) Start();
    result_.endMs = NowMs();
    traceBaseMs_ += NowMs();
    ShutDown();
    if (!save) return;
    std::error_code failed;
    const fs::path saved = settingsDirectory_ / hardwareFileName;
    if (fs::copy_file(saved, Resolve(options_.save), fs::copy_options::overwrite_existing, failed)) return;
    Error(0, "cannot write the settings " + options_.save);
  }
};

std::string Summary(const std::vector<ScriptResult>& results) {
  int passed = 0, failed = 0;
  for (const ScriptResult& result : results) {
    passed += result.passed;
    failed += result.failed;
  }
  return std::to_string(passed) + " passed, " + std::to_string(failed) + " failed\n";
}

int ExitCode(const std::vector<ScriptResult>& results) {
  const auto any = [&](auto has) { return std::any_of(results.begin(), results.end(), has); };
  if (any([](const ScriptResult& r) { return !r.errors.empty(); })) return cannotRun;
  return any([](const ScriptResult& r) { return r.failed > 0; }) ? someFailed : allPassed;
}

// Writes a file through write; false, said on out, if it cannot.
bool WriteOutput(const std::string& path, std::ostream& out, const std::function<void(std::ostream&)>& write) {
  if (path.empty()) return true;
  std::ofstream file(path, std::ios::binary);
  if (file) write(file);
  if (file.flush()) return true;
  out << "error: cannot write " << path << '\n';
  return false;
}

// An output that cannot be written is told before any script runs, not after.
bool Writable(const std::string& path, std::ostream& out) {
  if (path.empty() || std::ofstream(path, std::ios::app)) return true;
  out << "error: cannot write " << path << ": " << std::generic_category().message(errno) << '\n';
  return false;
}

void WriteEventCsv(const std::vector<ScriptResult>& results, std::ostream& out) {
  WriteEventCsvHeader(out);
  for (const ScriptResult& result : results) {
    for (const PanelEvent& event : result.events) WriteEventCsvRow(out, event, result.script);
  }
}

// Nothing if the trace cannot be written.
std::optional<std::vector<ScriptResult>> RunAll(const std::vector<std::string>& scripts, const RunOptions& options,
                                                std::ostream& out) {
  std::vector<ScriptResult> results;
  const auto done = [&](ScriptResult result) {
    out << result.output << std::flush;
    results.push_back(std::move(result));
  };
  const auto last = [&](size_t i) { return i + 1 == scripts.size(); };
  if (options.jobs > 1) {
    RunOnThreads(scripts, options.jobs, [&](size_t i) { return BatchRunner(options).RunScript(scripts[i], last(i)); },
                 done);
    return results;
  }
  BatchRunner runner(options);
  if (!runner.OpenTrace(out)) return std::nullopt;
  for (size_t i = 0; i < scripts.size(); ++i) done(runner.RunScript(scripts[i], last(i)));
  return results;
}

}  // namespace

std::vector<std::string> ShardOf(std::vector<std::string> scripts, int index, int count) {
  if (count == 1) return scripts;
  std::sort(scripts.begin(), scripts.end());
  scripts.erase(std::unique(scripts.begin(), scripts.end()), scripts.end());
  std::vector<std::string> shard;
  for (size_t i = size_t(index); i < scripts.size(); i += size_t(count)) shard.push_back(scripts[i]);
  return shard;
}

int RunScripts(const std::vector<std::string>& scripts, const RunOptions& options, std::ostream& out) {
  if (options.jobs > 1 && !options.trace.empty()) {
    out << "error: --trace writes one time axis for the whole run: use it with -j 1\n";
    return cannotRun;
  }
  for (const std::string* path : {&options.junit, &options.report, &options.log}) {
    if (!Writable(*path, out)) return cannotRun;
  }
  const std::optional<std::vector<ScriptResult>> run = RunAll(scripts, options, out);
  if (!run) return cannotRun;
  const std::vector<ScriptResult>& results = *run;
  out << Summary(results);
  const bool written = WriteOutput(options.junit, out, [&](std::ostream& file) { WriteJunit(results, file); }) &&
                       WriteOutput(options.report, out, [&](std::ostream& file) { WriteHtmlReport(results, file); }) &&
                       WriteOutput(options.log, out, [&](std::ostream& file) { WriteEventCsv(results, file); });
  return written ? ExitCode(results) : cannotRun;
}

}  // namespace scenario
