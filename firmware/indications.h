#pragma once
// Indications: the LED images, rebuilt from zero every 20 ms.

#include <cstdint>

void UpdateIndications();
// The statusLeds bit of common indicator n (0..15).
uint16_t IndicatorBit(uint8_t n);
// The last 5 s of a delay stage.
bool DelayFinalPhase();
