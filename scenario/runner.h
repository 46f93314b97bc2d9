#pragma once
// The headless scenario runner: each script drives a fresh simulator, both
// windows offscreen, in virtual time, from a private working directory.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "machine/event_log.h"

class TForm;

namespace scenario {

struct RunOptions {
  std::string settings;  // Hardware.dat to start from; empty: none
  std::string save;      // where the last script's Hardware.dat goes; empty: nowhere
  std::string trace;     // Value Change Dump of the whole run; empty: none
  std::string log;       // the event log as CSV; empty: none
  // Called with each event of the panel's event log, as it happens.
  std::function<void(const PanelEvent& event)> events;
  // Draws a window into a PNG file, false if it cannot; the front end gives
  // it. Without one a screenshot line is an error.
  std::function<bool(const TForm& form, const std::string& path)> screenshot;
};

// Exit codes.
constexpr int allPassed = 0;
constexpr int someFailed = 1;
constexpr int cannotRun = 2;

// Runs the scripts in turn and reports on out.
int RunScripts(const std::vector<std::string>& scripts, const RunOptions& options, std::ostream& out);

// qx40-scenario [--settings FILE] [--save FILE] [--trace FILE.vcd] [--log FILE.csv] SCRIPT...
// The options start from defaults (the front end's screenshot, say).
int RunCommandLine(const std::vector<std::string>& arguments, const RunOptions& defaults, std::ostream& out,
                   std::ostream& err);

}  // namespace scenario
