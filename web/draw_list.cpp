#include "web/draw_list.h"

#include <cstdio>

#include "windows/framework/form.h"

namespace {

std::string Hex(const Color& color) {
  if (!color.valid) return "null";
  char text[16];
  std::snprintf(text, sizeof text, "\"#%02x%02x%02x\"", color.r, color.g, color.b);
  return text;
}

const char* AlignName(Alignment alignment) {
  if (alignment == Alignment::Right) return "\"right\"";
  if (alignment == Alignment::Center) return "\"center\"";
  return "\"left\"";
}

const char* Flag(bool on) { return on ? "true" : "false"; }

std::string Rect(const DrawRect& rect) {
  return "[" + std::to_string(rect.x) + "," + std::to_string(rect.y) + "," + std::to_string(rect.w) + "," +
         std::to_string(rect.h) + "]";
}

std::string FontJson(const Font& font) {
  return "{\"family\":" + JsonString(font.family) + ",\"size\":" + std::to_string(font.pixelSize) +
         ",\"bold\":" + Flag(font.bold) + "}";
}

std::string Field(const char* name, const std::string& value) { return std::string(",\"") + name + "\":" + value; }
std::string Field(const char* name, int value) { return Field(name, std::to_string(value)); }

// What only this kind of operation adds to its rectangle.
std::string OpFields(const DrawOp& op) {
  switch (op.kind) {
    case DrawKind::Clip: return "\"clip\"" + Field("name", JsonString(op.name)) + Field("bounds", Rect(op.bounds));
    case DrawKind::Fill: return "\"fill\"" + Field("color", Hex(op.color));
    case DrawKind::Frame: return "\"frame\"" + Field("color", Hex(op.color)) + Field("width", op.width);
    case DrawKind::Line:
      return "\"line\"" + Field("to", "[" + std::to_string(op.x2) + "," + std::to_string(op.y2) + "]") +
             Field("color", Hex(op.color)) + Field("width", op.width);
    case DrawKind::Image: return "\"image\"" + Field("file", JsonString(op.file)) + Field("source", Rect(op.source));
    case DrawKind::Text:
      return "\"text\"" + Field("text", JsonString(op.text)) + Field("font", FontJson(op.font)) +
             Field("color", Hex(op.color)) + Field("align", AlignName(op.align)) +
             Field("middle", Flag(op.vertical == VerticalAlignment::Center)) + Field("wrap", Flag(op.wrap));
  }
  return "null";
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

std::string DrawListJson(const TForm& form, const DrawRect& area) {
  std::string out = "{\"width\":" + std::to_string(form.ClientWidth()) + Field("height", form.ClientHeight()) +
                    Field("caption", JsonString(form.Caption())) + Field("area", Rect(area)) + ",\"ops\":[";
  bool first = true;
  for (const DrawOp& op : DrawForm(form, area)) {
    if (!first) out += ',';
    first = false;
    out += "{\"r\":" + Rect(op.rect) + ",\"op\":" + OpFields(op) + "}";
  }
  return out + "]}";
}
