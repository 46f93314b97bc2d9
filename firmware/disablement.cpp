#include "firmware/disablement.h"

#include "firmware/panel_state.h"

void TestZoneAutoReset() {}

void ClearOutputDisables() {}
