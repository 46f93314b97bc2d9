#include "firmware/power_supply.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "firmware/supervision.h"
#include "tests/firmware/supply_fixture.h"

namespace {

constexpr uint8_t chargingBits = pwrBatteryConnect | pwrChargerEnable;

// Millivolts whose filtered levels sit well inside or beyond each threshold.
constexpr int32_t highMv = 30000;           // 6408, above 29.0 V
constexpr int32_t lowChargerMv = 18000;     // 3840: not good, yet above 15.0 V
constexpr int32_t deepDischargeMv = 20000;  // 4272, below 21.0 V
constexpr int32_t weakBatteryMv = 21500;    // 4592: below 21.5 V, above 21.0 V

class PowerSupply : public SupplyTest {
 public:
  bool Charging() { return (Power() & chargingBits) == chargingBits && !(Power() & pwrBatteryTestLoad); }
  bool LoadTest() { return (Power() & pwrBatteryTestLoad) && !(Power() & chargingBits); }
  bool Fault(uint8_t fault) { return panel.systemFaults & fault; }
};

struct LimitCase {
  bool fast;
  int ticks;
};

class MainsFault : public PowerSupply, public ::testing::WithParamInterface<LimitCase> {};

}  // namespace

TEST_F(PowerSupply, MainsLossStopsTheLoadTestAndTheChargerOnTheTwentyFirstTick) {
  Ticks(20);
  ASSERT_TRUE(LoadTest());
  SetMainsFailed(true);
  Ticks(20);
  EXPECT_TRUE(LoadTest());
  EXPECT_FALSE(panel.batteryTestState & onBattery);
  Ticks(1);
  EXPECT_TRUE(panel.batteryTestState & onBattery);
  EXPECT_EQ(Power() & (chargingBits | pwrBatteryTestLoad), 0);
}

TEST_P(MainsFault, LatchesAtTheLimitAndAgainAfterAResetWhileStillFailed) {
  SetFastTiming(GetParam().fast);
  SetMainsFailed(true);
  Ticks(GetParam().ticks - 1);
  EXPECT_FALSE(Fault(mainsFault));
  Ticks(1);
  EXPECT_TRUE(Fault(mainsFault));
  ResetPanel();
  Ticks(1);
  EXPECT_TRUE(Fault(mainsFault));
  SetMainsFailed(false);
  Ticks(1);
  ResetPanel();
  EXPECT_FALSE(Fault(mainsFault));
}

INSTANTIATE_TEST_SUITE_P(Timing, MainsFault, ::testing::Values(LimitCase{false, 200}, LimitCase{true, 20}),
                         [](const auto& info) { return std::string(info.param.fast ? "Fast" : "Normal"); });

class BatteryAbove29V : public PowerSupply, public ::testing::WithParamInterface<bool> {};

TEST_P(BatteryAbove29V, FaultsOnTheFortiethTickAboveWhateverTheTiming) {
  SetFastTiming(GetParam());
  t.analogue.batteryMv = highMv;
  ASSERT_GT(TicksUntil([&] { return panel.batteryLevelFiltered > supplyTooHigh; }, 100), 0);
  EXPECT_EQ(TicksUntil([this] { return Fault(batteryFault); }, 100), batteryRangeLimit - 1);
}

INSTANTIATE_TEST_SUITE_P(Timing, BatteryAbove29V, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Fast" : "Normal"); });

TEST_F(PowerSupply, DeepDischargeOnBatteryCutsTheBatteryOffForGood) {
  SetMainsFailed(true);
  t.analogue.batteryMv = deepDischargeMv;
  Ticks(100);
  EXPECT_TRUE(Power() & pwrBatteryCutOff);
  EXPECT_TRUE(Fault(batteryFault));
  SetMainsFailed(false);
  t.analogue.batteryMv = defaultBatteryMv;
  // As long off battery as it took to go on it.
  EXPECT_EQ(TicksUntil([this] { return Charging(); }, 100), mainsLossLimit + 1);
  Ticks(2000);
  EXPECT_TRUE(Power() & pwrBatteryCutOff);
}

TEST_F(PowerSupply, WeakBatteryOnMainsFailureFaultsWithoutCutOff) {
  SetMainsFailed(true);
  t.analogue.batteryMv = weakBatteryMv;
  Ticks(100);
  EXPECT_TRUE(Fault(batteryFault));
  EXPECT_FALSE(Power() & pwrBatteryCutOff);
}

TEST_F(PowerSupply, NoLoadTestAndNoChargingWhileASounderIsOn) {
  // Input 1 evacuates with the erased configuration.
  SwitchInput(1, true);
  for (int tick = 0; tick < 2000; ++tick) {
    Ticks(1);
    ASSERT_EQ(Power() & (chargingBits | pwrBatteryTestLoad), 0) << "tick " << tick;
  }
  SetInput(1, false);
  EXPECT_EQ(TicksUntil([this] { return Charging(); }, 5), 2);
  EXPECT_EQ(TicksUntil([this] { return LoadTest(); }, 20), int(firstChargeTicks));
}

struct CycleCase {
  const char* name;
  int32_t chargerMv;
  int chargeTicks;
  int loadTicks;
};

class BatteryTestCycle : public PowerSupply, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(BatteryTestCycle, AlternatesChargeAndLoadPhasesOfFixedLength) {
  t.analogue.chargerMv = GetParam().chargerMv;
  std::vector<std::pair<bool, int>> runs;  // charging?, ticks
  for (int tick = 0; tick < 2 * (GetParam().chargeTicks + GetParam().loadTicks) + 200; ++tick) {
    Ticks(1);
    ASSERT_TRUE(Charging() || LoadTest()) << "tick " << tick;
    if (runs.empty() || runs.back().first != Charging()) runs.emplace_back(Charging(), 0);
    ++runs.back().second;
  }
  ASSERT_GE(runs.size(), 4u);
  // The first run is the start-up phase, the last is cut short.
  for (size_t i = 1; i + 1 < runs.size(); ++i) {
    EXPECT_EQ(runs[i].second, runs[i].first ? GetParam().chargeTicks : GetParam().loadTicks) << "run " << i;
  }
  EXPECT_FALSE(Fault(batteryFault));
}

INSTANTIATE_TEST_SUITE_P(Charger, BatteryTestCycle,
                         ::testing::Values(CycleCase{"Good", defaultChargerMv, goodChargeTicks, goodLoadTicks},
                                           CycleCase{"Low", lowChargerMv, lowChargeTicks, lowLoadTicks}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PowerSupply, ChargerFaultInputCountsOnlyWhileTheChargerIsOn) {
  SetFastTiming(true);
  board().SetPortBits(portMonitorInputs, monChargerFault);
  t.analogue.chargerMv = lowChargerMv;
  Ticks(1000);
  EXPECT_FALSE(Fault(batteryFault));
  t.analogue.chargerMv = defaultChargerMv;
  Ticks(300);
  EXPECT_TRUE(Fault(batteryFault));
}

TEST_F(PowerSupply, ChargerAbove29VFaultsAtTheNormalLimit) {
  t.analogue.chargerMv = highMv;
  ASSERT_GT(TicksUntil([&] { return panel.chargerLevelFiltered > supplyTooHigh; }, 100), 0);
  EXPECT_EQ(TicksUntil([this] { return Fault(batteryFault); }, 300), faultLimit - 1);
}

