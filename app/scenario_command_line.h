#pragma once
// qx40-scenario's command line: its options read into the runner's, the
// shard chosen, then the scripts run in batch.

#include <ostream>
#include <string>
#include <vector>

#include "scenario/runner.h"

namespace scenario {

// qx40-scenario [--settings FILE] [--save FILE] [--trace FILE.vcd] [--log FILE.csv] SCRIPT...
// The options start from defaults (the front end's screenshot, say).
int RunCommandLine(const std::vector<std::string>& arguments, const RunOptions& defaults, std::ostream& out,
                   std::ostream& err);

}  // namespace scenario
