#pragma once
// Disablement and test selection of zones and outputs.

void TestZoneAutoReset();
#include <cstdint>

uint8_t DisabledOrTestMask();
void ClearOutputDisables(uint8_t mask);
