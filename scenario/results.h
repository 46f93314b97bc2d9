#pragma once
// What one script's run gives: its report lines, its counts, its failures and
// errors by line, its measurements and, for the report, its timeline.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "machine/event_log.h"

namespace scenario {

struct Problem {
  int line;  // 0: the script as a whole
  std::string message;
};

struct Measurement {
  int line;
  std::string requirement;
  int64_t startMs;  // script time at which the measurement began
  int64_t limitMs;
  std::optional<int64_t> measuredMs;  // none: not reached within the limit
  bool Passed() const { return measuredMs && *measuredMs <= limitMs; }
};

// An expectation judged: an expect, a wait-until, a measure or an expect
// throughout. One that an abandoned exercise never reached is listed too.
struct Checkpoint {
  int line;
  int64_t atMs;      // script time at which it was judged
  std::string text;  // TARGET = VALUE as expected
  bool passed;
  bool reached = true;      // false: the exercise ended before it was judged
  std::string target{};       // TARGET as written
  std::string expected{};     // VALUE as written
  std::string requirement{};  // a measure's label; empty for the others
};

// A message the script showed the trainee, at its time.
struct Said {
  int64_t atMs;
  std::string text;
};

// A stretch of script time the exercise stood still.
struct Pause {
  int64_t fromMs, toMs;
};

// A measured target's values over the script, one entry per change.
struct Signal {
  std::string name;
  std::vector<std::pair<int64_t, std::string>> changes;
};

struct ScriptResult {
  std::string script;
  // From the script's header comment: "# Exercise: TITLE." and "# Teaches: ...".
  std::string title;
  std::string teaches;
  std::string trainee;                // as given; empty: not named
  int64_t startedWallMs = 0;          // wall clock at the start, ms since the epoch; 0: unknown
  std::optional<int64_t> abandonedMs;  // script time of an exercise's abandonment
  std::vector<Pause> pauses;
  std::vector<Said> said;
  std::string output;  // the script's report lines
  int passed = 0;
  int failed = 0;
  std::vector<Problem> failures;
  std::vector<Problem> errors;
  std::vector<Measurement> measurements;
  std::vector<Checkpoint> checkpoints;
  std::vector<Signal> timeline;
  std::vector<PanelEvent> events;  // the panel's event log, when asked for
  int64_t endMs = 0;        // the script's virtual time at its end
  double wallSeconds = 0;  // how long it took
};

}  // namespace scenario
