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

std::string ValueAt(const Signal& signal, int64_t ms) {
  std::string value;
  for (const auto& [at, v] : signal.changes) {
    if (at > ms) break;
    value = v;
  }
  return value;
}

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

// The spans a signal is high, those closer than two pixels joined: a lamp
// flashing for an hour is one bar marked as flashing, not thousands.
struct Span {
  int64_t fromMs, toMs;
  int pieces;
};

std::vector<Span> HighSpans(const Signal& signal, const Scale& scale) {
  const int64_t joinMs = 2 * std::max<int64_t>(scale.endMs, 1) / (chartWidth - labelWidth);
  std::vector<Span> spans;
  for (size_t i = 0; i < signal.changes.size(); ++i) {
    const auto& [ms, value] = signal.changes[i];
    if (!IsHigh(value)) continue;
    const int64_t until = i + 1 < signal.changes.size() ? signal.changes[i + 1].first : scale.endMs;
    if (!spans.empty() && ms - spans.back().toMs <= joinMs) {
      spans.back().toMs = until;
      ++spans.back().pieces;
      continue;
    }
    spans.push_back({ms, until, 1});
  }
  return spans;
}

void WriteLane(const Signal& signal, const Scale& scale, int top, std::ostream& out) {
  out << "<text x=\"4\" y=\"" << top + barHeight - 2 << "\">" << XmlEscaped(signal.name) << "</text>\n";
  for (const Span& span : HighSpans(signal, scale)) {
    const double x = scale.X(span.fromMs);
    const bool flashing = span.pieces > 1;
    out << "<rect x=\"" << x << "\" y=\"" << top << "\" width=\"" << std::max(1.0, scale.X(span.toMs) - x)
        << "\" height=\"" << barHeight << "\" fill=\"" << (flashing ? "#f0a09d" : "#d9534f") << "\"><title>"
        << XmlEscaped(signal.name + (flashing ? " flashing" : " = " + ValueAt(signal, span.fromMs))) << ' '
        << Seconds(span.fromMs) << " to " << Seconds(span.toMs) << "</title></rect>\n";
  }
}

// Ticks at moments: the trainee's actions, or the checkpoints judged.
struct Tick {
  int64_t ms;
  std::string text;
  const char* colour;
};

void WriteTicks(const char* name, const std::vector<Tick>& ticks, const Scale& scale, int top, std::ostream& out) {
  out << "<text x=\"4\" y=\"" << top + barHeight - 2 << "\">" << name << "</text>\n";
  for (const Tick& tick : ticks) {
    const double x = scale.X(tick.ms);
    out << "<rect x=\"" << x - 1 << "\" y=\"" << top << "\" width=\"3\" height=\"" << barHeight << "\" fill=\""
        << tick.colour << "\"><title>" << Seconds(tick.ms) << ' ' << XmlEscaped(tick.text) << "</title></rect>\n";
  }
}

std::vector<Tick> ActionTicks(const ScriptResult& result) {
  std::vector<Tick> ticks;
  for (const PanelEvent& event : result.events) {
    const bool key = event.category == EventCategory::Operator && event.text.find(" key at level ") != std::string::npos;
    if (key || event.category == EventCategory::Hardware) ticks.push_back({event.panelMs, event.text, "#337ab7"});
  }
  return ticks;
}

std::vector<Tick> CheckpointTicks(const ScriptResult& result) {
  std::vector<Tick> ticks;
  for (const Checkpoint& c : result.checkpoints) {
    ticks.push_back({c.atMs, "line " + std::to_string(c.line) + ": " + c.text, c.passed ? "#5cb85c" : "#d9534f"});
  }
  return ticks;
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
  const std::vector<Tick> actions = ActionTicks(result);
  const std::vector<Tick> checkpoints = CheckpointTicks(result);
  const size_t lanes = result.timeline.size() + result.measurements.size() + 2;
  const int height = int(lanes) * laneHeight + axisHeight;
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << chartWidth << "\" height=\"" << height << "\">\n";
  int top = 4;
  for (const Signal& signal : result.timeline) {
    WriteLane(signal, scale, top, out);
    top += laneHeight;
  }
  for (const Measurement& m : result.measurements) {
    WriteMeasurementLane(m, scale, top, out);
    top += laneHeight;
  }
  WriteTicks("actions", actions, scale, top, out);
  top += laneHeight;
  WriteTicks("checkpoints", checkpoints, scale, top, out);
  top += laneHeight;
  out << "<line x1=\"" << labelWidth << "\" x2=\"" << chartWidth << "\" y1=\"" << top << "\" y2=\"" << top
      << "\" stroke=\"#666\"/>\n<text x=\"" << labelWidth << "\" y=\"" << top + 14 << "\">0</text>\n<text x=\""
      << chartWidth - 60 << "\" y=\"" << top + 14 << "\">" << Seconds(result.endMs) << "</text>\n</svg>\n";
}

void WriteCheckpoints(const ScriptResult& result, std::ostream& out) {
  if (result.checkpoints.empty()) return;
  out << "<table>\n<tr><th>time</th><th>checkpoint</th><th>result</th><th>line</th></tr>\n";
  for (const Checkpoint& c : result.checkpoints) {
    const char* verdict = c.passed ? "PASS" : "FAIL";
    out << "<tr class=\"" << verdict << "\"><td class=\"n\">" << Seconds(c.atMs) << "</td><td>" << XmlEscaped(c.text)
        << "</td><td>" << verdict << "</td><td class=\"n\">" << c.line << "</td></tr>\n";
  }
  out << "</table>\n";
}

void WriteEvents(const ScriptResult& result, std::ostream& out) {
  if (result.events.empty()) return;
  out << "<h4>Event log</h4>\n<table>\n<tr><th>time</th><th>category</th><th>event</th></tr>\n";
  for (const PanelEvent& event : result.events) {
    out << "<tr><td class=\"n\">" << Seconds(event.panelMs) << "</td><td>" << CategoryName(event.category)
        << "</td><td>" << XmlEscaped(event.text) << "</td></tr>\n";
  }
  out << "</table>\n";
}

template <class T, class Passed>
std::pair<size_t, size_t> Count(const std::vector<ScriptResult>& results, std::vector<T> ScriptResult::*list,
                                Passed passed) {
  size_t total = 0, good = 0;
  for (const ScriptResult& result : results) {
    total += (result.*list).size();
    good += size_t(std::count_if((result.*list).begin(), (result.*list).end(), passed));
  }
  return {good, total};
}

}  // namespace

void WriteHtmlReport(const std::vector<ScriptResult>& results, std::ostream& out) {
  const auto [checked, checks] = Count(results, &ScriptResult::checkpoints, [](const Checkpoint& c) { return c.passed; });
  const auto [passed, total] = Count(results, &ScriptResult::measurements, [](const Measurement& m) { return m.Passed(); });
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>QX40 report</title><style>" << style
      << "</style></head><body>\n<h1>QX40 report</h1>\n<p>" << results.size() << " script(s); " << checked << " of "
      << checks << " checkpoints passed; " << passed << " of " << total
      << " measured requirements within their limits.</p>\n";
  if (total > 0) {
    out << "<h2>Response times</h2>\n<table>\n"
        << "<tr><th>requirement</th><th>limit</th><th>measured</th><th>result</th><th>where</th></tr>\n";
    for (const ScriptResult& result : results) {
      for (const Measurement& m : result.measurements) WriteRow(result, m, out);
    }
    out << "</table>\n";
  }
  for (const ScriptResult& result : results) {
    out << "<h2>" << XmlEscaped(result.script) << "</h2>\n";
    WriteTimeline(result, out);
    WriteCheckpoints(result, out);
    WriteEvents(result, out);
  }
  out << "</body></html>\n";
}

}  // namespace scenario
