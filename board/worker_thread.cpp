#include "board/worker_thread.h"

WorkerThread::~WorkerThread() {
  Terminate();
  WaitFor();
}

void WorkerThread::Resume() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] { Execute(); });
}

void WorkerThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}
