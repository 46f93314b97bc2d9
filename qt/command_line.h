#pragma once
// The desktop program's command line, read before Qt starts: --help and
// --version answered without a window, the training options taken, anything
// else refused, and a missing display reported plainly rather than by Qt's abort.

#include <optional>
#include <ostream>
#include <string>

struct DesktopOptions {
  std::string log;       // the event log as CSV, written as it happens
  std::string record;    // the session recorded as a scenario script
  std::string exercise;  // a scenario script run as an exercise on the live panel
  std::string report;    // the exercise's debrief; empty: its name with .html, here
  std::string control;   // the control socket's path; empty: none
  std::string trainee;   // the trainee's name, for the debrief; empty: none given
  double scale = 0;      // the windows' size factor; 0: as remembered, else from the screen
  bool batched = false;  // the board on one thread in 40 ms batches, not the tick and firmware threads
};

// The factors --scale takes.
constexpr double minimumScale = 0.5;
constexpr double maximumScale = 4;

// An exit code when the program should stop here; nothing when the windows
// may open with these options.
std::optional<int> ReadDesktopCommandLine(int argc, const char* const* argv, DesktopOptions& options,
                                          std::ostream& out, std::ostream& err);
