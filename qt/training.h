#pragma once
// The desktop program's training options: --log FILE.csv writes the panel's
// event log as it happens; --record FILE.qxs records the session as a
// scenario script. Both files are opened before any window shows, so a path
// that cannot be written ends the program at once with the reason.

#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "machine/event_log.h"
#include "machine/session_recorder.h"
#include "qt/command_line.h"

class Machine;
class QTimer;

class TrainingSession {
 public:
  TrainingSession();
  ~TrainingSession();
  TrainingSession(const TrainingSession&) = delete;
  TrainingSession& operator=(const TrainingSession&) = delete;

  // Opens the files the options name. False, with the reason on err, if one
  // cannot be written.
  bool Open(const DesktopOptions& options, std::ostream& err);

  // Follows the machine's panel and windows until Detach.
  void Attach(Machine& machine);
  void Detach();

 private:
  void OpenLog(const std::string& path);
  void OpenRecording(const std::string& path);

  std::ofstream log_;
  std::unique_ptr<SessionRecorder> recorder_;
  std::unique_ptr<EventLog> events_;
  std::unique_ptr<QTimer> sampler_;
};
