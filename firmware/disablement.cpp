#include "firmware/disablement.h"

#include "firmware/panel_state.h"

void TestZoneAutoReset() {}

uint8_t DisabledOrTestMask() { return 0; }

void ClearOutputDisables(uint8_t) {}
