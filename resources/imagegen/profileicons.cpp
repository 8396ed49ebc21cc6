// The icons of the output profile list: one per profile group and one per
// container format, as named in the profile templates. Only the names asked
// for are drawn, so the build's list and the drawings must agree.

#include "imagegen.h"

#include <QDir>
#include <QPainterPath>

#include <cstdio>
#include <map>

namespace imagegen {
namespace {

constexpr int kSize = 32;

void filmStrip(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(45, 52, 64));
    p.drawRoundedRect(QRectF(3, 5, 26, 22), 3, 3);
    p.setBrush(QColor(235, 238, 242));
    for (int i = 0; i < 5; ++i) {
        p.drawRect(QRectF(5 + i * 5, 7, 2.5, 2.5));
        p.drawRect(QRectF(5 + i * 5, 22.5, 2.5, 2.5));
    }
    p.setBrush(QColor(110, 170, 230));
    p.drawRect(QRectF(6, 11, 9, 10));
    p.setBrush(QColor(240, 180, 80));
    p.drawRect(QRectF(17, 11, 9, 10));
}

void globe(QPainter& p)
{
    const QRectF ball(3.5, 3.5, 25, 25);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 140, 220));
    p.drawEllipse(ball);
    p.setPen(QPen(QColor(235, 245, 255), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(10.5, 3.5, 11, 25));
    p.drawLine(QPointF(16, 3.5), QPointF(16, 28.5));
    p.drawLine(QPointF(3.5, 16), QPointF(28.5, 16));
    p.drawArc(QRectF(5, -4, 22, 16), 200 * 16, 140 * 16);
    p.drawArc(QRectF(5, 20, 22, 16), 20 * 16, 140 * 16);
    p.setPen(QPen(QColor(30, 90, 160), 1.2));
    p.drawEllipse(ball);
}

void disc(QPainter& p)
{
    QRadialGradient shine(QPointF(12, 12), 16);
    shine.setColorAt(0, QColor(250, 250, 255));
    shine.setColorAt(0.5, QColor(200, 210, 235));
    shine.setColorAt(0.8, QColor(225, 200, 235));
    shine.setColorAt(1, QColor(180, 190, 215));
    p.setPen(QPen(QColor(110, 115, 135), 1.2));
    p.setBrush(shine);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setBrush(QColor(245, 245, 248));
    p.drawEllipse(QRectF(11, 11, 10, 10));
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(110, 115, 135), 1));
    p.drawEllipse(QRectF(14, 14, 4, 4));
}

void recentClock(QPainter& p)
{
    p.setPen(QPen(QColor(70, 80, 95), 1.6));
    p.setBrush(QColor(250, 250, 245));
    p.drawEllipse(QRectF(3.5, 3.5, 25, 25));
    p.setPen(QPen(QColor(70, 80, 95), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(21.5, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 70, 60));
    p.drawEllipse(QRectF(14.5, 14.5, 3, 3));
}

void handheld(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 55, 65));
    p.drawRoundedRect(QRectF(9, 2, 14, 28), 3, 3);
    p.setBrush(QColor(120, 200, 150));
    p.drawRect(QRectF(11, 5, 10, 17));
    p.setBrush(QColor(200, 205, 215));
    p.drawEllipse(QRectF(14, 24, 4, 4));
}

// A tile in the format's colour with its short name.
Draw tile(QColor colour, const QString& label)
{
    return [colour, label](QPainter& p) {
        p.setPen(QPen(colour.darker(150), 1));
        p.setBrush(blend(QPointF(0, 2), QPointF(0, 30), colour.lighter(125), colour.darker(115)));
        p.drawRoundedRect(QRectF(1.5, 4.5, 29, 23), 4, 4);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawRoundedRect(QRectF(3, 6, 26, 8), 3, 3);
        QFont font(QStringLiteral("DejaVu Sans Condensed"));
        font.setBold(true);
        font.setPixelSize(label.size() > 3 ? 9 : 11);
        font.setStretch(label.size() > 3 ? QFont::Condensed : QFont::SemiCondensed);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 4, 30, 24), Qt::AlignCenter, label);
    };
}

// The tile with a small badge over its upper right corner ("4K").
Draw badged(Draw base, const QString& badge)
{
    return [base, badge](QPainter& p) {
        base(p);
        p.setPen(QPen(QColor(160, 80, 10), 1));
        p.setBrush(QColor(245, 155, 40));
        p.drawRoundedRect(QRectF(17.5, 0.5, 14, 10), 2.5, 2.5);
        QFont font(QStringLiteral("DejaVu Sans Condensed"));
        font.setBold(true);
        font.setPixelSize(8);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(17.5, 0.5, 14, 10), Qt::AlignCenter, badge);
    };
}

// A screen of the given outline showing a landscape photo, with the black
// bars it gets above and below in a frame taller than the photo.
Draw screenShape(QRectF outline)
{
    return [outline](QPainter& p) {
        p.setPen(QPen(QColor(45, 52, 64), 2));
        p.setBrush(Qt::black);
        p.drawRoundedRect(outline, 2.5, 2.5);
        const QRectF inner = outline.adjusted(1.5, 1.5, -1.5, -1.5);
        const double photoHeight = inner.width() * 9.0 / 16.0;
        const QRectF photo(inner.left(), inner.center().y() - photoHeight / 2, inner.width(), photoHeight);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(110, 170, 230));
        p.drawRect(photo);
        QPainterPath hill;
        hill.moveTo(photo.bottomLeft());
        hill.quadTo(QPointF(photo.center().x(), photo.top() + photo.height() * 0.2), photo.bottomRight());
        hill.closeSubpath();
        p.setBrush(QColor(90, 170, 80));
        p.drawPath(hill);
    };
}

} // namespace

int profileIcons(const QStringList& arguments)
{
    const std::map<QString, Draw> drawings = {
        {QStringLiteral("recent.png"), recentClock},
        {QStringLiteral("general.png"), filmStrip},
        {QStringLiteral("web.png"), globe},
        {QStringLiteral("disc.png"), disc},
        {QStringLiteral("devices.png"), handheld},
        {QStringLiteral("mp4.png"), tile(QColor(40, 120, 200), QStringLiteral("MP4"))},
        {QStringLiteral("avi.png"), tile(QColor(90, 90, 170), QStringLiteral("AVI"))},
        {QStringLiteral("wmv.png"), tile(QColor(30, 150, 150), QStringLiteral("WMV"))},
        {QStringLiteral("mov.png"), tile(QColor(120, 120, 130), QStringLiteral("MOV"))},
        {QStringLiteral("mkv.png"), tile(QColor(150, 70, 160), QStringLiteral("MKV"))},
        {QStringLiteral("flv.png"), tile(QColor(200, 60, 50), QStringLiteral("FLV"))},
        {QStringLiteral("webm.png"), tile(QColor(60, 150, 70), QStringLiteral("WEBM"))},
        {QStringLiteral("dvd.png"), tile(QColor(50, 50, 60), QStringLiteral("DVD"))},
        {QStringLiteral("vcd.png"), tile(QColor(100, 80, 60), QStringLiteral("VCD"))},
        {QStringLiteral("psp.png"), tile(QColor(20, 30, 80), QStringLiteral("PSP"))},
        {QStringLiteral("phone.png"), tile(QColor(220, 130, 30), QStringLiteral("3GP"))},
        {QStringLiteral("mp4_4k.png"), badged(tile(QColor(40, 120, 200), QStringLiteral("MP4")), QStringLiteral("4K"))},
        {QStringLiteral("hevc_4k.png"),
         badged(tile(QColor(30, 90, 120), QStringLiteral("HEVC")), QStringLiteral("4K"))},
        {QStringLiteral("portrait.png"), screenShape(QRectF(8, 2, 16, 28))},
        {QStringLiteral("square.png"), screenShape(QRectF(3, 3, 26, 26))},
    };
    const QDir folder(arguments.at(0));
    if (!makeFolder(folder.path()))
        return 1;
    for (const QString& name : arguments.mid(1)) {
        const auto drawing = drawings.find(name);
        if (drawing == drawings.end()) {
            std::fprintf(stderr, "imagegen: no profile icon drawing for %s\n", qPrintable(name));
            return 1;
        }
        const QImage image = paint(kSize, kSize, QImage::Format_ARGB32_Premultiplied,
                                   QPainter::Antialiasing | QPainter::TextAntialiasing, drawing->second);
        if (!savePng(image, folder.filePath(name)))
            return 1;
    }
    return 0;
}

} // namespace imagegen
