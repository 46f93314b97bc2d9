#pragma once
// The scenario runner's three drivers of one interpreter (interpreter.h): the
// batch, where each script drives a fresh simulator, both windows offscreen,
// in virtual time, from a private working directory; the live session of a
// running panel's control socket; and the exercise a trainee works through.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "machine/event_log.h"
#include "scenario/results.h"

class Machine;
class TForm;
class WindowHost;

namespace scenario {

struct RunOptions {
  std::string settings;  // Hardware.dat to start from; empty: none
  std::string save;      // where the last script's Hardware.dat goes; empty: nowhere
  std::string startFrom;  // a panel state file every script starts from; empty: a fresh panel
  std::string trace;     // Value Change Dump of the whole run; empty: none
  std::string junit;     // JUnit XML report; empty: none
  std::string report;    // HTML page of the measurements; empty: none
  std::string log;       // the event log as CSV; empty: none
  int jobs = 1;          // scripts run at once, each on a thread of its own
  // Draws a window into a PNG file, false if it cannot; the front end gives
  // it. Without one a screenshot line is an error.
  std::function<bool(const TForm& form, const std::string& path)> screenshot;
  // Shows each script's windows, measuring their text as screenshot draws it;
  // null: nothing shows them.
  WindowHost* host = nullptr;
  // A running machine the scripts drive instead of a fresh one each (the web
  // page's live panel); it is neither reset nor shut down, and restart is refused.
  Machine* live = nullptr;
  // An exercise's lines as they act on the panel, show a message or start a
  // checkpoint, in the form a recording replays them.
  std::function<void(const std::string& line)> acted;
  // A say line's message, as it is shown.
  std::function<void(const std::string& text)> said;
};

// A running machine's lines one at a time as they come (a control socket's
// client), each answered with one line, through the runner's own commands.
// The machine's time runs on its own (its threads, or a test stepping it):
// a wait ends when that time reaches it, and what needs the time stepped
// (stall, measure, mark, restart) is refused.
class Session {
 public:
  explicit Session(Machine& live);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // "ok", a print's value, a failed expectation ("FAIL at ...") or "error: "
  // and what was wrong; nothing while a wait runs.
  std::optional<std::string> Run(const std::string& line);
  // The running wait's reply once it is over; nothing until then, or with no wait.
  std::optional<std::string> Resume();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Exit codes.
constexpr int allPassed = 0;
constexpr int someFailed = 1;
constexpr int cannotRun = 2;

// Runs the scripts in turn and reports on out.
int RunScripts(const std::vector<std::string>& scripts, const RunOptions& options, std::ostream& out);

// The scripts of shard index (0 to count - 1) of count: every count-th of
// them in sorted order, so that the shards are disjoint and cover them all.
std::vector<std::string> ShardOf(std::vector<std::string> scripts, int index, int count);

struct ExerciseProgress {
  int64_t elapsedMs;   // the exercise's own time, which stops while paused
  size_t judged;       // checkpoints judged so far
  size_t checkpoints;  // in the whole script
  bool paused;
  bool finished;
};

// A script run as an exercise on a live panel in real time: the instructor's
// lines happen at their times while a trainee works the windows, and its
// expectations are checkpoints, judged without stopping anything. Everything
// is called from the window thread.
struct ExerciseHooks {
  // Each line that acts on the panel, shows a message or starts a checkpoint,
  // as a recording replays it.
  std::function<void(const std::string& line)> acted;
  // A say line's message, to be shown to the trainee.
  std::function<void(const std::string& text)> said;
  std::string trainee;        // for the debrief; empty: not named
  int64_t startedWallMs = 0;  // wall clock at the start, ms since the epoch
};

class Exercise {
 public:
  // Reads and checks the whole script against the machine's windows;
  // Result().errors has each error with its line.
  Exercise(const std::string& path, Machine& machine, ExerciseHooks hooks = {});
  ~Exercise();
  Exercise(const Exercise&) = delete;
  Exercise& operator=(const Exercise&) = delete;

  bool Loaded() const { return loaded_; }
  // Runs what is due by now; call it often. False once the script is done.
  bool Advance();
  void Pause();
  void Resume();
  void Abandon();
  ExerciseProgress Progress() const;
  // Its output, checkpoints, timeline and event log so far, for the debrief.
  ScriptResult Result() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  bool loaded_ = false;
};

// How far an exercise is, never what comes next: "NAME m:ss, J of N checkpoints", "(paused)" while it is.
std::string ProgressText(const std::string& name, const ExerciseProgress& progress);

// A script's title and what it teaches, from its header comment.
ScriptResult DescribeScript(const std::string& path);

// An exercise's errors, each with its line, found on a panel of its own in a
// scratch directory: checking leaves no file behind. Call before any machine runs.
std::vector<Problem> CheckExercise(const std::string& path);

// Every control, attribute and firmware variable a script can name, one a line.
void ListNames(std::ostream& out);

}  // namespace scenario
