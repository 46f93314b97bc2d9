#include "qt/qt_host.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include "qt/fonts.h"

int QtHost::TextWidth(const Font& font, const std::string& text) const {
  return QFontMetrics(QtFont(font)).horizontalAdvance(QString::fromStdString(text));
}

int QtHost::TextHeight(const Font& font) const { return QFontMetrics(QtFont(font)).height(); }

ScreenRect QtHost::Screen() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  const QRect area = screen->availableGeometry();
  return {area.left(), area.top(), area.width(), area.height()};
}
