#pragma once
// Lamp test, buzzer and the alarm counter display.

void DriveBuzzer();
void UpdateAlarmCounterDisplay();
