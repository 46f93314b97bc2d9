#include "scenario/report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <string>

#include "machine/plain_words.h"
#include "scenario/junit.h"

namespace scenario {

namespace {

// The timeline's drawing units: it is scaled to the page's width, about
// 700 pixels on A4, so its text stays legible on paper.
constexpr int chartWidth = 800;
constexpr int labelWidth = 150;
constexpr int chartRight = chartWidth - 10;
constexpr int laneHeight = 16;
constexpr int barHeight = 10;
constexpr int labelRowHeight = 12;
constexpr int axisHeight = 26;
constexpr double labelCharWidth = 4.9;  // of the 10-pixel font, on average
constexpr size_t longestLabel = 44;
constexpr int64_t msPerMinute = 60'000;

constexpr const char* style =
    "body{font-family:sans-serif;margin:1.5em;color:#111}table{border-collapse:collapse;margin-bottom:1em}"
    "td,th{border:1px solid #999;padding:2px 6px;text-align:left;vertical-align:top}td.n{text-align:right}"
    ".PASS{background:#c8ecc8}.FAIL{background:#f4c0c0}.unreached{background:#eee}"
    ".verdict{font-size:1.2em;font-weight:bold;padding:.3em .6em;display:inline-block}"
    "dl.facts{display:grid;grid-template-columns:max-content auto;gap:2px 1em;margin:.5em 0}dl.facts dd{margin:0}"
    "svg{width:100%;height:auto;font-size:10px;margin-bottom:.5em}svg text{fill:#111}"
    "details{margin:1em 0}code{font-size:.95em}.legend{font-size:.85em;margin-top:0}"
    "@page{size:A4;margin:12mm}"
    "@media print{body{margin:0;font-size:9pt}td,th{padding:1px 4px}details{display:none}"
    "tr,svg{break-inside:avoid}h1,h2,h3{break-after:avoid;margin:.4em 0}}";

std::string Text(const std::string& text) { return XmlEscaped(text); }

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "1:05", or "1:02:05" from an hour on; with tenths "1:05.3".
std::string Clock(int64_t ms, bool tenths = false) {
  const int64_t seconds = ms / 1000;
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  std::string clock = text;
  if (tenths) clock += "." + std::to_string(ms % 1000 / 100);
  return clock;
}

std::string Seconds(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", double(ms) / 1000.0);
  return text;
}

// A span of time as a person says it: "15.2 s", "2 min", "1 min 30 s".
std::string Duration(int64_t ms) {
  char text[48];
  if (ms < msPerMinute) {
    std::snprintf(text, sizeof text, "%.1f s", double(ms) / 1000.0);
    return text;
  }
  const int64_t seconds = ms / 1000;
  if (seconds % 60 == 0) return std::to_string(seconds / 60) + " min";
  return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}

std::string LocalDateTime(int64_t wallMs) {
  const auto seconds = static_cast<std::time_t>(wallMs / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

bool Continues(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Characters, not bytes, of UTF-8 text.
size_t Length(const std::string& text) {
  return size_t(std::count_if(text.begin(), text.end(), [](char byte) { return !Continues(byte); }));
}

std::string Shortened(const std::string& text) {
  if (Length(text) <= longestLabel) return text;
  size_t cut = 0;
  for (size_t kept = 0; kept < longestLabel - 1; ++cut) kept += !Continues(text[cut]);
  while (cut < text.size() && Continues(text[cut])) ++cut;
  return text.substr(0, cut) + "…";
}

// ---- What a checkpoint says, in words ----

// TARGET and VALUE of a checkpoint, from its fields or its "TARGET = VALUE".
std::pair<std::string, std::string> TargetAndValue(const Checkpoint& c) {
  if (!c.target.empty()) return {c.target, c.expected};
  const size_t equals = c.text.rfind(" = ");
  if (equals == std::string::npos) return {c.text, {}};
  return {c.text.substr(0, equals), c.text.substr(equals + 3)};
}

std::string CheckpointWords(const Checkpoint& c) {
  const auto [target, value] = TargetAndValue(c);
  const std::string state = value.empty() ? plain::NameOf(target) : plain::StateOf(target, value);
  if (c.requirement.empty()) return state;
  std::string requirement = c.requirement;
  requirement[0] = char(std::toupper(static_cast<unsigned char>(requirement[0])));
  return requirement + ": " + state;
}

const Measurement* MeasurementOf(const ScriptResult& result, const Checkpoint& c) {
  for (const Measurement& m : result.measurements) {
    if (m.line == c.line) return &m;
  }
  return nullptr;
}

struct Tally {
  size_t passed = 0, failed = 0, unreached = 0;
  size_t Total() const { return passed + failed + unreached; }
};

Tally TallyOf(const ScriptResult& result) {
  Tally tally;
  for (const Checkpoint& c : result.checkpoints) {
    if (!c.reached) ++tally.unreached;
    else if (c.passed) ++tally.passed;
    else ++tally.failed;
  }
  return tally;
}

// The result on one line, and its class: PASS only when every checkpoint was
// reached and passed.
std::pair<const char*, std::string> Verdict(const ScriptResult& result) {
  const Tally tally = TallyOf(result);
  std::string counts = "passed " + std::to_string(tally.passed) + " of " + std::to_string(tally.Total()) + " checkpoints";
  if (tally.unreached) counts += ", " + std::to_string(tally.unreached) + " not reached";
  if (result.abandonedMs) return {"unreached", "Abandoned at " + Clock(*result.abandonedMs) + ": " + counts};
  if (!result.errors.empty()) return {"FAIL", "Could not run: " + result.errors.front().message};
  if (tally.Total() == 0) return {"unreached", "No checkpoints were judged"};
  if (tally.failed || tally.unreached) return {"FAIL", "FAIL: " + counts};
  return {"PASS", "PASS: " + counts};
}

// ---- The timeline ----

struct Scale {
  int64_t endMs;
  double X(int64_t ms) const {
    return labelWidth + double(std::clamp<int64_t>(ms, 0, endMs)) * (chartRight - labelWidth) / double(endMs);
  }
};

bool IsHigh(const std::string& value) { return value != "0" && value != "\"\"" && !value.empty(); }

// The spans a signal is high, those closer than two pixels joined: a lamp
// flashing for an hour is one bar marked as flashing, not thousands.
struct Span {
  int64_t fromMs, toMs;
  int pieces;
};

std::vector<Span> HighSpans(const Signal& signal, const Scale& scale) {
  const int64_t joinMs = 2 * scale.endMs / (chartRight - labelWidth);
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

std::string ValueAt(const Signal& signal, int64_t ms) {
  std::string value;
  for (const auto& [at, v] : signal.changes) {
    if (at > ms) break;
    value = v;
  }
  return value;
}

void LaneName(const std::string& name, int top, std::ostream& out) {
  out << "<text x=\"4\" y=\"" << top + barHeight - 1 << "\">" << Text(Shortened(name)) << "</text>\n";
}

void WriteSignalLane(const Signal& signal, const Scale& scale, int top, std::ostream& out) {
  const std::string name = plain::NameOf(signal.name);
  LaneName(name, top, out);
  for (const Span& span : HighSpans(signal, scale)) {
    const double x = scale.X(span.fromMs);
    const bool flashing = span.pieces > 1;
    const std::string value = ValueAt(signal, span.fromMs);
    out << "<rect x=\"" << x << "\" y=\"" << top << "\" width=\"" << std::max(1.0, scale.X(span.toMs) - x)
        << "\" height=\"" << barHeight << "\" fill=\"" << (flashing ? "#f0a09d" : "#d9534f") << "\"><title>"
        << Text((flashing ? name + " flashing" : plain::StateOf(signal.name, value)) + ", " + Clock(span.fromMs, true) +
                " to " + Clock(span.toMs, true))
        << "</title></rect>\n";
  }
}

// A measurement: a bar from its start to the answer, a dashed mark at its limit.
void WriteMeasurementLane(const Measurement& m, const Scale& scale, int top, std::ostream& out) {
  const double start = scale.X(m.startMs);
  const double end = scale.X(m.startMs + (m.measuredMs ? *m.measuredMs : m.limitMs));
  const double limit = scale.X(m.startMs + m.limitMs);
  LaneName(m.requirement, top, out);
  out << "<rect x=\"" << start << "\" y=\"" << top << "\" width=\"" << std::max(1.0, end - start) << "\" height=\""
      << barHeight << "\" fill=\"" << (m.Passed() ? "#5cb85c" : "#d9534f") << "\"><title>"
      << Text(m.requirement + ": " + (m.measuredMs ? Duration(*m.measuredMs) : "not reached") + ", limit " +
              Duration(m.limitMs))
      << "</title></rect>\n<line x1=\"" << limit << "\" x2=\"" << limit << "\" y1=\"" << top - 2 << "\" y2=\""
      << top + barHeight + 2 << "\" stroke=\"#111\" stroke-dasharray=\"3,2\"/>\n";
}

// A moment marked and labelled on the timeline: an action, a checkpoint or a message.
struct Mark {
  int64_t ms;
  std::string label;
  const char* colour;
};

// Labels go into the first of a lane's rows where they fit; one that fits
// nowhere is numbered, and listed under the chart.
struct MarkLane {
  const char* name;
  std::vector<Mark> marks;
  int rows;
};

struct Unlabelled {
  int number;
  const Mark* mark;
};

int MarkLaneHeight(const MarkLane& lane) { return barHeight + 2 + lane.rows * labelRowHeight + 4; }

void WriteMarkLane(const MarkLane& lane, const Scale& scale, int top, std::vector<Unlabelled>& unlabelled,
                   std::ostream& out) {
  LaneName(lane.name, top, out);
  std::vector<double> rowEnds(size_t(lane.rows), 0);
  for (const Mark& mark : lane.marks) {
    const double x = scale.X(mark.ms);
    out << "<rect x=\"" << x - 1 << "\" y=\"" << top << "\" width=\"3\" height=\"" << barHeight << "\" fill=\""
        << mark.colour << "\"/>\n";
    std::string label = Shortened(mark.label);
    // Near the right edge a label ends at its mark rather than starting there.
    auto left = [&](const std::string& text) {
      const double width = double(Length(text)) * labelCharWidth;
      return x + width < chartWidth ? x : x - width;
    };
    auto fits = [&](const std::string& text) {
      return std::find_if(rowEnds.begin(), rowEnds.end(), [&](double end) { return end < left(text); });
    };
    auto row = fits(label);
    if (row == rowEnds.end()) {
      label = std::to_string(unlabelled.size() + 1);
      row = fits(label);
      unlabelled.push_back({int(unlabelled.size() + 1), &mark});
      if (row == rowEnds.end()) continue;
    }
    const int y = top + barHeight + 2 + int(row - rowEnds.begin() + 1) * labelRowHeight - 2;
    const bool endsAtMark = left(label) < x;
    out << "<text x=\"" << x << "\" y=\"" << y << (endsAtMark ? "\" text-anchor=\"end\">" : "\">") << Text(label)
        << "</text>\n";
    *row = left(label) + double(Length(label)) * labelCharWidth + 4;
  }
}

// Steps for the axis ticks: at least 60 pixels apart.
int64_t TickStep(int64_t endMs) {
  constexpr int64_t steps[] = {1'000,   2'000,   5'000,   10'000,    15'000,    30'000,    60'000,
                               120'000, 300'000, 600'000, 900'000, 1'800'000, 3'600'000, 7'200'000};
  const double pixelsPerMs = double(chartRight - labelWidth) / double(endMs);
  for (int64_t step : steps) {
    if (double(step) * pixelsPerMs >= 60) return step;
  }
  return steps[std::size(steps) - 1];
}

void WriteAxis(const Scale& scale, int top, std::ostream& out) {
  out << "<line x1=\"" << labelWidth << "\" x2=\"" << chartRight << "\" y1=\"" << top << "\" y2=\"" << top
      << "\" stroke=\"#444\"/>\n<text x=\"4\" y=\"" << top + 14 << "\">time (min:s)</text>\n";
  const int64_t step = TickStep(scale.endMs);
  for (int64_t ms = 0; ms <= scale.endMs; ms += step) {
    const double x = scale.X(ms);
    out << "<line x1=\"" << x << "\" x2=\"" << x << "\" y1=\"" << top << "\" y2=\"" << top + 4
        << "\" stroke=\"#444\"/>\n<text x=\"" << x << "\" y=\"" << top + 15 << "\" text-anchor=\"middle\">"
        << Clock(ms) << "</text>\n";
  }
}

std::vector<Mark> ActionMarks(const ScriptResult& result) {
  constexpr std::string_view key = "Key: ";
  std::vector<Mark> marks;
  for (const PanelEvent& event : result.events) {
    const bool isKey = event.category == EventCategory::Operator && event.text.starts_with(key);
    if (isKey) marks.push_back({event.panelMs, event.text.substr(key.size()), "#1f5f99"});
    if (event.category == EventCategory::Hardware) marks.push_back({event.panelMs, event.text, "#1f5f99"});
  }
  return marks;
}

std::vector<Mark> CheckpointMarks(const ScriptResult& result) {
  std::vector<Mark> marks;
  for (const Checkpoint& c : result.checkpoints) {
    if (!c.reached) continue;
    marks.push_back({c.atMs, (c.passed ? "✓ " : "✗ ") + CheckpointWords(c), c.passed ? "#2d7a2d" : "#b52b27"});
  }
  return marks;
}

std::vector<Mark> SaidMarks(const ScriptResult& result) {
  std::vector<Mark> marks;
  for (const Said& said : result.said) marks.push_back({said.atMs, "“" + said.text + "”", "#6a3d9a"});
  return marks;
}

void WriteTimeline(const ScriptResult& result, std::ostream& out) {
  const int64_t endMs = std::max<int64_t>({result.endMs, result.abandonedMs.value_or(0), 1});
  const Scale scale{endMs};
  std::vector<MarkLane> markLanes = {{"Actions", ActionMarks(result), 3}, {"Checkpoints", CheckpointMarks(result), 2}};
  if (!result.said.empty()) markLanes.push_back({"Messages", SaidMarks(result), 2});
  int height = int(result.timeline.size() + result.measurements.size()) * laneHeight + axisHeight + 8;
  for (const MarkLane& lane : markLanes) height += MarkLaneHeight(lane);
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " << chartWidth << ' ' << height
      << "\" role=\"img\" aria-label=\"Timeline of the exercise: the panel's indications and outputs, the actions, "
         "the checkpoints and the pauses over time\">\n";
  int top = 4;
  const int lanesTop = top;
  for (const Signal& signal : result.timeline) {
    WriteSignalLane(signal, scale, top, out);
    top += laneHeight;
  }
  for (const Measurement& m : result.measurements) {
    WriteMeasurementLane(m, scale, top, out);
    top += laneHeight;
  }
  std::vector<Unlabelled> unlabelled;
  for (const MarkLane& lane : markLanes) {
    WriteMarkLane(lane, scale, top, unlabelled, out);
    top += MarkLaneHeight(lane);
  }
  for (const Pause& pause : result.pauses) {
    const double x = scale.X(pause.fromMs);
    out << "<rect x=\"" << x << "\" y=\"" << lanesTop << "\" width=\"" << std::max(1.0, scale.X(pause.toMs) - x)
        << "\" height=\"" << top - lanesTop << "\" fill=\"#000\" fill-opacity=\"0.1\"/>\n<text x=\"" << x + 2
        << "\" y=\"" << top - 2 << "\">paused " << Clock(pause.toMs - pause.fromMs) << "</text>\n";
  }
  if (result.abandonedMs) {
    const double x = scale.X(*result.abandonedMs);
    out << "<line x1=\"" << x << "\" x2=\"" << x << "\" y1=\"" << lanesTop << "\" y2=\"" << top
        << "\" stroke=\"#111\" stroke-width=\"2\"/>\n";
  }
  WriteAxis(scale, top + 2, out);
  out << "</svg>\n<p class=\"legend\">Dark bar: on; light bar: flashing; dashed line: a measure's limit; "
         "✓ passed, ✗ failed; grey: paused.</p>\n";
  if (unlabelled.empty()) return;
  out << "<p>Marks numbered on the timeline:</p>\n<ol>\n";
  for (const Unlabelled& u : unlabelled) {
    out << "<li value=\"" << u.number << "\">" << Clock(u.mark->ms, true) << ' ' << Text(u.mark->label) << "</li>\n";
  }
  out << "</ol>\n";
}

// ---- The tables ----

std::string TableHead(std::initializer_list<const char*> columns) {
  std::string head = "<table>\n<thead><tr>";
  for (const char* column : columns) head += std::string("<th scope=\"col\">") + column + "</th>";
  return head + "</tr></thead>\n<tbody>\n";
}

constexpr const char* tableEnd = "</tbody>\n</table>\n";

void Heading(int level, const std::string& text, std::ostream& out) {
  out << "<h" << level << '>' << Text(text) << "</h" << level << ">\n";
}

void WriteFacts(const ScriptResult& result, std::ostream& out) {
  if (!result.teaches.empty()) out << "<p>Teaches: " << Text(result.teaches) << "</p>\n";
  const auto [verdictClass, verdict] = Verdict(result);
  out << "<dl class=\"facts\">\n<dt>Exercise</dt><dd>" << Text(FileName(result.script)) << "</dd>\n";
  if (!result.trainee.empty()) out << "<dt>Trainee</dt><dd>" << Text(result.trainee) << "</dd>\n";
  if (result.startedWallMs != 0) out << "<dt>Date</dt><dd>" << LocalDateTime(result.startedWallMs) << "</dd>\n";
  out << "<dt>Duration</dt><dd>" << Clock(result.abandonedMs.value_or(result.endMs)) << "</dd>\n"
      << "<dt>Result</dt><dd><span class=\"verdict " << verdictClass << "\">" << Text(verdict) << "</span></dd>\n</dl>\n";
}

void WriteCheckpoints(const ScriptResult& result, int level, std::ostream& out) {
  if (result.checkpoints.empty()) return;
  Heading(level, "Checkpoints", out);
  out << TableHead({"time", "checkpoint", "result", "measured"});
  for (const Checkpoint& c : result.checkpoints) {
    const char* verdict = !c.reached ? "not reached" : c.passed ? "passed" : "failed";
    const char* rowClass = !c.reached ? "unreached" : c.passed ? "PASS" : "FAIL";
    const Measurement* m = MeasurementOf(result, c);
    std::string measured;
    if (m && c.reached) {
      measured = (m->measuredMs ? Duration(*m->measuredMs) : "not within the limit") + " (limit " + Duration(m->limitMs) + ")";
    }
    out << "<tr class=\"" << rowClass << "\"><td class=\"n\">" << (c.reached ? Clock(c.atMs, true) : "") << "</td><td>"
        << Text(CheckpointWords(c)) << "</td><td>" << verdict << "</td><td>" << Text(measured) << "</td></tr>\n";
  }
  out << tableEnd;
}

void WriteSaid(const ScriptResult& result, int level, std::ostream& out) {
  if (result.said.empty()) return;
  Heading(level, "Messages shown to the trainee", out);
  out << TableHead({"time", "message"});
  for (const Said& said : result.said) {
    out << "<tr><td class=\"n\">" << Clock(said.atMs, true) << "</td><td>" << Text(said.text) << "</td></tr>\n";
  }
  out << tableEnd;
}

void WriteEvents(const ScriptResult& result, int level, std::ostream& out) {
  if (result.events.empty()) return;
  Heading(level, "Event log", out);
  out << TableHead({"time", "kind", "event"});
  for (const PanelEvent& event : result.events) {
    out << "<tr><td class=\"n\">" << Clock(event.panelMs, true) << "</td><td>" << CategoryName(event.category)
        << "</td><td>" << Text(event.text) << "</td></tr>\n";
  }
  out << tableEnd;
}

void WriteMeasurementRow(const ScriptResult& result, const Measurement& m, std::ostream& out) {
  const char* verdict = m.Passed() ? "PASS" : "FAIL";
  out << "<tr class=\"" << verdict << "\"><td>" << Text(m.requirement) << "</td><td class=\"n\">" << Seconds(m.limitMs)
      << "</td><td class=\"n\">" << (m.measuredMs ? Seconds(*m.measuredMs) : "not reached") << "</td><td>" << verdict
      << "</td><td>" << Text(FileName(result.script)) << ':' << m.line << "</td></tr>\n";
}

void WriteMeasurementTable(const std::vector<ScriptResult>& results, std::ostream& out) {
  out << TableHead({"requirement", "limit", "measured", "result", "where"});
  for (const ScriptResult& result : results) {
    for (const Measurement& m : result.measurements) WriteMeasurementRow(result, m, out);
  }
  out << tableEnd;
}

// The script's own names and lines, for whoever wrote or runs the exercise.
void WriteInstructorDetails(const ScriptResult& result, bool measurements, std::ostream& out) {
  out << "<details>\n<summary>For the instructor: the script's names and lines</summary>\n"
      << TableHead({"line", "time", "in the script", "in words"});
  for (const Checkpoint& c : result.checkpoints) {
    out << "<tr><td class=\"n\">" << Text(FileName(result.script)) << ':' << c.line << "</td><td class=\"n\">"
        << (c.reached ? Seconds(c.atMs) : "") << "</td><td><code>" << Text(c.text) << "</code></td><td>"
        << Text(CheckpointWords(c)) << "</td></tr>\n";
  }
  for (const Problem& p : result.failures) {
    out << "<tr><td class=\"n\">" << Text(FileName(result.script)) << ':' << p.line << "</td><td></td><td><code>"
        << Text(p.message) << "</code></td><td></td></tr>\n";
  }
  for (const Signal& signal : result.timeline) {
    out << "<tr><td></td><td></td><td><code>" << Text(signal.name) << "</code></td><td>" << Text(plain::NameOf(signal.name))
        << "</td></tr>\n";
  }
  out << tableEnd;
  if (measurements && !result.measurements.empty()) WriteMeasurementTable({result}, out);
  for (const Problem& p : result.errors) {
    out << "<p>" << Text(FileName(result.script)) << ':' << p.line << ": " << Text(p.message) << "</p>\n";
  }
  out << "</details>\n";
}

// One script's part of the page, its headings from level on.
void WriteScript(const ScriptResult& result, int level, bool single, std::ostream& out) {
  WriteFacts(result, out);
  Heading(level, "Timeline", out);
  WriteTimeline(result, out);
  WriteCheckpoints(result, level, out);
  WriteSaid(result, level, out);
  WriteEvents(result, level, out);
  WriteInstructorDetails(result, single, out);
}

std::string TitleOf(const ScriptResult& result) {
  return result.title.empty() ? FileName(result.script) : result.title;
}

}  // namespace

void WriteHtmlReport(const std::vector<ScriptResult>& results, std::ostream& out) {
  const bool single = results.size() == 1;
  const std::string title = single ? "Debrief: " + TitleOf(results.front()) : "QX40 report";
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" << Text(title)
      << "</title>\n<style>" << style << "</style>\n</head>\n<body>\n<main>\n";
  Heading(1, title, out);
  if (single) {
    WriteScript(results.front(), 2, true, out);
    out << "</main>\n</body>\n</html>\n";
    return;
  }
  size_t passedScripts = 0, measurements = 0;
  for (const ScriptResult& result : results) {
    passedScripts += std::string(Verdict(result).first) == "PASS";
    measurements += result.measurements.size();
  }
  out << "<p>" << results.size() << " scripts; " << passedScripts << " passed every checkpoint.</p>\n";
  if (measurements > 0) {
    Heading(2, "Response times", out);
    WriteMeasurementTable(results, out);
  }
  for (const ScriptResult& result : results) {
    out << "<section>\n";
    Heading(2, TitleOf(result), out);
    WriteScript(result, 3, false, out);
    out << "</section>\n";
  }
  out << "</main>\n</body>\n</html>\n";
}

}  // namespace scenario
