#include "scenario/results.h"

namespace scenario {

namespace {

// Numbers end in a space; a string is its length, a colon and its bytes.
void Put(std::ostream& out, int64_t number) { out << number << ' '; }
void Put(std::ostream& out, const std::string& text) { out << text.size() << ':' << text; }
void Put(std::ostream& out, const Problem& problem) {
  Put(out, problem.line);
  Put(out, problem.message);
}

bool Get(std::istream& in, int64_t& number) { return bool(in >> number) && in.get() == ' '; }
bool Get(std::istream& in, int& number) {
  int64_t wide = 0;
  if (!Get(in, wide)) return false;
  number = int(wide);
  return true;
}
bool Get(std::istream& in, std::string& text) {
  size_t size = 0;
  if (!(in >> size) || in.get() != ':') return false;
  text.resize(size);
  return bool(in.read(text.data(), std::streamsize(size)));
}
bool Get(std::istream& in, Problem& problem) { return Get(in, problem.line) && Get(in, problem.message); }

template <class T, class PutOne>
void PutList(std::ostream& out, const std::vector<T>& list, PutOne putOne) {
  Put(out, int64_t(list.size()));
  for (const T& item : list) putOne(item);
}

template <class T, class GetOne>
bool GetList(std::istream& in, std::vector<T>& list, GetOne getOne) {
  int64_t size = 0;
  if (!Get(in, size) || size < 0) return false;
  list.resize(size_t(size));
  for (T& item : list) {
    if (!getOne(item)) return false;
  }
  return true;
}

}  // namespace

void WriteResult(const ScriptResult& result, std::ostream& out) {
  Put(out, result.script);
  Put(out, result.title);
  Put(out, result.teaches);
  Put(out, result.trainee);
  Put(out, result.startedWallMs);
  Put(out, result.abandonedMs ? *result.abandonedMs : -1);
  PutList(out, result.pauses, [&](const Pause& p) {
    Put(out, p.fromMs);
    Put(out, p.toMs);
  });
  PutList(out, result.said, [&](const Said& s) {
    Put(out, s.atMs);
    Put(out, s.text);
  });
  Put(out, result.output);
  Put(out, result.passed);
  Put(out, result.failed);
  PutList(out, result.failures, [&](const Problem& p) { Put(out, p); });
  PutList(out, result.errors, [&](const Problem& p) { Put(out, p); });
  PutList(out, result.measurements, [&](const Measurement& m) {
    Put(out, m.line);
    Put(out, m.requirement);
    Put(out, m.startMs);
    Put(out, m.limitMs);
    Put(out, m.measuredMs ? *m.measuredMs : -1);
  });
  PutList(out, result.checkpoints, [&](const Checkpoint& c) {
    Put(out, c.line);
    Put(out, c.atMs);
    Put(out, c.text);
    Put(out, int64_t(c.passed));
    Put(out, int64_t(c.reached));
    Put(out, c.target);
    Put(out, c.expected);
    Put(out, c.requirement);
  });
  PutList(out, result.timeline, [&](const Signal& signal) {
    Put(out, signal.name);
    PutList(out, signal.changes, [&](const auto& change) {
      Put(out, change.first);
      Put(out, change.second);
    });
  });
  PutList(out, result.events, [&](const PanelEvent& event) {
    Put(out, event.panelMs);
    Put(out, event.wallMs);
    Put(out, int64_t(event.category));
    Put(out, event.text);
  });
  Put(out, result.endMs);
  Put(out, int64_t(result.wallSeconds * 1e6));
}

std::optional<ScriptResult> ReadResult(std::istream& in) {
  ScriptResult result;
  const auto getProblem = [&](Problem& p) { return Get(in, p); };
  const auto getMeasurement = [&](Measurement& m) {
    int64_t measured = 0;
    if (!(Get(in, m.line) && Get(in, m.requirement) && Get(in, m.startMs) && Get(in, m.limitMs) && Get(in, measured))) {
      return false;
    }
    if (measured >= 0) m.measuredMs = measured;
    return true;
  };
  const auto getCheckpoint = [&](Checkpoint& c) {
    int64_t passed = 0, reached = 0;
    if (!(Get(in, c.line) && Get(in, c.atMs) && Get(in, c.text) && Get(in, passed) && Get(in, reached) &&
          Get(in, c.target) && Get(in, c.expected) && Get(in, c.requirement))) {
      return false;
    }
    c.passed = passed != 0;
    c.reached = reached != 0;
    return true;
  };
  const auto getSignal = [&](Signal& signal) {
    return Get(in, signal.name) &&
           GetList(in, signal.changes, [&](auto& change) { return Get(in, change.first) && Get(in, change.second); });
  };
  const auto getEvent = [&](PanelEvent& event) {
    int64_t category = 0;
    if (!(Get(in, event.panelMs) && Get(in, event.wallMs) && Get(in, category) && Get(in, event.text))) return false;
    event.category = EventCategory(category);
    return category >= 0 && category <= int64_t(EventCategory::Hardware);
  };
  int64_t wallMicroseconds = 0, abandoned = -1;
  const auto getPause = [&](Pause& p) { return Get(in, p.fromMs) && Get(in, p.toMs); };
  const auto getSaid = [&](Said& s) { return Get(in, s.atMs) && Get(in, s.text); };
  const bool complete = Get(in, result.script) && Get(in, result.title) && Get(in, result.teaches) &&
                        Get(in, result.trainee) && Get(in, result.startedWallMs) && Get(in, abandoned) &&
                        GetList(in, result.pauses, getPause) && GetList(in, result.said, getSaid) &&
                        Get(in, result.output) && Get(in, result.passed) &&
                        Get(in, result.failed) && GetList(in, result.failures, getProblem) &&
                        GetList(in, result.errors, getProblem) && GetList(in, result.measurements, getMeasurement) &&
                        GetList(in, result.checkpoints, getCheckpoint) &&
                        GetList(in, result.timeline, getSignal) &&
                        GetList(in, result.events, getEvent) && Get(in, result.endMs) && Get(in, wallMicroseconds);
  if (!complete) return std::nullopt;
  result.wallSeconds = double(wallMicroseconds) / 1e6;
  if (abandoned >= 0) result.abandonedMs = abandoned;
  return result;
}

}  // namespace scenario
