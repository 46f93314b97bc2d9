#pragma once
// Scripts run on worker threads, a few at a time, each on a machine of its
// own, their results handed back in the scripts' order so that the report
// reads as a serial run's.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "scenario/results.h"

namespace scenario {

// Runs run(I) for each script I, at most jobs at once, each on a thread, and
// gives each result to done, on the calling thread, in index order.
void RunOnThreads(const std::vector<std::string>& scripts, int jobs, const std::function<ScriptResult(size_t)>& run,
                  const std::function<void(ScriptResult)>& done);

}  // namespace scenario
