#include "firmware/zone_scanning.h"

#include "firmware/panel_state.h"

void ScanZone() {}

