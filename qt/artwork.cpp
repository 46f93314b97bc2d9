#include "qt/artwork.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <string>

#include <jpeglib.h>

#include "windows/framework/imagelist.h"

namespace {
const QColor placeholderFill(255, 0, 255);
const QColor placeholderGrey(128, 128, 128);

// A frame nobody drew: magenta with its index, so a missing file shows.
QImage PlaceholderFrame(int width, int height, int index) {
  QImage frame(width, height, QImage::Format_RGB32);
  frame.fill(placeholderFill);
  QPainter painter(&frame);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, width - 1, height - 1);
  QFont font = painter.font();
  font.setPixelSize(std::max(6, std::min(width, height) / 2));
  painter.setFont(font);
  painter.drawText(frame.rect(), Qt::AlignCenter, QString::number(index));
  return frame;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf escape;
};

// libjpeg's default handler ends the process; leave the decode instead.
[[noreturn]] void EscapeOnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->escape, 1);
}

void SilenceMessage(j_common_ptr) {}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The decode proper; kept free of C++ objects with destructors because
// longjmp may leave it at any libjpeg call.
bool DecodeJpeg(std::FILE* file, QImage& image) {
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = EscapeOnError;
  error.manager.output_message = SilenceMessage;
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) longjmp(error.escape, 1);
  image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB888);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}
}  // namespace

QStringList AssetFolders() {
  if (!QCoreApplication::instance()) return {};
  const QString programDir = QCoreApplication::applicationDirPath();
  return {programDir + "/" QX40_DATA_FROM_BIN "/assets", programDir + "/assets"};
}

QString AssetPath(const QString& fileName) {
  for (const QString& folder : AssetFolders()) {
    const QString path = QDir(folder).filePath(fileName);
    if (QFileInfo::exists(path)) return path;
  }
  return {};
}

QImage DecodeJpegFile(const QString& path) {
  if (path.isEmpty()) return {};
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(QFile::encodeName(path).constData(), "rb"));
  if (!file) return {};
  QImage image;
  if (!DecodeJpeg(file.get(), image)) return {};
  return image.convertToFormat(QImage::Format_RGB32);
}

const QImage& Artwork::Strip(const std::string& file) {
  auto found = strips_.find(file);
  if (found != strips_.end()) return found->second;
  const QString path = AssetPath(QString::fromStdString(file));
  return strips_.emplace(file, path.isEmpty() ? QImage() : QImage(path).convertToFormat(QImage::Format_ARGB32))
      .first->second;
}

ArtworkPart Artwork::Part(const std::string& file, const QRect& source) {
  if (file.ends_with(".jpg")) return {Picture(file, source.width(), source.height()), source};
  const QImage& strip = Strip(file);
  if (strip.rect().contains(source)) return {strip, source};
  const int index = source.width() > 0 ? source.x() / source.width() : 0;
  const std::string key = file + "#" + std::to_string(index);
  auto found = frames_.find(key);
  if (found == frames_.end()) found = frames_.emplace(key, PlaceholderFrame(source.width(), source.height(), index)).first;
  return {found->second, found->second.rect()};
}

const QImage& Artwork::Frame(const TImageList& list, int index) {
  if (index < 0 || index >= list.Count()) return none_;
  const ArtworkPart part = Part(list.File(), QRect(index * list.Width(), 0, list.Width(), list.Height()));
  if (part.source == part.image.rect()) return part.image;
  const std::string key = list.File() + "@" + std::to_string(index);
  auto found = frames_.find(key);
  if (found == frames_.end()) found = frames_.emplace(key, part.image.copy(part.source)).first;
  return found->second;
}

const QImage& Artwork::Picture(const std::string& file, int width, int height) {
  auto found = pictures_.find(file);
  if (found != pictures_.end()) return found->second;
  QImage picture = DecodeJpegFile(AssetPath(QString::fromStdString(file)));
  if (picture.isNull()) {
    picture = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    picture.fill(placeholderGrey);
  }
  return pictures_.emplace(file, picture).first->second;
}
