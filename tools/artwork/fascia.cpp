// The two moulded fascias, Marvane and Corvella, and the image lists of their
// buttons, LEDs, keyswitch, buzzer grille and view selector. Every control
// image is a crop of the socket the fascia draws at the control's place, so
// images and picture meet without a seam.

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "tools/artwork/artwork.h"

namespace artwork {

namespace {

struct Brand {
  QString name;
  bool corvella;
  QColor rim;         // the enclosure around the moulded face
  QColor faceTop, faceBottom;
  QColor accent;      // brand colour: bands, wordmark, badge
  QColor panel;       // recessed panels behind indicators and keys
  QColor keyWell, keyCap;
  QColor plate;       // keyswitch and buzzer plates
  QColor plateInk;    // legends printed on the plates
};

Brand Marvane() {
  return {"Marvane",         false,
          QColor(66, 68, 72), QColor(216, 217, 212), QColor(196, 197, 192),
          QColor(196, 28, 34), QColor(226, 227, 222),
          QColor(60, 62, 66), QColor(98, 102, 110),
          QColor(184, 186, 182), QColor(40, 40, 40)};
}

Brand Corvella() {
  return {"Corvella",         true,
          QColor(22, 36, 72),  QColor(238, 234, 224), QColor(222, 218, 206),
          QColor(28, 54, 116), QColor(246, 243, 235),
          QColor(208, 203, 192), QColor(38, 82, 172),
          QColor(30, 50, 100), QColor(240, 240, 240)};
}

QPointF Centre(const QRectF& box) { return box.center(); }

// --- sockets: drawn on the fascia and again under each image -------------

void LedSocket(QPainter& p, const Brand& brand, const QRectF& led) {
  const QPointF c = Centre(led);
  p.save();
  p.setPen(Qt::NoPen);
  if (brand.corvella) {
    const QRectF window(c.x() - 7.5, c.y() - 7.5, 15, 15);
    Bevel(p, window, 2.5, QColor(12, 12, 14), false, 1.2);
  } else {
    // A chrome bezel ring pressed into the face.
    QLinearGradient chrome(c - QPointF(8, 8), c + QPointF(8, 8));
    chrome.setColorAt(0, QColor(250, 250, 250));
    chrome.setColorAt(0.5, QColor(168, 170, 174));
    chrome.setColorAt(1, QColor(96, 98, 102));
    p.setBrush(chrome);
    p.drawEllipse(c, 8.1, 8.1);
    p.setBrush(QColor(36, 36, 38));
    p.drawEllipse(c, 6.7, 6.7);
    p.setBrush(QColor(14, 14, 16));
    p.drawEllipse(c, 6.1, 6.1);
  }
  p.restore();
}

void FireLedSocket(QPainter& p, const QRectF& led) {
  const QPointF c = Centre(led);
  Bevel(p, QRectF(c.x() - 8, c.y() - 8, 16, 16), 2.5, QColor(190, 22, 26), true, 1.0);
  p.fillRect(QRectF(c.x() - 6, c.y() - 6, 12, 12), QColor(14, 10, 10));
}

void KeySocket(QPainter& p, const Brand& brand, const QRectF& key) {
  Bevel(p, key.adjusted(-3, -3, 3, 3), brand.corvella ? 7 : 5, brand.keyWell, false, 1.5);
}

void KeyswitchPlate(QPainter& p, const Brand& brand, const QRectF& box) {
  Bevel(p, box.adjusted(-4, -4, 4, 4), brand.corvella ? 6 : 9, brand.plate, !brand.corvella, 1.5);
}

void BuzzerPlate(QPainter& p, const Brand& brand, const QRectF& box) {
  Bevel(p, box.adjusted(-3, -3, 3, 3), 5, brand.corvella ? brand.plate : brand.keyWell, false, 1.2);
}

// --- image content ---------------------------------------------------------

void LedFrame(QPainter& p, const Brand& brand, Lamp lamp, bool lit) {
  const QRectF led(0, 0, kLedSize, kLedSize);
  LedSocket(p, brand, led);
  Lens(p, Centre(led), brand.corvella ? 3.5 : 3.9, LampColour(lamp), lit, 5.7);
}

void CorvellaFireLedFrame(QPainter& p, bool lit) {
  const QRectF led(0, 0, kLedSize, kLedSize);
  FireLedSocket(p, led);
  const QColor red = LampColour(Lamp::Red);
  const QRectF lens(1.6, 1.6, 7.8, 7.8);
  p.save();
  p.setPen(Qt::NoPen);
  if (lit) Halo(p, Centre(led), 7.5, red, 200);
  QRadialGradient body(Centre(lens), 5.5, Centre(lens) - QPointF(1.8, 1.8));
  body.setColorAt(0, lit ? Mix(red, Qt::white, 0.8) : Mix(red, Qt::black, 0.5));
  body.setColorAt(0.6, lit ? Mix(red, Qt::white, 0.2) : Mix(red, Qt::black, 0.72));
  body.setColorAt(1, lit ? red : Mix(red, Qt::black, 0.82));
  p.setBrush(body);
  p.drawRoundedRect(lens, 1.5, 1.5);
  p.setBrush(QColor(255, 255, 255, lit ? 200 : 110));
  p.drawRoundedRect(QRectF(2.6, 2.4, 3.6, 1.4), 0.7, 0.7);
  p.restore();
}

void KeyFrame(QPainter& p, const Brand& brand, bool pressed) {
  const QRectF key(0, 0, kButtonSize, kButtonSize);
  KeySocket(p, brand, key);
  QPainterPath cap;
  if (brand.corvella) {
    const qreal r = pressed ? 11.4 : 12;
    cap.addEllipse(Centre(key) + (pressed ? QPointF(0.7, 0.9) : QPointF()), r, r);
  } else {
    const QRectF body = pressed ? QRectF(2.3, 2.5, 25, 25) : QRectF(1.6, 1.6, 25.6, 25.6);
    cap.addRoundedRect(body, 4, 4);
  }
  p.save();
  if (!pressed) p.fillPath(cap.translated(0.9, 1.4), QColor(0, 0, 0, 120));
  const QColor face = pressed ? brand.keyCap.darker(125) : brand.keyCap;
  p.fillPath(cap, face);
  Sheen(p, cap, !pressed);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(pressed ? QColor(0, 0, 0, 110) : QColor(255, 255, 255, 90), 0.8));
  p.drawPath(cap);
  // The embossed ring that the finger finds.
  const QPointF middle = cap.boundingRect().center();
  p.setPen(QPen(pressed ? QColor(0, 0, 0, 70) : QColor(255, 255, 255, 70), 0.9));
  p.drawEllipse(middle, 5.5, 5.5);
  p.setPen(QPen(QColor(0, 0, 0, pressed ? 40 : 60), 0.9));
  p.drawEllipse(middle + QPointF(0.5, 0.6), 5.5, 5.5);
  p.restore();
}

QPointF Towards(const QPointF& from, qreal degrees, qreal distance) {
  const qreal rad = qDegreesToRadians(degrees);
  return from + QPointF(std::cos(rad), std::sin(rad)) * distance;
}

// Off: the key lies to the right (three o'clock); on: turned a quarter turn
// anticlockwise to the top, the side the window's drag rule calls on.
void KeyswitchFrame(QPainter& p, const Brand& brand, bool on) {
  const QRectF box(0, 0, kKeyswitch.width(), kKeyswitch.height());
  KeyswitchPlate(p, brand, box);
  const QPointF c(34.5, 40.5);
  const qreal offAngle = 0, onAngle = -90;

  const QFont legend = Sans(8, true);
  Text(p, QRectF(c.x() - 15, 3, 30, 10), Qt::AlignCenter, "ON", legend, brand.plateInk);
  Text(p, QRectF(57, c.y() - 5, 18, 10), Qt::AlignCenter, "OFF", legend, brand.plateInk);
  p.save();
  p.setPen(QPen(brand.plateInk, 1.4, Qt::SolidLine, Qt::RoundCap));
  for (qreal angle : {offAngle, onAngle}) p.drawLine(Towards(c, angle, 21.5), Towards(c, angle, 24.5));

  // Bezel and cylinder.
  p.setPen(Qt::NoPen);
  QLinearGradient ring(c - QPointF(20, 20), c + QPointF(20, 20));
  ring.setColorAt(0, brand.corvella ? QColor(90, 92, 98) : QColor(252, 252, 252));
  ring.setColorAt(0.5, brand.corvella ? QColor(30, 30, 34) : QColor(165, 167, 171));
  ring.setColorAt(1, brand.corvella ? QColor(8, 8, 10) : QColor(88, 90, 94));
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawEllipse(c + QPointF(1, 1.6), 20, 20);
  p.setBrush(ring);
  p.drawEllipse(c, 20, 20);
  const QColor metal = brand.corvella ? QColor(205, 208, 212) : QColor(214, 184, 110);
  p.setBrush(QColor(20, 20, 20));
  p.drawEllipse(c, 15.6, 15.6);
  Dome(p, c, 15, 15, metal.lighter(125), metal.darker(140), 0);

  // The key, with its shadow on the cylinder.
  p.translate(c);
  p.rotate(on ? onAngle : offAngle);
  const QRectF bow(-8, -5.5, 28, 11);
  const QColor keyColour = brand.corvella ? QColor(196, 160, 70) : QColor(48, 50, 54);
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawRoundedRect(bow.translated(on ? 1.8 : 1.2, on ? -1.2 : 1.8), 5, 5);
  QLinearGradient body(0, -6, 0, 6);
  body.setColorAt(0, keyColour.lighter(150));
  body.setColorAt(0.5, keyColour);
  body.setColorAt(1, keyColour.darker(160));
  p.setBrush(body);
  p.drawRoundedRect(bow, 5, 5);
  p.setBrush(QColor(0, 0, 0, 130));
  p.drawEllipse(QPointF(12.5, 0), 2.2, 2.2);
  // The pointer that names the position.
  p.setBrush(brand.corvella ? QColor(40, 30, 10) : QColor(250, 250, 250));
  p.drawPolygon(QPolygonF({QPointF(19.5, 0), QPointF(16.2, -2.2), QPointF(16.2, 2.2)}));
  p.restore();
}

void BuzzerFrame(QPainter& p, const Brand& brand, bool sounding) {
  const QRectF box(0, 0, kInternalTone.width(), kInternalTone.height());
  BuzzerPlate(p, brand, box);
  const QPointF c(12.5, 16);
  p.save();
  p.setPen(Qt::NoPen);
  if (brand.corvella) {
    Bevel(p, QRectF(3, 5, 19, 22), 3, QColor(14, 18, 32), false, 1);
    p.setBrush(QColor(0, 0, 0));
    for (int row = 0; row < 6; ++row) p.drawRoundedRect(QRectF(6, 7.6 + row * 3.2, 13, 1.6), 0.8, 0.8);
  } else {
    Bevel(p, QRectF(c.x() - 10.5, c.y() - 10.5, 21, 21), 10.5, QColor(44, 46, 50), false, 1);
    p.setBrush(QColor(6, 6, 8));
    p.drawEllipse(c, 1.1, 1.1);
    for (int ring = 1; ring <= 3; ++ring) {
      const int holes = ring * 6;
      for (int i = 0; i < holes; ++i) p.drawEllipse(Towards(c, 360.0 * i / holes + ring * 15, ring * 2.8), 1.0, 1.0);
    }
  }
  if (sounding) {
    const QColor wave = brand.corvella ? QColor(255, 214, 90) : QColor(255, 80, 50);
    Halo(p, c, 10, wave, 90);
    SoundWaves(p, c + QPointF(2, 0), 12, 3, 3.4, wave, 1.5);
  }
  p.restore();
}

void MarvaneMark(QPainter& p) {
  Text(p, QRectF(0, 0, kSelectorSize, kSelectorSize), Qt::AlignCenter, "M", Sans(12, true), Qt::white);
}

void CorvellaMark(QPainter& p) {
  Text(p, QRectF(0, 0.5, kSelectorSize, kSelectorSize), Qt::AlignCenter, "C", Sans(13, true), Qt::white);
}

// --- the fascia picture ------------------------------------------------------

constexpr QRectF kFace(3, 3, 774, 355);
constexpr QRectF kTitlePlate(44, 22, 254, 48);
constexpr QRectF kInstructions(382, 16, 252, 68);
constexpr QRectF kIndicatorPanel(40, 92, 474, 256);
constexpr QRectF kKeyPanel(518, 87, 154, 266);
constexpr QRectF kBadge(302, 22, 76, 48);
constexpr QRectF kWordmark(674, 126, 100, 40);

void Face(QPainter& p, const Brand& brand) {
  p.fillRect(QRectF(0, 0, kPanelSize.width(), kPanelSize.height()), brand.rim);
  QPainterPath face;
  face.addRoundedRect(kFace, 10, 10);
  QLinearGradient fill(kFace.topLeft(), kFace.bottomLeft());
  fill.setColorAt(0, brand.faceTop);
  fill.setColorAt(1, brand.faceBottom);
  p.fillPath(face, fill);
  p.save();
  p.setClipPath(face);
  if (brand.corvella) {
    // A navy band down the left edge, as the brand's mouldings have.
    p.fillRect(QRectF(3, 3, 28, 355), brand.accent);
    p.fillRect(QRectF(31, 3, 2, 355), QColor(196, 164, 90));
  } else {
    p.fillRect(QRectF(3, 3, 774, 9), brand.accent);
    p.fillRect(QRectF(3, 12, 774, 1), brand.accent.darker(160));
  }
  p.restore();
  // The moulded edge catches the light along the top and left.
  QLinearGradient edge(kFace.topLeft(), kFace.bottomRight());
  edge.setColorAt(0, QColor(255, 255, 255, 190));
  edge.setColorAt(0.5, QColor(255, 255, 255, 0));
  edge.setColorAt(1, QColor(0, 0, 0, 170));
  p.setPen(QPen(QBrush(edge), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(kFace.adjusted(1, 1, -1, -1), 9, 9);
}

void Header(QPainter& p, const Brand& brand) {
  Bevel(p, kTitlePlate, 4, QColor(246, 246, 242), false, 1.2);
  if (brand.corvella) {
    p.fillRect(QRectF(kTitlePlate.left() + 6, kTitlePlate.bottom() - 4, kTitlePlate.width() - 12, 1.5),
               brand.accent);
  } else {
    p.fillRect(QRectF(kTitlePlate.left() + 1.5, kTitlePlate.top() + 4, 3, kTitlePlate.height() - 8),
               brand.accent);
  }
  Bevel(p, kInstructions, 3, brand.panel, false, 1);
  p.setPen(QPen(brand.corvella ? brand.accent : QColor(120, 120, 118), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(kInstructions.adjusted(3.5, 3.5, -3.5, -3.5), 2, 2);

  Text(p, kBadge.adjusted(0, 0, 0, -10), Qt::AlignCenter, "QX40", Sans(22, true), brand.accent);
  Text(p, kBadge.adjusted(0, 32, 0, 0), Qt::AlignCenter, "CONVENTIONAL", Sans(7), QColor(70, 70, 70));
}

void ZoneCards(QPainter& p) {
  for (int row : kZoneRows) {
    const QRectF card(104, row - 4, 186, 19);
    Bevel(p, card, 2, QColor(252, 252, 250), false, 1);
    p.setPen(QPen(QColor(200, 205, 215), 0.8));
    p.drawLine(QPointF(110, row + 11.5), QPointF(284, row + 11.5));
  }
}

void IndicatorPanel(QPainter& p, const Brand& brand) {
  Bevel(p, kIndicatorPanel, 5, brand.panel, false, 1.5);
  p.setPen(QPen(QColor(0, 0, 0, 60), 1));
  p.drawLine(QPointF(339.5, 97), QPointF(339.5, 343));
  p.drawLine(QPointF(46, 124.5), QPointF(334, 124.5));
  p.setPen(QPen(QColor(255, 255, 255, 160), 1));
  p.drawLine(QPointF(340.5, 97), QPointF(340.5, 343));
  p.drawLine(QPointF(46, 125.5), QPointF(334, 125.5));
  ZoneCards(p);
  // A dotted leader from the FIRE heading to its indicator.
  p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DotLine));
  p.drawLine(QPointF(262, 110.5), QPointF(288, 110.5));

  const QRectF fire = LedRect(kFireLed.x(), kFireLed.y());
  if (brand.corvella) {
    FireLedSocket(p, fire);
  } else {
    LedSocket(p, brand, fire);
  }
  for (int row : kZoneRows) {
    LedSocket(p, brand, LedRect(kZoneFireX, row));
    LedSocket(p, brand, LedRect(kZoneFaultX, row));
  }
  for (const CommonLed& led : kCommonLeds) LedSocket(p, brand, LedRect(kCommonX, led.y));
}

void KeyPanel(QPainter& p, const Brand& brand) {
  Bevel(p, kKeyPanel, 5, brand.panel, false, 1.5);
  for (const Key& key : kKeys) KeySocket(p, brand, KeyRect(key.y));
}

void RightColumn(QPainter& p, const Brand& brand) {
  SelectorTray(p);
  if (brand.corvella) {
    Bevel(p, kWordmark, 4, brand.accent, true, 1.2);
    Text(p, kWordmark.adjusted(0, 0, 0, -8), Qt::AlignCenter, "CORVELLA", Sans(13, true), Qt::white);
    p.fillRect(QRectF(kWordmark.left() + 14, kWordmark.bottom() - 11, kWordmark.width() - 28, 1),
               QColor(196, 164, 90));
    Text(p, kWordmark.adjusted(0, 28, 0, -1), Qt::AlignCenter, "FIRE SAFETY", Sans(6), QColor(220, 226, 240));
  } else {
    QFont mark = Sans(17, true);
    mark.setItalic(true);
    Text(p, kWordmark.adjusted(0, 0, 0, -12), Qt::AlignCenter, "MARVANE", mark, brand.accent);
    p.fillRect(QRectF(kWordmark.left() + 8, kWordmark.top() + 28, kWordmark.width() - 16, 2), brand.accent);
  }
  // The window of the alarm counter; dark when the counter is not fitted.
  Bevel(p, QRectF(kAlarmCounter).adjusted(-4, -4, 4, 4), 3, QColor(18, 14, 14), false, 1.5);
  p.fillRect(QRectF(kAlarmCounter).adjusted(-2, -2, 2, 2), QColor(16, 10, 10));
  Text(p, QRectF(674, 182, 100, 12), Qt::AlignCenter, "ACCESS", Sans(8, true), QColor(60, 60, 60));
  KeyswitchPlate(p, brand, kKeyswitch);
  BuzzerPlate(p, brand, kInternalTone);
}

QImage FasciaPicture(const Brand& brand) {
  return Render(kPanelSize, 2, [&](QPainter& p) {
    Face(p, brand);
    Header(p, brand);
    IndicatorPanel(p, brand);
    KeyPanel(p, brand);
    RightColumn(p, brand);
  });
}

void WriteBrand(const QString& folder, const Brand& brand) {
  const QString& n = brand.name;
  const QSize led(kLedSize, kLedSize);
  WriteList(folder, n + "RedLEDDisplay", led, 2,
            [&](QPainter& p, int f) { LedFrame(p, brand, Lamp::Red, f == 1); });
  WriteList(folder, n + "YellowLEDDisplay", led, 2,
            [&](QPainter& p, int f) { LedFrame(p, brand, Lamp::Yellow, f == 1); });
  WriteList(folder, n + "GreenLEDDisplay", led, 2,
            [&](QPainter& p, int f) { LedFrame(p, brand, Lamp::Green, f == 1); });
  WriteList(folder, n + "ButtonDisplay", QSize(kButtonSize, kButtonSize), 2,
            [&](QPainter& p, int f) { KeyFrame(p, brand, f == 1); });
  WriteList(folder, n + "KeySwitchDisplay", kKeyswitch.size(), 2,
            [&](QPainter& p, int f) { KeyswitchFrame(p, brand, f == 1); });
  WriteList(folder, n + "InternalToneImages", kInternalTone.size(), 2,
            [&](QPainter& p, int f) { BuzzerFrame(p, brand, f == 1); });
  WriteList(folder, n + "ButtonImages", QSize(kSelectorSize, kSelectorSize), 2, [&](QPainter& p, int f) {
    Selector(p, brand.corvella ? brand.keyCap : brand.accent, brand.corvella, f == 1,
             brand.corvella ? CorvellaMark : MarvaneMark);
  });
  WritePicture(folder, n + "BackImage", FasciaPicture(brand));
}

}  // namespace

void WriteFascias(const QString& folder) {
  WriteBrand(folder, Marvane());
  WriteBrand(folder, Corvella());
  WriteList(folder, "CorvellaFireLEDDisplay", QSize(kLedSize, kLedSize), 2,
            [](QPainter& p, int f) { CorvellaFireLedFrame(p, f == 1); });
}

// The application's icon: the fascia's red title block with the model's initials.
void WriteApplicationIcon(const QString& folder) {
  WriteList(folder, "ApplicationIcon", {32, 32}, 1, [](QPainter& p, int) {
    const QRectF box(1, 1, 30, 30);
    Bevel(p, box, 5, QColor(200, 24, 32), true, 1.5);
    Text(p, box.adjusted(0, 2, 0, -10), Qt::AlignCenter, "QX", Sans(13, true), Qt::white);
    Text(p, box.adjusted(0, 17, 0, 0), Qt::AlignCenter, "40", Sans(10, true), Qt::white);
  });
}

}  // namespace artwork
