#include "firmware/buzzer_display.h"

#include "firmware/panel_state.h"

void DriveBuzzer() {}

void UpdateAlarmCounterDisplay() {}

bool LampTestActive() { return false; }
