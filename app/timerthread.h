#pragma once
// The tick thread: the board tick every 10 ms until asked to stop.

#include "board/worker_thread.h"

class PeriodicUpdate;

class TTimerThread : public WorkerThread {
 public:
  explicit TTimerThread(PeriodicUpdate& update) : update_(update) {}
  ~TTimerThread() override;

 protected:
  void Execute() override;

 private:
  PeriodicUpdate& update_;
};
