// Draws "transition.png", the marker between two photos on the album strip:
// two overlapping frames, the left one fading into the right one, with a
// small arrow beneath. Drawn at the size the strip shows it, so no scaling
// blurs the thin lines.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    constexpr int Width = 36, Height = 27;
    QImage image(Width, Height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF back(3.5, 3.5, 17, 13);
    const QRectF front(15.5, 7.5, 17, 13);
    QLinearGradient fadeOut(back.topLeft(), back.topRight());
    fadeOut.setColorAt(0.0, QColor(0x4a, 0x90, 0xd9));
    fadeOut.setColorAt(1.0, QColor(0x4a, 0x90, 0xd9, 60));
    painter.setPen(QPen(QColor(0x2a, 0x5d, 0x96), 1.0));
    painter.setBrush(fadeOut);
    painter.drawRoundedRect(back, 2, 2);

    QLinearGradient fadeIn(front.topLeft(), front.topRight());
    fadeIn.setColorAt(0.0, QColor(0xf0, 0xa0, 0x30, 60));
    fadeIn.setColorAt(1.0, QColor(0xf0, 0xa0, 0x30));
    painter.setPen(QPen(QColor(0xa8, 0x63, 0x10), 1.0));
    painter.setBrush(fadeIn);
    painter.drawRoundedRect(front, 2, 2);

    QPainterPath arrow;
    arrow.moveTo(8, 23.5);
    arrow.lineTo(26, 23.5);
    painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    QPainterPath head;
    head.moveTo(29, 23.5);
    head.lineTo(25, 21);
    head.lineTo(25, 26);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x50, 0x50, 0x50));
    painter.drawPath(head);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
