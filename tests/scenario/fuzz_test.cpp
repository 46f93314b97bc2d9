// Seeded fuzzing of the runner's script handling: random and mangled lines
// end in a reported error with its line number, never a crash or a hang.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "scenario/runner.h"
#include "scenario/script.h"
#include "tests/scenario/mangler.h"

using fuzz::Mangler;
using fuzz::Quick;

TEST(ScenarioFuzz, TheParserOnlyEverReportsScriptErrors) {
  Mangler mangler(20240611);
  for (int i = 0; i < 20000; ++i) {
    const std::string line = mangler.Line();
    try {
      scenario::ParseLine(line);
    } catch (const scenario::ScriptError& error) {
      EXPECT_FALSE(error.message.empty()) << line;
    }
  }
}

TEST(ScenarioFuzz, MangledScriptsEndInAnErrorOnALine) {
  Mangler mangler(77);
  const std::regex reported(R"(^f\.qxs:([0-9]+): error: .+$)");
  for (int script = 0; script < 40; ++script) {
    std::string text;
    const size_t lines = 1 + mangler.Below(6);
    for (size_t n = 0; n < lines; ++n) {
      std::string line = mangler.Line();
      while (!Quick(line) || line.find('\n') != std::string::npos) line = mangler.Line();
      text += line + "\n";
    }
    text += "@ never a command\n";
    std::ofstream("f.qxs", std::ios::binary) << text;
    std::ostringstream out;
    ASSERT_EQ(scenario::RunScripts({"f.qxs"}, {}, out), scenario::cannotRun) << text;
    std::istringstream report(out.str());
    std::string line;
    std::smatch match;
    bool found = false;
    while (std::getline(report, line)) {
      if (!std::regex_match(line, match, reported)) continue;
      found = true;
      const int number = std::stoi(match[1]);
      EXPECT_GE(number, 1) << text;
      EXPECT_LE(number, int(lines) + 1) << text;
    }
    EXPECT_TRUE(found) << out.str();
  }
}
