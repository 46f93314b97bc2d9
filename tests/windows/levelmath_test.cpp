#include "windows/levelmath.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/windows/worked_levels.h"

namespace {

constexpr int boxWidth = 260;

class LevelWorkedValues : public ::testing::TestWithParam<WorkedLevel> {};

TEST_P(LevelWorkedValues, FillGivesValueAndText) {
  const WorkedLevel& v = GetParam();
  EXPECT_EQ(ZoneOhmsForFill(v.fill), v.ohms);
  EXPECT_EQ(ResistanceText(v.ohms), v.zoneReading);
  EXPECT_EQ(MillivoltsForFill(v.fill, boxWidth), v.millivolts);
  EXPECT_EQ(VoltageText(v.millivolts), v.supplyReading);
}

INSTANTIATE_TEST_SUITE_P(Box260, LevelWorkedValues, ::testing::ValuesIn(workedLevels),
                         [](const auto& info) { return WorkedLevelName(info.param); });

TEST(LevelMath, PositionClampsToTheBox) {
  EXPECT_EQ(FillWidthAt(-40, boxWidth), 0);
  EXPECT_EQ(FillWidthAt(0, boxWidth), 0);
  EXPECT_EQ(FillWidthAt(1, boxWidth), 0);
  EXPECT_EQ(FillWidthAt(2, boxWidth), 0);
  EXPECT_EQ(FillWidthAt(3, boxWidth), 1);
  EXPECT_EQ(FillWidthAt(257, boxWidth), 255);
  EXPECT_EQ(FillWidthAt(258, boxWidth), 256);
  EXPECT_EQ(FillWidthAt(900, boxWidth), 256);
  EXPECT_EQ(FillWidthAt(66, 68), 64);
}

// Every reading a 260-pixel box can give, against the rule itself: k tenths
// written with at most 15 significant digits, trailing zeros dropped.
TEST(LevelMath, VoltageTextIsTheShortestFormForEveryTenth) {
  for (int k = 0; k <= 383; ++k) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.15gV", k * 0.1);
    EXPECT_EQ(VoltageText(k * 100), expected) << k;
    EXPECT_EQ(VoltageText(k * 100 + 99), expected) << k;  // truncated, not rounded
  }
}

TEST(LevelMath, ResistanceTextAroundTheKilohm) {
  EXPECT_EQ(ResistanceText(999), "999R");
  EXPECT_EQ(ResistanceText(1000), "1K00");
  EXPECT_EQ(ResistanceText(1009), "1K00");
  EXPECT_EQ(ResistanceText(1099), "1K09");
  EXPECT_EQ(ResistanceText(1990), "1K99");
  EXPECT_EQ(ResistanceText(4700), "4K70");
}

TEST(LevelMath, PressPositionsOfTheWindowDefaults) {
  EXPECT_EQ(VoltagePressX(boxWidth, 28000), 188);
  EXPECT_EQ(VoltagePressX(boxWidth, 24000), 162);
  EXPECT_EQ(OhmsMarkWidth(4700), 200);
}

TEST(LevelMath, RangeMarksEndOneBeyondTheirThreshold) {
  EXPECT_EQ(VoltageMarkWidth(boxWidth, 21000), 143);
  EXPECT_EQ(VoltageMarkWidth(boxWidth, 29000), 196);
  EXPECT_EQ(VoltageMarkWidth(boxWidth, 19000), 129);
  EXPECT_EQ(VoltageMarkWidth(boxWidth, 31000), 210);
  EXPECT_EQ(OhmsMarkWidth(178), 28);
  EXPECT_EQ(OhmsMarkWidth(564), 55);
  EXPECT_EQ(OhmsMarkWidth(3760), 174);
  EXPECT_EQ(OhmsMarkWidth(5640), 224);
}

TEST(LevelMath, MainsFailurePressesTheBatteryLevelLessSevenTenths) {
  EXPECT_EQ(MainsFailedPressX(186, boxWidth), 183);
  EXPECT_EQ(FillWidthAt(MainsFailedPressX(186, boxWidth), boxWidth), 181);
  EXPECT_EQ(VoltageText(MillivoltsForFill(181, boxWidth)), "27.1V");
  // A flat battery leaves the supply at nothing rather than below it.
  EXPECT_EQ(FillWidthAt(MainsFailedPressX(0, boxWidth), boxWidth), 0);
}

}  // namespace
