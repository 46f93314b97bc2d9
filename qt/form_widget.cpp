#include "qt/form_widget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <utility>
#include <optional>

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

QPoint PositionOf(const QMouseEvent& event) { return event.position().toPoint(); }
}  // namespace

// A fixed single border with a minimise box only.
FormWidget::FormWidget(TForm& form, Artwork& artwork)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form),
      artwork_(artwork) {
  setObjectName(QString::fromStdString(form.Name()));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
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
  if (size() != QSize(form_.ClientWidth(), form_.ClientHeight())) setFixedSize(form_.ClientWidth(), form_.ClientHeight());
  if (pos() != QPoint(form_.Left(), form_.Top())) move(form_.Left(), form_.Top());
  if (isVisible() != form_.Showing()) setVisible(form_.Showing());
  update();
}

bool FormWidget::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) return ShowHint(static_cast<QHelpEvent&>(*event));
  if (event->type() != repaintEvent) return QWidget::event(event);
  QRect area;
  {
    const std::lock_guard lock(dirtyMutex_);
    std::swap(area, dirty_);
  }
  update(area);
  return true;
}

// The hint of the control under the mouse, as a tool tip; none over the bare window.
bool FormWidget::ShowHint(const QHelpEvent& event) {
  int x = 0, y = 0;
  const TControl* control = form_.ControlAt(event.pos().x(), event.pos().y(), x, y);
  if (!control || control->Hint().empty()) {
    QToolTip::hideText();
    return true;
  }
  QToolTip::showText(event.globalPos(), QString::fromStdString(control->Hint()), this);
  return true;
}

void FormWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  PaintForm(painter, form_, artwork_, event->rect());
}

void FormWidget::mousePressEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button) return event->ignore();
  const QPoint at = PositionOf(*event);
  form_.PointerDown(*button, ShiftOf(*event), at.x(), at.y());
}

void FormWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = PositionOf(*event);
  form_.PointerMove(ShiftOf(*event), at.x(), at.y());
}

void FormWidget::mouseReleaseEvent(QMouseEvent* event) {
  const std::optional<MouseButton> button = ButtonOf(event->button());
  if (!button) return event->ignore();
  const QPoint at = PositionOf(*event);
  form_.PointerUp(*button, ShiftOf(*event), at.x(), at.y());
}

// Moved by the user: the form keeps where it is, for its own placement.
void FormWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (isVisible()) form_.Move(pos().x(), pos().y());
}

void FormWidget::closeEvent(QCloseEvent* event) {
  if (form_.Showing()) form_.Close();
  event->accept();
}
