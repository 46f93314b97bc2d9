#pragma once
// The desktop window of one TForm: draws the form's controls and forwards
// the mouse to it in client coordinates. A change in the form, from any
// thread, reaches the screen as one posted repaint, so nothing wakes the
// window thread while nothing changes. At a scale other than 1 the window is
// that much larger: drawn at its own size from the artwork, its mouse and
// position mapped back to the form's coordinates.

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <mutex>

class Artwork;
class QHelpEvent;
class TForm;

// Moves a window's frame there, whether or not the window manager has framed
// it yet: QWidget::move takes the point for the client area's until then.
void MoveFrame(QWidget& window, const QPoint& at);

class FormWidget : public QWidget {
 public:
  FormWidget(TForm& form, Artwork& artwork, double scale);

  TForm& Form() const { return form_; }
  // Any thread: asks for one repaint of the area (client coordinates),
  // however many changes come before it.
  void RequestRepaint(const QRect& area);
  // Window thread: follows the form's caption, size, position and visibility.
  void FollowForm();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  bool ShowHint(const QHelpEvent& event);
  void ReleaseHeld(Qt::MouseButtons keep);
  QPoint ToForm(const QPoint& at) const;
  QRect ToWidget(const QRect& area) const;
  QRect ToForm(const QRect& area) const;

  TForm& form_;
  Artwork& artwork_;
  const double scale_;
  // The buttons the form was told are down, and where the mouse last was.
  Qt::MouseButtons held_;
  QPoint lastAt_;
  std::mutex dirtyMutex_;
  QRect dirty_;  // what changed since the last posted repaint; empty when none is posted
};
