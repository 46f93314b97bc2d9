#include "web/draw_list.h"

#include <algorithm>
#include <cstdio>

#include "windows/framework/form.h"
#include "windows/imageselector.h"

namespace {

struct Clip {
  int left, top, right, bottom;
};

std::string Hex(const Color& color) {
  if (!color.valid) return "null";
  char text[16];
  std::snprintf(text, sizeof text, "\"#%02x%02x%02x\"", color.r, color.g, color.b);
  return text;
}

const char* BevelName(Bevel bevel) {
  if (bevel == Bevel::Raised) return "\"raised\"";
  if (bevel == Bevel::Lowered) return "\"lowered\"";
  return "null";
}

const char* AlignName(Alignment alignment) {
  if (alignment == Alignment::Right) return "\"right\"";
  if (alignment == Alignment::Center) return "\"center\"";
  return "\"left\"";
}

const char* StateName(CheckBoxState state) {
  if (state == CheckBoxState::Checked) return "\"checked\"";
  if (state == CheckBoxState::Grayed) return "\"grayed\"";
  return "\"unchecked\"";
}

std::string FontJson(const Font& font) {
  return "{\"family\":" + JsonString(font.family) + ",\"size\":" + std::to_string(font.pixelSize) +
         ",\"bold\":" + (font.bold ? "true" : "false") + "}";
}

std::string Field(const char* name, const std::string& value) { return std::string(",\"") + name + "\":" + value; }
std::string Field(const char* name, int value) { return Field(name, std::to_string(value)); }

// What only this kind of control adds to its operation.
std::string KindFields(const TControl& control) {
  if (const auto* selector = dynamic_cast<const TImageSelector*>(&control)) {
    const TImageList* list = selector->ImageList();
    if (!list || list->Count() == 0) return Field("kind", "\"none\"");
    return Field("kind", "\"selector\"") + Field("file", JsonString(list->File())) + Field("frameWidth", list->Width()) +
           Field("frameHeight", list->Height()) + Field("index", selector->ItemIndex()) +
           Field("stretch", selector->Stretch() ? "true" : "false");
  }
  if (const auto* label = dynamic_cast<const TLabel*>(&control)) {
    return Field("kind", "\"label\"") + Field("caption", JsonString(label->Caption())) +
           Field("font", FontJson(label->GetFont())) + Field("fontColor", Hex(label->FontColor())) +
           Field("align", AlignName(label->GetAlignment())) + Field("wrap", label->WordWrap() ? "true" : "false");
  }
  if (const auto* shape = dynamic_cast<const TShape*>(&control)) {
    const TShape::Pen& pen = shape->GetPen();
    const TShape::Brush& brush = shape->GetBrush();
    const bool outline = pen.style != PenStyle::None && pen.width > 0;
    return Field("kind", "\"shape\"") + Field("brush", brush.style == BrushStyle::None ? "null" : Hex(brush.color)) +
           Field("pen", outline ? Hex(pen.color) : "null") + Field("penWidth", pen.width);
  }
  if (const auto* group = dynamic_cast<const TGroupBox*>(&control)) {
    const Color behind = group->GetColor().valid ? group->GetColor() : group->Form()->WindowColor();
    return Field("kind", "\"group\"") + Field("caption", JsonString(group->Caption())) +
           Field("font", FontJson(group->GetFont())) + Field("behind", Hex(behind));
  }
  if (const auto* panel = dynamic_cast<const TPanel*>(&control)) {
    return Field("kind", "\"panel\"") + Field("outer", BevelName(panel->Outer())) + Field("inner", BevelName(panel->Inner()));
  }
  if (const auto* box = dynamic_cast<const TCheckBox*>(&control)) {
    return Field("kind", "\"checkbox\"") + Field("state", StateName(box->State())) +
           Field("caption", JsonString(box->Caption())) + Field("font", FontJson(box->GetFont()));
  }
  if (const auto* image = dynamic_cast<const TImage*>(&control)) {
    return Field("kind", "\"image\"") + Field("file", JsonString(image->PictureFile()));
  }
  return Field("kind", "\"plain\"");
}

void AddTree(std::string& out, const TControl& parent, int originX, int originY, const Clip& clip) {
  for (const auto& child : parent.Children()) {
    const TControl& control = *child;
    if (!control.Visible() || control.Width() <= 0 || control.Height() <= 0) continue;
    const int x = originX + control.Left();
    const int y = originY + control.Top();
    const Clip inner{std::max(clip.left, x), std::max(clip.top, y), std::min(clip.right, x + control.Width()),
                     std::min(clip.bottom, y + control.Height())};
    if (out.back() != '[') out += ',';
    out += "{\"name\":" + JsonString(control.Name()) + Field("x", x) + Field("y", y) + Field("w", control.Width()) +
           Field("h", control.Height()) + Field("clip", "[" + std::to_string(inner.left) + "," + std::to_string(inner.top) +
                                                           "," + std::to_string(inner.right - inner.left) + "," +
                                                           std::to_string(inner.bottom - inner.top) + "]") +
           Field("color", Hex(control.GetColor())) + Field("hint", JsonString(control.Hint())) + KindFields(control) + "}";
    AddTree(out, control, x, y, inner);
  }
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string DrawListJson(const TForm& form) {
  std::string out = "{\"width\":" + std::to_string(form.ClientWidth()) + Field("height", form.ClientHeight()) +
                    Field("caption", JsonString(form.Caption())) + Field("color", Hex(form.WindowColor())) + ",\"ops\":[";
  AddTree(out, form, 0, 0, {0, 0, form.ClientWidth(), form.ClientHeight()});
  return out + "]}";
}
