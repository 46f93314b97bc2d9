#pragma once
// What every program of the simulator answers on its command line: --help
// and --version, without opening a window or writing a file, and an unknown
// option as an error with the usage (exit code 2).

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

constexpr int exitUsage = 2;

// "qx40 1.0" and a newline.
std::string VersionLine(std::string_view program);

// --help (or -h) writes the usage to out; --version the
// version line. Either gives exit code 0. Otherwise nothing, and the program
// reads its own options.
std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& arguments, std::string_view program,
                                       std::string_view usage, std::ostream& out);

// The standard complaint about a bad argument: what, then the usage; exit 2.
int RejectArgument(std::string_view program, const std::string& argument, std::string_view usage, std::ostream& err);
