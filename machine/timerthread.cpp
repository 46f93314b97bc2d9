#include "machine/timerthread.h"

#include <chrono>
#include <thread>

#include "board/periodic_update.h"


TTimerThread::~TTimerThread() {
  Terminate();
  WaitFor();
}

// Paced by deadlines: each sleep lasts until the next 10 ms boundary, so panel
// time follows the wall clock instead of drifting by the tick's own run time.
// After a stall the missed boundaries are skipped, not made up in a burst.
void TTimerThread::Execute() {
  using Clock = std::chrono::steady_clock;
  constexpr auto period = std::chrono::milliseconds(boardTickMs);
  auto deadline = Clock::now();
  while (!Terminated()) {
    update_.Tick();
    if (afterTick_) afterTick_();
    ticks_.fetch_add(1, std::memory_order_relaxed);
    deadline += period;
    const auto now = Clock::now();
    if (deadline < now) deadline = now + period - (now - deadline) % period;
    std::this_thread::sleep_until(deadline);
  }
}
