#pragma once
// Front-panel keys, keyswitch and cover input, access levels.

void HandleFrontPanelKeys();
void AccessInputsTask();
void SelectionTimeoutTask();
