#pragma once
// The three-digit seven-segment alarm counter, a frame placed on the front
// panel; the board's 50 ms update sets its digits (CounterDigitDecode).

#include "windows/framework/controls.h"
#include "windows/framework/imagelist.h"
#include "windows/imageselector.h"

class TfrmAlarmCounter : public TFrame {
 public:
  TfrmAlarmCounter(TControl* parent, std::string name);

  TImageList* SevenSegmentDisplay;
  TImageSelector* Segment3;  // hundreds
  TImageSelector* Segment2;  // tens
  TImageSelector* Segment1;  // units
};
