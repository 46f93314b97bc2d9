#include "firmware/outputs.h"

#include "firmware/panel_state.h"

void UpdateOutputs() {}

