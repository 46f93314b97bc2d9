#pragma once
// A run as one self-contained HTML page an instructor can hand a trainee, on
// screen or printed on A4: per script the exercise, what it teaches, the
// trainee, the date, the duration and one overall result; a timeline with a
// time axis, the panel's main indications and outputs, the actions taken,
// the checkpoints, the messages shown and the pauses, all labelled in plain
// words; the checkpoints and the event log as tables. The script's own names
// and lines stay in a <details> element for the instructor. Several scripts
// also get a table of the measured requirements against their limits.

#include <ostream>
#include <vector>

#include "scenario/results.h"

namespace scenario {

void WriteHtmlReport(const std::vector<ScriptResult>& results, std::ostream& out);

}  // namespace scenario
