#include "windows/framework/form.h"

#include <algorithm>

#include "windows/framework/host.h"
#include "windows/framework/imagelist.h"

namespace {
constexpr Color buttonFace = Color::Rgb(240, 240, 240);

ShiftState HeldBit(MouseButton button) {
  switch (button) {
    case MouseButton::Left: return ssLeft;
    case MouseButton::Right: return ssRight;
    case MouseButton::Middle: return ssMiddle;
  }
  return 0;
}

// The topmost control under a point of the parent's area: later siblings lie
// over earlier ones, and children over their parent.
TControl* Under(const TControl& parent, int x, int y, int& localX, int& localY) {
  const auto& children = parent.Children();
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    TControl& control = **child;
    const int cx = x - control.Left();
    const int cy = y - control.Top();
    if (!control.Visible() || control.MouseTransparent() || !control.Contains(cx, cy)) continue;
    if (TControl* inner = Under(control, cx, cy, localX, localY)) return inner;
    localX = cx;
    localY = cy;
    return &control;
  }
  return nullptr;
}

void Collect(const TControl& parent, std::vector<TControl*>& found) {
  for (const auto& child : parent.Children()) {
    found.push_back(child.get());
    Collect(*child, found);
  }
}
}  // namespace

TForm::TForm(std::string name, std::string caption, int clientWidth, int clientHeight, WindowHost* host)
    : TControl(nullptr, std::move(name)), host_(host ? host : &noHost_), caption_(std::move(caption)),
      windowColor_(buttonFace) {
  SetFont(MakeFont("MS Sans Serif", 11));
  SetClientSize(clientWidth, clientHeight);
}

void TForm::SetClientSize(int clientWidth, int clientHeight) { SetBounds(Left(), Top(), clientWidth, clientHeight); }

void TForm::SetBounds(int left, int top, int width, int height) {
  const bool same = left == Left() && top == Top() && width == Width() && height == Height();
  TControl::SetBounds(left, top, width, height);
  if (!same) Changed();
}

void TForm::CentreOnScreen() {
  const ScreenRect screen = Host().Screen();
  SetBounds(screen.left + (screen.width - Width()) / 2, screen.top + (screen.height - Height()) / 2, Width(), Height());
}

void TForm::SetCaption(const std::string& caption) {
  caption_ = caption;
  Changed();
}

void TForm::SetWindowColor(const Color& color) {
  windowColor_ = color;
  Invalidate();
}

void TForm::SetFormAutoSize(bool autoSize) {
  formAutoSize_ = autoSize;
  ContentsChanged();
}

void TForm::ContentsChanged() {
  if (!formAutoSize_) return;
  int right = 0;
  int bottom = 0;
  for (const auto& control : Children()) {
    if (!control->Visible()) continue;
    right = std::max(right, control->Left() + control->Width());
    bottom = std::max(bottom, control->Top() + control->Height());
  }
  SetClientSize(right, bottom);
}

TControl* TForm::FindControl(const std::string& name) const {
  for (TControl* control : Controls()) {
    if (control->Name() == name) return control;
  }
  return nullptr;
}

std::vector<TControl*> TForm::Controls() const {
  std::vector<TControl*> found;
  Collect(*this, found);
  return found;
}

TImageList* TForm::FindImageList(const std::string& name) const {
  std::vector<const TControl*> owners{this};
  for (const TControl* control : Controls()) owners.push_back(control);
  for (const TControl* owner : owners) {
    for (const auto& list : owner->ImageLists()) {
      if (list->Name() == name) return list.get();
    }
  }
  return nullptr;
}

void TForm::Show() {
  const bool wasShowing = showing_;
  showing_ = true;
  Changed();
  if (!wasShowing && OnShow) OnShow(this);
}

void TForm::Hide() {
  if (!showing_) return;
  showing_ = false;
  Changed();
}

void TForm::Close() {
  if (OnClose) OnClose(this);
  Hide();
  Host().CloseForm(*this);
}

void TForm::Changed() {
  Host().FormChanged(*this);
  Invalidate();
}

TControl* TForm::ControlAt(int x, int y, int& localX, int& localY) const {
  return Under(*this, x, y, localX, localY);
}

void TForm::PointerDown(MouseButton button, ShiftState shift, int x, int y) {
  if (!captured_) {
    int localX = x, localY = y;
    // A press on the bare window is the window's own, moves and all.
    TControl* under = ControlAt(x, y, localX, localY);
    captured_ = under ? under : this;
    capturedX_ = x - localX;
    capturedY_ = y - localY;
  }
  held_ |= HeldBit(button);
  TControl& target = *captured_;
  target.MouseDown(button, shift, x - capturedX_, y - capturedY_);
  if (OnPointer) OnPointer(PointerAction::Down, target, button, x - capturedX_, y - capturedY_);
}

void TForm::PointerMove(ShiftState shift, int x, int y) {
  if (captured_) {
    TControl& target = *captured_;
    target.MouseMove(shift, x - capturedX_, y - capturedY_);
    if (OnPointer) OnPointer(PointerAction::Move, target, MouseButton::Left, x - capturedX_, y - capturedY_);
    return;
  }
  int localX = 0, localY = 0;
  TControl* control = ControlAt(x, y, localX, localY);
  if (!control) return;
  control->MouseMove(shift, localX, localY);
  if (OnPointer) OnPointer(PointerAction::Move, *control, MouseButton::Left, localX, localY);
}

void TForm::PointerUp(MouseButton button, ShiftState shift, int x, int y) {
  TControl* target = captured_;
  int originX = capturedX_, originY = capturedY_;
  held_ &= ~HeldBit(button);
  if (held_ == 0) captured_ = nullptr;
  if (!target) {
    int localX = 0, localY = 0;
    target = ControlAt(x, y, localX, localY);
    originX = x - localX;
    originY = y - localY;
  }
  if (!target) return;
  target->MouseUp(button, shift, x - originX, y - originY);
  if (OnPointer) OnPointer(PointerAction::Up, *target, button, x - originX, y - originY);
}
