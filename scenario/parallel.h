#pragma once
// Scripts run in worker processes, a few at a time, their results handed
// back in the scripts' order so that the report reads as a serial run's.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "scenario/results.h"

namespace scenario {

// Runs run(I) for each script I, at most jobs at once, each in a process of
// its own, and gives each result to done in index order.
void RunInProcesses(const std::vector<std::string>& scripts, int jobs, const std::function<ScriptResult(size_t)>& run,
                    const std::function<void(ScriptResult)>& done);

}  // namespace scenario
