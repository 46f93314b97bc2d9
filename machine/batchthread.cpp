#include "machine/batchthread.h"

#include <algorithm>

#include "machine/stepper.h"
#include "machine/thread_name.h"

namespace {
constexpr int64_t mostOwedSteps = 1000 / stepMs;
}

BatchThread::BatchThread(Stepper& stepper, Clock::time_point start)
    : stepper_(stepper), start_(start), startMs_(stepper.NowMs()) {}

BatchThread::~BatchThread() {
  {
    const std::lock_guard lock(steps_);
    Terminate();
  }
  stop_.notify_all();
  WaitFor();
}

void BatchThread::CaughtUp(const std::function<void()>& work, Clock::time_point now) {
  const std::lock_guard lock(steps_);
  RunOwed(now);
  if (work) work();
}

int64_t BatchThread::OwedSteps(Clock::time_point now) const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count();
  return std::max<int64_t>(0, (startMs_ + elapsed - stepper_.NowMs()) / stepMs);
}

void BatchThread::RunOwed(Clock::time_point now) {
  int64_t owed = OwedSteps(now);
  if (owed > mostOwedSteps) {
    start_ += std::chrono::milliseconds((owed - mostOwedSteps) * stepMs);
    owed = mostOwedSteps;
  }
  for (; owed > 0; --owed) stepper_.Step();
}

// Paced by deadlines like the tick thread; the wait ends early only to stop.
void BatchThread::Execute() {
  NameThisThread("qx40-batch");
  std::unique_lock lock(steps_);
  auto deadline = Clock::now();
  while (!Terminated()) {
    const auto now = Clock::now();
    RunOwed(now);
    deadline += batchPeriod;
    if (deadline < now) deadline = now + batchPeriod;
    stop_.wait_until(lock, deadline, [this] { return Terminated(); });
  }
}
