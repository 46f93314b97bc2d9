#pragma once
// A window's drawing operations (windows/drawing.h) as JSON for the page,
// which executes them on its canvas as qt/painter.cpp does with QPainter;
// every string is data the page draws as text, never markup.

#include <string>

#include "windows/drawing.h"

class TForm;

// {"width":W,"height":H,"caption":C,"area":[x,y,w,h],"ops":[{"op":...},...]} for what lies in area.
std::string DrawListJson(const TForm& form, const DrawRect& area);

// A string as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);
