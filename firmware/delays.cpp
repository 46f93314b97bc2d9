#include "firmware/delays.h"

#include "firmware/panel_state.h"

void DelayTask() {}

void CheckDelayCancel() {}

void SetDelaysOn(uint8_t) {}

void StartExtendedDelay() {}

bool AllZonesOverrideDelays() { return false; }

