#include "firmware/fire_brigade.h"

#include "firmware/panel_state.h"

void FwpCommandTask() {}

void FwpOutputTask() {}

