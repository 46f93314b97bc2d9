// qx40-font-metrics: writes, as C++, the advances and pair kernings of every
// font the windows size captions in, as Qt measures them here, so that the
// scenario runner can size them without starting the font database.

#include <QFontMetrics>
#include <QFontMetricsF>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <tuple>

#include "app/text_metrics.h"
#include "machine/command_line.h"
#include "machine/machine.h"
#include "qt/fonts.h"
#include "qt/offscreen.h"
#include "qt/qt_host.h"

namespace {

constexpr const char* usage =
    "usage: qx40-font-metrics FILE.cpp\n"
    "Writes the advances of every font the windows use, as Qt measures them, as a C++ table.\n"
    "--help shows this, --version the version.\n";

using FontKey = std::tuple<std::string, int, bool>;

// Measures as Qt does and notes each font asked for.
class RecordingHost : public QtHost {
 public:
  int TextWidth(const Font& font, const std::string& text) const override {
    fonts.insert({font.family, font.pixelSize, font.bold});
    return QtHost::TextWidth(font, text);
  }
  int TextHeight(const Font& font) const override {
    fonts.insert({font.family, font.pixelSize, font.bold});
    return QtHost::TextHeight(font);
  }
  mutable std::set<FontKey> fonts;
};

// Both windows made once, with their settings kept out of the way.
std::set<FontKey> FontsOfTheWindows() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qx40-font-metrics-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return {};
  RecordingHost host;
  { const Machine machine(BoardPacing::Stepped, &host, pattern); }
  std::error_code ignored;
  std::filesystem::remove_all(pattern, ignored);
  return host.fonts;
}

int32_t Sixtyfourths(double pixels) { return int32_t(std::lround(pixels * 64)); }

void WriteFont(std::ostream& out, size_t index, const FontKey& key) {
  const auto& [family, pixelSize, bold] = key;
  const QFont font = QtFont({family, pixelSize, bold});
  const QFontMetricsF metrics(font);
  int32_t advances[tabledCount];
  for (int i = 0; i < tabledCount; ++i) advances[i] = Sixtyfourths(metrics.horizontalAdvance(QChar(firstTabled + i)));
  out << "const KernPair kerning" << index << "[] = {\n";
  size_t pairs = 0;
  for (int a = 0; a < tabledCount; ++a) {
    for (int b = 0; b < tabledCount; ++b) {
      const QString pair = QString(QChar(firstTabled + a)) + QChar(firstTabled + b);
      const int32_t adjust = Sixtyfourths(metrics.horizontalAdvance(pair)) - advances[a] - advances[b];
      if (adjust == 0) continue;
      out << "    {" << int(firstTabled + a) << ", " << int(firstTabled + b) << ", " << adjust << "},\n";
      ++pairs;
    }
  }
  if (pairs == 0) out << "    {0, 0, 0},\n";
  out << "};\n";
  out << "const TextMetrics font" << index << " = {\"" << family << "\", " << pixelSize << ", " << (bold ? "true" : "false")
      << ", " << QFontMetrics(font).height() << ", {";
  for (int i = 0; i < tabledCount; ++i) out << (i ? ", " : "") << advances[i];
  out << "}, kerning" << index << ", " << pairs << "};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const auto answered = AnswerHelpOrVersion(arguments, "qx40-font-metrics", usage, std::cout)) return *answered;
  if (arguments.size() != 1 || arguments.front().starts_with('-')) {
    std::cerr << "qx40-font-metrics: name the one C++ file to write\n" << usage;
    return exitUsage;
  }
  OffscreenGui gui(argc, argv);
  const std::set<FontKey> fonts = FontsOfTheWindows();
  if (fonts.empty()) {
    std::cerr << "qx40-font-metrics: the windows sized no caption: nothing to write\n";
    return 1;
  }
  const std::string path = arguments.front();
  std::ofstream out(path + ".tmp");
  out << "// Written by qx40-font-metrics as the build ran: do not edit.\n#include \"app/text_metrics.h\"\n\nnamespace {\n";
  size_t index = 0;
  for (const FontKey& font : fonts) WriteFont(out, index++, font);
  out << "const TextMetrics fonts[] = {";
  for (size_t i = 0; i < fonts.size(); ++i) out << (i ? ", " : "") << "font" << i;
  const ScreenRect screen = QtHost().Screen();
  out << "};\n}  // namespace\n\nextern const TextMetricsTable builtTextMetrics{fonts, " << fonts.size() << ", {"
      << screen.left << ", " << screen.top << ", " << screen.width << ", " << screen.height << "}};\n";
  if (!out.flush()) {
    std::cerr << "qx40-font-metrics: cannot write " << path << ".tmp\n";
    return 1;
  }
  out.close();
  std::error_code failed;
  std::filesystem::rename(path + ".tmp", path, failed);
  if (!failed) return 0;
  std::cerr << "qx40-font-metrics: cannot write " << path << ": " << failed.message() << '\n';
  return 1;
}
