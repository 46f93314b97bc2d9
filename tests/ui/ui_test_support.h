#pragma once
// Synthetic mouse input for the window tests: events go to the widget as the
// window system would deliver them, with the mouse captured by the pressed
// control, so a position may lie outside it.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "board/board_wiring.h"

inline void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at) {
  QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

inline void Press(QWidget* widget, Qt::MouseButton button, QPoint at = {5, 5}) {
  SendMouse(widget, QEvent::MouseButtonPress, button, button, at);
}

inline void Release(QWidget* widget, Qt::MouseButton button, QPoint at = {5, 5}) {
  SendMouse(widget, QEvent::MouseButtonRelease, button, Qt::NoButton, at);
}

inline void Drag(QWidget* widget, Qt::MouseButton held, QPoint at) {
  SendMouse(widget, QEvent::MouseMove, Qt::NoButton, held, at);
}

inline void LeftClick(QWidget* widget) {
  Press(widget, Qt::LeftButton);
  Release(widget, Qt::LeftButton);
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
