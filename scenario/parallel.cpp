#include "scenario/parallel.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace scenario {

namespace {

// The results as they come in, any order, and the next script to start.
class Board {
 public:
  explicit Board(size_t count) : results_(count) {}

  std::optional<size_t> Take() {
    const std::lock_guard lock(mutex_);
    if (next_ == results_.size()) return std::nullopt;
    return next_++;
  }

  void Put(size_t index, ScriptResult result) {
    {
      const std::lock_guard lock(mutex_);
      results_[index] = std::move(result);
    }
    arrived_.notify_one();
  }

  ScriptResult Await(size_t index) {
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [&] { return results_[index].has_value(); });
    ScriptResult result = std::move(*results_[index]);
    results_[index].reset();
    return result;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::optional<ScriptResult>> results_;
  size_t next_ = 0;
};

// A script that throws is reported as an error of its own; the others run on.
ScriptResult RunOne(const std::function<ScriptResult(size_t)>& run, size_t index, const std::string& name) {
  try {
    return run(index);
  } catch (const std::exception& error) {
    ScriptResult broken;
    broken.script = name;
    broken.errors.push_back({0, error.what()});
    broken.output = name + ": error: " + error.what() + "\n";
    return broken;
  }
}

}  // namespace

void RunOnThreads(const std::vector<std::string>& scripts, int jobs, const std::function<ScriptResult(size_t)>& run,
                  const std::function<void(ScriptResult)>& done) {
  Board board(scripts.size());
  std::vector<std::thread> workers;
  const size_t count = std::min(scripts.size(), size_t(std::max(jobs, 1)));
  for (size_t i = 0; i < count; ++i) {
    workers.emplace_back([&] {
      while (const std::optional<size_t> index = board.Take()) board.Put(*index, RunOne(run, *index, scripts[*index]));
    });
  }
  for (size_t i = 0; i < scripts.size(); ++i) done(board.Await(i));
  for (std::thread& worker : workers) worker.join();
}

}  // namespace scenario
