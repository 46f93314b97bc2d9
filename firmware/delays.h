#pragma once
// Delays to outputs: a first stage to accept the alarm and a second stage to
// investigate it, together never longer than 600 s.

#include <cstdint>

// Ticks of 50 ms per step of each stage field, and the cap on both stages.
constexpr uint16_t firstStageStepTicks = 600;    // 30 s
constexpr uint16_t secondStageStepTicks = 1200;  // 1 min
constexpr uint16_t delayLimitTicks = 12000;      // 600 s
