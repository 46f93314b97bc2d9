#pragma once
// Zone scanning: one zone position per 20 ms tick, alarm and fault detection.

#include <cstdint>

enum class ZoneClass : uint8_t { Normal = 0, Fault = 1, Fire = 2 };

void ScanZone();
// Classifies the zone at zoneScanIndex.
ZoneClass ClassifyZone(uint8_t zoneBit, bool shortIsFire);
bool ReferenceHealthy();
uint16_t NormaliseReading(uint16_t reading);
// Scans of confirmation for the zone options' bits 4-5.
uint8_t AlarmConfirmLimit(uint8_t selector);
void CountAlarm();
