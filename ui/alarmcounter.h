#pragma once
// The three-digit seven-segment alarm counter, a frame placed on the front
// panel; the board's 50 ms update sets its digits (CounterDigitDecode).

#include "ui/framework/controls.h"
#include "ui/framework/imagelist.h"
#include "ui/imageselector.h"

class TfrmAlarmCounter : public TFrame {
 public:
  TfrmAlarmCounter(QWidget* parent, const QString& name);

  TImageList* SevenSegmentDisplay;
  TImageSelector* Segment3;  // hundreds
  TImageSelector* Segment2;  // tens
  TImageSelector* Segment1;  // units
};
