#include "windows/alarmcounter.h"

#include <gtest/gtest.h>

#include <memory>

#include "board/board_wiring.h"
#include "board/hardware_interface.h"
#include "windows/framework/form.h"
#include "tests/windows/ui_test_support.h"
#include "windows/framework/host.h"

namespace {

constexpr int blank = 10;

struct DecodeCase {
  uint8_t output;
  int digit;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << "output " << int(c.output) << " digit " << c.digit; }

class CounterDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(CounterDecodeTest, OutputPatternGivesItsDigitImage) {
  EXPECT_EQ(CounterDigitDecode(GetParam().output), GetParam().digit);
}

INSTANTIATE_TEST_SUITE_P(Patterns, CounterDecodeTest,
                         ::testing::Values(DecodeCase{0x9F, 1}, DecodeCase{0x1F, 1}, DecodeCase{0xC8, 2},
                                           DecodeCase{0x48, 2}, DecodeCase{0xF0, 7}, DecodeCase{0x70, 7},
                                           DecodeCase{0x00, 8}, DecodeCase{0x80, 8}, DecodeCase{0x84, 0},
                                           DecodeCase{0x82, 9}, DecodeCase{0xFE, blank}, DecodeCase{0x7F, blank},
                                           DecodeCase{0xFF, blank}));

TEST(CounterDecode, EveryDigitWrittenWithTheTableReadsBack) {
  for (int digit = 0; digit < 10; ++digit) {
    EXPECT_EQ(CounterDigitDecode(SegmentCodes[digit]), digit);
    EXPECT_EQ(CounterDigitDecode(SegmentCodes[digit] & segmentMask), digit);
  }
}

// Counts what the counter asks to have drawn again.
class AlarmCounterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>("frmMainDisplay", "", 100, 40, &host_);
    frame_ = new TfrmAlarmCounter(form_.get(), "frmAlarmCounter1");
    frame_->SetBounds(0, 0, 54, 23);
  }

  CountingHost host_;
  std::unique_ptr<TForm> form_;
  TfrmAlarmCounter* frame_ = nullptr;
};

TEST_F(AlarmCounterTest, DigitsStartBlankSideBySide) {
  EXPECT_EQ(frame_->SevenSegmentDisplay->Count(), 11);
  EXPECT_EQ(frame_->SevenSegmentDisplay->Width(), 18);
  EXPECT_EQ(frame_->SevenSegmentDisplay->Height(), 22);
  EXPECT_EQ(form_->FindImageList("SevenSegmentDisplay"), frame_->SevenSegmentDisplay);
  EXPECT_EQ(frame_->GetColor(), Color::Rgb(146, 162, 196));
  const TImageSelector* digits[] = {frame_->Segment3, frame_->Segment2, frame_->Segment1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(digits[i]->Parent(), frame_);
    EXPECT_EQ(digits[i]->ItemIndex(), blank);
    EXPECT_EQ(digits[i]->Left(), 18 * i);
    EXPECT_EQ(digits[i]->Top(), 0);
    EXPECT_EQ(digits[i]->Width(), 18);
    EXPECT_EQ(digits[i]->Height(), 22);
    EXPECT_EQ(digits[i]->ImageList(), frame_->SevenSegmentDisplay);
  }
}

TEST_F(AlarmCounterTest, DecodedOutputsShowFromLeftToRight) {
  const uint8_t outputs[] = {0x9F, 0x48, 0xF0};  // hundreds, tens, units
  TImageSelector* digits[] = {frame_->Segment3, frame_->Segment2, frame_->Segment1};
  for (int i = 0; i < 3; ++i) digits[i]->SetItemIndex(CounterDigitDecode(outputs[i] & segmentMask));
  EXPECT_EQ(frame_->Segment3->ItemIndex(), 1);
  EXPECT_EQ(frame_->Segment2->ItemIndex(), 2);
  EXPECT_EQ(frame_->Segment1->ItemIndex(), 7);
  EXPECT_GT(host_.invalidations, 0);
  // Another pattern of the digit already shown draws nothing.
  host_.invalidations = 0;
  frame_->Segment1->SetItemIndex(CounterDigitDecode(0x70));
  EXPECT_EQ(frame_->Segment1->ItemIndex(), 7);
  EXPECT_EQ(host_.invalidations, 0);
}

}  // namespace
