#include "qt/form_widget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWindow>
#include <cmath>
#include <optional>
#include <utility>

#include "qt/painter.h"
#include "windows/framework/form.h"

namespace {
const QEvent::Type repaintEvent = QEvent::Type(QEvent::registerEventType());

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

constexpr Qt::MouseButton knownButtons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};

int Scaled(int length, double scale) { return int(std::lround(length * scale)); }
int Unscaled(int length, double scale) { return int(std::lround(length / scale)); }
}  // namespace

// A fixed single border with a minimise box only.
FormWidget::FormWidget(TForm& form, Artwork& artwork, double scale)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form),
      artwork_(artwork),
      scale_(scale) {
  setObjectName(QString::fromStdString(form.Name()));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Both windows explain their controls, whichever of them has the focus.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  FollowForm();
}

void FormWidget::RequestRepaint(const QRect& area) {
  const std::lock_guard lock(dirtyMutex_);
  const bool posted = !dirty_.isEmpty();
  dirty_ |= area;
  if (!posted && !dirty_.isEmpty()) QCoreApplication::postEvent(this, new QEvent(repaintEvent));
}

void FormWidget::FollowForm() {
  setWindowTitle(QString::fromStdString(form_.Caption()));
  const QSize client(Scaled(form_.ClientWidth(), scale_), Scaled(form_.ClientHeight(), scale_));
  if (size() != client) setFixedSize(client);
  const QPoint at(Scaled(form_.Left(), scale_), Scaled(form_.Top(), scale_));
  if (QPoint(Unscaled(pos().x(), scale_), Unscaled(pos().y(), scale_)) != QPoint(form_.Left(), form_.Top())) MoveFrame(*this, at);
  if (isVisible() != form_.Showing()) setVisible(form_.Showing());
  update();
}

bool FormWidget::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) return ShowHint(static_cast<QHelpEvent&>(*event));
  // A menu opened here takes the mouse: the button that opened it is let
  // go of for the form now, as its release goes to the menu.
  if (event->type() == QEvent::ContextMenu) ReleaseHeld({});
  if (event->type() != repaintEvent) return QWidget::event(event);
  QRect area;
  {
    const std::lock_guard lock(dirtyMutex_);
    std::swap(area, dirty_);
  }
  update(ToWidget(area));
  return true;
}

// The hint of the control under the mouse, as a tool tip; none over the bare window.
bool FormWidget::ShowHint(const QHelpEvent& event) {
  int x = 0, y = 0;
  const QPoint at = ToForm(event.pos());
  const TControl* control = form_.ControlAt(at.x(), at.y(), x, y);
  if (!control || control->Hint().empty()) {
    QToolTip::hideText();
    return true;
  }
  QToolTip::showText(event.globalPos(), QString::fromStdString(control->Hint()), this);
  return true;
}

// Drawn at the window's own size: text and lines at that size, the artwork
// scaled once from its files.
void FormWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.scale(scale_, scale_);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ != std::floor(scale_));
  PaintForm(painter, form_, artwork_, ToForm(event->rect()));
}

void FormWidget::mousePressEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button) return event->ignore();
  lastAt_ = ToForm(event->position().toPoint());
  // A release that never came (the mouse taken by another window meanwhile) is made good first.
  ReleaseHeld(event->buttons() & ~event->button());
  held_ |= event->button();
  form_.PointerDown(*button, ShiftOf(*event), lastAt_.x(), lastAt_.y());
}

void FormWidget::mouseMoveEvent(QMouseEvent* event) {
  lastAt_ = ToForm(event->position().toPoint());
  form_.PointerMove(ShiftOf(*event), lastAt_.x(), lastAt_.y());
}

void FormWidget::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button || !(held_ & event->button())) return event->ignore();
  lastAt_ = ToForm(event->position().toPoint());
  held_ &= ~event->button();
  form_.PointerUp(*button, ShiftOf(*event), lastAt_.x(), lastAt_.y());
}

// Each button the form holds down but that is not in keep is released where the mouse last was.
void FormWidget::ReleaseHeld(Qt::MouseButtons keep) {
  for (const Qt::MouseButton button : knownButtons) {
    if (!(held_ & button) || (keep & button)) continue;
    held_ &= ~button;
    form_.PointerUp(*ButtonOf(button), 0, lastAt_.x(), lastAt_.y());
  }
}

// A point of the window in the form's coordinates: the form pixel it lies in.
QPoint FormWidget::ToForm(const QPoint& at) const {
  return {int(std::floor(at.x() / scale_)), int(std::floor(at.y() / scale_))};
}

// Areas grow to whole pixels on either side, so that nothing is left undrawn.
QRect FormWidget::ToWidget(const QRect& area) const {
  return QRectF(area.x() * scale_, area.y() * scale_, area.width() * scale_, area.height() * scale_).toAlignedRect();
}

QRect FormWidget::ToForm(const QRect& area) const {
  return QRectF(area.x() / scale_, area.y() / scale_, area.width() / scale_, area.height() / scale_).toAlignedRect();
}

void MoveFrame(QWidget& window, const QPoint& at) {
  if (QWindow* handle = window.windowHandle()) return handle->setFramePosition(at);
  window.move(at);
}

// Moved by the user: the form keeps where it is, for its own placement.
void FormWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (isVisible()) form_.Move(Unscaled(pos().x(), scale_), Unscaled(pos().y(), scale_));
}

void FormWidget::closeEvent(QCloseEvent* event) {
  if (form_.Showing()) form_.Close();
  event->accept();
}
