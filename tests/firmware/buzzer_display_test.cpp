#include "firmware/buzzer_display.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "board/board_wiring.h"
#include "tests/firmware/firmware_fixture.h"
#include "tests/firmware/operator_fixture.h"

namespace {

struct BuzzerCase {
  const char* name;
  uint8_t panelMode;
  uint8_t sounderState;
  uint8_t delayState;
  uint16_t delayTimer;
  uint8_t zonesAlarmDetected;
  uint8_t systemFaults;
  uint8_t systemFaults2;
  uint8_t zonesFaultDetected;
  uint8_t flashTimer;
  bool on;
};

constexpr uint8_t allFlash = 0x3F;

const BuzzerCase buzzerCases[] = {
    {"Quiet", 0, 0, 0, 0, 0, 0, 0, 0, allFlash, false},
    {"FireSteady", 0, 0, 0, 0, 0x01, 0, 0, 0, 0, true},
    {"FireWithBuzzerQuietSilent", buzzerQuiet, 0, 0, 0, 0x01, 0, 0, 0x02, allFlash, false},
    {"FireMutedFaultBeeps", fireBuzzerMuted, 0, 0, 0, 0x01, mainsFault, 0, 0, pulseEvery5s, true},
    {"FireMutedFaultBetweenBeeps", fireBuzzerMuted, 0, 0, 0, 0x01, mainsFault, 0, 0, allFlash & ~pulseEvery5s, false},
    {"EvacuationSteady", 0, soundersEvacuate, 0, 0, 0, 0, 0, 0, 0, true},
    {"DelayOnAt1Hz", 0, 0, delayRunning, 100, 0x01, 0, 0, 0, flash500ms, true},
    {"DelayOffAt1Hz", 0, 0, delayRunning, 100, 0x01, 0, 0, 0, allFlash & ~flash500ms, false},
    {"DelayFinalPhaseOn", 0, 0, delayRunning, 99, 0x01, 0, 0, 0, flash200ms, true},
    {"DelayFinalPhaseOff", 0, 0, delayRunning, 99, 0x01, 0, 0, 0, allFlash & ~flash200ms, false},
    {"DelayHidesFaults", 0, 0, delayRunning, 500, 0x01, batteryFault, 0, 0, pulseEvery5s, false},
    {"DelayQuiet", buzzerQuiet, 0, delayRunning, 500, 0x01, 0, 0, 0, allFlash, false},
    {"AlertOn", 0, 0, inputAlert, 0, 0, 0, 0, 0, flash1s, true},
    {"AlertOff", 0, 0, inputAlert, 0, 0, earthFault, 0, 0, allFlash & ~flash1s, false},
    {"FaultBeepEvery5s", 0, 0, 0, 0, 0, 0, 0, 0x04, pulseEvery5s, true},
    {"FaultBetweenBeeps", 0, 0, 0, 0, 0, 0, 0, 0x04, allFlash & ~pulseEvery5s, false},
    {"SecondFaultByteBeeps", 0, 0, 0, 0, 0, 0, routingLineFault, 0, pulseEvery5s, true},
    {"FaultMuted", faultBuzzerMuted, 0, 0, 0, 0, auxSupplyFault, 0, 0, allFlash, false},
    {"QuietFaultIgnoresTheFiveSecondPulse", buzzerQuiet, 0, 0, 0, 0, auxSupplyFault, 0, 0, pulseEvery5s, false},
    {"QuietFaultEvery320s", buzzerQuiet, 0, 0, 0, 0, auxSupplyFault, 0, 0, pulseEvery320s, true},
    {"MutedFireAndMutedFault", fireBuzzerMuted | faultBuzzerMuted, 0, 0, 0, 0x01, mainsFault, 0, 0, allFlash, false},
};

class BuzzerDemandTest : public FirmwareTest, public ::testing::WithParamInterface<BuzzerCase> {};

}  // namespace

TEST_P(BuzzerDemandTest, ToneFollowsTheConditionAndItsFlashBit) {
  const BuzzerCase& c = GetParam();
  panel.panelMode = c.panelMode;
  panel.sounderState = c.sounderState;
  panel.delayState = c.delayState;
  panel.delayTimer = c.delayTimer;
  panel.zonesAlarmDetected = c.zonesAlarmDetected;
  panel.systemFaults = c.systemFaults;
  panel.systemFaults2 = c.systemFaults2;
  panel.zonesFaultDetected = c.zonesFaultDetected;
  panel.flashTimer = c.flashTimer;
  EXPECT_EQ(BuzzerDemand(), c.on);
}

INSTANTIATE_TEST_SUITE_P(Conditions, BuzzerDemandTest, ::testing::ValuesIn(buzzerCases),
                         [](const ::testing::TestParamInfo<BuzzerCase>& info) { return info.param.name; });

namespace {

class BuzzerAndDisplay : public OperatorTest {
 public:
  bool BuzzerOn() { return board().Port(portBuzzer) != 0; }
  // Hundreds, tens and units as shown; 10 is blank.
  std::vector<int> Digits() {
    std::vector<int> digits;
    for (int port = portHundreds; port <= portUnits; ++port) {
      digits.push_back(CounterDigitDecode(board().Port(port) & segmentMask));
    }
    return digits;
  }
  // (50 ms tick number, argument) of every counter update while the recorder ran.
  static std::vector<std::pair<int, int32_t>> CounterUpdates(const RequestRecorder& recorder) {
    std::vector<std::pair<int, int32_t>> updates;
    int tick = 0;
    for (const RecordedRequest& c : recorder.calls) {
      if (c.op == TAKE_TICK_50MS && c.result) ++tick;
      if (c.op == SET_COUNTER_DIGITS) updates.emplace_back(tick, c.arg);
    }
    return updates;
  }
  // Holds the lamp test key until both debounce stages have seen it.
  void HoldLampTest() {
    SetKeys(keyLampTest, true);
    t.Advance(60);
  }
};

}  // namespace

TEST_F(BuzzerAndDisplay, FireSoundsTheBuzzerUntilMuted) {
  StartFire(0);
  Ticks50(1);
  EXPECT_TRUE(BuzzerOn());
  Press(keyBuzzerMute);
  Ticks50(1);
  EXPECT_FALSE(BuzzerOn());
}

TEST_F(BuzzerAndDisplay, EngineeringModeSilencesFireAndLampTest) {
  EnterEngineering();
  StartFire(0);
  HoldLampTest();
  Ticks50(2);
  EXPECT_FALSE(BuzzerOn());
  EXPECT_FALSE(LampTestActive());
}

TEST_F(BuzzerAndDisplay, LampTestAtLevel2SoundsTheBuzzerWhileHeld) {
  EnterLevel2();
  HoldLampTest();
  EXPECT_TRUE(LampTestActive());
  Ticks50(1);
  EXPECT_TRUE(BuzzerOn());
  SetKeys(keyLampTest, false);
  t.Advance(20);
  EXPECT_FALSE(LampTestActive());
  Ticks50(1);
  EXPECT_FALSE(BuzzerOn());
}

TEST_F(BuzzerAndDisplay, LampTestAtLevel1OnlyWithPanelOptionBit1) {
  HoldLampTest();
  Ticks50(12);
  EXPECT_FALSE(LampTestActive());
  EXPECT_FALSE(BuzzerOn());
  EXPECT_EQ(Digits(), (std::vector<int>{counterBlankDigit, counterBlankDigit, counterBlankDigit}));
  WriteConfig(cfgPanelOptions, panelLampTestAtLevel1);
  EXPECT_TRUE(LampTestActive());
  Ticks50(1);
  EXPECT_TRUE(BuzzerOn());
  EXPECT_EQ(Digits(), (std::vector<int>{8, counterBlankDigit, counterBlankDigit}));
}

TEST_F(BuzzerAndDisplay, LampTestWalksTheEightEveryTenTicks) {
  EnterLevel2();
  HoldLampTest();
  RequestRecorder recorder(t.board());
  Ticks50(60);
  const std::vector<std::pair<int, int32_t>> expected = {
      {1, digitsWalkHundreds},  {11, digitsWalkTens}, {21, digitsWalkUnits},
      {32, digitsWalkHundreds}, {42, digitsWalkTens}, {52, digitsWalkUnits},
  };
  EXPECT_EQ(CounterUpdates(recorder), expected);
}

TEST_F(BuzzerAndDisplay, WalkShowsTheEightInEachDigitInTurn) {
  EnterLevel2();
  HoldLampTest();
  Ticks50(1);
  EXPECT_EQ(Digits(), (std::vector<int>{8, counterBlankDigit, counterBlankDigit}));
  Ticks50(10);
  EXPECT_EQ(Digits(), (std::vector<int>{counterBlankDigit, 8, counterBlankDigit}));
  Ticks50(10);
  EXPECT_EQ(Digits(), (std::vector<int>{counterBlankDigit, counterBlankDigit, 8}));
}

TEST_F(BuzzerAndDisplay, CountShownForFiveSecondsAfterTheLampTest) {
  WriteConfig(cfgAlarmCountHundreds, 0);
  WriteConfig(cfgAlarmCountTensUnits, 0x42);
  EnterLevel2();
  HoldLampTest();
  Ticks50(17);
  SetKeys(keyLampTest, false);
  int ticks = 0;
  while (Digits() != std::vector<int>{0, 4, 2} && ticks < 3) {
    Ticks50(1);
    ++ticks;
  }
  ASSERT_EQ(Digits(), (std::vector<int>{0, 4, 2}));
  Ticks50(98);
  EXPECT_EQ(Digits(), (std::vector<int>{0, 4, 2}));
  Ticks50(1);
  EXPECT_EQ(Digits(), (std::vector<int>{counterBlankDigit, counterBlankDigit, counterBlankDigit}));
}

TEST_F(BuzzerAndDisplay, AtRestTheDisplayIsBlankedEverySecond) {
  RequestRecorder recorder(t.board());
  Ticks50(100);
  const std::vector<std::pair<int, int32_t>> expected = {
      {20, digitsBlank}, {40, digitsBlank}, {60, digitsBlank}, {80, digitsBlank}, {100, digitsBlank},
  };
  EXPECT_EQ(CounterUpdates(recorder), expected);
}

TEST_F(BuzzerAndDisplay, EngineeringModeKeepsBlankingWithTheLampTestKeyHeld) {
  EnterEngineering();
  HoldLampTest();
  RequestRecorder recorder(t.board());
  Ticks50(40);
  for (const auto& update : CounterUpdates(recorder)) EXPECT_EQ(update.second, digitsBlank);
  EXPECT_EQ(CounterUpdates(recorder).size(), 2u);
}
