#include "web/web_host.h"

#include <emscripten.h>

#include <utility>

#include "windows/framework/form.h"

// The page's measure of a caption and of a line, in its canvas's font for the family.
EM_JS(int, qx40_js_text_width, (const char* family, int size, int bold, const char* text), {
  return Module.measureText(UTF8ToString(family), size, bold, UTF8ToString(text)).width;
});
EM_JS(int, qx40_js_text_height, (const char* family, int size, int bold), {
  return Module.measureText(UTF8ToString(family), size, bold, "").height;
});

int WebHost::TextWidth(const Font& font, const std::string& text) const {
  return qx40_js_text_width(font.family.c_str(), font.pixelSize, font.bold, text.c_str());
}

int WebHost::TextHeight(const Font& font) const {
  return qx40_js_text_height(font.family.c_str(), font.pixelSize, font.bold);
}

void WebHost::SetForms(const TForm* front, const TForm* hardware) {
  forms_ = {front, hardware};
  for (const TForm* form : forms_) MarkDirty(*form, {0, 0, form->ClientWidth(), form->ClientHeight()});
}

void WebHost::Invalidate(TForm& form) { MarkDirty(form, {0, 0, form.ClientWidth(), form.ClientHeight()}); }

void WebHost::InvalidateArea(TForm& form, int left, int top, int width, int height) {
  MarkDirty(form, {left, top, width, height});
}

DrawRect WebHost::TakeDirty(int index) {
  if (index < 0 || index >= formCount) return {};
  return std::exchange(dirty_[static_cast<size_t>(index)], DrawRect{});
}

bool WebHost::TakeChanged() { return std::exchange(changed_, false); }

void WebHost::MarkDirty(const TForm& form, const DrawRect& area) {
  changed_ = true;
  for (size_t i = 0; i < forms_.size(); ++i) {
    if (forms_[i] == &form) dirty_[i] = Unite(dirty_[i], area);
  }
}
