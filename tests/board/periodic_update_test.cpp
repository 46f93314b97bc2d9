#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "tests/board/fake_wiring.h"
#include "tests/support/test_board.h"

namespace {

constexpr int32_t fwpSupply = 0x40;  // port 20 b6: the peripheral is supplied
constexpr int32_t fwpOut6 = 0x02;

class PeriodicUpdateTest : public ::testing::Test {
 protected:
  PeriodicUpdateTest() { periodicUpdate.wiring = &w.wiring; }
  // One 20 ms and one 50 ms update (five ticks), flags left for the firmware.
  void Updates() {
    for (int tick = 0; tick < 5; ++tick) periodicUpdate.Tick();
  }
  HardwareState& Board() { return t.board(); }
  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  FakeWiring w;
};

}  // namespace

TEST(PeriodicTick, UpdatesOnEverySecondAndFifthTickThenTheirFlags) {
  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  std::vector<int> ticks20, ticks50;
  for (int tick = 1; tick <= 10; ++tick) {
    periodicUpdate.Tick();
    if (t.board().port[portTick20ms].exchange(0)) ticks20.push_back(tick);
    if (t.board().port[portTick50ms].exchange(0)) ticks50.push_back(tick);
  }
  EXPECT_EQ(ticks20, (std::vector<int>{2, 4, 6, 8, 10}));
  EXPECT_EQ(ticks50, (std::vector<int>{5, 10}));
  EXPECT_EQ(periodicUpdate.runCounter, 10);
}

TEST(PeriodicTick, NothingHappensWithoutABoard) {
  PeriodicUpdate periodicUpdate;
  FakeWiring w;
  periodicUpdate.wiring = &w.wiring;
  w["FireLED"].index = 7;
  for (int tick = 0; tick < 20; ++tick) periodicUpdate.Tick();
  EXPECT_EQ(periodicUpdate.runCounter, 0);
  EXPECT_EQ(w["FireLED"].index, 7);
}

TEST(PeriodicTick, RunCounterWrapsAt65536) {
  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  periodicUpdate.runCounter = 0xFFFE;
  periodicUpdate.Tick();
  periodicUpdate.Tick();
  EXPECT_EQ(HardwareRequest(READ_RUN_COUNTER, 0), 0);
}

TEST_F(PeriodicUpdateTest, ZoneLedsAreMaskedByTheZoneCount) {
  const struct {
    int four, eight;
    int shown;
  } table[] = {{0, 1, 8}, {1, 0, 4}, {0, 0, 2}, {1, 1, 8}};
  for (const auto& row : table) {
    w["FourZonePanel"].index = row.four;
    w["EightZonePanel"].index = row.eight;
    Updates();  // links into the matrix
    HardwareRequest(SET_ZONE_FIRE_LEDS, 0xFF);
    HardwareRequest(SET_ZONE_FAULT_LEDS, 0xFF);
    Updates();
    for (int zone = 0; zone < 8; ++zone) {
      EXPECT_EQ(w["Zone" + std::to_string(zone + 1) + "FireLED"].index, zone < row.shown) << row.shown << " " << zone;
      EXPECT_EQ(w["Zone" + std::to_string(zone + 1) + "FaultLED"].index, zone < row.shown) << row.shown << " " << zone;
    }
  }
}

TEST_F(PeriodicUpdateTest, CommonIndicatorsFollowTheirPortBits) {
  const std::pair<const char*, uint16_t> table[] = {
      {"AuxiliaryFaultLED", statusAuxiliaryFault}, {"DelayOnLED", statusDelayOn},
      {"TestLED", statusTest},                     {"DisabledLED", statusDisabled},
      {"SounderFaultDisabledLED", statusSounderFaultDisabled}, {"EarthFaultLED", statusEarthFault},
      {"FireRoutingFaultDisabledLED", statusFireRoutingFaultDisabled},
      {"FaultRoutingFaultDisabledLED", statusFaultRoutingFaultDisabled},
      {"FireRoutingActiveLED", statusFireRoutingActive}, {"FireLED", statusFire},
  };
  for (const auto& [name, bit] : table) {
    HardwareRequest(SET_STATUS_LEDS, bit);
    Updates();
    for (const auto& [other, otherBit] : table) EXPECT_EQ(w[other].index, other == name) << name << " / " << other;
  }
}

TEST_F(PeriodicUpdateTest, KeysAndLinksReachTheMatrixAndLeaveLedBitsAlone) {
  const std::tuple<const char*, int, uint8_t> table[] = {
      {"BuzzerMuteButton", 26, 0x08}, {"AcceptButton", 25, 0x08},       {"DelayOnOffButton", 26, 0x80},
      {"SoundersStartStopButton", 25, 0x80}, {"ItemSelectButton", 27, 0x08}, {"DisableTestNormalButton", 27, 0x80},
      {"LampTestButton", 28, 0x08}, {"VdSModeSelect", 28, 0x80},       {"FourZonePanel", 29, 0x08},
      {"EightZonePanel", 29, 0x80},
  };
  w["EightZonePanel"].index = 0;
  HardwareRequest(SET_ZONE_FIRE_LEDS, 0xFF);
  for (const auto& [name, port, mask] : table) {
    w[name].index = 3;  // only bit 0 of the index counts
    Updates();
    EXPECT_EQ(Board().Port(port) & mask, mask) << name;
    w[name].index = 2;
    Updates();
    EXPECT_EQ(Board().Port(port) & mask, 0) << name;
  }
  EXPECT_EQ(Board().Port(25) & 0x20, 0x20);
  EXPECT_EQ(Board().Port(29) & 0x02, 0x02);
}

TEST_F(PeriodicUpdateTest, InternalToneShowsSteadyBuzzerOrOneChirpForOneUpdate) {
  const auto update20ms = [this] {
    periodicUpdate.Tick();
    periodicUpdate.Tick();
  };
  HardwareRequest(BUZZER_CHIRP, 0);
  update20ms();
  EXPECT_EQ(w["InternalTone"].index, 1);
  EXPECT_EQ(Board().Port(portBuzzerChirp), 0);
  update20ms();
  EXPECT_EQ(w["InternalTone"].index, 0);
  HardwareRequest(SET_BUZZER, 1);
  update20ms();
  update20ms();
  EXPECT_EQ(w["InternalTone"].index, 1);
}

TEST_F(PeriodicUpdateTest, ResetReleasesTheLatchOnlyWithCoverSwitchAtZeroOrKeyOn) {
  const struct {
    int cover, key, pcbKeyVisible;
    bool released;
  } table[] = {{1, 0, 0, false}, {0, 0, 0, true}, {1, 1, 0, true}, {1, 0, 1, false}};
  for (const auto& row : table) {
    periodicUpdate.watchdogTripped = true;
    w["CoverOffSwitch"].index = row.cover;
    w["Keyswitch"].index = row.key;
    w["Keyswitch"].visible = !row.pcbKeyVisible;
    w["PCBKeyswitch"].visible = row.pcbKeyVisible;
    w["ResetButton"].index = 1;
    Updates();
    EXPECT_EQ(!periodicUpdate.watchdogTripped, row.released) << row.cover << row.key << row.pcbKeyVisible;
  }
  w["ResetButton"].index = 0;
  periodicUpdate.watchdogTripped = true;
  w["CoverOffSwitch"].index = 0;
  Updates();
  EXPECT_TRUE(periodicUpdate.watchdogTripped);
}

TEST_F(PeriodicUpdateTest, SystemInputsAssembledBitByBit) {
  periodicUpdate.watchdogTripped = false;
  Updates();
  // Defaults: inputs at index 0 read 1, cover closed, earth low.
  EXPECT_EQ(Board().Port(0), sysAlwaysOne | sysDigitalInput1 | sysDigitalInput2);
  w["DigitalInput1"].index = 1;
  w["CoverOffSwitch"].index = 0;
  w["Keyswitch"].index = 1;
  w["ResetButton"].index = 1;
  Updates();
  EXPECT_EQ(Board().Port(0), sysAlwaysOne | sysDigitalInput2 | sysKeyswitch | sysResetKey | sysCoverSwitch);
  periodicUpdate.watchdogTripped = true;
  w["ResetButton"].index = 0;
  Updates();
  EXPECT_TRUE(Board().Port(0) & sysFaultLatch);
}

TEST_F(PeriodicUpdateTest, EarthHoldHighOverridesLowAndTheLevelFollowsOneUpdateLate) {
  HardwareRequest(SET_EARTH_LEVEL, 1);
  Updates();
  EXPECT_FALSE(Board().Port(0) & sysEarthDetect);  // the control still showed the old level
  EXPECT_EQ(w["EarthDetectLevelControl"].index, 1);
  Updates();
  EXPECT_TRUE(Board().Port(0) & sysEarthDetect);
  w["EarthHoldLow"].index = 1;
  Updates();
  EXPECT_FALSE(Board().Port(0) & sysEarthDetect);
  w["EarthHoldHigh"].index = 1;
  Updates();
  EXPECT_TRUE(Board().Port(0) & sysEarthDetect);
}

TEST_F(PeriodicUpdateTest, MonitorInputsAndSounderOutputs) {
  Updates();
  EXPECT_EQ(Board().Port(2), monAlwaysOne | monSounder1Healthy | monSounder2Healthy | monAuxSupplyHealthy);
  // One drive bit alone makes the line read unhealthy; the image needs both and the supply.
  HardwareRequest(SET_POWER_OUTPUTS, 0x01);
  Updates();
  EXPECT_FALSE(Board().Port(2) & monSounder1Healthy);
  EXPECT_EQ(w["SounderOutput1"].index, 0);
  HardwareRequest(SET_POWER_OUTPUTS, 0x21);
  Updates();
  EXPECT_EQ(w["SounderOutput1"].index, 0);
  HardwareRequest(SET_SOUNDER_SUPPLY, 1);
  Updates();
  EXPECT_EQ(w["SounderOutput1"].index, 1);
  EXPECT_EQ(w["SounderOutput2"].index, 0);
  w["Sounder2FaultInput"].index = 1;
  w["PSUMainsInput"].index = 0;
  w["ChargerFault"].index = 1;
  w["AuxiliarySupplyFault"].index = 0;
  Board().SetPortBits(2, 0xC0);  // spare bits stay
  Updates();
  EXPECT_EQ(Board().Port(2), 0xC0 | monAlwaysOne | monMainsFailed | monChargerFault);
}

TEST_F(PeriodicUpdateTest, PowerOutputsAndRelaysShown) {
  HardwareRequest(SET_POWER_OUTPUTS, pwrBatteryTestLoad | pwrChargerEnable | pwrBatteryCutOff);
  HardwareRequest(SET_RELAYS, relayArg2);
  Updates();
  EXPECT_EQ(w["BatteryTestLoad"].index, 1);
  EXPECT_EQ(w["BatteryConnect"].index, 0);
  EXPECT_EQ(w["EnableCharger"].index, 1);
  EXPECT_EQ(w["BatteryCutOff"].index, 1);
  EXPECT_EQ(w["Relay1Drive"].index, 0);
  EXPECT_EQ(w["Relay2Drive"].index, 1);
}

TEST_F(PeriodicUpdateTest, FrontPanelFaultIndicatorsAndTheLatch) {
  periodicUpdate.watchdogTripped = false;
  Updates();
  EXPECT_EQ(w["SystemFaultLED"].index, 0);
  EXPECT_EQ(w["FaultLED"].index, 0);
  EXPECT_EQ(w["PSUFaultLED"].index, 0);
  HardwareRequest(SET_STATUS_LEDS, statusFault | statusPsuFault);
  Updates();
  EXPECT_EQ(w["FaultLED"].index, 1);
  EXPECT_EQ(w["PSUFaultLED"].index, 1);
  HardwareRequest(SET_STATUS_LEDS, 0);
  periodicUpdate.watchdogTripped = true;
  Updates();
  EXPECT_EQ(w["SystemFaultLED"].index, 1);
  EXPECT_EQ(w["FaultLED"].index, 1);
  EXPECT_EQ(w["PSUFaultLED"].index, 0);
}

TEST_F(PeriodicUpdateTest, CounterDigitsAndVdsRelaysOnlyInVdsModeAndBlankWhileLatched) {
  HardwareRequest(SET_COUNTER_DIGITS, 0x042);
  HardwareRequest(SET_RELAYS, relayArgFireOutputActive);
  w["Segment1"].index = 9;
  Updates();
  EXPECT_EQ(w["Segment1"].index, 9);  // VdS link open: digits keep their state
  EXPECT_EQ(w["FireOutputActiveRelay"].index, 0);
  w["VdSModeSelect"].index = 1;
  Updates();
  EXPECT_EQ(w["Segment1"].index, 10);  // latched at start: blank
  periodicUpdate.watchdogTripped = false;
  Updates();
  EXPECT_EQ(w["Segment3"].index, 0);
  EXPECT_EQ(w["Segment2"].index, 4);
  EXPECT_EQ(w["Segment1"].index, 2);
  EXPECT_EQ(w["FireOutputActiveRelay"].index, 1);
}

TEST(CounterDigitDecode, SegmentCodesToImages) {
  const std::pair<uint8_t, int> table[] = {{0x9F, 1}, {0xC8, 2}, {0xF0, 7}, {0x00, 8}, {0xFE, 10},
                                           {0x7F, 10}, {0x04, 0}, {0xFF, 10}, {0x02, 9}};
  for (const auto& [code, image] : table) EXPECT_EQ(CounterDigitDecode(code), image) << int(code);
}

TEST_F(PeriodicUpdateTest, FwpInputsOnlyInVdsModeUnsuppliedReadsAllClosed) {
  Board().StorePort(1, 0xC0);
  Updates();
  EXPECT_EQ(Board().Port(1), 0xC0);  // not refreshed outside VdS mode
  w["VdSModeSelect"].index = 1;
  Updates();
  // FWP1LED was dark in the previous update: the unit counts as unsupplied.
  EXPECT_EQ(Board().Port(1), 0xC0 | 0x3F);
  periodicUpdate.watchdogTripped = false;
  HardwareRequest(SET_FWP_OUTPUTS, fwpSupply);
  Updates();
  EXPECT_EQ(w["FWP1LED"].index, 1);
  Updates();
  EXPECT_EQ(Board().Port(1), 0xC0 | 0x1F);  // switches at 0 read 1, supplied
  w["FWP4Switch"].index = 1;
  Updates();
  EXPECT_EQ(Board().Port(1), 0xC0 | 0x1D);
}

TEST_F(PeriodicUpdateTest, Fwp6PulseHoldsTheIndicatorWhileItsInputHolds) {
  w["VdSModeSelect"].index = 1;
  periodicUpdate.watchdogTripped = false;
  HardwareRequest(SET_FWP_OUTPUTS, fwpSupply);
  Updates();
  Updates();  // supplied now; FWP6 switch at 0 reads port 1 b2 set
  HardwareRequest(SET_FWP_OUTPUTS, fwpSupply | fwpOut6);
  Updates();
  EXPECT_EQ(w["FWP6LED"].tag, 90000 - 1);
  EXPECT_EQ(w["FWP6LED"].index, 1);
  HardwareRequest(SET_FWP_OUTPUTS, fwpSupply);
  for (int i = 0; i < 10; ++i) Updates();
  EXPECT_EQ(w["FWP6LED"].tag, 90000 - 11);
  EXPECT_EQ(w["FWP6LED"].index, 1);
  w["FWP6Switch"].index = 1;  // the input drops
  Updates();
  Updates();
  EXPECT_EQ(w["FWP6LED"].tag, 0);
  EXPECT_EQ(w["FWP6LED"].index, 0);
}

TEST_F(PeriodicUpdateTest, FwpIndicatorsNeedTheSupplyAndTheLatchClear) {
  w["VdSModeSelect"].index = 1;
  HardwareRequest(SET_FWP_OUTPUTS, 0x7F);
  Updates();
  EXPECT_EQ(w["FWP1LED"].index, 0);  // latched at start
  for (int led = 2; led <= 7; ++led) EXPECT_EQ(w["FWP" + std::to_string(led) + "LED"].index, 0) << led;
  periodicUpdate.watchdogTripped = false;
  HardwareRequest(SET_FWP_OUTPUTS, 0x7F);
  Updates();
  for (int led = 1; led <= 7; ++led) EXPECT_EQ(w["FWP" + std::to_string(led) + "LED"].index, 1) << led;
}

TEST_F(PeriodicUpdateTest, OvercurrentCutsTheFwpOutputsOff) {
  w["VdSModeSelect"].index = 1;
  periodicUpdate.watchdogTripped = false;
  HardwareRequest(SET_FWP_OUTPUTS, fwpSupply | 0x01);
  Updates();
  EXPECT_EQ(Board().Port(portFwpOutputs), fwpSupply | 0x01);
  w["FWPOvercurrent"].index = 1;
  Updates();
  EXPECT_EQ(Board().Port(portFwpOutputs), 0);
}

TEST_F(PeriodicUpdateTest, SupplyReadoutsInTenthsOfAVolt) {
  w.batteryLevel = 5128;
  w.chargerLevel = 6000;
  Updates();
  EXPECT_EQ(w.vbatt.caption, "239");
  EXPECT_EQ(w.vchr.caption, "280");
}

TEST_F(PeriodicUpdateTest, WatchdogTripsOnThe24thPeriodAndAgainAfter) {
  periodicUpdate.watchdogTripped = false;
  HardwareRequest(SET_BUZZER, 1);
  for (int period = 1; period <= 23; ++period) periodicUpdate.WatchdogTimerTimer();
  EXPECT_FALSE(periodicUpdate.watchdogTripped);
  EXPECT_EQ(w["SystemFaultLED"].index, 0);
  periodicUpdate.WatchdogTimerTimer();
  EXPECT_TRUE(periodicUpdate.watchdogTripped);
  EXPECT_EQ(w["SystemFaultLED"].index, 1);
  EXPECT_EQ(w["InternalTone"].index, 1);
  periodicUpdate.WatchdogTimerTimer();
  EXPECT_EQ(periodicUpdate.watchdogPeriods, 25);
  // Servicing restarts the count but leaves the latch.
  EXPECT_EQ(HardwareRequest(WATCHDOG_SERVICE, 0), 1);
  EXPECT_EQ(periodicUpdate.watchdogPeriods, 0);
  EXPECT_TRUE(periodicUpdate.watchdogTripped);
}

TEST(PeriodicTick, ServicedEveryPassTheWatchdogCyclesBelowTheTripPoint) {
  TestBoard t;
  PeriodicUpdate& periodicUpdate = t.periodicUpdate;
  t.Start();
  periodicUpdate.watchdogTripped = false;
  int highest = 0;
  for (int step = 0; step < 2000; ++step) {  // 10 s
    t.stepper().Step();
    highest = std::max<int>(highest, periodicUpdate.watchdogPeriods);
  }
  // The pass in the step of the 12th period restarts it at once.
  EXPECT_EQ(highest, 11);
  EXPECT_FALSE(periodicUpdate.watchdogTripped);
}
