#pragma once
// Draws a window's controls with QPainter, each as the control it is, in
// creation order with children over their parent and clipped to it.

#include <QImage>
#include <QRect>

class QPainter;
class TForm;
class Artwork;

// Draws what lies in area (client coordinates) of the form.
void PaintForm(QPainter& painter, const TForm& form, Artwork& artwork, const QRect& area);
// The whole client area as an image.
QImage RenderForm(const TForm& form, Artwork& artwork);
