// Previews for checking the artwork by eye: each front panel view with its
// controls pasted at their places (all at index 0, then all at index 1), the
// legends drawn over the fascias, and every image list enlarged on one sheet.

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

#include "tools/artwork/artwork.h"

namespace artwork {

namespace {

struct View {
  QString file;
  QString back;
  QString prefix;  // image lists of the view: Marvane, Corvella or PCB
  bool board;
};

struct Legend {
  QRect box;
  int pixels;
  int flags;
  const char* text;
};

constexpr int kRight = Qt::AlignRight | Qt::AlignTop;
constexpr int kLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr int kCentre = Qt::AlignHCenter | Qt::AlignTop;
constexpr int kWrap = Qt::TextWordWrap;

// The window's legends (Arial there; the nearest installed face here).
const Legend kLegends[] = {
    {{520, 200, 105, 13}, 9, kRight, "BUZZER MUTE"},
    {{520, 130, 105, 25}, 9, kRight | kWrap, "SOUNDERS START/STOP"},
    {{520, 104, 105, 13}, 9, kRight, "ACCEPT"},
    {{520, 232, 105, 13}, 9, kRight, "DELAY ON/OFF"},
    {{520, 263, 105, 13}, 9, kRight, "ITEM SELECT"},
    {{520, 295, 105, 13}, 9, kRight, "DISABLE/TEST/NORMAL"},
    {{520, 326, 105, 13}, 9, kRight, "LAMP TEST"},
    {{520, 166, 105, 13}, 9, kRight, "RESET"},
    {{52, 32, 237, 16}, -12, kCentre, "FIRE ALARM CONTROL PANEL"},
    {{388, 104, 125, 10}, 8, kLeft, "POWER"},
    {{388, 141, 125, 10}, 8, kLeft, "DISABLEMENT"},
    {{388, 159, 125, 10}, 8, kLeft, "TEST"},
    {{388, 196, 125, 10}, 8, kLeft, "SYSTEM FAULT"},
    {{388, 214, 125, 10}, 8, kLeft, "EARTH FAULT"},
    {{388, 233, 125, 10}, 8, kLeft, "POWER SUPPLY FAULT"},
    {{388, 307, 125, 10}, 8, kLeft | kWrap, "FAULT O/P FAULT/DISABLED"},
    {{388, 288, 125, 10}, 8, kLeft | kWrap, "FIRE O/P FAULT/DISABLED"},
    {{388, 270, 125, 10}, 8, kLeft | kWrap, "FIRE O/P ACTIVE"},
    {{388, 251, 125, 10}, 8, kLeft | kWrap, "SOUNDER FAULT/DISABLED"},
    {{388, 177, 125, 10}, 8, kLeft, "DELAY ON"},
    {{388, 123, 125, 10}, 8, kLeft, "FAULT"},
    {{388, 325, 125, 10}, 8, kLeft, "AUXILIARY FAULT"},
    {{74, 104, 121, 13}, 8, kCentre, "FAULT / DISABLED / TEST"},
    {{204, 104, 69, 13}, 8, kCentre, "FIRE"},
    {{52, 48, 237, 16}, -12, kCentre, "EN 54-2/4"},
    {{388, 23, 237, 10}, 8, kCentre, "TO SILENCE BUZZER PRESS BUZZER MUTE"},
    {{426, 41, 161, 18}, 8, kCentre | kWrap, "TO SILENCE SOUNDERS PRESS SOUNDER START/STOP"},
    {{396, 61, 237, 18}, 8, kCentre | kWrap, "PRESS AGAIN TO RESTART SOUNDERS"},
};

QImage Load(const QString& folder, const QString& name) {
  QImage image(QDir(folder).filePath(name));
  if (image.isNull()) throw std::runtime_error(("cannot read " + name).toStdString());
  return image;
}

class Paster {
 public:
  Paster(const QString& folder, QPainter& p, int frame) : folder_(folder), p_(p), frame_(frame) {}

  void Put(const QString& list, QPoint at, int frameCount = 2) {
    const QImage strip = Load(folder_, list + ".png");
    const int width = strip.width() / frameCount;
    p_.drawImage(at, strip, QRect(width * qMin(frame_, frameCount - 1), 0, width, strip.height()));
  }

 private:
  QString folder_;
  QPainter& p_;
  int frame_;
};

void Legends(QPainter& p) {
  for (const Legend& legend : kLegends) {
    const bool bold = legend.pixels < 0;
    Text(p, legend.box, legend.flags, legend.text, Sans(qAbs(legend.pixels) - 1, bold), Qt::black);
  }
  for (int i = 0; i < 8; ++i) {
    const int y = kZoneRows[i] + 1;
    Text(p, QRect(48, y, 33, 13), kRight, "ZONE", Sans(7), Qt::black);
    Text(p, QRect(84, y, 17, 13), kLeft, QString::number(i + 1), Sans(7), Qt::black);
  }
}

QString LampList(const QString& prefix, Lamp lamp) {
  switch (lamp) {
    case Lamp::Red: return prefix + "RedLEDDisplay";
    case Lamp::Yellow: return prefix + "YellowLEDDisplay";
    case Lamp::Green: return prefix + "GreenLEDDisplay";
  }
  return {};
}

QImage Compose(const QString& assets, const View& view, int frame) {
  QImage canvas(kPanelSize, QImage::Format_RGB32);
  canvas.fill(QColor(240, 240, 240));
  QPainter p(&canvas);
  p.setRenderHint(QPainter::Antialiasing);
  Paster put(assets, p, frame);
  p.drawImage(QPoint(0, view.board ? -kBoardOffsetY : 0), Load(assets, view.back + ".jpg"));
  if (view.board) {
    p.drawImage(kButtonSilkScreen.topLeft(), Load(assets, "ButtonSilkScreen.jpg"));
    p.drawImage(kSystemNumberSilkScreen.topLeft(), Load(assets, "SystemNumberSilkScreen.jpg"));
    p.drawImage(kZoneNumberSilkScreen.topLeft(), Load(assets, "ZoneNumberSilkScreen.jpg"));
  }
  const QString& n = view.prefix;
  const bool corvella = n == "Corvella";
  put.Put(corvella ? "CorvellaFireLEDDisplay" : n + "RedLEDDisplay", kFireLed);
  for (int row : kZoneRows) {
    put.Put(n + "RedLEDDisplay", QPoint(kZoneFireX, row));
    put.Put(n + "YellowLEDDisplay", QPoint(kZoneFaultX, row));
  }
  for (const CommonLed& led : kCommonLeds) put.Put(LampList(n, led.lamp), QPoint(kCommonX, led.y));
  for (const Key& key : kKeys) put.Put(n + "ButtonDisplay", KeyRect(key.y).topLeft());
  put.Put(n + "InternalToneImages", kInternalTone.topLeft());
  put.Put("MarvaneButtonImages", kMarvaneSelector);
  put.Put("CorvellaButtonImages", kCorvellaSelector);
  put.Put("PCBButtonImages", kCoverOffSelector);
  if (view.board) {
    put.Put("PCBButtonDisplay", kCoverOffSwitch);
    put.Put("PCBButtonDisplay", kBoardKeyswitch);
  } else {
    put.Put(n + "KeySwitchDisplay", kKeyswitch.topLeft());
    Legends(p);
  }
  if (frame == 1) {
    const QImage digits = Load(assets, "SevenSegmentDisplay.png");
    for (int i = 0; i < 3; ++i) {
      p.drawImage(kAlarmCounter.topLeft() + QPoint(18 * i, 0), digits, QRect(18 * (i + 1), 0, 18, 22));
    }
    p.fillRect(kAlarmCounter.x(), kAlarmCounter.y() + 22, kAlarmCounter.width(), 1, QColor(146, 162, 196));
  }
  return canvas;
}

// Every list enlarged four times, one row per list, frames side by side.
QImage Sheet(const QString& assets) {
  const QStringList lists = QDir(assets).entryList({"*.png"}, QDir::Files, QDir::Name);
  constexpr int kZoom = 4;
  int height = 0, width = 0;
  for (const QString& name : lists) {
    const QImage image = Load(assets, name);
    height += image.height() * kZoom + 18;
    width = qMax(width, image.width() * kZoom + 10);
  }
  QImage sheet(width, height, QImage::Format_RGB32);
  sheet.fill(QColor(192, 192, 192));
  QPainter p(&sheet);
  int y = 0;
  for (const QString& name : lists) {
    const QImage image = Load(assets, name);
    Text(p, QRect(4, y, width, 16), kLeft, QFileInfo(name).baseName(), Sans(11), Qt::black);
    p.drawImage(QRect(4, y + 16, image.width() * kZoom, image.height() * kZoom), image);
    y += image.height() * kZoom + 18;
  }
  return sheet;
}

void Save(const QImage& image, const QString& folder, const QString& name) {
  const QString path = QDir(folder).filePath(name);
  if (!image.save(path)) throw std::runtime_error(("cannot write " + path).toStdString());
}

}  // namespace

void WritePreviews(const QString& assets, const QString& folder) {
  const View views[] = {{"marvane", "MarvaneBackImage", "Marvane", false},
                        {"corvella", "CorvellaBackImage", "Corvella", false},
                        {"board", "PCBBackImage", "PCB", true}};
  for (const View& view : views) {
    for (int frame = 0; frame < 2; ++frame) {
      Save(Compose(assets, view, frame), folder, view.file + QString::number(frame) + ".png");
    }
  }
  Save(Sheet(assets), folder, "lists.png");
}

}  // namespace artwork
