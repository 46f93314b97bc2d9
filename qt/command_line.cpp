#include "qt/command_line.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "machine/command_line.h"

// Last: its macros would change the names above.
#include <X11/Xlib.h>

namespace {

constexpr std::string_view program = "qx40";
constexpr std::string_view usage =
    "usage: qx40 [--log FILE.csv] [--record FILE.qxs] [--exercise FILE.qxs [--report FILE.html]]\n"
    "            [--trainee NAME] [--control PATH] [--scale FACTOR] [--batched]\n"
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
    "  --scale FACTOR       draw both windows larger or smaller (0.5 to 4, as 1, 1.5 or 2),\n"
    "                       remembered for your user; at first, as large as fits the screen\n"
    "  --batched            run the board on one thread, every 40 ms the steps the time since\n"
    "                       owes (input catches up first): less CPU, for a laptop on battery\n"
    "Needs a display (DISPLAY or WAYLAND_DISPLAY); QT_QPA_PLATFORM chooses Qt's platform.\n"
    "Settings: Hardware.dat (the panel's memory and the hardware window's settings)\n"
    "is read from and written to the directory qx40 is started in. Started from the desktop menu,\n"
    "qx40 runs in $XDG_DATA_HOME/qx40 (by default ~/.local/share/qx40), so Hardware.dat is kept there.\n";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Qt's X11 platform, chosen explicitly or by default; Wayland and the
// offscreen platforms bring their own display.
bool UsesX11() {
  const std::string platform = Environment("QT_QPA_PLATFORM");
  return platform.empty() ? Environment("WAYLAND_DISPLAY").empty() : platform.rfind("xcb", 0) == 0;
}

// Whether an X server answers at DISPLAY, asked before Qt would abort on it.
bool DisplayAnswers() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XCloseDisplay(display);
  return true;
}

// Each option takes one value: a text kept as given, or for --scale a factor.
struct Option {
  std::string_view name;
  std::string_view value;  // what it takes, as the usage writes it
  std::string_view what;   // the same, in words
  std::string DesktopOptions::*field;  // null for --scale
};
constexpr Option desktopOptions[] = {
    {"--log", "FILE", "a file name", &DesktopOptions::log},
    {"--record", "FILE", "a file name", &DesktopOptions::record},
    {"--exercise", "FILE", "a file name", &DesktopOptions::exercise},
    {"--report", "FILE", "a file name", &DesktopOptions::report},
    {"--control", "PATH", "the socket's path", &DesktopOptions::control},
    {"--trainee", "NAME", "the trainee's name", &DesktopOptions::trainee},
    {"--scale", "FACTOR", "a size factor", nullptr},
};

// The one option that takes no value.
constexpr std::string_view batchedOption = "--batched";

const Option* FindOption(const std::string& name) {
  for (const Option& option : desktopOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

// A factor in range, as 1.5; false, said, when the text is none.
bool TakeScale(const std::string& text, double& scale, std::ostream& err) {
  size_t used = 0;
  double factor = 0;
  try {
    factor = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == text.size() && factor >= minimumScale && factor <= maximumScale) {
    scale = factor;
    return true;
  }
  err << program << ": --scale " << text << ": the factor must be a number from " << minimumScale << " to "
      << maximumScale << ", as 1, 1.5 or 2\n";
  return false;
}

// The option's value in its field; false, said, when it is not one the option takes.
bool Take(const Option& option, const std::string& value, DesktopOptions& chosen, std::ostream& err) {
  if (value.empty()) {
    err << program << ": " << option.name << " needs " << option.what << ": qx40 " << option.name << ' ' << option.value
        << '\n' << usage;
    return false;
  }
  if (!option.field) return TakeScale(value, chosen.scale, err);
  chosen.*option.field = value;
  return true;
}

}  // namespace

std::optional<int> ReadDesktopCommandLine(int argc, const char* const* argv, DesktopOptions& options,
                                          std::ostream& out, std::ostream& err) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const std::optional<int> answered = AnswerHelpOrVersion(arguments, program, usage, out)) return answered;
  // --name VALUE or --name=VALUE.
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == batchedOption) {
      options.batched = true;
      continue;
    }
    const size_t equals = arguments[i].find('=');
    const Option* option = FindOption(arguments[i].substr(0, equals));
    if (!option) return RejectArgument(program, arguments[i], usage, err);
    std::string value;
    if (equals != std::string::npos) {
      value = arguments[i].substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    }
    if (!Take(*option, value, options, err)) return exitUsage;
  }
  if (!options.report.empty() && options.exercise.empty()) {
    err << program << ": --report is the debrief of an --exercise\n" << usage;
    return exitUsage;
  }
  if (!UsesX11()) return std::nullopt;
  if (Environment("DISPLAY").empty()) {
    err << "qx40: needs a display, and DISPLAY is not set: start it from a desktop session, or under\n"
           "xvfb-run for a virtual one; qx40-scenario runs scripts without any display.\n";
    return exitUsage;
  }
  if (!DisplayAnswers()) {
    err << "qx40: cannot connect to the display DISPLAY=" << Environment("DISPLAY")
        << ": no X server answers there, or it refuses this user.\n"
           "Check DISPLAY (and XAUTHORITY), or run it under xvfb-run for a virtual display.\n";
    return exitUsage;
  }
  return std::nullopt;
}
