#include <gtest/gtest.h>

#include "tests/ui/hardwarecontrol_fixture.h"
#include "tests/ui/worked_levels.h"

namespace {

class LevelControlWorkedValues : public HardwareControlTest, public ::testing::WithParamInterface<WorkedLevel> {};

TEST_P(LevelControlWorkedValues, PressSetsFillValueAndReading) {
  const WorkedLevel& v = GetParam();
  ClickLevel(h->ZoneAnalogueControl[0], v.fill + 2);
  EXPECT_EQ(h->ZoneAnalogueValue[0]->Width(), v.fill);
  EXPECT_EQ(h->ZoneAnalogueValue[0]->Tag(), v.ohms);
  EXPECT_EQ(h->ZoneResValue[0]->Caption().toStdString(), v.zoneReading);
  ClickLevel(h->VssAnalogueValueBox, v.fill + 2);
  EXPECT_EQ(h->VssAnalogueValue->Width(), v.fill);
  EXPECT_EQ(h->VssAnalogueValue->Tag(), v.millivolts);
  EXPECT_EQ(h->VssLevel->Caption().toStdString(), v.supplyReading);
  ClickLevel(h->VbattAnalogueValueBox, v.fill + 2);
  EXPECT_EQ(h->VbattAnalogueValue->Tag(), v.millivolts);
  EXPECT_EQ(h->VbattLevel->Caption().toStdString(), v.supplyReading);
}

INSTANTIATE_TEST_SUITE_P(Box260, LevelControlWorkedValues, ::testing::ValuesIn(workedLevels),
                         [](const auto& info) { return WorkedLevelName(info.param); });

using LevelControlTest = HardwareControlTest;

TEST_F(LevelControlTest, CreationPressesEveryLevelAtItsDefault) {
  for (int zone = 0; zone < 8; ++zone) {
    EXPECT_EQ(h->ZoneAnalogueValue[zone]->Width(), 198) << zone;  // pressed at 200
    EXPECT_EQ(h->ZoneAnalogueValue[zone]->Tag(), 4727) << zone;
    EXPECT_EQ(h->ZoneResValue[zone]->Caption().toStdString(), "4K72") << zone;
    EXPECT_EQ(h->ZoneAnalogueControl[zone]->Tag(), 0) << zone;
  }
  EXPECT_EQ(h->VssAnalogueValue->Width(), 186);
  EXPECT_EQ(h->VssLevel->Caption().toStdString(), "27.8V");
  for (TShape* fill : {h->VbattAnalogueValue, h->VchrAnalogueValue}) {
    EXPECT_EQ(fill->Width(), 160);
    EXPECT_EQ(fill->Tag(), 23958);
  }
  EXPECT_EQ(h->VbattLevel->Caption().toStdString(), "23.9V");
  EXPECT_EQ(h->VchrLevel->Caption().toStdString(), "23.9V");
  for (TShape* box : {h->VbattAnalogueValueBox, h->VchrAnalogueValueBox, h->VssAnalogueValueBox}) {
    EXPECT_EQ(box->Tag(), 0);
  }
  // The monitors keep their layout width and hold no value.
  for (TShape* fill : {h->Relay1Value, h->Relay2Value, h->TransmissionDeviceValue}) {
    EXPECT_EQ(fill->Width(), 50);
    EXPECT_EQ(fill->Tag(), 0);
  }
}

TEST_F(LevelControlTest, CreationSetsTheRangeMarksFromTheirThresholds) {
  const struct {
    const char* name;
    int left, width;
  } marks[] = {{"ZoneRangeShort", 40, 28},      {"ZoneRangeFire", 40, 55},     {"ZoneRangeDouble", 40, 174},
               {"ZoneRangeNormal", 40, 224},    {"ZoneRangeOpen", 40, 260},    {"BatteryRangeLow", 40, 143},
               {"BatteryRangeNormal", 40, 196}, {"BatteryRangeHigh", 40, 260}, {"VssRangeLow", 40, 129},
               {"VssRangeNormal", 40, 210},     {"VssRangeHigh", 40, 260},     {"Shape4", 8, 25},
               {"Shape3", 8, 49},               {"Shape2", 8, 68},             {"Shape9", 96, 25},
               {"Shape10", 8, 25}};
  for (const auto& mark : marks) {
    const TControl* band = h->FindControl(mark.name);
    ASSERT_NE(band, nullptr) << mark.name;
    EXPECT_EQ(band->Left(), mark.left) << mark.name;
    EXPECT_EQ(band->Width(), mark.width) << mark.name;
  }
}

TEST_F(LevelControlTest, PressesClampToTheBox) {
  TShape* box = h->ZoneAnalogueControl[2];
  const struct {
    int x, fill;
  } presses[] = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {257, 255}, {258, 256}, {400, 256}};
  for (const auto& press : presses) {
    ClickLevel(box, press.x);
    EXPECT_EQ(h->ZoneAnalogueValue[2]->Width(), press.fill) << press.x;
  }
}

TEST_F(LevelControlTest, DragFollowsThePointerAndClampsBeyondEitherEnd) {
  TShape* box = h->ZoneAnalogueControl[4];
  Press(box, Qt::LeftButton, {100, 5});
  EXPECT_EQ(box->Tag(), 1);
  Drag(box, Qt::LeftButton, {79, 40});  // the vertical position plays no part
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 77);
  EXPECT_EQ(h->ZoneResValue[4]->Caption().toStdString(), "1K04");
  Drag(box, Qt::LeftButton, {-60, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 0);
  Drag(box, Qt::LeftButton, {900, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 256);
  Release(box, Qt::LeftButton, {49, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 47);
  EXPECT_EQ(h->ZoneResValue[4]->Caption().toStdString(), "473R");
  EXPECT_EQ(box->Tag(), 0);
  Drag(box, Qt::NoButton, {200, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 47);
}

TEST_F(LevelControlTest, HoveringOrRightDraggingChangesNothing) {
  TShape* box = h->VssAnalogueValueBox;
  Drag(box, Qt::NoButton, {20, 5});
  Press(box, Qt::RightButton, {30, 5});
  Drag(box, Qt::RightButton, {40, 5});
  Release(box, Qt::RightButton, {50, 5});
  EXPECT_EQ(box->Tag(), 0);
  EXPECT_EQ(h->VssAnalogueValue->Width(), 186);
  EXPECT_EQ(h->VssAnalogueValue->Tag(), 27851);
  EXPECT_EQ(h->VssLevel->Caption().toStdString(), "27.8V");
}

TEST_F(LevelControlTest, LinkedChargerFollowsTheBatteryAndTheBatteryTheCharger) {
  ASSERT_EQ(h->CrossLinkBatteryCharger->ItemIndex(), 0);
  Press(h->VbattAnalogueValueBox, Qt::LeftButton, {97, 5});
  Drag(h->VbattAnalogueValueBox, Qt::LeftButton, {188, 5});
  EXPECT_EQ(h->VchrAnalogueValue->Width(), 186);
  EXPECT_EQ(h->VchrLevel->Caption().toStdString(), "27.8V");
  EXPECT_EQ(h->VchrAnalogueValueBox->Tag(), 0);
  Release(h->VbattAnalogueValueBox, Qt::LeftButton, {188, 5});
  ClickLevel(h->VchrAnalogueValueBox, 49);
  EXPECT_EQ(h->VbattAnalogueValue->Width(), 47);
  EXPECT_EQ(h->VbattLevel->Caption().toStdString(), "7V");
  EXPECT_EQ(h->VbattAnalogueValueBox->Tag(), 0);
}

TEST_F(LevelControlTest, RemovedLinkLeavesTheChargerAlone) {
  LeftClick(h->CrossLinkBatteryCharger);
  ASSERT_EQ(h->CrossLinkBatteryCharger->ItemIndex(), 1);
  ClickLevel(h->VbattAnalogueValueBox, 97);
  EXPECT_EQ(h->VbattAnalogueValue->Width(), 95);
  EXPECT_EQ(h->VbattLevel->Caption().toStdString(), "14.2V");
  EXPECT_EQ(h->VchrAnalogueValue->Width(), 160);
  EXPECT_EQ(h->VchrLevel->Caption().toStdString(), "23.9V");
}

TEST_F(LevelControlTest, MonitorsKeepOnlyTheirFillWidth) {
  const struct {
    TShape* box;
    TShape* fill;
  } monitors[] = {{h->Relay1ValueBox, h->Relay1Value},
                  {h->Relay2ValueBox, h->Relay2Value},
                  {h->TransmissionDeviceValueBox, h->TransmissionDeviceValue}};
  for (const auto& monitor : monitors) {
    EXPECT_EQ(monitor.box->Width(), 68);
    EXPECT_EQ(monitor.box->Height(), 7);
    ClickLevel(monitor.box, 25);
    EXPECT_EQ(monitor.fill->Width(), 23);
    ClickLevel(monitor.box, 70);
    EXPECT_EQ(monitor.fill->Width(), 64);
    EXPECT_EQ(monitor.fill->Tag(), 0);
  }
  EXPECT_EQ(h->Relay1Width(), 64);
  EXPECT_EQ(h->Relay2Width(), 64);
  EXPECT_EQ(h->TransmissionDeviceWidth(), 64);
}

TEST_F(LevelControlTest, HandlersIgnoreASenderThatIsNoLevelBox) {
  h->AnalogueControl1MouseDown(h->GroupBox1, MouseButton::Left, 0, 100, 0);
  h->AnalogueControl1MouseUp(h->GroupBox1, MouseButton::Left, 0, 100, 0);
  for (TShape* fill : h->ZoneAnalogueValue) EXPECT_EQ(fill->Width(), 198);
  EXPECT_EQ(h->VssAnalogueValue->Width(), 186);
}

}  // namespace
