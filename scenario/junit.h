#pragma once
// The run as a JUnit XML report, as CI servers read it: one test case per
// script, a failure per failed expectation, an error per script that could
// not run.

#include <ostream>
#include <string>
#include <vector>

#include "scenario/results.h"

namespace scenario {

// Text with &, <, >, " and ' as XML entities; other control characters dropped.
std::string XmlEscaped(const std::string& text);

void WriteJunit(const std::vector<ScriptResult>& results, std::ostream& out);

}  // namespace scenario
