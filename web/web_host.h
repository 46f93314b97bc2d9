#pragma once
// The browser's WindowHost: text is measured by the page's canvas, and a
// change only marks its window for drawing at the next animation frame.
// Everything runs on the page's one thread, so Post runs the work at once.

#include <array>

#include "windows/framework/host.h"

class WebHost : public WindowHost {
 public:
  // The windows the page shows, in its order.
  static constexpr int formCount = 2;
  void SetForms(const TForm* front, const TForm* hardware) { forms_ = {front, hardware}; }

  void Invalidate(TForm& form) override { MarkDirty(form); }
  void FormChanged(TForm& form) override { MarkDirty(form); }
  int TextWidth(const Font& font, const std::string& text) const override;
  int TextHeight(const Font& font) const override;

  // Whether the window changed since the last call; clears the mark.
  bool TakeDirty(int index);

 private:
  void MarkDirty(const TForm& form);

  std::array<const TForm*, formCount> forms_{};
  std::array<bool, formCount> dirty_{true, true};
};
