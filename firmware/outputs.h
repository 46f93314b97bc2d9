#pragma once
// Sounder and routing outputs with their line monitoring.

void UpdateOutputs();
