#pragma once
// The firmware's variables by name, for tools that watch a running panel:
// every field of the panel state and of the modules' private states, named as
// the fields are. Read-only; no state of its own.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

class Firmware;

// Which of the firmware's states holds a variable.
enum class FirmwarePart : uint8_t { Panel, Keys, Disablement, Monitors, FireBrigade };

struct FirmwareVariable {
  const char* name;
  FirmwarePart part;
  size_t offset;        // bytes into its part
  uint8_t elementSize;  // bytes: 1 or 2
  uint8_t count;        // elements: 1 for a scalar
};

std::span<const FirmwareVariable> FirmwareVariables();
// Null when no variable has that name.
const FirmwareVariable* FindFirmwareVariable(std::string_view name);
// Where the variable lives in that firmware.
const void* FirmwareVariableAddress(const Firmware& firmware, const FirmwareVariable& variable);
// Element index (0 for a scalar) as an unsigned number; index must be below count.
uint32_t ReadFirmwareVariable(const Firmware& firmware, const FirmwareVariable& variable, int index);
