#pragma once
// A worker thread in the style the shell expects: created suspended by its
// owner, resumed once, asked to terminate, waited for, freed. Qt-free so the
// board can own the firmware thread.

#include <atomic>
#include <thread>

class WorkerThread {
 public:
  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Terminates and waits if the owner has not done so already.
  virtual ~WorkerThread();

  // Starts Execute on its own thread; a second call does nothing.
  void Resume();
  void Terminate() { terminated_.store(true, std::memory_order_release); }
  // Blocks until Execute has returned (immediately if never resumed).
  void WaitFor();
  bool Terminated() const { return terminated_.load(std::memory_order_acquire); }

 protected:
  virtual void Execute() = 0;

 private:
  std::atomic<bool> terminated_{false};
  std::thread thread_;
};
