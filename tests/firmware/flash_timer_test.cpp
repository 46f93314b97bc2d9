#include "firmware/firmware.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/firmware/detection_fixture.h"

namespace {

class FlashTimer : public DetectionTest {
 public:
  // flashTimer after each 50 ms tick; element k is call k + 1.
  std::vector<uint8_t> Record(int calls) {
    std::vector<uint8_t> timer;
    for (int call = 0; call < calls; ++call) {
      Ticks50(1);
      timer.push_back(panel.flashTimer);
    }
    return timer;
  }
  static int SetInWindow(const std::vector<uint8_t>& timer, uint8_t bit, size_t first, size_t length) {
    int set = 0;
    for (size_t i = first; i < first + length; ++i) set += (timer[i] & bit) ? 1 : 0;
    return set;
  }
  // Call numbers (1-based) at which the bit rises.
  static std::vector<int> RisingCalls(const std::vector<uint8_t>& timer, uint8_t bit) {
    std::vector<int> calls;
    for (size_t i = 0; i < timer.size(); ++i) {
      const bool before = i > 0 && (timer[i - 1] & bit);
      if ((timer[i] & bit) && !before) calls.push_back(int(i + 1));
    }
    return calls;
  }
};

constexpr uint8_t stepMarker = 0x80;
constexpr uint8_t halfStep = 0x40;

}  // namespace

TEST_F(FlashTimer, HalfStepTogglesOnEveryCall) {
  const std::vector<uint8_t> timer = Record(6);
  for (size_t i = 0; i < timer.size(); ++i) EXPECT_EQ(bool(timer[i] & halfStep), i % 2 == 0) << "call " << i + 1;
}

TEST_F(FlashTimer, SlowCountStepsEveryTenCallsWithAMarkerForTwoCalls) {
  const std::vector<uint8_t> timer = Record(40);
  EXPECT_EQ(RisingCalls(timer, stepMarker), (std::vector<int>{7, 17, 27, 37}));
  EXPECT_TRUE(timer[7] & stepMarker);   // call 8
  EXPECT_FALSE(timer[8] & stepMarker);  // call 9
  EXPECT_EQ((timer[6] >> 2) & 3, 1);
  EXPECT_EQ((timer[5] >> 2) & 3, 0);
}

TEST_F(FlashTimer, FlashBitsAreSetHalfOfEveryPeriod) {
  const std::vector<uint8_t> timer = Record(400);
  for (size_t first = 0; first + 40 <= timer.size(); ++first) {
    ASSERT_EQ(SetInWindow(timer, flash100ms, first, 4), 2) << first;
    ASSERT_EQ(SetInWindow(timer, flash200ms, first, 8), 4) << first;
    ASSERT_EQ(SetInWindow(timer, flash500ms, first, 20), 10) << first;
    ASSERT_EQ(SetInWindow(timer, flash1s, first, 40), 20) << first;
  }
}

TEST_F(FlashTimer, FiveSecondPulseLastsTenCallsInEveryHundred) {
  const std::vector<uint8_t> timer = Record(1000);
  EXPECT_EQ(RisingCalls(timer, pulseEvery5s), (std::vector<int>{87, 187, 287, 387, 487, 587, 687, 787, 887, 987}));
  for (size_t first = 0; first + 100 <= timer.size(); ++first) {
    ASSERT_EQ(SetInWindow(timer, pulseEvery5s, first, 100), 10) << first;
  }
}

TEST_F(FlashTimer, LongPulseFirstAtCall5987ThenEvery6400Calls) {
  const std::vector<uint8_t> timer = Record(12400);
  EXPECT_EQ(RisingCalls(timer, pulseEvery320s), (std::vector<int>{5987, 12387}));
  EXPECT_EQ(SetInWindow(timer, pulseEvery320s, 5986, 10), 10);
  EXPECT_EQ(SetInWindow(timer, pulseEvery320s, 0, 12400), 20);
}
