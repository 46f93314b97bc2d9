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
    "usage: qx40 [--log FILE.csv] [--record FILE.qxs] [--exercise FILE.qxs [--report FILE.html]]\n"
    "            [--trainee NAME] [--control PATH]\n"
    "       qx40 --help | --version\n"
    "Opens the QX40 front panel and the hardware control window on the desktop.\n"
    "  --log FILE.csv       write the panel's event log as it happens\n"
    "  --record FILE.qxs    record what you do in both windows as a scenario script\n"
    "  --exercise FILE.qxs  run a scenario script as an exercise on the live panel, in real time;\n"
    "                       its checkpoints are judged; the debrief goes to --report FILE.html\n"
    "                       (default: the exercise's name with .html, in the current directory)\n"
    "  --trainee NAME       the trainee's name, shown in an exercise's debrief\n"
    "Right-click the hardware window to start an exercise from the library, to pause, resume or\n"
    "abandon one, or to open the event log.\n"
    "  --control PATH       also take scenario lines on a Unix domain socket made at PATH\n"
    "                       for this user alone (socat - UNIX-CONNECT:PATH), one reply\n"
    "                       line each; another machine reaches it only through ssh -L\n"
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

std::string* OptionField(const std::string& name, DesktopOptions& options) {
  if (name == "--log") return &options.log;
  if (name == "--record") return &options.record;
  if (name == "--exercise") return &options.exercise;
  if (name == "--report") return &options.report;
  if (name == "--control") return &options.control;
  if (name == "--trainee") return &options.trainee;
  return nullptr;
}

}  // namespace

std::optional<int> ReadDesktopCommandLine(int argc, const char* const* argv, DesktopOptions& options,
                                          std::ostream& out, std::ostream& err) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const std::optional<int> answered = AnswerHelpOrVersion(arguments, program, usage, out)) return answered;
  // --name VALUE or --name=VALUE.
  for (size_t i = 0; i < arguments.size(); ++i) {
    const size_t equals = arguments[i].find('=');
    const std::string name = arguments[i].substr(0, equals);
    std::string* field = OptionField(name, options);
    if (!field) return RejectArgument(program, arguments[i], usage, err);
    if (equals != std::string::npos) {
      *field = arguments[i].substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      *field = arguments[++i];
    }
    if (field->empty()) {
      err << program << ": " << name << " needs " << (name == "--control" ? "the socket's path" : "a file name")
          << ": qx40 " << name << (name == "--control" ? " PATH" : " FILE") << '\n' << usage;
      return exitUsage;
    }
  }
  if (!options.report.empty() && options.exercise.empty()) {
    err << program << ": --report is the debrief of an --exercise\n" << usage;
    return exitUsage;
  }
  if (!DisplayMissing()) return std::nullopt;
  err << "qx40: needs a display, and DISPLAY is not set: start it from a desktop session, or under\n"
         "xvfb-run for a virtual one; qx40-scenario runs scripts without any display.\n";
  return exitUsage;
}
