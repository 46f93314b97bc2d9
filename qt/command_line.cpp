#include "qt/command_line.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "machine/command_line.h"

namespace {

constexpr std::string_view program = "qx40";
constexpr std::string_view usage =
    "usage: qx40 [--control PATH] [--help] [--version]\n"
    "Opens the QX40 front panel and the hardware control window on the desktop.\n"
    "  --control PATH  also take scenario lines on a Unix domain socket made at PATH\n"
    "                  for this user alone (socat - UNIX-CONNECT:PATH), one reply\n"
    "                  line each; another machine reaches it only through ssh -L\n"
    "Needs a display (DISPLAY or WAYLAND_DISPLAY); QT_QPA_PLATFORM chooses Qt's platform.\n"
    "Settings: Hardware.dat (the panel's memory and the hardware window's settings)\n"
    "is read from and written to the directory qx40 is started in.\n";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Qt's X11 platform, chosen explicitly or by default, needs DISPLAY; Wayland
// and the offscreen platforms bring their own.
bool DisplayMissing() {
  const std::string platform = Environment("QT_QPA_PLATFORM");
  const bool x11 = platform.empty() ? Environment("WAYLAND_DISPLAY").empty() : platform.rfind("xcb", 0) == 0;
  return x11 && Environment("DISPLAY").empty();
}

// --control PATH or --control=PATH; anything else is refused.
std::optional<int> ReadOptions(const std::vector<std::string>& arguments, DesktopOptions& options, std::ostream& err) {
  constexpr std::string_view control = "--control";
  const std::string withValue = std::string(control) + "=";
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument != control && !argument.starts_with(withValue)) return RejectArgument(program, argument, usage, err);
    const bool separate = argument == control && i + 1 < arguments.size();
    options.control = separate ? arguments[++i] : argument.substr(std::min(argument.size(), withValue.size()));
    if (options.control.empty()) {
      err << program << ": --control needs the socket's path: qx40 --control PATH\n";
      return exitUsage;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> AnswerDesktopCommandLine(int argc, const char* const* argv, DesktopOptions& options,
                                            std::ostream& out, std::ostream& err) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const std::optional<int> answered = AnswerHelpOrVersion(arguments, program, usage, out)) return answered;
  if (const std::optional<int> refused = ReadOptions(arguments, options, err)) return refused;
  if (!DisplayMissing()) return std::nullopt;
  err << "qx40: needs a display, and DISPLAY is not set: start it from a desktop session, or under\n"
         "xvfb-run for a virtual one; qx40-scenario runs scripts without any display.\n";
  return exitUsage;
}
