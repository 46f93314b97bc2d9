#include "machine/session_recorder.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "machine/machine.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace {

constexpr const char* settingsFile = "Hardware.dat";

const char* ButtonName(MouseButton button) {
  if (button == MouseButton::Right) return "right";
  if (button == MouseButton::Middle) return "middle";
  return "left";
}

std::string Today() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
  return text;
}

std::string QualifiedName(const TControl& control) { return control.Form()->Name() + "." + control.Name(); }

}  // namespace

void AfterEachInput(Machine& machine, const std::function<void()>& then) {
  for (TForm* form : {static_cast<TForm*>(&machine.front()), static_cast<TForm*>(&machine.hardware())}) {
    form->OnPointer = [first = form->OnPointer, then](TForm::PointerAction action, TControl& target, MouseButton button,
                                                      int x, int y) {
      if (first) first(action, target, button, x, y);
      then();
    };
  }
  machine.front().OnHeldKeyReleased = [first = machine.front().OnHeldKeyReleased, then](TControl& key) {
    if (first) first(key);
    then();
  };
}

std::string KeepStartSettings(const std::string& recordingPath) {
  namespace fs = std::filesystem;
  std::error_code failed;
  if (!fs::is_regular_file(settingsFile, failed)) return {};
  const std::string copy = recordingPath + ".start.dat";
  if (!fs::copy_file(settingsFile, copy, fs::copy_options::overwrite_existing, failed)) {
    throw std::runtime_error("cannot copy the starting settings to " + copy + ": " + failed.message());
  }
  return copy;
}

SessionRecorder::SessionRecorder(const std::string& path, const std::string& startSettings)
    : file_(path, std::ios::binary) {
  if (!file_) throw std::runtime_error("cannot write the recording " + path + ": choose a writable path");
  file_ << "# Recorded by qx40 on " << Today() << ".\n";
  if (startSettings.empty()) {
    file_ << "# Started from a fresh panel (no Hardware.dat). Replay: qx40-scenario " << path << "\n";
  } else {
    file_ << "# Started from " << startSettings << ". Replay: qx40-scenario --settings " << startSettings << ' '
          << path << "\n";
  }
  file_.flush();
}

SessionRecorder::~SessionRecorder() {
  if (machine_) Detach();
}

void SessionRecorder::Attach(Machine& machine) {
  machine_ = &machine;
  lastMs_ = machine.PanelTimeMs();
  auto follow = [this](TForm::PointerAction action, TControl& target, MouseButton button, int x, int y) {
    Pointer(action, target, button, x, y);
  };
  machine.front().OnPointer = follow;
  machine.hardware().OnPointer = follow;
  machine.front().OnHeldKeyReleased = [this](TControl& key) { Released(key); };
  levelWidths_.clear();
  for (const auto& level : machine.hardware().Levels()) levelWidths_.push_back(level->FillWidth());
}

void SessionRecorder::Detach() {
  WaitUntilNow();
  machine_->front().OnPointer = nullptr;
  machine_->hardware().OnPointer = nullptr;
  machine_->front().OnHeldKeyReleased = nullptr;
  machine_ = nullptr;
}

void SessionRecorder::WaitUntilNow() {
  const int64_t now = machine_->PanelTimeMs();
  if (now > lastMs_) file_ << "wait " << now - lastMs_ << "ms\n";
  lastMs_ = now;
  file_.flush();
}

void SessionRecorder::Write(const std::string& line) {
  WaitUntilNow();
  file_ << line << '\n';
  file_.flush();
}

void SessionRecorder::Line(const std::string& text) { Write(text); }

void SessionRecorder::ExerciseHeader(const std::string& title, const std::string& teaches, const std::string& trainee) {
  const auto comment = [this](const std::string& key, std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; }, ' ');
    if (!text.empty()) Write("# " + key + ": " + text);
  };
  comment("Exercise", title + ".");
  comment("Teaches", teaches);
  comment("Done by", trainee);
}

void SessionRecorder::Released(TControl& key) {
  Write("release " + QualifiedName(key) + " left");
}

// A drag on a level (and its linked partner) is replayed as the positions it
// set. Levels another control moves (mains sets the supply) follow that
// control's own line in the replay, so they are only noted.
bool SessionRecorder::RecordLevels(const TControl& target) {
  const auto& levels = machine_->hardware().Levels();
  const bool onLevel = std::any_of(levels.begin(), levels.end(),
                                   [&](const auto& level) { return &target == level->Box() || &target == level->Fill(); });
  for (size_t i = 0; i < levels.size(); ++i) {
    const int width = levels[i]->FillWidth();
    if (width == levelWidths_[i]) continue;
    levelWidths_[i] = width;
    if (onLevel) Write("level " + QualifiedName(*levels[i]->Box()) + ' ' + std::to_string(width));
  }
  return onLevel;
}

// A press or release on the bare window, or a control with no name, changes
// nothing a script could name; moves matter only while dragging.
void SessionRecorder::Pointer(TForm::PointerAction action, TControl& target, MouseButton button, int x, int y) {
  const bool move = action == TForm::PointerAction::Move;
  if (action == TForm::PointerAction::Down) ++held_;
  if (action == TForm::PointerAction::Up && held_ > 0) --held_;
  if (RecordLevels(target)) return;
  if ((move && held_ == 0) || &target == target.Form() || target.Name().empty()) return;
  // Held on for the firmware: recorded when the panel lets go of it.
  if (action == TForm::PointerAction::Up && machine_->front().HeldForFirmware(&target)) return;
  const std::string at = std::to_string(x) + ' ' + std::to_string(y);
  if (move) return Write("move " + QualifiedName(target) + ' ' + at);
  Write(std::string(action == TForm::PointerAction::Down ? "press " : "release ") + QualifiedName(target) + ' ' +
        ButtonName(button) + " at " + at);
}
