#pragma once
// The two programmable digital inputs.

void InputsTask();
