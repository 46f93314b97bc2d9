#include "qt/painter.h"

#include <QPainter>

#include "qt/artwork.h"
#include "qt/fonts.h"
#include "windows/framework/form.h"
#include "windows/imageselector.h"

namespace {
constexpr int checkBoxSize = 13;
constexpr int checkBoxTextGap = 6;

QColor QtColor(const Color& color) { return color.valid ? QColor(color.r, color.g, color.b) : QColor(); }

void FillBackground(QPainter& painter, const TControl& control, const QRect& rect) {
  if (control.GetColor().valid) painter.fillRect(rect, QtColor(control.GetColor()));
}

// One-pixel bevel: light top-left and dark bottom-right when raised.
void DrawBevel(QPainter& painter, QRect& rect, Bevel bevel) {
  if (bevel == Bevel::None) return;
  const QColor light = bevel == Bevel::Raised ? Qt::white : Qt::gray;
  const QColor dark = bevel == Bevel::Raised ? Qt::gray : Qt::white;
  painter.setPen(light);
  painter.drawLine(rect.topLeft(), rect.topRight());
  painter.drawLine(rect.topLeft(), rect.bottomLeft());
  painter.setPen(dark);
  painter.drawLine(rect.bottomLeft(), rect.bottomRight());
  painter.drawLine(rect.topRight(), rect.bottomRight());
  rect.adjust(1, 1, -1, -1);
}

void PaintLabel(QPainter& painter, const TLabel& label, const QRect& rect) {
  FillBackground(painter, label, rect);
  painter.setFont(QtFont(label.GetFont()));
  painter.setPen(QtColor(label.FontColor()));
  int flags = Qt::AlignTop;
  if (label.GetAlignment() == Alignment::Left) flags |= Qt::AlignLeft;
  if (label.GetAlignment() == Alignment::Right) flags |= Qt::AlignRight;
  if (label.GetAlignment() == Alignment::Center) flags |= Qt::AlignHCenter;
  if (label.WordWrap()) flags |= Qt::TextWordWrap;
  painter.drawText(rect, flags, QString::fromStdString(label.Caption()));
}

void PaintShape(QPainter& painter, const TShape& shape, const QRect& rect) {
  const TShape::Brush& brush = shape.GetBrush();
  if (brush.style != BrushStyle::None) painter.fillRect(rect, QtColor(brush.color));
  const TShape::Pen& pen = shape.GetPen();
  if (pen.style == PenStyle::None || pen.width <= 0) return;
  QPen outline(QtColor(pen.color), pen.width, Qt::SolidLine);
  outline.setJoinStyle(Qt::MiterJoin);
  painter.setPen(outline);
  painter.setBrush(Qt::NoBrush);
  const int half = pen.width / 2;
  painter.drawRect(rect.adjusted(half, half, -half - 1, -half - 1));
}

void PaintGroupBox(QPainter& painter, const TGroupBox& group, const QRect& rect) {
  FillBackground(painter, group, rect);
  const QFont font = QtFont(group.GetFont());
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const int lineY = metrics.height() / 2;
  const QRect frame = rect.adjusted(0, lineY, -1, -1);
  painter.setPen(Qt::gray);
  painter.drawRect(frame);
  painter.setPen(Qt::white);
  painter.drawRect(frame.adjusted(1, 1, 1, 1));
  const QString caption = QString::fromStdString(group.Caption());
  if (caption.isEmpty()) return;
  const QRect text(8, 0, metrics.horizontalAdvance(caption) + 2, metrics.height());
  const Color behind = group.GetColor().valid ? group.GetColor() : group.Form()->WindowColor();
  painter.fillRect(text, QtColor(behind));
  painter.setPen(Qt::black);
  painter.drawText(text, Qt::AlignCenter, caption);
}

void PaintPanel(QPainter& painter, const TPanel& panel, const QRect& rect) {
  FillBackground(painter, panel, rect);
  QRect edge = rect;
  DrawBevel(painter, edge, panel.Outer());
  DrawBevel(painter, edge, panel.Inner());
}

void PaintSelector(QPainter& painter, const TImageSelector& selector, const QRect& rect, Artwork& artwork) {
  const TImageList* list = selector.ImageList();
  if (!list || list->Count() == 0) return;
  QImage bitmap(list->Width(), list->Height(), QImage::Format_RGB32);
  bitmap.fill(Qt::white);
  QPainter(&bitmap).drawImage(0, 0, artwork.Frame(*list, selector.ItemIndex()));
  if (selector.Stretch()) {
    painter.drawImage(rect, bitmap);
    return;
  }
  painter.drawImage(0, 0, bitmap);
}

// A plain box with a tick, or a filled square when grayed, and the caption.
void PaintCheckBox(QPainter& painter, const TCheckBox& box, const QRect& rect) {
  FillBackground(painter, box, rect);
  const QRect square(0, (rect.height() - checkBoxSize - 1) / 2, checkBoxSize, checkBoxSize);
  painter.fillRect(square, Qt::white);
  painter.setPen(Qt::gray);
  painter.drawRect(square.adjusted(0, 0, -1, -1));
  const QRect inside = square.adjusted(3, 3, -3, -3);
  if (box.State() == CheckBoxState::Grayed) painter.fillRect(inside, Qt::gray);
  if (box.State() == CheckBoxState::Checked) {
    QPen tick(Qt::black, 2);
    painter.setPen(tick);
    painter.drawLine(inside.left(), inside.center().y(), inside.center().x() - 1, inside.bottom());
    painter.drawLine(inside.center().x() - 1, inside.bottom(), inside.right(), inside.top());
  }
  painter.setFont(QtFont(box.GetFont()));
  painter.setPen(Qt::black);
  const QRect text(checkBoxSize + checkBoxTextGap, 0, rect.width() - checkBoxSize - checkBoxTextGap, rect.height());
  painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(box.Caption()));
}

void PaintOne(QPainter& painter, const TControl& control, Artwork& artwork) {
  const QRect rect(0, 0, control.Width(), control.Height());
  if (const auto* selector = dynamic_cast<const TImageSelector*>(&control)) {
    return PaintSelector(painter, *selector, rect, artwork);
  }
  if (const auto* label = dynamic_cast<const TLabel*>(&control)) return PaintLabel(painter, *label, rect);
  if (const auto* shape = dynamic_cast<const TShape*>(&control)) return PaintShape(painter, *shape, rect);
  if (const auto* group = dynamic_cast<const TGroupBox*>(&control)) return PaintGroupBox(painter, *group, rect);
  if (const auto* panel = dynamic_cast<const TPanel*>(&control)) return PaintPanel(painter, *panel, rect);
  if (const auto* box = dynamic_cast<const TCheckBox*>(&control)) return PaintCheckBox(painter, *box, rect);
  if (const auto* image = dynamic_cast<const TImage*>(&control)) {
    painter.drawImage(0, 0, artwork.Picture(image->PictureFile(), control.Width(), control.Height()));
    return;
  }
  FillBackground(painter, control, rect);
}

// Area is in the parent's coordinates; a control outside it is not drawn.
void PaintTree(QPainter& painter, const TControl& parent, Artwork& artwork, const QRect& area) {
  for (const auto& child : parent.Children()) {
    const TControl& control = *child;
    const QRect bounds(control.Left(), control.Top(), control.Width(), control.Height());
    if (!control.Visible() || bounds.isEmpty() || !bounds.intersects(area)) continue;
    painter.save();
    painter.translate(bounds.topLeft());
    painter.setClipRect(0, 0, bounds.width(), bounds.height(), Qt::IntersectClip);
    PaintOne(painter, control, artwork);
    PaintTree(painter, control, artwork, area.translated(-bounds.topLeft()));
    painter.restore();
  }
}
}  // namespace

void PaintForm(QPainter& painter, const TForm& form, Artwork& artwork, const QRect& area) {
  painter.fillRect(area, QtColor(form.WindowColor()));
  PaintTree(painter, form, artwork, area);
}

QImage RenderForm(const TForm& form, Artwork& artwork) {
  QImage image(form.ClientWidth(), form.ClientHeight(), QImage::Format_RGB32);
  QPainter painter(&image);
  PaintForm(painter, form, artwork, image.rect());
  return image;
}
