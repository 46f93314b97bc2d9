#include "scenario/runner.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <chrono>
#include <sstream>
#include <system_error>

#include "scenario/junit.h"
#include "scenario/parallel.h"
#include "scenario/report.h"
#include "scenario/results.h"
#include "scenario/script.h"
#include "scenario/targets.h"
#include "scenario/trace.h"
#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "firmware/variables.h"
#include "machine/machine.h"
#include "windows/framework/form.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace scenario {

namespace {

namespace fs = std::filesystem;

constexpr const char* settingsFile = "Hardware.dat";
// Between commands the event log looks at the panel as often as the firmware
// reads its keys; looking at every step would slow a long wait by a third.
constexpr int64_t eventSampleMs = 20;

// What a debrief's timeline shows of every script.
constexpr const char* mainIndications[] = {"FireLED",    "FaultLED",     "DisabledLED",    "TestLED",
                                           "DelayOnLED", "InternalTone", "SounderOutput1", "SounderOutput2"};

// How long a script must hold a push key for the firmware to see it, from
// any moment of the board's update cycle (the Reset key is copied every 50 ms).
constexpr int keyPressWaitMs = 100;

[[noreturn]] void Fail(const std::string& message) { throw ScriptError{message}; }


MouseButton ButtonOf(Button button) {
  if (button == Button::Right) return MouseButton::Right;
  if (button == Button::Middle) return MouseButton::Middle;
  return MouseButton::Left;
}

ShiftState HeldBit(Button button) {
  if (button == Button::Right) return ssRight;
  if (button == Button::Middle) return ssMiddle;
  return ssLeft;
}

// A private working directory, entered at once; on leaving, the previous one
// is entered again and this one removed with everything in it.
struct ScratchDirectory {
  ScratchDirectory() : caller(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "qx40-scenario-XXXXXX").string();
    std::error_code failed;
    if (mkdtemp(pattern.data()) && (fs::current_path(pattern, failed), !failed)) path = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    fs::current_path(caller, ignored);
    if (!path.empty()) fs::remove_all(path, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  fs::path caller;
  fs::path path;  // empty if it could not be made or entered
};

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

// A header key: a capitalised word or two and a colon ("Teaches:", "Done by:").
bool IsHeaderKey(const std::string& text) {
  const size_t colon = text.find(':');
  return colon != std::string::npos && colon < 16 && std::isupper(static_cast<unsigned char>(text[0]));
}

// "# Exercise: TITLE." and "# Teaches: ..." (on as many comment lines as it
// takes, up to the next key or empty comment), and a recording's "# Done by: NAME".
void ReadHeader(const std::vector<std::string>& lines, ScriptResult& result) {
  std::string* continued = nullptr;
  for (const std::string& line : lines) {
    if (!line.starts_with('#')) break;
    const std::string text = Trimmed(line.substr(1));
    const auto value = [&](const char* key) { return Trimmed(text.substr(std::strlen(key))); };
    if (text.empty() || IsHeaderKey(text)) continued = nullptr;
    if (text.starts_with("Exercise:")) {
      result.title = value("Exercise:");
      if (!result.title.empty() && result.title.back() == '.') result.title.pop_back();
      if (!result.title.empty()) result.title[0] = char(std::toupper(static_cast<unsigned char>(result.title[0])));
    } else if (text.starts_with("Teaches:")) {
      result.teaches = value("Teaches:");
      continued = &result.teaches;
    } else if (text.starts_with("Done by:")) {
      result.trainee = value("Done by:");
    } else if (continued) {
      *continued += ' ' + text;
    }
  }
}

// One script's lines, each with its line number.
using Commands = std::vector<std::pair<int, Command>>;

class Runner {
 public:
  explicit Runner(const RunOptions& options) : options_(options), caller_(fs::current_path()) {}

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

  // An exercise: the script checked whole on the live panel, then run a
  // piece at a time as the panel's own time passes. False if it has errors.
  bool LoadExercise(const std::string& path) {
    exercise_ = true;
    result_ = ScriptResult{};
    result_.script = path;
    std::ifstream in(Resolve(path));
    if (!in) {
      Error(0, "cannot read the script: " + std::generic_category().message(errno));
      return false;
    }
    try {
      commands_ = Prepare(in);
    } catch (const ScriptError& error) {
      Error(line_, error.message);
    }
    if (commands_.empty()) {
      if (result_.errors.empty()) Error(0, "the exercise has no commands");
      return false;
    }
    offsetMs_ = -sim_->PanelTimeMs();  // the exercise's time starts now
    for (const auto& entry : commands_) checkpoints_ += IsCheckpoint(entry.second);
    return result_.errors.empty();
  }

  void Name(const std::string& trainee, int64_t startedWallMs) {
    result_.trainee = trainee;
    result_.startedWallMs = startedWallMs;
  }

  // Runs what is due by now; false once the script is done or abandoned.
  bool Advance() {
    if (Finished()) return false;
    Sample();
    if (pausedAtMs_) return true;
    while (!Holding()) {
      if (next_ >= commands_.size()) return AnyRunning() || Finish();
      const auto& [at, command] = commands_[next_++];
      line_ = at;
      try {
        std::visit([this](const auto& c) { Begin(c); }, command);
        Acted(command, lineTexts_[at]);
        JudgeDue();
      } catch (const ScriptError& error) {
        Error(line_, error.message);
      }
    }
    return true;
  }

  // The exercise's lines stand still while paused; the panel runs on, and
  // its time, which the debrief shows, with it.
  void Pause() {
    if (!pausedAtMs_ && !Finished()) pausedAtMs_ = NowMs();
  }

  void Resume() {
    if (!pausedAtMs_) return;
    const int64_t paused = NowMs() - *pausedAtMs_;
    result_.pauses.push_back({*pausedAtMs_, NowMs()});
    pausedMs_ += paused;
    if (waitEndMs_) *waitEndMs_ += paused;
    pausedAtMs_.reset();
  }

  // Every checkpoint not judged by now is listed as not reached.
  void Abandon() {
    if (Finished()) return;
    Resume();
    result_.abandonedMs = NowMs();
    out_ << result_.script << ':' << line_ << ": abandoned at " << PanelSeconds(NowMs()) << '\n';
    for (const Running& check : running_) {
      if (check.started) NotReached(check.line, check.target, check.value, check.requirement);
    }
    for (size_t i = next_; i < commands_.size(); ++i) {
      std::visit([&](const auto& c) { NotReached(commands_[i].first, c); }, commands_[i].second);
    }
    Finish();
  }

  ExerciseProgress Progress() const {
    const int64_t now = (pausedAtMs_ ? *pausedAtMs_ : NowMs()) - pausedMs_;
    return {now, JudgedCount(), checkpoints_, pausedAtMs_.has_value(), Finished()};
  }

  ScriptResult Result() {
    ScriptResult result = result_;
    result.output = out_.str();
    result.endMs = NowMs();
    if (pausedAtMs_) result.pauses.push_back({*pausedAtMs_, NowMs()});
    return result;
  }

  // A session: the live machine's lines, one at a time as they come.
  void OpenSession() {
    session_ = true;
    Start();
  }

  // One line of a session; its reply, or nothing while a wait runs.
  std::optional<std::string> RunLine(const std::string& text) {
    result_.failures.clear();
    out_.str("");
    warning_.clear();
    try {
      const std::optional<Command> command = ParseLine(text);
      if (!command) return okReply;
      std::visit([this](const auto& c) {
        RefuseInSession(c);
        Check(c);
      }, *command);
      if (const auto* print = std::get_if<Print>(&*command)) return PrintedValue(*print);
      std::visit([this](const auto& c) { Begin(c); }, *command);
      return ResumeLine();
    } catch (const ScriptError& error) {
      return "error: " + error.message;
    } catch (const std::exception& error) {
      return std::string("error: ") + error.what();
    }
  }

  // The running line's reply once it is judged or its wait is over; nothing before.
  std::optional<std::string> ResumeLine() {
    Sample();
    if (Holding()) return std::nullopt;
    return Reply();
  }

 private:
  static bool IsAction(const Command& command) {
    return std::holds_alternative<Mouse>(command) || std::holds_alternative<Level>(command) ||
           std::holds_alternative<SetMemory>(command);
  }

  static bool IsCheckpoint(const Command& command) {
    return std::holds_alternative<Expect>(command) || std::holds_alternative<WaitUntil>(command) ||
           std::holds_alternative<Measure>(command) || std::holds_alternative<Throughout>(command);
  }

  // What a recording of the exercise keeps of a line: actions, messages and
  // marks as written; checkpoints too, in the form that holds no later line,
  // since the trainee's recorded actions follow them.
  void Acted(const Command& command, const std::string& text) const {
    if (!options_.acted) return;
    const bool holds = std::holds_alternative<WaitUntil>(command) || std::holds_alternative<Measure>(command) ||
                       std::holds_alternative<Throughout>(command);
    if (holds && !text.starts_with("meanwhile")) return options_.acted("meanwhile " + Trimmed(text));
    const bool kept = IsAction(command) || holds || std::holds_alternative<Expect>(command) ||
                      std::holds_alternative<Say>(command) || std::holds_alternative<Mark>(command);
    if (kept) options_.acted(Trimmed(text));
  }

  bool Finished() const { return next_ > commands_.size(); }

  bool Finish() {
    next_ = commands_.size() + 1;
    running_.clear();
    waitEndMs_.reset();
    result_.endMs = NowMs();
    return false;
  }

  size_t JudgedCount() const {
    return size_t(std::count_if(result_.checkpoints.begin(), result_.checkpoints.end(),
                                [](const Checkpoint& c) { return c.reached; }));
  }

  void NotReached(int line, const Target& target, const Value& value, const std::string& requirement) {
    result_.checkpoints.push_back(
        {line, NowMs(), target.text + " = " + FormatValue(value), false, false, target.text, FormatValue(value), requirement});
  }
  template <class C>
  void NotReached(int, const C&) {}
  void NotReached(int line, const Expect& c) { NotReached(line, c.target, c.value, {}); }
  void NotReached(int line, const WaitUntil& c) { NotReached(line, c.target, c.value, {}); }
  void NotReached(int line, const Throughout& c) { NotReached(line, c.target, c.value, {}); }
  void NotReached(int line, const Measure& c) { NotReached(line, c.until.target, c.until.value, c.label); }

  static constexpr const char* okReply = "ok";

  // A session never steps its machine, whose time runs on its own.
  template <class C>
  static void RefuseInSession(const C&) {}
  static void RefuseInSession(const Stall&) { RefuseStepped("stall"); }
  static void RefuseInSession(const Measure&) { RefuseStepped("measure"); }
  static void RefuseInSession(const Mark&) { RefuseStepped("mark"); }
  static void RefuseInSession(const Restart&) { RefuseStepped("restart"); }
  [[noreturn]] static void RefuseStepped(const std::string& command) {
    Fail("'" + command + "' is for scripts, whose time qx40-scenario steps; not for a running panel");
  }

  // A checkpoint being watched: from its line on, or for a measure since a
  // mark from the mark on, until it is judged.
  struct Running {
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

  void Watch(Running& check) const {
    if (check.answerMs) return;
    check.last = check.reader();
    const bool holding = check.last == check.value;
    if (check.kind == Running::Kind::Throughout) {
      if (!holding) check.answerMs = NowMs();
    } else if (!holding) {
      check.sawOther = true;
    } else if (check.kind == Running::Kind::Until || check.sawOther) {
      check.answerMs = NowMs();
    }
  }

  void WatchAll() {
    for (Running& check : running_) Watch(check);
  }

  // Judges each started checkpoint whose answer is known or whose time is up.
  void JudgeDue() {
    if (pausedAtMs_) return;
    for (size_t i = 0; i < running_.size();) {
      Running& check = running_[i];
      if (!check.started || (!check.answerMs && NowMs() < check.endMs)) {
        ++i;
        continue;
      }
      const int savedLine = std::exchange(line_, check.line);
      Judge(check);
      line_ = savedLine;
      running_.erase(running_.begin() + std::ptrdiff_t(i));
    }
  }

  void Judge(const Running& check) {
    switch (check.kind) {
      case Running::Kind::Until:
        return Check(check.target, check.value, check.answerMs ? check.value : check.last, JudgedAt(check));
      case Running::Kind::Throughout:
        return Check(check.target, check.value, check.answerMs ? check.last : check.value, JudgedAt(check));
      case Running::Kind::Measure:
        return EndMeasure(check);
    }
  }

  // When its answer was seen, or else the end of its time.
  int64_t JudgedAt(const Running& check) const { return check.answerMs ? NowMs() : check.endMs; }

  bool Holding() {
    if (waitEndMs_ && NowMs() >= *waitEndMs_) waitEndMs_.reset();
    if (waitEndMs_) return true;
    return std::any_of(running_.begin(), running_.end(), [](const Running& c) { return c.started && c.holds; });
  }

  bool AnyRunning() const {
    return std::any_of(running_.begin(), running_.end(), [](const Running& c) { return c.started; });
  }

  // Waits and checkpoints start here and end when the time passes; the rest are done at once.
  template <class C>
  void Begin(const C& command) {
    Do(command);
  }
  void Begin(const Wait& wait) { waitEndMs_ = NowMs() + wait.steps * stepMs; }
  void Begin(const WaitUntil& until) {
    StartCheck(NewCheck(Running::Kind::Until, until.target, until.value, NowMs(), until.steps, !until.meanwhile, true));
  }
  void Begin(const Throughout& throughout) {
    StartCheck(NewCheck(Running::Kind::Throughout, throughout.target, throughout.value, NowMs(), throughout.steps,
                        !throughout.meanwhile, true));
  }
  void Begin(const Measure& measure) {
    const auto early = std::find_if(running_.begin(), running_.end(), [&](const Running& c) { return c.line == line_; });
    if (early != running_.end()) {  // watched since its mark
      early->started = true;
      early->holds = !measure.until.meanwhile;
      return;
    }
    StartCheck(MeasureCheck(measure, NowMs(), !measure.until.meanwhile, true));
  }

  Running NewCheck(Running::Kind kind, const Target& target, const Value& value, int64_t startMs, int64_t steps,
                   bool holds, bool started) const {
    Running check;
    check.kind = kind;
    check.line = line_;
    check.target = target;
    check.value = value;
    check.reader = panel_->ReaderOf(target);
    check.startMs = startMs;
    check.endMs = startMs + steps * stepMs;
    check.holds = holds;
    check.started = started;
    return check;
  }

  Running MeasureCheck(const Measure& measure, int64_t startMs, bool holds, bool started) const {
    Running check = NewCheck(Running::Kind::Measure, measure.until.target, measure.until.value, startMs,
                             measure.until.steps, holds, started);
    check.requirement = measure.label;
    return check;
  }

  void StartCheck(Running check) {
    Watch(check);
    running_.push_back(std::move(check));
  }

  std::string Reply() const {
    if (!result_.failures.empty()) return result_.failures.back().message;
    return warning_.empty() ? okReply : std::string(okReply) + " (warning: " + warning_ + ")";
  }

  std::string Resolve(const std::string& path) const { return (caller_ / path).lexically_normal().string(); }

  void Error(int line, const std::string& message) {
    out_ << result_.script << (line > 0 ? ':' + std::to_string(line) : std::string()) << ": error: " << message << '\n';
    result_.errors.push_back({line, message});
  }

  void RunIn(const std::string& path, bool last) {
    std::ifstream in(Resolve(path));
    if (!in) return Error(0, "cannot read the script: " + std::generic_category().message(errno));
    const ScratchDirectory directory;
    if (directory.path.empty()) return Error(0, "cannot make a working directory");
    try {
      CopySettings();
      const Commands commands = Prepare(in);
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
    if (!fs::is_regular_file(Resolve(options_.settings), failed) ||
        !fs::copy_file(Resolve(options_.settings), settingsFile, failed)) {
      Fail("cannot read the settings " + options_.settings);
    }
    fs::permissions(settingsFile, fs::perms::owner_read | fs::perms::owner_write, failed);
  }

  // The whole script is parsed, and every name in it resolved on the panel,
  // before time starts: all its errors are reported, in line order, and a
  // script with any runs not at all.
  Commands Prepare(std::istream& in) {
    Commands commands;
    std::vector<Problem> problems;
    std::vector<std::string> header;
    int line = 0;
    for (std::string text; std::getline(in, text);) {
      ++line;
      if (!text.empty() && text.back() == '\r') text.pop_back();
      if (exercise_) lineTexts_[line] = text;
      if (commands.empty() && problems.empty()) header.push_back(text);
      try {
        if (std::optional<Command> command = ParseLine(text)) commands.emplace_back(line, std::move(*command));
      } catch (const ScriptError& error) {
        problems.push_back({line, error.message});
      }
    }
    ReadHeader(header, result_);
    if (!commands.empty()) {
      signals_ = TimelineTargets(commands);
      Start();
    }
    for (const auto& [at, command] : commands) {
      const auto* measure = std::get_if<Measure>(&command);
      if (measure && !measure->since.empty()) measuresSince_.emplace_back(at, measure);
      checkedLine_ = at;
      try {
        std::visit([this](const auto& c) { Check(c); }, command);
      } catch (const ScriptError& error) {
        problems.push_back({at, error.message});
      }
    }
    std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) { return a.line < b.line; });
    for (const Problem& problem : problems) Error(problem.line, problem.message);
    return commands;
  }

  // One meaning everywhere: a line runs when the one before it is done, and
  // a wait or a checkpoint holds the lines after it until it is over.
  void RunCommands(const Commands& commands) {
    for (const auto& [at, command] : commands) {
      line_ = at;
      std::visit([this](const auto& c) { Begin(c); }, command);
      Sample();
      while (Holding()) Step();
    }
    while (AnyRunning()) Step();
  }

  // The report's timeline shows the targets the script measures, then the
  // panel's main indications and outputs.
  std::vector<Target> TimelineTargets(const Commands& commands) const {
    std::vector<Target> targets;
    if (options_.report.empty()) return targets;
    const auto add = [&](const Target& target) {
      const bool seen = std::any_of(targets.begin(), targets.end(), [&](const Target& t) { return t.text == target.text; });
      if (!seen) targets.push_back(target);
    };
    for (const auto& entry : commands) {
      if (const auto* measure = std::get_if<Measure>(&entry.second)) add(measure->until.target);
    }
    for (const char* name : mainIndications) add(Target{Target::Kind::Control, {}, name, {}, -1, {}, name});
    return targets;
  }

  template <class C>
  void Check(const C&) {}
  void Check(const WaitUntil& wait) { panel_->ReaderOf(wait.target); }
  void Check(const Throughout& throughout) { panel_->ReaderOf(throughout.target); }
  void Check(const Measure& measure) {
    Check(measure.until);
    if (!measure.since.empty() && !marksSeen_.contains(measure.since)) {
      Fail("no mark '" + measure.since + "' before this line" + DidYouMean(measure.since, {marksSeen_.begin(), marksSeen_.end()}));
    }
  }
  void Check(const Mark& mark) { marksSeen_.insert(mark.name); }
  void Check(const Expect& expect) { panel_->ReaderOf(expect.target); }
  void Check(const Print& print) { panel_->ReaderOf(print.target); }
  void Check(const Mouse& mouse) {
    const TControl& control = panel_->Control(mouse.form, mouse.name);
    if (mouse.action == Mouse::Action::Click && sim_->front().IsPushKey(&control)) WarnTooShort(mouse.name);
  }

  // A click takes no time, and the firmware confirms a key only after it has
  // been down for several reads; the click is still done as written. A
  // session's client is told in its reply, a script's author on stderr.
  void WarnTooShort(const std::string& key) {
    std::ostringstream text;
    text << "'click " << key << "' is too short for the firmware to see the key; write 'press " << key << "', 'wait "
         << keyPressWaitMs << "ms', 'release " << key << "'";
    if (session_) {
      warning_ = text.str();
      return;
    }
    std::cerr << result_.script << ':' << checkedLine_ << ": warning: " << text.str() << '\n';
  }
  // In a unit the control holds, and within its range.
  void Check(const Level& command) {
    const TLevelControl& level = LevelNamed(command);
    const int maxWidth = level.MaxFillWidth();
    if (command.unit == Level::Unit::Width) {
      if (command.amount <= maxWidth) return;
      Fail("level out of range: '" + command.name + "' is 0 to " + std::to_string(maxWidth) + " wide");
    }
    const bool ohms = command.unit == Level::Unit::Ohm;
    if (ohms ? !level.HoldsOhms() : !level.HoldsMillivolts()) {
      Fail("'" + command.name + "' is not set in " +
           (level.HoldsOhms() ? "ohm" : level.HoldsMillivolts() ? "mV" : "either unit"));
    }
    const int64_t low = level.ValueAt(0);
    const int64_t high = level.ValueAt(maxWidth);
    if (command.amount >= low && command.amount <= high) return;
    const char* unit = ohms ? " ohm" : " mV";
    Fail("level out of range: '" + command.name + "' is " + std::to_string(low) + unit + " to " + std::to_string(high) + unit);
  }
  void Check(const Stall&) {
    if (exercise_) Fail("stall needs the panel in virtual time; an exercise runs in real time");
  }
  void Check(const Restart&) {
    if (options_.live) Fail("restart would end the live panel (on the web page, reload it instead)");
  }
  void Check(const Screenshot&) {
    if (options_.screenshot) return;
    Fail(options_.live ? "the live panel takes no screenshots: run the script in qx40-scenario for one"
                       : "this program draws no windows: no screenshot");
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
    if (fs::copy_file(settingsFile, Resolve(options_.save), fs::copy_options::overwrite_existing, failed)) return;
    Error(0, "cannot write the settings " + options_.save);
  }

  // A fresh process's simulator: no board, firmware variables at their start.
  void Start() {
    if (options_.live) {
      sim_ = options_.live;
    } else {
      ResetBoardGlobals();
      ResetFirmwareState();
      owned_ = std::make_unique<Machine>(BoardPacing::Stepped);
      sim_ = owned_.get();
      // Keys follow press and release exactly, for scripts that test the debounce.
      sim_->front().SetHoldShortPresses(false);
    }
    panel_ = std::make_unique<Panel>(*sim_);
    held_ = 0;
    if (LogsEvents()) {
      events_ = std::make_unique<EventLog>(*sim_, [this](const PanelEvent& event) { result_.events.push_back(event); });
    }
    AttachTimeline();
    if (trace_) trace_->Attach(*sim_, *panel_);
    Sample();
  }

  void AttachTimeline() {
    timelineReaders_.clear();
    if (result_.timeline.empty()) {
      for (const Target& target : signals_) result_.timeline.push_back({target.text, {}});
    }
    for (const Target& target : signals_) {
      try {
        timelineReaders_.push_back(panel_->ReaderOf(target));
      } catch (const ScriptError&) {
        timelineReaders_.push_back([] { return Value{true, 0, "?"}; });  // Prepare reports it
      }
    }
  }

  bool LogsEvents() const { return !options_.log.empty() || !options_.report.empty(); }

  void ShutDown() {
    events_.reset();
    timelineReaders_.clear();
    running_.clear();
    panel_.reset();
    owned_.reset();
    sim_ = nullptr;
  }

  int64_t NowMs() const { return offsetMs_ + (sim_ ? sim_->PanelTimeMs() : 0); }

  // After a step only the panel can have changed; after a command also what
  // a person sets.
  void Sample(EventLog::Scope scope = EventLog::Scope::PanelAndInputs) {
    WatchAll();
    JudgeDue();
    if (trace_) trace_->Sample(traceBaseMs_ + NowMs());
    if (events_ && (scope == EventLog::Scope::PanelAndInputs || NowMs() % eventSampleMs == 0)) {
      events_->Sample(NowMs(), scope);
    }
    for (size_t i = 0; i < timelineReaders_.size(); ++i) {
      auto& changes = result_.timeline[i].changes;
      std::string value = FormatValue(timelineReaders_[i]());
      if (changes.empty() || changes.back().second != value) changes.emplace_back(NowMs(), std::move(value));
    }
  }

  void Step() {
    sim_->Step();
    Sample(EventLog::Scope::Panel);
  }

  void Do(const Wait& wait) {
    for (int64_t i = 0; i < wait.steps; ++i) Step();
  }

  // From a mark on, every later measurement since it watches its target, so
  // that one whose target changed before its line is reached is timed from
  // the mark.
  void Do(const Mark& mark) {
    marks_[mark.name] = NowMs();
    const int savedLine = line_;
    for (const auto& [at, measure] : measuresSince_) {
      if (measure->since != mark.name) continue;
      std::erase_if(running_, [at = at](const Running& c) { return c.line == at; });
      line_ = at;
      StartCheck(MeasureCheck(*measure, NowMs(), true, false));
    }
    line_ = savedLine;
  }

  void Do(const Say& say) {
    result_.said.push_back({NowMs(), say.text});
    out_ << result_.script << ':' << line_ << ": " << PanelSeconds(NowMs()) << " say " << FormatValue(Value{true, 0, say.text})
         << '\n';
    if (options_.said) options_.said(say.text);
  }

  // One judgement: the measured time against its limit.
  void EndMeasure(const Running& check) {
    Measurement measurement{check.line, check.requirement, check.startMs, check.endMs - check.startMs, std::nullopt};
    if (check.answerMs) measurement.measuredMs = *check.answerMs - check.startMs;
    const bool passed = measurement.Passed();
    const int64_t atMs = JudgedAt(check);
    out_ << result_.script << ':' << check.line << ": " << PanelSeconds(atMs) << " measure \"" << check.requirement
         << "\" = " << (measurement.measuredMs ? PanelSeconds(*measurement.measuredMs) : "not reached") << " (limit "
         << PanelSeconds(measurement.limitMs) << ") " << (passed ? "PASS" : "FAIL") << '\n';
    result_.measurements.push_back(measurement);
    const std::string failure = "\"" + check.requirement + "\" not reached within " + PanelSeconds(measurement.limitMs) +
                                " s: expected " + check.target.text + " to become " + FormatValue(check.value) +
                                ", it is " + FormatValue(check.last);
    Judged(check.target, check.value, passed, atMs, passed ? std::string() : failure, check.requirement);
  }

  void Do(const Expect& expect) { Check(expect.target, expect.value, panel_->ReaderOf(expect.target)(), NowMs()); }

  std::string PrintedValue(const Print& print) const { return FormatValue(panel_->ReaderOf(print.target)()); }

  // Read before writing, so an error leaves no half line.
  void Do(const Print& print) {
    const std::string value = PrintedValue(print);
    out_ << result_.script << ':' << line_ << ": " << PanelSeconds(NowMs()) << ' ' << print.target.text << " = " << value
         << '\n';
  }

  void Check(const Target& target, const Value& expected, const Value& actual, int64_t atMs) {
    const std::string failure = "expected " + target.text + " = " + FormatValue(expected) + ", got " + FormatValue(actual);
    Judged(target, expected, actual == expected, atMs, actual == expected ? std::string() : failure, {});
  }

  // Every checkpoint's one verdict.
  void Judged(const Target& target, const Value& expected, bool passed, int64_t atMs, const std::string& failure,
              const std::string& requirement) {
    result_.checkpoints.push_back({line_, atMs, target.text + " = " + FormatValue(expected), passed, true, target.text,
                                   FormatValue(expected), requirement});
    if (passed) {
      ++result_.passed;
      return;
    }
    ++result_.failed;
    const std::string message = "FAIL at " + PanelSeconds(atMs) + ": " + failure;
    result_.failures.push_back({line_, message});
    out_ << result_.script << ':' << line_ << ": " << message << '\n';
  }

  // The events a person's mouse gives the control, with the buttons held.
  void Do(const Mouse& mouse) {
    TControl& control = panel_->Control(mouse.form, mouse.name);
    const auto [x, y] = mouse.at ? *mouse.at : std::make_pair(control.Width() / 2, control.Height() / 2);
    const MouseButton button = ButtonOf(mouse.button);
    const ShiftState bit = HeldBit(mouse.button);
    if (mouse.action == Mouse::Action::Move) return control.MouseMove(held_, x, y);
    if (mouse.action != Mouse::Action::Release) {
      held_ |= bit;
      control.MouseDown(button, held_, x, y);
    }
    if (mouse.action == Mouse::Action::Press) return;
    held_ &= ~bit;
    control.MouseUp(button, held_, x, y);
  }

  // The level control whose box a level command names.
  TLevelControl& LevelNamed(const Level& command) const {
    TControl& control = panel_->Control(command.form, command.name);
    const auto& levels = sim_->hardware().Levels();
    const auto level = std::find_if(levels.begin(), levels.end(), [&](const auto& l) { return l->Box() == &control; });
    if (level == levels.end()) Fail("'" + command.name + "' is not a level control's box");
    return **level;
  }

  // Through the control, as a drag to that width or value would set it.
  void Do(const Level& command) {
    TLevelControl& level = LevelNamed(command);
    if (command.unit == Level::Unit::Width) return level.SetFillWidth(int(command.amount));
    level.SetValue(int32_t(command.amount));
  }

  // Between firmware passes: a live panel's firmware may be writing the same memory.
  void Do(const SetMemory& set) {
    sim_->BetweenPasses([&set] {
      if (set.raw) {
        HardwareRequest(WRITE_NV_BYTE, set.value * 256 + set.address);
        return;
      }
      WriteConfig(uint8_t(set.address), uint8_t(set.value));
    });
  }

  // As it would be shown: the window is shown for the picture, then hidden again.
  void Do(const Screenshot& shot) {
    Check(shot);
    TForm& form = panel_->Form(shot.form);
    form.Show();
    const bool saved = options_.screenshot(form, Resolve(shot.file));
    form.Hide();
    if (!saved) Fail("cannot write " + shot.file);
  }

  void Do(const Restart&) {
    offsetMs_ += sim_->NowMs();
    ShutDown();
    Start();
  }

  void Do(const Stall& stall) {
    sim_->stepper().firmwareStalled = true;
    Do(Wait{stall.steps});
    sim_->stepper().firmwareStalled = false;
  }

  const RunOptions& options_;
  const fs::path caller_;
  std::unique_ptr<Trace> trace_;
  std::unique_ptr<Machine> owned_;
  Machine* sim_ = nullptr;
  std::unique_ptr<Panel> panel_;
  std::unique_ptr<EventLog> events_;
  ScriptResult result_;
  std::ostringstream out_;
  std::vector<Target> signals_;
  std::set<std::string> marksSeen_;
  std::map<std::string, int64_t> marks_;
  std::vector<std::pair<int, const Measure*>> measuresSince_;  // points into the script's commands
  std::vector<Running> running_;                             // checkpoints being watched
  std::optional<int64_t> waitEndMs_;                         // a plain wait's end
  bool session_ = false;
  std::string warning_;  // a session line's warning, for its reply
  std::vector<Reader> timelineReaders_;
  int line_ = 0;
  int checkedLine_ = 0;  // the line being checked before time starts
  // Virtual time of this script before the present simulator.
  int64_t offsetMs_ = 0;
  // Earlier scripts' time: the trace has one time axis for the whole run.
  int64_t traceBaseMs_ = 0;
  ShiftState held_ = 0;
  // An exercise's script, the next command, what it waits for and how long it paused.
  bool exercise_ = false;
  Commands commands_;
  std::map<int, std::string> lineTexts_;  // as written, for a recording
  size_t next_ = 0;
  std::optional<int64_t> pausedAtMs_;
  int64_t pausedMs_ = 0;  // paused so far, which the exercise's own clock leaves out
  size_t checkpoints_ = 0;
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
    RunInProcesses(scripts, options.jobs, [&](size_t i) { return Runner(options).RunScript(scripts[i], last(i)); }, done);
    return results;
  }
  Runner runner(options);
  if (!runner.OpenTrace(out)) return std::nullopt;
  for (size_t i = 0; i < scripts.size(); ++i) done(runner.RunScript(scripts[i], last(i)));
  return results;
}

}  // namespace

struct Session::State {
  explicit State(Machine& live) : runner(options) {
    options.live = &live;
    runner.OpenSession();
  }
  RunOptions options;
  Runner runner;
};

Session::Session(Machine& live) : state_(std::make_unique<State>(live)) {}
Session::~Session() = default;
std::optional<std::string> Session::Run(const std::string& line) { return state_->runner.RunLine(line); }
std::optional<std::string> Session::Resume() { return state_->runner.ResumeLine(); }

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

struct Exercise::Parts {
  RunOptions options;
  Runner runner{options};
};

Exercise::Exercise(const std::string& path, Machine& machine, ExerciseHooks hooks)
    : parts_(std::make_unique<Parts>()) {
  parts_->options.live = &machine;
  parts_->options.acted = std::move(hooks.acted);
  parts_->options.said = std::move(hooks.said);
  parts_->options.report = "exercise";  // keeps the timeline and the event log for the debrief
  loaded_ = parts_->runner.LoadExercise(path);
  parts_->runner.Name(hooks.trainee, hooks.startedWallMs);
}

Exercise::~Exercise() = default;

bool Exercise::Advance() { return parts_->runner.Advance(); }
void Exercise::Pause() { parts_->runner.Pause(); }
void Exercise::Resume() { parts_->runner.Resume(); }
void Exercise::Abandon() { parts_->runner.Abandon(); }
ExerciseProgress Exercise::Progress() const { return parts_->runner.Progress(); }
ScriptResult Exercise::Result() const { return parts_->runner.Result(); }

std::string ProgressText(const std::string& name, const ExerciseProgress& progress) {
  char clock[32];
  std::snprintf(clock, sizeof clock, "%lld:%02lld", static_cast<long long>(progress.elapsedMs / 60000),
                static_cast<long long>(progress.elapsedMs / 1000 % 60));
  std::string text = name + " " + clock + ", " + std::to_string(progress.judged) + " of " +
                     std::to_string(progress.checkpoints) + " checkpoints";
  return progress.paused ? text + " (paused)" : text;
}

ScriptResult DescribeScript(const std::string& path) {
  ScriptResult described;
  described.script = path;
  std::ifstream in(path);
  std::vector<std::string> header;
  for (std::string line; std::getline(in, line) && line.starts_with('#');) header.push_back(line);
  ReadHeader(header, described);
  return described;
}

std::vector<Problem> CheckExercise(const std::string& path) {
  const ScratchDirectory directory;
  if (directory.path.empty()) return {{0, "cannot make a working directory to check the exercise in"}};
  std::vector<Problem> problems;
  {
    ResetBoardGlobals();
    ResetFirmwareState();
    Machine machine(BoardPacing::Stepped);
    problems = Exercise((directory.caller / path).lexically_normal().string(), machine).Result().errors;
  }
  ResetBoardGlobals();
  ResetFirmwareState();
  return problems;
}

// In a scratch directory, so that the panel's settings land nowhere.
void ListNames(std::ostream& out) {
  {
    const ScratchDirectory directory;
    ResetBoardGlobals();
    ResetFirmwareState();
    Machine simulation(BoardPacing::Stepped);
    const Panel panel(simulation);
    for (const std::string& name : panel.ControlNames(true)) out << "control " << name << '\n';
  }
  for (const std::string& attribute : Attributes()) out << "attribute " << attribute << '\n';
  for (const FirmwareVariable& variable : FirmwareVariables()) {
    out << "var " << variable.name << (variable.count > 1 ? "[" + std::to_string(variable.count) + "]" : "") << '\n';
  }
}

}  // namespace scenario
