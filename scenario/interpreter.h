#pragma once
// The scenario language on one machine: a script's lines checked against its
// windows, then begun one at a time; a wait or a checkpoint holds the lines
// after it until it is over or judged. The drivers say where the lines come
// from and how time passes: a batch steps the machine, a live session and an
// exercise let it run on its own and look again when called.

#include <filesystem>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "machine/event_log.h"
#include "scenario/results.h"
#include "scenario/runner.h"
#include "scenario/script.h"
#include "scenario/targets.h"
#include "scenario/trace.h"
#include "windows/framework/controls.h"
#include "windows/levelcontrol.h"

class Machine;

namespace scenario {

// One script's lines, each with its line number.
using ScriptLines = std::vector<std::pair<int, Command>>;

// A private directory for a machine's settings, removed with everything in
// it on leaving. The working directory stays: machines on other threads share it.
struct ScratchDirectory {
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  std::filesystem::path path;  // empty if it could not be made
};

std::string Trimmed(const std::string& text);

// "# Exercise: TITLE." and "# Teaches: ..." (on as many comment lines as it
// takes, up to the next key or empty comment), and a recording's "# Done by: NAME".
void ReadHeader(const std::vector<std::string>& lines, ScriptResult& result);

// A checkpoint being watched: from its line on, or for a measure since a
// mark from the mark on, until it is judged.
struct RunningCheck {
  enum class Kind { Until, Measure, Throughout };
  Kind kind = Kind::Until;
  int line = 0;
  Target target;
  Value value;
  Reader reader;
  int64_t startMs = 0;
  int64_t endMs = 0;
  bool holds = true;      // holds the lines after it (not a meanwhile)
  bool started = true;    // its line has been reached
  bool sawOther = false;  // a measure: the target had another value since its start
  std::optional<int64_t> answerMs;  // held (wait-until, measure) or first broken (throughout)
  Value last;
  std::string requirement;
};

class Interpreter {
 public:
  explicit Interpreter(RunOptions options);
  virtual ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

 protected:
  // A driver's own refusals, before the line's checks: nothing by default.
  virtual void Refuse(const Command&) const {}
  // A checkpoint's time does not run while this holds.
  virtual bool Paused() const { return false; }
  // A line's warning; the script's author reads it on stderr.
  virtual void Warn(const std::string& text);

  // The whole script is parsed, and every name in it resolved on the panel,
  // before time starts: all its errors are reported, in line order, and a
  // script with any runs not at all. Each line's text goes to texts if given.
  ScriptLines Prepare(std::istream& in, std::map<int, std::string>* texts = nullptr);
  // The driver's refusals, then the line's checks against the panel.
  void CheckLine(const Command& command);
  // Waits and checkpoints start here and end when the time passes; the rest are done at once.
  void Begin(const Command& command);

  // The machine the lines drive: the live one, or a fresh one in virtual time.
  void Start();
  void ShutDown();
  // After a step only the panel can have changed; after a command also what
  // a person sets.
  void Sample(EventLog::Scope scope = EventLog::Scope::PanelAndInputs);
  void Step();
  int64_t NowMs() const;

  // Whether a wait or a holding checkpoint keeps the next line back.
  bool Holding();
  // Nothing samples the panel between steps: no checkpoint, trace, event log or timeline.
  bool Unwatched() const;
  bool AnyRunning() const;
  // Judges each started checkpoint whose answer is known or whose time is up.
  void JudgeDue();

  std::string PrintedValue(const Print& print) const;
  std::string Resolve(const std::string& path) const;
  void Error(int line, const std::string& message);

  RunOptions options_;
  const std::filesystem::path caller_;
  // Where the machine keeps its Hardware.dat; empty: the working directory.
  std::filesystem::path settingsDirectory_;
  std::unique_ptr<Trace> trace_;
  Machine* sim_ = nullptr;
  ScriptResult result_;
  std::ostringstream out_;
  std::set<std::string> marksSeen_;
  std::map<std::string, int64_t> marks_;
  std::vector<std::pair<int, const Measure*>> measuresSince_;  // points into the script's commands
  std::vector<RunningCheck> running_;                        // checkpoints being watched
  std::optional<int64_t> waitEndMs_;                         // a plain wait's end
  int line_ = 0;
  int checkedLine_ = 0;  // the line being checked before time starts
  int firstLine_ = 0;    // the script's first command's line
  // The state file the panel starts from: --start-from, or the script's own start-from line.
  std::string startFrom_;
  std::string scriptStartFrom_;  // the start-from line's file as written
  // Virtual time of this script before the present simulator.
  int64_t offsetMs_ = 0;
  // Earlier scripts' time: the trace has one time axis for the whole run.
  int64_t traceBaseMs_ = 0;

 private:
  void Watch(RunningCheck& check) const;
  void WatchAll();
  void Judge(const RunningCheck& check);
  int64_t JudgedAt(const RunningCheck& check) const;

  template <class C>
  void BeginCommand(const C& command) {
    Do(command);
  }
  void BeginCommand(const Wait& wait);
  void BeginCommand(const WaitUntil& until);
  void BeginCommand(const Throughout& throughout);
  void BeginCommand(const Measure& measure);
  RunningCheck NewCheck(RunningCheck::Kind kind, const Target& target, const Value& value, int64_t startMs,
                        int64_t steps, bool holds, bool started) const;
  RunningCheck MeasureCheck(const Measure& measure, int64_t startMs, bool holds, bool started) const;
  void StartCheck(RunningCheck check);

  std::vector<Target> TimelineTargets(const ScriptLines& commands) const;
  void AttachTimeline();
  bool LogsEvents() const;

  template <class C>
  void Check(const C&) {}
  void Check(const WaitUntil& wait);
  void Check(const Throughout& throughout);
  void Check(const Measure& measure);
  void Check(const Mark& mark);
  void Check(const Expect& expect);
  void Check(const Print& print);
  void Check(const Mouse& mouse);
  void Check(const Level& level);
  void Check(const Restart&);
  void Check(const Screenshot&);
  void Check(const StartFrom& start);
  void WarnTooShort(const std::string& key);

  void Do(const Wait& wait);
  void Do(const Mark& mark);
  void Do(const Say& say);
  void Do(const Expect& expect);
  void Do(const Print& print);
  void Do(const Mouse& mouse);
  void Do(const Level& command);
  void Do(const SetMemory& set);
  void Do(const Screenshot& shot);
  void Do(const Restart&);
  void Do(const Stall& stall);
  void Do(const StartFrom&) {}  // applied as the panel started
  void Do(const Snapshot& snapshot);

  void EndMeasure(const RunningCheck& check);
  void Check(const Target& target, const Value& expected, const Value& actual, int64_t atMs);
  void Judged(const Target& target, const Value& expected, bool passed, int64_t atMs, const std::string& failure,
              const std::string& requirement);
  TLevelControl& LevelNamed(const Level& command) const;

  std::unique_ptr<Machine> owned_;
  std::unique_ptr<Panel> panel_;
  std::unique_ptr<EventLog> events_;
  std::vector<Target> signals_;
  std::vector<Reader> timelineReaders_;
  ShiftState held_ = 0;
};

}  // namespace scenario
