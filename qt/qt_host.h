#pragma once
// What every Qt front end gives the windows: captions measured as QPainter
// draws them, and the primary screen's work area (less the desktop's panels).

#include "windows/framework/host.h"

class QtHost : public WindowHost {
 public:
  int TextWidth(const Font& font, const std::string& text) const override;
  int TextHeight(const Font& font) const override;
  ScreenRect Screen() const override;
};
