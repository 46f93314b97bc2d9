#include "qt/training.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

#include "machine/machine.h"
#include "qt/desktop_host.h"
#include "qt/event_log_window.h"
#include "qt/form_widget.h"
#include "scenario/report.h"
#include "scenario/runner.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace {
namespace fs = std::filesystem;

// FILE.qxs's report, FILE.html, in the working directory.
std::string DefaultReport(const std::string& exercise) {
  return fs::path(exercise).filename().replace_extension(".html").string();
}

// Writable without creating it: a refused start leaves no empty file behind.
void CheckWritable(const std::string& path, const char* what) {
  std::error_code failed;
  const fs::path folder = fs::absolute(path, failed).parent_path();
  const bool exists = fs::exists(path, failed);
  if (fs::is_directory(path, failed) || access(exists ? path.c_str() : folder.c_str(), W_OK) != 0) {
    const std::string reason = fs::is_directory(path, failed) ? "it is a directory" : std::generic_category().message(errno);
    throw std::runtime_error("cannot write the " + std::string(what) + " " + path + ": " + reason + "; choose a writable path");
  }
}

int64_t WallNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The exercise library: installed beside the artwork, or linked beside the program in a build.
QString LibraryFolder() {
  const QString programDir = QCoreApplication::applicationDirPath();
  for (const QString& folder : {programDir + "/../share/qx40/exercises", programDir + "/exercises"}) {
    if (QDir(folder).exists()) return QDir(folder).canonicalPath();
  }
  return {};
}
}  // namespace

TrainingSession::TrainingSession() = default;
TrainingSession::~TrainingSession() = default;

bool TrainingSession::Open(const DesktopOptions& options, std::ostream& err) {
  trainee_ = options.trainee;
  try {
    if (!options.exercise.empty()) {
      exercisePath_ = options.exercise;
      if (!std::ifstream(exercisePath_)) {
        throw std::runtime_error("cannot read the exercise " + exercisePath_ + ": " + std::generic_category().message(errno));
      }
      reportPath_ = options.report.empty() ? DefaultReport(exercisePath_) : options.report;
      CheckWritable(reportPath_, "report");
      if (!options.record.empty()) CheckWritable(options.record, "recording");
      if (!options.log.empty()) CheckWritable(options.log, "event log");
      const std::vector<scenario::Problem> problems = scenario::CheckExercise(exercisePath_);
      for (const scenario::Problem& problem : problems) {
        err << exercisePath_ << (problem.line ? ":" + std::to_string(problem.line) : "") << ": error: " << problem.message
            << '\n';
      }
      if (!problems.empty()) return false;
    }
    if (!options.log.empty()) OpenLog(options.log);
    if (!options.record.empty()) OpenRecording(options.record);
  } catch (const std::exception& error) {
    err << "qx40: " << error.what() << '\n';
    return false;
  }
  return true;
}

void TrainingSession::OpenLog(const std::string& path) {
  log_.open(path, std::ios::binary);
  if (!log_) throw std::runtime_error("cannot write the event log " + path + ": choose a writable path");
  WriteEventCsvHeader(log_);
  log_.flush();
}

void TrainingSession::OpenRecording(const std::string& path) {
  recorder_ = std::make_unique<SessionRecorder>(path, KeepStartSettings(path));
}

bool TrainingSession::Attach(Machine& machine, DesktopHost& host, std::ostream& err) {
  machine_ = &machine;
  host_ = &host;
  if (recorder_) recorder_->Attach(machine);
  logWindow_ = std::make_unique<EventLogWindow>();
  events_ = std::make_unique<BoardSideEventLog>(
      machine, [this](const PanelEvent& event) { Record(event); },
      [&host, this] { host.Post([this] {
        if (events_) events_->Deliver();
      }); });
  // A person's input is logged as it happens, as a replay's lines are.
  AfterEachInput(machine, [this] {
    if (events_) events_->SampleNow();
  });
  caption_ = machine.hardware().Caption();
  if (!exercisePath_.empty() && !StartExercise(exercisePath_, err)) return false;
  AddMenu();
  machine.WatchTicks([this](int64_t panelMs) { AfterTick(panelMs); });
  return true;
}

// An exercise is advanced as often as the board ticks, so that a checkpoint
// is timed to the tick that met it, as its replay times it; at most one
// advance waits for the window thread at a time.
void TrainingSession::AfterTick(int64_t panelMs) {
  events_->AfterTick(panelMs);
  if (!advancing_.load(std::memory_order_acquire) || advancePending_.exchange(true)) return;
  host_->Post([this] {
    advancePending_.store(false);
    AdvanceExercise();
  });
}

bool TrainingSession::StartExercise(const std::string& path, std::ostream& err) {
  scenario::ExerciseHooks hooks;
  hooks.acted = [this](const std::string& line) {
    if (recorder_) recorder_->Line(line);
  };
  hooks.said = [this](const std::string& text) { ShowMessage(text); };
  hooks.trainee = trainee_;
  hooks.startedWallMs = WallNowMs();
  auto exercise = std::make_unique<scenario::Exercise>(path, *machine_, std::move(hooks));
  if (!exercise->Loaded()) {
    for (const scenario::Problem& problem : exercise->Result().errors) {
      err << path << (problem.line ? ":" + std::to_string(problem.line) : "") << ": error: " << problem.message << '\n';
    }
    return false;
  }
  exercisePath_ = path;
  exercise_ = std::move(exercise);
  reported_ = false;
  if (recorder_) {
    const scenario::ScriptResult described = exercise_->Result();
    recorder_->ExerciseHeader(described.title, described.teaches, trainee_);
  }
  advancing_.store(true, std::memory_order_release);
  return true;
}

std::string TrainingSession::WhyNotLoadState() const {
  if (exercise_ && !reported_) return "An exercise is running: end or abandon it before loading a panel state.";
  if (recorder_) {
    return "This session is being recorded (--record), and a recording cannot show the panel jumping to a loaded "
           "state: start the simulator without --record to load one.";
  }
  return {};
}

void TrainingSession::Record(const PanelEvent& event) {
  logWindow_->Add(event);
  if (!log_.is_open()) return;
  WriteEventCsvRow(log_, event);
  log_.flush();
}

// Right-click on the hardware window: the log, then the exercise library and
// the running exercise's controls.
void TrainingSession::AddMenu() {
  QWidget* window = host_->WidgetOf(machine_->hardware());
  if (!window) return;
  window->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* log = new QAction("Event log...", window);
  QObject::connect(log, &QAction::triggered, [this] {
    logWindow_->show();
    logWindow_->raise();
  });
  window->addAction(log);
  auto* separator = new QAction(window);
  separator->setSeparator(true);
  window->addAction(separator);
  auto* library = new QMenu("Start exercise", window);
  AddLibrary(*library);
  window->addAction(library->menuAction());
  pause_ = new QAction("Pause exercise", window);
  QObject::connect(pause_, &QAction::triggered, [this] {
    if (!exercise_) return;
    exercise_->Progress().paused ? exercise_->Resume() : exercise_->Pause();
    ShowProgress();
  });
  abandon_ = new QAction("Abandon exercise...", window);
  QObject::connect(abandon_, &QAction::triggered, [this] { ConfirmAbandon(); });
  window->addAction(pause_);
  window->addAction(abandon_);
  ShowProgress();
}

// Each exercise by its title, what it teaches as the entry's hint.
void TrainingSession::AddLibrary(QMenu& menu) {
  const QString folder = LibraryFolder();
  menu.setToolTipsVisible(true);
  for (const QString& file : QDir(folder).entryList({"*.qxs"}, QDir::Files, QDir::Name)) {
    const std::string path = (folder + "/" + file).toStdString();
    const scenario::ScriptResult described = scenario::DescribeScript(path);
    const QString title = QString::fromStdString(described.title.empty() ? file.toStdString() : described.title);
    QAction* entry = menu.addAction(title);
    entry->setToolTip(QString::fromStdString(described.teaches));
    QObject::connect(entry, &QAction::triggered, [this, path] { ChooseExercise(path); });
  }
  menu.setEnabled(!menu.isEmpty());
}

// The trainee's name is asked for where the exercise starts; a running one ends first.
void TrainingSession::ChooseExercise(const std::string& path) {
  QWidget* window = host_->WidgetOf(machine_->hardware());
  if (exercise_ && !reported_) {
    ConfirmAbandon();
    if (!reported_) return;
  }
  bool accepted = false;
  const QString name = QInputDialog::getText(window, "Start exercise", "Trainee's name:", QLineEdit::Normal,
                                             QString::fromStdString(trainee_), &accepted);
  if (!accepted) return;
  trainee_ = name.trimmed().toStdString();
  reportPath_ = DefaultReport(path);
  std::ostringstream errors;
  try {
    CheckWritable(reportPath_, "report");
  } catch (const std::exception& error) {
    errors << error.what() << '\n';
  }
  if (errors.str().empty() && StartExercise(path, errors)) return ShowProgress();
  QMessageBox::warning(window, "Start exercise", QString::fromStdString(errors.str()));
}

void TrainingSession::ConfirmAbandon() {
  if (!exercise_ || reported_) return;
  QWidget* window = host_->WidgetOf(machine_->hardware());
  const auto answer = QMessageBox::question(
      window, "Abandon exercise",
      "Abandon the exercise? Its debrief will say so, and every checkpoint not yet judged will be listed as not reached.");
  if (answer != QMessageBox::Yes) return;
  exercise_->Abandon();
  AdvanceExercise();
}

// A say line's message, beside the panel, as plain text.
void TrainingSession::ShowMessage(const std::string& text) {
  QWidget* front = host_->WidgetOf(machine_->front());
  auto* box = new QMessageBox(QMessageBox::Information, "Instructor", QString::fromStdString(text), QMessageBox::Ok, front);
  box->setTextFormat(Qt::PlainText);
  box->setModal(false);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  if (front) box->move(front->frameGeometry().right() - 320, front->frameGeometry().top() + 40);
  box->show();
}

void TrainingSession::AdvanceExercise() {
  if (!exercise_ || reported_) return;
  if (!exercise_->Advance()) WriteReport();
  ShowProgress();
}

// How far the exercise is, never what comes next.
void TrainingSession::ShowProgress() {
  const bool running = exercise_ && !reported_;
  if (pause_) {
    pause_->setEnabled(running);
    abandon_->setEnabled(running);
  }
  if (!exercise_) return;
  const scenario::ExerciseProgress progress = exercise_->Progress();
  std::string caption =
      caption_ + " - exercise " + scenario::ProgressText(fs::path(exercisePath_).stem().string(), progress);
  if (progress.finished) caption += " (ended; report in " + reportPath_ + ")";
  if (caption != machine_->hardware().Caption()) machine_->hardware().SetCaption(caption);
  if (pause_) pause_->setText(progress.paused ? "Resume exercise" : "Pause exercise");
}

void TrainingSession::WriteReport() {
  reported_ = true;
  advancing_.store(false, std::memory_order_release);
  std::ofstream file(reportPath_, std::ios::binary);
  scenario::WriteHtmlReport({exercise_->Result()}, file);
  if (!file.flush()) {
    std::cerr << "qx40: cannot write the report " << reportPath_ << '\n';
    return;
  }
  std::cerr << "qx40: the exercise ended; its report is in " << reportPath_ << '\n';
}

void TrainingSession::Detach() {
  if (machine_) machine_->WatchTicks({});
  if (exercise_ && !reported_) {
    exercise_->Abandon();
    WriteReport();
  }
  exercise_.reset();
  events_.reset();
  logWindow_.reset();
  if (recorder_) recorder_->Detach();
}
