#include "machine/applicationthread.h"

#include <chrono>
#include <thread>

#include "firmware/main_loop.h"
#include "machine/thread_name.h"

namespace {
constexpr auto passSleep = std::chrono::milliseconds(5);
}

TFireAlarmApplication::~TFireAlarmApplication() {
  Terminate();
  WaitFor();
}

std::unique_ptr<WorkerThread> TFireAlarmApplication::Create() { return std::make_unique<TFireAlarmApplication>(); }

void TFireAlarmApplication::Execute() {
  NameThisThread("qx40-firmware");
  {
    const std::lock_guard pass(pass_);
    FirmwareStart();
  }
  while (!Terminated()) {
    {
      const std::lock_guard pass(pass_);
      FirmwarePass();
    }
    std::this_thread::sleep_for(passSleep);
  }
}

void TFireAlarmApplication::BetweenPasses(const std::function<void()>& work) {
  const std::lock_guard pass(pass_);
  work();
}
