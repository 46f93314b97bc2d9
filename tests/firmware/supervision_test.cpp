#include "tests/firmware/firmware_fixture.h"
#include "firmware/supervision.h"

#include <gtest/gtest.h>

#include "firmware/panel_state.h"

namespace {

constexpr uint8_t fault = 0x10;

struct FilterCase {
  const char* name;
  uint8_t count;
  bool bad;
  uint8_t limit;
  uint8_t mode;
  uint8_t faultsBefore;
  uint8_t countAfter;
  bool latched;
  bool unmuted;
};

// mode is panelMode before the tick, with the fault buzzer muted.
constexpr FilterCase filterCases[] = {
    {"BadCountsUp", 5, true, 200, 0, 0, 6, false, false},
    {"ReachingTheLimitLatchesAndUnmutes", 199, true, 200, 0, 0, 200, true, true},
    {"AtTheLimitStays", 200, true, 200, 0, 0, 200, true, true},
    {"AlreadyLatchedKeepsTheMute", 200, true, 200, 0, fault, 200, true, false},
    {"GoodCountsDown", 200, false, 200, 0, fault, 199, true, false},
    {"GoodStopsAtZero", 0, false, 200, 0, 0, 0, false, false},
    {"EngineeringModeCountsDownWhileBad", 200, true, 200, engineeringMode, 0, 199, false, false},
    {"EngineeringModeStopsAtZero", 0, true, 200, engineeringMode, 0, 0, false, false},
    {"AboveALoweredLimitDropsToItAndLatches", 150, true, 20, 0, 0, 20, true, true},
    {"GoodAboveALoweredLimitOnlyCountsDown", 21, false, 20, 0, 0, 20, false, false},
    {"EngineeringModeNeverLatchesAtALoweredLimit", 21, true, 20, engineeringMode, 0, 20, false, false},
};

class FaultFilter : public FirmwareTest, public ::testing::WithParamInterface<FilterCase> {};

}  // namespace

TEST_P(FaultFilter, OneTick) {
  const FilterCase& c = GetParam();
  panel.panelMode = uint8_t(c.mode | faultBuzzerMuted);
  uint8_t count = c.count;
  uint8_t faults = c.faultsBefore | 0x01;
  FilterFault(count, c.bad, c.limit, faults, fault);
  EXPECT_EQ(count, c.countAfter);
  EXPECT_EQ(bool(faults & fault), c.latched);
  EXPECT_TRUE(faults & 0x01);
  EXPECT_EQ(!(panel.panelMode & faultBuzzerMuted), c.unmuted);
}

INSTANTIATE_TEST_SUITE_P(Cases, FaultFilter, ::testing::ValuesIn(filterCases),
                         [](const auto& info) { return std::string(info.param.name); });

class LatchFaultTest : public FirmwareTest {};

TEST_F(LatchFaultTest, SoundsTheBuzzerOnlyForANewFault) {
  uint8_t faults = 0;
  panel.panelMode = faultBuzzerMuted;
  LatchFault(faults, fault);
  EXPECT_EQ(faults, fault);
  EXPECT_FALSE(panel.panelMode & faultBuzzerMuted);
  panel.panelMode = faultBuzzerMuted;
  LatchFault(faults, fault);
  EXPECT_TRUE(panel.panelMode & faultBuzzerMuted);
}
