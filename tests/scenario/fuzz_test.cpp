// Seeded fuzzing of the runner's script handling: random and mangled lines
// end in a reported error with its line number, never a crash or a hang.

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "scenario/runner.h"
#include "scenario/script.h"

namespace {

const char* const validLines[] = {
    "wait 250ms",
    "wait-until Zone1FireLED 1 within 1s",
    "press AcceptButton left at 3 4",
    "release frmMainDisplay.AcceptButton",
    "move Keyswitch 10 70",
    "click OptionalRelays right",
    "level ZoneAnalogueControl1 500 ohm",
    "level VssAnalogueValueBox 27100 mV",
    "set config 130 0x01",
    "set nv 255 7",
    "expect var panelMode&0x40 0x40",
    "expect frmHardwareControl.Label21.caption \"Zone4\"",
    "expect var zoneAlarmCount[3] 2",
    "print port 24&0x18",
    "print config 129",
    "expect WatchdogTimer.tag 3",
    "restart",
    "stall 100ms",
};

const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .&#\"\\[]-_x\t\r";

class Mangler {
 public:
  explicit Mangler(uint32_t seed) : random_(seed) {}

  std::string Line() {
    if (Below(4) == 0) return RandomText();
    std::string line = validLines[Below(std::size(validLines))];
    for (size_t edits = 1 + Below(3); edits > 0; --edits) Edit(line);
    return line;
  }

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

 private:
  char Character() { return alphabet[Below(sizeof alphabet - 1)]; }

  std::string RandomText() {
    std::string text;
    for (size_t n = Below(40); n > 0; --n) text += Below(10) ? Character() : char(Below(256));
    return text;
  }

  void Edit(std::string& line) {
    const size_t at = line.empty() ? 0 : Below(line.size());
    switch (Below(4)) {
      case 0: line.insert(at, 1, Character()); return;
      case 1: if (!line.empty()) line.erase(at, 1); return;
      case 2: if (!line.empty()) line[at] = Character(); return;
      default: line = line.substr(0, at) + " " + validLines[Below(std::size(validLines))];
    }
  }

  std::mt19937 random_;
};

// A line that parses is kept only if it runs briefly.
bool Quick(const std::string& line) {
  try {
    const std::optional<scenario::Command> command = scenario::ParseLine(line);
    if (!command) return true;
    if (const auto* wait = std::get_if<scenario::Wait>(&*command)) return wait->steps <= 200;
    if (const auto* until = std::get_if<scenario::WaitUntil>(&*command)) return until->steps <= 200;
    if (const auto* stall = std::get_if<scenario::Stall>(&*command)) return stall->steps <= 200;
    return !std::holds_alternative<scenario::Screenshot>(*command);
  } catch (const scenario::ScriptError&) {
    return true;
  }
}

}  // namespace

TEST(ScenarioFuzz, TheParserOnlyEverReportsScriptErrors) {
  Mangler mangler(20240611);
  for (int i = 0; i < 20000; ++i) {
    const std::string line = mangler.Line();
    try {
      scenario::ParseLine(line);
    } catch (const scenario::ScriptError& error) {
      EXPECT_FALSE(error.message.empty()) << line;
    }
  }
}

TEST(ScenarioFuzz, MangledScriptsEndInAnErrorOnALine) {
  Mangler mangler(77);
  const std::regex reported(R"(^f\.qxs:([0-9]+): error: .+$)");
  for (int script = 0; script < 40; ++script) {
    std::string text;
    const size_t lines = 1 + mangler.Below(6);
    for (size_t n = 0; n < lines; ++n) {
      std::string line = mangler.Line();
      while (!Quick(line) || line.find('\n') != std::string::npos) line = mangler.Line();
      text += line + "\n";
    }
    text += "@ never a command\n";
    std::ofstream("f.qxs", std::ios::binary) << text;
    std::ostringstream out;
    ASSERT_EQ(scenario::RunScripts({"f.qxs"}, {}, out), scenario::cannotRun) << text;
    std::istringstream report(out.str());
    std::string line;
    std::smatch match;
    bool found = false;
    while (std::getline(report, line)) {
      if (!std::regex_match(line, match, reported)) continue;
      found = true;
      const int number = std::stoi(match[1]);
      EXPECT_GE(number, 1) << text;
      EXPECT_LE(number, int(lines) + 1) << text;
    }
    EXPECT_TRUE(found) << out.str();
  }
}
