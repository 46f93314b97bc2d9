#pragma once
// The firmware thread: FirmwareStart once, then a pass and a 5 ms sleep until
// asked to stop. A pass in progress always completes.

#include <functional>
#include <memory>
#include <mutex>

#include "board/worker_thread.h"

class Firmware;

class TFireAlarmApplication : public WorkerThread {
 public:
  // Created suspended; the firmware must outlive the thread.
  explicit TFireAlarmApplication(Firmware& firmware) : firmware_(firmware) {}
  ~TFireAlarmApplication() override;

  // Any thread: runs work between two firmware passes, never during one, so
  // that what it writes (configuration memory and its checksum) is never
  // half written under the firmware's feet.
  void BetweenPasses(const std::function<void()>& work);

 protected:
  void Execute() override;

 private:
  Firmware& firmware_;
  std::mutex pass_;  // held for each pass
};
