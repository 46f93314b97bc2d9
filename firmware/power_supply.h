#pragma once
// Power supply, battery and charger monitoring, and the battery test cycle.

#include <cstdint>

// Supply thresholds in filtered units (eight readings, about 4.68 mV each).
constexpr uint16_t supplyTooHigh = 6197;          // 29.0 V, battery or charger
constexpr uint16_t batteryLowMainsFailed = 4594;  // 21.5 V
constexpr uint16_t batteryLowLevel = 4487;        // 21.0 V; also the charger-good level
constexpr uint16_t chargerTooLow = 3205;          // 15.0 V

// A battery out of range faults after 2 s whatever the fault timing.
constexpr uint8_t batteryRangeLimit = 40;

// batteryTestState
constexpr uint8_t chargerGood = 0x01;
constexpr uint8_t chargePhase = 0x02;
constexpr uint8_t onBattery = 0x04;
constexpr uint8_t mainsLossCountMask = 0xF8;  // bits 3-7
constexpr uint8_t mainsLossCountStep = 0x08;
constexpr uint8_t mainsLossLimit = 20;  // 1 s of 50 ms ticks

// Battery test cycle lengths in 50 ms ticks.
constexpr uint16_t firstChargeTicks = 10;
constexpr uint16_t goodChargeTicks = 1760;  // 88 s
constexpr uint16_t goodLoadTicks = 40;      // 2 s
constexpr uint16_t lowChargeTicks = 10;     // 0.5 s
constexpr uint16_t lowLoadTicks = 80;       // 4 s
