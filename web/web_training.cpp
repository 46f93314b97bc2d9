#include "web/web_training.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "machine/machine.h"
#include "machine/session_recorder.h"
#include "scenario/report.h"
#include "scenario/runner.h"
#include "web/draw_list.h"

namespace {
namespace fs = std::filesystem;

// A name typed in the page, for the debrief and the recording: one line, trimmed.
std::string OneLine(const std::string& text) {
  std::string line = text;
  std::replace_if(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; }, ' ');
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

std::string Field(const char* name, const std::string& json) { return std::string(",\"") + name + "\":" + json; }
std::string Flag(bool on) { return on ? "true" : "false"; }

std::string CheckpointsJson(const std::vector<scenario::Checkpoint>& checkpoints) {
  std::string json = "[";
  for (const scenario::Checkpoint& point : checkpoints) {
    if (json.size() > 1) json += ',';
    json += "{\"line\":" + std::to_string(point.line) + Field("at_ms", std::to_string(point.atMs)) +
            Field("text", JsonString(point.text)) + Field("requirement", JsonString(point.requirement)) +
            Field("reached", Flag(point.reached)) + Field("passed", Flag(point.passed)) + "}";
  }
  return json + "]";
}

std::string ResultSummary(const std::string& file, const scenario::ScriptResult& result) {
  return "{\"file\":" + JsonString(file) + Field("title", JsonString(result.title)) +
         Field("trainee", JsonString(result.trainee)) + Field("started", std::to_string(result.startedWallMs)) +
         Field("duration_ms", std::to_string(result.endMs)) + Field("checkpoints", CheckpointsJson(result.checkpoints)) +
         "}";
}

}  // namespace

WebTraining::WebTraining() = default;
WebTraining::~WebTraining() = default;

std::string WebTraining::LibraryJson(const std::string& folder) {
  std::vector<fs::path> files;
  std::error_code failed;
  for (const auto& entry : fs::directory_iterator(folder, failed)) {
    if (entry.path().extension() == ".qxs") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::string json = "[";
  for (const fs::path& file : files) {
    const scenario::ScriptResult described = scenario::DescribeScript(file.string());
    const std::string title = described.title.empty() ? file.filename().string() : described.title;
    json += (json.size() > 1 ? ",{\"file\":" : "{\"file\":") + JsonString(file.filename().string()) +
            Field("title", JsonString(title)) + Field("teaches", JsonString(described.teaches)) + "}";
  }
  return json + "]";
}

std::string WebTraining::Start(const std::string& path, const std::string& trainee, Machine& machine, int64_t wallMs) {
  name_ = fs::path(path).stem().string();
  debriefFile_ = name_ + ".html";
  recordingFile_ = name_ + "-recording.qxs";
  said_.clear();
  debrief_.clear();
  endedText_.clear();
  resultJson_.clear();
  try {
    settingsFile_ = KeepStartSettings(recordingFile_);
    recorder_ = std::make_unique<SessionRecorder>(recordingFile_, settingsFile_);
  } catch (const std::exception& error) {
    return error.what();
  }
  recorder_->Attach(machine);
  const std::string name = OneLine(trainee);
  scenario::ExerciseHooks hooks;
  hooks.acted = [this](const std::string& line) {
    if (recorder_) recorder_->Line(line);
  };
  hooks.said = [this](const std::string& text) { said_ += text + '\n'; };
  hooks.trainee = name;
  hooks.startedWallMs = wallMs;
  auto exercise = std::make_unique<scenario::Exercise>(path, machine, std::move(hooks));
  if (!exercise->Loaded()) {
    std::string errors;
    for (const scenario::Problem& problem : exercise->Result().errors) {
      errors += fs::path(path).filename().string() + (problem.line ? ":" + std::to_string(problem.line) : "") +
                ": error: " + problem.message + "\n";
    }
    recorder_.reset();
    return errors;
  }
  const scenario::ScriptResult described = exercise->Result();
  recorder_->ExerciseHeader(described.title, described.teaches, name);
  exercise_ = std::move(exercise);
  return {};
}

void WebTraining::Advance() {
  if (exercise_ && !exercise_->Advance()) Finish();
}

void WebTraining::TogglePause() {
  if (!exercise_) return;
  exercise_->Progress().paused ? exercise_->Resume() : exercise_->Pause();
}

void WebTraining::Acted(const std::string& line) {
  if (recorder_) recorder_->Line(line);
}

void WebTraining::Abandon() {
  if (!exercise_) return;
  exercise_->Abandon();
  exercise_->Advance();
  Finish();
}

// The debrief written and the recording closed, ending at this moment as a replay will;
// nothing is left that holds the machine.
void WebTraining::Finish() {
  endedText_ = "Exercise " + scenario::ProgressText(name_, exercise_->Progress()) + " (ended)";
  std::ostringstream page;
  scenario::WriteHtmlReport({exercise_->Result()}, page);
  debrief_ = page.str();
  resultJson_ = ResultSummary(name_ + ".qxs", exercise_->Result());
  exercise_.reset();
  recorder_.reset();
}


std::string WebTraining::StatusJson() const {
  if (exercise_) {
    const scenario::ExerciseProgress progress = exercise_->Progress();
    return std::string("{\"state\":") + (progress.paused ? "\"paused\"" : "\"running\"") +
           Field("text", JsonString("Exercise " + scenario::ProgressText(name_, progress))) + "}";
  }
  if (debrief_.empty()) return "{\"state\":\"none\",\"text\":\"\"}";
  return "{\"state\":\"ended\"" + Field("text", JsonString(endedText_)) + Field("debrief", JsonString(debriefFile_)) +
         Field("recording", JsonString(recordingFile_)) + Field("settings", JsonString(settingsFile_)) + "}";
}
