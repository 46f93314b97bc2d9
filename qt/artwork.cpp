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

std::vector<QImage> CutStrip(const TImageList& list) {
  const QString path = AssetPath(QString::fromStdString(list.File()));
  const QImage strip = path.isEmpty() ? QImage() : QImage(path).convertToFormat(QImage::Format_ARGB32);
  const int width = list.Width();
  const int height = list.Height();
  std::vector<QImage> frames;
  frames.reserve(size_t(std::max(list.Count(), 0)));
  for (int index = 0; index < list.Count(); ++index) {
    const bool held = strip.height() >= height && strip.width() >= (index + 1) * width;
    frames.push_back(held ? strip.copy(index * width, 0, width, height) : PlaceholderFrame(width, height, index));
  }
  return frames;
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

const QImage& Artwork::Frame(const TImageList& list, int index) {
  auto found = frames_.find(list.Name());
  if (found == frames_.end()) found = frames_.emplace(list.Name(), CutStrip(list)).first;
  if (index < 0 || index >= int(found->second.size())) return none_;
  return found->second[size_t(index)];
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
