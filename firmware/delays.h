#pragma once
#include <cstdint>
// Delays to outputs.

void DelayTask();
void CheckDelayCancel();
void SetDelaysOn(uint8_t on);
void StartExtendedDelay();
bool AllZonesOverrideDelays();
