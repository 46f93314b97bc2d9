#include "machine/applicationthread.h"

#include <chrono>
#include <thread>

#include "firmware/firmware.h"
#include "machine/thread_name.h"

namespace {
constexpr auto passSleep = std::chrono::milliseconds(5);
}

TFireAlarmApplication::~TFireAlarmApplication() {
  Terminate();
  WaitFor();
}

void TFireAlarmApplication::Execute() {
  NameThisThread("qx40-firmware");
  {
    const std::lock_guard pass(pass_);
    firmware_.FirmwareStart();
  }
  while (!Terminated()) {
    {
      const std::lock_guard pass(pass_);
      firmware_.FirmwarePass();
    }
    std::this_thread::sleep_for(passSleep);
  }
}

void TFireAlarmApplication::BetweenPasses(const std::function<void()>& work) {
  const std::lock_guard pass(pass_);
  work();
}
