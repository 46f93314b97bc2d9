#include "scenario/junit.h"

#include <cstdio>

namespace scenario {

namespace {

std::string Fixed(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

// A CI server often shows only the message: it says where, and which
// requirement a failed measure missed.
std::string Message(const ScriptResult& result, const Problem& problem) {
  std::string message = result.script + (problem.line > 0 ? ":" + std::to_string(problem.line) : "") + ": ";
  for (const Measurement& m : result.measurements) {
    if (m.line != problem.line || m.Passed()) continue;
    message += "requirement \"" + m.requirement + "\" not met within " + Fixed(double(m.limitMs) / 1000.0) + " s: ";
    break;
  }
  return message + problem.message;
}

void WriteProblems(const ScriptResult& result, const std::vector<Problem>& problems, const char* element,
                   std::ostream& out) {
  for (const Problem& problem : problems) {
    const std::string message = XmlEscaped(Message(result, problem));
    out << "      <" << element << " message=\"" << message << "\" type=\"" << element << "\">" << message << "</"
        << element << ">\n";
  }
}

}  // namespace

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t') out += c;
    }
  }
  return out;
}

void WriteJunit(const std::vector<ScriptResult>& results, std::ostream& out) {
  size_t failures = 0, errors = 0;
  double seconds = 0;
  for (const ScriptResult& result : results) {
    failures += result.failures.empty() ? 0 : 1;
    errors += result.errors.empty() ? 0 : 1;
    seconds += result.wallSeconds;
  }
  const std::string counts = "tests=\"" + std::to_string(results.size()) + "\" failures=\"" + std::to_string(failures) +
                             "\" errors=\"" + std::to_string(errors) + "\" time=\"" + Fixed(seconds) + "\"";
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites " << counts << ">\n";
  out << "  <testsuite name=\"qx40-scenario\" " << counts << ">\n";
  for (const ScriptResult& result : results) {
    out << "    <testcase name=\"" << XmlEscaped(result.script) << "\" classname=\"qx40-scenario\" time=\""
        << Fixed(result.wallSeconds) << "\">\n";
    WriteProblems(result, result.failures, "failure", out);
    WriteProblems(result, result.errors, "error", out);
    out << "      <system-out>" << XmlEscaped(result.output) << "</system-out>\n    </testcase>\n";
  }
  out << "  </testsuite>\n</testsuites>\n";
}

}  // namespace scenario
