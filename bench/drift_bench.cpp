// Panel time against wall-clock time: the real tick thread and firmware
// thread run for a minute (or the seconds given as the argument), and the
// 50 ms updates the board counted, times 50 ms, are set against the elapsed time.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include <unistd.h>

#include "app/applicationthread.h"
#include "app/timerthread.h"
#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/board/fake_wiring.h"

namespace {

// The battery read-out is captioned once per 50 ms update.
class UpdateCounter : public CaptionControl {
 public:
  void SetCaption(const std::string&) override { count.fetch_add(1, std::memory_order_relaxed); }
  std::atomic<int64_t> count{0};
};

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  char scratch[] = "/tmp/qx40-drift-XXXXXX";
  if (!mkdtemp(scratch) || chdir(scratch) != 0) return 1;

  FakeWiring controls;
  UpdateCounter updates;
  controls.wiring.vbatt = &updates;
  periodicUpdate.wiring = &controls.wiring;
  TTimerThread tick(periodicUpdate);
  tick.Resume();
  auto board = std::make_unique<HardwareState>(TFireAlarmApplication::Create);
  boardInstance.store(board.get());
  board->StartFirmware();

  // Counted from the first update on, so start-up does not count as drift.
  while (updates.count.load() == 0) std::this_thread::yield();
  const int64_t first = updates.count.load();
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const int64_t counted = updates.count.load() - first;
  const auto wall = std::chrono::steady_clock::now() - start;

  tick.Terminate();
  tick.WaitFor();
  periodicUpdate.wiring = nullptr;
  board.reset();
  boardInstance.store(nullptr);
  std::filesystem::remove_all(scratch);

  const double wallMs = std::chrono::duration<double, std::milli>(wall).count();
  const double panelMs = double(counted) * 50.0;
  std::printf("wall_time_ms %.1f\n", wallMs);
  std::printf("panel_time_ms %.1f\n", panelMs);
  std::printf("drift_ms %.1f\n", panelMs - wallMs);
  std::printf("drift_ms_per_minute %.1f\n", (panelMs - wallMs) * 60000.0 / wallMs);
  return 0;
}
