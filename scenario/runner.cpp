#include "scenario/runner.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "scenario/script.h"
#include "scenario/targets.h"
#include "scenario/trace.h"
#include "board/hardware_interface.h"
#include "firmware/panel_state.h"
#include "machine/machine.h"
#include "windows/framework/form.h"
#include "windows/levelmath.h"

namespace scenario {

namespace {

namespace fs = std::filesystem;

constexpr const char* settingsFile = "Hardware.dat";

[[noreturn]] void Fail(const std::string& message) { throw ScriptError{message}; }

std::string Seconds(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
  return text;
}

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

// The fill width whose stored value is nearest; the smaller width on a tie.
int NearestWidth(const LevelRef& level, Level::Unit unit, int64_t amount) {
  const bool ohms = level.kind == LevelKind::Zone;
  const bool volts = level.kind == LevelKind::Battery || level.kind == LevelKind::Charger || level.kind == LevelKind::Supply;
  if ((unit == Level::Unit::Ohm && !ohms) || (unit == Level::Unit::Millivolt && !volts)) {
    Fail("'" + level.box->Name() + "' is not set in " + (ohms ? "ohm" : volts ? "mV" : "either unit"));
  }
  const int boxWidth = level.box->Width();
  int best = 0;
  int64_t bestDistance = INT64_MAX;
  for (int width = 0; width <= boxWidth - levelFillMargin; ++width) {
    const int64_t value = ohms ? ZoneOhmsForFill(width) : MillivoltsForFill(width, boxWidth);
    const int64_t distance = value > amount ? value - amount : amount - value;
    if (distance >= bestDistance) continue;
    best = width;
    bestDistance = distance;
  }
  return best;
}

// A private working directory, removed with everything in it.
struct ScratchDirectory {
  ScratchDirectory() {
    std::string pattern = (fs::temp_directory_path() / "qx40-scenario-XXXXXX").string();
    if (mkdtemp(pattern.data())) path = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path.empty()) fs::remove_all(path, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  fs::path path;
};

class Runner {
 public:
  Runner(const RunOptions& options, std::ostream& out) : options_(options), out_(out), caller_(fs::current_path()) {}

  int Run(const std::vector<std::string>& scripts) {
    if (!options_.trace.empty() && !OpenTrace()) return cannotRun;
    if (!options_.log.empty() && !OpenLog()) return cannotRun;
    for (size_t i = 0; i < scripts.size(); ++i) RunScript(scripts[i], i + 1 == scripts.size());
    out_ << passed_ << " passed, " << failed_ << " failed\n";
    if (error_) return cannotRun;
    return failed_ ? someFailed : allPassed;
  }

 private:
  bool OpenTrace() {
    try {
      trace_ = std::make_unique<Trace>(Resolve(options_.trace));
      return true;
    } catch (const ScriptError& error) {
      out_ << "error: " << error.message << '\n';
      return false;
    }
  }

  bool OpenLog() {
    log_.open(Resolve(options_.log), std::ios::binary);
    if (!log_) {
      out_ << "error: cannot write the event log " << options_.log << '\n';
      return false;
    }
    WriteEventCsvHeader(log_);
    return true;
  }

  void Record(const PanelEvent& event) {
    if (log_.is_open()) WriteEventCsvRow(log_, event);
    if (options_.events) options_.events(event);
  }

  std::string Resolve(const std::string& path) const { return (caller_ / path).lexically_normal().string(); }

  void Error(const std::string& message) {
    out_ << script_ << ':' << line_ << ": error: " << message << '\n';
    error_ = true;
  }

  void RunScript(const std::string& path, bool last) {
    script_ = path;
    line_ = 0;
    offsetMs_ = 0;
    std::ifstream in(Resolve(path));
    if (!in) return Error("cannot read the script");
    const ScratchDirectory directory;
    std::error_code failed;
    if (directory.path.empty() || (fs::current_path(directory.path, failed), failed)) {
      return Error("cannot make a working directory");
    }
    try {
      CopySettings();
      RunLines(in);
    } catch (const ScriptError& error) {
      Error(error.message);
    } catch (const std::exception& error) {
      Error(error.what());
    }
    Finish(last);
    fs::current_path(caller_, failed);
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

  void RunLines(std::istream& in) {
    for (std::string text; std::getline(in, text);) {
      ++line_;
      if (!text.empty() && text.back() == '\r') text.pop_back();
      const std::optional<Command> command = ParseLine(text);
      if (!command) continue;
      if (!sim_) Start();
      std::visit([this](const auto& c) { Do(c); }, *command);
      Sample();
    }
  }

  // The last script's simulator leaves its settings where --save says.
  void Finish(bool last) {
    const bool save = last && !options_.save.empty();
    if (save && !sim_) Start();
    traceBaseMs_ += NowMs();
    ShutDown();
    if (!save) return;
    std::error_code failed;
    if (fs::copy_file(settingsFile, Resolve(options_.save), fs::copy_options::overwrite_existing, failed)) return;
    line_ = 0;
    Error("cannot write the settings " + options_.save);
  }

  // A fresh process's simulator: no board, firmware variables at their start.
  void Start() {
    ResetBoardGlobals();
    ResetFirmwareState();
    sim_ = std::make_unique<Machine>(BoardPacing::Stepped);
    panel_ = std::make_unique<Panel>(*sim_);
    held_ = 0;
    if (log_.is_open() || options_.events) {
      events_ = std::make_unique<EventLog>(*sim_, [this](const PanelEvent& event) { Record(event); });
    }
    if (!trace_) return;
    trace_->Attach(*sim_, *panel_);
    Sample();
  }

  void ShutDown() {
    events_.reset();
    panel_.reset();
    sim_.reset();
  }

  int64_t NowMs() const { return offsetMs_ + (sim_ ? sim_->NowMs() : 0); }

  void Sample() {
    if (trace_) trace_->Sample(traceBaseMs_ + NowMs());
    if (events_) events_->Sample(NowMs());
  }

  void Step() {
    sim_->Step();
    Sample();
  }

  void Do(const Wait& wait) {
    for (int64_t i = 0; i < wait.steps; ++i) Step();
  }

  void Do(const WaitUntil& wait) {
    const Reader reader = panel_->ReaderOf(wait.target);
    Value actual = reader();
    for (int64_t i = 0; i < wait.steps && !(actual == wait.value); ++i) {
      Step();
      actual = reader();
    }
    Check(wait.target, wait.value, actual);
  }

  void Do(const Expect& expect) { Check(expect.target, expect.value, panel_->ReaderOf(expect.target)()); }

  // Read before writing, so an error leaves no half line.
  void Do(const Print& print) {
    const std::string value = FormatValue(panel_->ReaderOf(print.target)());
    out_ << script_ << ':' << line_ << ": " << Seconds(NowMs()) << ' ' << print.target.text << " = " << value << '\n';
  }

  void Check(const Target& target, const Value& expected, const Value& actual) {
    if (actual == expected) {
      ++passed_;
      return;
    }
    ++failed_;
    out_ << script_ << ':' << line_ << ": FAIL at " << Seconds(NowMs()) << ": expected " << target.text << " = "
         << FormatValue(expected) << ", got " << FormatValue(actual) << '\n';
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

  void Do(const Level& command) {
    TControl& control = panel_->Control(command.form, command.name);
    const LevelRef* level = panel_->LevelOf(control);
    if (!level || level->box != &control) Fail("'" + command.name + "' is not a level control's box");
    const int64_t width = command.unit == Level::Unit::Width ? command.amount
                                                             : NearestWidth(*level, command.unit, command.amount);
    const int x = int(width) + levelFillInset;
    const int y = control.Height() / 2;
    control.MouseDown(MouseButton::Left, held_ | ssLeft, x, y);
    control.MouseUp(MouseButton::Left, held_, x, y);
  }

  void Do(const SetMemory& set) {
    if (set.raw) {
      HardwareRequest(WRITE_NV_BYTE, set.value * 256 + set.address);
      return;
    }
    WriteConfig(uint8_t(set.address), uint8_t(set.value));
  }

  // As it would be shown: the window is shown for the picture, then hidden again.
  void Do(const Screenshot& shot) {
    if (!options_.screenshot) Fail("this program draws no windows: no screenshot");
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
  std::ostream& out_;
  const fs::path caller_;
  std::unique_ptr<Trace> trace_;
  std::unique_ptr<Machine> sim_;
  std::ofstream log_;
  std::unique_ptr<EventLog> events_;
  std::unique_ptr<Panel> panel_;
  std::string script_;
  int line_ = 0;
  // Virtual time of this script before the present simulator.
  int64_t offsetMs_ = 0;
  // Earlier scripts' time: the trace has one time axis for the whole run.
  int64_t traceBaseMs_ = 0;
  int passed_ = 0;
  int failed_ = 0;
  bool error_ = false;
  ShiftState held_ = 0;
};

constexpr const char* usage =
    "usage: qx40-scenario [--settings FILE] [--save FILE] [--trace FILE.vcd] [--log FILE.csv] SCRIPT...\n"
    "Runs each script in a fresh simulator in virtual time.\n"
    "Exit code: 0 every expectation held, 1 some failed, 2 a script could not be run.\n";

// --name VALUE or --name=VALUE into the option it names.
bool TakeOption(const std::vector<std::string>& arguments, size_t& i, RunOptions& options) {
  const std::string& argument = arguments[i];
  const size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  std::string* field = name == "--settings" ? &options.settings
                       : name == "--save"   ? &options.save
                       : name == "--trace"  ? &options.trace
                       : name == "--log"    ? &options.log
                                            : nullptr;
  if (!field) return false;
  if (equals != std::string::npos) {
    *field = argument.substr(equals + 1);
  } else {
    if (i + 1 >= arguments.size()) return false;
    *field = arguments[++i];
  }
  return !field->empty();
}

}  // namespace

int RunScripts(const std::vector<std::string>& scripts, const RunOptions& options, std::ostream& out) {
  return Runner(options, out).Run(scripts);
}

int RunCommandLine(const std::vector<std::string>& arguments, const RunOptions& defaults, std::ostream& out,
                   std::ostream& err) {
  RunOptions options = defaults;
  std::vector<std::string> scripts;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      out << usage;
      return allPassed;
    }
    if (argument.size() > 1 && argument[0] == '-') {
      if (TakeOption(arguments, i, options)) continue;
      err << "qx40-scenario: bad option '" << argument << "'\n" << usage;
      return cannotRun;
    }
    scripts.push_back(argument);
  }
  if (scripts.empty()) {
    err << usage;
    return cannotRun;
  }
  return RunScripts(scripts, options, out);
}

}  // namespace scenario
