#include "windows/levelmath.h"

#include <cmath>

namespace {
constexpr double zoneExponent = 1.6;
constexpr double zoneInverseExponent = 0.625;
constexpr int32_t millivoltsPerTenth = 100;
constexpr int32_t kilohm = 1000;
constexpr int32_t mainsDiodeDropMv = 700;
constexpr int markBeyondFill = 3;

// The fill width, unrounded, at which a voltage lies.
double FillForMillivolts(int boxWidth, int32_t millivolts) {
  return double(boxWidth - levelFillMargin) * millivolts / analogueFullScaleMv;
}
}  // namespace

int FillWidthAt(int x, int boxWidth) {
  if (x < levelFillInset) return 0;
  if (x >= boxWidth - levelFillInset) return boxWidth - levelFillMargin;
  return x - levelFillInset;
}

int32_t ZoneOhmsForFill(int fillWidth) { return int32_t(std::pow(double(fillWidth), zoneExponent)); }

int32_t MillivoltsForFill(int fillWidth, int boxWidth) {
  return int32_t(int64_t(fillWidth) * analogueFullScaleMv / (boxWidth - levelFillMargin));
}

std::string VoltageText(int32_t millivolts) {
  const int32_t tenths = millivolts / millivoltsPerTenth;
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
  return text + "V";
}

std::string ResistanceText(int32_t ohms) {
  if (ohms < kilohm) return std::to_string(ohms) + "R";
  const int32_t hundredths = (ohms / 10) % 100;
  return std::to_string(ohms / kilohm) + "K" + (hundredths < 10 ? "0" : "") + std::to_string(hundredths);
}

int VoltagePressX(int boxWidth, int32_t millivolts) {
  return int(FillForMillivolts(boxWidth, millivolts) + levelFillInset);
}

int VoltageMarkWidth(int boxWidth, int32_t millivolts) {
  return int(FillForMillivolts(boxWidth, millivolts) + markBeyondFill);
}

int OhmsMarkWidth(int32_t ohms) { return int(std::pow(double(ohms), zoneInverseExponent) + markBeyondFill); }

int MainsFailedPressX(int batteryFill, int boxWidth) {
  return int(batteryFill + levelFillInset - FillForMillivolts(boxWidth, mainsDiodeDropMv));
}
