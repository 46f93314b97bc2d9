#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "board/hardware_interface.h"
#include "board/settings_file.h"
#include "tests/support/test_board.h"

namespace {

std::vector<uint8_t> ReadFile(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

TEST(BoardSettingsFile, NvImageSurvivesDestructionAndConstruction) {
  {
    TestBoard t;
    HardwareRequest(WRITE_NV_BYTE, 0x4205);
    HardwareRequest(WRITE_NV_BYTE, 0x00FF);
  }
  const std::vector<uint8_t> saved = ReadFile(hardwareFileName);
  ASSERT_EQ(saved.size(), 256u);
  EXPECT_EQ(saved[5], 0xBD);
  EXPECT_EQ(saved[0], 0xFF);
  TestBoard t;
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 5), 0x42);
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 255), 0);
  EXPECT_FALSE(std::filesystem::exists("Hardware.dat.tmp"));
}

TEST(BoardSettingsFile, ShortFileLoadsAsFarAsItGoes) {
  WriteFile(hardwareFileName, {0x00, 0xFE, 0x7F});
  TestBoard t;
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 0), 0xFF);
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 1), 0x01);
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 2), 0x80);
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 3), 0);
}

TEST(BoardSettingsFile, LongerFileLoadsOnlyTheBoardPart) {
  std::vector<uint8_t> bytes(309, 0x00);
  WriteFile(hardwareFileName, bytes);
  TestBoard t;
  EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 255), 0xFF);
  EXPECT_EQ(t.board().nvSize, 256);
}

TEST(BoardSettingsFile, ADirectoryOfThatNameIsPassedOver) {
  std::filesystem::create_directory(hardwareFileName);
  {
    TestBoard t;
    EXPECT_EQ(HardwareRequest(READ_NV_BYTE, 0), 0);
    HardwareRequest(WRITE_NV_BYTE, 0x0101);
  }
  EXPECT_TRUE(std::filesystem::is_directory(hardwareFileName));
  EXPECT_FALSE(std::filesystem::exists("Hardware.dat.tmp"));
}

TEST(BoardSettingsFile, AFailedSaveKeepsThePreviousFile) {
  const std::vector<uint8_t> previous(256, 0xAA);
  WriteFile(hardwareFileName, previous);
  // The temporary file cannot be created while a directory stands in its place.
  std::filesystem::create_directory("Hardware.dat.tmp");
  std::vector<uint8_t> image(256, 0x11);
  EXPECT_FALSE(SettingsFile().StageNvImage(image.data(), 256, true));
  EXPECT_EQ(ReadFile(hardwareFileName), previous);
}

namespace {

WindowSettings SampleWindowPart() {
  WindowSettings settings;
  for (int i = 0; i < windowWordCount; ++i) settings.SetWord(i, uint16_t(0x0100 * i + 7));
  for (int i = 0; i < windowByteCount; ++i) settings.SetByte(i, uint8_t(i & 1));
  settings.SetByte(byteOptionalRelays, 2);
  return settings;
}

}  // namespace

TEST(SettingsSave, BothHalvesMakeThe309ByteLayout) {
  const std::vector<uint8_t> image(256, 0x3C);
  ASSERT_TRUE(SettingsFile().StageNvImage(image.data(), 256, false));
  ASSERT_TRUE(SettingsFile().CompleteSettingsSave(SampleWindowPart()));
  const std::vector<uint8_t> file = ReadFile(hardwareFileName);
  ASSERT_EQ(file.size(), hardwareFileSize);
  EXPECT_EQ(file[0], 0x3C);
  EXPECT_EQ(file[256], 7);     // zone 1 width, low byte first
  EXPECT_EQ(file[257], 0);
  EXPECT_EQ(file[283], 13);    // transmission device width, high byte
  EXPECT_EQ(file[284], 0);     // Sounder1FaultInput
  EXPECT_EQ(file[285], 1);
  EXPECT_EQ(file[308], 2);     // OptionalRelays grayed
  EXPECT_FALSE(std::filesystem::exists("Hardware.dat.tmp"));

  const std::optional<WindowSettings> loaded = SettingsFile().LoadWindowSettings();
  ASSERT_TRUE(loaded);
  for (int i = 0; i < windowWordCount; ++i) EXPECT_EQ(loaded->Word(i), SampleWindowPart().Word(i)) << i;
  for (int i = 0; i < windowByteCount; ++i) EXPECT_EQ(loaded->Byte(i), SampleWindowPart().Byte(i)) << i;
}

TEST(SettingsSave, ACrashBetweenTheHalvesLeavesThePreviousCompleteFile) {
  const std::vector<uint8_t> image(256, 0x3C);
  ASSERT_TRUE(SettingsFile().StageNvImage(image.data(), 256, false));
  ASSERT_TRUE(SettingsFile().CompleteSettingsSave(SampleWindowPart()));
  const std::vector<uint8_t> previous = ReadFile(hardwareFileName);
  // The next run saves its board part, then dies before the window part.
  const std::vector<uint8_t> newer(256, 0x99);
  ASSERT_TRUE(SettingsFile().StageNvImage(newer.data(), 256, false));
  EXPECT_EQ(ReadFile(hardwareFileName), previous);
  // A later orderly save still works.
  ASSERT_TRUE(SettingsFile().StageNvImage(newer.data(), 256, false));
  ASSERT_TRUE(SettingsFile().CompleteSettingsSave(SampleWindowPart()));
  EXPECT_EQ(ReadFile(hardwareFileName)[0], 0x99);
}

TEST(SettingsSave, NothingStagedChangesNothing) {
  const std::vector<uint8_t> previous(300, 0x42);
  WriteFile(hardwareFileName, previous);
  EXPECT_FALSE(SettingsFile().CompleteSettingsSave(SampleWindowPart()));
  EXPECT_EQ(ReadFile(hardwareFileName), previous);
}

TEST(SettingsSave, BoardDestructionDefersToTheWindowWhenOneFollows) {
  WriteFile(hardwareFileName, std::vector<uint8_t>(309, 0x00));
  {
    TestBoard t;
    t.board().windowPartFollows = true;
    HardwareRequest(WRITE_NV_BYTE, 0x0500);
  }
  EXPECT_EQ(ReadFile(hardwareFileName), std::vector<uint8_t>(309, 0x00));
  ASSERT_TRUE(SettingsFile().CompleteSettingsSave(SampleWindowPart()));
  const std::vector<uint8_t> file = ReadFile(hardwareFileName);
  ASSERT_EQ(file.size(), 309u);
  EXPECT_EQ(file[0], 0xFA);
}

TEST(LoadWindowSettings, ItemsBeyondTheEndAreAbsent) {
  const struct {
    size_t fileSize;
    int words;   // whole words present
    int bytes;   // toggle bytes present
  } table[] = {{0, 0, 0}, {256, 0, 0}, {257, 0, 0}, {258, 1, 0}, {283, 13, 0}, {284, 14, 0}, {285, 14, 1}, {308, 14, 24}, {309, 14, 25}, {400, 14, 25}};
  for (const auto& row : table) {
    WriteFile(hardwareFileName, std::vector<uint8_t>(row.fileSize, 0x01));
    const std::optional<WindowSettings> loaded = SettingsFile().LoadWindowSettings();
    ASSERT_TRUE(loaded) << row.fileSize;
    for (int i = 0; i < windowWordCount; ++i) EXPECT_EQ(loaded->HasWord(i), i < row.words) << row.fileSize << " word " << i;
    for (int i = 0; i < windowByteCount; ++i) EXPECT_EQ(loaded->HasByte(i), i < row.bytes) << row.fileSize << " byte " << i;
  }
  std::filesystem::remove(hardwareFileName);
  EXPECT_FALSE(SettingsFile().LoadWindowSettings());
}

namespace {

struct RejectCase {
  const char* what;
  int length;  // -1: a directory of that name; 0: no file
  bool kept;
};

}  // namespace

class SetAside : public ::testing::TestWithParam<RejectCase> {};

// Only a file no save writes is kept aside; a copy leaves the original to load.
TEST_P(SetAside, KeepsOnlyWhatNoSaveWrites) {
  const RejectCase c = GetParam();
  const std::vector<uint8_t> bytes(size_t(std::max(c.length, 0)), 0x5A);
  if (c.length < 0) std::filesystem::create_directory(hardwareFileName);
  if (c.length > 0) WriteFile(hardwareFileName, bytes);
  const std::string notice = SettingsFile().SetAsideRejectedSettings();
  EXPECT_EQ(!notice.empty(), c.kept) << notice;
  EXPECT_EQ(std::filesystem::exists("Hardware.dat.rejected"), c.kept);
  if (c.length > 0) {
    EXPECT_EQ(ReadFile(hardwareFileName), bytes);
  }
  if (c.kept && c.length > 0) {
    EXPECT_EQ(ReadFile("Hardware.dat.rejected"), bytes);
  }
  if (c.length < 0) {
    EXPECT_FALSE(std::filesystem::exists(hardwareFileName));
  }
}

INSTANTIATE_TEST_SUITE_P(BoardSettingsFile, SetAside,
                         ::testing::Values(RejectCase{"absent", 0, false}, RejectCase{"whole", 309, false},
                                           RejectCase{"boardOnly", 256, false}, RejectCase{"short", 100, true},
                                           RejectCase{"long", 400, true}, RejectCase{"directory", -1, true}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(BoardSettingsFile, OneSimulatorPerDirectoryHoldsTheLock) {
  {
    SettingsLock first;
    EXPECT_TRUE(first.Held());
    SettingsLock second;
    EXPECT_FALSE(second.Held());
  }
  SettingsLock afterwards;
  EXPECT_TRUE(afterwards.Held());
}
