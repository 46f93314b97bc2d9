#pragma once
// The desktop program's training options: --log FILE.csv writes the panel's
// event log as it happens; --record FILE.qxs records the session as a
// scenario script; --exercise FILE.qxs runs a script on the live panel with
// its debrief in --report FILE.html, for the trainee --trainee names. Every
// file is checked before any window shows, so a bad path or script ends the
// program at once with the reason and leaves nothing behind. The hardware
// window's context menu starts an exercise from the library, pauses, resumes
// or abandons it, and opens the event log.

#include <QObject>
#include <atomic>
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
class QMenu;
class QWidget;
namespace scenario {
class Exercise;
}

class TrainingSession {
 public:
  TrainingSession();
  ~TrainingSession();
  TrainingSession(const TrainingSession&) = delete;
  TrainingSession& operator=(const TrainingSession&) = delete;

  // Checks the exercise and opens the files the options name. False, with
  // the reason on err, if the exercise has errors or a file cannot be written.
  bool Open(const DesktopOptions& options, std::ostream& err);

  // Follows the machine's panel and windows until Detach; the windows must
  // have their desktop windows. False, with the reason on err, if the exercise cannot start.
  bool Attach(Machine& machine, DesktopHost& host, std::ostream& err);
  // Ends a running exercise (abandoned) and writes its report.
  void Detach();
  // Why the panel may not jump to a loaded state now: a recording or an
  // exercise would no longer tell what happened. Empty when it may.
  std::string WhyNotLoadState() const;

 private:
  void OpenLog(const std::string& path);
  void OpenRecording(const std::string& path);
  void Record(const PanelEvent& event);
  bool StartExercise(const std::string& path, std::ostream& err);
  void ChooseExercise(const std::string& path);
  void AddMenu();
  void AddLibrary(QMenu& menu);
  void ConfirmAbandon();
  // The board's side, after each tick: the log's sample, and a step of a running exercise.
  void AfterTick(int64_t panelMs);
  void AdvanceExercise();
  void ShowProgress();
  void ShowMessage(const std::string& text);
  void WriteReport();

  Machine* machine_ = nullptr;
  DesktopHost* host_ = nullptr;
  std::ofstream log_;
  std::unique_ptr<SessionRecorder> recorder_;
  std::unique_ptr<BoardSideEventLog> events_;
  std::unique_ptr<EventLogWindow> logWindow_;
  std::string exercisePath_;
  std::string reportPath_;
  std::string trainee_;
  std::unique_ptr<scenario::Exercise> exercise_;
  bool reported_ = false;
  std::string caption_;  // the hardware window's own
  QAction* pause_ = nullptr;
  QAction* abandon_ = nullptr;
  // Set while an exercise runs; an advance waits on the window thread while pending.
  std::atomic<bool> advancing_{false};
  std::atomic<bool> advancePending_{false};
};
