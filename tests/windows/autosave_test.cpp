// Settings saved as they change, so that a killed program loses at most one
// autosave period; a save that cannot be written is told once.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "board/hardware_interface.h"
#include "board/settings_file.h"
#include "machine/machine.h"
#include "tests/windows/ui_test_support.h"
#include "windows/hardwarecontrol.h"

namespace {

std::vector<uint8_t> ReadFile() {
  std::ifstream in(hardwareFileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

constexpr size_t mainsByte = nvPartSize + 2 * windowWordCount + bytePSUMainsInput;

}  // namespace

// What the file holds while the program still runs is what a kill leaves.
TEST(Autosave, AChangeIsOnDiskBeforeTheProgramEnds) {
  Machine sim(BoardPacing::Stepped);
  TfrmHardwareControl& h = sim.hardware();
  h.AutosaveTimerTimer(nullptr);
  const std::vector<uint8_t> before = ReadFile();
  ASSERT_EQ(before.size(), hardwareFileSize);
  HardwareRequest(*sim.board(), WRITE_NV_BYTE, 0x5A00 + 7);
  Press(h.PSUMainsInput, MouseButton::Left);
  Release(h.PSUMainsInput, MouseButton::Left);
  h.AutosaveTimerTimer(nullptr);
  const std::vector<uint8_t> killed = ReadFile();
  ASSERT_EQ(killed.size(), hardwareFileSize);
  EXPECT_NE(killed[mainsByte], before[mainsByte]);
  EXPECT_EQ(killed[7], uint8_t(~0x5A));
}

TEST(Autosave, AFailedSaveIsToldOnceInTheTitleAndOnStandardError) {
  Machine sim(BoardPacing::Stepped);
  TfrmHardwareControl& h = sim.hardware();
  const std::string title = h.Caption();
  // The temporary file cannot be created while a directory stands in its place.
  std::filesystem::create_directory("Hardware.dat.tmp");
  testing::internal::CaptureStderr();
  h.AutosaveTimerTimer(nullptr);
  Press(h.PSUMainsInput, MouseButton::Left);
  Release(h.PSUMainsInput, MouseButton::Left);
  h.AutosaveTimerTimer(nullptr);
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_EQ(h.Caption(), title + " - settings NOT saved");
  EXPECT_NE(told.find("cannot save Hardware.dat"), std::string::npos) << told;
  EXPECT_EQ(told.find("cannot save", told.find("cannot save") + 1), std::string::npos) << told;
  std::filesystem::remove("Hardware.dat.tmp");
}

// Nothing runs for saving at rest: the board's side starts the autosave
// timer only after a change in the window or in the configuration memory,
// and the save stops it again.
TEST(Autosave, TheTimerRunsAfterAChangeAndRestsWithoutOne) {
  Machine sim(BoardPacing::Stepped);
  TfrmHardwareControl& h = sim.hardware();
  h.WatchSettings();  // what the window shows at the start
  ASSERT_TRUE(h.AutosaveTimer->Enabled());
  h.AutosaveTimer->Fire();
  const std::vector<uint8_t> start = ReadFile();
  struct Case {
    const char* change;
    std::function<void()> make;
  };
  const Case cases[] = {
      {"none", [] {}},
      {"mains switched off", [&] { LeftClick(h.PSUMainsInput); }},
      {"zone 1's line moved", [&] { h.ZoneAnalogueValue[0]->SetWidth(h.ZoneAnalogueValue[0]->Width() / 2); }},
      {"configuration written", [&] { HardwareRequest(*sim.board(), WRITE_NV_BYTE, 0x5A00 + 7); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    const std::vector<uint8_t> before = ReadFile();
    c.make();
    sim.Advance(100);
    h.WatchSettings();
    const bool changed = std::string(c.change) != "none";
    EXPECT_EQ(h.AutosaveTimer->Enabled(), changed);
    if (changed) h.AutosaveTimer->Fire();
    EXPECT_FALSE(h.AutosaveTimer->Enabled());
    EXPECT_EQ(ReadFile() != before, changed);
  }
  EXPECT_NE(ReadFile()[mainsByte], start[mainsByte]);
  EXPECT_EQ(ReadFile()[7], uint8_t(~0x5A));
}
