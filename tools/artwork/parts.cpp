// Drawing primitives shared by every picture and image list.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include "tools/artwork/artwork.h"

namespace artwork {

QColor Mix(const QColor& a, const QColor& b, qreal amountOfB) {
  const qreal keep = 1.0 - amountOfB;
  return QColor::fromRgbF(float(a.redF() * keep + b.redF() * amountOfB),
                          float(a.greenF() * keep + b.greenF() * amountOfB),
                          float(a.blueF() * keep + b.blueF() * amountOfB),
                          float(a.alphaF() * keep + b.alphaF() * amountOfB));
}

QColor LampColour(Lamp lamp) {
  switch (lamp) {
    case Lamp::Red: return QColor(255, 36, 24);
    case Lamp::Yellow: return QColor(255, 186, 0);
    case Lamp::Green: return QColor(40, 235, 60);
  }
  return Qt::white;
}

namespace {

QFont Font(const QString& family, qreal pixels, bool bold) {
  QFont font(family);
  font.setPixelSize(qRound(pixels));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QColor WithAlpha(QColor colour, int alpha) {
  colour.setAlpha(alpha);
  return colour;
}

}  // namespace

QFont Sans(qreal pixels, bool bold) { return Font("DejaVu Sans", pixels, bold); }
QFont Mono(qreal pixels, bool bold) { return Font("DejaVu Sans Mono", pixels, bold); }

void Text(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
          const QColor& colour) {
  p.save();
  p.setFont(font);
  p.setPen(colour);
  p.drawText(box, flags, text);
  p.restore();
}

void Bevel(QPainter& p, const QRectF& box, qreal radius, const QColor& face, bool raised,
           qreal depth) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(face);
  p.drawRoundedRect(box, radius, radius);

  const QColor light(255, 255, 255, 170);
  const QColor dark(0, 0, 0, 150);
  QLinearGradient edge(box.topLeft(), box.bottomRight());
  edge.setColorAt(0, raised ? light : dark);
  edge.setColorAt(0.5, WithAlpha(face, 0));
  edge.setColorAt(1, raised ? dark : light);
  const qreal half = depth / 2;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(edge), depth));
  p.drawRoundedRect(box.adjusted(half, half, -half, -half), radius, radius);
  p.restore();
}

void Sheen(QPainter& p, const QPainterPath& shape, bool fromTop) {
  const QRectF box = shape.boundingRect();
  QLinearGradient sheen(box.topLeft(), box.bottomLeft());
  sheen.setColorAt(0, fromTop ? QColor(255, 255, 255, 70) : QColor(0, 0, 0, 60));
  sheen.setColorAt(1, fromTop ? QColor(0, 0, 0, 50) : QColor(255, 255, 255, 25));
  p.save();
  p.setPen(Qt::NoPen);
  p.fillPath(shape, sheen);
  p.restore();
}

void Halo(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour, int alpha) {
  QRadialGradient glow(centre, radius);
  glow.setColorAt(0, WithAlpha(colour, alpha));
  glow.setColorAt(0.45, WithAlpha(colour, alpha / 2));
  glow.setColorAt(1, WithAlpha(colour, 0));
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, radius, radius);
  p.restore();
}

void Dome(QPainter& p, const QPointF& centre, qreal rx, qreal ry, const QColor& light, const QColor& dark,
          int shadowAlpha) {
  p.save();
  p.setPen(Qt::NoPen);
  if (shadowAlpha > 0) {
    p.setBrush(QColor(0, 0, 0, shadowAlpha));
    p.drawEllipse(centre + QPointF(0.8, 1.2), rx, ry);
  }
  QRadialGradient body(centre, qMax(rx, ry), centre - QPointF(rx * 0.38, ry * 0.38));
  body.setColorAt(0, light);
  body.setColorAt(1, dark);
  p.setBrush(body);
  p.drawEllipse(centre, rx, ry);
  p.restore();
}

void Lens(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour, bool lit,
          qreal haloRadius) {
  p.save();
  p.setPen(Qt::NoPen);
  if (lit) Halo(p, centre, haloRadius, colour, 210);

  const QPointF focus = centre - QPointF(radius * 0.35, radius * 0.35);
  QRadialGradient body(centre, radius, focus);
  if (lit) {
    body.setColorAt(0, Mix(colour, Qt::white, 0.85));
    body.setColorAt(0.45, Mix(colour, Qt::white, 0.35));
    body.setColorAt(1, colour);
  } else {
    body.setColorAt(0, Mix(colour, Qt::black, 0.45));
    body.setColorAt(0.7, Mix(colour, Qt::black, 0.7));
    body.setColorAt(1, Mix(colour, Qt::black, 0.82));
  }
  p.setBrush(body);
  p.drawEllipse(centre, radius, radius);

  // The reflection of the room light on the dome.
  QRadialGradient shine(focus, radius * 0.45);
  shine.setColorAt(0, QColor(255, 255, 255, lit ? 230 : 150));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  p.setBrush(shine);
  p.drawEllipse(focus, radius * 0.45, radius * 0.45);
  p.restore();
}

void SoundWaves(QPainter& p, const QPointF& origin, qreal firstRadius, int count, qreal spacing,
                const QColor& colour, qreal width) {
  p.save();
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < count; ++i) {
    const qreal r = firstRadius + i * spacing;
    QColor fading = colour;
    fading.setAlphaF(float(colour.alphaF() * (1.0 - 0.25 * i)));
    p.setPen(QPen(fading, width, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(origin.x() - r, origin.y() - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
  }
  p.restore();
}

QColor TrayColour() { return QColor(46, 48, 52); }

void SelectorTray(QPainter& p) { Bevel(p, kSelectorTray, 5, TrayColour(), false, 1.5); }

void Selector(QPainter& p, const QColor& cap, bool round, bool selected, const Paint& glyph) {
  p.fillRect(QRectF(0, 0, kSelectorSize, kSelectorSize), TrayColour());
  const QRectF body = selected ? QRectF(2.6, 2.8, 19, 19) : QRectF(2, 2, 19.5, 19.5);
  QPainterPath shape;
  if (round) {
    shape.addEllipse(body);
  } else {
    shape.addRoundedRect(body, 4, 4);
  }
  p.save();
  if (selected) {
    p.setPen(QPen(QColor(255, 236, 150), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
  } else {
    p.fillPath(shape.translated(0.7, 1.1), QColor(0, 0, 0, 150));
  }
  p.fillPath(shape, selected ? cap.lighter(118) : Mix(cap, QColor(110, 110, 110), 0.45));
  Sheen(p, shape, !selected);
  p.setClipPath(shape);
  if (selected) p.translate(0.6, 0.8);
  p.setOpacity(selected ? 1.0 : 0.75);
  glyph(p);
  p.restore();
}

}  // namespace artwork
