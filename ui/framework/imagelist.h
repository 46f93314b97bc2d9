#pragma once
// Image lists of fixed-size bitmaps and the artwork files behind them.

#include <QImage>
#include <QObject>
#include <QString>
#include <vector>

// Where the artwork file of that name lies: the build's assets folder, else an
// assets folder beside the executable or its parent; empty if none holds it.
QString AssetPath(const QString& fileName);

// Decodes a JPEG file with libjpeg; a null image if it cannot.
QImage DecodeJpegFile(const QString& path);

// A list of Count images of Width x Height, loaded from assets/<Name>.png, a
// horizontal strip of the frames in index order. Frames the file does not
// hold (or a missing file) are drawn as a visible placeholder of the right
// size. Read-only once built, so any thread may read it.
class TImageList : public QObject {
  Q_OBJECT

 public:
  TImageList(QObject* owner, const QString& name, int width, int height, int count);

  QString Name() const { return objectName(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  // Image index; null outside the list.
  QImage Image(int index) const;

 private:
  int width_;
  int height_;
  std::vector<QImage> images_;
};
