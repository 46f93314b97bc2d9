#include "firmware/flash_timer.h"

#include "firmware/panel_state.h"

void FlashTimerTask() {}

