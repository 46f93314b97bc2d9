#pragma once
// Auxiliary supply and earth fault monitors.

#include <cstdint>

struct MonitorsState {
  uint8_t auxFaultCount = 0;
  uint8_t earthFaultCount = 0;
  // Bit 7 the earth test level driven (1 = high), bits 0-6 the agreement count.
  uint8_t earthTestState = 0;
  // Ticks since the test level last changed.
  uint8_t earthTestTimer = 0;
};

constexpr uint8_t earthLevelDriven = 0x80;
constexpr uint8_t earthAgreementMask = 0x7F;
constexpr uint8_t earthAgreementMax = 14;
constexpr uint8_t earthAgreementNeeded = 12;
constexpr uint8_t earthVerdictTicks = 30;
