#pragma once
// Auxiliary supply and earth fault monitors.

void AuxSupplyMonitor();
void EarthFaultMonitor();
