#pragma once
// The tick thread: the board tick, every tenth one followed by the board
// watchdog's 100 ms period, then afterTick, every 10 ms until asked to stop.
// The watchdog rides on the tick so that nothing else wakes for it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

#include "board/worker_thread.h"

class PeriodicUpdate;

constexpr int64_t boardTickMs = 10;

class TTimerThread : public WorkerThread {
 public:
  explicit TTimerThread(PeriodicUpdate& update, std::function<void()> afterTick = {})
      : update_(update), afterTick_(std::move(afterTick)) {}
  ~TTimerThread() override;

  // Ticks run so far, afterTick's included: panel time in 10 ms units.
  int64_t Ticks() const { return ticks_.load(std::memory_order_relaxed); }

 protected:
  void Execute() override;

 private:
  PeriodicUpdate& update_;
  std::function<void()> afterTick_;
  std::atomic<int64_t> ticks_{0};
};
