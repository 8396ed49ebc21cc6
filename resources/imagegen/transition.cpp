// FOLDER/transition.png, the marker between two photos on the album strip:
// two overlapping frames, the left one fading into the right one, with a
// small arrow beneath. Drawn at the size the strip shows it, so no scaling
// blurs the thin lines.

#include "imagegen.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainterPath>

namespace imagegen {
namespace {

void drawTransition(QPainter& painter)
{
    const QRectF back(3.5, 3.5, 17, 13);
    const QRectF front(15.5, 7.5, 17, 13);
    painter.setPen(QPen(QColor(0x2a, 0x5d, 0x96), 1.0));
    painter.setBrush(blend(back.topLeft(), back.topRight(), QColor(0x4a, 0x90, 0xd9), QColor(0x4a, 0x90, 0xd9, 60)));
    painter.drawRoundedRect(back, 2, 2);

    painter.setPen(QPen(QColor(0xa8, 0x63, 0x10), 1.0));
    painter.setBrush(blend(front.topLeft(), front.topRight(), QColor(0xf0, 0xa0, 0x30, 60), QColor(0xf0, 0xa0, 0x30)));
    painter.drawRoundedRect(front, 2, 2);

    QPainterPath arrow;
    arrow.moveTo(8, 23.5);
    arrow.lineTo(26, 23.5);
    painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    fillShape(painter, {{29, 23.5}, {25, 21}, {25, 26}}, QColor(0x50, 0x50, 0x50));
}

} // namespace

int transitionMarker(const QStringList& arguments)
{
    constexpr int Width = 36, Height = 27;
    const QDir folder(arguments.at(0));
    if (!makeFolder(folder.path()))
        return 1;
    const QImage image = paint(Width, Height, QImage::Format_ARGB32, QPainter::Antialiasing, drawTransition);
    return savePng(image, folder.filePath(QStringLiteral("transition.png"))) ? 0 : 1;
}

} // namespace imagegen
