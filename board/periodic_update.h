#pragma once
// The bridge between the board and the windows: the 10 ms board tick with its
// 20 ms and 50 ms updates, the tick flags that pace the firmware, and the board
// watchdog with its system fault latch. Qt-free: the windows plug in through
// BoardControls.

#include <atomic>
#include <cstdint>

class HardwareState;

// What the windows supply to the periodic update. The window thread owns the
// controls; every call here only reads or sets control states whole.
class BoardControls {
 public:
  virtual ~BoardControls() = default;
  // Copy controls into the board and board outputs onto the controls.
  virtual void Update20ms(HardwareState& board) = 0;
  virtual void Update50ms(HardwareState& board) = 0;
  // The watchdog has tripped: show the system fault and refresh the tone.
  virtual void WatchdogTripped() = 0;
};

constexpr int32_t watchdogIntervalMs = 100;
constexpr int32_t watchdogServiceAfterMs = 1198;  // restart only once past this
constexpr int32_t watchdogTripAfterMs = 2397;     // trip once past this (24 periods)
constexpr int32_t divider20msStart = 1;
constexpr int32_t divider50msStart = 4;

class PeriodicUpdate {
 public:
  // One 10 ms board tick: the due updates, each followed by its tick flag.
  void Tick();
  // One 100 ms period of the board watchdog (the window timer's handler).
  void WatchdogTimerTimer();
  // Operation 0: restart the watchdog once it has run long enough.
  bool ServiceWatchdog();

  // Fields of the hardware control window that the tick keeps.
  int32_t divider20ms = divider20msStart;
  int32_t divider50ms = divider50msStart;
  std::atomic<uint16_t> runCounter{0};
  std::atomic<bool> watchdogTripped{true};
  std::atomic<int32_t> watchdogPeriods{0};  // the Tag of WatchdogTimer
  BoardControls* controls = nullptr;

 private:
  void Update20ms(HardwareState& board);
  void Update50ms(HardwareState& board);
};

// The one periodic update of the process (the hardware control window's).
extern PeriodicUpdate periodicUpdate;

// Back to the start values of the window's creation.
void ResetPeriodicUpdate();
