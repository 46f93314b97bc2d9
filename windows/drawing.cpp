#include "windows/drawing.h"

#include <algorithm>

#include "windows/framework/form.h"
#include "windows/framework/host.h"
#include "windows/framework/imagelist.h"
#include "windows/imageselector.h"

namespace {
constexpr int checkBoxSize = 13;
constexpr int checkBoxTextGap = 6;
constexpr int checkBoxTickInset = 3;
constexpr int checkBoxTickWidth = 2;
constexpr int groupCaptionLeft = 8;
constexpr int groupCaptionPadding = 2;

class Drawing {
 public:
  explicit Drawing(std::vector<DrawOp>& ops) : ops_(ops) {}

  void Clip(const DrawRect& clip, const std::string& name, const DrawRect& bounds) {
    DrawOp& op = Add(DrawKind::Clip, clip, colors::none);
    op.name = name;
    op.bounds = bounds;
  }
  void Fill(const DrawRect& rect, const Color& color) {
    if (color.valid) Add(DrawKind::Fill, rect, color);
  }
  void Frame(const DrawRect& rect, const Color& color, int width = 1) {
    Add(DrawKind::Frame, rect, color).width = width;
  }
  void Line(int x1, int y1, int x2, int y2, const Color& color, int width = 1) {
    DrawOp& op = Add(DrawKind::Line, {x1, y1, 0, 0}, color);
    op.x2 = x2;
    op.y2 = y2;
    op.width = width;
  }
  void Image(const DrawRect& rect, const std::string& file, const DrawRect& source) {
    DrawOp& op = Add(DrawKind::Image, rect, colors::none);
    op.file = file;
    op.source = source;
  }
  void Text(const DrawRect& rect, const std::string& text, const Font& font, const Color& color, Alignment align,
            VerticalAlignment vertical, bool wrap = false) {
    DrawOp& op = Add(DrawKind::Text, rect, color);
    op.text = text;
    op.font = font;
    op.align = align;
    op.vertical = vertical;
    op.wrap = wrap;
  }

 private:
  DrawOp& Add(DrawKind kind, const DrawRect& rect, const Color& color) {
    DrawOp& op = ops_.emplace_back();
    op.kind = kind;
    op.rect = rect;
    op.color = color;
    return op;
  }

  std::vector<DrawOp>& ops_;
};

// One-pixel bevel: light top-left and dark bottom-right when raised.
void DrawBevel(Drawing& out, DrawRect& rect, Bevel bevel) {
  if (bevel == Bevel::None) return;
  const Color light = bevel == Bevel::Raised ? colors::white : colors::gray;
  const Color dark = bevel == Bevel::Raised ? colors::gray : colors::white;
  const int right = rect.x + rect.w - 1;
  const int bottom = rect.y + rect.h - 1;
  out.Line(rect.x, rect.y, right, rect.y, light);
  out.Line(rect.x, rect.y, rect.x, bottom, light);
  out.Line(rect.x, bottom, right, bottom, dark);
  out.Line(right, rect.y, right, bottom, dark);
  rect = {rect.x + 1, rect.y + 1, rect.w - 2, rect.h - 2};
}

void DrawLabel(Drawing& out, const TLabel& label, const DrawRect& rect) {
  out.Fill(rect, label.GetColor());
  out.Text(rect, label.Caption(), label.GetFont(), label.FontColor(), label.GetAlignment(), VerticalAlignment::Top,
           label.WordWrap());
}

void DrawShape(Drawing& out, const TShape& shape, const DrawRect& rect) {
  const TShape::Brush& brush = shape.GetBrush();
  if (brush.style != BrushStyle::None) out.Fill(rect, brush.color);
  const TShape::Pen& pen = shape.GetPen();
  if (pen.style == PenStyle::None || pen.width <= 0) return;
  out.Frame(rect, pen.color, pen.width);
}

// An etched frame from half the caption's height down, the caption on the
// group's colour over it.
void DrawGroupBox(Drawing& out, const TGroupBox& group, const DrawRect& rect) {
  out.Fill(rect, group.GetColor());
  const Font font = group.GetFont();
  const WindowHost& host = group.Form()->Host();
  const int textHeight = host.TextHeight(font);
  const int lineY = textHeight / 2;
  out.Frame({rect.x, rect.y + lineY, rect.w, rect.h - lineY}, colors::gray);
  out.Frame({rect.x + 1, rect.y + lineY + 1, rect.w, rect.h - lineY}, colors::white);
  if (group.Caption().empty()) return;
  const DrawRect text{rect.x + groupCaptionLeft, rect.y, host.TextWidth(font, group.Caption()) + groupCaptionPadding,
                      textHeight};
  out.Fill(text, group.GetColor().valid ? group.GetColor() : group.Form()->WindowColor());
  out.Text(text, group.Caption(), font, colors::black, Alignment::Center, VerticalAlignment::Center);
}

void DrawPanel(Drawing& out, const TPanel& panel, const DrawRect& rect) {
  out.Fill(rect, panel.GetColor());
  DrawRect edge = rect;
  DrawBevel(out, edge, panel.Outer());
  DrawBevel(out, edge, panel.Inner());
}

// The frame over white, at its own size from the top-left or stretched to the control.
void DrawSelector(Drawing& out, const TImageSelector& selector, const DrawRect& rect) {
  const TImageList* list = selector.ImageList();
  if (!list || list->Count() == 0) return;
  const DrawRect shown = selector.Stretch() ? rect : DrawRect{rect.x, rect.y, list->Width(), list->Height()};
  out.Fill(shown, colors::white);
  const int index = selector.ItemIndex();
  if (index < 0 || index >= list->Count()) return;
  out.Image(shown, list->File(), {index * list->Width(), 0, list->Width(), list->Height()});
}

// A plain box with a tick, or a filled square when grayed, and the caption.
void DrawCheckBox(Drawing& out, const TCheckBox& box, const DrawRect& rect) {
  out.Fill(rect, box.GetColor());
  const DrawRect square{rect.x, rect.y + (rect.h - checkBoxSize - 1) / 2, checkBoxSize, checkBoxSize};
  out.Fill(square, colors::white);
  out.Frame(square, colors::gray);
  const int left = square.x + checkBoxTickInset;
  const int top = square.y + checkBoxTickInset;
  const int right = square.x + square.w - 1 - checkBoxTickInset;
  const int bottom = square.y + square.h - 1 - checkBoxTickInset;
  if (box.State() == CheckBoxState::Grayed) out.Fill({left, top, right - left + 1, bottom - top + 1}, colors::gray);
  if (box.State() == CheckBoxState::Checked) {
    const int centreX = (left + right) / 2;
    const int centreY = (top + bottom) / 2;
    out.Line(left, centreY, centreX - 1, bottom, colors::black, checkBoxTickWidth);
    out.Line(centreX - 1, bottom, right, top, colors::black, checkBoxTickWidth);
  }
  const int textLeft = checkBoxSize + checkBoxTextGap;
  out.Text({rect.x + textLeft, rect.y, rect.w - textLeft, rect.h}, box.Caption(), box.GetFont(), colors::black,
           Alignment::Left, VerticalAlignment::Center);
}

void DrawOne(Drawing& out, const TControl& control, const DrawRect& rect) {
  if (const auto* selector = dynamic_cast<const TImageSelector*>(&control)) return DrawSelector(out, *selector, rect);
  if (const auto* label = dynamic_cast<const TLabel*>(&control)) return DrawLabel(out, *label, rect);
  if (const auto* shape = dynamic_cast<const TShape*>(&control)) return DrawShape(out, *shape, rect);
  if (const auto* group = dynamic_cast<const TGroupBox*>(&control)) return DrawGroupBox(out, *group, rect);
  if (const auto* panel = dynamic_cast<const TPanel*>(&control)) return DrawPanel(out, *panel, rect);
  if (const auto* box = dynamic_cast<const TCheckBox*>(&control)) return DrawCheckBox(out, *box, rect);
  // A picture at its own size from the top-left, cut to the control.
  if (const auto* image = dynamic_cast<const TImage*>(&control)) {
    return out.Image(rect, image->PictureFile(), {0, 0, rect.w, rect.h});
  }
  out.Fill(rect, control.GetColor());
}

// Children in creation order over their parent; a control outside the area is left out with its children.
void DrawTree(Drawing& out, const TControl& parent, int originX, int originY, const DrawRect& clip,
              const DrawRect& area) {
  for (const auto& child : parent.Children()) {
    const TControl& control = *child;
    const DrawRect bounds{originX + control.Left(), originY + control.Top(), control.Width(), control.Height()};
    if (!control.Visible() || bounds.Empty() || Intersect(bounds, area).Empty()) continue;
    const DrawRect inner = Intersect(clip, bounds);
    if (inner.Empty()) continue;
    out.Clip(inner, control.Name(), bounds);
    DrawOne(out, control, bounds);
    DrawTree(out, control, bounds.x, bounds.y, inner, area);
  }
}
}  // namespace

DrawRect Intersect(const DrawRect& a, const DrawRect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.w, b.x + b.w);
  const int bottom = std::min(a.y + a.h, b.y + b.h);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

DrawRect Unite(const DrawRect& a, const DrawRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  return {left, top, std::max(a.x + a.w, b.x + b.w) - left, std::max(a.y + a.h, b.y + b.h) - top};
}

std::vector<DrawOp> DrawForm(const TForm& form, const DrawRect& area) {
  std::vector<DrawOp> ops;
  Drawing out(ops);
  const DrawRect client = Intersect(area, {0, 0, form.ClientWidth(), form.ClientHeight()});
  if (client.Empty()) return ops;
  out.Clip(client, form.Name(), {0, 0, form.ClientWidth(), form.ClientHeight()});
  out.Fill(client, form.WindowColor());
  DrawTree(out, form, 0, 0, client, client);
  return ops;
}
