#include "firmware/fire_brigade.h"

#include <gtest/gtest.h>

#include <vector>

#include "firmware/inputs.h"
#include "tests/firmware/supply_fixture.h"

namespace {

// The peripheral is first polled on the third tick; a switch read there acts on the fourth.
constexpr int ticksToFirstPoll = 3;

class FireBrigade : public SupplyTest {
 public:
  void SetUp() override {
    SetVdsLink(true);
    SupplyTest::SetUp();
    Ticks(ticksToFirstPoll + 1);
  }
  // The unit reports a switch active low.
  void Operate(uint8_t command, bool operated) { board().AssignPortBits(portFwpInputs, command, !operated); }
  void SetOvercurrent(bool on) { board().AssignPortBits(portFwpInputs, fwpLinkFaultInput, on); }
  uint8_t Leds() { return board().Port(portFwpOutputs); }
  bool Fwp(uint8_t bits) { return (panel.fwpState & bits) == bits; }
  // Powers the panel up again with a disablement stored at the panel.
  void StartWithOutputDisables(uint8_t disables) {
    WriteConfig(cfgOutputDisables, disables);
    t.Start();
  }
  // Latches inputFault through input 2 configured as a routing fault input.
  void LatchInputFault() {
    WriteConfig(cfgInputOptions + 1, inputFunctionRoutingFault);
    SwitchInput(2, true);
    SwitchInput(2, false);
    ASSERT_TRUE(panel.systemFaults2 & inputFault);
  }
};

}  // namespace

TEST_F(FireBrigade, ASwitchActsOnlyWhenReadTheSameOnTwoTicks) {
  Operate(fwpTdDisabled, true);
  Ticks(1);
  EXPECT_FALSE(Fwp(fwpRoutingDisabled));
  Ticks(1);
  EXPECT_TRUE(Fwp(fwpRoutingDisabled));
  for (int tick = 0; tick < 20; ++tick) {
    Operate(fwpSounderDisabled, tick % 2 == 0);
    Ticks(1);
    EXPECT_FALSE(Fwp(fwpSoundersDisabled));
  }
}

TEST_F(FireBrigade, ResetPanelHeldResetsOncePerOperation) {
  LatchInputFault();
  Operate(fwpResetPanel, true);
  Ticks(2);
  EXPECT_FALSE(panel.systemFaults2 & inputFault);
  LatchInputFault();
  Ticks(1000);
  EXPECT_TRUE(panel.systemFaults2 & inputFault);
  Operate(fwpResetPanel, false);
  Ticks(2);
  Operate(fwpResetPanel, true);
  Ticks(2);
  EXPECT_FALSE(panel.systemFaults2 & inputFault);
}

TEST_F(FireBrigade, TestTdIsRefusedWhileTdDisabledIsOperated) {
  Operate(fwpTdDisabled, true);
  Ticks(2);
  Operate(fwpTestTd, true);
  Ticks(10);
  EXPECT_FALSE(Fwp(fwpRoutingTest));
  EXPECT_TRUE(Leds() & fwpLedTdDisabled);
}

TEST_F(FireBrigade, AHeldTestTdStartsOnTheTickAfterTdDisabledIsReleased) {
  Operate(fwpTdDisabled, true);
  Ticks(2);
  Operate(fwpTestTd, true);
  Ticks(2);
  Operate(fwpTdDisabled, false);
  Ticks(2);
  EXPECT_FALSE(Fwp(fwpRoutingDisabled));
  EXPECT_FALSE(Fwp(fwpRoutingTest));
  Ticks(1);
  EXPECT_TRUE(Fwp(fwpRoutingTest));
}

TEST_F(FireBrigade, TestTdIsRefusedWhileFireRoutingIsDisabledAtThePanel) {
  StartWithOutputDisables(fireRoutingDisabled);
  Operate(fwpTestTd, true);
  Ticks(10);
  EXPECT_FALSE(Fwp(fwpRoutingTest));
  EXPECT_TRUE(Leds() & fwpLedTdDisabled);
}

TEST_F(FireBrigade, ReleasingSounderDisabledDuringAFireResoundsAndLiftsThePanelDisablement) {
  StartWithOutputDisables(soundersDisabled);
  StartFire(0);
  Operate(fwpSounderDisabled, true);
  Ticks(2);
  EXPECT_TRUE(Fwp(fwpSoundersDisabled));
  EXPECT_TRUE(panel.sounderState & soundersSilenced);
  EXPECT_TRUE(Mode(fireBuzzerMuted));
  EXPECT_TRUE(Leds() & fwpLedSounderDisabled);
  Operate(fwpSounderDisabled, false);
  Ticks(2);
  EXPECT_FALSE(Fwp(fwpSoundersDisabled));
  EXPECT_EQ(panel.sounderState & (soundersSilenced | soundersResounded), soundersResounded);
  EXPECT_FALSE(Mode(fireBuzzerMuted));
  EXPECT_FALSE(panel.outputDisables & soundersDisabled);
  EXPECT_EQ(ReadConfig(cfgOutputDisables), 0);
  EXPECT_EQ(Power() & pwrSounder1Drive, pwrSounder1Drive);
}

TEST_F(FireBrigade, ReleasingSounderDisabledWithoutAFireKeepsThePanelDisablement) {
  StartWithOutputDisables(soundersDisabled);
  Operate(fwpSounderDisabled, true);
  Ticks(2);
  Operate(fwpSounderDisabled, false);
  Ticks(2);
  EXPECT_FALSE(Fwp(fwpSoundersDisabled));
  EXPECT_FALSE(panel.sounderState & soundersResounded);
  EXPECT_TRUE(panel.outputDisables & soundersDisabled);
}

TEST_F(FireBrigade, AnUnpolledUnitReleasesItsSwitchesAfterTwoTicks) {
  Operate(fwpSounderDisabled | fwpTdDisabled, true);
  Ticks(2);
  ASSERT_TRUE(Fwp(fwpSoundersDisabled | fwpRoutingDisabled));
  SetVdsLink(false);
  Ticks(1);
  EXPECT_TRUE(Fwp(fwpSoundersDisabled));
  Ticks(1);
  EXPECT_FALSE(panel.fwpState & (fwpSoundersDisabled | fwpRoutingDisabled));
  // Still supplied, showing its indicators.
  EXPECT_TRUE(Leds() & fwpLedOperating);
}

TEST_F(FireBrigade, TdTriggeredFollowsTheAcknowledgeInputEvenDuringATest) {
  Operate(fwpTestTd, true);
  Ticks(5);
  ASSERT_TRUE(Fwp(fwpRoutingTest));
  EXPECT_FALSE(Leds() & fwpLedTdTriggered);
  WriteConfig(cfgInputOptions + 1, inputFunctionRoutingAck);
  SwitchInput(2, true);
  EXPECT_TRUE(Leds() & fwpLedTdTriggered);
}

TEST_F(FireBrigade, EngineeringModeSwitchesTheUnitOff) {
  EnterEngineering();
  ASSERT_TRUE(Mode(engineeringMode));
  EXPECT_EQ(Leds(), 0);
}


TEST_F(FireBrigade, PermanentOvercurrentRetriesTwiceThenLatchesWithTheUnitOff) {
  SetOvercurrent(true);
  panel.panelMode |= faultBuzzerMuted;
  std::vector<int> polls;
  std::vector<uint8_t> leds;
  RequestRecorder recorder(t.board());
  for (int tick = 1; tick <= 1000; ++tick) {
    recorder.calls.clear();
    Ticks(1);
    for (const RecordedRequest& call : recorder.calls) {
      if (call.op == READ_FWP_INPUTS) polls.push_back(tick);
    }
    leds.push_back(Leds());
    if (polls.size() < 3) {
      EXPECT_FALSE(panel.systemFaults2 & fwpLinkFault) << "tick " << tick;
    }
  }
  ASSERT_EQ(polls.size(), 3u);
  EXPECT_EQ(polls[0], 1);
  EXPECT_EQ(polls[1] - polls[0], fwpRetryTicks);
  EXPECT_EQ(polls[2] - polls[1], fwpRetryTicks);
  EXPECT_TRUE(panel.systemFaults2 & fwpLinkFault);
  EXPECT_FALSE(Mode(faultBuzzerMuted));
  // Off while it waits, on for the tick before the retry, off for good after the third.
  EXPECT_EQ(leds[polls[0] + 100 - 1], 0);
  EXPECT_TRUE(leds[polls[1] - 2 - 1] & fwpLedOperating);
  for (int tick = polls[2]; tick <= 1000; ++tick) ASSERT_EQ(leds[tick - 1], 0) << "tick " << tick;

  SetOvercurrent(false);
  ResetPanel();
  Ticks(ticksToFirstPoll);
  EXPECT_FALSE(panel.systemFaults2 & fwpLinkFault);
  EXPECT_TRUE(Leds() & fwpLedOperating);
}
