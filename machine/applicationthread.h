#pragma once
// The firmware thread: FirmwareStart once, then a pass and a 5 ms sleep until
// asked to stop. A pass in progress always completes.

#include <memory>

#include "board/worker_thread.h"

class TFireAlarmApplication : public WorkerThread {
 public:
  ~TFireAlarmApplication() override;
  // The board's factory for its firmware thread (created suspended).
  static std::unique_ptr<WorkerThread> Create();

 protected:
  void Execute() override;
};
