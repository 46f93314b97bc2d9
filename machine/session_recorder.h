#pragma once
// Records what the panel received from a person in both windows as a
// scenario script, with waits in panel time between the lines, so that the
// scenario runner replays the session to the same panel: press, move (with a
// button held) and release on the named control, in its coordinates; a key
// the mouse let go of before the firmware saw it is released when the panel
// let go of it; a level control's drag is the level it set. Each line is
// flushed as it is written, so a crash keeps what was recorded so far.

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "windows/framework/form.h"

class Machine;

class SessionRecorder {
 public:
  // Opens the file and writes the header; throws std::runtime_error, saying
  // what to do, if the file cannot be written. startSettings is the copy of
  // Hardware.dat the session started from, empty for a fresh panel.
  SessionRecorder(const std::string& path, const std::string& startSettings);
  // Writes the time since the last event, so the replay ends when the session did.
  ~SessionRecorder();
  SessionRecorder(const SessionRecorder&) = delete;
  SessionRecorder& operator=(const SessionRecorder&) = delete;

  // Follows both windows of the machine until it goes (call before it goes).
  void Attach(Machine& machine);
  void Detach();
  // A script line that acted on the panel otherwise (an exercise's), at its time.
  void Line(const std::string& text);
  // An exercise's header, which the replay's debrief reads: each text kept to
  // one comment line, since a line break in a typed name would be a script line.
  void ExerciseHeader(const std::string& title, const std::string& teaches, const std::string& trainee);

 private:
  void Pointer(TForm::PointerAction action, TControl& target, MouseButton button, int x, int y);
  void Released(TControl& key);
  // A level line for each level control whose position changed; true if the target is one.
  bool RecordLevels(const TControl& target);
  void WaitUntilNow();
  void Write(const std::string& line);

  std::ofstream file_;
  Machine* machine_ = nullptr;
  int64_t lastMs_ = 0;
  int held_ = 0;  // buttons down; moves count only while one is
  std::vector<int> levelWidths_;  // each level control's position as last recorded
};

// Runs then after each pointer event of either window and each key the panel
// lets go of, after whatever already follows them (a recorder attached
// first): an event log sampled there times a person's input as the runner
// times the recording's lines.
void AfterEachInput(Machine& machine, const std::function<void()>& then);

// Copies Hardware.dat in the working directory, if there is one, to the
// recording's side (FILE.qxs.start.dat) for its replay; the copy's name, or
// empty when there is none. Throws std::runtime_error if it cannot copy.
std::string KeepStartSettings(const std::string& recordingPath);
