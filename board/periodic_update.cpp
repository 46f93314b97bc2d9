#include "board/periodic_update.h"

#include "board/hardware_interface.h"

PeriodicUpdate periodicUpdate;

void ResetPeriodicUpdate() {
  periodicUpdate.divider20ms = divider20msStart;
  periodicUpdate.divider50ms = divider50msStart;
  periodicUpdate.runCounter.store(0);
  periodicUpdate.watchdogTripped.store(true);
  periodicUpdate.watchdogPeriods.store(0);
  periodicUpdate.controls = nullptr;
}

void PeriodicUpdate::Tick() {
  HardwareState* board = boardInstance.load(std::memory_order_acquire);
  if (divider20ms-- == 0) {
    divider20ms = divider20msStart;
    if (board) {
      Update20ms(*board);
      board->StorePort(portTick20ms, 1);
    }
  }
  if (divider50ms-- == 0) {
    divider50ms = divider50msStart;
    if (board) {
      Update50ms(*board);
      board->StorePort(portTick50ms, 1);
    }
  }
}

void PeriodicUpdate::Update20ms(HardwareState& board) {
  runCounter.fetch_add(2, std::memory_order_relaxed);
  if (controls) controls->Update20ms(board);
}

void PeriodicUpdate::Update50ms(HardwareState& board) {
  if (controls) controls->Update50ms(board);
}

void PeriodicUpdate::WatchdogTimerTimer() {
  const int32_t periods = watchdogPeriods.fetch_add(1, std::memory_order_relaxed) + 1;
  if (periods * watchdogIntervalMs <= watchdogTripAfterMs) return;
  watchdogTripped.store(true, std::memory_order_relaxed);
  if (controls) controls->WatchdogTripped();
}

bool PeriodicUpdate::ServiceWatchdog() {
  if (watchdogPeriods.load(std::memory_order_relaxed) * watchdogIntervalMs <= watchdogServiceAfterMs) return false;
  watchdogPeriods.store(0, std::memory_order_relaxed);
  return true;
}
