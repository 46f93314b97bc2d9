// The bare circuit board of the cover-off view: the board picture, the three
// silk-screen strips laid over it and the board's own LED, switch, buzzer and
// selector images. Everything under a control is left as clean solder mask so
// the control's image, drawn on the same mask colour, sits in without a seam.

#include <QLinearGradient>
#include <QPainterPath>
#include <array>
#include <random>

#include "board/index.h"
#include "tools/artwork/artwork.h"

namespace artwork {

namespace {

const QColor kMask(24, 104, 56);
const QColor kCopper(50, 148, 78);
const QColor kSilk(236, 240, 232);
const QColor kTin(206, 208, 204);

QPen TrackPen(qreal width) { return QPen(kCopper, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Track(QPainter& p, const QPolygonF& path, qreal width = 1.6) {
  p.save();
  p.setPen(TrackPen(width));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(path);
  p.restore();
}

void Pad(QPainter& p, const QPointF& at, qreal radius = 1.9) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(kTin);
  p.drawEllipse(at, radius, radius);
  p.setBrush(QColor(60, 62, 60));
  p.drawEllipse(at, radius * 0.42, radius * 0.42);
  p.restore();
}

void Via(QPainter& p, const QPointF& at) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(kCopper.lighter(115));
  p.drawEllipse(at, 1.6, 1.6);
  p.setBrush(QColor(20, 60, 34));
  p.drawEllipse(at, 0.6, 0.6);
  p.restore();
}

void Silk(QPainter& p, const QRectF& box, const QString& text, qreal pixels = 6,
          int flags = Qt::AlignCenter) {
  Text(p, box, flags, text, Mono(pixels, true), kSilk);
}

void SilkOutline(QPainter& p, const QRectF& box) {
  p.save();
  p.setPen(QPen(kSilk, 0.8));
  p.setBrush(Qt::NoBrush);
  p.drawRect(box);
  p.restore();
}

// --- components --------------------------------------------------------------

class Parts {
 public:
  explicit Parts(QPainter& p) : p_(p), random_(4051) {}

  // An axial resistor lying from a to b (horizontal).
  void Resistor(QPointF a, QPointF b) {
    Leads(a, b);
    const qreal length = b.x() - a.x();
    const QRectF body(a.x() + length * 0.2, a.y() - 2.6, length * 0.6, 5.2);
    Body(body, 2.4, QColor(214, 190, 140));
    static const std::array<QColor, 6> kBands = {QColor(150, 80, 30), QColor(20, 20, 20), QColor(220, 40, 30),
                                                 QColor(240, 140, 20), QColor(240, 220, 40), QColor(60, 160, 60)};
    for (int i = 0; i < 3; ++i) {
      p_.fillRect(QRectF(body.left() + 2 + i * 2.6, body.top(), 1.3, body.height()), At(kBands, Pick(6)));
    }
    p_.fillRect(QRectF(body.right() - 3, body.top(), 1.3, body.height()), QColor(200, 160, 60));
  }

  void Diode(QPointF a, QPointF b, bool glass = true) {
    Leads(a, b);
    const qreal length = b.x() - a.x();
    const QRectF body(a.x() + length * 0.28, a.y() - 2, length * 0.44, 4);
    Body(body, 1.8, glass ? QColor(210, 110, 70) : QColor(30, 30, 32));
    p_.fillRect(QRectF(body.right() - 2.2, body.top(), 1.3, body.height()), glass ? QColor(30, 30, 30) : kTin);
  }

  void Ceramic(QPointF at) {
    Pad(p_, at - QPointF(2.5, 0), 1.4);
    Pad(p_, at + QPointF(2.5, 0), 1.4);
    Dome(p_, at, 4, 2.8, QColor(255, 200, 90), QColor(200, 120, 30), 70);
  }

  void Electrolytic(QPointF at, qreal r, const QString& ref) {
    p_.save();
    p_.setPen(QPen(kSilk, 0.8));
    p_.setBrush(Qt::NoBrush);
    p_.drawEllipse(at, r + 1.6, r + 1.6);
    Dome(p_, at, r, r, QColor(70, 80, 150), QColor(14, 18, 60));
    p_.setPen(Qt::NoPen);
    // The minus stripe and the silver top with its vent.
    p_.setBrush(QColor(150, 170, 220));
    p_.drawPie(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), 200 * 16, 40 * 16);
    p_.setBrush(QColor(180, 182, 186));
    p_.drawEllipse(at, r * 0.72, r * 0.72);
    p_.setPen(QPen(QColor(110, 112, 116), qMax(0.6, r * 0.08)));
    p_.drawLine(at - QPointF(r * 0.5, 0), at + QPointF(r * 0.5, 0));
    p_.drawLine(at - QPointF(0, r * 0.5), at + QPointF(0, r * 0.5));
    p_.restore();
    Silk(p_, QRectF(at.x() - 20, at.y() + r + 1.5, 40, 8), ref);
  }

  void Transistor(QPointF at) {
    for (int i = -1; i <= 1; ++i) Pad(p_, at + QPointF(i * 3.2, 1), 1.3);
    QPainterPath body;
    body.moveTo(at + QPointF(-5, 2.4));
    body.arcTo(QRectF(at.x() - 5, at.y() - 5, 10, 10), 180, -180);
    body.closeSubpath();
    p_.save();
    p_.fillPath(body.translated(0.6, 0.8), QColor(0, 0, 0, 80));
    p_.fillPath(body, QColor(34, 34, 36));
    Sheen(p_, body, true);
    p_.restore();
  }

  // A dual-in-line package seen from above: pins along the long sides.
  void Dip(const QRectF& body, int pinsPerSide, const QString& marking, const QString& ref) {
    const qreal pitch = body.width() / pinsPerSide;
    p_.save();
    p_.setPen(Qt::NoPen);
    for (int i = 0; i < pinsPerSide; ++i) {
      const qreal x = body.left() + pitch * (i + 0.5) - 1.2;
      p_.fillRect(QRectF(x, body.top() - 2.4, 2.4, 2.6), kTin);
      p_.fillRect(QRectF(x, body.bottom() - 0.2, 2.4, 2.6), kTin);
    }
    p_.setBrush(QColor(0, 0, 0, 90));
    p_.drawRect(body.translated(1, 1.5));
    Bevel(p_, body, 1, QColor(36, 36, 38), true, 0.8);
    p_.setBrush(QColor(20, 20, 22));
    p_.drawEllipse(QPointF(body.left(), body.center().y()), 2.2, 2.8);
    p_.setBrush(QColor(60, 60, 62));
    p_.drawEllipse(body.topLeft() + QPointF(4, body.height() - 4), 1.2, 1.2);
    p_.restore();
    Text(p_, body.adjusted(5, 0, 0, 0), Qt::AlignCenter, marking, Mono(qMin(7.0, body.height() * 0.32)),
         QColor(190, 190, 186));
    Silk(p_, QRectF(body.left() - 30, body.center().y() - 4, 26, 8), ref, 6, Qt::AlignRight | Qt::AlignVCenter);
  }

  void Relay(const QRectF& body, const QString& ref, const QString& rating) {
    p_.save();
    p_.setPen(Qt::NoPen);
    p_.setBrush(QColor(0, 0, 0, 100));
    p_.drawRoundedRect(body.translated(1.5, 2), 2, 2);
    p_.restore();
    Bevel(p_, body, 2, QColor(30, 70, 160), true, 1);
    Text(p_, body.adjusted(0, 3, 0, -body.height() / 2), Qt::AlignCenter, ref, Sans(8, true), Qt::white);
    Text(p_, body.adjusted(0, body.height() / 2, 0, -3), Qt::AlignCenter, rating, Sans(6), QColor(220, 228, 245));
  }

  void Regulator(const QRectF& sink, const QString& ref) {
    Bevel(p_, sink, 1, QColor(176, 178, 182), true, 1);
    p_.save();
    for (qreal x = sink.left() + 3; x < sink.right() - 2; x += 4) {
      p_.fillRect(QRectF(x, sink.top() + 1, 1.4, sink.height() - 2), QColor(120, 122, 126));
    }
    const QRectF tab(sink.center().x() - 8, sink.bottom() - 12, 16, 18);
    p_.fillRect(tab.adjusted(0, 0, 0, -12), QColor(200, 202, 206));
    Bevel(p_, tab.adjusted(0, 5, 0, 0), 1, QColor(30, 30, 32), true, 0.8);
    p_.restore();
    for (int i = -1; i <= 1; ++i) Pad(p_, QPointF(tab.center().x() + i * 5, tab.bottom() + 3));
    Silk(p_, QRectF(sink.right() + 2, sink.top(), 24, 8), ref, 6, Qt::AlignLeft);
  }

  void Crystal(const QRectF& body) {
    Pad(p_, QPointF(body.left() + 4, body.center().y()));
    Pad(p_, QPointF(body.right() - 4, body.center().y()));
    Bevel(p_, body, body.height() / 2, QColor(200, 202, 206), true, 1);
    Text(p_, body, Qt::AlignCenter, "11.059", Mono(5), QColor(70, 70, 70));
  }

  void FuseHolder(const QRectF& box, const QString& ref, const QString& rating) {
    SilkOutline(p_, box.adjusted(-2, -2, 2, 2));
    for (qreal x : {box.left(), box.right() - 8}) {
      QLinearGradient brass(0, box.top(), 0, box.bottom());
      brass.setColorAt(0, QColor(250, 232, 160));
      brass.setColorAt(1, QColor(150, 120, 50));
      p_.fillRect(QRectF(x, box.top(), 8, box.height()), brass);
    }
    const QRectF glass = box.adjusted(5, 3, -5, -3);
    QLinearGradient tube(glass.topLeft(), glass.bottomLeft());
    tube.setColorAt(0, QColor(240, 248, 255));
    tube.setColorAt(1, QColor(150, 170, 190));
    p_.fillRect(glass, tube);
    p_.fillRect(QRectF(glass.left(), glass.top(), 5, glass.height()), QColor(200, 202, 206));
    p_.fillRect(QRectF(glass.right() - 5, glass.top(), 5, glass.height()), QColor(200, 202, 206));
    p_.setPen(QPen(QColor(90, 90, 96), 0.7));
    p_.drawLine(QPointF(glass.left() + 5, glass.center().y()), QPointF(glass.right() - 5, glass.center().y()));
    Silk(p_, QRectF(box.left(), box.bottom() + 2, box.width(), 8), ref + " " + rating);
  }

  void TerminalBlock(qreal left, qreal top, int ways, const QString& label) {
    constexpr qreal kPitch = 10;
    const QRectF body(left, top, ways * kPitch, 18);
    Bevel(p_, body, 1, QColor(40, 140, 70), true, 1);
    for (int i = 0; i < ways; ++i) {
      const QPointF screw(left + kPitch * (i + 0.5), top + 7);
      p_.save();
      p_.setPen(Qt::NoPen);
      p_.setBrush(QColor(20, 70, 36));
      p_.drawEllipse(screw, 3.9, 3.9);
      Dome(p_, screw, 3.2, 3.2, QColor(250, 250, 250), QColor(140, 142, 146), 0);
      p_.setPen(QPen(QColor(70, 70, 74), 1));
      p_.drawLine(screw + QPointF(-2.2, 1.2), screw + QPointF(2.2, -1.2));
      p_.restore();
      p_.fillRect(QRectF(screw.x() - 2.5, top + 13, 5, 3.5), QColor(16, 50, 26));
    }
    Silk(p_, QRectF(left, top + 19, body.width(), 8), label);
  }

  void BoxHeader(const QRectF& body, int pairs, const QString& ref) {
    Bevel(p_, body, 1, QColor(32, 32, 34), true, 1);
    const qreal pitch = (body.width() - 8) / pairs;
    for (int i = 0; i < pairs; ++i) {
      for (int row = 0; row < 2; ++row) {
        p_.fillRect(QRectF(body.left() + 4 + pitch * (i + 0.5) - 1.2, body.center().y() - 4 + row * 6, 2.4, 2.4),
                    QColor(230, 200, 110));
      }
    }
    p_.fillRect(QRectF(body.center().x() - 5, body.bottom() - 2, 10, 2), QColor(12, 12, 12));
    Silk(p_, QRectF(body.left(), body.top() - 9, body.width(), 8), ref);
  }

  void Sil(const QRectF& body, const QString& ref) {
    Bevel(p_, body, 1.5, QColor(230, 210, 120), true, 0.8);
    p_.fillRect(QRectF(body.left() + 1, body.top() + 1, 2, 2), QColor(40, 40, 40));
    Silk(p_, QRectF(body.left() - 2, body.bottom() + 1, body.width() + 4, 8), ref);
  }

  void MountingHole(QPointF at) {
    p_.save();
    p_.setPen(Qt::NoPen);
    p_.setBrush(kTin);
    p_.drawEllipse(at, 6.5, 6.5);
    p_.setBrush(QColor(28, 28, 30));
    p_.drawEllipse(at, 3.8, 3.8);
    p_.restore();
  }

 private:
  void Leads(QPointF a, QPointF b) {
    p_.save();
    p_.setPen(QPen(QColor(170, 172, 176), 0.9));
    p_.drawLine(a, b);
    p_.restore();
    Pad(p_, a);
    Pad(p_, b);
  }

  void Body(const QRectF& body, qreal radius, const QColor& colour) {
    QPainterPath shape;
    shape.addRoundedRect(body, radius, radius);
    p_.save();
    p_.fillPath(shape.translated(0.5, 0.9), QColor(0, 0, 0, 70));
    p_.fillPath(shape, colour);
    Sheen(p_, shape, true);
    p_.restore();
  }

  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  QPainter& p_;
  std::mt19937 random_;
};

// --- the board picture (client coordinates; the caller shifts it) ------------

int ZoneCentre(int zone) { return kZoneRows[zone] + kLedSize / 2; }

void FieldTerminals(QPainter& p, Parts& parts) {
  parts.TerminalBlock(30, 0, 16, "");
  parts.TerminalBlock(200, 0, 4, "SNDR");
  parts.TerminalBlock(250, 0, 3, "FIRE");
  parts.TerminalBlock(290, 0, 3, "FLT");
  parts.TerminalBlock(330, 0, 3, "IN");
  parts.TerminalBlock(370, 0, 2, "AUX");
  parts.TerminalBlock(400, 0, 2, "BATT");
  parts.TerminalBlock(430, 0, 2, "24V");
  // Zone lines run down the left edge to their input stages.
  for (int zone = 0; zone < 8; ++zone) {
    const qreal x = 35 + zone * 20;
    const qreal lane = 5 + zone * 2.2;
    Track(p, {QPointF(x, 18), QPointF(x, 27 - zone), QPointF(lane, 30 - zone * 0.5), QPointF(lane, ZoneCentre(zone)),
              QPointF(18, ZoneCentre(zone))},
          1.2);
  }
}

void Processor(QPainter& p, Parts& parts) {
  parts.Dip(QRectF(70, 38, 160, 38), 20, "80C32-16", "U1");
  // The program memory, its window covered by the version label.
  const QRectF eprom(250, 40, 112, 34);
  parts.Dip(eprom, 14, "", "U2");
  const QRectF label = eprom.adjusted(26, 5, -26, -5);
  p.fillRect(label, QColor(246, 244, 236));
  Text(p, label.adjusted(0, 1, 0, -label.height() / 2), Qt::AlignCenter, "SW518-207", Mono(6, true), Qt::black);
  Text(p, label.adjusted(0, label.height() / 2, 0, -1), Qt::AlignCenter, "V1.00A", Mono(6), Qt::black);
  parts.Crystal(QRectF(30, 84, 28, 10));
  Silk(p, QRectF(30, 95, 28, 8), "X1");
  parts.Ceramic(QPointF(66, 89));
  parts.Ceramic(QPointF(66, 99));
  parts.Dip(QRectF(100, 90, 80, 24), 10, "74HC573", "U3");
  parts.Dip(QRectF(216, 90, 64, 24), 8, "74HC595", "U4");
  Silk(p, QRectF(40, 104, 60, 8), "C1 C2", 6, Qt::AlignLeft);
  // Data bus from the processor and the program memory to the latches.
  for (int k = 0; k < 10; ++k) {
    const qreal x = 106 + 8 * k;
    Track(p, {QPointF(x, 78), QPointF(x, 83), QPointF(x - 2, 88)}, 1.1);
  }
  for (qreal x : {218.0, 226.0, 262.0, 270.0, 278.0}) {
    Track(p, {QPointF(x, 77), QPointF(x, 83), QPointF(x + 2, 88)}, 1.1);
  }
  for (qreal x : {236.0, 244.0, 252.0}) Via(p, QPointF(x, 83));
}

// One input stage per zone, in line with the zone's indicators.
void ZoneStages(QPainter& p, Parts& parts) {
  for (int zone = 0; zone < 8; ++zone) {
    const qreal y = ZoneCentre(zone);
    Track(p, {QPointF(18, y), QPointF(kZoneFireX + 2, y)});
    Track(p, {QPointF(272, y), QPointF(272, y + 8), QPointF(kZoneFaultX + 4, y + 8), QPointF(kZoneFaultX + 4, y + 5)},
          1.2);
    const QString n = QString::number(zone + 1);
    parts.Resistor({20, y}, {50, y});
    parts.Diode({56, y}, {80, y});
    parts.Ceramic({92, y});
    parts.Resistor({104, y}, {134, y});
    parts.Transistor({150, y - 1});
    parts.Resistor({166, y}, {196, y});
    parts.Electrolytic({214, y}, 5, "");
    parts.Resistor({232, y}, {262, y});
    Silk(p, QRectF(20, y - 13, 30, 7), "R" + QString::number(10 + zone * 4));
    Silk(p, QRectF(56, y - 13, 24, 7), "ZD" + n);
    Silk(p, QRectF(140, y - 14, 20, 7), "Q" + n);
    Silk(p, QRectF(232, y - 13, 30, 7), "R" + QString::number(12 + zone * 4));
    Via(p, QPointF(272, y));
  }
}

void OutputSection(QPainter& p, Parts& parts) {
  parts.Relay(QRectF(392, 96, 58, 38), "K1", "24VDC FIRE");
  parts.Relay(QRectF(392, 146, 58, 38), "K2", "24VDC FAULT");
  parts.Regulator(QRectF(470, 94, 56, 30), "U10");
  parts.Electrolytic({574, 112}, 14, "C30 2200u");
  parts.Electrolytic({604, 158}, 10, "C31");
  parts.Electrolytic({552, 164}, 8, "C32");
  parts.Diode({470, 150}, {510, 150}, false);
  parts.Diode({470, 164}, {510, 164}, false);
  parts.Diode({470, 178}, {510, 178}, false);
  Silk(p, QRectF(470, 184, 40, 8), "D20-22");
  parts.Dip(QRectF(420, 206, 74, 24), 9, "ULN2803", "U5");
  parts.Dip(QRectF(530, 206, 60, 24), 7, "LM339", "U6");
  parts.Dip(QRectF(420, 246, 64, 24), 8, "74HC165", "U7");
  parts.Sil(QRectF(530, 246, 48, 7), "RN1");
  parts.Sil(QRectF(530, 264, 48, 7), "RN2");
  parts.FuseHolder(QRectF(394, 288, 56, 14), "F1", "1.6AT");
  parts.FuseHolder(QRectF(394, 320, 56, 14), "F2", "500mAT");
  parts.BoxHeader(QRectF(486, 310, 100, 20), 10, "J4 FASCIA");
  // Each key and common indicator drops through a via to the far side.
  for (const Key& key : kKeys) {
    const qreal y = key.y + kButtonSize / 2.0;
    Track(p, {QPointF(kButtonX + 2, y), QPointF(606, y)});
    Via(p, QPointF(606, y));
  }
  for (const CommonLed& led : kCommonLeds) {
    const qreal y = led.y + kLedSize / 2.0;
    Track(p, {QPointF(kCommonX + 8, y), QPointF(384, y)}, 1.2);
    Via(p, QPointF(384, y));
  }
  for (int i = 0; i < 5; ++i) {
    const qreal y = 102 + i * 6;
    Track(p, {QPointF(452, y), QPointF(462, y), QPointF(462, 200)}, 1.0);
  }
  for (int i = 0; i < 9; ++i) {
    const qreal x = 424 + i * 8;
    Track(p, {QPointF(x, 232), QPointF(x, 242)}, 1.0);
  }
  for (int i = 0; i < 4; ++i) Via(p, QPointF(506 + i * 7, 286));
}

void TopRight(Parts& parts) {
  parts.BoxHeader(QRectF(470, 36, 110, 20), 10, "J3 EXPANSION");
  parts.Dip(QRectF(600, 36, 48, 22), 4, "24C02", "U8");
  parts.Dip(QRectF(600, 66, 48, 22), 4, "MAX690", "U9");
  parts.Ceramic({392, 70});
  parts.Ceramic({410, 70});
  parts.Electrolytic({438, 64}, 7, "C5");
  parts.BoxHeader(QRectF(732, 142, 40, 18), 3, "J5 VdS");
  parts.BoxHeader(QRectF(732, 72, 40, 18), 3, "J6");
  parts.Electrolytic({764, 112}, 6, "C9");
}

void SwitchMarks(QPainter& p) {
  for (const QPoint& at : {kBoardKeyswitch, kCoverOffSwitch}) {
    SilkOutline(p, QRectF(at, QSizeF(kButtonSize, kButtonSize)).adjusted(-2, -2, 2, 2));
  }
  Silk(p, QRectF(kBoardKeyswitch.x() + 2, kBoardKeyswitch.y() - 11, 44, 8), "S9 KEY", 6, Qt::AlignLeft);
  Silk(p, QRectF(kCoverOffSwitch.x() + 2, kCoverOffSwitch.y() + 32, 44, 8), "S10 COVER", 6, Qt::AlignLeft);
  Silk(p, QRectF(kInternalTone.left(), kInternalTone.top() - 10, 32, 8), "BZ1");
  for (const Key& key : kKeys) SilkOutline(p, QRectF(KeyRect(key.y)).adjusted(-2, -2, 2, 2));
}

// The view selectors sit in a switch block soldered to the board and marked
// in its print like every other part, not on a piece of fascia.
void SelectorBlock(QPainter& p) {
  const QRectF block(kSelectorTray);
  SilkOutline(p, block.adjusted(-2, -2, 2, 2));
  p.fillRect(block, TrayColour());
  Silk(p, QRectF(block.left() - 38, block.top() + 13, 34, 8), "S11 VIEW", 6, Qt::AlignRight);
}

void BoardPrint(QPainter& p) {
  Silk(p, QRectF(20, 340, 270, 10), "QX40 CONTROL BOARD  PCB 518-200 ISS 3", 7, Qt::AlignLeft);
  Silk(p, QRectF(486, 340, 140, 10), "94V-0  0703", 6, Qt::AlignLeft);
}

// The whole board in client coordinates; the silk-screen strips are crops of
// it with their print added, so tracks run on beneath them.
void PaintBoard(QPainter& p) {
  p.fillRect(QRectF(QPointF(0, -kBoardOffsetY), kBoardPictureSize), kMask);
  Parts parts(p);
  parts.MountingHole({12, 0});
  parts.MountingHole({762, 2});
  parts.MountingHole({12, 344});
  parts.MountingHole({714, 340});
  FieldTerminals(p, parts);
  Processor(p, parts);
  ZoneStages(p, parts);
  OutputSection(p, parts);
  TopRight(parts);
  SwitchMarks(p);
  BoardPrint(p);
  SelectorBlock(p);
}

QImage BoardPicture() {
  return Render(kBoardPictureSize, 2, [](QPainter& p) {
    p.translate(0, kBoardOffsetY);
    PaintBoard(p);
  });
}

// --- silk-screen strips and the board's own images -------------------------

QImage SilkStrip(const QRect& where, const std::function<void(QPainter&)>& print) {
  return Render(where.size(), 2, [&](QPainter& p) {
    p.translate(-where.topLeft());
    PaintBoard(p);
    print(p);
  });
}

void ZoneNumbers(QPainter& p) {
  for (int zone = 0; zone < 8; ++zone) {
    Silk(p, QRectF(kZoneNumberSilkScreen.left(), ZoneCentre(zone) - 5, 9, 10), QString::number(zone + 1), 8);
  }
}

void SystemMarks(QPainter& p) {
  for (const CommonLed& led : kCommonLeds) {
    if (led.y < kSystemNumberSilkScreen.top()) continue;
    Silk(p, QRectF(kSystemNumberSilkScreen.left(), led.y + 1, 14, 9), led.boardMark, 7);
  }
}

void KeyNames(QPainter& p) {
  const qreal left = kButtonSilkScreen.left();
  for (int i = 0; i < 8; ++i) {
    const qreal top = kKeys[i].y;
    p.setPen(QPen(kSilk, 0.8));
    Silk(p, QRectF(left + 3, top + 3, 60, 9), "S" + QString::number(i + 1), 7, Qt::AlignLeft);
    Silk(p, QRectF(left + 3, top + 14, 64, 9), kKeys[i].boardName, 6, Qt::AlignLeft);
  }
}

void BoardLed(QPainter& p, Lamp lamp, bool lit) {
  p.fillRect(QRectF(0, 0, kLedSize, kLedSize), kMask);
  const QPointF c(5.5, 5.5);
  p.save();
  p.setPen(QPen(kSilk, 0.7));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(0.6, 0.6, 9.8, 9.8), 30 * 16, 300 * 16);
  p.drawLine(QPointF(9.7, 3), QPointF(9.7, 8));
  p.restore();
  Lens(p, c, 3.9, LampColour(lamp), lit, 5.6);
}

void TactSwitch(QPainter& p, bool pressed) {
  p.fillRect(QRectF(0, 0, kButtonSize, kButtonSize), kMask);
  for (const QPointF& leg : {QPointF(4, 4), QPointF(25, 4), QPointF(4, 25), QPointF(25, 25)}) Pad(p, leg, 2.4);
  const QRectF body(4, 4, 21, 21);
  Bevel(p, body, 1.5, QColor(190, 192, 196), true, 1);
  p.fillRect(body.adjusted(3, 3, -3, -3), QColor(40, 40, 42));
  const QPointF c = body.center() + (pressed ? QPointF(0.4, 0.6) : QPointF());
  const qreal r = pressed ? 5.6 : 6.2;
  QPainterPath cap;
  cap.addEllipse(c, r, r);
  p.save();
  if (!pressed) p.fillPath(cap.translated(0.8, 1.2), QColor(0, 0, 0, 150));
  p.fillPath(cap, pressed ? QColor(150, 30, 26) : QColor(210, 44, 36));
  Sheen(p, cap, !pressed);
  p.restore();
}

void Piezo(QPainter& p, bool sounding) {
  p.fillRect(QRectF(0, 0, 32, 32), kMask);
  const QPointF c(16, 16);
  p.save();
  p.setPen(QPen(kSilk, 0.7));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(c, 12.6, 12.6);
  Dome(p, c, 11, 11, QColor(70, 70, 74), QColor(16, 16, 18), 110);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(4, 4, 4));
  p.drawEllipse(c, 2.4, 2.4);
  p.restore();
  Text(p, QRectF(4, 1, 8, 8), Qt::AlignCenter, "+", Mono(8, true), kSilk);
  if (!sounding) return;
  const QColor wave(255, 230, 80);
  Halo(p, c, 5, wave, 160);
  p.save();
  p.setPen(QPen(wave, 1.3));
  p.setBrush(Qt::NoBrush);
  for (qreal r : {5.0, 8.0}) p.drawEllipse(c, r, r);
  p.restore();
}

void BoardMark(QPainter& p) {
  const QRectF chip(7, 8, 10, 8);
  for (int i = 0; i < 3; ++i) {
    p.fillRect(QRectF(8.2 + i * 3.2, 5.6, 1.4, 2.6), kTin);
    p.fillRect(QRectF(8.2 + i * 3.2, 15.8, 1.4, 2.6), kTin);
  }
  p.fillRect(chip, QColor(20, 20, 22));
}

}  // namespace

void WriteBoard(const QString& folder) {
  WritePicture(folder, "PCBBackImage", BoardPicture());
  WritePicture(folder, "ZoneNumberSilkScreen", SilkStrip(kZoneNumberSilkScreen, ZoneNumbers));
  WritePicture(folder, "SystemNumberSilkScreen", SilkStrip(kSystemNumberSilkScreen, SystemMarks));
  WritePicture(folder, "ButtonSilkScreen", SilkStrip(kButtonSilkScreen, KeyNames));
  const QSize led(kLedSize, kLedSize);
  WriteList(folder, "PCBRedLEDDisplay", led, 2, [](QPainter& p, int f) { BoardLed(p, Lamp::Red, f == 1); });
  WriteList(folder, "PCBYellowLEDDisplay", led, 2, [](QPainter& p, int f) { BoardLed(p, Lamp::Yellow, f == 1); });
  WriteList(folder, "PCBGreenLEDDisplay", led, 2, [](QPainter& p, int f) { BoardLed(p, Lamp::Green, f == 1); });
  WriteList(folder, "PCBButtonDisplay", QSize(kButtonSize, kButtonSize), 2,
            [](QPainter& p, int f) { TactSwitch(p, f == 1); });
  WriteList(folder, "PCBInternalToneImages", kInternalTone.size(), 2, [](QPainter& p, int f) { Piezo(p, f == 1); });
  WriteList(folder, "PCBButtonImages", QSize(kSelectorSize, kSelectorSize), 2,
            [](QPainter& p, int f) { Selector(p, QColor(30, 130, 70), false, f == 1, BoardMark); });
}

}  // namespace artwork
