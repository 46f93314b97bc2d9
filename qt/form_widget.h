#pragma once
// The desktop window of one TForm: draws the form's controls and forwards
// the mouse to it in client coordinates. A change in the form, from any
// thread, reaches the screen as one posted repaint, so nothing wakes the
// window thread while nothing changes.

#include <QRect>
#include <QWidget>
#include <mutex>

class Artwork;
class QHelpEvent;
class TForm;

class FormWidget : public QWidget {
 public:
  FormWidget(TForm& form, Artwork& artwork);

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

  TForm& form_;
  Artwork& artwork_;
  std::mutex dirtyMutex_;
  QRect dirty_;  // what changed since the last posted repaint; empty when none is posted
};
