#pragma once
// Lamp test, buzzer and the alarm counter display.

#include <cstdint>

// counterDisplayTimer: 100..130 is the lamp test walk, 1..100 counts down to the next blanking.
constexpr uint8_t counterWalkStart = 130;
constexpr uint8_t counterShownTicks = 100;  // 5 s after a lamp test
constexpr uint8_t counterBlankTicks = 20;   // blanked again every 1 s at rest

// SET_COUNTER_DIGITS arguments: hundreds, tens, units nibbles; 0xF is blank.
constexpr uint16_t digitsBlank = 0xFFFF;
constexpr uint16_t digitsWalkHundreds = 0x8FF;
constexpr uint16_t digitsWalkTens = 0xF8F;
constexpr uint16_t digitsWalkUnits = 0xFF8;
