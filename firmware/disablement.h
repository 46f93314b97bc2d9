#pragma once
// Disablement and test selection of zones and outputs.

void TestZoneAutoReset();
void ClearOutputDisables();
