// Hand-edited, damaged and unreachable settings files: start-up never fails
// and takes what the layout allows; shutdown either writes a complete file or
// keeps the previous one.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <vector>

#include "board/hardware_interface.h"
#include "board/settings_file.h"
#include "machine/machine.h"
#include "windows/hardwarecontrol.h"
#include "windows/levelmath.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const char* name, const Bytes& bytes) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes RandomBytes(size_t length, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes bytes(length);
  for (uint8_t& b : bytes) b = uint8_t(rng());
  return bytes;
}

constexpr size_t windowStart = 256;
constexpr size_t togglesStart = windowStart + 28;
constexpr int toggleCount = 24;

// The toggles in file order, with whether each starts at index 1.
struct StoredToggle {
  TImageSelector* TfrmHardwareControl::* control;
  int capacitorZone;  // CapEOLZone row where control is null
  bool startsSet;
};
const StoredToggle toggles[toggleCount] = {
    {&TfrmHardwareControl::Sounder1FaultInput, 0, false},   {&TfrmHardwareControl::Sounder2FaultInput, 0, false},
    {nullptr, 0, false}, {nullptr, 1, false}, {nullptr, 2, false}, {nullptr, 3, false},
    {nullptr, 4, false}, {nullptr, 5, false}, {nullptr, 6, false}, {nullptr, 7, false},
    {&TfrmHardwareControl::DigitalInput1, 0, false},        {&TfrmHardwareControl::DigitalInput2, 0, false},
    {&TfrmHardwareControl::PSUMainsInput, 0, true},         {&TfrmHardwareControl::AuxiliarySupplyFault, 0, true},
    {&TfrmHardwareControl::ChargerFault, 0, false},         {&TfrmHardwareControl::EarthHoldHigh, 0, false},
    {&TfrmHardwareControl::EarthHoldLow, 0, false},         {&TfrmHardwareControl::VdSModeSelect, 0, false},
    {&TfrmHardwareControl::FourZonePanel, 0, false},        {&TfrmHardwareControl::EightZonePanel, 0, true},
    {&TfrmHardwareControl::FWPOvercurrent, 0, false},       {&TfrmHardwareControl::FWP4Switch, 0, false},
    {&TfrmHardwareControl::FWP5Switch, 0, false},           {&TfrmHardwareControl::FWP7Switch, 0, false},
};
constexpr int toggleMains = 12;
constexpr int toggleEarthHigh = 15;
constexpr int toggleEarthLow = 16;
constexpr int wordSupplyIndex = 8, wordBatteryIndex = 9, wordChargerIndex = 10;

const TImageSelector* Toggle(const TfrmHardwareControl& w, int index) {
  const StoredToggle& t = toggles[index];
  return t.control ? w.*t.control : w.CapEOLZone[t.capacitorZone];
}

// The level bars in file order, each with its box.
std::vector<std::pair<const TShape*, const TShape*>> Levels(const TfrmHardwareControl& w) {
  std::vector<std::pair<const TShape*, const TShape*>> levels;
  for (int zone = 0; zone < 8; ++zone) levels.push_back({w.ZoneAnalogueValue[zone], w.ZoneAnalogueControl[zone]});
  levels.push_back({w.VssAnalogueValue, w.VssAnalogueValueBox});
  levels.push_back({w.VbattAnalogueValue, w.VbattAnalogueValueBox});
  levels.push_back({w.VchrAnalogueValue, w.VchrAnalogueValueBox});
  levels.push_back({w.Relay1Value, w.Relay1ValueBox});
  levels.push_back({w.Relay2Value, w.Relay2ValueBox});
  levels.push_back({w.TransmissionDeviceValue, w.TransmissionDeviceValueBox});
  return levels;
}

// The window part of a file as far as it goes.
struct WindowPart {
  const Bytes& file;
  std::optional<int> Word(int index) const {
    const size_t at = windowStart + 2 * size_t(index);
    if (file.size() < at + 2) return std::nullopt;
    return file[at] | file[at + 1] << 8;
  }
  std::optional<uint8_t> Byte(int index) const {
    const size_t at = togglesStart + size_t(index);
    if (file.size() < at + 1) return std::nullopt;
    return file[at];
  }
  bool Toggled(int index) const { return Byte(index).value_or(0) != 0; }
};

// What the window shows with no file at all.
struct Defaults {
  std::vector<int> fills;
  int crossLink;
  CheckBoxState optionalRelays;
};

Defaults TakeDefaults() {
  Machine sim{BoardPacing::Stepped};
  Defaults defaults;
  for (const auto& [fill, box] : Levels(sim.hardware())) defaults.fills.push_back(fill->Width());
  defaults.crossLink = sim.hardware().CrossLinkBatteryCharger->ItemIndex();
  defaults.optionalRelays = sim.hardware().OptionalRelays->State();
  return defaults;
}

void ExpectBoardPart(HardwareState& board, const Bytes& file) {
  for (int address = 0; address < 256; ++address) {
    const int expected = size_t(address) < file.size() ? uint8_t(~file[address]) : 0;
    ASSERT_EQ(HardwareRequest(board, READ_NV_BYTE, address), expected) << "address " << address;
  }
}

int ExpectedFill(const WindowPart& part, int index, const TShape* box, const Defaults& defaults) {
  const bool pairRead = part.Word(wordChargerIndex).has_value();
  if ((index == wordBatteryIndex || index == wordChargerIndex) && !pairRead) return defaults.fills[index];
  const std::optional<int> word = part.Word(index);
  return word ? FillWidthAt(*word + levelFillInset, box->Width()) : defaults.fills[index];
}

void ExpectWindowPart(const TfrmHardwareControl& w, const Bytes& file, const Defaults& defaults) {
  const WindowPart part{file};
  const auto levels = Levels(w);
  for (int index = 0; index < int(levels.size()); ++index) {
    if (index == wordSupplyIndex && part.Toggled(toggleMains)) continue;  // follows the mains toggle
    ASSERT_EQ(levels[index].first->Width(), ExpectedFill(part, index, levels[index].second, defaults))
        << "word " << index;
  }
  const bool linkRemoved = part.Word(wordChargerIndex) && *part.Word(wordChargerIndex) != *part.Word(wordBatteryIndex);
  ASSERT_EQ(w.CrossLinkBatteryCharger->ItemIndex() != defaults.crossLink, linkRemoved);
  for (int index = 0; index < toggleCount; ++index) {
    bool set = toggles[index].startsSet != part.Toggled(index);
    // Each earth hold releases the other; the low one is replayed last.
    if (index == toggleEarthHigh && part.Toggled(toggleEarthLow)) set = false;
    ASSERT_EQ(Toggle(w, index)->ItemIndex(), set ? 1 : 0) << "toggle " << index;
  }
  const std::optional<uint8_t> relays = part.Byte(byteOptionalRelays);
  const CheckBoxState expected = !relays           ? defaults.optionalRelays
                                 : *relays == 1    ? CheckBoxState::Checked
                                 : *relays == 2    ? CheckBoxState::Grayed
                                                   : CheckBoxState::Unchecked;
  ASSERT_EQ(w.OptionalRelays->State(), expected);
}

// A previous complete file, kept by every save that cannot complete.
Bytes WritePreviousFile() {
  Bytes previous = RandomBytes(hardwareFileSize, 7);
  for (size_t i = togglesStart; i < previous.size(); ++i) previous[i] = 0;
  WriteFile(hardwareFileName, previous);
  return previous;
}

void RunAndClose() {
  Machine sim{BoardPacing::Stepped};
  sim.Advance(100);
}

}  // namespace

// Every length from empty to well past complete, with random contents.
TEST(SettingsRobustness, EveryLengthUpTo400BytesStartsAndLoadsWhatTheFileHolds) {
  const Defaults defaults = TakeDefaults();
  for (size_t length = 0; length <= 400; ++length) {
    const Bytes file = RandomBytes(length, unsigned(length));
    WriteFile(hardwareFileName, file);
    {
      Machine sim{BoardPacing::Stepped};
      sim.Advance(100);
      ASSERT_NO_FATAL_FAILURE(ExpectBoardPart(*sim.board(), file)) << "length " << length;
      ASSERT_NO_FATAL_FAILURE(ExpectWindowPart(sim.hardware(), file, defaults)) << "length " << length;
    }
    const Bytes saved = ReadFile(hardwareFileName);
    ASSERT_EQ(saved.size(), hardwareFileSize) << "length " << length;
    for (size_t i = 0; i < 256; ++i) ASSERT_EQ(saved[i], i < length ? file[i] : 0xFF) << "length " << length;
  }
  EXPECT_FALSE(fs::exists("Hardware.dat.tmp"));
}

// Widths inside their boxes, toggles 0 or 1, battery and charger apart or
// together: what a save writes comes back byte for byte.
TEST(SettingsRobustness, ACompleteFileRoundTripsExactly) {
  std::mt19937 rng(309);
  for (int round = 0; round < 20; ++round) {
    Bytes file = RandomBytes(nvPartSize, unsigned(round));
    for (int word = 0; word < windowWordCount; ++word) {
      const int width = int(rng() % 65);  // inside every box
      file.push_back(uint8_t(width));
      file.push_back(uint8_t(width >> 8));
    }
    for (int index = 0; index < toggleCount; ++index) file.push_back(uint8_t(rng() & 1));
    file[togglesStart + toggleMains] = 0;  // a failed mains moves the supply level
    if (file[togglesStart + toggleEarthLow]) file[togglesStart + toggleEarthHigh] = 0;
    if (round % 2) std::copy_n(&file[windowStart + 2 * wordBatteryIndex], 2, &file[windowStart + 2 * wordChargerIndex]);
    file.push_back(uint8_t(rng() % 3));
    WriteFile(hardwareFileName, file);
    RunAndClose();
    ASSERT_EQ(ReadFile(hardwareFileName), file) << "round " << round;
  }
}

TEST(SettingsRobustness, ADirectoryOfThatNameLeavesDefaultsAndStaysADirectory) {
  fs::create_directory(hardwareFileName);
  {
    Machine sim{BoardPacing::Stepped};
    sim.Advance(100);
    ExpectBoardPart(*sim.board(), {});
    EXPECT_EQ(sim.hardware().PSUMainsInput->ItemIndex(), 1);
  }
  EXPECT_TRUE(fs::is_directory(hardwareFileName));
  EXPECT_FALSE(fs::exists("Hardware.dat.tmp"));
}

// A name that no one can open, root included: a link to itself.
TEST(SettingsRobustness, AnUnopenableFileLeavesDefaultsAndIsReplacedByTheSave) {
  fs::create_symlink(hardwareFileName, hardwareFileName);
  {
    Machine sim{BoardPacing::Stepped};
    sim.Advance(100);
    ExpectBoardPart(*sim.board(), {});
  }
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(hardwareFileName)));
  EXPECT_EQ(fs::file_size(hardwareFileName), hardwareFileSize);
}

TEST(SettingsRobustness, AFileWithoutReadPermissionLeavesDefaults) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its mode";
  const Bytes previous = WritePreviousFile();
  chmod(hardwareFileName, 0);
  {
    Machine sim{BoardPacing::Stepped};
    sim.Advance(100);
    ExpectBoardPart(*sim.board(), {});
  }
  chmod(hardwareFileName, 0600);
  EXPECT_EQ(fs::file_size(hardwareFileName), hardwareFileSize);
}

TEST(SettingsRobustness, AReadOnlyDirectoryKeepsThePreviousFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into a directory whatever its mode";
  const Bytes previous = WritePreviousFile();
  chmod(".", 0555);
  RunAndClose();
  chmod(".", 0755);
  EXPECT_EQ(ReadFile(hardwareFileName), previous);
  EXPECT_FALSE(fs::exists("Hardware.dat.tmp"));
}

// Root-proof ways to make a save impossible, each keeping the previous file.
TEST(SettingsRobustness, ASaveThatCannotStartKeepsThePreviousFile) {
  const Bytes previous = WritePreviousFile();
  fs::create_directory("Hardware.dat.tmp");
  RunAndClose();
  EXPECT_EQ(ReadFile(hardwareFileName), previous);
}

TEST(SettingsRobustness, AFullDiskKeepsThePreviousFile) {
  const Bytes previous = WritePreviousFile();
  fs::create_symlink("/dev/full", "Hardware.dat.tmp");
  RunAndClose();
  EXPECT_EQ(ReadFile(hardwareFileName), previous);
  EXPECT_FALSE(fs::exists(fs::symlink_status("Hardware.dat.tmp")));
}

TEST(SettingsRobustness, AWorkingDirectoryRemovedWhileRunningEndsQuietly) {
  WritePreviousFile();
  const fs::path directory = fs::current_path();
  {
    Machine sim{BoardPacing::Stepped};
    sim.Advance(100);
    fs::remove_all(directory);
    sim.Advance(100);
  }
  EXPECT_FALSE(fs::exists(directory));
}
