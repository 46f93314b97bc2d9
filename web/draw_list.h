#pragma once
// A window's controls as a flat list of drawing operations for the page, one
// per visible control in painting order (children over their parent), each
// with its origin and clip in client coordinates. The page executes them on
// a canvas as qt/painter.cpp draws them with QPainter; every string is data
// the page draws as text, never markup.

#include <string>

class TForm;

// {"width":W,"height":H,"color":"#rrggbb","ops":[{...},...]} as JSON.
std::string DrawListJson(const TForm& form);

// A string as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);
