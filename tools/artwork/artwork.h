#pragma once
// Drawing helpers and output writers shared by the artwork generators.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <functional>

#include "tools/artwork/layout.h"

namespace artwork {

using Paint = std::function<void(QPainter&)>;
using FramePaint = std::function<void(QPainter&, int frame)>;

// Small images are drawn this many times larger and scaled down, which gives
// them clean edges at a few pixels across.
constexpr int kSupersample = 4;

QImage Render(QSize size, int scale, const Paint& paint);
// An image list: its frames side by side in index order, as <name>.png.
void WriteList(const QString& folder, const QString& name, QSize size, int frames,
               const FramePaint& paint);
// A picture, as <name>.jpg, through libjpeg.
void WritePicture(const QString& folder, const QString& name, const QImage& image);

QColor Mix(const QColor& a, const QColor& b, qreal amountOfB);
QColor LampColour(Lamp lamp);
QFont Sans(qreal pixels, bool bold = false);
QFont Mono(qreal pixels, bool bold = false);
void Text(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
          const QColor& colour);

// A flat rounded block lit from the top left: raised shows a light upper
// edge, sunken the reverse. Sockets use it, so images can sit on the flat face.
void Bevel(QPainter& p, const QRectF& box, qreal radius, const QColor& face, bool raised,
           qreal depth = 1.0);
// Light falling on a moulded cap: brighter above (fromTop) or shaded above when pressed in.
void Sheen(QPainter& p, const QPainterPath& shape, bool fromTop);
// An LED lens; lit lenses glow out to haloRadius.
void Lens(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour, bool lit,
          qreal haloRadius);
// A round body domed towards the viewer, lit from the top left, casting its
// shadow below right (none with shadowAlpha 0).
void Dome(QPainter& p, const QPointF& centre, qreal rx, qreal ry, const QColor& light, const QColor& dark,
          int shadowAlpha = 90);
void Halo(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour, int alpha);
// A short arc of sound waves spreading to the right of origin.
void SoundWaves(QPainter& p, const QPointF& origin, qreal firstRadius, int count, qreal spacing,
                const QColor& colour, qreal width);

// The strip the view selectors sit on, drawn the same in every view.
QColor TrayColour();
void SelectorTray(QPainter& p);
// A view selector button: raised when not selected, pressed in and ringed
// with light when selected; glyph draws its mark on a 24 by 24 square.
void Selector(QPainter& p, const QColor& cap, bool round, bool selected, const Paint& glyph);

void WriteFascias(const QString& folder);
void WriteBoard(const QString& folder);
void WriteHardwareLists(const QString& folder);
void WriteCounterDigits(const QString& folder);
void WriteApplicationIcon(const QString& folder);
void WritePreviews(const QString& assets, const QString& folder);

}  // namespace artwork
