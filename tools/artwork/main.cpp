// qx40-artwork [folder] [--preview folder]
// Draws every picture and image list of the two windows into folder (the
// repository's assets/ by default). With --preview it also writes the front
// panel's views with their controls pasted in, to check the alignment.

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

#include "tools/artwork/artwork.h"

namespace {

// The output must not depend on the machine's default fonts.
bool LoadFonts() {
  const QDir fonts("/usr/share/fonts/truetype/dejavu");
  for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
                           "DejaVuSansMono-Bold.ttf"}) {
    if (QFontDatabase::addApplicationFont(fonts.filePath(file)) < 0) {
      std::fprintf(stderr, "qx40-artwork: cannot load %s\n", file);
      return false;
    }
  }
  return true;
}

QString RepositoryAssets() {
  return QFileInfo(QStringLiteral(__FILE__)).dir().filePath("../../assets");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (!LoadFonts()) return 1;

  QStringList args = application.arguments().mid(1);
  QString preview;
  const qsizetype flag = args.indexOf("--preview");
  if (flag >= 0 && flag + 1 < args.size()) {
    preview = args.at(flag + 1);
    args.remove(flag, 2);
  }
  const QString folder = args.isEmpty() ? RepositoryAssets() : args.first();

  try {
    QDir().mkpath(folder);
    artwork::WriteFascias(folder);
    artwork::WriteBoard(folder);
    artwork::WriteHardwareLists(folder);
    artwork::WriteCounterDigits(folder);
    artwork::WriteApplicationIcon(folder);
    if (!preview.isEmpty()) {
      QDir().mkpath(preview);
      artwork::WritePreviews(folder, preview);
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "qx40-artwork: %s\n", failure.what());
    return 1;
  }
  return 0;
}
