#include "firmware/inputs.h"

#include "firmware/panel_state.h"

void InputsTask() {}

