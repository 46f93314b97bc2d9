#include "machine/stepper.h"

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "machine/timerthread.h"

Stepper::Stepper(PeriodicUpdate& update, Firmware* runs) : firmware(runs), update_(update) {}

void Stepper::Start() {
  if (firmware) firmware->FirmwareStart();
}

void Stepper::Step() {
  const int64_t now = nowMs_.load(std::memory_order_relaxed) + stepMs;
  nowMs_.store(now, std::memory_order_relaxed);
  if (now % boardTickMs == 0) {
    update_.Tick();
    if (now % watchdogIntervalMs == 0) update_.WatchdogTimerTimer();
    if (afterTick) afterTick();
  }
  // Most steps raise no tick flag: their pass would take none and change nothing.
  if (firmwareStalled || !firmware || PassFindsNothing(firmware->board())) return;
  firmware->FirmwarePass();
}

void Stepper::Advance(int64_t ms) {
  for (int64_t steps = (ms + stepMs - 1) / stepMs; steps > 0; --steps) Step();
}
