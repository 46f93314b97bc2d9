#include "qt/desktop_host.h"

#include <QMetaObject>
#include <QTimer>
#include <cmath>

#include "qt/form_widget.h"
#include "windows/framework/form.h"

DesktopHost::DesktopHost() = default;

// Timers first: a QTimer must not outlive the handler it calls.
DesktopHost::~DesktopHost() {
  timers_.clear();
  const std::lock_guard lock(widgetsMutex_);
  widgets_.clear();
}

void DesktopHost::Attach(TForm& form) {
  auto widget = std::make_unique<FormWidget>(form, artwork_, scale_);
  const std::lock_guard lock(widgetsMutex_);
  widgets_[&form] = std::move(widget);
}

void DesktopHost::Detach(const TForm& form) {
  std::unique_ptr<FormWidget> widget;
  {
    const std::lock_guard lock(widgetsMutex_);
    const auto found = widgets_.find(&form);
    if (found == widgets_.end()) return;
    widget = std::move(found->second);
    widgets_.erase(found);
  }
}

FormWidget* DesktopHost::WidgetOf(const TForm& form) const {
  const std::lock_guard lock(widgetsMutex_);
  const auto found = widgets_.find(&form);
  return found == widgets_.end() ? nullptr : found->second.get();
}

void DesktopHost::Invalidate(TForm& form) { Repaint(form, QRect(0, 0, form.ClientWidth(), form.ClientHeight())); }

void DesktopHost::InvalidateArea(TForm& form, int left, int top, int width, int height) {
  Repaint(form, QRect(left, top, width, height));
}

// Under the lock, so that a window being detached is never posted to.
void DesktopHost::Repaint(const TForm& form, const QRect& area) {
  const std::lock_guard lock(widgetsMutex_);
  const auto found = widgets_.find(&form);
  if (found != widgets_.end()) found->second->RequestRepaint(area);
}

void DesktopHost::FormChanged(TForm& form) {
  if (FormWidget* widget = WidgetOf(form)) widget->FollowForm();
}

// A timer stopped is kept, not freed: its handler may be the one stopping it.
void DesktopHost::TimerChanged(TTimer& timer) {
  std::unique_ptr<QTimer>& running = timers_[&timer];
  if (!running) {
    running = std::make_unique<QTimer>();
    QObject::connect(running.get(), &QTimer::timeout, [&timer] { timer.Fire(); });
  }
  if (!timer.Enabled()) return running->stop();
  running->start(timer.Interval());
}

ScreenRect DesktopHost::Screen() const {
  const ScreenRect screen = QtHost::Screen();
  const auto unscaled = [this](int length) { return int(std::floor(length / scale_)); };
  return {unscaled(screen.left), unscaled(screen.top), unscaled(screen.width), unscaled(screen.height)};
}

// The frame of a window already framed by the window manager; before any
// is, a title bar and thin borders as most desktops draw them.
FrameExtents DesktopHost::WindowFrame() const {
  constexpr FrameExtents usual{4, 30, 4, 4};
  const std::lock_guard lock(widgetsMutex_);
  for (const auto& [form, widget] : widgets_) {
    const QRect outer = widget->frameGeometry();
    const QRect inner = widget->geometry();
    if (!widget->isVisible() || outer == inner) continue;
    const auto unscaled = [this](int length) { return int(std::ceil(length / scale_)); };
    return {unscaled(inner.left() - outer.left()), unscaled(inner.top() - outer.top()),
            unscaled(outer.right() - inner.right()), unscaled(outer.bottom() - inner.bottom())};
  }
  return usual;
}

void DesktopHost::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(&postTarget_, std::move(work), Qt::QueuedConnection);
}
