#pragma once
// Executes a window's drawing operations (windows/drawing.h) with QPainter.

#include <QImage>
#include <QRect>

class QPainter;
class TForm;
class Artwork;

// Draws what lies in area (client coordinates) of the form.
void PaintForm(QPainter& painter, const TForm& form, Artwork& artwork, const QRect& area);
// The whole client area as an image.
QImage RenderForm(const TForm& form, Artwork& artwork);
