#include "firmware/inputs.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/firmware/supply_fixture.h"

namespace {

class Inputs : public SupplyTest {
 public:
  void Configure(uint8_t function1, uint8_t function2) {
    WriteConfig(cfgInputOptions, function1);
    WriteConfig(cfgInputOptions + 1, function2);
  }
  // A delayed sounder and delay stages, so that delays can be switched on.
  void ConfigureDelays() {
    WriteConfig(cfgOutputOptions, outputTypeSounder | outputObeysDelays);
    WriteConfig(cfgDelayOptions, 0x91);
  }
  bool Delays() { return panel.delayState & delaysOn; }
  bool Evacuating() { return panel.sounderState & soundersEvacuate; }
  uint8_t State1() { return (panel.panelMode2 & input1StateMask) >> 1; }
};

struct TransitionCase {
  uint8_t state;
  uint8_t level;
  uint8_t next;
  bool activation;
};

// Function 2 shows the activation edge: it starts the sounders.
constexpr TransitionCase transitionCases[] = {
    {inputInactive, 1, inputInactive, false},      {inputInactive, 0, inputActiveOnce, false},
    {inputActiveOnce, 1, inputInactive, false},    {inputActiveOnce, 0, inputActive, true},
    {inputInactiveOnce, 1, inputInactive, false},  {inputInactiveOnce, 0, inputActive, false},
    {inputActive, 1, inputInactiveOnce, false},    {inputActive, 0, inputActive, false},
};

class InputDebounce : public Inputs, public ::testing::WithParamInterface<TransitionCase> {};

struct LevelCase {
  const char* name;
  uint8_t function;
  uint8_t delayFlag;
};

constexpr LevelCase levelCases[] = {
    {"Evacuate", inputFunctionEvacuate, inputEvacuate},
    {"Alert", inputFunctionAlert, inputAlert},
    {"RoutingAcknowledge", inputFunctionRoutingAck, inputRoutingAck},
};

class LevelFunction : public Inputs, public ::testing::WithParamInterface<LevelCase> {};

}  // namespace

TEST_P(InputDebounce, FollowsTheTwoSampleTable) {
  Configure(inputFunctionStartSounders, 0xFF);
  const TransitionCase& c = GetParam();
  EXPECT_EQ(ApplyInputFunction(1, c.level, c.state), c.next);
  EXPECT_EQ(Evacuating(), c.activation);
}

INSTANTIATE_TEST_SUITE_P(Table, InputDebounce, ::testing::ValuesIn(transitionCases),
                         [](const auto& info) {
                           return "State" + std::to_string(info.param.state) + (info.param.level ? "Open" : "Closed");
                         });

TEST_F(Inputs, OneClosedSampleDoesNothingTwoGiveOneActivation) {
  Configure(inputFunctionStartSounders, 0xFF);
  SetInput(1, true);
  Ticks(1);
  SetInput(1, false);
  Ticks(3);
  EXPECT_FALSE(Evacuating());
  SwitchInput(1, true);
  EXPECT_TRUE(Evacuating());
  // Stopped by hand, the sounders stay off while the input stays closed.
  EnterLevel2();
  Press(keySoundersStartStop);
  ASSERT_FALSE(Evacuating());
  Ticks(100);
  EXPECT_FALSE(Evacuating());
}

TEST_P(LevelFunction, SetsItsFlagOnlyWhileOn) {
  Configure(0xFF, GetParam().function);
  SetInput(2, true);
  Ticks(1);
  EXPECT_FALSE(panel.delayState & GetParam().delayFlag);
  Ticks(1);
  EXPECT_TRUE(panel.delayState & GetParam().delayFlag);
  SetInput(2, false);
  Ticks(1);
  EXPECT_TRUE(panel.delayState & GetParam().delayFlag);
  Ticks(1);
  EXPECT_FALSE(panel.delayState & GetParam().delayFlag);
}

INSTANTIATE_TEST_SUITE_P(Functions, LevelFunction, ::testing::ValuesIn(levelCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Inputs, RoutingAcknowledgeIsConfiguredWhetherActiveOrNot) {
  Configure(inputFunctionRoutingAck, 0xFF);
  Ticks(1);
  EXPECT_TRUE(panel.sounderState & routingAckConfigured);
  Configure(inputFunctionEvacuate, 0xFF);
  Ticks(1);
  EXPECT_FALSE(panel.sounderState & routingAckConfigured);
}

TEST_F(Inputs, DelaysInputReadsOpenThroughoutEngineeringMode) {
  Configure(inputFunctionDelaysOnOff, 0xFF);
  ConfigureDelays();
  SwitchInput(1, true);
  ASSERT_TRUE(Delays());
  SetCoverOff(true);
  SetKeyswitch(true);
  ASSERT_GT(TicksUntil([&] { return Mode(engineeringMode); }, 100), 0);
  EXPECT_TRUE(Delays());
  Ticks(1);
  EXPECT_FALSE(Delays());
  Ticks(100);
  EXPECT_FALSE(Delays());
  // The cover back on ends the mode before the inputs are sampled; the
  // closed input counts from that tick's sample.
  SetCoverOff(false);
  ASSERT_GT(TicksUntil([&] { return !Mode(engineeringMode); }, 10), 0);
  EXPECT_FALSE(Delays());
  Ticks(1);
  EXPECT_TRUE(Delays());
}

TEST_F(Inputs, RemoteResetResetsOncePerClosure) {
  Configure(inputFunctionRemoteReset, inputFunctionStartSounders);
  SwitchInput(2, true);
  ASSERT_TRUE(Evacuating());
  SwitchInput(1, true);
  EXPECT_FALSE(Evacuating());
  SwitchInput(2, false);
  SwitchInput(2, true);
  Ticks(1000);
  EXPECT_TRUE(Evacuating());
  SwitchInput(1, false);
  SwitchInput(1, true);
  EXPECT_FALSE(Evacuating());
}

TEST_F(Inputs, RoutingFaultLatchesAndRelatchesTheTickAfterAResetWhileClosed) {
  Configure(inputFunctionRoutingFault, inputFunctionRemoteReset);
  panel.panelMode |= faultBuzzerMuted;
  SetInput(1, true);
  Ticks(1);
  EXPECT_FALSE(panel.systemFaults2 & inputFault);
  Ticks(1);
  EXPECT_TRUE(panel.systemFaults2 & inputFault);
  EXPECT_FALSE(Mode(faultBuzzerMuted));
  // Input 2 resets after input 1 has been applied in the same tick.
  SwitchInput(2, true);
  EXPECT_FALSE(panel.systemFaults2 & inputFault);
  Ticks(1);
  EXPECT_TRUE(panel.systemFaults2 & inputFault);
  // Opened, it stays latched until the next reset.
  SetInput(1, false);
  SetInput(2, false);
  Ticks(10);
  EXPECT_TRUE(panel.systemFaults2 & inputFault);
  SwitchInput(2, true);
  EXPECT_FALSE(panel.systemFaults2 & inputFault);
}

class FunctionByte : public Inputs, public ::testing::WithParamInterface<uint8_t> {};

TEST_P(FunctionByte, OnlyTheWholeByteSelectsAFunction) {
  Configure(GetParam(), 0xFF);
  ConfigureDelays();
  const uint8_t sounders = panel.sounderState;
  SetInput(1, true);
  Ticks(10);
  EXPECT_EQ(Delays(), GetParam() == inputFunctionDelaysOnOff);
  EXPECT_EQ(panel.sounderState, sounders);
  EXPECT_EQ(panel.systemFaults2, 0);
  EXPECT_EQ(State1(), inputActive);
}

INSTANTIATE_TEST_SUITE_P(Values, FunctionByte, ::testing::Values(0x03, 0x0B, 0x07));

TEST_F(Inputs, WatchdogFaultFollowsTheSystemFaultLatch) {
  board().SetPortBits(portSystemInputs, sysFaultLatch);
  Ticks(1);
  EXPECT_TRUE(panel.systemFaults2 & watchdogFault);
  board().ClearPortBits(portSystemInputs, sysFaultLatch);
  Ticks(1);
  EXPECT_FALSE(panel.systemFaults2 & watchdogFault);
}
