#include "windows/levelcontrol.h"

#include <cstdlib>

#include "windows/levelmath.h"

namespace {
constexpr Color fillColour = Color::Rgb(0, 0, 128);
constexpr int layoutFillWidth = 50;
constexpr int readingFontPixels = 8;

// Bands and outlines only show; a press beside a box does nothing.
TShape* AddShape(TControl* parent, const std::string& name, int left, int top, int width, int height) {
  TShape* shape = Place<TShape>(parent, name, left, top, width, height);
  shape->SetMouseTransparent(true);
  return shape;
}
}  // namespace

TLevelControl::TLevelControl(TControl* parent, const LevelLayout& layout)
    : kind_(layout.kind),
      fill_(Place<TShape>(parent, layout.fill, layout.left + levelFillInset, layout.top + levelFillInset,
                          layoutFillWidth, layout.fillHeight)),
      box_(Place<TShape>(parent, layout.box, layout.left, layout.top, layout.width, layout.height)) {
  fill_->SetPen(fillColour, PenStyle::None);
  fill_->SetBrush(fillColour);
  // The box lies over its fill, clear inside, so the fill shows through it.
  box_->SetBrush(colors::white, BrushStyle::None);
  if (layout.reading.empty()) return;
  reading_ = Place<TLabel>(parent, layout.reading, layout.readingLeft, layout.readingTop, 0, 0, layout.readingText);
  reading_->SetFont(MakeFont("Terminal", readingFontPixels));
  reading_->SetAutoSize(true);
}

void TLevelControl::SetPosition(int x) {
  const int width = FillWidthAt(x, box_->Width());
  fill_->SetWidth(width);
  switch (kind_) {
    case LevelKind::Zone: {
      const int32_t ohms = ZoneOhmsForFill(width);
      fill_->SetTag(ohms);
      reading_->SetCaption(ResistanceText(ohms));
      return;
    }
    case LevelKind::Battery:
    case LevelKind::Charger:
    case LevelKind::Supply: {
      const int32_t millivolts = MillivoltsForFill(width, box_->Width());
      fill_->SetTag(millivolts);
      reading_->SetCaption(VoltageText(millivolts));
      return;
    }
    case LevelKind::Monitor: return;
  }
}

int32_t TLevelControl::ValueAt(int fillWidth) const {
  return HoldsOhms() ? ZoneOhmsForFill(fillWidth) : MillivoltsForFill(fillWidth, box_->Width());
}

int TLevelControl::MaxFillWidth() const { return box_->Width() - levelFillMargin; }

void TLevelControl::SetFillWidth(int width) {
  const int x = width + levelFillInset;
  SetPosition(x);
  if (OnSet) OnSet(x);
}

void TLevelControl::SetValue(int32_t value) {
  int best = 0;
  int64_t bestDistance = INT64_MAX;
  for (int width = 0; width <= MaxFillWidth(); ++width) {
    const int64_t distance = std::llabs(int64_t(ValueAt(width)) - value);
    if (distance >= bestDistance) continue;
    best = width;
    bestDistance = distance;
  }
  SetFillWidth(best);
}

TShape* AddRangeMark(TControl* parent, const std::string& name, int left, int top, int width, int height,
                     const Color& colour) {
  TShape* band = AddShape(parent, name, left, top, width, height);
  band->SetPen(colour, PenStyle::None);
  band->SetBrush(colour);
  return band;
}

TShape* AddOutline(TControl* parent, const std::string& name, int left, int top, int width, int height) {
  TShape* outline = AddShape(parent, name, left, top, width, height);
  outline->SetBrush(colors::white, BrushStyle::None);
  return outline;
}
