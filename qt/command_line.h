#pragma once
// The desktop program's command line, read before Qt starts: --help and
// --version answered without a window, anything else refused, and a missing
// display reported plainly rather than by Qt's abort.

#include <optional>
#include <ostream>
#include <string>

struct DesktopOptions {
  std::string control;  // the control socket's path; empty: none
};

// An exit code when the program should stop here; nothing when the windows
// may open, with the options read.
std::optional<int> AnswerDesktopCommandLine(int argc, const char* const* argv, DesktopOptions& options,
                                            std::ostream& out, std::ostream& err);
