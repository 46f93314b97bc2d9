#pragma once
// The fire brigade peripheral: its commands and its indicators.

void FwpCommandTask();
void FwpOutputTask();
