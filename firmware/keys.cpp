#include "firmware/keys.h"

#include "firmware/panel_state.h"

void HandleFrontPanelKeys() {}

void AccessInputsTask() {}

void SelectionTimeoutTask() {}

