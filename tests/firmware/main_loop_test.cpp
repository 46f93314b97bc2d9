#include <gtest/gtest.h>

#include <algorithm>

#include "board/hardware_interface.h"
#include "firmware/firmware.h"
#include "firmware/panel_state.h"
#include "tests/firmware/firmware_fixture.h"
#include "tests/support/test_board.h"

namespace {

size_t IndexOf(const std::vector<RecordedRequest>& calls, uint8_t op, int32_t arg = -1) {
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].op == op && (arg < 0 || calls[i].arg == arg)) return i;
  }
  return calls.size();
}

constexpr int32_t referenceChannel = 10;

}  // namespace

class FirmwarePassTest : public FirmwareTest {};

TEST_F(FirmwarePassTest, WithoutTicksOnlyTakesFlagsAndServicesTheWatchdog) {
  t.Start();
  const PanelState before = panel;
  RequestRecorder recorder(t.board());
  FirmwarePass();
  EXPECT_EQ(recorder.Ops(), (std::vector<uint8_t>{TAKE_TICK_20MS, TAKE_TICK_50MS, WATCHDOG_SERVICE}));
  EXPECT_EQ(recorder.calls.back().arg, 0);
  EXPECT_EQ(panel.referenceLevel, before.referenceLevel);
  EXPECT_EQ(panel.configCheckIndex, before.configCheckIndex);
  EXPECT_EQ(panel.programCheckCursor, before.programCheckCursor);
}

TEST_F(FirmwarePassTest, TwentyMillisecondGroupRunsBeforeTheFiftyMillisecondGroup) {
  t.Start();
  t.board().StorePort(portTick20ms, 1);
  t.board().StorePort(portTick50ms, 1);
  RequestRecorder recorder(t.board());
  FirmwarePass();
  const auto& calls = recorder.calls;
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls.front().op, TAKE_TICK_20MS);
  // FilterReference opens the 20 ms group.
  EXPECT_EQ(calls[1].op, READ_ANALOGUE);
  EXPECT_EQ(calls[1].arg, referenceChannel);
  const size_t take50 = IndexOf(calls, TAKE_TICK_50MS);
  ASSERT_LT(take50, calls.size());
  EXPECT_EQ(std::count_if(calls.begin(), calls.begin() + long(take50),
                          [](const RecordedRequest& c) { return c.op == TAKE_TICK_20MS || c.op == TAKE_TICK_50MS; }),
            1);
  EXPECT_EQ(calls.back().op, WATCHDOG_SERVICE);
  // Both groups ran: the configuration check advanced by one byte.
  EXPECT_EQ(panel.configCheckIndex, 1);
}

TEST_F(FirmwarePassTest, FiftyMillisecondTickAloneSkipsTheTwentyMillisecondGroup) {
  t.Start();
  t.board().StorePort(portTick50ms, 1);
  RequestRecorder recorder(t.board());
  FirmwarePass();
  EXPECT_EQ(recorder.calls[1].op, TAKE_TICK_50MS);
  EXPECT_EQ(IndexOf(recorder.calls, READ_ANALOGUE, referenceChannel), recorder.calls.size());
  EXPECT_EQ(panel.configCheckIndex, 1);
}

class FirmwareStartTest : public FirmwareTest {};

TEST_F(FirmwareStartTest, LoadsOutputDisablesAndChecksProgramMemoryOnce) {
  WriteConfig(cfgOutputDisables, soundersDisabled | faultRoutingDisabled);
  programImage[100] = 1;  // a mismatch that the start-up pass must find
  RequestRecorder recorder(t.board());
  FirmwareStart();
  EXPECT_EQ(panel.outputDisables, soundersDisabled | faultRoutingDisabled);
  EXPECT_TRUE(panel.systemFaults & programCheckFault);
  EXPECT_EQ(recorder.Ops(), std::vector<uint8_t>{READ_NV_BYTE});
}

class ProgramCheck : public FirmwareTest {};

TEST_F(ProgramCheck, ZeroedMemoryPassesAndAWholePassRunsFourStepsIntoTheNext) {
  programImage[3] = 1;
  programImage[0] = 1;  // stored word matches
  RunProgramCheckPass();
  EXPECT_FALSE(panel.systemFaults & programCheckFault);
  // 16384 steps over a round of 16380 bytes: the next round has summed bytes 2..5.
  EXPECT_EQ(panel.programCheckCursor, 6);
  EXPECT_EQ(panel.programCheckSum, 1);
}

TEST_F(ProgramCheck, StoredWordsAreComparedNotSummed) {
  // Stored words 5 and 3; the summed bytes add up to 8.
  programImage[0] = 5;
  programImage[12288] = 3;
  programImage[600] = 4;
  programImage[12290] = 4;
  RunProgramCheckPass();
  EXPECT_FALSE(panel.systemFaults & programCheckFault);
  // A high byte of a stored word counts 256 times.
  programImage[12289] = 1;
  RunProgramCheckPass();
  EXPECT_TRUE(panel.systemFaults & programCheckFault);
}

TEST_F(ProgramCheck, AChangedByteIsFoundWhenTheCursorReachesTheEnd) {
  RunProgramCheckPass();
  for (int step = 0; step < 100; ++step) ProgramCheckStep();
  programImage[16383] = 1;
  int steps = 100;
  while (!(panel.systemFaults & programCheckFault)) {
    ProgramCheckStep();
    ++steps;
  }
  // Start-up left the cursor at 6; 100 steps took it to 106; the round ends at 16384.
  EXPECT_EQ(steps, 100 + 16384 - 106 - 2);
}

TEST_F(ProgramCheck, MismatchClearsFaultMuteAndStopsTheCheck) {
  programImage[2] = 1;
  panel.panelMode |= faultBuzzerMuted;
  RunProgramCheckPass();
  EXPECT_TRUE(panel.systemFaults & programCheckFault);
  EXPECT_FALSE(panel.panelMode & faultBuzzerMuted);
  const uint16_t cursor = panel.programCheckCursor;
  ProgramCheckStep();
  EXPECT_EQ(panel.programCheckCursor, cursor);
}

TEST_F(ProgramCheck, StandsStillInEngineeringModeAndResumes) {
  for (int step = 0; step < 10; ++step) ProgramCheckStep();
  panel.panelMode |= engineeringMode;
  for (int step = 0; step < 100; ++step) ProgramCheckStep();
  EXPECT_EQ(panel.programCheckCursor, 12);
  panel.panelMode &= ~engineeringMode;
  ProgramCheckStep();
  EXPECT_EQ(panel.programCheckCursor, 13);
}

class PanelResetTest : public FirmwareTest {};

TEST_F(PanelResetTest, ClearsLatchedStateAndRechecksAProgramFault) {
  programImage[9] = 3;
  RunProgramCheckPass();
  ASSERT_TRUE(panel.systemFaults & programCheckFault);
  panel.systemFaults |= mainsFault | earthFault;
  panel.systemFaults2 = fwpLinkFault | routingLineFault;
  panel.sounderState = fwpFaultRetries | soundersSilenced | soundersResounded | soundersEvacuate | output3Active;
  panel.panelMode = engineeringMode | faultBuzzerMuted | fireBuzzerMuted | accessLevel2 | latchingFire;
  panel.routingActivated = 0x0F;
  panel.zonesInFire = 3;
  PanelReset();
  // The persisting program mismatch is found again at once.
  EXPECT_EQ(panel.systemFaults, programCheckFault);
  EXPECT_EQ(panel.systemFaults2, 0);
  EXPECT_EQ(panel.sounderState, output3Active);
  EXPECT_EQ(panel.panelMode, accessLevel2);
  EXPECT_EQ(panel.routingActivated, 0);
  EXPECT_EQ(panel.zonesInFire, 0);

  programImage[9] = 0;
  PanelReset();
  EXPECT_EQ(panel.systemFaults, 0);
}

class FilterReferenceTest : public FirmwareTest {};

// At 26205 mV the reference channel reads 700: the start value 2993 moves to
// 2993 * 3 / 4 + 700 = 2944 and settles at four times the reading.
TEST_F(FilterReferenceTest, SettlesAtFourTimesASteadyReading) {
  t.analogue.supplyMv = 26205;
  ASSERT_EQ(HardwareRequest(READ_ANALOGUE, referenceChannel), 700);
  panel.referenceLevel = 2993;
  FilterReference();
  EXPECT_EQ(panel.referenceLevel, 2944);
  for (int i = 0; i < 100; ++i) FilterReference();
  EXPECT_EQ(panel.referenceLevel, 2800);
}
