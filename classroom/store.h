#pragma once
// A class's results kept in one SQLite file in write-ahead-log mode: every
// result is committed as it arrives, so a server killed at any moment keeps
// all it had answered for.

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace classroom {

struct Result {
  std::string trainee;
  std::string exercise;  // the exercise's file name
  std::string title;
  int64_t startedMs = 0;  // wall clock, ms since the epoch
  int64_t durationMs = 0;
  nlohmann::json checkpoints;  // [{"line","at_ms","text","requirement","reached","passed"}]
  std::string debrief;         // the debrief page, HTML
  std::string recording;       // the session's recording, a scenario script
};

class ResultStore {
 public:
  // Opens or creates the file and its table; throws std::runtime_error saying what failed.
  explicit ResultStore(const std::string& path);
  ~ResultStore();
  ResultStore(const ResultStore&) = delete;
  ResultStore& operator=(const ResultStore&) = delete;

  // The new result's id.
  int64_t Add(const Result& result);
  // Every result without its pages: [{"id","trainee","exercise","title","started","duration_ms","checkpoints"}].
  nlohmann::json Summaries() const;
  // The debrief page of one result; empty if there is none.
  std::string Debrief(int64_t id) const;
  // One row per checkpoint (a result with none: one row), RFC 4180.
  std::string Csv() const;

 private:
  void Execute(const char* sql) const;
  sqlite3* db_ = nullptr;
  std::string path_;
};

// Where the results are kept when --database is not given: $XDG_DATA_HOME/qx40 or ~/.local/share/qx40.
std::string DefaultDatabasePath();

}  // namespace classroom
