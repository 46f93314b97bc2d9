#include "firmware/power_supply.h"

#include "firmware/panel_state.h"

void MonitorPowerSupply() {}

