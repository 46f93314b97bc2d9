#include "windows/framework/controls.h"

#include "windows/framework/form.h"
#include "windows/framework/host.h"
#include "windows/framework/imagelist.h"

// ---- TControl ----------------------------------------------------------------

TControl::TControl(TControl* parent, std::string name) : name_(std::move(name)), parent_(parent) {
  if (parent_) parent_->children_.emplace_back(this);
}

TControl::~TControl() = default;

TForm* TControl::Form() const {
  const TControl* control = this;
  while (control->parent_) control = control->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

void TControl::SetVisible(bool visible) {
  if (visible == Visible()) return;
  visible_.store(visible, std::memory_order_relaxed);
  ContentsChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  Invalidate();  // where it was
  left_.store(left, std::memory_order_relaxed);
  top_.store(top, std::memory_order_relaxed);
  width_.store(width, std::memory_order_relaxed);
  height_.store(height, std::memory_order_relaxed);
  ContentsChanged();
}

// A window sized to its contents follows its direct children.
void TControl::ContentsChanged() {
  if (auto* form = dynamic_cast<TForm*>(parent_)) form->ContentsChanged();
  Invalidate();
}

void TControl::SetColor(const Color& color) {
  color_ = color;
  Invalidate();
}

Font TControl::GetFont() const {
  if (font_) return *font_;
  return parent_ ? parent_->GetFont() : Font{};
}

void TControl::SetFont(const Font& font) {
  font_ = font;
  InheritedFontChanged();
  Invalidate();
}

// Children that take their parent's font follow it, as autosized labels must.
void TControl::InheritedFontChanged() {
  FontChanged();
  for (const auto& child : children_) {
    if (!child->font_) child->InheritedFontChanged();
  }
}

void TControl::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustSize();
}

void TControl::AdjustSize() {
  int newWidth = Width();
  int newHeight = Height();
  if (!autoSize_ || !CanAutoSize(newWidth, newHeight)) return;
  SetBounds(Left(), Top(), newWidth, newHeight);
}

bool TControl::CanAutoSize(int&, int&) { return false; }

TImageList* TControl::AddImageList(const std::string& name, int width, int height, int count) {
  return imageLists_.emplace_back(std::make_unique<TImageList>(name, width, height, count)).get();
}

void TControl::AdoptTimer(TTimer* timer) { timers_.emplace_back(timer); }

void TControl::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (!enabled_) return;
  if (button == MouseButton::Left) clickPending_ = true;
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(ShiftState shift, int x, int y) {
  if (enabled_ && OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (!enabled_) return;
  if (button == MouseButton::Left && clickPending_) {
    clickPending_ = false;
    if (Contains(x, y)) Click();
  }
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

// The control's area in its window's client coordinates.
void TControl::Invalidate() const {
  int left = 0, top = 0;
  const TControl* control = this;
  for (; control->parent_; control = control->parent_) {
    left += control->Left();
    top += control->Top();
  }
  TForm* form = dynamic_cast<TForm*>(const_cast<TControl*>(control));
  if (!form) return;
  form->ControlChanged();
  if (form == this) return form->Host().Invalidate(*form);
  form->Host().InvalidateArea(*form, left, top, Width(), Height());
}

// ---- TLabel ------------------------------------------------------------------

TLabel::TLabel(TControl* parent, std::string name, std::string caption)
    : TControl(parent, std::move(name)), caption_(std::move(caption)) {}

void TLabel::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  AdjustSize();
  Invalidate();
}

void TLabel::SetAlignment(Alignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap) {
  wordWrap_ = wordWrap;
  Invalidate();
}

void TLabel::SetFontColor(const Color& color) {
  fontColor_ = color;
  Invalidate();
}

bool TLabel::CanAutoSize(int& newWidth, int& newHeight) {
  if (wordWrap_) return false;
  const Font font = GetFont();
  const TForm* form = Form();
  newWidth = form ? form->Host().TextWidth(font, caption_) : WindowHost::GuessTextWidth(font, caption_);
  newHeight = form ? form->Host().TextHeight(font) : WindowHost::GuessTextHeight(font);
  return true;
}

// ---- TShape ------------------------------------------------------------------

TShape::TShape(TControl* parent, std::string name) : TControl(parent, std::move(name)) {}

void TShape::SetPen(const Color& color, PenStyle style, int width) {
  pen_ = {color, style, width};
  Invalidate();
}

void TShape::SetBrush(const Color& color, BrushStyle style) {
  brush_ = {color, style};
  Invalidate();
}

// ---- TGroupBox, TPanel, TFrame, TImage -----------------------------------------

TGroupBox::TGroupBox(TControl* parent, std::string name, std::string caption)
    : TControl(parent, std::move(name)), caption_(std::move(caption)) {}

void TGroupBox::SetCaption(const std::string& caption) {
  caption_ = caption;
  Invalidate();
}

TPanel::TPanel(TControl* parent, std::string name) : TControl(parent, std::move(name)) {}

void TPanel::SetBevels(Bevel outer, Bevel inner) {
  outer_ = outer;
  inner_ = inner;
  Invalidate();
}

TFrame::TFrame(TControl* parent, std::string name) : TControl(parent, std::move(name)) {}

TImage::TImage(TControl* parent, std::string name) : TControl(parent, std::move(name)) {}

// ---- TCheckBox ---------------------------------------------------------------

TCheckBox::TCheckBox(TControl* parent, std::string name, std::string caption)
    : TControl(parent, std::move(name)), caption_(std::move(caption)) {}

void TCheckBox::SetState(CheckBoxState state) {
  if (state == State()) return;
  state_.store(state, std::memory_order_relaxed);
  Invalidate();
  TControl::Click();
}

void TCheckBox::Click() {
  switch (State()) {
    case CheckBoxState::Unchecked: SetState(allowGrayed_ ? CheckBoxState::Grayed : CheckBoxState::Checked); return;
    case CheckBoxState::Grayed: SetState(CheckBoxState::Checked); return;
    case CheckBoxState::Checked: SetState(CheckBoxState::Unchecked); return;
  }
}

// ---- TTimer ------------------------------------------------------------------

TTimer::TTimer(TControl* owner, std::string name, int intervalMs)
    : name_(std::move(name)), host_(owner && owner->Form() ? owner->Form()->GivenHost() : nullptr), intervalMs_(intervalMs) {
  if (owner) owner->AdoptTimer(this);
}

// The host must not run a timer that is gone.
TTimer::~TTimer() { SetEnabled(false); }

void TTimer::SetInterval(int intervalMs) {
  intervalMs_ = intervalMs;
  if (enabled_) Changed();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

// A timer of no shown window has no host to run it. The host, not the
// window, is kept: a timer goes after its window's own part has gone.
void TTimer::Changed() {
  if (host_) host_->TimerChanged(*this);
}

void TTimer::Fire() {
  if (enabled_ && OnTimer) OnTimer(this);
}
