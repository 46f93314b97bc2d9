#pragma once
// The firmware's variables by name, for tools that watch a running panel:
// every field of the panel state and of the modules' private states, named as
// the fields are. Read-only; no state of its own.

#include <cstdint>
#include <span>
#include <string_view>

struct FirmwareVariable {
  const char* name;
  const void* address;
  uint8_t elementSize;  // bytes: 1 or 2
  uint8_t count;        // elements: 1 for a scalar
};

std::span<const FirmwareVariable> FirmwareVariables();
// Null when no variable has that name.
const FirmwareVariable* FindFirmwareVariable(std::string_view name);
// Element index (0 for a scalar) as an unsigned number; index must be below count.
uint32_t ReadFirmwareVariable(const FirmwareVariable& variable, int index);
