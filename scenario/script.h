#pragma once
// The scenario language: one command a line, parsed as it is reached.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "machine/stepper.h"

namespace scenario {

// A parse or run error; the runner reports it with the script's line.
struct ScriptError {
  std::string message;
};

struct Value {
  bool isString = false;
  int64_t number = 0;
  std::string text;
  bool operator==(const Value&) const = default;
};

struct Target {
  enum class Kind { Control, Var, Config, Port };
  Kind kind = Kind::Control;
  std::string form;  // frmMainDisplay, frmHardwareControl or empty
  std::string name;  // control or variable name
  std::string attr;  // empty: the control's natural value
  int index = -1;    // var NAME[I], config ADDR, port N
  std::optional<uint32_t> mask;
  std::string text;  // as written, for messages
};

enum class Button { Left, Right, Middle };

struct Wait {
  int64_t steps;
};
struct WaitUntil {
  Target target;
  Value value;
  int64_t steps;
  // Judged alongside the lines after it instead of holding them (a recording's form).
  bool meanwhile = false;
};
struct Mouse {
  enum class Action { Press, Release, Move, Click };
  Action action;
  std::string form, name;
  Button button = Button::Left;
  std::optional<std::pair<int, int>> at;
};
struct Level {
  std::string form, name;
  enum class Unit { Width, Ohm, Millivolt };  // kohm and k are read into ohms
  Unit unit = Unit::Width;
  int64_t amount = 0;
};
struct SetMemory {
  bool raw;  // set nv: the byte alone; set config: through WriteConfig
  int address;
  int value;
};
struct Expect {
  Target target;
  Value value;
};
// The target keeps the value for the whole duration: judged failed at the
// first moment it does not, passed when the time is up.
struct Throughout {
  Target target;
  Value value;
  int64_t steps;
  bool meanwhile = false;
};
// A message shown to the trainee at this moment.
struct Say {
  std::string text;
};
struct Print {
  Target target;
};
struct Screenshot {
  std::string form, file;
};
// A measurement: the time from now, or from a mark, until the target takes
// the value, against a limit, for the report. A value already holding at the
// start is no answer: the target must take it after having another one.
struct Measure {
  std::string label;
  WaitUntil until;
  std::string since;  // a mark's name; empty: now
};
// Names the present moment for later measurements.
struct Mark {
  std::string name;
};
struct Restart {};
// The whole panel saved to a state file at this moment.
struct Snapshot {
  std::string file;
};
// The panel set from a state file before the script's first moment; only
// as a script's first command.
struct StartFrom {
  std::string file;
};
// Time passes with the firmware stopped: the board ticks and its watchdog
// counts, nothing services it.
struct Stall {
  int64_t steps;
};

using Command = std::variant<Wait, WaitUntil, Mouse, Level, SetMemory, Expect, Print, Screenshot, Restart, Stall, Measure,
                             Mark, Throughout, Say, Snapshot, StartFrom>;

// Parses one line; nothing for a blank or comment line. Throws ScriptError.
std::optional<Command> ParseLine(const std::string& line);

// The names the language knows, and the nearest of them to a misspelt one.
std::vector<std::string> Commands();
std::vector<std::string> Attributes();
// "did you mean A or B?" for the known names nearest to name; empty if none is near.
std::string DidYouMean(const std::string& name, const std::vector<std::string>& known);

// Helpers exposed for tests.
int64_t ParseDurationSteps(const std::string& text);
Value ParseValue(const std::string& text);
std::string FormatValue(const Value& value);

}  // namespace scenario
