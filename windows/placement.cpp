#include "windows/placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "windows/framework/form.h"

namespace {
// Room left between the two windows, where there is room for it, so that
// their borders do not touch.
constexpr int preferredGap = 8;

int OverlapArea(const WindowBox& a, const WindowBox& b) {
  const int width = std::min(a.Right(), b.Right()) - std::max(a.left, b.left);
  const int height = std::min(a.Bottom(), b.Bottom()) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? width * height : 0;
}

WindowBox At(const WindowBox& size, int left, int top) { return {left, top, size.width, size.height}; }

bool SideBySideFits(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware) {
  return std::max(front.height, hardware.height) <= work.height && front.width + hardware.width <= work.width;
}

bool StackedFits(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware) {
  return std::max(front.width, hardware.width) <= work.width && front.height + hardware.height <= work.height;
}

// Two lengths one after the other in an area, centred, with what gap there is room for.
std::pair<int, int> Sequence(int first, int second, int areaStart, int areaLength) {
  const int gap = std::min(preferredGap, areaLength - first - second);
  const int start = areaStart + (areaLength - first - gap - second) / 2;
  return {start, start + first + gap};
}

int Centred(int length, int areaStart, int areaLength) { return areaStart + (areaLength - length) / 2; }

WindowPlacement SideBySide(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware) {
  const auto [frontLeft, hardwareLeft] = Sequence(front.width, hardware.width, work.left, work.width);
  const int top = Centred(std::max(front.height, hardware.height), work.top, work.height);
  return {At(front, frontLeft, top), At(hardware, hardwareLeft, top)};
}

WindowPlacement Stacked(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware) {
  const auto [frontTop, hardwareTop] = Sequence(front.height, hardware.height, work.top, work.height);
  const int left = Centred(std::max(front.width, hardware.width), work.left, work.width);
  return {At(front, left, frontTop), At(hardware, left, hardwareTop)};
}

// Where a window may start along one axis of the work area: at either end,
// and beside another window on either side, never before the area's start.
std::array<int, 4> Starts(int length, int areaStart, int areaLength, int otherStart, int otherEnd) {
  const int last = std::max(areaStart, areaStart + areaLength - length);
  return {areaStart, last, std::clamp(otherEnd + preferredGap, areaStart, last),
          std::clamp(otherStart - preferredGap - length, areaStart, last)};
}

// Where the front panel may start across the screen: at the left, centred or
// at the right; too wide for the screen, moved left just enough to show its keys.
std::vector<int> FrontLefts(const ScreenRect& work, const WindowBox& front, const WindowBox& keep) {
  if (front.width > work.width) return {work.left - std::max(0, keep.Right() - work.width)};
  return {work.left, Centred(front.width, work.left, work.width), work.left + work.width - front.width};
}

// The front panel at the top; the hardware window wherever it covers least
// of the keys, then least of the front panel.
WindowPlacement Overlapping(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware,
                            const WindowBox& keep) {
  std::optional<std::pair<int, int>> bestCost;
  WindowPlacement best{};
  for (const int frontLeft : FrontLefts(work, front, keep)) {
    const WindowBox placedFront = At(front, frontLeft, work.top);
    const WindowBox kept = At(keep, placedFront.left + keep.left, placedFront.top + keep.top);
    for (const int left : Starts(hardware.width, work.left, work.width, placedFront.left, placedFront.Right())) {
      for (const int top : Starts(hardware.height, work.top, work.height, placedFront.top, placedFront.Bottom())) {
        const WindowBox placed = At(hardware, left, top);
        const std::pair cost{OverlapArea(placed, kept), OverlapArea(placed, placedFront)};
        if (bestCost && cost >= *bestCost) continue;
        bestCost = cost;
        best = {placedFront, placed};
      }
    }
  }
  return best;
}
}  // namespace

bool Overlap(const WindowBox& a, const WindowBox& b) { return OverlapArea(a, b) > 0; }

WindowBox PlaceAside(const ScreenRect& work, const WindowBox& size, const WindowBox& first, const WindowBox& second) {
  const WindowBox fitted{0, 0, std::min(size.width, work.width), std::min(size.height, work.height)};
  std::optional<std::pair<int, int>> bestCost;
  WindowBox best = At(fitted, work.left, work.top);
  for (const WindowBox& other : {first, second}) {
    for (const int left : Starts(fitted.width, work.left, work.width, other.left, other.Right())) {
      for (const WindowBox& across : {first, second}) {
        for (const int top : Starts(fitted.height, work.top, work.height, across.top, across.Bottom())) {
          const WindowBox placed = At(fitted, left, top);
          const std::pair cost{OverlapArea(placed, first), OverlapArea(placed, second)};
          if (bestCost && cost >= *bestCost) continue;
          bestCost = cost;
          best = placed;
        }
      }
    }
  }
  return best;
}

bool FullyInside(const WindowBox& box, const ScreenRect& work) {
  return box.left >= work.left && box.top >= work.top && box.Right() <= work.left + work.width &&
         box.Bottom() <= work.top + work.height;
}

WindowPlacement PlaceWindows(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware,
                             const WindowBox& keep) {
  if (SideBySideFits(work, front, hardware)) return SideBySide(work, front, hardware);
  if (StackedFits(work, front, hardware)) return Stacked(work, front, hardware);
  return Overlapping(work, front, hardware, keep);
}

double FittingScale(const ScreenRect& work, const WindowBox& front, const WindowBox& hardware, const FrameExtents& frame,
                    double largest) {
  constexpr double step = 0.25;
  const auto framed = [&frame](const WindowBox& client, double scale) {
    return WindowBox{0, 0, int(std::ceil(client.width * scale)) + frame.left + frame.right,
                     int(std::ceil(client.height * scale)) + frame.top + frame.bottom};
  };
  double fitting = 1;
  for (double scale = 1 + step; scale <= largest; scale += step) {
    const WindowBox scaledFront = framed(front, scale), scaledHardware = framed(hardware, scale);
    if (!SideBySideFits(work, scaledFront, scaledHardware) && !StackedFits(work, scaledFront, scaledHardware)) break;
    fitting = scale;
  }
  return fitting;
}

WindowBox FrameOf(const TForm& form) {
  const FrameExtents frame = form.Host().WindowFrame();
  return {form.Left(), form.Top(), frame.left + form.Width() + frame.right, frame.top + form.Height() + frame.bottom};
}

void PlaceForms(TForm& front, TForm& hardware, const WindowBox& keep) {
  const WindowHost& host = front.Host();
  const FrameExtents frame = host.WindowFrame();
  const WindowBox keepInFrame{keep.left + frame.left, keep.top + frame.top, keep.width, keep.height};
  const WindowPlacement placed = PlaceWindows(host.Screen(), FrameOf(front), FrameOf(hardware), keepInFrame);
  front.Move(placed.front.left, placed.front.top);
  hardware.Move(placed.hardware.left, placed.hardware.top);
}
