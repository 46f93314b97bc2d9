#pragma once
// A run's measurements as one self-contained HTML page: a table of each
// requirement with its limit, the measured time and PASS or FAIL, and per
// script an inline SVG timeline of the measured targets.

#include <ostream>
#include <vector>

#include "scenario/results.h"

namespace scenario {

void WriteHtmlReport(const std::vector<ScriptResult>& results, std::ostream& out);

}  // namespace scenario
