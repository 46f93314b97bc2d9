// The exercise driver: a script checked whole on a live panel, then run a
// piece at a time as the panel's own time passes, its checkpoints judged
// without stopping anything while a trainee works the windows.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "board/hardware_interface.h"
#include "firmware/firmware.h"
#include "machine/machine.h"
#include "scenario/interpreter.h"
#include "scenario/runner.h"

namespace scenario {

namespace {

bool IsAction(const Command& command) {
  return std::holds_alternative<Mouse>(command) || std::holds_alternative<Level>(command) ||
         std::holds_alternative<SetMemory>(command);
}

bool IsCheckpoint(const Command& command) {
  return std::holds_alternative<Expect>(command) || std::holds_alternative<WaitUntil>(command) ||
         std::holds_alternative<Measure>(command) || std::holds_alternative<Throughout>(command);
}

}  // namespace

struct Exercise::Parts : Interpreter {
  Parts(Machine& machine, ExerciseHooks& hooks) : Interpreter(Options(machine, hooks)) {}

  static RunOptions Options(Machine& machine, ExerciseHooks& hooks) {
    RunOptions options;
    options.live = &machine;
    options.acted = std::move(hooks.acted);
    options.said = std::move(hooks.said);
    options.report = "exercise";  // keeps the timeline and the event log for the debrief
    return options;
  }

  // False if the script has errors.
  bool Load(const std::string& path) {
    result_ = ScriptResult{};
    result_.script = path;
    std::ifstream in(Resolve(path));
    if (!in) {
      Error(0, "cannot read the script: " + std::generic_category().message(errno));
      return false;
    }
    try {
      commands_ = Prepare(in, &lineTexts_);
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
      if (next_ >= commands_.size()) return AnyRunning() || End();
      const auto& [at, command] = commands_[next_++];
      line_ = at;
      try {
        Begin(command);
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
    for (const RunningCheck& check : running_) {
      if (check.started) NotReached(check.line, check.target, check.value, check.requirement);
    }
    for (size_t i = next_; i < commands_.size(); ++i) {
      std::visit([&](const auto& c) { NotReached(commands_[i].first, c); }, commands_[i].second);
    }
    End();
  }

  ExerciseProgress Progress() const {
    const int64_t now = (pausedAtMs_ ? *pausedAtMs_ : NowMs()) - pausedMs_;
    return {now, JudgedCount(), checkpoints_, pausedAtMs_.has_value(), Finished()};
  }

  ScriptResult Result() const {
    ScriptResult result = result_;
    result.output = out_.str();
    result.endMs = NowMs();
    if (pausedAtMs_) result.pauses.push_back({*pausedAtMs_, NowMs()});
    return result;
  }

  bool Paused() const override { return pausedAtMs_.has_value(); }

  void Refuse(const Command& command) const override {
    if (std::holds_alternative<Stall>(command)) {
      throw ScriptError{"stall needs the panel in virtual time; an exercise runs in real time"};
    }
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

  bool End() {
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

  ScriptLines commands_;
  std::map<int, std::string> lineTexts_;  // as written, for a recording
  size_t next_ = 0;
  std::optional<int64_t> pausedAtMs_;
  int64_t pausedMs_ = 0;  // paused so far, which the exercise's own clock leaves out
  size_t checkpoints_ = 0;
};

Exercise::Exercise(const std::string& path, Machine& machine, ExerciseHooks hooks)
    : parts_(std::make_unique<Parts>(machine, hooks)) {
  loaded_ = parts_->Load(path);
  parts_->Name(hooks.trainee, hooks.startedWallMs);
}

Exercise::~Exercise() = default;

bool Exercise::Advance() { return parts_->Advance(); }
void Exercise::Pause() { parts_->Pause(); }
void Exercise::Resume() { parts_->Resume(); }
void Exercise::Abandon() { parts_->Abandon(); }
ExerciseProgress Exercise::Progress() const { return parts_->Progress(); }
ScriptResult Exercise::Result() const { return parts_->Result(); }

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
    Machine machine(BoardPacing::Stepped, nullptr, directory.path);
    problems = Exercise(path, machine).Result().errors;
  }
  return problems;
}

}  // namespace scenario
