#pragma once
// Delays to outputs.

void DelayTask();
void CheckDelayCancel();
