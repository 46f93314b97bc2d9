#pragma once
// The headless scenario runner: each script drives a fresh simulator, both
// windows offscreen, in virtual time, from a private working directory.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class Machine;
class TForm;

namespace scenario {

struct RunOptions {
  std::string settings;  // Hardware.dat to start from; empty: none
  std::string save;      // where the last script's Hardware.dat goes; empty: nowhere
  std::string trace;     // Value Change Dump of the whole run; empty: none
  std::string junit;     // JUnit XML report; empty: none
  std::string report;    // HTML page of the measurements; empty: none
  int jobs = 1;          // scripts run at once, each in a process of its own
  // Draws a window into a PNG file, false if it cannot; the front end gives
  // it. Without one a screenshot line is an error.
  std::function<bool(const TForm& form, const std::string& path)> screenshot;
  // A running machine the scripts drive instead of a fresh one each (the web
  // page's live panel); it is neither reset nor shut down, and restart is refused.
  Machine* live = nullptr;
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

// Every control, attribute and firmware variable a script can name, one a line.
void ListNames(std::ostream& out);

// qx40-scenario [--settings FILE] [--save FILE] [--trace FILE.vcd] SCRIPT...
// The options start from defaults (the front end's screenshot, say).
int RunCommandLine(const std::vector<std::string>& arguments, const RunOptions& defaults, std::ostream& out,
                   std::ostream& err);

}  // namespace scenario
