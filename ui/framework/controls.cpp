#include "ui/framework/controls.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <optional>

#include "ui/framework/form.h"
#include "ui/framework/imagelist.h"

namespace {
const QColor placeholderGrey(128, 128, 128);

// The three buttons the handlers know; the extra side buttons have no events.
std::optional<MouseButton> ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return std::nullopt;
  }
}

ShiftState ShiftOf(const QMouseEvent& event) {
  ShiftState shift = 0;
  const Qt::KeyboardModifiers keys = event.modifiers();
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  const Qt::MouseButtons buttons = event.buttons();
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

QPoint PositionOf(const QMouseEvent& event) { return event.position().toPoint(); }

// One-pixel bevel: light top-left and dark bottom-right when raised.
void DrawBevel(QPainter& painter, QRect& rect, Bevel bevel) {
  if (bevel == Bevel::None) return;
  const QColor light = bevel == Bevel::Raised ? Qt::white : Qt::gray;
  const QColor dark = bevel == Bevel::Raised ? Qt::gray : Qt::white;
  painter.setPen(light);
  painter.drawLine(rect.topLeft(), rect.topRight());
  painter.drawLine(rect.topLeft(), rect.bottomLeft());
  painter.setPen(dark);
  painter.drawLine(rect.bottomLeft(), rect.bottomRight());
  painter.drawLine(rect.topRight(), rect.bottomRight());
  rect.adjust(1, 1, -1, -1);
}
}  // namespace

// Liberation's faces have Arial's metrics, so captions fit the laid-out
// widths; DejaVu stands in where Liberation is missing.
QFont MakeFont(const QString& family, int pixelSize, bool bold) {
  const bool mono = family.compare("Terminal", Qt::CaseInsensitive) == 0;
  QFont font;
  font.setFamilies(mono ? QStringList{"Liberation Mono", "DejaVu Sans Mono"}
                        : QStringList{"Liberation Sans", "DejaVu Sans"});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

int ScreenWidth() { return QGuiApplication::primaryScreen()->geometry().width(); }
int ScreenHeight() { return QGuiApplication::primaryScreen()->geometry().height(); }

// ---- TControl ----------------------------------------------------------------

TControl::TControl(QWidget* parent, const QString& name) : QWidget(parent) {
  setObjectName(name);
  setMouseTracking(true);
}

void TControl::setVisible(bool visible) {
  visible_.store(visible, std::memory_order_relaxed);
  QWidget::setVisible(visible);
  if (auto* form = dynamic_cast<TForm*>(parentWidget())) form->ContentsChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  StoreBounds(left, top, width, height);
  if (auto* form = dynamic_cast<TForm*>(parentWidget())) form->ContentsChanged();
}

void TControl::StoreBounds(int left, int top, int width, int height) {
  left_.store(left, std::memory_order_relaxed);
  top_.store(top, std::memory_order_relaxed);
  width_.store(width, std::memory_order_relaxed);
  height_.store(height, std::memory_order_relaxed);
  setGeometry(left, top, width, height);
}

void TControl::SetColor(const QColor& color) {
  color_ = color;
  update();
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

void TControl::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left) clickPending_ = true;
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(ShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left && clickPending_) {
    clickPending_ = false;
    if (rect().contains(x, y)) Click();
  }
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::mousePressEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button) return event->ignore();
  const QPoint at = PositionOf(*event);
  MouseDown(*button, ShiftOf(*event), at.x(), at.y());
}

void TControl::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = PositionOf(*event);
  MouseMove(ShiftOf(*event), at.x(), at.y());
}

void TControl::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button) return event->ignore();
  const QPoint at = PositionOf(*event);
  MouseUp(*button, ShiftOf(*event), at.x(), at.y());
}

void TControl::paintEvent(QPaintEvent*) {
  if (!color_.isValid()) return;
  QPainter painter(this);
  painter.fillRect(rect(), color_);
}

// ---- TLabel ------------------------------------------------------------------

TLabel::TLabel(QWidget* parent, const QString& name, const QString& caption) : TControl(parent, name), caption_(caption) {}

void TLabel::SetCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  AdjustSize();
  update();
}

void TLabel::SetAlignment(Alignment alignment) {
  alignment_ = alignment;
  update();
}

void TLabel::SetWordWrap(bool wordWrap) {
  wordWrap_ = wordWrap;
  update();
}

void TLabel::SetFontColor(const QColor& color) {
  fontColor_ = color;
  update();
}

bool TLabel::CanAutoSize(int& newWidth, int& newHeight) {
  if (wordWrap_) return false;
  const QFontMetrics metrics(font());
  newWidth = metrics.horizontalAdvance(caption_);
  newHeight = metrics.height();
  return true;
}

void TLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) AdjustSize();
  TControl::changeEvent(event);
}

void TLabel::paintEvent(QPaintEvent* event) {
  TControl::paintEvent(event);
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(fontColor_);
  int flags = Qt::AlignTop;
  if (alignment_ == Alignment::Left) flags |= Qt::AlignLeft;
  if (alignment_ == Alignment::Right) flags |= Qt::AlignRight;
  if (alignment_ == Alignment::Center) flags |= Qt::AlignHCenter;
  if (wordWrap_) flags |= Qt::TextWordWrap;
  painter.drawText(rect(), flags, caption_);
}

// ---- TShape ------------------------------------------------------------------

TShape::TShape(QWidget* parent, const QString& name) : TControl(parent, name) {}

void TShape::SetPen(const QColor& color, Qt::PenStyle style, int width) {
  penColor_ = color;
  penStyle_ = style;
  penWidth_ = width;
  update();
}

void TShape::SetBrush(const QColor& color, Qt::BrushStyle style) {
  brushColor_ = color;
  brushStyle_ = style;
  update();
}

void TShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect inside = rect();
  if (brushStyle_ != Qt::NoBrush) painter.fillRect(inside, QBrush(brushColor_, brushStyle_));
  if (penStyle_ == Qt::NoPen || penWidth_ <= 0) return;
  QPen pen(penColor_, penWidth_, penStyle_);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const int half = penWidth_ / 2;
  painter.drawRect(inside.adjusted(half, half, -half - 1, -half - 1));
}

// ---- TGroupBox ---------------------------------------------------------------

TGroupBox::TGroupBox(QWidget* parent, const QString& name, const QString& caption) : TControl(parent, name), caption_(caption) {}

void TGroupBox::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void TGroupBox::paintEvent(QPaintEvent* event) {
  TControl::paintEvent(event);
  QPainter painter(this);
  const QFontMetrics metrics(font());
  const int lineY = metrics.height() / 2;
  QRect frame = rect().adjusted(0, lineY, -1, -1);
  painter.setPen(Qt::gray);
  painter.drawRect(frame);
  painter.setPen(Qt::white);
  painter.drawRect(frame.adjusted(1, 1, 1, 1));
  if (caption_.isEmpty()) return;
  const QRect text(8, 0, metrics.horizontalAdvance(caption_) + 2, metrics.height());
  painter.fillRect(text, Color().isValid() ? Color() : palette().color(QPalette::Window));
  painter.setPen(Qt::black);
  painter.drawText(text, Qt::AlignCenter, caption_);
}

// ---- TPanel ------------------------------------------------------------------

TPanel::TPanel(QWidget* parent, const QString& name) : TControl(parent, name) {}

void TPanel::SetBevels(Bevel outer, Bevel inner) {
  outer_ = outer;
  inner_ = inner;
  update();
}

void TPanel::paintEvent(QPaintEvent* event) {
  TControl::paintEvent(event);
  QPainter painter(this);
  QRect edge = rect();
  DrawBevel(painter, edge, outer_);
  DrawBevel(painter, edge, inner_);
}

// ---- TFrame ------------------------------------------------------------------

TFrame::TFrame(QWidget* parent, const QString& name) : TControl(parent, name) {}

// ---- TImage ------------------------------------------------------------------

TImage::TImage(QWidget* parent, const QString& name) : TControl(parent, name) {}

void TImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void TImage::LoadPicture() {
  QImage picture = DecodeJpegFile(AssetPath(Name() + ".jpg"));
  if (picture.isNull()) {
    picture = QImage(std::max(Width(), 1), std::max(Height(), 1), QImage::Format_RGB32);
    picture.fill(placeholderGrey);
  }
  SetPicture(picture);
}

void TImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

// ---- TCheckBox ---------------------------------------------------------------

TCheckBox::TCheckBox(QWidget* parent, const QString& name, const QString& caption)
    : TControl(parent, name), box_(new QCheckBox(caption, this)) {
  // The box only shows the state; clicks reach the control itself.
  box_->setAttribute(Qt::WA_TransparentForMouseEvents);
  box_->setFocusPolicy(Qt::NoFocus);
}

QString TCheckBox::Caption() const { return box_->text(); }

void TCheckBox::SetAllowGrayed(bool allowGrayed) {
  allowGrayed_ = allowGrayed;
  box_->setTristate(allowGrayed);
}

void TCheckBox::SetState(CheckBoxState state) {
  if (state == State()) return;
  state_.store(state, std::memory_order_relaxed);
  const Qt::CheckState shown = state == CheckBoxState::Checked  ? Qt::Checked
                               : state == CheckBoxState::Grayed ? Qt::PartiallyChecked
                                                                : Qt::Unchecked;
  box_->setCheckState(shown);
  TControl::Click();
}

void TCheckBox::Click() {
  switch (State()) {
    case CheckBoxState::Unchecked: SetState(allowGrayed_ ? CheckBoxState::Grayed : CheckBoxState::Checked); return;
    case CheckBoxState::Grayed: SetState(CheckBoxState::Checked); return;
    case CheckBoxState::Checked: SetState(CheckBoxState::Unchecked); return;
  }
}

void TCheckBox::resizeEvent(QResizeEvent*) { box_->setGeometry(rect()); }

// ---- TTimer ------------------------------------------------------------------

TTimer::TTimer(QObject* owner, const QString& name, int intervalMs) : QObject(owner), timer_(new QTimer(this)) {
  setObjectName(name);
  timer_->setInterval(intervalMs);
  QObject::connect(timer_, &QTimer::timeout, this, [this] {
    if (OnTimer) OnTimer(this);
  });
}

int TTimer::Interval() const { return timer_->interval(); }
void TTimer::SetInterval(int intervalMs) { timer_->setInterval(intervalMs); }
bool TTimer::Enabled() const { return timer_->isActive(); }

void TTimer::SetEnabled(bool enabled) {
  if (enabled) {
    timer_->start();
    return;
  }
  timer_->stop();
}
