#include "windows/framework/host.h"

namespace {
// Without a host that measures, Liberation Sans's mean advance is a fair guess.
constexpr int advancePerTenPixels = 5;
constexpr int lineHeightPerTenPixels = 12;
}  // namespace

int WindowHost::GuessTextWidth(const Font& font, const std::string& text) {
  return int(text.size()) * font.pixelSize * advancePerTenPixels / 10;
}

int WindowHost::GuessTextHeight(const Font& font) { return font.pixelSize * lineHeightPerTenPixels / 10; }
