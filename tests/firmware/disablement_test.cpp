#include "firmware/disablement.h"

#include <gtest/gtest.h>

#include <vector>

#include "firmware/firmware.h"
#include "tests/firmware/operator_fixture.h"

namespace {

struct ItemOrder {
  int zones;
  std::vector<int> items;
};

const ItemOrder itemOrders[] = {
    {2, {1, 2, 3, 4, 5, 12, 13, 1}},
    {4, {1, 2, 3, 4, 5, 6, 7, 12, 13, 1}},
    {8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 1}},
};

class Disablement : public OperatorTest {
 public:
  void SetUp() override {
    OperatorTest::SetUp();
    EnterLevel2();
  }
  // From nothing selected, Item select pressed until the item is reached.
  void Select(int item) {
    for (int presses = 0; presses < 16 && panel.selectedItem != item; ++presses) Press(keyItemSelect);
    ASSERT_EQ(panel.selectedItem, item);
  }
  uint8_t Disabled() { return ReadConfig(cfgZonesDisabled); }
  uint8_t InTest() { return ReadConfig(cfgZonesInTest); }
};

class ItemSelectOrder : public Disablement, public ::testing::WithParamInterface<ItemOrder> {};

}  // namespace

TEST_P(ItemSelectOrder, FollowsTheZoneCount) {
  SetZoneCount(GetParam().zones);
  std::vector<int> seen;
  for (size_t i = 0; i < GetParam().items.size(); ++i) {
    Press(keyItemSelect);
    seen.push_back(panel.selectedItem);
  }
  EXPECT_EQ(seen, GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(Zones, ItemSelectOrder, ::testing::ValuesIn(itemOrders),
                         [](const ::testing::TestParamInfo<ItemOrder>& info) {
                           return std::to_string(info.param.zones) + "Zones";
                         });

TEST_F(Disablement, ItemSelectAfterItem14StartsAgainAtItem1) {
  panel.zonesFaultDetected = ZoneBit(1);
  Press(keyDisableTestNormal);
  ASSERT_EQ(panel.selectedItem, itemFlaggedZones);
  Press(keyItemSelect);
  EXPECT_EQ(panel.selectedItem, itemAllOutputs);
}

TEST_F(Disablement, ZoneCyclesNormalDisabledTestNormalStoredAtOnce) {
  SetZoneCount(4);
  Select(itemFirstZone + 2);  // zone 3
  Press(keyDisableTestNormal);
  EXPECT_EQ(Disabled(), 0x04);
  EXPECT_EQ(InTest(), 0x00);
  Press(keyDisableTestNormal);
  EXPECT_EQ(Disabled(), 0x00);
  EXPECT_EQ(InTest(), 0x04);
  Press(keyDisableTestNormal);
  EXPECT_EQ(Disabled(), 0x00);
  EXPECT_EQ(InTest(), 0x00);
}

TEST_F(Disablement, GroupIsJudgedOnAllItsZones) {
  SetZoneCount(4);
  Select(itemFirstZone);  // zone 1 to test
  PressTimes(keyDisableTestNormal, 2);
  ASSERT_EQ(InTest(), 0x01);
  Press(keyAccept);  // cancel, then start again from nothing
  Select(itemAllZones);
  Press(keyDisableTestNormal);
  EXPECT_EQ(Disabled(), 0x0F);
  EXPECT_EQ(InTest(), 0x01);  // zone 1 in both until the next press
  Press(keyDisableTestNormal);
  EXPECT_EQ(Disabled(), 0x00);
  EXPECT_EQ(InTest(), 0x0F);
  Press(keyDisableTestNormal);
  EXPECT_EQ(InTest(), 0x00);
}

TEST_F(Disablement, AllZonesOnATwoZonePanelIsTwoZones) {
  Select(itemAllZones);
  Press(keyDisableTestNormal);
  EXPECT_EQ(Disabled(), 0x03);
}

TEST_F(Disablement, AllOutputsWithOnlySoundersDisabledDisablesAllThenEnablesAll) {
  Select(itemSounders);
  Press(keyDisableTestNormal);
  ASSERT_EQ(panel.outputDisables, soundersDisabled);
  Press(keyAccept);
  Select(itemAllOutputs);
  Press(keyDisableTestNormal);
  EXPECT_EQ(panel.outputDisables, 0x07);
  EXPECT_EQ(ReadConfig(cfgOutputDisables), 0x07);
  Press(keyDisableTestNormal);
  EXPECT_EQ(panel.outputDisables, 0x00);
  EXPECT_EQ(ReadConfig(cfgOutputDisables), 0x00);
}

TEST_F(Disablement, OutputItemsActOnTheirGroups) {
  const struct {
    int item;
    uint8_t mask;
  } groups[] = {{itemFireRouting, fireRoutingDisabled},
                {itemSounders, soundersDisabled},
                {itemRoutings, fireRoutingDisabled | faultRoutingDisabled}};
  for (const auto& group : groups) {
    Select(group.item);
    Press(keyDisableTestNormal);
    EXPECT_EQ(panel.outputDisables, group.mask) << "item " << group.item;
    Press(keyDisableTestNormal);
    EXPECT_EQ(panel.outputDisables, 0) << "item " << group.item;
  }
}

TEST_F(Disablement, OutputDisablesSurviveARestart) {
  Select(itemRoutings);
  Press(keyDisableTestNormal);
  Firmware restarted(t.board());
  restarted.FirmwareStart();
  EXPECT_EQ(restarted.panel.outputDisables, fireRoutingDisabled | faultRoutingDisabled);
}

TEST_F(Disablement, NothingSelectedAndNothingFlaggedOnlyClicks) {
  RequestRecorder recorder(t.board());
  Press(keyDisableTestNormal);
  EXPECT_EQ(panel.selectedItem, 0);
  EXPECT_EQ(Disabled() | InTest() | ReadConfig(cfgOutputDisables), 0);
  EXPECT_EQ(Clicks(recorder), 1);
}

TEST_F(Disablement, NothingSelectedWithAFlaggedZoneSelectsThemAllAndCyclesThem) {
  SetZoneCount(4);
  Select(itemFirstZone + 1);  // zone 2 disabled
  Press(keyDisableTestNormal);
  Press(keyAccept);
  panel.zonesFaultDetected = ZoneBit(3);
  Press(keyDisableTestNormal);
  ASSERT_EQ(panel.selectedItem, itemFlaggedZones);
  EXPECT_EQ(Disabled(), 0x02);  // nothing else changes on that press
  Press(keyDisableTestNormal);
  EXPECT_EQ(Disabled(), 0x0A);
}

TEST_F(Disablement, DisabledOrTestMaskCombinesAllFourSources) {
  WriteConfig(cfgZonesDisabled, 0x01);
  WriteConfig(cfgZonesInTest, 0x02);
  panel.zonesAlarmDetected = 0x10;
  panel.zonesFaultDetected = 0x80;
  EXPECT_EQ(DisabledOrTestMask(), 0x93);
}

TEST_F(Disablement, ClearOutputDisablesOnlyWhenAllOfTheMaskAreSet) {
  ToggleOutputDisables(soundersDisabled);
  ClearOutputDisables(soundersDisabled | fireRoutingDisabled);
  EXPECT_EQ(panel.outputDisables, soundersDisabled);
  ClearOutputDisables(soundersDisabled);
  EXPECT_EQ(panel.outputDisables, 0);
  EXPECT_EQ(ReadConfig(cfgOutputDisables), 0);
}

TEST_F(Disablement, ChecksumStaysRightThroughEveryChange) {
  Select(itemFirstZone);
  PressTimes(keyDisableTestNormal, 2);
  Select(itemAllOutputs);
  Press(keyDisableTestNormal);
  uint8_t sum = 0;
  for (int address = 0; address < 256; ++address) sum ^= ReadConfig(uint8_t(address));
  EXPECT_EQ(sum, 0);
}

using WalkTest = OperatorTest;

TEST_F(WalkTest, AlarmFromAZoneInTestIsClearedAfter40Ticks) {
  WriteConfig(cfgZonesInTest, 0x02);
  Ticks50(1);
  StartFire(1);
  Ticks50(39);
  EXPECT_EQ(panel.zonesAlarmDetected, 0x02);
  Ticks50(1);
  EXPECT_EQ(panel.zonesAlarmDetected, 0);
  EXPECT_EQ(panel.zonesInFire, 0);
  EXPECT_TRUE(panel.panelMode2 & zoneResetActive);  // zone supply off for 5 s
}

TEST_F(WalkTest, AnAlarmFromAZoneNotInTestStopsTheClearing) {
  WriteConfig(cfgZonesInTest, 0x02);
  Ticks50(1);
  StartFire(1);
  Ticks50(30);
  StartFire(0);
  Ticks50(100);
  EXPECT_EQ(panel.zonesAlarmDetected, 0x03);
  EXPECT_EQ(disablementState.zoneTestResetCount, 0);
}
