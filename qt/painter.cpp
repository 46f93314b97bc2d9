#include "qt/painter.h"

#include <QPainter>

#include "qt/artwork.h"
#include "qt/fonts.h"
#include "windows/drawing.h"
#include "windows/framework/form.h"

namespace {
QColor QtColor(const Color& color) { return color.valid ? QColor(color.r, color.g, color.b) : QColor(); }
QRect QtRect(const DrawRect& rect) { return {rect.x, rect.y, rect.w, rect.h}; }

// An aliased pen of that width on the rectangle inset by half of it: width rings.
void PaintFrame(QPainter& painter, const DrawOp& op) {
  QPen pen(QtColor(op.color), op.width, Qt::SolidLine);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const int half = op.width / 2;
  painter.drawRect(QtRect(op.rect).adjusted(half, half, -half - 1, -half - 1));
}

// Only the part of the source the image holds, to the matching part of the target.
void PaintImage(QPainter& painter, const DrawOp& op, Artwork& artwork) {
  const ArtworkPart part = artwork.Part(op.file, QtRect(op.source));
  const QRectF source = part.source;
  const QRectF held = source & QRectF(part.image.rect());
  if (held.isEmpty()) return;
  const QRectF target = QtRect(op.rect);
  const double scaleX = target.width() / source.width();
  const double scaleY = target.height() / source.height();
  const QRectF shown(target.x() + (held.x() - source.x()) * scaleX, target.y() + (held.y() - source.y()) * scaleY,
                     held.width() * scaleX, held.height() * scaleY);
  painter.drawImage(shown, part.image, held);
}

void PaintText(QPainter& painter, const DrawOp& op) {
  painter.setFont(QtFont(op.font));
  painter.setPen(QtColor(op.color));
  int flags = op.vertical == VerticalAlignment::Center ? Qt::AlignVCenter : Qt::AlignTop;
  if (op.align == Alignment::Left) flags |= Qt::AlignLeft;
  if (op.align == Alignment::Right) flags |= Qt::AlignRight;
  if (op.align == Alignment::Center) flags |= Qt::AlignHCenter;
  if (op.wrap) flags |= Qt::TextWordWrap;
  painter.drawText(QtRect(op.rect), flags, QString::fromStdString(op.text));
}

void PaintOp(QPainter& painter, const DrawOp& op, Artwork& artwork) {
  switch (op.kind) {
    case DrawKind::Clip: return painter.setClipRect(QtRect(op.rect));
    case DrawKind::Fill: return painter.fillRect(QtRect(op.rect), QtColor(op.color));
    case DrawKind::Frame: return PaintFrame(painter, op);
    case DrawKind::Line:
      painter.setPen(QPen(QtColor(op.color), op.width));
      return painter.drawLine(op.rect.x, op.rect.y, op.x2, op.y2);
    case DrawKind::Image: return PaintImage(painter, op, artwork);
    case DrawKind::Text: return PaintText(painter, op);
  }
}
}  // namespace

void PaintForm(QPainter& painter, const TForm& form, Artwork& artwork, const QRect& area) {
  painter.save();
  for (const DrawOp& op : DrawForm(form, {area.x(), area.y(), area.width(), area.height()})) PaintOp(painter, op, artwork);
  painter.restore();
}

QImage RenderForm(const TForm& form, Artwork& artwork) {
  QImage image(form.ClientWidth(), form.ClientHeight(), QImage::Format_RGB32);
  QPainter painter(&image);
  PaintForm(painter, form, artwork, image.rect());
  return image;
}
