#pragma once
// Synthetic mouse input for the window tests: each event goes straight to
// the control, as the window delivers it once it has chosen the control, with
// the buttons held in the shift state; a position may lie outside it.

#include <atomic>
#include <string>

#include "board/board_wiring.h"
#include "windows/framework/controls.h"
#include "windows/framework/host.h"

struct Point {
  int x = 5, y = 5;
};

inline ShiftState HeldBit(MouseButton button) {
  switch (button) {
    case MouseButton::Left: return ssLeft;
    case MouseButton::Right: return ssRight;
    case MouseButton::Middle: return ssMiddle;
  }
  return 0;
}

inline void Press(TControl* control, MouseButton button, Point at = {}) {
  control->MouseDown(button, HeldBit(button), at.x, at.y);
}

inline void Release(TControl* control, MouseButton button, Point at = {}) {
  control->MouseUp(button, 0, at.x, at.y);
}

inline void Drag(TControl* control, MouseButton held, Point at) { control->MouseMove(HeldBit(held), at.x, at.y); }

inline void LeftClick(TControl* control) {
  Press(control, MouseButton::Left);
  Release(control, MouseButton::Left);
}

// A control state standing in for another window's control.
class FakeControl : public ControlState {
 public:
  explicit FakeControl(int index = 0) : index_(index) {}
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override { index_ = index; }

 private:
  int index_;
};

// Counts what the windows it is given ask to have drawn.
class CountingHost : public WindowHost {
 public:
  void Invalidate(TForm&) override { invalidations.fetch_add(1); }

  std::atomic<int> invalidations{0};
};
