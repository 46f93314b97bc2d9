// Panel time against wall-clock time: the machine runs in real time, its tick
// and firmware threads, for a minute (or the seconds given as the argument),
// and the board ticks it ran, times 10 ms, are set against the elapsed time.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <unistd.h>

#include "machine/machine.h"

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  char scratch[] = "/tmp/qx40-drift-XXXXXX";
  if (!mkdtemp(scratch) || chdir(scratch) != 0) return 1;

  double wallMs = 0;
  double panelMs = 0;
  {
    Machine machine(BoardPacing::RealTime);
    // Counted from the first tick on, so start-up does not count as drift.
    while (machine.PanelTimeMs() == 0) std::this_thread::yield();
    const int64_t first = machine.PanelTimeMs();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    panelMs = double(machine.PanelTimeMs() - first);
    wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  std::filesystem::remove_all(scratch);

  std::printf("wall_time_ms %.1f\n", wallMs);
  std::printf("panel_time_ms %.1f\n", panelMs);
  std::printf("drift_ms %.1f\n", panelMs - wallMs);
  std::printf("drift_ms_per_minute %.1f\n", (panelMs - wallMs) * 60000.0 / wallMs);
  return 0;
}
