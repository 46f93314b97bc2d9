#pragma once
// Where the two windows go on a screen: side by side when the work area is
// wide enough, else one above the other, and only when neither fits do they
// overlap, the hardware window then kept off the front panel's keys and
// keyswitch as far as it can be. Pure geometry: sizes and positions are the
// windows' outer frames, so the caller adds the window decorations.

#include "windows/framework/host.h"

struct WindowBox {
  int left = 0, top = 0, width = 0, height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

struct WindowPlacement {
  WindowBox front, hardware;
};

// front and hardware give the sizes (their positions are ignored); keep is
// the part of the front panel to leave uncovered, relative to its frame.
WindowPlacement PlaceWindows(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware,
                             const WindowBox& keep);

// The largest scale, from 1 up in quarter steps to largest, at which both
// client areas, scaled and framed, fit the work area without overlapping;
// 1 where none larger does.
double FittingScale(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware, const FrameExtents& frame,
                    double largest);

// A third window of that size (made smaller if the work area is), placed on
// the work area where it covers least of first, then least of second.
WindowBox PlaceAside(const ScreenRect& work, const WindowBox& size, const WindowBox& first, const WindowBox& second);

bool Overlap(const WindowBox& a, const WindowBox& b);
bool FullyInside(const WindowBox& box, const ScreenRect& work);

class TForm;

// Both forms moved to where PlaceWindows puts them on the host's screen;
// keep is the front panel's part to leave uncovered, in its client area.
void PlaceForms(TForm& front, TForm& hardware, const WindowBox& keep);
// A form's frame on the screen, decorations included.
WindowBox FrameOf(const TForm& form);
