#pragma once
// The desktop program's command line, read before Qt starts: --help and
// --version answered without a window, anything else refused, and a missing
// display reported plainly rather than by Qt's abort.

#include <optional>
#include <ostream>

// An exit code when the program should stop here; nothing when the windows
// may open.
std::optional<int> AnswerDesktopCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
