#include "machine/applicationthread.h"

#include <chrono>

#include "firmware/firmware.h"
#include "machine/thread_name.h"

namespace {
constexpr auto passRest = std::chrono::milliseconds(5);
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
  {
    const std::lock_guard lock(jobsMutex_);
    ownId_ = std::this_thread::get_id();
    serving_ = true;
  }
  while (!Terminated()) {
    {
      const std::lock_guard pass(pass_);
      firmware_.FirmwarePass();
      if (afterPass_) afterPass_();
    }
    RestUntil(std::chrono::steady_clock::now() + passRest);
  }
  std::unique_lock lock(jobsMutex_);
  serving_ = false;
  RunJobs(lock);
}

// The rest between passes is kept whole, so that handed-in work changes
// nothing of the firmware's pace.
void TFireAlarmApplication::RestUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(jobsMutex_);
  do {
    RunJobs(lock);
  } while (handedIn_.wait_until(lock, deadline, [this] { return !jobs_.empty(); }));
}

void TFireAlarmApplication::RunJobs(std::unique_lock<std::mutex>& lock) {
  while (!jobs_.empty()) {
    Job* job = jobs_.front();
    jobs_.pop_front();
    lock.unlock();
    try {
      const std::lock_guard pass(pass_);
      (*job->work)();
    } catch (...) {
      job->failure = std::current_exception();
    }
    lock.lock();
    job->done = true;
    finished_.notify_all();
  }
}

void TFireAlarmApplication::BetweenPasses(const std::function<void()>& work) {
  std::unique_lock lock(jobsMutex_);
  if (std::this_thread::get_id() == ownId_) {
    lock.unlock();
    return work();  // between passes already
  }
  if (!serving_) {
    lock.unlock();
    const std::lock_guard pass(pass_);
    return work();
  }
  Job job{&work, nullptr};
  jobs_.push_back(&job);
  handedIn_.notify_one();
  finished_.wait(lock, [&job] { return job.done; });
  if (job.failure) std::rethrow_exception(job.failure);
}
