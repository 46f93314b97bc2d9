#include "firmware/menu.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/firmware/operator_fixture.h"

namespace {

// Function keys 1..5 of the engineering menu.
constexpr uint8_t functionKey[6] = {0, keyBuzzerMute, keyDelayOnOff, keyItemSelect, keyDisableTestNormal, keyLampTest};
constexpr uint8_t nextItemKey = keySoundersStartStop;
constexpr uint8_t changeValueKey = keyReset;
constexpr uint8_t topLevelKey = keyAccept;

uint8_t XorOfAllConfig(Firmware& firmware) {
  uint8_t sum = 0;
  for (int address = 0; address < 256; ++address) sum ^= firmware.ReadConfig(uint8_t(address));
  return sum;
}

class Menu : public OperatorTest {
 public:
  void SetUp() override {
    OperatorTest::SetUp();
    EnterEngineering();
  }
  void OpenPage(int page, int item = 0) {
    Press(topLevelKey);
    Press(functionKey[page]);
    PressTimes(nextItemKey, item);
    ASSERT_EQ(panel.menuPage, page);
    ASSERT_EQ(panel.menuItem, item);
  }
  void FunctionKey(int key) { Press(functionKey[key]); }
};

struct PageItems {
  int page;
  int zones;
  int items;
};

const PageItems pageItems[] = {
    {1, 2, 2}, {2, 2, 2}, {2, 4, 4}, {2, 8, 8}, {3, 8, 4}, {4, 8, 2}, {5, 8, 2},
};

class MenuItems : public Menu, public ::testing::WithParamInterface<PageItems> {};

}  // namespace

TEST_P(MenuItems, NextItemWrapsAfterTheLastItemOfThePage) {
  SetZoneCount(GetParam().zones);
  OpenPage(GetParam().page);
  std::vector<int> seen;
  for (int i = 0; i < GetParam().items; ++i) {
    Press(nextItemKey);
    seen.push_back(panel.menuItem);
  }
  std::vector<int> expected;
  for (int i = 1; i < GetParam().items; ++i) expected.push_back(i);
  expected.push_back(0);
  EXPECT_EQ(seen, expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, MenuItems, ::testing::ValuesIn(pageItems),
                         [](const ::testing::TestParamInfo<PageItems>& info) {
                           return "Page" + std::to_string(info.param.page) + "With" +
                                  std::to_string(info.param.zones) + "Zones";
                         });

TEST_F(Menu, NextItemAtTheTopLevelLeavesItemZeroForEveryPage) {
  PressTimes(nextItemKey, 3);
  EXPECT_EQ(panel.menuPage, 0);
  EXPECT_EQ(panel.menuItem, 0);
  FunctionKey(3);
  EXPECT_EQ(panel.menuPage, 3);
  EXPECT_EQ(panel.menuItem, 0);
}

TEST_F(Menu, AcceptReturnsToTheTopLevel) {
  OpenPage(3, 2);
  Press(topLevelKey);
  EXPECT_EQ(panel.menuPage, 0);
  EXPECT_EQ(panel.menuItem, 0);
}

TEST_F(Menu, CoincidenceTogglesThePartnerZoneToo) {
  SetZoneCount(4);
  WriteConfig(3, zoneNonLatching | zoneOverridesDelays);
  OpenPage(2, 2);  // zone 3
  FunctionKey(4);
  EXPECT_EQ(ReadConfig(2), zoneCoincidence);
  EXPECT_EQ(ReadConfig(3), zoneNonLatching | zoneOverridesDelays | zoneCoincidence);
  FunctionKey(4);
  EXPECT_EQ(ReadConfig(2), 0);
  EXPECT_EQ(ReadConfig(3), zoneNonLatching | zoneOverridesDelays);
  EXPECT_EQ(XorOfAllConfig(*this), 0);
}

TEST_F(Menu, CoincidenceFollowsTheChangedZoneWhenThePartnersDiffered) {
  WriteConfig(0, zoneCoincidence);
  OpenPage(2, 1);
  FunctionKey(4);  // zone 2 gains it; zone 1 keeps it
  EXPECT_EQ(ReadConfig(0) & zoneCoincidence, zoneCoincidence);
  EXPECT_EQ(ReadConfig(1) & zoneCoincidence, zoneCoincidence);
}

TEST_F(Menu, ZoneOptionKeysToggleTheirBitsAndStepTheConfirmationTime) {
  SetZoneCount(8);
  OpenPage(2, 5);
  const std::array<uint8_t, 3> toggles = {zoneNonLatching, zoneShortIsFire, zoneOverridesDelays};
  for (int key = 1; key <= 3; ++key) {
    FunctionKey(key);
    EXPECT_EQ(ReadConfig(5), toggles[key - 1]) << "key " << key;
    FunctionKey(key);
    EXPECT_EQ(ReadConfig(5), 0) << "key " << key;
  }
  std::vector<int> steps;
  for (int i = 0; i < 4; ++i) {
    FunctionKey(5);
    steps.push_back(ReadConfig(5));
  }
  EXPECT_EQ(steps, (std::vector<int>{0x10, 0x20, 0x30, 0x00}));
  EXPECT_EQ(ReadConfig(4), 0);
}

struct ValueStep {
  const char* name;
  int page;
  int item;
  uint8_t address;
  uint8_t before;
  uint8_t after;
};

const ValueStep valueSteps[] = {
    {"OutputType0To1", 3, 0, 9, 0x00, 0x01},
    {"OutputType2To0KeepsDelayed", 3, 2, 11, 0x0A, 0x08},
    {"OutputType5To0", 3, 3, 12, 0x05, 0x00},
    {"InputFunction3To4", 4, 1, 14, 0xF3, 0xF4},
    {"InputFunction6To0", 4, 0, 13, 0x06, 0x00},
    {"FirstStage1To2", 5, 0, 15, 0x91, 0xA1},
    {"FirstStage4To0", 5, 0, 15, 0xCA, 0x8A},
    {"SecondStage1To2", 5, 1, 15, 0x91, 0x92},
    {"SecondStage10To0", 5, 1, 15, 0xBA, 0xB0},
    {"PanelOptionsUnchanged", 1, 0, 8, 0x03, 0x03},
    {"ZoneOptionsUnchanged", 2, 1, 1, 0x35, 0x35},
};

class MenuValues : public Menu, public ::testing::WithParamInterface<ValueStep> {};

TEST_P(MenuValues, ResetStepsTheFieldAndWrapsAfterItsLastValue) {
  const ValueStep& step = GetParam();
  WriteConfig(step.address, step.before);
  OpenPage(step.page, step.item);
  Press(changeValueKey);
  EXPECT_EQ(ReadConfig(step.address), step.after);
  EXPECT_EQ(XorOfAllConfig(*this), 0);
  EXPECT_TRUE(panel.panelMode & engineeringMode);
}

INSTANTIATE_TEST_SUITE_P(Fields, MenuValues, ::testing::ValuesIn(valueSteps),
                         [](const ::testing::TestParamInfo<ValueStep>& info) { return info.param.name; });

TEST_F(Menu, SecondStageRunsThroughTenMinutesThenZero) {
  OpenPage(5, 1);
  std::vector<int> values;
  for (int i = 0; i < 11; ++i) {
    Press(changeValueKey);
    values.push_back(ReadConfig(cfgDelayOptions));
  }
  EXPECT_EQ(values, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}));
}

TEST_F(Menu, OutputPageKey1TogglesTheDelayedOption) {
  WriteConfig(10, outputTypeFireRouting);
  OpenPage(3, 1);
  FunctionKey(1);
  EXPECT_EQ(ReadConfig(10), outputTypeFireRouting | outputObeysDelays);
  for (int key = 2; key <= 5; ++key) FunctionKey(key);
  EXPECT_EQ(ReadConfig(10), outputTypeFireRouting | outputObeysDelays);
  FunctionKey(1);
  EXPECT_EQ(ReadConfig(10), outputTypeFireRouting);
}

TEST_F(Menu, DelayPageKey1TogglesCancelOnAFurtherZone) {
  WriteConfig(cfgDelayOptions, 0x11);
  OpenPage(5, 1);
  FunctionKey(1);
  EXPECT_EQ(ReadConfig(cfgDelayOptions), 0x91);
  FunctionKey(2);
  EXPECT_EQ(ReadConfig(cfgDelayOptions), 0x91);
}

TEST_F(Menu, InputPageFunctionKeysChangeNothing) {
  WriteConfig(13, 0x02);
  OpenPage(4);
  for (int key = 1; key <= 5; ++key) FunctionKey(key);
  EXPECT_EQ(ReadConfig(13), 0x02);
  EXPECT_EQ(panel.menuPage, 4);
}

TEST_F(Menu, PanelOptionKeys) {
  OpenPage(1);
  FunctionKey(1);
  EXPECT_EQ(panel.panelMode & (buzzerQuiet | fastFaultTiming), buzzerQuiet);
  FunctionKey(2);
  EXPECT_EQ(panel.panelMode & (buzzerQuiet | fastFaultTiming), buzzerQuiet | fastFaultTiming);
  EXPECT_EQ(ReadConfig(cfgPanelOptions), 0);  // not stored
  FunctionKey(3);
  EXPECT_EQ(ReadConfig(cfgPanelOptions), panelAcceptAtLevel1);
  FunctionKey(4);
  EXPECT_EQ(ReadConfig(cfgPanelOptions), panelAcceptAtLevel1 | panelLampTestAtLevel1);
  FunctionKey(5);
  EXPECT_EQ(ReadConfig(cfgPanelOptions), panelAcceptAtLevel1 | panelLampTestAtLevel1);
  FunctionKey(1);
  EXPECT_FALSE(panel.panelMode & buzzerQuiet);
}

TEST_F(Menu, ChecksumKeyWithoutAFaultOnlyClicks) {
  HardwareRequest(WRITE_NV_BYTE, 0x55 * 256 + 20);  // a byte changed behind the firmware's back
  OpenPage(1, 1);
  RequestRecorder recorder(t.board());
  FunctionKey(1);
  EXPECT_EQ(Clicks(recorder), 1);
  EXPECT_NE(XorOfAllConfig(*this), 0);
}

TEST_F(Menu, ChecksumKeyAcceptsThePresentContentsAfterAChecksumFault) {
  SetCoverOff(false);
  Ticks50(2);
  HardwareRequest(WRITE_NV_BYTE, 0x55 * 256 + 20);
  Ticks50(2 * 256);  // two full checks find it
  ASSERT_TRUE(panel.systemFaults & configCheckFault);
  SetCoverOff(true);
  Ticks50(3);
  ASSERT_TRUE(panel.panelMode & engineeringMode);
  OpenPage(1, 1);
  FunctionKey(1);
  EXPECT_FALSE(panel.systemFaults & configCheckFault);
  EXPECT_EQ(XorOfAllConfig(*this), 0);
  EXPECT_EQ(ReadConfig(20), 0x55);
}

class FactoryDefaults : public Menu, public ::testing::WithParamInterface<bool> {};

TEST_P(FactoryDefaults, WriteTheRowOfTheModeLinkAndKeepCountersAndDisablements) {
  const bool vds = GetParam();
  SetVdsLink(vds);
  for (uint8_t address = 0; address < 16; ++address) WriteConfig(address, 0xEE);
  const uint8_t kept[] = {0x04, 0x42, 0x0C, 0x30, 0x05};
  for (int i = 0; i < 5; ++i) WriteConfig(uint8_t(cfgAlarmCountHundreds + i), kept[i]);
  OpenPage(1, 1);
  FunctionKey(5);
  const std::array<uint8_t, 16> expected =
      vds ? std::array<uint8_t, 16>{4, 0, 4, 0, 4, 0, 4, 0, 3, 0, 0, 9, 2, 3, 5, 0x91}
          : std::array<uint8_t, 16>{4, 0, 4, 0, 4, 0, 4, 0, 0, 0, 0, 9, 2, 3, 0, 0x91};
  for (uint8_t address = 0; address < 16; ++address) EXPECT_EQ(ReadConfig(address), expected[address]) << int(address);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ReadConfig(uint8_t(cfgAlarmCountHundreds + i)), kept[i]);
  EXPECT_EQ(XorOfAllConfig(*this), 0);
}

INSTANTIATE_TEST_SUITE_P(ModeLink, FactoryDefaults, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "VdS" : "Plain"; });

TEST_F(Menu, FactoryDefaultsRepairABrokenChecksum) {
  HardwareRequest(WRITE_NV_BYTE, 0x55 * 256 + 20);
  LoadFactoryDefaults();
  EXPECT_EQ(XorOfAllConfig(*this), 0);
}
