// Panel state files: a restored panel runs on exactly as the original did,
// and a file that is not a whole state of this panel changes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "firmware/firmware.h"
#include "machine/machine.h"
#include "machine/save_state.h"
#include "scenario/runner.h"
#include "tests/scenario/test_files.h"

namespace {

// Signal values after every change up to atMs.
std::map<std::string, std::string> StateAt(const std::string& vcd, int64_t atMs) {
  std::map<std::string, std::string> values;
  std::istringstream in(vcd.substr(vcd.find("$enddefinitions")));
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with('#') && std::stoll(line.substr(1)) > atMs) break;
    const size_t space = line.find(' ');
    if (line.starts_with('b') && space != std::string::npos) values[line.substr(space + 1)] = line.substr(1, space - 1);
  }
  return values;
}

// The changes after atMs, as written.
std::string ChangesAfter(const std::string& vcd, int64_t atMs) {
  for (size_t at = vcd.find("\n#"); at != std::string::npos; at = vcd.find("\n#", at + 1)) {
    if (std::stoll(vcd.substr(at + 2)) > atMs) return vcd.substr(at);
  }
  return {};
}

// A zone line open since the start (a latched fault), a fire 20 s in with the
// delays on and extended, still counting at 60 s.
constexpr const char* busyPanel = R"(set config 11 0x09
set config 15 0x11
click OptionalRelays
click Keyswitch at 2 2
press ResetButton
wait 100ms
release ResetButton
wait 1s
press DelayOnOffButton
wait 100ms
release DelayOnOffButton
wait 100ms
level ZoneAnalogueControl5 7131 ohm
wait 20s
level ZoneAnalogueControl2 400 ohm
wait 5s
press AcceptButton
wait 100ms
release AcceptButton
wait 33600ms
wait EXTRAms
expect var delayState&0x08 0x08
expect var zonesFaultDetected&0x10 0x10
snapshot at60.qxstate
wait 120s
)";

// At 60 s every board divider is back in its first phase; 35 ms later none is.
class SaveStateAt : public ::testing::TestWithParam<int> {};

TEST_P(SaveStateAt, APanelRestoredRunsOnAsTheOriginalDid) {
  const int64_t snapshotMs = 60000 + GetParam();
  std::string script = busyPanel;
  script.replace(script.find("EXTRA"), 5, std::to_string(GetParam()));
  WriteFile("busy.qxs", script);
  WriteFile("rest.qxs", "wait 120s\n");
  std::ostringstream out;
  scenario::RunOptions original;
  original.trace = "original.vcd";
  ASSERT_EQ(scenario::RunScripts({"busy.qxs"}, original, out), scenario::allPassed) << out.str();
  scenario::RunOptions restored;
  restored.trace = "restored.vcd";
  restored.startFrom = "at60.qxstate";
  ASSERT_EQ(scenario::RunScripts({"rest.qxs"}, restored, out), scenario::allPassed) << out.str();

  const std::string before = ReadFile("original.vcd");
  const std::string after = ReadFile("restored.vcd");
  EXPECT_NE(after.find("\n#" + std::to_string(snapshotMs) + "\n$dumpvars\n"), std::string::npos)
      << "the restored run starts at the state's time";
  EXPECT_EQ(StateAt(before, snapshotMs), StateAt(after, snapshotMs));
  const std::string changes = ChangesAfter(before, snapshotMs);
  EXPECT_GT(std::count(changes.begin(), changes.end(), '#'), 100) << "the delay ends and the panel goes on changing";
  EXPECT_EQ(changes, ChangesAfter(after, snapshotMs));
  EXPECT_LT(std::filesystem::file_size("at60.qxstate"), 32u * 1024);
}

INSTANTIATE_TEST_SUITE_P(SaveState, SaveStateAt, ::testing::Values(0, 35));

TEST(SaveState, AStartFromLineHeadsAScriptAndFindsItsFileBesideIt) {
  std::filesystem::create_directory("course");
  WriteFile("make.qxs", "level ZoneAnalogueControl2 400 ohm\nwait 3s\nsnapshot course/fire.qxstate\n");
  WriteFile("course/answer.qxs", "start-from fire.qxstate\nexpect var zonesInFire 0x02\n");
  WriteFile("late.qxs", "wait 1s\nstart-from course/fire.qxstate\n");
  std::ostringstream out;
  EXPECT_EQ(scenario::RunScripts({"make.qxs", "course/answer.qxs"}, {}, out), scenario::allPassed) << out.str();
  EXPECT_EQ(scenario::RunScripts({"late.qxs"}, {}, out), scenario::cannotRun);
  EXPECT_NE(out.str().find("late.qxs:2: error: start-from must be the script's first command"), std::string::npos)
      << out.str();
}

// The firmware keeps what it read of its configuration: a restored panel must
// act on the file's, not on what it read before.
TEST(SaveState, ARestoredPanelReadsTheConfigurationItsFileHolds) {
  constexpr uint8_t address = 3;
  Machine machine(BoardPacing::Stepped);
  machine.Advance(3000);
  Firmware& firmware = machine.firmware();
  const uint8_t saved = firmware.ReadConfig(address);
  const std::vector<uint8_t> file = CaptureState(machine);
  machine.BetweenPasses([&] { firmware.WriteConfig(address, uint8_t(~saved)); });
  machine.Advance(1000);
  ASSERT_EQ(firmware.ReadConfig(address), uint8_t(~saved));
  RestoreState(machine, file, "saved.qxstate");
  machine.Advance(20000);  // the configuration check runs through every byte
  EXPECT_EQ(firmware.ReadConfig(address), saved);
  EXPECT_EQ(CaptureState(machine), [&] {
    Machine original(BoardPacing::Stepped);
    RestoreState(original, file, "saved.qxstate");
    original.Advance(20000);
    return CaptureState(original);
  }());
}

struct BadFile {
  const char* what;
  std::function<void(std::vector<uint8_t>&)> spoil;
  const char* told;
};

TEST(SaveState, AFileThatIsNotAWholeStateOfThisPanelIsRefusedAndNothingChanges) {
  Machine machine(BoardPacing::Stepped);
  machine.Advance(3000);
  const std::vector<uint8_t> good = CaptureState(machine);
  machine.Advance(2000);
  const std::vector<uint8_t> now = CaptureState(machine);
  constexpr size_t versionAt = 8, zonesAt = 10, headerSize = 20;
  const BadFile table[] = {
      {"truncated", [](auto& f) { f.resize(f.size() - 7); }, "is truncated"},
      {"too short", [](auto& f) { f.resize(12); }, "too short"},
      {"empty", [](auto& f) { f.clear(); }, "is empty"},
      {"wrong magic", [](auto& f) { f[0] = 'X'; }, "is not a panel state file"},
      {"wrong version", [](auto& f) { f[versionAt] = 9; }, "format 9 and this program reads format 1"},
      {"flipped byte", [](auto& f) { f[headerSize + 100] ^= 0x10; }, "checksum does not match"},
      {"another panel size", [](auto& f) { f[zonesAt] = 4; }, "4-zone panel and this panel has 8 zones"},
      {"extra bytes", [](auto& f) { f.push_back(0); }, "1 bytes after the state"},
  };
  for (const BadFile& bad : table) {
    std::vector<uint8_t> file = good;
    bad.spoil(file);
    WriteFile("bad.qxstate", std::string(file.begin(), file.end()));
    try {
      LoadStateFile(machine, "bad.qxstate");
      ADD_FAILURE() << bad.what << " was accepted";
    } catch (const StateError& error) {
      const std::string message = error.what();
      EXPECT_TRUE(message.starts_with("bad.qxstate ")) << bad.what << ": " << message;
      EXPECT_NE(message.find(bad.told), std::string::npos) << bad.what << ": " << message;
      EXPECT_NE(message.find("the panel is unchanged"), std::string::npos) << bad.what << ": " << message;
    }
    EXPECT_EQ(CaptureState(machine), now) << bad.what;
  }
  std::filesystem::create_directory("folder.qxstate");
  EXPECT_THROW(LoadStateFile(machine, "folder.qxstate"), StateError);
  EXPECT_THROW(LoadStateFile(machine, "missing.qxstate"), StateError);
  EXPECT_EQ(CaptureState(machine), now);
}

}  // namespace
