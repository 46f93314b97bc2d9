#pragma once
// Power supply, battery and charger monitoring.

void MonitorPowerSupply();
