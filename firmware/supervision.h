#pragma once
// The fault filter every supervision task shares: a saturating count per
// condition that latches a fault flag when it reaches its limit.

#include <cstdint>

constexpr uint8_t faultLimit = 200;     // 10 s of 50 ms ticks
constexpr uint8_t fastFaultLimit = 20;  // 1 s, with fastFaultTiming

// Saturating counts, shared by every filter of the firmware.
inline uint8_t CountDown(uint8_t count) { return count ? uint8_t(count - 1) : 0; }
inline uint8_t CountUp(uint8_t count, uint8_t limit) { return count >= limit ? limit : uint8_t(count + 1); }
