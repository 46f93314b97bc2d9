#pragma once
// What a trainee reads for the names the scripts and the panel's internals
// use: "Fire indication" for FireLED, "Zone 3 line" for ZoneAnalogueControl3,
// "Zones in fire" for var zonesInFire, "Alarm counter" for config 129. One
// table serves the event log, the debrief's lanes and its checkpoints.

#include <cstdint>
#include <string>

namespace plain {

// A target as a script writes it ("FireLED", "frmMainDisplay.FireLED",
// "var zonesInFire", "config 129", "port 0&0x10") in words. A name not in
// the table is split into words: "SystemFaultLED" becomes "System fault LED".
std::string NameOf(const std::string& target);

// That target holding a value, in words: "Sounders off", "Zone 3 in fire",
// "No zone in fire", "Fire indication on"; otherwise "NAME = VALUE".
std::string StateOf(const std::string& target, const std::string& value);

// The on and off words of a two-state control ("Mains supply on"); empty
// when the name has none.
std::string FlagState(const std::string& name, bool on);

// "4.7 kΩ", "500 Ω", "12 kΩ": a zone line as one reads a resistor.
std::string Ohms(int32_t ohms);
// "24 V", "27.6 V".
std::string Volts(int32_t millivolts);

}  // namespace plain
