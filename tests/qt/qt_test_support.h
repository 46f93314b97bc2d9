#pragma once
// Helpers of the drawing tests: artwork files planted where the front end
// looks for them, and questions about the pixels of a region.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <string>

#include "qt/artwork.h"
#include "windows/framework/imagelist.h"

// An artwork file in the first folder the front end searches (the installed
// data folder as seen from the test program, inside the build tree, never the
// source's artwork), removed again however the test ends.
class PlantedAsset {
 public:
  PlantedAsset(const QString& fileName, const QImage& image, const char* format = nullptr)
      : path_(AssetFolders().front() + "/" + fileName) {
    QDir().mkpath(AssetFolders().front());
    saved_ = image.save(path_, format);
  }
  ~PlantedAsset() { QFile::remove(path_); }
  PlantedAsset(const PlantedAsset&) = delete;
  PlantedAsset& operator=(const PlantedAsset&) = delete;

  bool Saved() const { return saved_; }

 private:
  QString path_;
  bool saved_ = false;
};

// The pixels of the region that are not the colour; zero if all are.
inline int PixelsOtherThan(const QImage& image, const QRect& region, const QColor& colour) {
  int others = 0;
  for (int y = region.top(); y <= region.bottom(); ++y) {
    for (int x = region.left(); x <= region.right(); ++x) others += image.pixelColor(x, y) != colour;
  }
  return others;
}

// A frame as a selector shows it: over white, so clear parts show white.
inline QImage FrameOverWhite(Artwork& artwork, const TImageList& list, int index) {
  QImage shown(list.Width(), list.Height(), QImage::Format_RGB32);
  shown.fill(Qt::white);
  QPainter(&shown).drawImage(0, 0, artwork.Frame(list, index));
  return shown;
}
