#pragma once
// Deterministic virtual time: the routines the tick thread, the window's
// watchdog timer and the firmware thread run, called in a fixed order in
// 5 ms steps. Nothing sleeps, so a run is the same every time.

#include <atomic>
#include <cstdint>
#include <functional>

class Firmware;
class PeriodicUpdate;

constexpr int64_t stepMs = 5;

class Stepper {
 public:
  explicit Stepper(PeriodicUpdate& update, Firmware* firmware = nullptr);
  // The firmware thread's start: FirmwareStart, once.
  void Start();
  // Adds 5 ms; then the board tick at every 10 ms, the watchdog period at
  // every 100 ms, afterTick, and one FirmwarePass.
  void Step();
  // Whole steps until at least ms have passed.
  void Advance(int64_t ms);
  // Any thread: the one that steps keeps it.
  int64_t NowMs() const { return nowMs_.load(std::memory_order_relaxed); }
  // A restored panel's time, a whole number of steps.
  void RestoreTime(int64_t nowMs) { nowMs_.store(nowMs, std::memory_order_relaxed); }

  // The firmware whose passes the steps run; none, none run.
  Firmware* firmware;
  // While set, steps leave out FirmwarePass, as a stalled firmware thread would.
  bool firmwareStalled = false;
  // Runs after each board tick (and the watchdog period that falls with it).
  std::function<void()> afterTick;

 private:
  PeriodicUpdate& update_;
  std::atomic<int64_t> nowMs_{0};
};
