#include "board/analogue.h"

#include <gtest/gtest.h>

#include <cmath>

#include "board/hardware_interface.h"
#include "tests/support/test_board.h"

namespace {

int32_t Read(uint8_t channel) { return HardwareRequest(READ_ANALOGUE, channel); }
int32_t ReadEndOfLine(uint8_t channel) { return HardwareRequest(READ_ANALOGUE_EOL, channel); }
void SelectLines(uint8_t lines) { HardwareRequest(SELECT_ZONE_LINES, lines); }
void SetRelayTest(uint8_t mode) { HardwareRequest(SET_RELAY_TEST, mode); }

// A board at 28.000 V, the reference channel reading 747, with 4700-ohm zone lines.
class Analogue : public ::testing::Test {
 public:
  void SetUp() override {
    t.analogue.supplyMv = 28000;
    for (auto& ohms : t.analogue.zoneOhms) ohms = 4700;
  }
  TestBoard t;
};

struct ZoneCase {
  int32_t ohms;
  int32_t reading;
};

class ZoneLine : public Analogue, public ::testing::WithParamInterface<ZoneCase> {};

}  // namespace

TEST_F(Analogue, ReferenceOf28VoltsReads747) { EXPECT_EQ(Read(channelReference), 747); }

TEST_P(ZoneLine, DividesTheReferenceWithTheSeriesResistor) {
  t.analogue.zoneOhms[0] = GetParam().ohms;
  SelectLines(0x01);
  EXPECT_EQ(Read(channelOddZones), GetParam().reading);
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, ZoneLine,
                         ::testing::Values(ZoneCase{4700, 622}, ZoneCase{178, 118}, ZoneCase{5640, 640},
                                           ZoneCase{0, 0}, ZoneCase{7131, 659}));

TEST_F(Analogue, EndOfLineTestWeighsTheCapacitor) {
  SelectLines(0x01);
  EXPECT_EQ(ReadEndOfLine(channelOddZones), 77);
  t.analogue.capacitor[0] = true;
  EXPECT_EQ(ReadEndOfLine(channelOddZones), 613);
}

TEST_F(Analogue, LineKOfTheEvenChannelIsZone2kPlus1) {
  t.analogue.zoneOhms[3] = 178;
  t.analogue.capacitor[3] = true;
  SelectLines(0x02);
  EXPECT_EQ(Read(channelEvenZones), 118);
  EXPECT_EQ(ReadEndOfLine(channelEvenZones), 613);
  EXPECT_EQ(Read(channelOddZones), 622);  // zone 2
}

TEST_F(Analogue, TwoSelectedLinesGiveTheMeanOfTheirTruncatedReadings) {
  t.analogue.zoneOhms[0] = 4700;
  t.analogue.zoneOhms[2] = 178;
  t.analogue.capacitor[0] = true;
  SelectLines(0x03);
  EXPECT_EQ(Read(channelOddZones), (622 + 118) / 2);
  EXPECT_EQ(ReadEndOfLine(channelOddZones), 747 * (600 + 76) / (2 * 730));
}

TEST_F(Analogue, NoSelectedLineReadsZeroInBothModes) {
  SelectLines(0);
  EXPECT_EQ(Read(channelOddZones), 0);
  EXPECT_EQ(ReadEndOfLine(channelEvenZones), 0);
}

TEST_F(Analogue, ZoneResetReadsTenUntilAnEndOfLineReadClearsIt) {
  SelectLines(0x01);
  HardwareRequest(SET_ZONE_RESET, 1);
  EXPECT_EQ(Read(channelOddZones), 10);
  EXPECT_EQ(Read(channelEvenZones), 10);
  EXPECT_EQ(t.board().Port(portZoneReset), 1);
  EXPECT_EQ(ReadEndOfLine(channelOddZones), 10);
  EXPECT_EQ(t.board().Port(portZoneReset), 0);
  EXPECT_EQ(Read(channelOddZones), 622);
  // Any channel's test read clears the flag.
  HardwareRequest(SET_ZONE_RESET, 1);
  ReadEndOfLine(9);
  EXPECT_EQ(Read(channelOddZones), 622);
}

TEST_F(Analogue, Relay1MonitorFollowsTheRelayTestInEveryState) {
  t.analogue.relay1Width = 40;
  const struct {
    uint8_t test;
    int32_t reading;
  } cases[] = {{0, 640}, {relayTestPullLow, 0}, {relayTestPullHigh, 1023}, {1, 640}};
  for (const auto& c : cases) {
    SetRelayTest(c.test);
    EXPECT_EQ(Read(channelRelay1Monitor), c.reading) << "relay test " << int(c.test);
  }
}

TEST_F(Analogue, Relay2MonitorDependsOnTheOptionalRelays) {
  t.analogue.relay2Width = 30;
  const struct {
    int32_t optional;
    uint8_t test;
    int32_t reading;
  } cases[] = {
      {optionalRelaysNotFitted, 0, 1023},    {optionalRelaysNotFitted, relayTestPullLow, 1023},
      {optionalRelaysNotFitted, relayTestPullHigh, 1023},
      {optionalRelaysMonitored, 0, 480},     {optionalRelaysMonitored, relayTestPullLow, 480},
      {optionalRelaysUnmonitored, 0, 1023},  {optionalRelaysUnmonitored, relayTestPullLow, 0},
      {optionalRelaysUnmonitored, relayTestPullHigh, 1023},
  };
  for (const auto& c : cases) {
    t.analogue.optionalRelays = c.optional;
    SetRelayTest(c.test);
    EXPECT_EQ(Read(channelRelay2Monitor), c.reading) << "optional " << c.optional << " test " << int(c.test);
  }
}

TEST_F(Analogue, BatteryChannelSwitchesToTheChargerWithTheChargerEnable) {
  t.analogue.batteryMv = 24000;
  t.analogue.chargerMv = 27600;
  EXPECT_EQ(Read(channelBatteryCharger), 24000 * 1024 / 38333);
  HardwareRequest(SET_POWER_OUTPUTS, pwrChargerEnable);
  EXPECT_EQ(Read(channelBatteryCharger), 27600 * 1024 / 38333);
}

TEST_F(Analogue, FullScaleReadsTheCeilingNot1024) {
  t.analogue.supplyMv = 38333;
  EXPECT_EQ(Read(channelReference), 1023);
  t.analogue.supplyMv = 38332;
  EXPECT_EQ(Read(channelReference), 1023);
  t.analogue.batteryMv = 50000;
  EXPECT_EQ(Read(channelBatteryCharger), 1023);
  t.analogue.transmissionDeviceWidth = 64;
  EXPECT_EQ(Read(channelTransmissionDevice), 1023);
}

TEST_F(Analogue, ChannelsWithoutSourceReadZero) {
  t.analogue.transmissionDeviceWidth = 20;
  EXPECT_EQ(Read(channelTransmissionDevice), 320);
  for (int channel : {6, 7, 8, 9, 11, 200, 255}) EXPECT_EQ(Read(uint8_t(channel)), 0) << channel;
}

TEST(AnalogueDefaults, AreTheHardwareWindowsCreationValues) {
  const int fullWidth = 256;
  EXPECT_EQ(defaultZoneOhms, int32_t(std::pow(198.0, 1.6)));
  EXPECT_EQ(int(std::pow(4700.0, 0.625)) + 3 - 2, 198);
  EXPECT_EQ(defaultSupplyMv, int32_t(186.0 * 38333 / fullWidth));
  EXPECT_EQ(int(fullWidth * 28000.0 / 38333 + 2) - 2, 186);
  EXPECT_EQ(defaultBatteryMv, 160 * 38333 / fullWidth);
  EXPECT_EQ(int(fullWidth * 24000.0 / 38333 + 2) - 2, 160);
}

TEST(AnalogueDefaults, ABoardWithoutSourceReadsThem) {
  TestBoard t;
  t.board().analogueSource = nullptr;
  HardwareRequest(SELECT_ZONE_LINES, 0x01);
  const int32_t reference = 27851 * 1024 / 38333;
  EXPECT_EQ(Read(channelReference), reference);
  EXPECT_EQ(Read(channelOddZones), int32_t(reference * 4727.0 / (4727 + 940)));
  EXPECT_EQ(Read(channelBatteryCharger), 23958 * 1024 / 38333);
  EXPECT_EQ(Read(channelRelay1Monitor), 50 * 16);
  EXPECT_EQ(Read(channelRelay2Monitor), 1023);
  EXPECT_EQ(ReadEndOfLine(channelOddZones), reference * 76 / 730);
}
