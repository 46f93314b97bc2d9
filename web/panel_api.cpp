// The page's calls into the core: the machine in virtual time, stepped as
// the browser's clock owes; what changed in each window and its drawing list;
// mouse input in client coordinates and the hint under it; Hardware.dat and
// the view as the page keeps them in local storage, and when they change; the
// tones to play; and the exercises packed with the page.

#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "board/hardware_interface.h"
#include "board/settings_file.h"
#include "machine/look_ahead.h"
#include "machine/machine.h"
#include "machine/save_state.h"
#include "machine/stepper.h"
#include "scenario/runner.h"
#include "web/draw_list.h"
#include "web/panel_report.h"
#include "web/web_event_log.h"
#include "web/web_host.h"
#include "web/web_training.h"
#include "windows/framework/controls.h"
#include "windows/maindisplay.h"

namespace {

enum PointerAction { pointerDown = 0, pointerMove = 1, pointerUp = 2 };
// What qx40_changes reports.
constexpr int settingsChanged = 1;
constexpr int viewChanged = 2;

// The tones the machine plays now, as bits the page reads each tick and plays.
class ToneBits : public AudioOutput {
 public:
  void Start(Tone tone) override { bits_ |= Bit(tone); }
  void Stop(Tone tone) override { bits_ &= ~Bit(tone); }
  int Bits() const { return bits_; }

 private:
  static constexpr int buzzerBit = 1;
  static constexpr int sounderBit = 2;
  static int Bit(Tone tone) { return tone == Tone::Buzzer ? buzzerBit : sounderBit; }
  int bits_ = 0;
};

// What the user chose to see and hear, which is not in Hardware.dat: kept
// while the panel starts again (a loaded Hardware.dat, an exercise) and by
// the page across visits, as the desktop keeps it per user.
struct View {
  bool muted = false;
  bool corvella = false;
  bool coverOff = false;
  friend bool operator==(const View&, const View&) = default;
};

WebHost host;
ToneBits tones;
View view;
std::unique_ptr<Machine> machine;
std::string viewJson;
std::string drawList;
std::string hint;
int32_t dirtyArea[4];
std::string message;
std::string scriptReport;
std::string said;
constexpr const char* scriptFile = "script.qxs";
constexpr const char* stateFile = "panel.qxstate";
// Where the build packs the exercise library into the page's file system.
constexpr const char* libraryFolder = "/exercises";
WebTraining training;
WebEventLog events;
std::string eventsText;
// Single lines from outside the page (a class's instructor), through the runner's commands.
std::unique_ptr<scenario::Session> inputs;
std::string inputReply;
std::string report;
std::string library;
std::string status;
uint8_t settings[hardwareFileSize];
// What the page was last told it had to keep; a new machine's are news.
std::vector<uint8_t> reportedSettings;
std::optional<View> reportedView;
uint32_t reportedNvWrites = 0;
// The panel's copy that runs ahead, made afresh from the settings of the moment when the wiring differs.
constexpr const char* lookAheadFolder = "/look-ahead";
std::unique_ptr<LookAhead> lookAhead;

TForm* FormAt(int index) {
  if (!machine) return nullptr;
  if (index == 0) return &machine->front();
  if (index == 1) return &machine->hardware();
  return nullptr;
}

View CurrentView() {
  const TfrmMainDisplay::View front = machine->front().ShownView();
  return {machine->hardware().SoundMute->State() == CheckBoxState::Checked, front.corvella, front.coverOff};
}

void ShowView(const View& shown) {
  machine->front().ShowView({shown.corvella, shown.coverOff});
  machine->hardware().SoundMute->SetState(shown.muted ? CheckBoxState::Checked : CheckBoxState::Unchecked);
}

// The machine changed from outside its steps: the look-ahead's copy must be set to it again.
void Touched() {
  if (lookAhead) lookAhead->Forget();
}

// A fresh process's machine over whatever Hardware.dat the working directory
// holds, in the view the user chose, playing its tones for the page.
void Start() {
  machine = std::make_unique<Machine>(BoardPacing::Stepped, &host);
  machine->PlayOn(tones);
  host.SetForms(&machine->front(), &machine->hardware());
  machine->front().Show();
  machine->hardware().Show();
  ShowView(view);
  events.Attach(*machine);
  reportedSettings.clear();
  reportedView.reset();
  Touched();
}

// The machine goes, keeping its view for the next one.
void EndMachine() {
  if (!machine) return;
  view = CurrentView();
  events.Detach();
  inputs.reset();
  machine.reset();
}

MouseButton ButtonOf(int button) {
  if (button == 1) return MouseButton::Middle;
  if (button == 2) return MouseButton::Right;
  return MouseButton::Left;
}

// Hardware.dat as the panel would save it now: the board's memory, then the window part.
const uint8_t* CurrentSettings() {
  std::memset(settings, 0, sizeof settings);
  const HardwareState* board = machine ? machine->board() : nullptr;
  if (board && board->nvImage) std::memcpy(settings, board->nvImage.get(), std::min<size_t>(nvPartSize, size_t(board->nvSize)));
  if (machine) std::memcpy(settings + nvPartSize, machine->hardware().SettingsToSave().Data(), windowPartSize);
  return settings;
}

bool WriteSettingsFile(const uint8_t* bytes, size_t size, const std::string& folder = ".") {
  std::FILE* file = std::fopen((folder + "/" + hardwareFileName).c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

// An exercise ends before the machine it runs on goes.
void EndExercise() {
  if (training.Running()) training.Abandon();
}

}  // namespace

extern "C" {

// The first start, in the view the page remembered.
EMSCRIPTEN_KEEPALIVE void qx40_start(int muted, int corvella, int coverOff) {
  view = {muted != 0, corvella != 0, coverOff != 0};
  Start();
}

// The view now, to remember: {"muted", "fascia" ("marvane" or "corvella"), "coverOff"}.
EMSCRIPTEN_KEEPALIVE const char* qx40_view() {
  const View now = machine ? CurrentView() : view;
  const auto flag = [](bool on) { return on ? "true" : "false"; };
  viewJson = std::string("{\"muted\":") + flag(now.muted) + ",\"fascia\":\"" + (now.corvella ? "corvella" : "marvane") +
             "\",\"coverOff\":" + flag(now.coverOff) + "}";
  return viewJson.c_str();
}

// The tones to play now: 1 the buzzer, 2 the sounders.
EMSCRIPTEN_KEEPALIVE int qx40_tones() { return tones.Bits(); }

// An exercise runs what is due after each step, so that its lines and
// checkpoints are timed to the step, as its replay times them.
EMSCRIPTEN_KEEPALIVE void qx40_step(int steps) {
  for (int i = 0; machine && i < steps; ++i) {
    machine->Step();
    events.SampleIfDue(machine->NowMs());
    training.Advance();
  }
  // An exercise's script acts on the panel as it goes.
  if (training.Running()) Touched();
}

// Whole steps, up to maxSteps, until what the page shows or keeps changes with no input, so that it may
// sleep until then; 0 when that cannot be told now.
EMSCRIPTEN_KEEPALIVE int qx40_steps_until_change(int maxSteps) {
  if (!machine) return maxSteps;
  if (!lookAhead) {
    std::error_code error;
    std::filesystem::create_directories(lookAheadFolder, error);
    if (error || !WriteSettingsFile(CurrentSettings(), hardwareFileSize, lookAheadFolder)) return 0;
    lookAhead = std::make_unique<LookAhead>(lookAheadFolder);
  }
  const std::optional<int> steps = lookAhead->StepsUntilChange(*machine, maxSteps);
  if (!steps) lookAhead.reset();
  return steps.value_or(0);
}

EMSCRIPTEN_KEEPALIVE double qx40_now_ms() { return machine ? double(machine->NowMs()) : 0.0; }

// The panel's 5 ms step, by which the page counts the time it owes.
EMSCRIPTEN_KEEPALIVE int qx40_step_ms() { return int(stepMs); }

// The area of the window that changed since the last call, as four int32
// (left, top, width, height; a width of 0 when nothing did). Valid until the next call.
EMSCRIPTEN_KEEPALIVE const int32_t* qx40_take_dirty(int form) {
  const DrawRect area = host.TakeDirty(form);
  dirtyArea[0] = area.x;
  dirtyArea[1] = area.y;
  dirtyArea[2] = area.Empty() ? 0 : area.w;
  dirtyArea[3] = area.h;
  return dirtyArea;
}

// The drawing operations for that area of the window. Valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* qx40_draw_list(int form, int left, int top, int width, int height) {
  const TForm* window = FormAt(form);
  drawList = window ? DrawListJson(*window, {left, top, width, height}) : std::string("null");
  return drawList.c_str();
}

// The hint of the control that takes the mouse at the client point, as the desktop shows it.
EMSCRIPTEN_KEEPALIVE const char* qx40_hint_at(int form, int x, int y) {
  const TForm* window = FormAt(form);
  int localX = 0, localY = 0;
  const TControl* control = window ? window->ControlAt(x, y, localX, localY) : nullptr;
  hint = control ? control->Hint() : std::string();
  return hint.c_str();
}

EMSCRIPTEN_KEEPALIVE void qx40_pointer(int form, int action, int button, int shift, int x, int y) {
  TForm* window = FormAt(form);
  if (!window) return;
  Touched();
  const ShiftState held = static_cast<ShiftState>(shift);
  if (action == pointerDown) window->PointerDown(ButtonOf(button), held, x, y);
  if (action == pointerMove) window->PointerMove(held, x, y);
  if (action == pointerUp) window->PointerUp(ButtonOf(button), held, x, y);
}

EMSCRIPTEN_KEEPALIVE const uint8_t* qx40_settings() { return CurrentSettings(); }

// What the page must keep afresh since it last asked: settingsChanged when
// Hardware.dat would differ, viewChanged when the view does. Looked at only
// when the firmware wrote its memory or a window changed.
EMSCRIPTEN_KEEPALIVE int qx40_changes() {
  if (!machine) return 0;
  const HardwareState* board = machine->board();
  const uint32_t nvWrites = board ? board->nvWrites.load(std::memory_order_relaxed) : 0;
  const bool windowsChanged = host.TakeChanged();
  int changes = 0;
  if (windowsChanged || nvWrites != reportedNvWrites || reportedSettings.empty()) {
    reportedNvWrites = nvWrites;
    const uint8_t* now = CurrentSettings();
    if (!std::equal(now, now + hardwareFileSize, reportedSettings.begin(), reportedSettings.end())) {
      reportedSettings.assign(now, now + hardwareFileSize);
      changes |= settingsChanged;
    }
  }
  if (windowsChanged || !reportedView) {
    const View now = CurrentView();
    if (now != reportedView) changes |= viewChanged;
    reportedView = now;
  }
  return changes;
}

EMSCRIPTEN_KEEPALIVE int qx40_settings_size() { return int(hardwareFileSize); }

// Starts the panel again from these settings, as the desktop program would
// from this Hardware.dat; a file of another size changes nothing. Returns an
// empty message, or what was wrong and what to do.
EMSCRIPTEN_KEEPALIVE const char* qx40_load_settings(const uint8_t* bytes, int size) {
  message.clear();
  if (size != int(hardwareFileSize)) {
    message = "This is not a Hardware.dat: it has " + std::to_string(size) + " bytes, a Hardware.dat has " +
              std::to_string(hardwareFileSize) + ". Nothing was changed; choose a file saved by the simulator.";
    return message.c_str();
  }
  EndExercise();
  EndMachine();
  if (!WriteSettingsFile(bytes, size_t(size))) message = "Cannot store the settings in the page; the panel started from its last ones.";
  Start();
  return message.c_str();
}

// The whole panel into stateFile in the page's file system, for a download.
// Returns an empty message, or what was wrong.
EMSCRIPTEN_KEEPALIVE const char* qx40_save_state() {
  message.clear();
  try {
    SaveStateFile(*machine, stateFile);
  } catch (const StateError& error) {
    message = error.what();
  }
  return message.c_str();
}

// Sets the running panel to a state file's bytes; a file that is not a whole
// state of this panel changes nothing. Returns an empty message, or what was wrong.
EMSCRIPTEN_KEEPALIVE const char* qx40_load_state(const uint8_t* bytes, int size, const char* name) {
  message.clear();
  Touched();
  try {
    RestoreState(*machine, std::vector<uint8_t>(bytes, bytes + size), name);
  } catch (const StateError& error) {
    message = error.what();
  }
  return message.c_str();
}

// Runs a scenario script against the live panel, as qx40-scenario would run
// it (the text's bytes, NULs and all); gives the runner's report (failed expectations, prints, errors, totals).
EMSCRIPTEN_KEEPALIVE const char* qx40_run_script(const char* text, int size) {
  std::FILE* file = std::fopen(scriptFile, "wb");
  const bool written = file && size >= 0 && std::fwrite(text, 1, size_t(size), file) == size_t(size);
  if (file) std::fclose(file);
  if (!written || !machine) {
    scriptReport = "error: cannot hand the script to the panel\n";
    return scriptReport.c_str();
  }
  // A script runs in virtual time, which an exercise in real time cannot share.
  if (training.Running()) {
    scriptReport = "error: an exercise is running; abandon it or let it end, then run the script\n";
    return scriptReport.c_str();
  }
  Touched();
  scenario::RunOptions options;
  options.live = machine.get();
  said.clear();
  options.said = [](const std::string& text) { said += text + '\n'; };
  std::ostringstream out;
  scenario::RunScripts({scriptFile}, options, out);
  scriptReport = out.str();
  return scriptReport.c_str();
}

// The messages the last script's say lines showed the trainee, one a line.
EMSCRIPTEN_KEEPALIVE const char* qx40_said() { return said.c_str(); }

EMSCRIPTEN_KEEPALIVE const char* qx40_exercises() {
  library = WebTraining::LibraryJson(libraryFolder);
  return library.c_str();
}

// Starts the library's exercise FILE for the trainee on the panel started
// afresh from its settings now, as the desktop program starts with one, so
// that the recording replays from where it began. Gives an empty message, or
// what was wrong and what to do.
EMSCRIPTEN_KEEPALIVE const char* qx40_start_exercise(const char* file, const char* trainee, double wallMs) {
  message.clear();
  const std::string name = file;
  if (training.Running()) {
    message = "An exercise is running: abandon it first.";
  } else if (name.empty() || name.find('/') != std::string::npos || name.front() == '.') {
    message = "There is no exercise " + name + " in the library; choose one of the list.";
  } else if (!machine || !WriteSettingsFile(CurrentSettings(), hardwareFileSize)) {
    message = "Cannot store the settings in the page to start the exercise from; reload the page and try again.";
  }
  if (!message.empty()) return message.c_str();
  EndMachine();
  Start();
  message = training.Start(std::string(libraryFolder) + "/" + name, trainee, *machine, int64_t(wallMs));
  return message.c_str();
}

EMSCRIPTEN_KEEPALIVE void qx40_pause_exercise() { training.TogglePause(); }
EMSCRIPTEN_KEEPALIVE void qx40_abandon_exercise() { EndExercise(); }

// How far the exercise is, and the files of an ended one (see WebTraining::StatusJson).
EMSCRIPTEN_KEEPALIVE const char* qx40_exercise_status() {
  status = training.StatusJson();
  return status.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* qx40_exercise_said() { return training.Said().c_str(); }
EMSCRIPTEN_KEEPALIVE const char* qx40_debrief() { return training.Debrief().c_str(); }
EMSCRIPTEN_KEEPALIVE const char* qx40_exercise_result() { return training.ResultJson().c_str(); }

// The event log from index first on (see WebEventLog::Json); valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* qx40_events(int first) {
  eventsText = events.Json(first < 0 ? 0 : size_t(first));
  return eventsText.c_str();
}

// How many events the log holds, so that the page reads it only when it grew.
EMSCRIPTEN_KEEPALIVE int qx40_event_count() { return int(events.Count()); }

// The log's events of one category (empty: all) as CSV.
EMSCRIPTEN_KEEPALIVE const char* qx40_events_csv(const char* category) {
  eventsText = events.Csv(category);
  return eventsText.c_str();
}

// One line of the scenario language on the live panel now, as wired that way
// (a hidden fault a class's instructor sets); gives "ok" or "error: ...".
EMSCRIPTEN_KEEPALIVE const char* qx40_input(const char* line) {
  if (!machine) return "error: the panel has not started";
  Touched();
  if (!inputs) inputs = std::make_unique<scenario::Session>(*machine);
  inputReply = inputs->Run(line).value_or("error: a wait is refused here");
  if (inputReply == "ok") training.Acted(line);
  return inputReply.c_str();
}

// What an instructor sees of the panel (see PanelReportJson).
EMSCRIPTEN_KEEPALIVE const char* qx40_report() {
  report = machine ? PanelReportJson(*machine) : std::string("null");
  return report.c_str();
}

}  // extern "C"
