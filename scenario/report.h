#pragma once
// A run as one self-contained HTML page a trainer can open or print: a table
// of each measured requirement with its limit, the measured time and PASS or
// FAIL; per script an inline SVG timeline (the measured targets, the main
// indications and outputs, the actions taken and the checkpoints), the
// checkpoints judged and the event log.

#include <ostream>
#include <vector>

#include "scenario/results.h"

namespace scenario {

void WriteHtmlReport(const std::vector<ScriptResult>& results, std::ostream& out);

}  // namespace scenario
