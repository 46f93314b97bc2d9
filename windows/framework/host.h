#pragma once
// What the windows need from whatever shows them: the one way the Qt-free
// scenes call up. Each window is given its host as it is made (the desktop,
// the web page and the headless runner each have one), so machines in one
// process may be shown by different hosts; a window given none runs as if
// nothing showed it.

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

  // The extent of a caption in a font, as the host will draw it; by default
  // a fair guess.
  virtual int TextWidth(const Font& font, const std::string& text) const { return GuessTextWidth(font, text); }
  virtual int TextHeight(const Font& font) const { return GuessTextHeight(font); }
  virtual ScreenRect Screen() const { return {}; }
  // A form's Left and Top are those of its frame.
  virtual FrameExtents WindowFrame() const { return {}; }

  static int GuessTextWidth(const Font& font, const std::string& text);
  static int GuessTextHeight(const Font& font);
};
