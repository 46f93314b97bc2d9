#include "firmware/keys.h"

#include <gtest/gtest.h>

#include "firmware/inputs.h"
#include "firmware/firmware.h"
#include "firmware/menu.h"
#include "tests/firmware/operator_fixture.h"

namespace {

constexpr uint8_t bothMutes = fireBuzzerMuted | faultBuzzerMuted;

enum class Level { one, two, engineering };

using Prepare = void (*)(OperatorTest&);

struct KeyDecision {
  const char* name;
  uint8_t key;
  Level level;
  Prepare prepare;
  bool click;
  void (*check)(OperatorTest& f);
};

void MuteFirst(OperatorTest& f) { f.Press(keyBuzzerMute); }
void SelectAllOutputs(OperatorTest& f) { f.Press(keyItemSelect); }
void OpenDelayPage(OperatorTest& f) { f.Press(keyLampTest); }
// A delayed sounder and both stages configured: delays may be switched on.
void DelaysPossible(OperatorTest& f) {
  f.WriteConfig(cfgOutputOptions, outputTypeSounder | outputObeysDelays);
  f.WriteConfig(cfgDelayOptions, 0x91);
  f.panel.delayState |= delayableOutputs;
}

void ExpectMuted(OperatorTest& f) { EXPECT_EQ(f.panel.panelMode & bothMutes, bothMutes); }
void ExpectNotMuted(OperatorTest& f) { EXPECT_EQ(f.panel.panelMode & bothMutes, 0); }
void ExpectNoSounderChange(OperatorTest& f) { EXPECT_EQ(f.panel.sounderState, 0); }
void ExpectNoSelection(OperatorTest& f) { EXPECT_EQ(f.panel.selectedItem, 0); }
void ExpectDelaysOff(OperatorTest& f) { EXPECT_FALSE(f.panel.delayState & delaysOn); }
void ExpectNoDisablement(OperatorTest& f) {
  EXPECT_EQ(f.panel.outputDisables, 0);
  EXPECT_EQ(f.ReadConfig(cfgZonesDisabled) | f.ReadConfig(cfgZonesInTest) | f.ReadConfig(cfgOutputDisables), 0);
}
void ExpectNothing(OperatorTest& f) {
  ExpectNotMuted(f);
  ExpectNoSelection(f);
  ExpectNoSounderChange(f);
}

// The same decisions by key, one row per key and access level.
const KeyDecision decisions[] = {
    {"AcceptLevel1", keyAccept, Level::one, nullptr, false, ExpectNotMuted},
    {"SoundersLevel1", keySoundersStartStop, Level::one, nullptr, false, ExpectNoSounderChange},
    {"ResetLevel1", keyReset, Level::one, MuteFirst, false, ExpectMuted},
    {"BuzzerMuteLevel1", keyBuzzerMute, Level::one, nullptr, true, ExpectMuted},
    {"DelayLevel1", keyDelayOnOff, Level::one, DelaysPossible, false, ExpectDelaysOff},
    {"ItemSelectLevel1", keyItemSelect, Level::one, nullptr, false, ExpectNoSelection},
    {"DisableTestNormalLevel1", keyDisableTestNormal, Level::one, nullptr, false, ExpectNoDisablement},
    {"LampTestLevel1", keyLampTest, Level::one, nullptr, false, ExpectNothing},

    {"AcceptLevel2", keyAccept, Level::two, SelectAllOutputs, true,
     [](OperatorTest& f) {
       ExpectMuted(f);
       ExpectNoSelection(f);
     }},
    {"SoundersLevel2", keySoundersStartStop, Level::two, nullptr, true,
     [](OperatorTest& f) { EXPECT_EQ(f.panel.sounderState, soundersEvacuate); }},
    {"ResetLevel2", keyReset, Level::two, MuteFirst, true, ExpectNotMuted},
    {"BuzzerMuteLevel2", keyBuzzerMute, Level::two, nullptr, true, ExpectMuted},
    {"DelayLevel2", keyDelayOnOff, Level::two, DelaysPossible, true, [](OperatorTest& f) { EXPECT_TRUE(f.panel.delayState & delaysOn); }},
    {"ItemSelectLevel2", keyItemSelect, Level::two, nullptr, true, [](OperatorTest& f) { EXPECT_EQ(f.panel.selectedItem, 1); }},
    {"DisableTestNormalLevel2", keyDisableTestNormal, Level::two, SelectAllOutputs, true,
     [](OperatorTest& f) {
       EXPECT_EQ(f.panel.outputDisables, 0x07);
       EXPECT_EQ(f.ReadConfig(cfgOutputDisables), 0x07);
     }},
    {"LampTestLevel2", keyLampTest, Level::two, nullptr, true, ExpectNothing},

    {"AcceptEngineering", keyAccept, Level::engineering, OpenDelayPage, true,
     [](OperatorTest& f) { EXPECT_EQ(f.panel.menuPage, 0); }},
    {"SoundersEngineering", keySoundersStartStop, Level::engineering, OpenDelayPage, true,
     [](OperatorTest& f) { EXPECT_EQ(f.panel.menuItem, 1); }},
    {"ResetEngineering", keyReset, Level::engineering, OpenDelayPage, true,
     [](OperatorTest& f) {
       EXPECT_TRUE(f.panel.panelMode & engineeringMode);
       EXPECT_EQ(f.ReadConfig(cfgDelayOptions), 0x10);
     }},
    {"BuzzerMuteEngineering", keyBuzzerMute, Level::engineering, nullptr, true, [](OperatorTest& f) { EXPECT_EQ(f.panel.menuPage, 1); }},
    {"DelayEngineering", keyDelayOnOff, Level::engineering, nullptr, true, [](OperatorTest& f) { EXPECT_EQ(f.panel.menuPage, 2); }},
    {"ItemSelectEngineering", keyItemSelect, Level::engineering, nullptr, true, [](OperatorTest& f) { EXPECT_EQ(f.panel.menuPage, 3); }},
    {"DisableTestNormalEngineering", keyDisableTestNormal, Level::engineering, nullptr, true,
     [](OperatorTest& f) { EXPECT_EQ(f.panel.menuPage, 4); }},
    {"LampTestEngineering", keyLampTest, Level::engineering, nullptr, true, [](OperatorTest& f) { EXPECT_EQ(f.panel.menuPage, 5); }},
};

class KeyDecisionTest : public OperatorTest, public ::testing::WithParamInterface<KeyDecision> {};

}  // namespace

TEST_P(KeyDecisionTest, ActsAndClicksOnlyWhenAccepted) {
  const KeyDecision& d = GetParam();
  if (d.level == Level::two) EnterLevel2();
  if (d.level == Level::engineering) EnterEngineering();
  if (d.prepare) d.prepare(*this);
  RequestRecorder recorder(t.board());
  Press(d.key);
  EXPECT_EQ(Clicks(recorder), d.click ? 1 : 0);
  d.check(*this);
}

INSTANTIATE_TEST_SUITE_P(AccessLevels, KeyDecisionTest, ::testing::ValuesIn(decisions),
                         [](const ::testing::TestParamInfo<KeyDecision>& info) { return info.param.name; });

using Keys = OperatorTest;

TEST_F(Keys, TwoSamplesGiveNoPressTheThirdExactlyOneAndHoldingNoMore) {
  EnterLevel2();
  RequestRecorder recorder(t.board());
  SetKeys(keyItemSelect, true);
  t.Advance(40);
  EXPECT_EQ(panel.selectedItem, 0);
  t.Advance(20);
  EXPECT_EQ(panel.selectedItem, 1);
  t.Advance(3000);
  EXPECT_EQ(panel.selectedItem, 1);
  EXPECT_EQ(Clicks(recorder), 1);
  // One released sample makes the next press a new one.
  SetKeys(keyItemSelect, false);
  t.Advance(20);
  Press(keyItemSelect);
  EXPECT_EQ(panel.selectedItem, 2);
}

TEST_F(Keys, AReleasedSampleRestartsTheDebounce) {
  EnterLevel2();
  SetKeys(keyItemSelect, true);
  t.Advance(40);
  SetKeys(keyItemSelect, false);
  t.Advance(20);
  SetKeys(keyItemSelect, true);
  t.Advance(40);
  EXPECT_EQ(panel.selectedItem, 0);
  t.Advance(20);
  EXPECT_EQ(panel.selectedItem, 1);
}

TEST_F(Keys, ScanKeysFollowsTheFourStateCounter) {
  // States A,B: 00 -> 01 -> 10 -> 11 (reported on the step to 11).
  board().AssignPortBits(acceptKeyAt, true);
  EXPECT_EQ(ScanKeys(), 0);
  EXPECT_EQ(keysState.keyDebounceA, 0);
  EXPECT_EQ(keysState.keyDebounceB, keyAccept);
  EXPECT_EQ(ScanKeys(), 0);
  EXPECT_EQ(keysState.keyDebounceA, keyAccept);
  EXPECT_EQ(keysState.keyDebounceB, 0);
  EXPECT_FALSE(KeyHeld(keyAccept));
  EXPECT_EQ(ScanKeys(), keyAccept);
  EXPECT_TRUE(KeyHeld(keyAccept));
  EXPECT_EQ(ScanKeys(), 0);
  EXPECT_TRUE(KeyHeld(keyAccept));
  board().AssignPortBits(acceptKeyAt, false);
  EXPECT_EQ(ScanKeys(), 0);
  EXPECT_EQ(keysState.keyDebounceA | keysState.keyDebounceB, 0);
}

TEST_F(Keys, BuzzerMuteAndResetInOneTickMuteOnly) {
  EnterLevel2();
  Press(keySoundersStartStop);
  ASSERT_TRUE(panel.sounderState & soundersEvacuate);
  RequestRecorder recorder(t.board());
  Press(keyBuzzerMute | keyReset);
  EXPECT_TRUE(Mode(bothMutes));
  EXPECT_TRUE(panel.sounderState & soundersEvacuate);  // no reset
  EXPECT_EQ(Clicks(recorder), 1);
}

TEST_F(Keys, AcceptAtLevel1NeedsPanelOptionBit0) {
  WriteConfig(cfgPanelOptions, panelAcceptAtLevel1);
  RequestRecorder recorder(t.board());
  Press(keyAccept);
  EXPECT_TRUE(Mode(bothMutes));
  EXPECT_EQ(Clicks(recorder), 1);
}

TEST_F(Keys, LampTestOptionDoesNotAdmitAcceptAtLevel1) {
  WriteConfig(cfgPanelOptions, panelLampTestAtLevel1);
  RequestRecorder recorder(t.board());
  Press(keyAccept);
  EXPECT_FALSE(panel.panelMode & fireBuzzerMuted);
  EXPECT_EQ(Clicks(recorder), 0);
}

TEST_F(Keys, DelayKeyCutsTheDelayShortAtLevel1OnlyWithAFire) {
  DelaysPossible(*this);
  EnterLevel2();
  Press(keyDelayOnOff);
  SetKeyswitch(false);
  Ticks50(2);
  ASSERT_FALSE(panel.panelMode & accessLevel2);
  RequestRecorder recorder(t.board());
  Press(keyDelayOnOff);
  EXPECT_TRUE(panel.delayState & delaysOn);  // not toggled at level 1
  EXPECT_EQ(Clicks(recorder), 0);
  StartFire(0);
  Ticks50(1);
  ASSERT_TRUE(panel.delayState & delayRunning);
  Press(keyDelayOnOff);
  EXPECT_TRUE(panel.delayState & delayEnded);
  EXPECT_EQ(Clicks(recorder), 1);
  Ticks50(1);
  EXPECT_FALSE(panel.delayState & delayRunning);
}

TEST_F(Keys, DelayKeyWithAFireAtLevel2CutsShortInsteadOfToggling) {
  DelaysPossible(*this);
  EnterLevel2();
  Press(keyDelayOnOff);
  ASSERT_TRUE(panel.delayState & delaysOn);
  StartFire(0);
  Ticks50(1);
  ASSERT_TRUE(panel.delayState & delayRunning);
  Press(keyDelayOnOff);
  EXPECT_TRUE(panel.delayState & delayEnded);
  EXPECT_TRUE(panel.delayState & delaysOn);
}

TEST_F(Keys, DelayKeyTogglesDelaysAtLevel2) {
  DelaysPossible(*this);
  EnterLevel2();
  Press(keyDelayOnOff);
  EXPECT_TRUE(panel.delayState & delaysOn);
  Press(keyDelayOnOff);
  EXPECT_FALSE(panel.delayState & delaysOn);
}

TEST_F(Keys, SoundersKeyWithAFireSilencesAndResounds) {
  EnterLevel2();
  StartFire(2);
  Press(keySoundersStartStop);
  EXPECT_EQ(panel.sounderState & (soundersSilenced | soundersResounded), soundersSilenced);
  EXPECT_TRUE(panel.panelMode & fireBuzzerMuted);
  Press(keySoundersStartStop);
  EXPECT_EQ(panel.sounderState & (soundersSilenced | soundersResounded), soundersResounded);
  EXPECT_FALSE(panel.panelMode & fireBuzzerMuted);
}

TEST_F(Keys, SoundersKeyWithAnAlertInputSilencesThenEvacuates) {
  EnterLevel2();
  CloseInputAs(1, inputFunctionAlert);
  ASSERT_TRUE(panel.delayState & inputAlert);
  Press(keySoundersStartStop);
  EXPECT_EQ(panel.sounderState & (soundersSilenced | soundersEvacuate), soundersSilenced);
  EXPECT_TRUE(panel.panelMode & fireBuzzerMuted);
  Press(keySoundersStartStop);
  EXPECT_EQ(panel.sounderState & (soundersSilenced | soundersEvacuate), soundersEvacuate);
}

TEST_F(Keys, SoundersKeyWithoutFireStartsAndStopsEvacuation) {
  EnterLevel2();
  Press(keyBuzzerMute);
  Press(keySoundersStartStop);
  EXPECT_EQ(panel.sounderState, soundersEvacuate);
  EXPECT_TRUE(panel.panelMode & fireBuzzerMuted);
  Press(keySoundersStartStop);
  EXPECT_EQ(panel.sounderState, 0);
  EXPECT_FALSE(panel.panelMode & fireBuzzerMuted);
}

using AccessLevels = OperatorTest;

TEST_F(AccessLevels, KeyswitchGivesLevel2OnTheSecondSampleAndLosesItOnTheSecondOff) {
  SetKeyswitch(true);
  Ticks50(1);
  EXPECT_FALSE(panel.panelMode & accessLevel2);
  Ticks50(1);
  EXPECT_TRUE(panel.panelMode & accessLevel2);
  SetKeyswitch(false);
  Ticks50(1);
  EXPECT_TRUE(panel.panelMode & accessLevel2);
  Ticks50(1);
  EXPECT_FALSE(panel.panelMode & accessLevel2);
}

TEST_F(AccessLevels, CoverOffWithTheKeyOffGivesLevel2Only) {
  SetCoverOff(true);
  Ticks50(1);
  EXPECT_FALSE(panel.panelMode & accessLevel2);
  Ticks50(1);
  EXPECT_TRUE(Mode(accessLevel2 | accessLevel3));
  Ticks50(100);
  EXPECT_FALSE(panel.panelMode & engineeringMode);
}

TEST_F(AccessLevels, KeyOffWithTheCoverOffKeepsLevel2UntilTheCoverIsRefitted) {
  SetCoverOff(true);
  SetKeyswitch(true);
  Ticks50(3);
  SetKeyswitch(false);
  Ticks50(5);
  EXPECT_TRUE(panel.panelMode & accessLevel2);
  SetCoverOff(false);
  Ticks50(1);
  EXPECT_TRUE(panel.panelMode & accessLevel2);
  Ticks50(1);
  EXPECT_EQ(panel.panelMode & (accessLevel2 | accessLevel3), 0);
}

TEST_F(AccessLevels, EngineeringModeAtThe21stCountedTickWithOneClick) {
  RequestRecorder recorder(t.board());
  SetCoverOff(true);
  SetKeyswitch(true);
  Ticks50(ticksToEngineeringMode - 1);
  EXPECT_FALSE(panel.panelMode & engineeringMode);
  EXPECT_EQ(Clicks(recorder), 0);
  Ticks50(1);
  EXPECT_TRUE(Mode(accessLevel2 | accessLevel3 | engineeringMode));
  EXPECT_EQ(panel.menuPage, 0);
  EXPECT_EQ(panel.menuItem, 0);
  EXPECT_EQ(Clicks(recorder), 1);
  Ticks50(100);
  EXPECT_EQ(Clicks(recorder), 1);
}

TEST_F(AccessLevels, RefittedCoverEndsEngineeringModeWithAResetAndAClick) {
  EnterEngineering();
  Press(keyItemSelect);  // page 3
  RequestRecorder recorder(t.board());
  SetCoverOff(false);
  Ticks50(1);
  EXPECT_TRUE(panel.panelMode & engineeringMode);
  Ticks50(1);
  EXPECT_FALSE(panel.panelMode & (engineeringMode | accessLevel3));
  EXPECT_TRUE(panel.panelMode & accessLevel2);  // the key is still on
  EXPECT_EQ(panel.menuPage, 0);
  EXPECT_EQ(Clicks(recorder), 1);
}

TEST_F(AccessLevels, LosingLevel2EndsEngineeringModeWithAResetAndAClick) {
  panel.panelMode = engineeringMode | faultBuzzerMuted;
  RequestRecorder recorder(t.board());
  SelectionTimeoutTask();
  EXPECT_EQ(panel.panelMode, 0);
  EXPECT_EQ(Clicks(recorder), 1);
}

TEST_F(AccessLevels, MenuTimeOutEndsEngineeringModeWhichIsReenteredAtTheNextTick) {
  EnterEngineering();
  RequestRecorder recorder(t.board());
  Ticks50(menuTimeoutTicks - 10);
  ASSERT_TRUE(panel.panelMode & engineeringMode);
  Press(keyItemSelect);  // a key press reloads the time-out
  Ticks50(menuTimeoutTicks - 10);
  ASSERT_TRUE(panel.panelMode & engineeringMode);
  EXPECT_EQ(Clicks(recorder), 1);
  // The key is still held with the cover off: back in at once.
  while (panel.panelMode & engineeringMode) Ticks50(1);
  EXPECT_EQ(Clicks(recorder), 2);
  EXPECT_EQ(panel.menuPage, 0);
  Ticks50(1);
  EXPECT_TRUE(panel.panelMode & engineeringMode);
  EXPECT_EQ(Clicks(recorder), 3);
}

TEST_F(AccessLevels, EngineeringModeTimesOutAfter300SecondsWithoutKeys) {
  EnterEngineering();
  Ticks50(menuTimeoutTicks - 2);
  EXPECT_TRUE(panel.panelMode & engineeringMode);
  Ticks50(1);
  EXPECT_FALSE(panel.panelMode & engineeringMode);
}

TEST_F(AccessLevels, HoldCountGoesOnAcrossCoverChangesAndWraps) {
  EnterEngineering();
  EXPECT_EQ(keysState.keyswitchHoldCount, 21);
  Ticks50(233);
  ASSERT_EQ(keysState.keyswitchHoldCount, 254);
  SetCoverOff(false);
  Ticks50(2);  // the first cover-on sample still counts
  ASSERT_FALSE(panel.panelMode & engineeringMode);
  EXPECT_EQ(keysState.keyswitchHoldCount, 255);
  // Not restarted: back in at the first counted tick.
  SetCoverOff(true);
  Ticks50(2);
  EXPECT_TRUE(panel.panelMode & engineeringMode);
  EXPECT_EQ(keysState.keyswitchHoldCount, 0);
  SetCoverOff(false);
  Ticks50(2);
  ASSERT_EQ(keysState.keyswitchHoldCount, 1);
  // After the wrap the count must climb to 20 again: 19 counted ticks wait.
  SetCoverOff(true);
  Ticks50(1 + 19);
  EXPECT_FALSE(panel.panelMode & engineeringMode);
  Ticks50(1);
  EXPECT_TRUE(panel.panelMode & engineeringMode);
}

TEST_F(AccessLevels, KeyTurnedOnAgainRestartsTheHoldCount) {
  EnterEngineering();
  SetCoverOff(false);
  Ticks50(2);
  SetKeyswitch(false);
  Ticks50(2);
  SetKeyswitch(true);
  SetCoverOff(true);
  Ticks50(ticksToEngineeringMode - 1);
  EXPECT_FALSE(panel.panelMode & engineeringMode);
  Ticks50(1);
  EXPECT_TRUE(panel.panelMode & engineeringMode);
}

using Selection = OperatorTest;

TEST_F(Selection, CancelledTwentySecondsAfterTheLastKey) {
  EnterLevel2();
  Press(keyItemSelect);
  ASSERT_EQ(panel.selectedItem, 1);
  const int left = panel.menuTimeout;
  EXPECT_GE(left, 398);
  Ticks50(left - 1);
  EXPECT_EQ(panel.selectedItem, 1);
  Ticks50(1);
  EXPECT_EQ(panel.selectedItem, 0);
}

TEST_F(Selection, CancelledByAccept) {
  EnterLevel2();
  PressTimes(keyItemSelect, 3);
  Press(keyAccept);
  EXPECT_EQ(panel.selectedItem, 0);
}

TEST_F(Selection, CancelledWhenLevel2IsLost) {
  EnterLevel2();
  Press(keyItemSelect);
  SetKeyswitch(false);
  Ticks50(2);
  EXPECT_EQ(panel.selectedItem, 0);
}

TEST_F(Selection, MenuPositionHeldAtTheTopOutsideEngineeringMode) {
  panel.menuPage = 3;
  panel.menuItem = 2;
  Ticks50(1);
  EXPECT_EQ(panel.menuPage, 0);
  EXPECT_EQ(panel.menuItem, 0);
}

TEST_F(Selection, NoDisablementSelectionInEngineeringMode) {
  EnterEngineering();
  panel.selectedItem = 5;
  Ticks50(1);
  EXPECT_EQ(panel.selectedItem, 0);
}
