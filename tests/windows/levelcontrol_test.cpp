#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/windows/hardwarecontrol_fixture.h"
#include "tests/windows/worked_levels.h"

namespace {

// The pointer moving over a box with no button held.
void Hover(TControl* box, Point at) { box->MouseMove(0, at.x, at.y); }

// A point of a control in its window's client coordinates.
Point InWindow(const TControl* control, Point local) {
  for (const TControl* c = control; c->Parent(); c = c->Parent()) {
    local.x += c->Left();
    local.y += c->Top();
  }
  return local;
}

class LevelControlWorkedValues : public HardwareControlTest, public ::testing::WithParamInterface<WorkedLevel> {};

TEST_P(LevelControlWorkedValues, PressSetsFillValueAndReading) {
  const WorkedLevel& v = GetParam();
  ClickLevel(h->ZoneAnalogueControl[0], v.fill + 2);
  EXPECT_EQ(h->ZoneAnalogueValue[0]->Width(), v.fill);
  EXPECT_EQ(h->ZoneAnalogueValue[0]->Tag(), v.ohms);
  EXPECT_EQ(h->ZoneResValue[0]->Caption(), v.zoneReading);
  ClickLevel(h->VssAnalogueValueBox, v.fill + 2);
  EXPECT_EQ(h->VssAnalogueValue->Width(), v.fill);
  EXPECT_EQ(h->VssAnalogueValue->Tag(), v.millivolts);
  EXPECT_EQ(h->VssLevel->Caption(), v.supplyReading);
  ClickLevel(h->VbattAnalogueValueBox, v.fill + 2);
  EXPECT_EQ(h->VbattAnalogueValue->Tag(), v.millivolts);
  EXPECT_EQ(h->VbattLevel->Caption(), v.supplyReading);
}

// A value set from outside (a script's level line) lands on the fill a press
// there gives, and the linked charger follows the battery as it would a drag.
TEST_P(LevelControlWorkedValues, SetValueGivesTheFillAPressThereGives) {
  const WorkedLevel& v = GetParam();
  const auto level = [&](const TShape* box) -> TLevelControl& {
    for (const auto& l : h->Levels()) {
      if (l->Box() == box) return *l;
    }
    throw std::logic_error("no level");
  };
  level(h->ZoneAnalogueControl[0]).SetValue(v.ohms);
  EXPECT_EQ(h->ZoneAnalogueValue[0]->Width(), v.fill);
  EXPECT_EQ(h->ZoneResValue[0]->Caption(), v.zoneReading);
  level(h->VbattAnalogueValueBox).SetValue(v.millivolts + 1);  // the nearest fill's
  EXPECT_EQ(h->VbattAnalogueValue->Width(), v.fill);
  EXPECT_EQ(h->VchrAnalogueValue->Width(), v.fill);
  EXPECT_EQ(h->VchrLevel->Caption(), v.supplyReading);
  EXPECT_EQ(h->VbattAnalogueValueBox->Tag(), 0);
}

INSTANTIATE_TEST_SUITE_P(Box260, LevelControlWorkedValues, ::testing::ValuesIn(workedLevels),
                         [](const auto& info) { return WorkedLevelName(info.param); });

using LevelControlTest = HardwareControlTest;

TEST_F(LevelControlTest, CreationPressesEveryLevelAtItsDefault) {
  for (int zone = 0; zone < 8; ++zone) {
    EXPECT_EQ(h->ZoneAnalogueValue[zone]->Width(), 198) << zone;  // pressed at 200
    EXPECT_EQ(h->ZoneAnalogueValue[zone]->Tag(), 4727) << zone;
    EXPECT_EQ(h->ZoneResValue[zone]->Caption(), "4K72") << zone;
    EXPECT_EQ(h->ZoneAnalogueControl[zone]->Tag(), 0) << zone;
  }
  EXPECT_EQ(h->VssAnalogueValue->Width(), 186);
  EXPECT_EQ(h->VssLevel->Caption(), "27.8V");
  for (TShape* fill : {h->VbattAnalogueValue, h->VchrAnalogueValue}) {
    EXPECT_EQ(fill->Width(), 160);
    EXPECT_EQ(fill->Tag(), 23958);
  }
  EXPECT_EQ(h->VbattLevel->Caption(), "23.9V");
  EXPECT_EQ(h->VchrLevel->Caption(), "23.9V");
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
  Press(box, MouseButton::Left, {100, 5});
  EXPECT_EQ(box->Tag(), 1);
  Drag(box, MouseButton::Left, {79, 40});  // the vertical position plays no part
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 77);
  EXPECT_EQ(h->ZoneResValue[4]->Caption(), "1K04");
  Drag(box, MouseButton::Left, {-60, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 0);
  Drag(box, MouseButton::Left, {900, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 256);
  Release(box, MouseButton::Left, {49, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 47);
  EXPECT_EQ(h->ZoneResValue[4]->Caption(), "473R");
  EXPECT_EQ(box->Tag(), 0);
  Hover(box, {200, 5});
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 47);
}

// Through the window: the box lies over its bands and fill and takes the
// press; the drag stays with it over the rows below and past its end.
TEST_F(LevelControlTest, DragFedThroughTheWindowStaysWithThePressedBox) {
  TShape* box = h->ZoneAnalogueControl[4];
  const Point press = InWindow(box, {100, 5});
  h->PointerDown(MouseButton::Left, ssLeft, press.x, press.y);
  EXPECT_EQ(box->Tag(), 1);
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 98);
  const Point overNextRow = InWindow(h->ZoneAnalogueControl[5], {79, 5});
  h->PointerMove(ssLeft, overNextRow.x, overNextRow.y);
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 77);
  const Point pastTheEnd = InWindow(box, {400, 30});
  h->PointerMove(ssLeft, pastTheEnd.x, pastTheEnd.y);
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 256);
  const Point release = InWindow(h->ZoneAnalogueControl[6], {49, 5});
  h->PointerUp(MouseButton::Left, 0, release.x, release.y);
  EXPECT_EQ(h->ZoneAnalogueValue[4]->Width(), 47);
  EXPECT_EQ(box->Tag(), 0);
  EXPECT_EQ(h->ZoneAnalogueValue[5]->Width(), 198);
  EXPECT_EQ(h->ZoneAnalogueValue[6]->Width(), 198);
}

TEST_F(LevelControlTest, HoveringOrRightDraggingChangesNothing) {
  TShape* box = h->VssAnalogueValueBox;
  Hover(box, {20, 5});
  Press(box, MouseButton::Right, {30, 5});
  Drag(box, MouseButton::Right, {40, 5});
  Release(box, MouseButton::Right, {50, 5});
  EXPECT_EQ(box->Tag(), 0);
  EXPECT_EQ(h->VssAnalogueValue->Width(), 186);
  EXPECT_EQ(h->VssAnalogueValue->Tag(), 27851);
  EXPECT_EQ(h->VssLevel->Caption(), "27.8V");
}

TEST_F(LevelControlTest, LinkedChargerFollowsTheBatteryAndTheBatteryTheCharger) {
  ASSERT_EQ(h->CrossLinkBatteryCharger->ItemIndex(), 0);
  Press(h->VbattAnalogueValueBox, MouseButton::Left, {97, 5});
  Drag(h->VbattAnalogueValueBox, MouseButton::Left, {188, 5});
  EXPECT_EQ(h->VchrAnalogueValue->Width(), 186);
  EXPECT_EQ(h->VchrLevel->Caption(), "27.8V");
  EXPECT_EQ(h->VchrAnalogueValueBox->Tag(), 0);
  Release(h->VbattAnalogueValueBox, MouseButton::Left, {188, 5});
  ClickLevel(h->VchrAnalogueValueBox, 49);
  EXPECT_EQ(h->VbattAnalogueValue->Width(), 47);
  EXPECT_EQ(h->VbattLevel->Caption(), "7V");
  EXPECT_EQ(h->VbattAnalogueValueBox->Tag(), 0);
}

TEST_F(LevelControlTest, RemovedLinkLeavesTheChargerAlone) {
  LeftClick(h->CrossLinkBatteryCharger);
  ASSERT_EQ(h->CrossLinkBatteryCharger->ItemIndex(), 1);
  ClickLevel(h->VbattAnalogueValueBox, 97);
  EXPECT_EQ(h->VbattAnalogueValue->Width(), 95);
  EXPECT_EQ(h->VbattLevel->Caption(), "14.2V");
  EXPECT_EQ(h->VchrAnalogueValue->Width(), 160);
  EXPECT_EQ(h->VchrLevel->Caption(), "23.9V");
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
