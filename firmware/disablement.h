#pragma once
// Disablement and test selection of zones and outputs.

#include <cstdint>

struct DisablementState {
  uint8_t zoneTestResetCount = 0;
};

// How long a disablement selection lasts after the last key: 20 s of 50 ms ticks.
constexpr uint16_t selectionTimeoutTicks = 400;

// selectedItem values.
constexpr uint8_t itemNothing = 0;
constexpr uint8_t itemAllOutputs = 1;
constexpr uint8_t itemFireRouting = 2;
constexpr uint8_t itemAllZones = 3;
constexpr uint8_t itemFirstZone = 4;  // 4 .. zone count + 3
constexpr uint8_t itemSounders = 12;
constexpr uint8_t itemRoutings = 13;
constexpr uint8_t itemFlaggedZones = 14;
