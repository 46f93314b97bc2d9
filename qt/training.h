#pragma once
// The desktop program's training options: --log FILE.csv writes the panel's
// event log as it happens; --record FILE.qxs records the session as a
// scenario script; --exercise FILE.qxs runs a script on the live panel with
// its debrief in --report FILE.html. Every file is checked before any window
// shows, so a path that cannot be written ends the program at once with the
// reason. The hardware window's context menu pauses, resumes or abandons the
// exercise and opens the event log.

#include <QObject>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "machine/event_log.h"
#include "machine/session_recorder.h"
#include "qt/command_line.h"

class DesktopHost;
class EventLogWindow;
class Machine;
class QAction;
class QTimer;
namespace scenario {
class Exercise;
}

class TrainingSession {
 public:
  TrainingSession();
  ~TrainingSession();
  TrainingSession(const TrainingSession&) = delete;
  TrainingSession& operator=(const TrainingSession&) = delete;

  // Opens the files the options name. False, with the reason on err, if one
  // cannot be written.
  bool Open(const DesktopOptions& options, std::ostream& err);

  // Follows the machine's panel and windows until Detach; the windows must
  // have their desktop windows. False, with each error of the exercise's
  // script on err, if it cannot run.
  bool Attach(Machine& machine, DesktopHost& host, std::ostream& err);
  // Ends a running exercise (abandoned) and writes its report.
  void Detach();

 private:
  void OpenLog(const std::string& path);
  void OpenRecording(const std::string& path);
  void Record(const PanelEvent& event);
  void AddMenu(DesktopHost& host);
  void Tick();
  void ShowProgress();
  void WriteReport();

  Machine* machine_ = nullptr;
  std::ofstream log_;
  std::unique_ptr<SessionRecorder> recorder_;
  std::unique_ptr<EventLog> events_;
  std::unique_ptr<EventLogWindow> logWindow_;
  std::string exercisePath_;
  std::string reportPath_;
  std::unique_ptr<scenario::Exercise> exercise_;
  bool reported_ = false;
  std::string caption_;  // the hardware window's own
  QAction* pause_ = nullptr;
  QAction* abandon_ = nullptr;
  std::unique_ptr<QTimer> sampler_;
};
