#include "firmware/outputs.h"

#include <gtest/gtest.h>

#include <vector>

#include "firmware/disablement.h"
#include "firmware/inputs.h"
#include "tests/firmware/detection_fixture.h"

namespace {

constexpr int32_t healthyRelayWidth = 37;  // reads 592
constexpr int32_t faultyRelayWidth = 60;   // reads 960

// The factory defaults with a monitored relay board and healthy sounder lines.
class Outputs : public DetectionTest {
 public:
  void SetUp() override {
    DetectionTest::SetUp();
    WriteFactoryDefaults();
    t.analogue.optionalRelays = optionalRelaysMonitored;
    t.analogue.relay1Width = healthyRelayWidth;
    t.analogue.relay2Width = healthyRelayWidth;
    SetSounderLines(true, true);
    Ticks50(1);
  }
  void SetSounderLines(bool healthy1, bool healthy2) {
    board().AssignPortBits(portMonitorInputs, monSounder1Healthy, healthy1);
    board().AssignPortBits(portMonitorInputs, monSounder2Healthy, healthy2);
  }
  bool Relay(uint8_t bit) { return board().Port(portLedsRelays) & bit; }
  bool Sounder(uint8_t drive) { return (board().Port(portPowerOutputs) & drive) == drive; }
  bool SounderSupply() { return board().Port(portSounderSupply); }
  void ResetPanel() {
    EnterLevel2();
    Press(keyReset);
  }
  void SwitchDelaysOn() {
    EnterLevel2();
    Press(keyDelayOnOff);
    ASSERT_TRUE(panel.delayState & delaysOn);
  }
  void DisableFireRouting() {
    EnterLevel2();
    PressTimes(keyItemSelect, 2);
    ASSERT_EQ(panel.selectedItem, itemFireRouting);
    Press(keyDisableTestNormal);
    ASSERT_TRUE(panel.outputDisables & fireRoutingDisabled);
  }
};

}  // namespace

TEST_F(Outputs, QuietPanelDrivesOnlyTheFaultRoutingRelay) {
  Ticks50(4);
  EXPECT_FALSE(Sounder(pwrSounder1Drive));
  EXPECT_FALSE(Sounder(pwrSounder2Drive));
  EXPECT_FALSE(SounderSupply());
  EXPECT_FALSE(Relay(relay1Bit));
  EXPECT_TRUE(Relay(relay2Bit));
  EXPECT_TRUE(panel.delayState & delayableOutputs);  // relay 1 obeys delays
}

TEST_F(Outputs, FireSwitchesBothSoundersAndFireRoutingAtOnce) {
  SetZoneOhms(0, fireOhms);
  Scans(0, 1);
  while (!InFire(0)) {
    EXPECT_FALSE(Sounder(pwrSounder1Drive));
    Ticks20(1);
  }
  Ticks50(1);
  EXPECT_TRUE(Sounder(pwrSounder1Drive));
  EXPECT_TRUE(Sounder(pwrSounder2Drive));
  EXPECT_TRUE(SounderSupply());
  EXPECT_TRUE(Relay(relay1Bit));
  EXPECT_EQ(panel.routingActivated, ZoneBit(outputRelay1));
  EXPECT_TRUE(panel.fwpState & soundersActive);
}

TEST_F(Outputs, FireRoutingWaitsForARunningDelayWhileSoundersDoNot) {
  SwitchDelaysOn();
  RequestRecorder recorder(t.board());
  FireInZone(1);  // zone 2 does not override delays
  Ticks50(1);
  ASSERT_TRUE(panel.delayState & delayRunning);
  EXPECT_TRUE(Sounder(pwrSounder1Drive));
  Ticks50(590);
  EXPECT_TRUE(panel.delayState & delayRunning);
  for (const RecordedRequest& r : recorder.calls) {
    if (r.op == SET_RELAYS) {
      ASSERT_FALSE(r.arg & relayArg1);
    }
  }
  Ticks50(20);
  EXPECT_FALSE(panel.delayState & delayRunning);
  EXPECT_TRUE(Relay(relay1Bit));
}

TEST_F(Outputs, FaultRoutingIsOffWhileAnyFaultIsLatched) {
  SetZoneOhms(1, faultOhms);
  Scans(1, 40);
  ASSERT_TRUE(FaultLatched(1));
  Ticks50(1);
  EXPECT_FALSE(Relay(relay2Bit));
  SetZoneOhms(1, normalOhms);
  Scans(1, 40);
  EXPECT_FALSE(Relay(relay2Bit));
  ResetPanel();
  Ticks50(1);
  EXPECT_TRUE(Relay(relay2Bit));
}

TEST_F(Outputs, FireRoutingStaysOnAfterItsDisablementUntilReset) {
  FireInZone(1);
  Ticks50(1);
  ASSERT_TRUE(Relay(relay1Bit));
  DisableFireRouting();
  Ticks50(1);
  EXPECT_TRUE(Relay(relay1Bit));
  SetZoneOhms(1, normalOhms);
  ResetPanel();
  Ticks50(1);
  EXPECT_FALSE(Relay(relay1Bit));
  // Disabled before the fire, it is never activated.
  FireInZone(1);
  Ticks50(1);
  EXPECT_FALSE(Relay(relay1Bit));
  EXPECT_TRUE(Sounder(pwrSounder1Drive));
}

TEST_F(Outputs, NonLatchingFireNeverActivatesFireRouting) {
  WriteConfig(cfgZoneOptions + 1, zoneNonLatching);
  FireInZone(1);
  Ticks50(1);
  EXPECT_TRUE(Sounder(pwrSounder1Drive));
  EXPECT_FALSE(Relay(relay1Bit));
}

TEST_F(Outputs, EngineeringModeTurnsEveryOutputOff) {
  FireInZone(1);
  Ticks50(1);
  ASSERT_TRUE(Relay(relay2Bit));
  EnterEngineering();
  ASSERT_TRUE(panel.panelMode & engineeringMode);
  EXPECT_FALSE(Sounder(pwrSounder1Drive));
  EXPECT_FALSE(Sounder(pwrSounder2Drive));
  EXPECT_FALSE(SounderSupply());
  EXPECT_FALSE(Relay(relay2Bit));
}

TEST_F(Outputs, SounderLineIsCheckedOnlyWhileTheSounderIsOff) {
  FireInZone(1);
  Ticks50(1);
  SetSounderLines(false, true);
  Ticks50(400);
  EXPECT_FALSE(panel.systemFaults & sounderLineFault);
  SetZoneOhms(1, normalOhms);
  ResetPanel();
  panel.panelMode |= faultBuzzerMuted;
  Ticks50(190);
  EXPECT_FALSE(panel.systemFaults & sounderLineFault);
  Ticks50(20);
  EXPECT_TRUE(panel.systemFaults & sounderLineFault);
  EXPECT_FALSE(panel.panelMode & faultBuzzerMuted);
  EXPECT_EQ(panel.outputFaultCount[outputSounder1], 200);
  EXPECT_EQ(panel.outputFaultCount[outputSounder2], 0);
}

TEST_F(Outputs, RelayLineFaultOfFireRoutingIsReportedAndOfFaultRoutingIsNot) {
  t.analogue.relay1Width = faultyRelayWidth;
  t.analogue.relay2Width = 20;  // reads 320: faulty, but relay 2 is driven
  Ticks50(199);
  EXPECT_FALSE(panel.systemFaults2 & routingLineFault);
  Ticks50(1);
  EXPECT_TRUE(panel.systemFaults2 & routingLineFault);
  EXPECT_EQ(panel.outputFaultCount[outputRelay2], 0);
  EXPECT_FALSE(panel.systemFaults & sounderLineFault);
}

TEST_F(Outputs, SilencedSoundersStayOffUnlessAnEvacuateInputDemandsThem) {
  FireInZone(1);
  panel.sounderState |= soundersSilenced;
  Ticks50(1);
  EXPECT_FALSE(Sounder(pwrSounder1Drive));
  CloseInputAs(2, inputFunctionEvacuate);
  EXPECT_TRUE(Sounder(pwrSounder1Drive));
}

TEST_F(Outputs, AlertInputPulsesTheSoundersOneSecondOnOneSecondOff) {
  CloseInputAs(1, inputFunctionAlert);
  int on = 0;
  for (int tick = 0; tick < 80; ++tick) {
    const bool phase = panel.flashTimer & flash1s;  // as the next UpdateOutputs sees it
    Ticks50(1);
    EXPECT_EQ(Sounder(pwrSounder1Drive), phase) << tick;
    on += phase ? 1 : 0;
  }
  EXPECT_EQ(on, 40);
}

TEST_F(Outputs, VdsModeDrivesTheTransmissionDeviceAndFireOutputRelays) {
  SetVdsLink(true);
  FireInZone(1);
  DisableFireRouting();
  RequestRecorder recorder(t.board());
  Ticks50(1);
  int32_t relays = -1;
  for (const RecordedRequest& r : recorder.calls) {
    if (r.op == SET_RELAYS) relays = r.arg;
  }
  EXPECT_EQ(relays, relayArg1 | relayArg2 | relayArgTransmissionDevice | relayArgFireOutputDisabled |
                        relayArgFireOutputActive);
  EXPECT_EQ(panel.routingActivated, ZoneBit(outputRelay1) | ZoneBit(outputTransmissionDevice));
}

struct BoardCase {
  int32_t optionalRelays;
  uint8_t kind;
  std::vector<int32_t> tests;  // SET_RELAY_TEST arguments of the first four calls
};

class RelayBoard : public DetectionTest, public ::testing::WithParamInterface<BoardCase> {
 public:
  uint8_t Kind() { return panel.relayBoardState >> relayBoardKindShift; }
};

TEST_P(RelayBoard, SettlesWithinFourCalls) {
  t.analogue.optionalRelays = GetParam().optionalRelays;
  t.analogue.relay2Width = healthyRelayWidth;
  RequestRecorder recorder(t.board());
  Ticks50(4);
  EXPECT_EQ(Kind(), GetParam().kind);
  std::vector<int32_t> tests;
  for (const RecordedRequest& r : recorder.calls) {
    if (r.op == SET_RELAY_TEST) tests.push_back(r.arg);
  }
  EXPECT_EQ(tests, GetParam().tests);
  for (int call = 0; call < 10; ++call) {
    Ticks50(1);
    EXPECT_EQ(Kind(), GetParam().kind);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RelayBoard,
    ::testing::Values(BoardCase{optionalRelaysMonitored, relayBoardMonitored, {0, 0, 0, 0}},
                      BoardCase{optionalRelaysUnmonitored, relayBoardUnmonitored, {0, 2, 3, 2}},
                      BoardCase{optionalRelaysNotFitted, relayBoardAbsent, {0, 2, 0, 2}}));

TEST_F(Outputs, WithoutARelayBoardTheRelaysAreNeverDriven) {
  t.analogue.optionalRelays = optionalRelaysNotFitted;
  FireInZone(1);
  Ticks50(4);
  EXPECT_EQ(panel.relayBoardState >> relayBoardKindShift, relayBoardAbsent);
  EXPECT_FALSE(Relay(relay1Bit));
  EXPECT_FALSE(Relay(relay2Bit));
  EXPECT_TRUE(Sounder(pwrSounder2Drive));
}

TEST_F(Outputs, ALineCountFallingOntoALoweredLimitLatchesNothing) {
  SetSounderLines(false, true);
  Ticks50(50);
  ASSERT_FALSE(panel.systemFaults & sounderLineFault);
  panel.panelMode |= fastFaultTiming;
  SetSounderLines(true, true);
  Ticks50(60);
  EXPECT_FALSE(panel.systemFaults & sounderLineFault);
  EXPECT_EQ(panel.outputFaultCount[outputSounder1], 0);
}
