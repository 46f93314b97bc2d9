// The simulator without its windows: the board, its tick thread and its
// firmware thread, run until interrupted. Used only where the windows are not built.

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "machine/applicationthread.h"
#include "machine/timerthread.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"

namespace {
std::atomic<bool> stopRequested{false};
void RequestStop(int) { stopRequested = true; }
}  // namespace

int main() {
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  std::puts("QX40 Simulation: board and firmware running without windows; Ctrl-C stops.");

  PeriodicUpdate periodicUpdate;
  TTimerThread tick(periodicUpdate);
  tick.Resume();
  auto* board = new HardwareState(periodicUpdate);
  Firmware firmware(*board);
  board->firmwareThread = std::make_unique<TFireAlarmApplication>(firmware);
  periodicUpdate.boardInstance.store(board);
  board->StartFirmware();

  // The tick thread runs the watchdog's periods; this one only waits for a signal.
  while (!stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(watchdogIntervalMs));

  tick.Terminate();
  tick.WaitFor();
  periodicUpdate.boardInstance.store(nullptr);
  delete board;
  return 0;
}
