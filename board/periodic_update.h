#pragma once
// The bridge between the board and the windows: the 10 ms board tick with its
// 20 ms and 50 ms updates, the tick flags that pace the firmware, and the board
// watchdog with its system fault latch. Qt-free: the windows plug in through
// BoardWiring.

#include <atomic>
#include <cstdint>

#include "board/board_wiring.h"

class HardwareState;

constexpr int32_t watchdogIntervalMs = 100;
constexpr int32_t watchdogServiceAfterMs = 1198;  // restart only once past this
constexpr int32_t watchdogTripAfterMs = 2397;     // trip once past this (24 periods)
constexpr int32_t divider20msStart = 1;
constexpr int32_t divider50msStart = 4;
constexpr int32_t fwp6HoldUpdates = 90000;  // 75 minutes of 50 ms updates

class PeriodicUpdate {
 public:
  // One 10 ms board tick: the due updates, each followed by its tick flag.
  void Tick();
  // One 100 ms period of the board watchdog (the window timer's handler).
  void WatchdogTimerTimer();
  // Operation 0: restart the watchdog once it has run long enough.
  bool ServiceWatchdog();
  // Whether ServiceWatchdog would restart the watchdog now.
  bool WatchdogServiceDue() const;
  // The counters and dividers back to where the window's creation sets them.
  void RestartCounters();
  // The next 20 ms update shows the matrix LEDs again, changed or not (after
  // the controls were set from elsewhere, as a restored panel sets them). Any thread.
  void ShowMatrixAgain() { shownMatrix_.store(noMatrixShown, std::memory_order_relaxed); }

  // Fields of the hardware control window that the tick keeps; atomic, as the
  // tick, the watchdog timer and the board's owner may each be on a thread.
  std::atomic<int32_t> divider20ms{divider20msStart};
  std::atomic<int32_t> divider50ms{divider50msStart};
  std::atomic<uint16_t> runCounter{0};
  std::atomic<bool> watchdogTripped{true};
  std::atomic<int32_t> watchdogPeriods{0};  // the Tag of WatchdogTimer
  // The windows' controls, published whole (wire them first); while null the
  // updates only pace the firmware.
  std::atomic<const BoardWiring*> wiring{nullptr};
  // The board the updates reach, published by its owner; while null they
  // only count.
  std::atomic<HardwareState*> boardInstance{nullptr};

 private:
  void Update20ms(HardwareState& board);
  void Update50ms(HardwareState& board);
  void ShowReadout(CaptionControl& readout, uint16_t level, int32_t& shown);

  // The supply levels the read-outs show; a caption is made only on a change.
  // Tick thread only, and none shown after a restart.
  int32_t shownBattery_ = noLevelShown;
  int32_t shownCharger_ = noLevelShown;
  static constexpr int32_t noLevelShown = -1;
  // The LED matrix bytes the zone and common LEDs show: the controls are set
  // only when they change. Written by the tick, and forgotten from any thread.
  static constexpr uint64_t noMatrixShown = ~uint64_t{0};
  std::atomic<uint64_t> shownMatrix_{noMatrixShown};
};

// The front panel's buzzer indicator: lit while the steady buzzer is on or a
// chirp was requested since the last call; takes the chirp request.
void UpdateInternalTone(HardwareState& board, ControlState& internalTone);
