#include "firmware/monitors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firmware/supervision.h"
#include "tests/firmware/supply_fixture.h"

namespace {

class Monitors : public SupplyTest {
 public:
  bool Fault(uint8_t fault) { return panel.systemFaults & fault; }
  bool LevelHigh() { return board().Port(portLedsRelays) & earthLevelHigh; }
  bool LevelLow() { return board().Port(portLedsRelays) & earthLevelLow; }
};

class AuxFuse : public Monitors, public ::testing::WithParamInterface<bool> {
 public:
  int Limit() const { return GetParam() ? fastFaultLimit : faultLimit; }
};

std::string TimingName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Fast" : "Normal"; }

}  // namespace

TEST_P(AuxFuse, BlownOneTickShortOfTheLimitRaisesNoFault) {
  SetFastTiming(GetParam());
  SetAuxFuseBlown(true);
  Ticks(Limit() - 1);
  SetAuxFuseBlown(false);
  Ticks(Limit());
  EXPECT_FALSE(Fault(auxSupplyFault));
  EXPECT_EQ(monitorsState.auxFaultCount, 0);
}

TEST_P(AuxFuse, BlownForTheLimitFaultsOnTheLastTickAndStaysLatched) {
  SetFastTiming(GetParam());
  panel.panelMode |= faultBuzzerMuted;
  SetAuxFuseBlown(true);
  Ticks(Limit() - 1);
  EXPECT_FALSE(Fault(auxSupplyFault));
  Ticks(1);
  EXPECT_TRUE(Fault(auxSupplyFault));
  EXPECT_FALSE(panel.panelMode & faultBuzzerMuted);
  SetAuxFuseBlown(false);
  Ticks(Limit() + 10);
  EXPECT_TRUE(Fault(auxSupplyFault));
  ResetPanel();
  EXPECT_FALSE(Fault(auxSupplyFault));
}

INSTANTIATE_TEST_SUITE_P(Timing, AuxFuse, ::testing::Bool(), TimingName);

TEST_F(Monitors, FastTimingSwitchedOnAboveItsLimitFaultsOnTheNextTick) {
  SetAuxFuseBlown(true);
  Ticks(100);
  ASSERT_FALSE(Fault(auxSupplyFault));
  SetFastTiming(true);
  Ticks(1);
  EXPECT_TRUE(Fault(auxSupplyFault));
  EXPECT_EQ(monitorsState.auxFaultCount, fastFaultLimit);
}

TEST_F(Monitors, HealthyDetectorAlternatesTheLevelEvery31TicksWithoutFault) {
  std::vector<int> changes;
  bool level = LevelHigh();
  for (int tick = 1; tick <= 400; ++tick) {
    Ticks(1);
    if (LevelHigh() != level) changes.push_back(tick);
    level = LevelHigh();
    ASSERT_NE(LevelHigh(), LevelLow());
  }
  ASSERT_GE(changes.size(), 10u);
  EXPECT_EQ(changes[0], 31);
  for (size_t i = 1; i < changes.size(); ++i) EXPECT_EQ(changes[i] - changes[i - 1], 31);
  EXPECT_EQ(monitorsState.earthFaultCount, 0);
  EXPECT_FALSE(Fault(earthFault));
}

TEST_F(Monitors, DetectorHeldHighFailsTheFirstVerdictAndFaults200FailingTicksLater) {
  SetEarthDetector(true);
  Ticks(30);
  EXPECT_EQ(monitorsState.earthFaultCount, 0);
  Ticks(1);
  EXPECT_EQ(monitorsState.earthFaultCount, 1);
  Ticks(faultLimit - 2);
  EXPECT_FALSE(Fault(earthFault));
  Ticks(1);
  EXPECT_TRUE(Fault(earthFault));
  EXPECT_TRUE(LevelLow());
}

TEST_F(Monitors, DetectorHeldLowFailsTheVerdictAfterTheLevelGoesHigh) {
  SetEarthDetector(false);
  Ticks(30);
  EXPECT_TRUE(LevelLow());
  Ticks(1);
  EXPECT_TRUE(LevelHigh());
  Ticks(30);
  EXPECT_EQ(monitorsState.earthTestState & earthAgreementMask, 0);
  EXPECT_EQ(monitorsState.earthFaultCount, 0);
  Ticks(1);
  EXPECT_EQ(monitorsState.earthFaultCount, 1);
  EXPECT_TRUE(LevelHigh());
}

TEST_F(Monitors, EngineeringModeNeitherFaultsNorTogglesTheLevel) {
  SetAuxFuseBlown(true);
  EnterEngineering();
  ASSERT_TRUE(Mode(engineeringMode));
  RequestRecorder recorder(t.board());
  Ticks(faultLimit + 100);
  EXPECT_TRUE(Mode(engineeringMode));
  EXPECT_FALSE(Fault(auxSupplyFault | earthFault));
  EXPECT_EQ(monitorsState.auxFaultCount, 0);
  for (const RecordedRequest& call : recorder.calls) EXPECT_NE(call.op, SET_EARTH_LEVEL);
  EXPECT_TRUE(LevelLow());
}
