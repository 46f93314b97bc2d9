#pragma once
// Zone scanning: one zone position per 20 ms tick, alarm and fault detection.

#include <cstdint>

enum class ZoneClass : uint8_t { Normal = 0, Fault = 1, Fire = 2 };
