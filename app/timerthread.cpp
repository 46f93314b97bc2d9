#include "app/timerthread.h"

#include <chrono>
#include <thread>

#include "board/periodic_update.h"

namespace {
constexpr auto tickPeriod = std::chrono::milliseconds(10);
}

TTimerThread::~TTimerThread() {
  Terminate();
  WaitFor();
}

// Paced by deadlines: each sleep lasts until the next 10 ms boundary, so panel
// time follows the wall clock instead of drifting by the tick's own run time.
// After a stall the missed boundaries are skipped, not made up in a burst.
void TTimerThread::Execute() {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now();
  while (!Terminated()) {
    update_.Tick();
    deadline += tickPeriod;
    const auto now = Clock::now();
    if (deadline < now) deadline = now + tickPeriod - (now - deadline) % tickPeriod;
    std::this_thread::sleep_until(deadline);
  }
}
