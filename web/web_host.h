#pragma once
// The browser's WindowHost: text is measured by the page's canvas, and a
// change only adds its area to what the page draws at its next tick.
// Everything runs on the page's one thread, so Post runs the work at once.

#include <array>

#include "windows/drawing.h"
#include "windows/framework/host.h"

class WebHost : public WindowHost {
 public:
  // The windows the page shows, in its order.
  static constexpr int formCount = 2;
  // New windows: each is drawn whole.
  void SetForms(const TForm* front, const TForm* hardware);

  void Invalidate(TForm& form) override;
  void InvalidateArea(TForm& form, int left, int top, int width, int height) override;
  void FormChanged(TForm& form) override { Invalidate(form); }
  int TextWidth(const Font& font, const std::string& text) const override;
  int TextHeight(const Font& font) const override;

  // What changed in the window since the last call (empty if nothing); clears it.
  DrawRect TakeDirty(int index);
  // Whether any window changed since the last call; clears it.
  bool TakeChanged();

 private:
  void MarkDirty(const TForm& form, const DrawRect& area);

  std::array<const TForm*, formCount> forms_{};
  std::array<DrawRect, formCount> dirty_{};
  bool changed_ = true;
};
