#include "qt/fonts.h"

#include <QStringList>

// Liberation's faces have Arial's metrics, so captions fit the laid-out
// widths; DejaVu stands in where Liberation is missing.
QFont QtFont(const Font& font) {
  const bool mono = QString::fromStdString(font.family).compare("Terminal", Qt::CaseInsensitive) == 0;
  QFont made;
  made.setFamilies(mono ? QStringList{"Liberation Mono", "DejaVu Sans Mono"}
                        : QStringList{"Liberation Sans", "DejaVu Sans"});
  made.setPixelSize(font.pixelSize);
  made.setBold(font.bold);
  return made;
}
