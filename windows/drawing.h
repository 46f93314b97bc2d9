#pragma once
// A window's picture as a list of primitive drawing operations in client
// coordinates, the one drawing both front ends execute: the desktop with
// QPainter, the web page on its canvas. Each control's operations follow a
// clip to the part of it that shows, parents before their children, as the
// window system paints them.

#include <string>
#include <vector>

#include "windows/framework/types.h"

class TForm;

struct DrawRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
  friend bool operator==(const DrawRect&, const DrawRect&) = default;
};

DrawRect Intersect(const DrawRect& a, const DrawRect& b);
// The smallest rectangle holding both; an empty one holds nothing.
DrawRect Unite(const DrawRect& a, const DrawRect& b);

enum class DrawKind {
  Clip,   // rect: what the following operations may touch, until the next clip; name: whose part it is
  Fill,   // rect filled with color
  Frame,  // width rings of pixels just inside rect, in color
  Line,   // from (x, y) to (x2, y2), both ends drawn, width pixels wide, in color
  Image,  // the source rectangle of the artwork file drawn into rect, scaled if the sizes differ
  Text,   // text in font and color within rect, aligned; wrapped at words if wrap
};

enum class VerticalAlignment { Top, Center };

struct DrawOp {
  DrawKind kind = DrawKind::Fill;
  DrawRect rect;
  Color color;
  int width = 1;
  int x2 = 0, y2 = 0;
  // An image's file and the part of it drawn.
  std::string file;
  DrawRect source;
  std::string text;
  // A clip's control and its bounds, by which a test or a tool finds it.
  std::string name;
  DrawRect bounds;
  Font font;
  Alignment align = Alignment::Left;
  VerticalAlignment vertical = VerticalAlignment::Top;
  bool wrap = false;
};

// What lies in area of the form: its background, then each visible control
// that reaches into the area, each clipped to its own bounds, its parent's
// and the area. Text is laid out by the front end; the host measures only
// what the layout depends on (a group's caption box).
std::vector<DrawOp> DrawForm(const TForm& form, const DrawRect& area);
