#include "machine/plain_words.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace plain {

namespace {

// What a name's value means: on and off, a set of zones, or a number.
enum class Kind { Flag, Zones, Counter, Number };

// '#' in a name stands for its number, and in the words for the same number.
struct Entry {
  const char* name;
  const char* words;
  Kind kind = Kind::Flag;
  const char* on = "on";  // for a set of zones: what each zone in it is
  const char* off = "off";
};

constexpr Entry controls[] = {
    {"FireLED", "Fire indication"},
    {"FaultLED", "Fault indication"},
    {"DisabledLED", "Disabled indication"},
    {"TestLED", "Test indication"},
    {"DelayOnLED", "Delay indication"},
    {"PowerLED", "Power indication"},
    {"SystemFaultLED", "System fault indication"},
    {"PSUFaultLED", "Power supply fault indication"},
    {"EarthFaultLED", "Earth fault indication"},
    {"AuxiliaryFaultLED", "Auxiliary supply fault indication"},
    {"SounderFaultDisabledLED", "Sounder fault or disabled indication"},
    {"FireRoutingActiveLED", "Fire routing active indication"},
    {"FireRoutingFaultDisabledLED", "Fire routing fault or disabled indication"},
    {"FaultRoutingFaultDisabledLED", "Fault routing fault or disabled indication"},
    {"Zone#FireLED", "Zone # fire indication"},
    {"Zone#FaultLED", "Zone # fault indication"},
    {"InternalTone", "Buzzer"},
    {"SounderOutput1", "Sounders"},
    {"SounderOutput#", "Sounder circuit #"},
    {"FireOutputActiveRelay", "Fire routing relay"},
    {"FireOutputDisabledRelay", "Fire routing disabled relay"},
    {"TransmissionDeviceRelay", "Transmission device relay"},
    {"Relay#Drive", "Relay #"},
    {"AcceptButton", "Accept key", Kind::Flag, "pressed", "released"},
    {"ResetButton", "Reset key", Kind::Flag, "pressed", "released"},
    {"BuzzerMuteButton", "Buzzer mute key", Kind::Flag, "pressed", "released"},
    {"SoundersStartStopButton", "Sounders start/stop key", Kind::Flag, "pressed", "released"},
    {"DelayOnOffButton", "Delay on/off key", Kind::Flag, "pressed", "released"},
    {"ItemSelectButton", "Item select key", Kind::Flag, "pressed", "released"},
    {"DisableTestNormalButton", "Disable/test/normal key", Kind::Flag, "pressed", "released"},
    {"LampTestButton", "Lamp test key", Kind::Flag, "pressed", "released"},
    {"Keyswitch", "Keyswitch"},
    {"CoverOffSwitch", "Cover", Kind::Flag, "off", "on"},
    {"PSUMainsInput", "Mains supply"},
    {"ChargerFault", "Charger fault signal"},
    {"AuxiliarySupplyFault", "Auxiliary supply fault signal"},
    {"Sounder#FaultInput", "Sounder circuit # line fault"},
    {"EarthHoldHigh", "Earth fault to positive"},
    {"EarthHoldLow", "Earth fault to negative"},
    {"DigitalInput#", "Digital input #", Kind::Flag, "active", "inactive"},
    {"FWPOvercurrent", "Fire brigade panel overcurrent"},
    {"FWP#Switch", "Fire brigade panel switch #"},
    {"FWP#LED", "Fire brigade panel indicator #"},
    {"VdSModeSelect", "VdS mode link", Kind::Flag, "fitted", "removed"},
    {"FourZonePanel", "Four-zone link", Kind::Flag, "fitted", "removed"},
    {"EightZonePanel", "Eight-zone link", Kind::Flag, "fitted", "removed"},
    {"CapEOLZone#", "Zone # capacitor end-of-line", Kind::Flag, "fitted", "removed"},
    {"ZoneAnalogueControl#", "Zone # line", Kind::Number},
    {"ZoneAnalogueValue#", "Zone # line", Kind::Number},
    {"VbattAnalogueValueBox", "Battery voltage", Kind::Number},
    {"VchrAnalogueValueBox", "Charger voltage", Kind::Number},
    {"VssAnalogueValueBox", "System supply voltage", Kind::Number},
    {"Relay#ValueBox", "Relay # line monitor", Kind::Number},
    {"TransmissionDeviceValueBox", "Transmission device line monitor", Kind::Number},
};

constexpr Entry variables[] = {
    {"zonesInFire", "Zones in fire", Kind::Zones, "in fire"},
    {"zonesFaultDetected", "Zones in fault", Kind::Zones, "in fault"},
    {"zonesAlarmDetected", "Zones with an alarm", Kind::Zones, "with an alarm"},
    {"zonesAlarmAcknowledged", "Zones acknowledged", Kind::Zones, "acknowledged"},
    {"systemFaults", "System faults", Kind::Number},
    {"systemFaults2", "Further system faults", Kind::Number},
    {"panelMode", "Panel mode", Kind::Number},
    {"sounderState", "Sounder state", Kind::Number},
    {"delayState", "Delay state", Kind::Number},
};

constexpr Entry configuration[] = {
    {"8", "Panel options", Kind::Number},
    {"13", "Digital input 1 function", Kind::Number},
    {"14", "Digital input 2 function", Kind::Number},
    {"15", "Delay options", Kind::Number},
    {"128", "Alarm counter hundreds", Kind::Number},
    {"129", "Alarm counter", Kind::Counter},
    {"130", "Disabled zones", Kind::Zones, "disabled"},
    {"131", "Zones in test", Kind::Zones, "in test"},
    {"132", "Output disablements", Kind::Number},
    {"255", "Configuration checksum", Kind::Number},
};

// The name with its first run of digits as '#', and those digits.
std::pair<std::string, std::string> Numbered(std::string_view name) {
  const size_t first = name.find_first_of("0123456789");
  if (first == std::string_view::npos) return {std::string(name), {}};
  const size_t end = std::min(name.size(), name.find_first_not_of("0123456789", first));
  return {std::string(name.substr(0, first)) + '#' + std::string(name.substr(end)),
          std::string(name.substr(first, end - first))};
}

std::string Replaced(std::string text, const std::string& number) {
  const size_t at = text.find('#');
  if (at != std::string::npos) text.replace(at, 1, number);
  return text;
}

template <size_t N>
std::optional<Entry> Find(const Entry (&table)[N], std::string_view name, std::string& number) {
  for (const Entry& entry : table) {
    if (entry.name == name) return entry;
  }
  const auto [pattern, digits] = Numbered(name);
  for (const Entry& entry : table) {
    if (entry.name != pattern) continue;
    number = digits;
    return entry;
  }
  return std::nullopt;
}

// Configuration addresses 0..7 are zones 1..8 and 9..12 outputs 1..4.
std::optional<Entry> ConfigEntry(int address, std::string& number) {
  if (address >= 0 && address < 8) {
    number = std::to_string(address + 1);
    return Entry{"", "Zone # options", Kind::Number};
  }
  if (address >= 9 && address <= 12) {
    number = std::to_string(address - 8);
    return Entry{"", "Output # options", Kind::Number};
  }
  const std::string key = std::to_string(address);
  for (const Entry& entry : configuration) {
    if (entry.name == key) return entry;
  }
  return std::nullopt;
}

// "SystemFaultLED" as "System fault LED", "Zone3" as "Zone 3".
std::string Words(std::string_view name) {
  std::vector<std::string> words;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const char before = i ? name[i - 1] : ' ';
    const char after = i + 1 < name.size() ? name[i + 1] : ' ';
    const bool lowerToUpper = std::islower(before) && std::isupper(c);
    const bool acronymEnds = std::isupper(before) && std::isupper(c) && std::islower(after);
    const bool digits = std::isdigit(c) != std::isdigit(before) && std::isalnum(before);
    if (words.empty() || lowerToUpper || acronymEnds || digits || c == '_') words.emplace_back();
    if (c != '_') words.back() += c;
  }
  std::string text;
  for (std::string& word : words) {
    const bool acronym = word.size() > 1 && std::isupper(word[1]);
    if (!text.empty() && !acronym) word[0] = char(std::tolower(word[0]));
    if (text.empty()) word[0] = char(std::toupper(word[0]));
    text += (text.empty() ? "" : " ") + word;
  }
  return text;
}

// A script target split into its kind of name, the name and a mask or index as written.
struct Parsed {
  enum class Of { Control, Var, Config, Port } of = Of::Control;
  std::string name;
  std::string qualifier;  // "&0x08" or "[2]" or ".tag", as written
};

Parsed Parse(std::string_view target) {
  Parsed parsed;
  const auto prefixed = [&](std::string_view prefix, Parsed::Of of) {
    if (target.substr(0, prefix.size()) != prefix) return false;
    target.remove_prefix(prefix.size());
    parsed.of = of;
    return true;
  };
  prefixed("var ", Parsed::Of::Var) || prefixed("config ", Parsed::Of::Config) || prefixed("port ", Parsed::Of::Port);
  if (parsed.of == Parsed::Of::Control && target.substr(0, 3) == "frm") {
    const size_t dot = target.find('.');
    if (dot != std::string_view::npos) target.remove_prefix(dot + 1);
  }
  const size_t split = target.find_first_of("&[.");
  parsed.name = std::string(target.substr(0, split));
  if (split != std::string_view::npos) parsed.qualifier = std::string(target.substr(split));
  return parsed;
}

std::optional<Entry> Lookup(const Parsed& parsed, std::string& number) {
  switch (parsed.of) {
    case Parsed::Of::Control: return Find(controls, parsed.name, number);
    case Parsed::Of::Var: return Find(variables, parsed.name, number);
    case Parsed::Of::Config: return ConfigEntry(std::atoi(parsed.name.c_str()), number);
    case Parsed::Of::Port: return std::nullopt;
  }
  return std::nullopt;
}

std::string FallbackName(const Parsed& parsed) {
  switch (parsed.of) {
    case Parsed::Of::Control: return Words(parsed.name);
    case Parsed::Of::Var: return "Firmware variable " + parsed.name;
    case Parsed::Of::Config: return "Configuration byte " + parsed.name;
    case Parsed::Of::Port: return "Board port " + parsed.name;
  }
  return parsed.name;
}

std::optional<int64_t> NumberOf(const std::string& value) {
  if (value.empty()) return std::nullopt;
  char* end = nullptr;
  const long long number = std::strtoll(value.c_str(), &end, 0);
  if (*end != '\0') return std::nullopt;
  return number;
}

std::string ZonesState(int64_t zones, const char* what) {
  std::string list;
  int count = 0;
  for (int zone = 0; zone < 8; ++zone) {
    if (!(zones >> zone & 1)) continue;
    list += (count++ ? ", " : "") + std::to_string(zone + 1);
  }
  if (count == 0) return std::string("No zone ") + what;
  return (count == 1 ? "Zone " : "Zones ") + list + ' ' + what;
}

int64_t FromBcd(int64_t bcd) { return (bcd >> 4 & 0x0F) * 10 + (bcd & 0x0F); }

}  // namespace

std::string NameOf(const std::string& target) {
  const Parsed parsed = Parse(target);
  std::string number;
  const std::optional<Entry> entry = Lookup(parsed, number);
  const std::string name = entry ? Replaced(entry->words, number) : FallbackName(parsed);
  if (parsed.qualifier.empty() || parsed.of == Parsed::Of::Control) return name;
  return name + " (" + parsed.qualifier + ")";
}

std::string StateOf(const std::string& target, const std::string& value) {
  const Parsed parsed = Parse(target);
  std::string number;
  const std::optional<Entry> entry = Lookup(parsed, number);
  const std::optional<int64_t> n = NumberOf(value);
  const bool whole = parsed.qualifier.empty() || parsed.of == Parsed::Of::Control;
  if (entry && n && whole) {
    const std::string name = Replaced(entry->words, number);
    if (entry->kind == Kind::Flag && (*n == 0 || *n == 1)) return name + ' ' + (*n ? entry->on : entry->off);
    if (entry->kind == Kind::Zones) return ZonesState(*n, entry->on);
    if (entry->kind == Kind::Counter) return name + " at " + std::to_string(FromBcd(*n));
  }
  return NameOf(target) + " = " + value;
}

std::string FlagState(const std::string& name, bool on) {
  std::string number;
  const std::optional<Entry> entry = Find(controls, name, number);
  if (!entry || entry->kind != Kind::Flag) return {};
  return Replaced(entry->words, number) + ' ' + (on ? entry->on : entry->off);
}

std::string Ohms(int32_t ohms) {
  if (ohms <= 0) return "0 Ω";
  // One significant figure when it is within 3 %, as a resistor is read; else two.
  const double magnitude = std::pow(10.0, std::floor(std::log10(double(ohms))));
  const double one = std::round(ohms / magnitude) * magnitude;
  const double tenth = magnitude / 10;
  const double value = std::abs(one - ohms) <= 0.03 * ohms ? one : std::round(ohms / tenth) * tenth;
  char text[32];
  if (value < 1000) {
    std::snprintf(text, sizeof text, "%.0f Ω", value);
  } else {
    std::snprintf(text, sizeof text, "%g kΩ", value / 1000);
  }
  return text;
}

std::string Volts(int32_t millivolts) {
  char text[32];
  std::snprintf(text, sizeof text, "%g V", std::round(millivolts / 100.0) / 10);
  return text;
}

}  // namespace plain
