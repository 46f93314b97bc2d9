// The committed artwork: every image list the windows load is a strip of its
// frames at the exact image size, and every picture is a JPEG of its
// control's size. Sizes are read from the file headers, without Qt.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Size {
  int width;
  int height;
  bool operator==(const Size&) const = default;
};

void PrintTo(const Size& size, std::ostream* out) { *out << size.width << "x" << size.height; }

struct ImageList {
  const char* name;
  int frameWidth;
  int frameHeight;
  int frames;
};

struct Picture {
  const char* name;
  int width;
  int height;
};

const ImageList kImageLists[] = {
    {"CorvellaButtonDisplay", 29, 29, 2},      {"MarvaneButtonDisplay", 29, 29, 2},
    {"PCBButtonDisplay", 29, 29, 2},           {"CorvellaKeySwitchDisplay", 75, 75, 2},
    {"MarvaneKeySwitchDisplay", 75, 75, 2},    {"CorvellaRedLEDDisplay", 11, 11, 2},
    {"MarvaneRedLEDDisplay", 11, 11, 2},       {"PCBRedLEDDisplay", 11, 11, 2},
    {"CorvellaYellowLEDDisplay", 11, 11, 2},   {"MarvaneYellowLEDDisplay", 11, 11, 2},
    {"PCBYellowLEDDisplay", 11, 11, 2},        {"CorvellaGreenLEDDisplay", 11, 11, 2},
    {"MarvaneGreenLEDDisplay", 11, 11, 2},     {"PCBGreenLEDDisplay", 11, 11, 2},
    {"CorvellaFireLEDDisplay", 11, 11, 2},     {"CorvellaInternalToneImages", 32, 32, 2},
    {"MarvaneInternalToneImages", 32, 32, 2},  {"PCBInternalToneImages", 32, 32, 2},
    {"CorvellaButtonImages", 24, 24, 2},       {"MarvaneButtonImages", 24, 24, 2},
    {"PCBButtonImages", 24, 24, 2},            {"SevenSegmentDisplay", 18, 22, 11},
    {"ApplicationIcon", 32, 32, 1},
    {"LinkImages", 22, 11, 2},                 {"SmallLEDListYellow", 10, 10, 2},
    {"SmallLEDListRed", 10, 10, 2},            {"SmallLEDListGreen", 10, 10, 2},
    {"SwitchImages", 20, 20, 2},               {"MainsSupplyImages", 42, 52, 2},
    {"FuseImages", 64, 24, 2},                 {"FireRelayImages", 32, 32, 2},
    {"FaultDisabledRelayImages", 32, 32, 2},   {"CapacitorEOLImages", 11, 10, 2},
    {"SounderImageList", 32, 32, 2},           {"InputStatusToggle", 11, 10, 2},
};

const Picture kPictures[] = {
    {"PCBBackImage", 780, 369},          {"ButtonSilkScreen", 67, 256},
    {"SystemNumberSilkScreen", 14, 214}, {"ZoneNumberSilkScreen", 9, 204},
    {"CorvellaBackImage", 780, 361},     {"MarvaneBackImage", 780, 361},
};

// The tests run in a private working directory, so the assets are found
// from this source file's place in the repository.
fs::path Assets() { return fs::path(__FILE__).parent_path().parent_path().parent_path() / "assets"; }

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) value = value * 256 + bytes[at + i];
  return value;
}

// Width and height from the IHDR chunk, which must follow the signature.
std::optional<Size> PngSize(const std::vector<std::uint8_t>& bytes) {
  static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 24 || !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin())) {
    return std::nullopt;
  }
  if (std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR") return std::nullopt;
  return Size{BigEndian(bytes, 16, 4), BigEndian(bytes, 20, 4)};
}

bool IsStartOfFrame(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Width and height from the first start-of-frame segment after SOI.
std::optional<Size> JpegSize(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
  std::size_t at = 2;
  while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
    const std::uint8_t marker = bytes[at + 1];
    const int length = BigEndian(bytes, at + 2, 2);
    if (IsStartOfFrame(marker)) {
      if (at + 9 > bytes.size()) return std::nullopt;
      return Size{BigEndian(bytes, at + 7, 2), BigEndian(bytes, at + 5, 2)};
    }
    at += 2 + std::size_t(length);
  }
  return std::nullopt;
}

TEST(Assets, EveryImageListIsAStripOfItsFramesInIndexOrder) {
  for (const ImageList& list : kImageLists) {
    SCOPED_TRACE(list.name);
    const auto size = PngSize(ReadAll(Assets() / (std::string(list.name) + ".png")));
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(*size, (Size{list.frameWidth * list.frames, list.frameHeight}));
  }
}

TEST(Assets, EveryPictureIsAJpegOfItsControlsSize) {
  for (const Picture& picture : kPictures) {
    SCOPED_TRACE(picture.name);
    const auto size = JpegSize(ReadAll(Assets() / (std::string(picture.name) + ".jpg")));
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(*size, (Size{picture.width, picture.height}));
  }
}

TEST(Assets, NothingIsCommittedBesideTheListedArtwork) {
  std::vector<std::string> expected;
  for (const ImageList& list : kImageLists) expected.push_back(std::string(list.name) + ".png");
  for (const Picture& picture : kPictures) expected.push_back(std::string(picture.name) + ".jpg");
  for (const fs::directory_entry& entry : fs::directory_iterator(Assets())) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(std::find(expected.begin(), expected.end(), name), expected.end()) << name;
  }
}

TEST(AssetHeaders, TruncatedOrForeignFilesHaveNoSize) {
  EXPECT_FALSE(PngSize({}).has_value());
  EXPECT_FALSE(PngSize(std::vector<std::uint8_t>(30, 0)).has_value());
  EXPECT_FALSE(JpegSize({0xFF, 0xD8}).has_value());
  EXPECT_FALSE(JpegSize({0x89, 'P', 'N', 'G', 0, 0}).has_value());
  // SOI, a 4-byte APP0 stub, then SOF0 for 3 x 2 pixels.
  const std::vector<std::uint8_t> tiny = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00,
                                          0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x02, 0x00, 0x03};
  EXPECT_EQ(JpegSize(tiny), (Size{3, 2}));
}

}  // namespace
