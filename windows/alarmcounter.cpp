#include "windows/alarmcounter.h"

namespace {
constexpr int digitWidth = 18;
constexpr int digitHeight = 22;
constexpr int digitImages = 11;
constexpr Color frameColour = Color::Rgb(146, 162, 196);

TImageSelector* MakeDigit(TfrmAlarmCounter* frame, const std::string& name, int left) {
  auto* digit = Place<TImageSelector>(frame, name, left, 0, digitWidth, digitHeight);
  digit->SetAutoSize(true);
  digit->SetImageList(frame->SevenSegmentDisplay);
  digit->SetItemIndex(counterBlankDigit);
  return digit;
}
}  // namespace

TfrmAlarmCounter::TfrmAlarmCounter(TControl* parent, std::string name)
    : TFrame(parent, std::move(name)),
      SevenSegmentDisplay(AddImageList("SevenSegmentDisplay", digitWidth, digitHeight, digitImages)),
      Segment3(MakeDigit(this, "Segment3", 0)),
      Segment2(MakeDigit(this, "Segment2", digitWidth)),
      Segment1(MakeDigit(this, "Segment1", 2 * digitWidth)) {
  SetColor(frameColour);
}
