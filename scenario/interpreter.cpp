#include "scenario/interpreter.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <system_error>

#include "board/hardware_interface.h"
#include "firmware/firmware.h"
#include "firmware/variables.h"
#include "machine/machine.h"
#include "machine/save_state.h"
#include "windows/framework/form.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace scenario {

namespace {

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

// A header key: a capitalised word or two and a colon ("Teaches:", "Done by:").
bool IsHeaderKey(const std::string& text) {
  const size_t colon = text.find(':');
  return colon != std::string::npos && colon < 16 && std::isupper(static_cast<unsigned char>(text[0]));
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qx40-scenario-XXXXXX").string();
  if (mkdtemp(pattern.data())) path = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

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

Interpreter::Interpreter(RunOptions options) : options_(std::move(options)), caller_(std::filesystem::current_path()) {}

Interpreter::~Interpreter() = default;

void Interpreter::Warn(const std::string& text) {
  std::cerr << result_.script << ':' << checkedLine_ << ": warning: " << text << '\n';
}

void Interpreter::Watch(RunningCheck& check) const {
  if (check.answerMs) return;
  check.last = check.reader();
  const bool holding = check.last == check.value;
  if (check.kind == RunningCheck::Kind::Throughout) {
    if (!holding) check.answerMs = NowMs();
  } else if (!holding) {
    check.sawOther = true;
  } else if (check.kind == RunningCheck::Kind::Until || check.sawOther) {
    check.answerMs = NowMs();
  }
}

void Interpreter::WatchAll() {
  for (RunningCheck& check : running_) Watch(check);
}

// Judges each started checkpoint whose answer is known or whose time is up.
void Interpreter::JudgeDue() {
  if (Paused()) return;
  for (size_t i = 0; i < running_.size();) {
    RunningCheck& check = running_[i];
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

void Interpreter::Judge(const RunningCheck& check) {
  switch (check.kind) {
    case RunningCheck::Kind::Until:
      return Check(check.target, check.value, check.answerMs ? check.value : check.last, JudgedAt(check));
    case RunningCheck::Kind::Throughout:
      return Check(check.target, check.value, check.answerMs ? check.last : check.value, JudgedAt(check));
    case RunningCheck::Kind::Measure:
      return EndMeasure(check);
  }
}

// When its answer was seen, or else the end of its time.
int64_t Interpreter::JudgedAt(const RunningCheck& check) const { return check.answerMs ? NowMs() : check.endMs; }

bool Interpreter::Holding() {
  if (waitEndMs_ && NowMs() >= *waitEndMs_) waitEndMs_.reset();
  if (waitEndMs_) return true;
  return std::any_of(running_.begin(), running_.end(), [](const RunningCheck& c) { return c.started && c.holds; });
}

bool Interpreter::Unwatched() const {
  return running_.empty() && !trace_ && !events_ && timelineReaders_.empty();
}

bool Interpreter::AnyRunning() const {
  return std::any_of(running_.begin(), running_.end(), [](const RunningCheck& c) { return c.started; });
}

void Interpreter::Begin(const Command& command) {
  std::visit([this](const auto& c) { BeginCommand(c); }, command);
}

void Interpreter::BeginCommand(const Wait& wait) { waitEndMs_ = NowMs() + wait.steps * stepMs; }

void Interpreter::BeginCommand(const WaitUntil& until) {
  StartCheck(NewCheck(RunningCheck::Kind::Until, until.target, until.value, NowMs(), until.steps, !until.meanwhile, true));
}

void Interpreter::BeginCommand(const Throughout& throughout) {
  StartCheck(NewCheck(RunningCheck::Kind::Throughout, throughout.target, throughout.value, NowMs(), throughout.steps,
                      !throughout.meanwhile, true));
}

void Interpreter::BeginCommand(const Measure& measure) {
  const auto early = std::find_if(running_.begin(), running_.end(), [&](const RunningCheck& c) { return c.line == line_; });
  if (early != running_.end()) {  // watched since its mark
    early->started = true;
    early->holds = !measure.until.meanwhile;
    return;
  }
  StartCheck(MeasureCheck(measure, NowMs(), !measure.until.meanwhile, true));
}

RunningCheck Interpreter::NewCheck(RunningCheck::Kind kind, const Target& target, const Value& value, int64_t startMs,
                                   int64_t steps, bool holds, bool started) const {
  RunningCheck check;
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

RunningCheck Interpreter::MeasureCheck(const Measure& measure, int64_t startMs, bool holds, bool started) const {
  RunningCheck check = NewCheck(RunningCheck::Kind::Measure, measure.until.target, measure.until.value, startMs,
                                measure.until.steps, holds, started);
  check.requirement = measure.label;
  return check;
}

void Interpreter::StartCheck(RunningCheck check) {
  Watch(check);
  running_.push_back(std::move(check));
}

std::string Interpreter::Resolve(const std::string& path) const { return (caller_ / path).lexically_normal().string(); }

void Interpreter::Error(int line, const std::string& message) {
  out_ << result_.script << (line > 0 ? ':' + std::to_string(line) : std::string()) << ": error: " << message << '\n';
  result_.errors.push_back({line, message});
}

ScriptLines Interpreter::Prepare(std::istream& in, std::map<int, std::string>* texts) {
  ScriptLines commands;
  std::vector<Problem> problems;
  std::vector<std::string> header;
  int line = 0;
  for (std::string text; std::getline(in, text);) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (texts) (*texts)[line] = text;
    if (commands.empty() && problems.empty()) header.push_back(text);
    try {
      if (std::optional<Command> command = ParseLine(text)) commands.emplace_back(line, std::move(*command));
    } catch (const ScriptError& error) {
      problems.push_back({line, error.message});
    }
  }
  ReadHeader(header, result_);
  startFrom_ = options_.startFrom;
  scriptStartFrom_.clear();
  if (!commands.empty()) firstLine_ = commands.front().first;
  // A script's own state file lies beside it, wherever the script is run from.
  if (!commands.empty() && std::holds_alternative<StartFrom>(commands.front().second)) {
    const std::string& file = std::get<StartFrom>(commands.front().second).file;
    startFrom_ = (std::filesystem::path(Resolve(result_.script)).parent_path() / file).lexically_normal().string();
    scriptStartFrom_ = file;
  }
  if (!commands.empty()) {
    signals_ = TimelineTargets(commands);
    Start();
  }
  for (const auto& [at, command] : commands) {
    const auto* measure = std::get_if<Measure>(&command);
    if (measure && !measure->since.empty()) measuresSince_.emplace_back(at, measure);
    checkedLine_ = at;
    try {
      CheckLine(command);
    } catch (const ScriptError& error) {
      problems.push_back({at, error.message});
    }
  }
  std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) { return a.line < b.line; });
  for (const Problem& problem : problems) Error(problem.line, problem.message);
  return commands;
}

void Interpreter::CheckLine(const Command& command) {
  Refuse(command);
  std::visit([this](const auto& c) { Check(c); }, command);
}

// The report's timeline shows the targets the script measures, then the
// panel's main indications and outputs.
std::vector<Target> Interpreter::TimelineTargets(const ScriptLines& commands) const {
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

void Interpreter::Check(const WaitUntil& wait) { panel_->ReaderOf(wait.target); }
void Interpreter::Check(const Throughout& throughout) { panel_->ReaderOf(throughout.target); }

void Interpreter::Check(const Measure& measure) {
  Check(measure.until);
  if (!measure.since.empty() && !marksSeen_.contains(measure.since)) {
    Fail("no mark '" + measure.since + "' before this line" + DidYouMean(measure.since, {marksSeen_.begin(), marksSeen_.end()}));
  }
}

void Interpreter::Check(const Mark& mark) { marksSeen_.insert(mark.name); }
void Interpreter::Check(const Expect& expect) { panel_->ReaderOf(expect.target); }
void Interpreter::Check(const Print& print) { panel_->ReaderOf(print.target); }

void Interpreter::Check(const Mouse& mouse) {
  const TControl& control = panel_->Control(mouse.form, mouse.name);
  if (mouse.action == Mouse::Action::Click && sim_->front().IsPushKey(&control)) WarnTooShort(mouse.name);
}

// A click takes no time, and the firmware confirms a key only after it has
// been down for several reads; the click is still done as written.
void Interpreter::WarnTooShort(const std::string& key) {
  std::ostringstream text;
  text << "'click " << key << "' is too short for the firmware to see the key; write 'press " << key << "', 'wait "
       << keyPressWaitMs << "ms', 'release " << key << "'";
  Warn(text.str());
}

void Interpreter::Check(const Restart&) {
  if (options_.live) Fail("restart would end the live panel (on the web page, reload it instead)");
}

void Interpreter::Check(const Screenshot&) {
  if (options_.screenshot) return;
  Fail(options_.live ? "the live panel takes no screenshots: run the script in qx40-scenario for one"
                     : "this program draws no windows: no screenshot");
}

// A fresh process's simulator: no board, firmware variables at their start.
void Interpreter::Start() {
  if (options_.live) {
    sim_ = options_.live;
  } else {
    owned_ = std::make_unique<Machine>(BoardPacing::Stepped, options_.host, settingsDirectory_);
    sim_ = owned_.get();
    // Keys follow press and release exactly, for scripts that test the debounce.
    sim_->front().SetHoldShortPresses(false);
  }
  if (!startFrom_.empty()) LoadStateFile(*sim_, Resolve(startFrom_));
  panel_ = std::make_unique<Panel>(*sim_);
  held_ = 0;
  if (LogsEvents()) {
    events_ = std::make_unique<EventLog>(*sim_, [this](const PanelEvent& event) { result_.events.push_back(event); });
  }
  AttachTimeline();
  if (trace_) trace_->Attach(*sim_, *panel_);
  Sample();
}

void Interpreter::AttachTimeline() {
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

bool Interpreter::LogsEvents() const { return !options_.log.empty() || !options_.report.empty(); }

void Interpreter::ShutDown() {
  events_.reset();
  timelineReaders_.clear();
  running_.clear();
  panel_.reset();
  owned_.reset();
  sim_ = nullptr;
}

int64_t Interpreter::NowMs() const { return offsetMs_ + (sim_ ? sim_->PanelTimeMs() : 0); }

void Interpreter::Sample(EventLog::Scope scope) {
  WatchAll();
  JudgeDue();
  if (trace_) trace_->Sample(traceBaseMs_ + NowMs());
  // Between commands only as often as every front end samples: at every step a long wait would be a third slower.
  if (events_ && (scope == EventLog::Scope::PanelAndInputs || EventSampleDue(NowMs()))) {
    // It reads firmware memory: on a live panel's firmware thread, between passes.
    sim_->BetweenPasses([this, scope] { events_->Sample(NowMs(), scope); });
  }
  for (size_t i = 0; i < timelineReaders_.size(); ++i) {
    auto& changes = result_.timeline[i].changes;
    std::string value = FormatValue(timelineReaders_[i]());
    if (changes.empty() || changes.back().second != value) changes.emplace_back(NowMs(), std::move(value));
  }
}

void Interpreter::Step() {
  sim_->Step();
  Sample(EventLog::Scope::Panel);
}

void Interpreter::Do(const Wait& wait) {
  for (int64_t i = 0; i < wait.steps; ++i) Step();
}

// From a mark on, every later measurement since it watches its target, so
// that one whose target changed before its line is reached is timed from
// the mark.
void Interpreter::Do(const Mark& mark) {
  marks_[mark.name] = NowMs();
  const int savedLine = line_;
  for (const auto& [at, measure] : measuresSince_) {
    if (measure->since != mark.name) continue;
    std::erase_if(running_, [at = at](const RunningCheck& c) { return c.line == at; });
    line_ = at;
    StartCheck(MeasureCheck(*measure, NowMs(), true, false));
  }
  line_ = savedLine;
}

void Interpreter::Do(const Say& say) {
  result_.said.push_back({NowMs(), say.text});
  out_ << result_.script << ':' << line_ << ": " << PanelSeconds(NowMs()) << " say " << FormatValue(Value{true, 0, say.text})
       << '\n';
  if (options_.said) options_.said(say.text);
}

// One judgement: the measured time against its limit.
void Interpreter::EndMeasure(const RunningCheck& check) {
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

void Interpreter::Do(const Expect& expect) { Check(expect.target, expect.value, panel_->ReaderOf(expect.target)(), NowMs()); }

std::string Interpreter::PrintedValue(const Print& print) const { return FormatValue(panel_->ReaderOf(print.target)()); }

// Read before writing, so an error leaves no half line.
void Interpreter::Do(const Print& print) {
  const std::string value = PrintedValue(print);
  out_ << result_.script << ':' << line_ << ": " << PanelSeconds(NowMs()) << ' ' << print.target.text << " = " << value
       << '\n';
}

void Interpreter::Check(const Target& target, const Value& expected, const Value& actual, int64_t atMs) {
  const std::string failure = "expected " + target.text + " = " + FormatValue(expected) + ", got " + FormatValue(actual);
  Judged(target, expected, actual == expected, atMs, actual == expected ? std::string() : failure, {});
}

// Every checkpoint's one verdict.
void Interpreter::Judged(const Target& target, const Value& expected, bool passed, int64_t atMs,
                         const std::string& failure, const std::string& requirement) {
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
void Interpreter::Do(const Mouse& mouse) {
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
TLevelControl& Interpreter::LevelNamed(const Level& command) const {
  TControl& control = panel_->Control(command.form, command.name);
  const auto& levels = sim_->hardware().Levels();
  const auto level = std::find_if(levels.begin(), levels.end(), [&](const auto& l) { return l->Box() == &control; });
  if (level == levels.end()) Fail("'" + command.name + "' is not a level control's box");
  return **level;
}

// In a unit the control holds, and within its range.
void Interpreter::Check(const Level& command) {
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

// Through the control, as a drag to that width or value would set it.
void Interpreter::Do(const Level& command) {
  TLevelControl& level = LevelNamed(command);
  if (command.unit == Level::Unit::Width) return level.SetFillWidth(int(command.amount));
  level.SetValue(int32_t(command.amount));
}

// Between firmware passes: a live panel's firmware may be writing the same memory.
void Interpreter::Do(const SetMemory& set) {
  sim_->BetweenPasses([&set, &firmware = sim_->firmware()] {
    if (set.raw) {
      firmware.HardwareRequest(WRITE_NV_BYTE, set.value * 256 + set.address);
      return;
    }
    firmware.WriteConfig(uint8_t(set.address), uint8_t(set.value));
  });
}

// As it would be shown: the window is shown for the picture, then hidden again.
void Interpreter::Do(const Screenshot& shot) {
  Check(shot);
  TForm& form = panel_->Form(shot.form);
  form.Show();
  const bool saved = options_.screenshot(form, Resolve(shot.file));
  form.Hide();
  if (!saved) Fail("cannot write " + shot.file);
}

void Interpreter::Do(const Snapshot& snapshot) { SaveStateFile(*sim_, Resolve(snapshot.file)); }

void Interpreter::Check(const StartFrom& start) {
  if (start.file != scriptStartFrom_ || checkedLine_ != firstLine_) Fail("start-from must be the script's first command");
}

void Interpreter::Do(const Restart&) {
  offsetMs_ += sim_->NowMs();
  ShutDown();
  Start();
}

void Interpreter::Do(const Stall& stall) {
  sim_->stepper().firmwareStalled = true;
  Do(Wait{stall.steps});
  sim_->stepper().firmwareStalled = false;
}

// With a scratch directory, so that the panel's settings land nowhere.
void ListNames(std::ostream& out) {
  {
    const ScratchDirectory directory;
    Machine simulation(BoardPacing::Stepped, nullptr, directory.path);
    const Panel panel(simulation);
    for (const std::string& name : panel.ControlNames(true)) out << "control " << name << '\n';
  }
  for (const std::string& attribute : Attributes()) out << "attribute " << attribute << '\n';
  for (const FirmwareVariable& variable : FirmwareVariables()) {
    out << "var " << variable.name << (variable.count > 1 ? "[" + std::to_string(variable.count) + "]" : "") << '\n';
  }
}

}  // namespace scenario
