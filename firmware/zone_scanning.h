#pragma once
// Zone scanning: one zone position per 20 ms tick, alarm and fault detection.

void ScanZone();
