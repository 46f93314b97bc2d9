// The live session driver: a running machine's lines one at a time as they
// come, each answered with one line. The machine's time runs on its own, so
// a wait is looked at again on each Resume.

#include "machine/machine.h"
#include "scenario/interpreter.h"
#include "scenario/runner.h"

namespace scenario {

namespace {

constexpr const char* okReply = "ok";

[[noreturn]] void RefuseStepped(const std::string& command) {
  throw ScriptError{"'" + command + "' is for scripts, whose time qx40-scenario steps; not for a running panel"};
}

}  // namespace

struct Session::State : Interpreter {
  explicit State(Machine& live) : Interpreter(LiveOptions(live)) { Start(); }

  static RunOptions LiveOptions(Machine& live) {
    RunOptions options;
    options.live = &live;
    return options;
  }

  // One line; its reply, or nothing while a wait runs.
  std::optional<std::string> Run(const std::string& text) {
    result_.failures.clear();
    out_.str("");
    warning_.clear();
    try {
      const std::optional<Command> command = ParseLine(text);
      if (!command) return okReply;
      CheckLine(*command);
      if (const auto* print = std::get_if<Print>(&*command)) return PrintedValue(*print);
      Begin(*command);
      return Resume();
    } catch (const ScriptError& error) {
      return "error: " + error.message;
    } catch (const std::exception& error) {
      return std::string("error: ") + error.what();
    }
  }

  // The running line's reply once it is judged or its wait is over; nothing before.
  std::optional<std::string> Resume() {
    Sample();
    if (Holding()) return std::nullopt;
    if (!result_.failures.empty()) return result_.failures.back().message;
    return warning_.empty() ? okReply : std::string(okReply) + " (warning: " + warning_ + ")";
  }

  // A session never steps its machine, whose time runs on its own.
  void Refuse(const Command& command) const override {
    if (std::holds_alternative<Stall>(command)) RefuseStepped("stall");
    if (std::holds_alternative<Measure>(command)) RefuseStepped("measure");
    if (std::holds_alternative<Mark>(command)) RefuseStepped("mark");
    if (std::holds_alternative<Restart>(command)) RefuseStepped("restart");
    if (std::holds_alternative<StartFrom>(command)) {
      throw ScriptError{"start-from heads a script; load a state into a running panel with the hardware window's "
                        "Load panel state..."};
    }
  }

  // Told in the reply.
  void Warn(const std::string& text) override { warning_ = text; }

  std::string warning_;
};

Session::Session(Machine& live) : state_(std::make_unique<State>(live)) {}
Session::~Session() = default;
std::optional<std::string> Session::Run(const std::string& line) { return state_->Run(line); }
std::optional<std::string> Session::Resume() { return state_->Resume(); }

}  // namespace scenario
