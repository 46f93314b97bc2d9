#pragma once
// The artwork behind the windows' image lists and pictures, loaded once per
// file and kept: image list strips cut into frames, JPEG pictures decoded
// with libjpeg. A file that is missing shows as a visible placeholder.

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <map>
#include <string>

class TImageList;

// The folders that hold the artwork, searched in order. Both are found from the
// running program, never through a path compiled in, so that an installed copy
// cannot reach back into the source tree: first the installed data folder
// (<bindir>/../share/qx40/assets), then an assets folder beside the program,
// which the build links to the source's artwork. Empty without a Qt application.
QStringList AssetFolders();

// Where the artwork file of that name lies; empty if no folder holds it.
QString AssetPath(const QString& fileName);

// Decodes a JPEG file with libjpeg; a null image if it cannot.
QImage DecodeJpegFile(const QString& path);

// Where a drawing's image comes from: that part of the image.
struct ArtworkPart {
  const QImage& image;
  QRect source;
};

class Artwork {
 public:
  // The source rectangle of an artwork file: a JPEG picture's part (as
  // Picture), else a frame of an image strip, or its placeholder where the
  // strip does not hold it.
  ArtworkPart Part(const std::string& file, const QRect& source);
  // Frame index of the list; null outside the list. Frames the file does not
  // hold are magenta with their index.
  const QImage& Frame(const TImageList& list, int index);
  // The picture file; a plain grey placeholder of the given size if it cannot be read.
  const QImage& Picture(const std::string& file, int width, int height);

 private:
  const QImage& Strip(const std::string& file);

  std::map<std::string, QImage> strips_;
  std::map<std::string, QImage> frames_;
  std::map<std::string, QImage> pictures_;
  QImage none_;
};
