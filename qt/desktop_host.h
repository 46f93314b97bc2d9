#pragma once
// The desktop program's host: one FormWidget per window, the windows' timers
// as QTimers, and work posted to the window thread.

#include <QObject>
#include <map>
#include <memory>
#include <mutex>

#include "qt/artwork.h"
#include "qt/qt_host.h"

class FormWidget;
class QTimer;

class DesktopHost : public QtHost {
 public:
  DesktopHost();
  ~DesktopHost() override;

  // Before the first Attach: how much larger than their forms the windows are.
  void SetScale(double scale) { scale_ = scale; }
  double Scale() const { return scale_; }
  // Window thread: gives the form its desktop window.
  void Attach(TForm& form);
  // Window thread: closes the form's desktop window before the form goes.
  void Detach(const TForm& form);

  void Invalidate(TForm& form) override;
  void InvalidateArea(TForm& form, int left, int top, int width, int height) override;
  void FormChanged(TForm& form) override;
  void TimerChanged(TTimer& timer) override;
  void Post(std::function<void()> work) override;
  // The screen and the window frames as the forms see them: divided by the scale.
  ScreenRect Screen() const override;
  FrameExtents WindowFrame() const override;
  // The form's desktop window; null before Attach.
  FormWidget* WidgetOf(const TForm& form) const;

 private:
  void Repaint(const TForm& form, const QRect& area);

  Artwork artwork_;
  double scale_ = 1;
  // Read by other threads' Invalidate; changed only by Attach.
  mutable std::mutex widgetsMutex_;
  std::map<const TForm*, std::unique_ptr<FormWidget>> widgets_;
  std::map<TTimer*, std::unique_ptr<QTimer>> timers_;
  QObject postTarget_;
};
