#include "machine/stepper.h"

#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "machine/timerthread.h"

Stepper::Stepper(PeriodicUpdate& update, Firmware* runs) : firmware(runs), update_(update) {}

void Stepper::Start() {
  if (firmware) firmware->FirmwareStart();
}

void Stepper::Step() {
  nowMs_ += stepMs;
  if (nowMs_ % boardTickMs == 0) {
    update_.Tick();
    if (nowMs_ % watchdogIntervalMs == 0) update_.WatchdogTimerTimer();
    if (afterTick) afterTick();
  }
  if (!firmwareStalled && firmware) firmware->FirmwarePass();
}

void Stepper::Advance(int64_t ms) {
  for (int64_t steps = (ms + stepMs - 1) / stepMs; steps > 0; --steps) Step();
}
