#pragma once
// An analogue level control: a box that takes the mouse, a fill bar inside it
// whose width is the position and whose tag is the value (ohms or
// millivolts), and for zones and supplies a reading beside it. The box's tag
// is its drag flag. The board reads widths and values from other threads;
// the shapes hold both whole in atomics.

#include <cstdint>
#include <functional>
#include <string>

#include "windows/framework/controls.h"

enum class LevelKind { Zone, Battery, Charger, Supply, Monitor };

struct LevelLayout {
  LevelKind kind;
  std::string box;
  std::string fill;
  std::string reading;  // empty: no reading
  int left, top, width, height;
  int fillHeight;
  int readingLeft, readingTop;
  std::string readingText;
};

class TLevelControl {
 public:
  TLevelControl(TControl* parent, const LevelLayout& layout);

  LevelKind Kind() const { return kind_; }
  TShape* Box() const { return box_; }
  TShape* Fill() const { return fill_; }
  TLabel* Reading() const { return reading_; }

  // The fill follows a pointer at x in the box; value and reading follow it.
  void SetPosition(int x);

  // Set from outside the window (a script): as a drag would set the fill
  // width, or the width whose value is nearest (the smaller on a tie). Then
  // OnSet, with the pointer's x, for the levels that follow this one.
  void SetFillWidth(int width);
  void SetValue(int32_t value);
  std::function<void(int x)> OnSet;

  // What a drag to a fill width sets: ohms for a zone, millivolts for a
  // supply; a monitor holds no value.
  bool HoldsOhms() const { return kind_ == LevelKind::Zone; }
  bool HoldsMillivolts() const { return kind_ != LevelKind::Zone && kind_ != LevelKind::Monitor; }
  int32_t ValueAt(int fillWidth) const;
  int MaxFillWidth() const;

  // Safe from any thread.
  int FillWidth() const { return fill_->Width(); }
  int Value() const { return fill_->Tag(); }

 private:
  LevelKind kind_;
  TShape* fill_;
  TShape* box_;
  TLabel* reading_ = nullptr;
};

// A band of colour behind the boxes marking a range of values; bands are
// placed widest first so each narrower one lies on top.
TShape* AddRangeMark(TControl* parent, const std::string& name, int left, int top, int width, int height,
                     const Color& colour);

// An outline drawn around a set of rows.
TShape* AddOutline(TControl* parent, const std::string& name, int left, int top, int width, int height);
