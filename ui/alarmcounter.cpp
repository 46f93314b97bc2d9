#include "ui/alarmcounter.h"

namespace {
constexpr int digitWidth = 18;
constexpr int digitHeight = 22;
constexpr int digitImages = 11;
constexpr int blankDigit = 10;
const QColor frameColour(146, 162, 196);

TImageSelector* MakeDigit(TfrmAlarmCounter* frame, const QString& name, int left) {
  auto* digit = Place<TImageSelector>(frame, name, left, 0, digitWidth, digitHeight);
  digit->SetAutoSize(true);
  digit->SetImageList(frame->SevenSegmentDisplay);
  digit->SetItemIndex(blankDigit);
  return digit;
}
}  // namespace

TfrmAlarmCounter::TfrmAlarmCounter(QWidget* parent, const QString& name)
    : TFrame(parent, name),
      SevenSegmentDisplay(new TImageList(this, "SevenSegmentDisplay", digitWidth, digitHeight, digitImages)),
      Segment3(MakeDigit(this, "Segment3", 0)),
      Segment2(MakeDigit(this, "Segment2", digitWidth)),
      Segment1(MakeDigit(this, "Segment1", 2 * digitWidth)) {
  SetColor(frameColour);
}
