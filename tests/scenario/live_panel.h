#pragma once
// A stepped panel with an exercise on it, looked at every 20 ms as the
// desktop's timer does, and a trainee's hands on its front panel.

#include "machine/machine.h"
#include "scenario/runner.h"
#include "windows/maindisplay.h"

constexpr int64_t liveStepMs = 20;

// An exercise's hooks that hear its acting lines only.
inline scenario::ExerciseHooks Acting(std::function<void(const std::string& line)> acted) {
  scenario::ExerciseHooks hooks;
  hooks.acted = std::move(acted);
  return hooks;
}
constexpr int64_t keyHoldMs = 100;  // the firmware confirms a key on its third 20 ms sample

inline void Live(Machine& machine, scenario::Exercise& exercise, int64_t ms) {
  for (int64_t t = 0; t < ms; t += liveStepMs) {
    machine.Advance(liveStepMs);
    exercise.Advance();
  }
}

// The keyswitch turns on above its diagonal and off below it.
inline void TurnKey(Machine& machine, scenario::Exercise& exercise, bool on) {
  const int at = on ? 2 : 70;
  TfrmMainDisplay& front = machine.front();
  front.Keyswitch->MouseDown(MouseButton::Left, ssLeft, at, at);
  front.Keyswitch->MouseUp(MouseButton::Left, 0, at, at);
  Live(machine, exercise, 200);
}

inline void PressKey(Machine& machine, scenario::Exercise& exercise, TImageSelector* key, int64_t holdMs = keyHoldMs) {
  key->MouseDown(MouseButton::Left, ssLeft, 4, 4);
  Live(machine, exercise, holdMs);
  key->MouseUp(MouseButton::Left, 0, 4, 4);
  Live(machine, exercise, keyHoldMs);
}
