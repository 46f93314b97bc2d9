// Rendering and writing: supersampled frames, PNG strips and libjpeg pictures.

#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "tools/artwork/artwork.h"

namespace artwork {

namespace {

constexpr int kJpegQuality = 85;

void Require(bool ok, const QString& what) {
  if (!ok) throw std::runtime_error(what.toStdString());
}

}  // namespace

QImage Render(QSize size, int scale, const Paint& paint) {
  QImage canvas(size * scale, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::black);
  {
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    paint(p);
  }
  if (scale == 1) return canvas;
  return canvas.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void WriteList(const QString& folder, const QString& name, QSize size, int frames,
               const FramePaint& paint) {
  QImage strip(size.width() * frames, size.height(), QImage::Format_RGB32);
  QPainter p(&strip);
  for (int frame = 0; frame < frames; ++frame) {
    QImage image = Render(size, kSupersample, [&](QPainter& q) { paint(q, frame); });
    p.drawImage(frame * size.width(), 0, image);
  }
  p.end();
  const QString path = QDir(folder).filePath(name + ".png");
  Require(strip.convertToFormat(QImage::Format_RGB888).save(path, "PNG"), "cannot write " + path);
}

void WritePicture(const QString& folder, const QString& name, const QImage& image) {
  const QString path = QDir(folder).filePath(name + ".jpg");
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
  Require(file != nullptr, "cannot write " + path);

  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = JDIMENSION(rgb.width());
  info.image_height = JDIMENSION(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, kJpegQuality, TRUE);
  info.optimize_coding = TRUE;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Require(std::fclose(file) == 0, "cannot finish " + path);
}

}  // namespace artwork
