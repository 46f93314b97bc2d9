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
  EXPECT_FALSE(SaveNvImage(image.data(), 256));
  EXPECT_EQ(ReadFile(hardwareFileName), previous);
}
