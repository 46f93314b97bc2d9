#include "firmware/monitors.h"

#include "firmware/panel_state.h"

void AuxSupplyMonitor() {}

void EarthFaultMonitor() {}

