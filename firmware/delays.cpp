#include "firmware/delays.h"

#include "firmware/panel_state.h"

void DelayTask() {}

void CheckDelayCancel() {}

