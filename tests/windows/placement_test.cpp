// Where the two windows go on screens from large to small, the hardware
// window plain and widened for VdS mode.

#include "windows/placement.h"

#include <gtest/gtest.h>

namespace {

// Outer frames: the client areas with a 30-pixel title bar and 4-pixel borders.
constexpr int frameWidth = 8, frameHeight = 34;
constexpr WindowBox front{0, 0, 780 + frameWidth, 361 + frameHeight};
constexpr WindowBox hardware{0, 0, 481 + frameWidth, 337 + frameHeight};
constexpr WindowBox hardwareVdS{0, 0, 601 + frameWidth, 337 + frameHeight};
// The push keys and keyswitch, within the front panel's frame.
constexpr WindowBox keys{4 + 634, 30 + 95, 755 - 634, 346 - 95};

enum class Arrangement { SideBySide, Stacked, Overlapping };

struct Screen {
  const char* name;
  ScreenRect work;
  WindowBox hardware;
  Arrangement arrangement;
};

void PrintTo(const Screen& screen, std::ostream* out) { *out << screen.name; }

WindowBox Offset(const WindowBox& box, const WindowBox& by) { return {by.left + box.left, by.top + box.top, box.width, box.height}; }

class PlacementTest : public ::testing::TestWithParam<Screen> {};

TEST_P(PlacementTest, WindowsShareTheScreenWithoutHidingTheKeys) {
  const Screen& screen = GetParam();
  const WindowPlacement placed = PlaceWindows(screen.work, front, screen.hardware, keys);
  const WindowBox& f = placed.front;
  const WindowBox& h = placed.hardware;
  EXPECT_EQ(std::pair(f.width, f.height), std::pair(front.width, front.height));
  EXPECT_TRUE(FullyInside(h, screen.work));
  EXPECT_EQ(FullyInside(f, screen.work), front.width <= screen.work.width);
  EXPECT_GE(f.top, screen.work.top) << "the title bar stays reachable";
  const WindowBox shownKeys = Offset(keys, f);
  EXPECT_TRUE(FullyInside(shownKeys, screen.work));
  EXPECT_FALSE(Overlap(shownKeys, h));
  switch (screen.arrangement) {
    case Arrangement::SideBySide:
      EXPECT_GE(h.left, f.Right());
      EXPECT_EQ(h.top, f.top);
      break;
    case Arrangement::Stacked:
      EXPECT_GE(h.top, f.Bottom());
      EXPECT_EQ(h.left, f.left);
      break;
    case Arrangement::Overlapping: EXPECT_TRUE(Overlap(f, h)); break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, PlacementTest,
    ::testing::Values(Screen{"1920x1080", {0, 0, 1920, 1080}, hardware, Arrangement::SideBySide},
                      Screen{"1920x1080_VdS", {0, 0, 1920, 1080}, hardwareVdS, Arrangement::SideBySide},
                      Screen{"1366x768_panel", {0, 0, 1366, 740}, hardware, Arrangement::SideBySide},
                      Screen{"1366x768_VdS", {0, 0, 1366, 768}, hardwareVdS, Arrangement::Stacked},
                      Screen{"1366x768_panel_VdS", {0, 28, 1366, 740}, hardwareVdS, Arrangement::Overlapping},
                      Screen{"1024x768", {0, 0, 1024, 768}, hardware, Arrangement::Stacked},
                      Screen{"1024x768_panel", {0, 0, 1024, 740}, hardware, Arrangement::Overlapping},
                      Screen{"800x600", {0, 0, 800, 600}, hardware, Arrangement::Overlapping},
                      Screen{"800x600_VdS", {0, 0, 800, 600}, hardwareVdS, Arrangement::Overlapping},
                      Screen{"640x480", {0, 0, 640, 480}, hardware, Arrangement::Overlapping},
                      Screen{"second_monitor", {1920, 0, 1366, 768}, hardware, Arrangement::SideBySide}),
    [](const ::testing::TestParamInfo<Screen>& info) { return std::string(info.param.name); });

TEST(Placement, OverlapsOnlyAsMuchAsTheScreenForces) {
  const ScreenRect work{0, 0, 1024, 740};
  const WindowPlacement placed = PlaceWindows(work, front, hardware, keys);
  const int overlapHeight = placed.front.Bottom() - placed.hardware.top;
  EXPECT_EQ(overlapHeight, front.height + hardware.height - work.height);
}

}  // namespace
