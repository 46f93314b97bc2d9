#include "app/table_host.h"

#include <algorithm>

namespace {

bool Tabled(char c) { return c >= firstTabled && c < firstTabled + tabledCount; }

int32_t Kerning(const TextMetrics& metrics, char first, char second) {
  const KernPair* end = metrics.kerning + metrics.kerningCount;
  const KernPair* found = std::lower_bound(metrics.kerning, end, KernPair{first, second, 0},
                                           [](const KernPair& a, const KernPair& b) {
                                             return a.first != b.first ? a.first < b.first : a.second < b.second;
                                           });
  return found != end && found->first == first && found->second == second ? found->adjust : 0;
}

}  // namespace

const TextMetrics* TableHost::Find(const Font& font) const {
  const TextMetrics* end = table_.fonts + table_.count;
  const TextMetrics* found = std::find_if(table_.fonts, end, [&](const TextMetrics& metrics) {
    return font.family == metrics.family && font.pixelSize == metrics.pixelSize && font.bold == metrics.bold;
  });
  return found != end ? found : nullptr;
}

// Qt lays a caption out as the sum of its advances and pair kernings in 1/64
// pixel, rounded once at the end.
int TableHost::TextWidth(const Font& font, const std::string& text) const {
  const TextMetrics* metrics = Find(font);
  if (!metrics || !std::all_of(text.begin(), text.end(), Tabled)) return fallback_().TextWidth(font, text);
  int64_t width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    width += metrics->advances[text[i] - firstTabled];
    if (i > 0) width += Kerning(*metrics, text[i - 1], text[i]);
  }
  return int((width + 32) >> 6);
}

int TableHost::TextHeight(const Font& font) const {
  if (const TextMetrics* metrics = Find(font)) return metrics->height;
  return fallback_().TextHeight(font);
}

ScreenRect TableHost::Screen() const {
  if (table_.count > 0) return {table_.screen[0], table_.screen[1], table_.screen[2], table_.screen[3]};
  return fallback_().Screen();
}
