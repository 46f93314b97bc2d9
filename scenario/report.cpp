#include "scenario/report.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "scenario/junit.h"

namespace scenario {

namespace {

constexpr int chartWidth = 960;
constexpr int labelWidth = 220;
constexpr int laneHeight = 22;
constexpr int barHeight = 14;
constexpr int axisHeight = 20;

constexpr const char* style =
    "body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
    "td,th{border:1px solid #999;padding:3px 8px;text-align:left}td.n{text-align:right}"
    ".PASS{background:#c8ecc8}.FAIL{background:#f4c0c0}svg{font-size:11px;margin-bottom:1.5em}";

std::string Seconds(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", double(ms) / 1000.0);
  return text;
}

bool IsHigh(const std::string& value) { return value != "0" && value != "\"\""; }

struct Scale {
  int64_t endMs;
  double X(int64_t ms) const { return labelWidth + double(ms) * (chartWidth - labelWidth) / double(std::max<int64_t>(endMs, 1)); }
};

void WriteRow(const ScriptResult& result, const Measurement& m, std::ostream& out) {
  const char* verdict = m.Passed() ? "PASS" : "FAIL";
  out << "<tr class=\"" << verdict << "\"><td>" << XmlEscaped(m.requirement) << "</td><td class=\"n\">"
      << Seconds(m.limitMs) << "</td><td class=\"n\">" << (m.measuredMs ? Seconds(*m.measuredMs) : "not reached")
      << "</td><td>" << verdict << "</td><td>" << XmlEscaped(result.script) << ':' << m.line << "</td></tr>\n";
}

void WriteLane(const Signal& signal, const Scale& scale, int top, std::ostream& out) {
  out << "<text x=\"4\" y=\"" << top + barHeight - 2 << "\">" << XmlEscaped(signal.name) << "</text>\n";
  for (size_t i = 0; i < signal.changes.size(); ++i) {
    const auto& [ms, value] = signal.changes[i];
    const int64_t until = i + 1 < signal.changes.size() ? signal.changes[i + 1].first : scale.endMs;
    if (!IsHigh(value)) continue;
    const double x = scale.X(ms);
    out << "<rect x=\"" << x << "\" y=\"" << top << "\" width=\"" << std::max(1.0, scale.X(until) - x)
        << "\" height=\"" << barHeight << "\" fill=\"#d9534f\"><title>" << XmlEscaped(signal.name + " = " + value)
        << "</title></rect>\n";
  }
}

// A measurement: a bar from its start to the answer, a dashed mark at its limit.
void WriteMeasurementLane(const Measurement& m, const Scale& scale, int top, std::ostream& out) {
  const double start = scale.X(m.startMs);
  const double end = scale.X(m.startMs + (m.measuredMs ? *m.measuredMs : m.limitMs));
  const double limit = scale.X(m.startMs + m.limitMs);
  out << "<text x=\"4\" y=\"" << top + barHeight - 2 << "\">line " << m.line << "</text>\n"
      << "<rect x=\"" << start << "\" y=\"" << top << "\" width=\"" << std::max(1.0, end - start) << "\" height=\""
      << barHeight << "\" fill=\"" << (m.Passed() ? "#5cb85c" : "#d9534f") << "\"><title>"
      << XmlEscaped(m.requirement) << "</title></rect>\n"
      << "<line x1=\"" << limit << "\" x2=\"" << limit << "\" y1=\"" << top - 2 << "\" y2=\"" << top + barHeight + 2
      << "\" stroke=\"black\" stroke-dasharray=\"3,2\"/>\n";
}

void WriteTimeline(const ScriptResult& result, std::ostream& out) {
  const Scale scale{result.endMs};
  const size_t lanes = result.timeline.size() + result.measurements.size();
  const int height = int(lanes) * laneHeight + axisHeight;
  out << "<h3>" << XmlEscaped(result.script) << "</h3>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
      << chartWidth << "\" height=\"" << height << "\">\n";
  int top = 4;
  for (const Signal& signal : result.timeline) {
    WriteLane(signal, scale, top, out);
    top += laneHeight;
  }
  for (const Measurement& m : result.measurements) {
    WriteMeasurementLane(m, scale, top, out);
    top += laneHeight;
  }
  out << "<line x1=\"" << labelWidth << "\" x2=\"" << chartWidth << "\" y1=\"" << top << "\" y2=\"" << top
      << "\" stroke=\"#666\"/>\n<text x=\"" << labelWidth << "\" y=\"" << top + 14 << "\">0</text>\n<text x=\""
      << chartWidth - 60 << "\" y=\"" << top + 14 << "\">" << Seconds(result.endMs) << "</text>\n</svg>\n";
}

}  // namespace

void WriteHtmlReport(const std::vector<ScriptResult>& results, std::ostream& out) {
  size_t total = 0, passed = 0;
  for (const ScriptResult& result : results) {
    total += result.measurements.size();
    passed += size_t(std::count_if(result.measurements.begin(), result.measurements.end(),
                                   [](const Measurement& m) { return m.Passed(); }));
  }
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>QX40 response times</title><style>" << style
      << "</style></head><body>\n<h1>QX40 response times</h1>\n<p>" << passed << " of " << total
      << " measured requirements within their limits.</p>\n<table>\n"
      << "<tr><th>requirement</th><th>limit</th><th>measured</th><th>result</th><th>where</th></tr>\n";
  for (const ScriptResult& result : results) {
    for (const Measurement& m : result.measurements) WriteRow(result, m, out);
  }
  out << "</table>\n<h2>Timelines</h2>\n";
  for (const ScriptResult& result : results) {
    if (!result.measurements.empty()) WriteTimeline(result, out);
  }
  out << "</body></html>\n";
}

}  // namespace scenario
