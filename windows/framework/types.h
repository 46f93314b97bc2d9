#pragma once
// The plain values the controls are described with: colours, fonts, mouse
// buttons and shift state, and the styles of text, outlines and fills.

#include <cstdint>
#include <string>

struct Color {
  uint8_t r = 0, g = 0, b = 0;
  bool valid = false;  // an invalid colour leaves what lies behind showing

  static constexpr Color Rgb(uint8_t red, uint8_t green, uint8_t blue) { return {red, green, blue, true}; }
  friend bool operator==(const Color&, const Color&) = default;
};

namespace colors {
constexpr Color none{};
constexpr Color black = Color::Rgb(0, 0, 0);
constexpr Color white = Color::Rgb(255, 255, 255);
constexpr Color gray = Color::Rgb(160, 160, 164);
}  // namespace colors

// A font as the layouts name it ("Arial", "Terminal", "MS Sans Serif"); the
// front end maps the family onto a font it has.
struct Font {
  std::string family = "MS Sans Serif";
  int pixelSize = 11;
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

inline Font MakeFont(const std::string& family, int pixelSize, bool bold = false) { return {family, pixelSize, bold}; }

enum class MouseButton { Left, Right, Middle };

// Shift state bits, as the mouse events carry them.
using ShiftState = unsigned;
constexpr ShiftState ssShift = 0x01;
constexpr ShiftState ssAlt = 0x02;
constexpr ShiftState ssCtrl = 0x04;
constexpr ShiftState ssLeft = 0x08;
constexpr ShiftState ssRight = 0x10;
constexpr ShiftState ssMiddle = 0x20;

enum class Alignment { Left, Right, Center };
enum class PenStyle { Solid, None };
enum class BrushStyle { Solid, None };
enum class Bevel { None, Raised, Lowered };
enum class CheckBoxState { Unchecked, Checked, Grayed };
