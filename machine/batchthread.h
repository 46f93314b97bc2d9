#pragma once
// The board on one thread for a laptop on battery: every 40 ms the stepper
// runs the 5 ms steps that wall time owes since the start, so the board's
// routines run in the stepper's order with one wake-up where the tick and
// firmware threads take thirty. Another thread can catch the board up at
// once, before it applies input, so that the input lands at its moment.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "board/worker_thread.h"

class Stepper;

class BatchThread : public WorkerThread {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr auto batchPeriod = std::chrono::milliseconds(40);

  // Panel time starts at the stepper's present time, now.
  explicit BatchThread(Stepper& stepper, Clock::time_point start = Clock::now());
  ~BatchThread() override;

  // Any thread: the steps owed at now, then work, with no step beside it.
  void CaughtUp(const std::function<void()>& work = {}, Clock::time_point now = Clock::now());

 protected:
  void Execute() override;

 private:
  // Under the lock: runs the steps owed at now, skipping what is more than
  // a second behind (a suspended laptop), as the tick thread does.
  void RunOwed(Clock::time_point now);
  int64_t OwedSteps(Clock::time_point now) const;

  Stepper& stepper_;
  Clock::time_point start_;
  int64_t startMs_;
  mutable std::mutex steps_;
  std::condition_variable stop_;
};
