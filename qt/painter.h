#pragma once
// Draws a window's controls with QPainter, each as the control it is, in
// creation order with children over their parent and clipped to it.

#include <QImage>

class QPainter;
class TForm;
class Artwork;

void PaintForm(QPainter& painter, const TForm& form, Artwork& artwork);
// The whole client area as an image.
QImage RenderForm(const TForm& form, Artwork& artwork);
