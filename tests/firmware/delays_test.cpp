#include "firmware/delays.h"

#include <gtest/gtest.h>

#include "tests/firmware/operator_fixture.h"
#include "tests/firmware/firmware_fixture.h"

namespace {

constexpr uint8_t delayFlags = delayRunning | delayExtended | delayEnded;

class Delays : public OperatorTest {
 public:
  // A delayed sounder configured with the delay options, delays switched on
  // with the Delay on/off key at level 2; leaves the time at 200 ms, just
  // after a 50 ms tick.
  void SwitchDelaysOn(uint8_t delayOptions) {
    WriteConfig(cfgOutputOptions, outputTypeSounder | outputObeysDelays);
    WriteConfig(cfgDelayOptions, delayOptions);
    panel.delayState |= delayableOutputs;
    EnterLevel2();
    Press(keyDelayOnOff);
    ASSERT_TRUE(panel.delayState & delaysOn);
    t.Advance(20);
  }
  // The stage is loaded by the DelayTask of the tick after the fire (250 ms).
  void FireStartsTheStage() {
    StartFire(0);
    Ticks50(1);
    ASSERT_TRUE(panel.delayState & delayRunning);
  }
  // Held from just after a 50 ms tick at an odd multiple of 50 ms, Accept's
  // third sample falls on the next 50 ms tick: it is accepted just before
  // that tick's DelayTask, which then counts the new stage down once.
  void AcceptBeforeTheNextTick() {
    ASSERT_EQ(t.stepper().NowMs() % 100, 50);
    SetKeys(keyAccept, true);
    t.Advance(50);
    SetKeys(keyAccept, false);
    t.Advance(20);
  }
  bool Running() { return panel.delayState & delayRunning; }
  bool Ended() { return panel.delayState & delayEnded; }
};

}  // namespace

TEST_F(Delays, FirstStageOf600TicksReleasesTheOutputsOnThe601stTick) {
  SwitchDelaysOn(0x91);
  FireStartsTheStage();
  EXPECT_EQ(panel.delayTimer, 600);
  EXPECT_FALSE(panel.delayState & delayExtended);
  Ticks50(600);
  EXPECT_TRUE(Running());
  EXPECT_EQ(panel.delayTimer, 0);
  Ticks50(1);
  EXPECT_FALSE(Running());
  EXPECT_TRUE(Ended());
}

TEST_F(Delays, AcceptAfter100TicksLoadsTheSecondStageOf1200) {
  SwitchDelaysOn(0x91);
  FireStartsTheStage();
  Ticks50(100);
  ASSERT_EQ(panel.delayTimer, 500);
  AcceptBeforeTheNextTick();
  EXPECT_TRUE(panel.delayState & delayExtended);
  EXPECT_EQ(panel.delayTimer, 1200 - 1);
  Ticks50(1199);
  EXPECT_TRUE(Running());
  Ticks50(1);
  EXPECT_TRUE(Ended());
  EXPECT_FALSE(Running());
}

TEST_F(Delays, BothStagesTogetherAreCappedAt12000Ticks) {
  SwitchDelaysOn(0x4A);  // 120 s and 10 min
  FireStartsTheStage();
  EXPECT_EQ(panel.delayTimer, 2400);
  Ticks50(2000);
  AcceptBeforeTheNextTick();
  EXPECT_EQ(panel.delayTimer, 10000 - 1);
}

TEST_F(Delays, AcceptDoesNotExtendTheSecondStageAgain) {
  SwitchDelaysOn(0x4A);
  FireStartsTheStage();
  Ticks50(100);
  AcceptBeforeTheNextTick();
  ASSERT_EQ(panel.delayTimer, 12000 - 100 - 1);
  t.Advance(30);  // back to just after a tick at an odd multiple of 50 ms
  Ticks50(10);
  AcceptBeforeTheNextTick();
  EXPECT_EQ(panel.delayTimer, 12000 - 100 - 1 - 12);
}

TEST_F(Delays, WithoutAFirstStageTheSecondStartsWithTheFire) {
  SwitchDelaysOn(0x01);
  FireStartsTheStage();
  EXPECT_TRUE(panel.delayState & delayExtended);
  EXPECT_EQ(panel.delayTimer, 1200);
  Ticks50(10);
  AcceptBeforeTheNextTick();
  EXPECT_EQ(panel.delayTimer, 1200 - 11);
}

TEST_F(Delays, WithoutASecondStageAcceptLeavesTheFirstRunning) {
  SwitchDelaysOn(0x10);
  FireStartsTheStage();
  Ticks50(10);
  AcceptBeforeTheNextTick();
  EXPECT_FALSE(panel.delayState & delayExtended);
  EXPECT_EQ(panel.delayTimer, 600 - 11);
  EXPECT_TRUE(panel.panelMode & fireBuzzerMuted);  // Accept still mutes
}

TEST_F(Delays, OverrideZoneInFireReleasesTheOutputsAtTheNextTick) {
  SwitchDelaysOn(0x91);
  FireStartsTheStage();
  Ticks50(50);
  panel.panelMode2 |= delayOverrideFire;  // as zone scanning reports such a zone
  Ticks50(1);
  EXPECT_TRUE(Ended());
  EXPECT_FALSE(Running());
}

TEST_F(Delays, FireWithDelaysOffReleasesTheOutputsAtOnce) {
  Ticks50(1);
  StartFire(0);
  Ticks50(1);
  EXPECT_EQ(panel.delayState & delayFlags, delayEnded);
}

TEST_F(Delays, OnlyALatchingFireStartsTheDelay) {
  SwitchDelaysOn(0x91);
  StartFire(0);
  panel.panelMode &= ~latchingFire;
  Ticks50(5);
  EXPECT_EQ(panel.delayState & delayFlags, 0);
  panel.panelMode |= latchingFire;
  Ticks50(1);
  EXPECT_TRUE(Running());
  EXPECT_EQ(panel.delayTimer, 600);
}

TEST_F(Delays, ResetKeepsDelaysOnWhileTheirConditionsHold) {
  SwitchDelaysOn(0x91);
  FireStartsTheStage();
  AcceptBeforeTheNextTick();
  Press(keyReset);
  Ticks50(1);
  EXPECT_EQ(panel.delayState & (delaysOn | delayFlags), delaysOn);
}

TEST_F(Delays, EndOfTheFireSwitchesDelaysOffWhenNothingIsDelayedAnyMore) {
  SwitchDelaysOn(0x91);
  FireStartsTheStage();
  WriteConfig(cfgOutputOptions, outputTypeSounder);
  panel.delayState &= ~delayableOutputs;
  Press(keyReset);
  Ticks50(1);
  EXPECT_EQ(panel.delayState & (delaysOn | delayFlags), 0);
}

TEST_F(Delays, FurtherZoneConfirmationEndsARunningDelayOnlyWithOptionBit7) {
  SwitchDelaysOn(0x11);
  FireStartsTheStage();
  CheckDelayCancel();
  EXPECT_TRUE(Running());
  WriteConfig(cfgDelayOptions, 0x91);
  CheckDelayCancel();
  EXPECT_FALSE(Running());
  EXPECT_TRUE(Ended());
}

struct Refusal {
  const char* name;
  int zones;
  uint8_t overridingZones;  // bitmap of zones with the override option
  bool delayedOutput;
  uint8_t delayOptions;
  bool accepted;
};

const Refusal refusals[] = {
    {"EveryZoneOverrides", 2, 0x03, true, 0x91, false},
    {"OneZoneOfTwoDoesNotOverride", 2, 0x01, true, 0x91, true},
    {"OneZoneOfFourDoesNotOverride", 4, 0x07, true, 0x91, true},
    {"NoDelayedOutput", 2, 0x00, false, 0x91, false},
    {"BothStagesZero", 2, 0x00, true, 0x80, false},
    {"SecondStageOnly", 2, 0x00, true, 0x01, true},
    {"FirstStageOnly", 2, 0x00, true, 0x10, true},
};

class SwitchingDelaysOn : public OperatorTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SwitchingDelaysOn, NeedsADelayableOutputAStageAndAZoneWithoutOverride) {
  const Refusal& r = GetParam();
  SetZoneCount(r.zones);
  for (uint8_t zone = 0; zone < 8; ++zone) {
    WriteConfig(zone, r.overridingZones & ZoneBit(zone) ? zoneOverridesDelays : 0);
  }
  WriteConfig(cfgDelayOptions, r.delayOptions);
  WriteConfig(cfgOutputOptions, r.delayedOutput ? outputObeysDelays : 0);
  if (r.delayedOutput) panel.delayState |= delayableOutputs;
  EnterLevel2();
  RequestRecorder recorder(t.board());
  Press(keyDelayOnOff);
  EXPECT_EQ(bool(panel.delayState & delaysOn), r.accepted);
  EXPECT_EQ(Clicks(recorder), 1);  // the key press is accepted either way
}

INSTANTIATE_TEST_SUITE_P(Conditions, SwitchingDelaysOn, ::testing::ValuesIn(refusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.name; });

class AllZonesOverrideDelaysTest : public FirmwareTest {};

TEST_F(AllZonesOverrideDelaysTest, LooksOnlyAtTheZonesOfThePanel) {
  for (uint8_t zone = 0; zone < 4; ++zone) WriteConfig(zone, zoneOverridesDelays);
  EXPECT_TRUE(AllZonesOverrideDelays());  // two zones
  t.board().AssignPortBits(fourZoneLinkAt, true);
  EXPECT_TRUE(AllZonesOverrideDelays());
  t.board().AssignPortBits(eightZoneLinkAt, true);
  EXPECT_FALSE(AllZonesOverrideDelays());
}
