#pragma once
// The arithmetic of the analogue level controls: a fill width in pixels, the
// value it stands for, and the text its reading shows. Qt-free.

#include <cstdint>
#include <string>

#include "board/analogue.h"

// The fill bar sits 2 pixels inside its box, so it is at most 4 narrower.
constexpr int levelFillInset = 2;
constexpr int levelFillMargin = 2 * levelFillInset;

// The fill width a pointer at x in a box of that width gives, clamped to the box.
int FillWidthAt(int x, int boxWidth);

// Zone line resistance of a fill width: trunc(W ^ 1.6) ohms.
int32_t ZoneOhmsForFill(int fillWidth);
// Voltage of a fill width in a box of that width, in millivolts.
int32_t MillivoltsForFill(int fillWidth, int boxWidth);

// Tenths of a volt, truncated, in the shortest decimal form: "0V", "11.5V", "28V".
std::string VoltageText(int32_t millivolts);
// Ohms below 1000 ("473R"); above, kilohms with two digits of hundredths ("1K04").
std::string ResistanceText(int32_t ohms);

// Where a press sets a voltage level (the fill end plus the inset), and the
// width of a range mark ending one pixel beyond it.
int VoltagePressX(int boxWidth, int32_t millivolts);
int VoltageMarkWidth(int boxWidth, int32_t millivolts);
// One pixel beyond the fill end of a resistance: a zone range mark's width,
// and also where a zone's default is pressed.
int OhmsMarkWidth(int32_t ohms);

// Where the system supply is pressed when the mains fails: the battery's
// level less 0.7 V.
int MainsFailedPressX(int batteryFill, int boxWidth);
