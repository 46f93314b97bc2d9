#pragma once
// What the windows need from whatever shows them: the one way the Qt-free
// scenes call up. The desktop, the web page and the headless runner each
// give one; without one the windows run as if nothing showed them.

#include <functional>
#include <string>

#include "windows/framework/types.h"

class TForm;
class TTimer;

// The part of the screen windows may use: the whole screen less any panels.
struct ScreenRect {
  int left = 0, top = 0, width = 1024, height = 768;
};

// What the window system draws round a window's client area.
struct FrameExtents {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Any thread: something in the form's picture changed. Cheap and
  // repeatable; the host draws later, on its own thread.
  virtual void Invalidate(TForm&) {}
  // The same for one area of the client, for hosts that draw only what changed.
  virtual void InvalidateArea(TForm& form, int /*left*/, int /*top*/, int /*width*/, int /*height*/) { Invalidate(form); }
  // Window thread: the form's caption, position, size or visibility changed.
  virtual void FormChanged(TForm&) {}
  // Window thread: a form asks to be closed, as its close box would.
  virtual void CloseForm(TForm&) {}
  // Window thread: a timer was started, stopped or given a new interval.
  virtual void TimerChanged(TTimer&) {}
  // Any thread: runs work on the window thread; a host without one runs it now.
  virtual void Post(std::function<void()> work) { work(); }

  // The extent of a caption in a font, as the host will draw it.
  virtual int TextWidth(const Font& font, const std::string& text) const;
  virtual int TextHeight(const Font& font) const;
  virtual ScreenRect Screen() const { return {}; }
  // A form's Left and Top are those of its frame.
  virtual FrameExtents WindowFrame() const { return {}; }
};

// The host of every window of the process; a do-nothing host while none is set.
WindowHost& Host();
// Window thread, before any window is created; null returns to the do-nothing host.
void SetWindowHost(WindowHost* host);
