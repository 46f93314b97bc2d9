#pragma once
// The firmware's two entry points and the routines several tasks share.

void FirmwareStart();
void FirmwarePass();
void FilterReference();
void ProgramCheckStep();
void RunProgramCheckPass();
void PanelReset();
