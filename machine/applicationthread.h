#pragma once
// The firmware thread: FirmwareStart once, then a pass and a 5 ms rest until
// asked to stop. A pass in progress always completes. Work handed to it from
// other threads runs on it between two passes.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "board/worker_thread.h"

class Firmware;

class TFireAlarmApplication : public WorkerThread {
 public:
  // Created suspended; the firmware must outlive the thread. afterPass, if
  // given, runs on the thread after each pass, before the rest.
  explicit TFireAlarmApplication(Firmware& firmware, std::function<void()> afterPass = {})
      : firmware_(firmware), afterPass_(std::move(afterPass)) {}
  ~TFireAlarmApplication() override;

  // Any thread: runs work on the firmware thread between two passes, never
  // during one, and returns when it is done, passing on what it threw. What
  // it reads or writes (configuration memory and its checksum, the firmware's
  // variables) is then touched by the firmware's own thread alone. Before
  // the thread runs and after it has stopped, work runs at once.
  void BetweenPasses(const std::function<void()>& work);

 protected:
  void Execute() override;

 private:
  Firmware& firmware_;
  std::function<void()> afterPass_;
  struct Job {
    const std::function<void()>* work;
    std::exception_ptr failure;
    bool done = false;
  };
  // Runs the jobs handed in, then rests until the deadline or the next job.
  void RestUntil(std::chrono::steady_clock::time_point deadline);
  void RunJobs(std::unique_lock<std::mutex>& lock);

  std::mutex pass_;  // held for each pass and for work run at once
  std::mutex jobsMutex_;
  std::condition_variable handedIn_;
  std::condition_variable finished_;
  std::deque<Job*> jobs_;
  bool serving_ = false;  // the thread takes jobs; under jobsMutex_
  std::thread::id ownId_;  // the firmware thread, once it serves
};
