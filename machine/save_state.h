#pragma once
// A panel in a file: the firmware's memory, the board, both windows' control
// values and the panel time, so that a panel restored from it runs on exactly
// as the original did from that moment.
//
// The file: "QX40STAT", then little-endian u16 format version, u16 zone count,
// u32 body length and u32 CRC-32 of the body, then the body. A file is read
// and checked whole before anything of the panel changes, and written beside
// its name and renamed over it, never half.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class Machine;

// What was wrong with a state file, naming the file.
class StateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr uint16_t stateFormatVersion = 1;

// The panel as it stands, as the bytes of a state file. Real time: the
// firmware's part is taken between its passes.
std::vector<uint8_t> CaptureState(Machine& machine);
// Checks the whole file, then sets the panel to it; `name` is the file's
// name for messages. Throws StateError with nothing changed.
void RestoreState(Machine& machine, const std::vector<uint8_t>& file, const std::string& name);

// The same through a file. Throw StateError.
void SaveStateFile(Machine& machine, const std::string& path);
void LoadStateFile(Machine& machine, const std::string& path);
