#include "classroom/store.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace classroom {
namespace {

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

constexpr const char* schema =
    "CREATE TABLE IF NOT EXISTS results ("
    " id INTEGER PRIMARY KEY, trainee TEXT NOT NULL, exercise TEXT NOT NULL, title TEXT NOT NULL,"
    " started_ms INTEGER NOT NULL, duration_ms INTEGER NOT NULL, checkpoints TEXT NOT NULL,"
    " debrief TEXT NOT NULL, recording TEXT NOT NULL)";

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Seconds(int64_t ms) {
  std::ostringstream out;
  out << ms / 1000 << '.' << (ms % 1000) / 100 << (ms % 100) / 10 << ms % 10;
  return out.str();
}

std::string UtcText(int64_t ms) {
  const auto seconds = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string Column(sqlite3_stmt* row, int column) {
  const auto* text = sqlite3_column_text(row, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

std::string DefaultDatabasePath() {
  const char* data = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::filesystem::path folder = data && *data ? std::filesystem::path(data)
                                               : std::filesystem::path(home ? home : ".") / ".local" / "share";
  return (folder / "qx40" / "classroom.sqlite").string();
}

ResultStore::ResultStore(const std::string& path) : path_(path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
    const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw std::runtime_error("cannot open the database " + path + ": " + reason +
                             "; give a writable file with --database FILE");
  }
  sqlite3_busy_timeout(db_, 2000);
  // The log's commits survive the process being killed; NORMAL syncs at checkpoints.
  Execute("PRAGMA journal_mode=WAL");
  Execute("PRAGMA synchronous=NORMAL");
  Execute(schema);
}

ResultStore::~ResultStore() { sqlite3_close(db_); }

void ResultStore::Execute(const char* sql) const {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) == SQLITE_OK) return;
  const std::string reason = error ? error : "unknown error";
  sqlite3_free(error);
  throw std::runtime_error("database " + path_ + ": " + reason);
}

int64_t ResultStore::Add(const Result& result) {
  sqlite3_stmt* raw = nullptr;
  sqlite3_prepare_v2(db_,
                     "INSERT INTO results (trainee, exercise, title, started_ms, duration_ms, checkpoints, debrief,"
                     " recording) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                     -1, &raw, nullptr);
  Statement insert(raw, sqlite3_finalize);
  const std::string checkpoints = result.checkpoints.dump();
  int column = 0;
  for (const std::string* text : {&result.trainee, &result.exercise, &result.title}) {
    sqlite3_bind_text(raw, ++column, text->c_str(), int(text->size()), SQLITE_TRANSIENT);
  }
  sqlite3_bind_int64(raw, ++column, result.startedMs);
  sqlite3_bind_int64(raw, ++column, result.durationMs);
  for (const std::string* text : {&checkpoints, &result.debrief, &result.recording}) {
    sqlite3_bind_text(raw, ++column, text->c_str(), int(text->size()), SQLITE_TRANSIENT);
  }
  if (sqlite3_step(raw) != SQLITE_DONE) throw std::runtime_error("database " + path_ + ": " + sqlite3_errmsg(db_));
  return sqlite3_last_insert_rowid(db_);
}

nlohmann::json ResultStore::Summaries() const {
  sqlite3_stmt* raw = nullptr;
  sqlite3_prepare_v2(db_,
                     "SELECT id, trainee, exercise, title, started_ms, duration_ms, checkpoints FROM results ORDER BY id",
                     -1, &raw, nullptr);
  Statement select(raw, sqlite3_finalize);
  nlohmann::json list = nlohmann::json::array();
  while (sqlite3_step(raw) == SQLITE_ROW) {
    list.push_back({{"id", sqlite3_column_int64(raw, 0)},
                    {"trainee", Column(raw, 1)},
                    {"exercise", Column(raw, 2)},
                    {"title", Column(raw, 3)},
                    {"started", sqlite3_column_int64(raw, 4)},
                    {"duration_ms", sqlite3_column_int64(raw, 5)},
                    {"checkpoints", nlohmann::json::parse(Column(raw, 6), nullptr, false)}});
  }
  return list;
}

std::string ResultStore::Debrief(int64_t id) const {
  sqlite3_stmt* raw = nullptr;
  sqlite3_prepare_v2(db_, "SELECT debrief FROM results WHERE id = ?", -1, &raw, nullptr);
  Statement select(raw, sqlite3_finalize);
  sqlite3_bind_int64(raw, 1, id);
  return sqlite3_step(raw) == SQLITE_ROW ? Column(raw, 0) : std::string();
}

std::string ResultStore::Csv() const {
  std::string csv = "trainee,exercise,title,started_utc,duration_s,checkpoint,checkpoint_time_s,verdict\n";
  for (const nlohmann::json& result : Summaries()) {
    const std::string head = CsvField(result["trainee"]) + ',' + CsvField(result["exercise"]) + ',' +
                             CsvField(result["title"]) + ',' + UtcText(result["started"]) + ',' +
                             Seconds(result["duration_ms"]) + ',';
    const nlohmann::json& points = result["checkpoints"];
    if (!points.is_array() || points.empty()) csv += head + ",,\n";
    if (!points.is_array()) continue;
    for (const nlohmann::json& point : points) {
      const bool reached = point.value("reached", true);
      const std::string verdict = !reached ? "not reached" : point.value("passed", false) ? "passed" : "failed";
      const std::string label = point.value("requirement", "").empty() ? point.value("text", "") : point.value("requirement", "");
      csv += head + CsvField(label) + ',' + Seconds(point.value("at_ms", int64_t(0))) + ',' + verdict + '\n';
    }
  }
  return csv;
}

}  // namespace classroom
