// The image lists of the hardware control window, drawn on its silver
// background, and the seven-segment digits of the alarm counter.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "tools/artwork/artwork.h"

namespace artwork {

namespace {

const QColor kSilver(192, 192, 192);
const QColor kInk(24, 24, 28);

void Background(QPainter& p, QSize size) { p.fillRect(QRectF(QPointF(), QSizeF(size)), kSilver); }

QPen InkPen(qreal width) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Link(QPainter& p, bool fitted) {
  Background(p, {22, 11});
  Bevel(p, QRectF(2, 2.5, 18, 6), 1, QColor(30, 30, 32), true, 0.8);
  for (qreal x : {6.0, 14.0}) {
    QLinearGradient gold(x, 4.5, x + 2, 6.5);
    gold.setColorAt(0, QColor(255, 226, 130));
    gold.setColorAt(1, QColor(170, 130, 40));
    p.fillRect(QRectF(x, 4.5, 2, 2), gold);
  }
  if (!fitted) return;
  const QRectF cap(3.5, 0.8, 15, 9.4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawRoundedRect(cap.translated(0.6, 0.8), 1.6, 1.6);
  QLinearGradient body(cap.topLeft(), cap.bottomLeft());
  body.setColorAt(0, QColor(80, 130, 235));
  body.setColorAt(1, QColor(20, 50, 150));
  p.setBrush(body);
  p.drawRoundedRect(cap, 1.6, 1.6);
  p.setBrush(QColor(10, 20, 60));
  p.drawRect(QRectF(6.5, 4.2, 2.4, 2.6));
  p.drawRect(QRectF(13.1, 4.2, 2.4, 2.6));
}

void SmallLed(QPainter& p, Lamp lamp, bool lit) {
  Background(p, {10, 10});
  const QPointF c(5, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 70, 72));
  p.drawEllipse(c, 4.4, 4.4);
  Lens(p, c, 3.5, LampColour(lamp), lit, 5.2);
}

void Toggle(QPainter& p, bool on) {
  Background(p, {20, 20});
  const QPointF c(10, 10);
  p.setPen(Qt::NoPen);
  // Hex nut and bushing.
  QPolygonF nut;
  for (int i = 0; i < 6; ++i) {
    const qreal a = qDegreesToRadians(60.0 * i + 30);
    nut << c + QPointF(std::cos(a), std::sin(a)) * 7.4;
  }
  QLinearGradient steel(c - QPointF(7, 7), c + QPointF(7, 7));
  steel.setColorAt(0, QColor(245, 245, 245));
  steel.setColorAt(1, QColor(110, 112, 116));
  p.setBrush(QColor(0, 0, 0, 80));
  p.drawPolygon(nut.translated(0.6, 0.9));
  p.setBrush(steel);
  p.drawPolygon(nut);
  p.setBrush(QColor(60, 62, 66));
  p.drawEllipse(c, 3.6, 3.6);
  // The bat lever, thrown up for on and down for off.
  const qreal tipY = on ? 1.6 : 18.4;
  QPainterPath lever;
  lever.moveTo(c + QPointF(-1.6, 0));
  lever.lineTo(QPointF(c.x() - 2.3, tipY));
  lever.lineTo(QPointF(c.x() + 2.3, tipY));
  lever.lineTo(c + QPointF(1.6, 0));
  lever.closeSubpath();
  QLinearGradient chrome(c.x() - 2.3, 0, c.x() + 2.3, 0);
  chrome.setColorAt(0, QColor(120, 122, 126));
  chrome.setColorAt(0.4, QColor(255, 255, 255));
  chrome.setColorAt(1, QColor(90, 92, 96));
  p.fillPath(lever.translated(0.8, 0.8), QColor(0, 0, 0, 70));
  p.fillPath(lever, chrome);
  p.setBrush(QColor(235, 235, 235));
  p.drawEllipse(QPointF(c.x(), tipY), 2.4, 1.4);
  if (on) {
    p.setBrush(QColor(30, 200, 60));
    p.drawEllipse(QPointF(17.5, 2.5), 1.6, 1.6);
  }
}

void Mains(QPainter& p, bool on) {
  Background(p, {42, 52});
  const QRectF body(2, 2, 38, 48);
  Bevel(p, body, 4, QColor(52, 54, 58), true, 1.2);
  // Indicator window: dark when the mains has failed, green when present.
  const QRectF lamp(9, 7, 24, 9);
  Bevel(p, lamp, 2, QColor(20, 24, 20), false, 0.8);
  if (on) {
    const QColor green = LampColour(Lamp::Green);
    Halo(p, lamp.center(), 12, green, 110);
    p.setPen(Qt::NoPen);
    p.setBrush(Mix(green, Qt::white, 0.45));
    p.drawRoundedRect(lamp.adjusted(1.5, 1.5, -1.5, -1.5), 1.5, 1.5);
  }
  // The alternating current mark.
  QPainterPath wave;
  wave.moveTo(9, 28);
  for (int i = 1; i <= 48; ++i) {
    const qreal x = 9 + 24.0 * i / 48;
    wave.lineTo(x, 28 - 5 * std::sin(2 * M_PI * i / 48));
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(on ? QColor(250, 250, 250) : QColor(120, 122, 126), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(wave);
  if (!on) {
    p.setPen(QPen(QColor(230, 40, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 35), QPointF(32, 21));
  }
  Text(p, QRectF(2, 36, 38, 12), Qt::AlignCenter, "MAINS", Sans(8, true),
       on ? QColor(240, 240, 240) : QColor(150, 150, 150));
}

void Fuse(QPainter& p, bool intact) {
  Background(p, {64, 24});
  Bevel(p, QRectF(2, 4, 60, 16), 2, QColor(36, 36, 38), true, 1);
  // Spring clips.
  for (qreal x : {6.0, 50.0}) {
    QLinearGradient brass(0, 5, 0, 19);
    brass.setColorAt(0, QColor(250, 232, 160));
    brass.setColorAt(1, QColor(150, 120, 50));
    p.fillRect(QRectF(x, 5, 8, 14), brass);
  }
  // Glass body, darkened and sooted when blown.
  const QRectF glass(16, 7, 32, 10);
  QLinearGradient tube(glass.topLeft(), glass.bottomLeft());
  tube.setColorAt(0, intact ? QColor(240, 248, 255) : QColor(200, 196, 190));
  tube.setColorAt(0.5, intact ? QColor(190, 210, 225) : QColor(130, 120, 112));
  tube.setColorAt(1, intact ? QColor(150, 170, 190) : QColor(90, 84, 80));
  p.setPen(Qt::NoPen);
  p.setBrush(tube);
  p.drawRect(glass);
  const QPointF middle = glass.center();
  if (intact) {
    p.setPen(QPen(QColor(90, 90, 96), 0.9));
    p.drawLine(QPointF(glass.left(), middle.y()), QPointF(glass.right(), middle.y()));
  } else {
    QRadialGradient soot(middle, 9);
    soot.setColorAt(0, QColor(20, 16, 14, 230));
    soot.setColorAt(1, QColor(20, 16, 14, 0));
    p.setBrush(soot);
    p.drawEllipse(middle, 10, 5);
    p.setPen(QPen(QColor(90, 90, 96), 0.9));
    p.drawLine(QPointF(glass.left(), middle.y()), QPointF(middle.x() - 5, middle.y() + 0.8));
    p.drawLine(QPointF(middle.x() + 4, middle.y() - 1), QPointF(glass.right(), middle.y()));
  }
  // End caps.
  for (qreal x : {12.0, 46.0}) {
    QLinearGradient metal(0, 6, 0, 18);
    metal.setColorAt(0, QColor(250, 250, 250));
    metal.setColorAt(0.5, QColor(180, 182, 186));
    metal.setColorAt(1, QColor(110, 112, 116));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(x, 6, 6, 12), 1.2, 1.2);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 120));
  p.drawRect(QRectF(18, 8.2, 28, 1.2));
}

// Relay: coil on the left, changeover blade on the right.
void Relay(QPainter& p, const QColor& accent, bool energised) {
  Background(p, {32, 32});
  const QRectF coil(3, 9, 9, 14);
  p.setPen(InkPen(1.2));
  p.drawLine(QPointF(7.5, 1), QPointF(7.5, coil.top()));
  p.drawLine(QPointF(7.5, coil.bottom()), QPointF(7.5, 31));
  p.setBrush(energised ? accent : QColor(230, 230, 230));
  p.drawRect(coil);
  p.drawLine(coil.topLeft(), coil.bottomRight());

  const QPointF pivot(19, 25), contact(27, 9);
  p.drawLine(pivot, QPointF(19, 31));
  p.drawLine(contact, QPointF(27, 1));
  p.drawLine(contact, QPointF(24.5, 9));
  const QPointF tip = energised ? QPointF(26, 10.2) : QPointF(30, 15.5);
  p.setPen(InkPen(1.6));
  p.drawLine(pivot, tip);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(pivot, 1.5, 1.5);
  p.drawEllipse(contact, 1.4, 1.4);
  // The armature link from coil to blade.
  p.setPen(QPen(energised ? accent.darker(130) : QColor(90, 90, 90), 1, Qt::DashLine));
  p.drawLine(QPointF(coil.right(), 16), (pivot + tip) / 2);
}

void EndOfLine(QPainter& p, bool capacitor) {
  Background(p, {11, 10});
  p.setPen(InkPen(1.1));
  if (capacitor) {
    p.drawLine(QPointF(0, 5), QPointF(4.3, 5));
    p.drawLine(QPointF(6.7, 5), QPointF(11, 5));
    p.setPen(QPen(QColor(20, 40, 140), 1.3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(4.6, 1.5), QPointF(4.6, 8.5));
    p.drawLine(QPointF(6.4, 1.5), QPointF(6.4, 8.5));
    return;
  }
  p.drawLine(QPointF(0, 5), QPointF(2.5, 5));
  p.drawLine(QPointF(8.5, 5), QPointF(11, 5));
  p.setBrush(QColor(214, 184, 120));
  p.drawRect(QRectF(2.5, 3, 6, 4));
}

void Sounder(QPainter& p, bool sounding) {
  Background(p, {32, 32});
  const QPointF c(16, 15);
  const QColor red = sounding ? QColor(228, 30, 26) : QColor(150, 70, 66);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 64));
  p.drawRoundedRect(QRectF(12, 26, 8, 4), 1, 1);
  Dome(p, c, 9, 9, red.lighter(sounding ? 170 : 130), red.darker(150), 80);
  p.setBrush(red.darker(140));
  p.drawEllipse(c, 2.6, 2.6);
  p.setBrush(QColor(255, 255, 255, 150));
  p.drawEllipse(c - QPointF(3.5, 3.5), 2, 1.4);
  if (!sounding) return;
  const QColor wave(250, 200, 40);
  SoundWaves(p, c, 11, 2, 3.2, wave, 1.5);
  p.save();
  p.translate(c);
  p.rotate(180);
  SoundWaves(p, QPointF(), 11, 2, 3.2, wave, 1.5);
  p.restore();
}

void InputToggle(QPainter& p, bool active) {
  Background(p, {11, 10});
  Bevel(p, QRectF(0.8, 0.5, 9.4, 9), 1.2, active ? QColor(222, 34, 28) : QColor(232, 232, 232), false, 1);
  if (!active) return;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 200, 190));
  p.drawEllipse(QPointF(5.5, 5), 1.8, 1.8);
}

// --- seven-segment digits ----------------------------------------------------

enum Segment { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };
constexpr int kDigitSegments[10] = {
    A | B | C | D | E | F, B | C,         A | B | D | E | G,     A | B | C | D | G, B | C | F | G,
    A | C | D | F | G,     A | C | D | E | F | G, A | B | C, A | B | C | D | E | F | G, A | B | C | D | F | G,
};

// A segment as an elongated hexagon between two points, slanted a little.
QPolygonF SegmentShape(QPointF from, QPointF to) {
  constexpr qreal kHalf = 1.15, kSlant = 0.12, kMiddleY = 11;
  const QPointF along = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
  const QPointF across(-along.y(), along.x());
  QPolygonF shape{from + along * 0.4, from + along * (kHalf + 0.4) + across * kHalf,
                  to - along * (kHalf + 0.4) + across * kHalf, to - along * 0.4,
                  to - along * (kHalf + 0.4) - across * kHalf, from + along * (kHalf + 0.4) - across * kHalf};
  for (QPointF& point : shape) point.rx() += (kMiddleY - point.y()) * kSlant;
  return shape;
}

void Digit(QPainter& p, int digit) {
  p.fillRect(QRectF(0, 0, 18, 22), QColor(22, 12, 12));
  const qreal l = 4.5, r = 13.5, t = 3, m = 11, b = 19;
  const std::pair<int, QPolygonF> segments[] = {
      {A, SegmentShape({l, t}, {r, t})}, {B, SegmentShape({r, t}, {r, m})},
      {C, SegmentShape({r, m}, {r, b})}, {D, SegmentShape({l, b}, {r, b})},
      {E, SegmentShape({l, m}, {l, b})}, {F, SegmentShape({l, t}, {l, m})},
      {G, SegmentShape({l, m}, {r, m})},
  };
  const int lit = digit < 10 ? kDigitSegments[digit] : 0;
  const QColor red(255, 44, 24);
  p.setPen(Qt::NoPen);
  for (const auto& [bit, shape] : segments) {
    if (!(lit & bit)) {
      p.setBrush(QColor(52, 24, 22));
      p.drawPolygon(shape);
    }
  }
  for (const auto& [bit, shape] : segments) {
    if (lit & bit) {
      p.setPen(QPen(QColor(255, 60, 30, 90), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(red);
      p.drawPolygon(shape);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 96, 64));
      p.drawPolygon(shape);
    }
  }
}

}  // namespace

void WriteHardwareLists(const QString& folder) {
  WriteList(folder, "LinkImages", {22, 11}, 2, [](QPainter& p, int f) { Link(p, f == 1); });
  WriteList(folder, "SmallLEDListYellow", {10, 10}, 2, [](QPainter& p, int f) { SmallLed(p, Lamp::Yellow, f == 1); });
  WriteList(folder, "SmallLEDListRed", {10, 10}, 2, [](QPainter& p, int f) { SmallLed(p, Lamp::Red, f == 1); });
  WriteList(folder, "SmallLEDListGreen", {10, 10}, 2, [](QPainter& p, int f) { SmallLed(p, Lamp::Green, f == 1); });
  WriteList(folder, "SwitchImages", {20, 20}, 2, [](QPainter& p, int f) { Toggle(p, f == 1); });
  WriteList(folder, "MainsSupplyImages", {42, 52}, 2, [](QPainter& p, int f) { Mains(p, f == 1); });
  WriteList(folder, "FuseImages", {64, 24}, 2, [](QPainter& p, int f) { Fuse(p, f == 1); });
  WriteList(folder, "FireRelayImages", {32, 32}, 2,
            [](QPainter& p, int f) { Relay(p, QColor(226, 40, 32), f == 1); });
  WriteList(folder, "FaultDisabledRelayImages", {32, 32}, 2,
            [](QPainter& p, int f) { Relay(p, QColor(250, 180, 0), f == 1); });
  WriteList(folder, "CapacitorEOLImages", {11, 10}, 2, [](QPainter& p, int f) { EndOfLine(p, f == 1); });
  WriteList(folder, "SounderImageList", {32, 32}, 2, [](QPainter& p, int f) { Sounder(p, f == 1); });
  WriteList(folder, "InputStatusToggle", {11, 10}, 2, [](QPainter& p, int f) { InputToggle(p, f == 1); });
}

void WriteCounterDigits(const QString& folder) {
  WriteList(folder, "SevenSegmentDisplay", {18, 22}, 11, [](QPainter& p, int f) { Digit(p, f); });
}

}  // namespace artwork
