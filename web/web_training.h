#pragma once
// An exercise in the page as the desktop program runs one: from the library
// packed with the page, on the live panel in real time, its checkpoints,
// pause, resume and abandon; the session recorded as a script that
// qx40-scenario replays; at the end the debrief the runner writes. The page
// only shows what this gives it.

#include <cstdint>
#include <memory>
#include <string>

class Machine;
class SessionRecorder;
namespace scenario {
class Exercise;
}  // namespace scenario

class WebTraining {
 public:
  WebTraining();
  ~WebTraining();
  WebTraining(const WebTraining&) = delete;
  WebTraining& operator=(const WebTraining&) = delete;

  // Each exercise of the folder, by file name: [{"file","title","teaches"}] as JSON.
  static std::string LibraryJson(const std::string& folder);

  // Starts the exercise on a panel just started from Hardware.dat in the
  // working directory, recording it beside; empty, or what was wrong.
  std::string Start(const std::string& path, const std::string& trainee, Machine& machine, int64_t wallMs);
  bool Running() const { return exercise_ != nullptr; }
  // Runs what is due by the panel's time; call after each step.
  void Advance();
  void TogglePause();
  // A line that acted on the panel from outside the exercise (a class's hidden
  // fault), recorded at its time so that the recording replays to the same panel.
  void Acted(const std::string& line);
  // Ends the running exercise, its debrief saying so.
  void Abandon();

  // {"state":"none|running|paused|ended","text":"...","debrief","recording","settings"} as JSON:
  // how far the exercise is, never what comes next, and the files of an ended one.
  std::string StatusJson() const;
  // The exercise's say messages so far, one a line.
  const std::string& Said() const { return said_; }
  // The ended exercise's debrief page; empty before.
  const std::string& Debrief() const { return debrief_; }
  // The ended exercise's result for a class's instructor: {"file","title","trainee","started","duration_ms",
  // "checkpoints":[{"line","at_ms","text","requirement","reached","passed"}]}; empty before.
  const std::string& ResultJson() const { return resultJson_; }

 private:
  void Finish();

  std::unique_ptr<scenario::Exercise> exercise_;
  std::unique_ptr<SessionRecorder> recorder_;
  std::string name_;  // the exercise file's stem
  std::string said_;
  std::string debrief_;
  std::string debriefFile_, recordingFile_, settingsFile_;
  std::string endedText_;
  std::string resultJson_;
};
