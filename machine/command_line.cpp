#include "machine/command_line.h"

#include <algorithm>

std::string VersionLine(std::string_view program) { return std::string(program) + " " QX40_VERSION "\n"; }

std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& arguments, std::string_view program,
                                       std::string_view usage, std::ostream& out) {
  const auto given = [&](std::initializer_list<std::string_view> names) {
    return std::any_of(arguments.begin(), arguments.end(), [&](const std::string& argument) {
      return std::find(names.begin(), names.end(), argument) != names.end();
    });
  };
  if (given({"--help", "-h"})) {
    out << usage;
    return 0;
  }
  if (given({"--version"})) {
    out << VersionLine(program);
    return 0;
  }
  return std::nullopt;
}

int RejectArgument(std::string_view program, const std::string& argument, std::string_view usage, std::ostream& err) {
  err << program << ": unknown option or argument '" << argument << "'\n" << usage;
  return exitUsage;
}
