#pragma once
// Fonts' advances as Qt measures them, taken once at build time so that a
// program that draws nothing can size captions without loading Qt. Free of Qt.

#include <cstddef>
#include <cstdint>

// The printable ASCII characters a table holds, ' ' to '~'.
constexpr char firstTabled = ' ';
constexpr int tabledCount = 95;

struct KernPair {
  char first, second;
  int32_t adjust;  // 1/64 pixel
};

struct TextMetrics {
  const char* family;
  int pixelSize;
  bool bold;
  int height;                       // pixels
  int32_t advances[tabledCount];    // 1/64 pixel
  const KernPair* kerning;          // by first, then second
  size_t kerningCount;
};

struct TextMetricsTable {
  const TextMetrics* fonts = nullptr;
  size_t count = 0;
  // The offscreen platform's screen: left, top, width and height.
  int screen[4] = {};
};

// The fonts of both windows, measured as the build ran (qx40_text_metrics).
extern const TextMetricsTable builtTextMetrics;
