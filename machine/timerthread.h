#pragma once
// The tick thread: the board tick, every tenth one followed by the board
// watchdog's 100 ms period, then afterTick, every 10 ms until asked to stop.
// The watchdog rides on the tick so that nothing else wakes for it.

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

 protected:
  void Execute() override;

 private:
  PeriodicUpdate& update_;
  std::function<void()> afterTick_;
};
