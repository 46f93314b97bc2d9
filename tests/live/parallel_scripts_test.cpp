// Several panels in one process: the scenario library run on threads, each
// script on a machine of its own with its settings in a directory of its
// own, reads exactly as the same run one script at a time. Run under
// ThreadSanitizer by tools/test.sh, where a state two machines shared would
// show as a race.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "board/settings_file.h"
#include "scenario/runner.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Library() {
  std::vector<std::string> scripts;
  for (const char* folder : {"", "en54"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(QX40_SCENARIOS_DIR) / folder)) {
      if (entry.path().extension() == ".qxs") scripts.push_back(entry.path().string());
    }
  }
  std::sort(scripts.begin(), scripts.end());
  return scripts;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ParallelScripts, ScriptsOnThreadsReportAsOneByOneAndKeepTheirSettingsApart) {
  const std::vector<std::string> library = Library();
  ASSERT_GT(library.size(), 3u);
  scenario::RunOptions one;
  one.save = "one.dat";
  scenario::RunOptions three = one;
  three.jobs = 3;
  three.save = "three.dat";
  std::ostringstream serial, parallel;
  const int code = scenario::RunScripts(library, one, serial);
  EXPECT_EQ(scenario::RunScripts(library, three, parallel), code);
  EXPECT_EQ(parallel.str(), serial.str());
  EXPECT_NE(serial.str().find(" passed, 0 failed"), std::string::npos) << serial.str();
  // The last script's panel, saved alike; nothing in the working directory.
  EXPECT_EQ(ReadFile("three.dat").size(), hardwareFileSize);
  EXPECT_EQ(ReadFile("three.dat"), ReadFile("one.dat"));
  EXPECT_FALSE(fs::exists(hardwareFileName));
}

}  // namespace
