#include "firmware/zone_scanning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "firmware/firmware.h"
#include "tests/firmware/detection_fixture.h"
#include "tests/firmware/firmware_fixture.h"

namespace {

constexpr int32_t defaultSupply = defaultSupplyMv;  // reference channel 743, filtered 2972

class ZoneScanning : public DetectionTest {
 public:
  void SetOptions(uint8_t zone, uint8_t options) { WriteConfig(uint8_t(cfgZoneOptions + zone), options); }
  int AlarmCount() {
    const int tensUnits = ReadConfig(cfgAlarmCountTensUnits);
    return ReadConfig(cfgAlarmCountHundreds) * 100 + (tensUnits >> 4) * 10 + (tensUnits & 0x0F);
  }
  bool ChecksumHolds() {
    uint8_t sum = 0;
    for (int address = 0; address < 256; ++address) sum ^= ReadConfig(uint8_t(address));
    return sum == 0;
  }
  void ResetPanel() {
    EnterLevel2();
    Press(keyReset);
  }
};

struct BandCase {
  int32_t supplyMv;
  int32_t ohms;
  uint8_t options;
  bool capacitor;
  uint16_t level;  // normalised reading
  ZoneClass expected;
};

class Bands : public ZoneScanning, public ::testing::WithParamInterface<BandCase> {};

}  // namespace

TEST_P(Bands, NormalisedReadingFallsIntoItsBand) {
  const BandCase& c = GetParam();
  t.analogue.supplyMv = c.supplyMv;
  t.analogue.capacitor[0] = c.capacitor;
  SetOptions(0, c.options);
  Ticks20(50);  // the reference filter settles
  ASSERT_EQ(panel.zoneAlarmCount[0], 0);
  ASSERT_EQ(panel.zoneFaultCount[0], 0);
  SetZoneOhms(0, c.ohms);
  RequestRecorder recorder(t.board());
  Scans(0, 1);
  const auto reading = std::find_if(recorder.calls.begin(), recorder.calls.end(), [](const RecordedRequest& r) {
    return r.op == READ_ANALOGUE && r.arg == channelOddZones;
  });
  ASSERT_NE(reading, recorder.calls.end());
  EXPECT_EQ(NormaliseReading(uint16_t(reading->result)), c.level);
  const bool testRead = std::any_of(recorder.calls.begin(), recorder.calls.end(),
                                    [](const RecordedRequest& r) { return r.op == READ_ANALOGUE_EOL; });
  EXPECT_EQ(testRead, c.level >= 878);
  EXPECT_EQ(panel.zoneAlarmCount[0], c.expected == ZoneClass::Fire ? 1 : 0);
  EXPECT_EQ(panel.zoneFaultCount[0], c.expected == ZoneClass::Fault ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Edges, Bands,
                         ::testing::Values(BandCase{26205, 180, 0, false, 163, ZoneClass::Fault},
                                           BandCase{26205, 180, zoneShortIsFire, false, 163, ZoneClass::Fire},
                                           BandCase{defaultSupply, 180, 0, false, 164, ZoneClass::Fire},
                                           BandCase{defaultSupply, 566, 0, false, 384, ZoneClass::Fire},
                                           BandCase{defaultSupply, 569, 0, false, 385, ZoneClass::Fault},
                                           BandCase{26205, 3760, 0, false, 819, ZoneClass::Fault},
                                           BandCase{defaultSupply, 3780, 0, false, 820, ZoneClass::Normal},
                                           BandCase{defaultSupply, 5649, 0, false, 877, ZoneClass::Normal},
                                           BandCase{26280, 5659, 0, false, 878, ZoneClass::Fault},
                                           BandCase{26280, 5659, 0, true, 878, ZoneClass::Normal}));

TEST_F(ZoneScanning, FourZonePanelMeasuresPositions0To3OfEvery25) {
  SetZoneCount(4);
  Scans(3, 1);
  RequestRecorder recorder(t.board());
  Ticks20(50);
  std::vector<int32_t> selections, channels;
  for (const RecordedRequest& r : recorder.calls) {
    if (r.op == SELECT_ZONE_LINES) selections.push_back(r.arg);
    if (r.op == READ_ANALOGUE && r.arg <= channelEvenZones) channels.push_back(r.arg);
  }
  EXPECT_EQ(selections, (std::vector<int32_t>{1, 1, 2, 2, 1, 1, 2, 2}));
  EXPECT_EQ(channels, (std::vector<int32_t>{0, 1, 0, 1, 0, 1, 0, 1}));
}

TEST_F(ZoneScanning, ReferenceOutOfRangeFaultsEveryEnabledZoneWithoutMeasuring) {
  t.analogue.supplyMv = 16000;  // reference channel 427, filtered about 1708
  WriteConfig(cfgZonesDisabled, ZoneBit(1));
  Ticks20(50);
  RequestRecorder recorder(t.board());
  Scans(1, 40);
  EXPECT_TRUE(FaultLatched(0));
  EXPECT_FALSE(FaultLatched(1));
  EXPECT_EQ(std::count_if(recorder.calls.begin(), recorder.calls.end(),
                          [](const RecordedRequest& r) { return r.op == SELECT_ZONE_LINES; }),
            0);
}

struct ConfirmCase {
  uint8_t options;
  int scans;
};

class Confirmation : public ZoneScanning, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(Confirmation, TakesTheOptionsNumberOfConsecutiveFireScans) {
  SetOptions(1, GetParam().options);
  SetZoneOhms(1, fireOhms);
  Scans(1, GetParam().scans - 1);
  EXPECT_FALSE(Detected(1));
  Scans(1, 1);
  EXPECT_TRUE(InFire(1));
  EXPECT_TRUE(panel.panelMode & latchingFire);
  EXPECT_EQ(AlarmCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Times, Confirmation,
                         ::testing::Values(ConfirmCase{0x00, 2}, ConfirmCase{0x10, 60}, ConfirmCase{0x20, 120},
                                           ConfirmCase{0x30, 180}));

TEST_F(ZoneScanning, AScanThatIsNotFireCostsOneCountInsteadOfRestarting) {
  SetOptions(0, 0x10);  // 60 scans
  SetZoneOhms(0, fireOhms);
  Scans(0, 30);
  SetZoneOhms(0, normalOhms);
  Scans(0, 1);
  SetZoneOhms(0, fireOhms);
  Scans(0, 30);
  EXPECT_FALSE(Detected(0));
  Scans(0, 1);
  EXPECT_TRUE(Detected(0));
}

TEST_F(ZoneScanning, FaultLatchesAfter40ScansAndStaysWhenTheLineRecovers) {
  panel.panelMode |= faultBuzzerMuted;
  SetZoneOhms(0, faultOhms);
  Scans(0, 39);
  EXPECT_FALSE(FaultLatched(0));
  Scans(0, 1);
  EXPECT_TRUE(FaultLatched(0));
  EXPECT_FALSE(panel.panelMode & faultBuzzerMuted);
  SetZoneOhms(0, normalOhms);
  Scans(0, 45);
  EXPECT_TRUE(FaultLatched(0));
  EXPECT_EQ(panel.zoneFaultCount[0], 0);
}

TEST_F(ZoneScanning, FastFaultTimingLatchesAfterTwoScans) {
  panel.panelMode |= fastFaultTiming;
  SetZoneOhms(1, shortOhms);
  Scans(1, 1);
  EXPECT_FALSE(FaultLatched(1));
  Scans(1, 1);
  EXPECT_TRUE(FaultLatched(1));
}

struct NonLatchingCase {
  uint8_t options;
  int confirmScans;
  int scansToClear;
};

class NonLatching : public ZoneScanning, public ::testing::WithParamInterface<NonLatchingCase> {};

TEST_P(NonLatching, FireClearsTwoCountsBelowTheLimit) {
  const NonLatchingCase& c = GetParam();
  SetOptions(0, c.options);
  SetZoneOhms(0, fireOhms);
  Scans(0, c.confirmScans);
  ASSERT_TRUE(InFire(0));
  EXPECT_FALSE(panel.panelMode & latchingFire);
  SetZoneOhms(0, normalOhms);
  Scans(0, c.scansToClear - 1);
  EXPECT_TRUE(InFire(0));
  Scans(0, 1);
  EXPECT_FALSE(InFire(0));
  EXPECT_FALSE(Detected(0));
}

INSTANTIATE_TEST_SUITE_P(Options, NonLatching,
                         ::testing::Values(NonLatchingCase{zoneNonLatching, 2, 2},
                                           NonLatchingCase{zoneNonLatching | 0x10, 60, 2}));

TEST_F(ZoneScanning, ResetPowersTheZonesDownFor250TicksAndMeasuresNothing) {
  FireInZone(0);
  SetZoneOhms(0, normalOhms);
  RequestRecorder recorder(t.board());
  ResetPanel();
  while (panel.panelMode2 & zoneResetActive) Ticks20(1);
  std::vector<int32_t> resets;
  int ticksPowerDown = 0, selections = 0;
  for (const RecordedRequest& r : recorder.calls) {
    if (r.op == SET_ZONE_RESET) resets.push_back(r.arg);
    if (resets.size() != 1) continue;
    if (r.op == TAKE_TICK_20MS && r.result) ++ticksPowerDown;
    if (r.op == SELECT_ZONE_LINES) ++selections;
  }
  EXPECT_EQ(resets, (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(ticksPowerDown, 250);
  EXPECT_EQ(selections, 0);
  EXPECT_EQ(panel.zoneScanIndex, 0);
  Ticks20(1);
  EXPECT_EQ(panel.zoneScanIndex, 1);
}

TEST_F(ZoneScanning, FireOutlastingThePowerDownIsBackAtItsFirstScanAndCountedAgain) {
  FireInZone(0);
  ASSERT_EQ(AlarmCount(), 1);
  ResetPanel();
  EXPECT_FALSE(InFire(0));
  Scans(0, 1);
  EXPECT_TRUE(InFire(0));
  EXPECT_EQ(AlarmCount(), 2);
}

TEST_F(ZoneScanning, ResetWithoutAlarmKeepsScanning) {
  SetZoneOhms(0, faultOhms);
  Scans(0, 40);
  ASSERT_TRUE(FaultLatched(0));
  ResetPanel();
  EXPECT_FALSE(panel.panelMode2 & zoneResetActive);
  // The fault is still present: latched again at its next scan.
  Scans(0, 1);
  EXPECT_TRUE(FaultLatched(0));
}

TEST_F(ZoneScanning, CoincidenceZonesBothWithTheOptionNeedEachOther) {
  SetOptions(0, zoneCoincidence);
  SetOptions(1, zoneCoincidence);
  panel.panelMode |= fireBuzzerMuted;
  panel.sounderState |= soundersSilenced | soundersResounded;
  FireInZone(0);
  EXPECT_TRUE(Detected(0));
  EXPECT_FALSE(InFire(0));
  EXPECT_EQ(AlarmCount(), 0);
  EXPECT_FALSE(panel.panelMode & fireBuzzerMuted);
  EXPECT_FALSE(panel.sounderState & (soundersSilenced | soundersResounded));
  FireInZone(1);
  EXPECT_EQ(panel.zonesInFire, 0x03);
  EXPECT_EQ(AlarmCount(), 1);
}

TEST_F(ZoneScanning, CoincidenceOnOneZoneOnlyPullsOnlyFromThatZone) {
  SetOptions(0, zoneCoincidence);
  FireInZone(1);
  EXPECT_EQ(panel.zonesInFire, 0x02);
  FireInZone(0);
  EXPECT_EQ(panel.zonesInFire, 0x03);
  EXPECT_EQ(AlarmCount(), 2);
}

TEST_F(ZoneScanning, CoincidenceZoneConfirmingFirstWaitsWhenOnlyItHasTheOption) {
  SetOptions(0, zoneCoincidence);
  FireInZone(0);
  FireInZone(1);
  EXPECT_EQ(panel.zonesInFire, 0x02);
  EXPECT_EQ(panel.zonesAlarmDetected, 0x03);
}

TEST_F(ZoneScanning, ZoneInTestGoesIntoFireUncounted) {
  WriteConfig(cfgZonesInTest, ZoneBit(1));
  FireInZone(1);
  EXPECT_TRUE(InFire(1));
  EXPECT_EQ(AlarmCount(), 0);
}

TEST_F(ZoneScanning, OverrideOptionRaisesDelayOverrideFire) {
  SetOptions(1, zoneOverridesDelays);
  FireInZone(1);
  EXPECT_TRUE(panel.panelMode2 & delayOverrideFire);
}

TEST_F(ZoneScanning, DisabledZoneReadsNormalSoANonLatchingFireClears) {
  SetOptions(0, zoneNonLatching);
  FireInZone(0);
  WriteConfig(cfgZonesDisabled, ZoneBit(0));
  Scans(0, 2);
  EXPECT_FALSE(InFire(0));
  EXPECT_EQ(panel.zoneAlarmCount[0], 0);
}

TEST_F(ZoneScanning, MuteAcknowledgesTheDetectedAlarmsOnly) {
  FireInZone(0);
  EXPECT_EQ(panel.zonesAlarmAcknowledged, 0);
  Press(keyBuzzerMute);
  EXPECT_EQ(panel.zonesAlarmAcknowledged, 0x01);
  FireInZone(1);
  EXPECT_EQ(panel.zonesAlarmAcknowledged, 0x01);
}

struct CounterCase {
  uint8_t hundreds;
  uint8_t tensUnits;
  uint8_t nextHundreds;
  uint8_t nextTensUnits;
};

class AlarmCounter : public ZoneScanning, public ::testing::WithParamInterface<CounterCase> {};

TEST_P(AlarmCounter, CountsInBcdKeepingTheChecksum) {
  const CounterCase& c = GetParam();
  WriteConfig(cfgAlarmCountHundreds, c.hundreds);
  WriteConfig(cfgAlarmCountTensUnits, c.tensUnits);
  FireInZone(0);
  EXPECT_EQ(ReadConfig(cfgAlarmCountHundreds), c.nextHundreds);
  EXPECT_EQ(ReadConfig(cfgAlarmCountTensUnits), c.nextTensUnits);
  EXPECT_TRUE(ChecksumHolds());
}

INSTANTIATE_TEST_SUITE_P(Carries, AlarmCounter,
                         ::testing::Values(CounterCase{0, 0x00, 0, 0x01}, CounterCase{0, 0x09, 0, 0x10},
                                           CounterCase{0, 0x99, 1, 0x00}, CounterCase{5, 0x49, 5, 0x50},
                                           CounterCase{9, 0x99, 0, 0x00}));

class AlarmConfirmLimitTest : public FirmwareTest {};

TEST_F(AlarmConfirmLimitTest, BySelector) {
  const uint8_t limits[] = {2, 60, 120, 180, 2, 2};
  for (uint8_t selector = 0; selector < 6; ++selector) EXPECT_EQ(AlarmConfirmLimit(selector), limits[selector]);
}

// Fast fault timing lowers the limit below a running count; the count then
// falls through the new limit on a normal line without latching.
TEST_F(ZoneScanning, ACountFallingOntoALoweredFaultLimitLatchesNothing) {
  SetZoneOhms(0, faultOhms);
  Scans(0, 10);
  ASSERT_FALSE(FaultLatched(0));
  panel.panelMode |= fastFaultTiming;
  SetZoneOhms(0, normalOhms);
  Scans(0, 12);
  EXPECT_FALSE(FaultLatched(0));
  EXPECT_EQ(panel.zoneFaultCount[0], 0);
}
