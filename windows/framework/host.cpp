#include "windows/framework/host.h"

namespace {
// Without a host that measures, Liberation Sans's mean advance is a fair guess.
constexpr int advancePerTenPixels = 5;
constexpr int lineHeightPerTenPixels = 12;

WindowHost nullHost;
WindowHost* host = &nullHost;
}  // namespace

int WindowHost::TextWidth(const Font& font, const std::string& text) const {
  return int(text.size()) * font.pixelSize * advancePerTenPixels / 10;
}

int WindowHost::TextHeight(const Font& font) const { return font.pixelSize * lineHeightPerTenPixels / 10; }

WindowHost& Host() { return *host; }

void SetWindowHost(WindowHost* newHost) { host = newHost ? newHost : &nullHost; }
