#include "qt/training.h"

#include <QTimer>
#include <stdexcept>

#include "machine/machine.h"

namespace {
// The board ticks every 10 ms; the log follows it from the window thread.
constexpr int sampleIntervalMs = 10;
}  // namespace

TrainingSession::TrainingSession() = default;
TrainingSession::~TrainingSession() = default;

bool TrainingSession::Open(const DesktopOptions& options, std::ostream& err) {
  try {
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

void TrainingSession::Attach(Machine& machine) {
  if (recorder_) recorder_->Attach(machine);
  if (!log_.is_open()) return;
  events_ = std::make_unique<EventLog>(machine, [this](const PanelEvent& event) {
    WriteEventCsvRow(log_, event);
    log_.flush();
  });
  sampler_ = std::make_unique<QTimer>();
  QObject::connect(sampler_.get(), &QTimer::timeout, [this, &machine] { events_->Sample(machine.PanelTimeMs()); });
  sampler_->start(sampleIntervalMs);
}

void TrainingSession::Detach() {
  sampler_.reset();
  events_.reset();
  if (recorder_) recorder_->Detach();
}
