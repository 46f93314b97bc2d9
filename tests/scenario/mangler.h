#pragma once
// Seeded random and mangled scenario lines, for fuzzing what reads them.

#include <cstdint>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "scenario/script.h"

namespace fuzz {

inline const char* const validLines[] = {
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

inline const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .&#\"\\[]-_x\t\r";

// Valid lines with a few random edits, and now and then random text.
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
inline bool Quick(const std::string& line) {
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

}  // namespace fuzz
