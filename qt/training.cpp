#include "qt/training.h"

#include <QAction>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "machine/machine.h"
#include "qt/desktop_host.h"
#include "qt/event_log_window.h"
#include "qt/form_widget.h"
#include "scenario/report.h"
#include "scenario/runner.h"
#include "windows/hardwarecontrol.h"

namespace {
// The log and the exercise look at the panel from the window thread as often
// as the firmware reads its keys, as the runner does.
constexpr int sampleIntervalMs = 20;

std::string Clock(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(ms / 60000),
                static_cast<long long>(ms / 1000 % 60));
  return text;
}

// FILE.qxs's report, FILE.html, in the working directory.
std::string DefaultReport(const std::string& exercise) {
  return std::filesystem::path(exercise).filename().replace_extension(".html").string();
}

void CheckWritable(const std::string& path, const char* what) {
  if (!std::ofstream(path, std::ios::app)) throw std::runtime_error("cannot write the " + std::string(what) + " " + path + ": choose a writable path");
}
}  // namespace

TrainingSession::TrainingSession() = default;
TrainingSession::~TrainingSession() = default;

bool TrainingSession::Open(const DesktopOptions& options, std::ostream& err) {
  try {
    if (!options.log.empty()) OpenLog(options.log);
    if (!options.record.empty()) OpenRecording(options.record);
    if (!options.exercise.empty()) {
      exercisePath_ = options.exercise;
      if (!std::ifstream(exercisePath_)) throw std::runtime_error("cannot read the exercise " + exercisePath_);
      reportPath_ = options.report.empty() ? DefaultReport(exercisePath_) : options.report;
      CheckWritable(reportPath_, "report");
    }
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
  if (recorder_) recorder_->Attach(machine);
  logWindow_ = std::make_unique<EventLogWindow>();
  events_ = std::make_unique<EventLog>(machine, [this](const PanelEvent& event) { Record(event); });
  if (!exercisePath_.empty()) {
    auto acted = [this](const std::string& line) {
      if (recorder_) recorder_->Line(line);
    };
    exercise_ = std::make_unique<scenario::Exercise>(exercisePath_, machine, acted);
    if (!exercise_->Loaded()) {
      for (const scenario::Problem& problem : exercise_->Result().errors) {
        err << exercisePath_ << (problem.line ? ":" + std::to_string(problem.line) : "") << ": error: " << problem.message
            << '\n';
      }
      exercise_.reset();
      return false;
    }
  }
  caption_ = machine.hardware().Caption();
  AddMenu(host);
  sampler_ = std::make_unique<QTimer>();
  QObject::connect(sampler_.get(), &QTimer::timeout, [this] { Tick(); });
  sampler_->start(sampleIntervalMs);
  return true;
}

void TrainingSession::Record(const PanelEvent& event) {
  logWindow_->Add(event);
  if (!log_.is_open()) return;
  WriteEventCsvRow(log_, event);
  log_.flush();
}

// Right-click on the hardware window: the exercise's controls and the log.
void TrainingSession::AddMenu(DesktopHost& host) {
  QWidget* window = host.WidgetOf(machine_->hardware());
  if (!window) return;
  window->setContextMenuPolicy(Qt::ActionsContextMenu);
  if (exercise_) {
    pause_ = new QAction("Pause exercise", window);
    QObject::connect(pause_, &QAction::triggered, [this] {
      exercise_->Progress().paused ? exercise_->Resume() : exercise_->Pause();
      ShowProgress();
    });
    abandon_ = new QAction("Abandon exercise", window);
    QObject::connect(abandon_, &QAction::triggered, [this] {
      exercise_->Abandon();
      Tick();
    });
    window->addAction(pause_);
    window->addAction(abandon_);
  }
  auto* log = new QAction("Event log...", window);
  QObject::connect(log, &QAction::triggered, [this] {
    logWindow_->show();
    logWindow_->raise();
  });
  window->addAction(log);
}

void TrainingSession::Tick() {
  events_->Sample(machine_->PanelTimeMs());
  if (!exercise_ || reported_) return;
  if (!exercise_->Advance()) WriteReport();
  ShowProgress();
}

// How far the exercise is, never what comes next.
void TrainingSession::ShowProgress() {
  const scenario::ExerciseProgress progress = exercise_->Progress();
  std::string caption = caption_ + " - exercise " + std::filesystem::path(exercisePath_).stem().string() + " " +
                        Clock(progress.elapsedMs) + ", " + std::to_string(progress.judged) + " of " +
                        std::to_string(progress.checkpoints) + " checkpoints";
  if (progress.paused) caption += " (paused)";
  if (progress.finished) caption += " (ended; report in " + reportPath_ + ")";
  if (caption != machine_->hardware().Caption()) machine_->hardware().SetCaption(caption);
  if (pause_) {
    pause_->setText(progress.paused ? "Resume exercise" : "Pause exercise");
    pause_->setEnabled(!progress.finished);
    abandon_->setEnabled(!progress.finished);
  }
}

void TrainingSession::WriteReport() {
  reported_ = true;
  std::ofstream file(reportPath_, std::ios::binary);
  scenario::WriteHtmlReport({exercise_->Result()}, file);
  if (!file.flush()) {
    std::cerr << "qx40: cannot write the report " << reportPath_ << '\n';
    return;
  }
  std::cerr << "qx40: the exercise ended; its report is in " << reportPath_ << '\n';
}

void TrainingSession::Detach() {
  sampler_.reset();
  if (exercise_ && !reported_) {
    exercise_->Abandon();
    WriteReport();
  }
  exercise_.reset();
  events_.reset();
  logWindow_.reset();
  if (recorder_) recorder_->Detach();
}
