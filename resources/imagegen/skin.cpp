// The default skin's images of the clip slider bar and the icons of the
// audio order dialog: FOLDER/slider/*.png and FOLDER/audioorder/*.png.

#include "imagegen.h"

#include <QColor>
#include <QDir>
#include <QLinearGradient>
#include <QPainterPath>

namespace imagegen {
namespace {

const QColor kTrackEdge(0x8a, 0x90, 0x98);
const QColor kTrackTop(0xc4, 0xc8, 0xce);
const QColor kTrackBottom(0xe6, 0xe8, 0xeb);
const QColor kClipEdge(0x1f, 0x5f, 0xa8);
const QColor kClipTop(0x4d, 0x9b, 0xe8);
const QColor kClipBottom(0x2b, 0x76, 0xc8);
const QColor kGreyEdge(0x9a, 0x9a, 0x9a);
const QColor kGreyTop(0xc8, 0xc8, 0xc8);
const QColor kGreyBottom(0xb0, 0xb0, 0xb0);
const QColor kIcon(0x3a, 0x44, 0x50);
const QColor kAccent(0x2b, 0x76, 0xc8);
const QColor kStop(0xc0, 0x39, 0x2b);

bool save(const QString& path, int width, int height, const Draw& draw)
{
    return savePng(paint(width, height, QImage::Format_ARGB32_Premultiplied, QPainter::Antialiasing, draw), path);
}

// A rounded bar filling the image: the track and the clip regions. The
// corners stay within the borders the slider keeps when it stretches them.
Draw bar(const QColor& edge, const QColor& top, const QColor& bottom)
{
    return [=](QPainter& p) {
        const QRectF r(0.5, 0.5, p.device()->width() - 1.0, p.device()->height() - 1.0);
        p.setPen(QPen(edge, 1));
        p.setBrush(blend(QPointF(0, 0), QPointF(0, r.height()), top, bottom));
        p.drawRoundedRect(r, 2, 2);
    };
}

// The tags hang below the track: a vertical edge on the in or out point and
// a slope away from the clip.
Draw tag(bool start)
{
    return [=](QPainter& p) {
        const double w = p.device()->width();
        const double h = p.device()->height();
        QPainterPath path;
        const double edge = start ? w - 0.5 : 0.5;
        const double far = start ? 0.5 : w - 0.5;
        path.moveTo(edge, 0.5);
        path.lineTo(edge, h - 0.5);
        path.lineTo(far, h - 0.5);
        path.lineTo(far, h * 0.55);
        path.closeSubpath();
        p.setPen(QPen(kClipEdge, 1));
        p.setBrush(kClipTop);
        p.drawPath(path);
    };
}

Draw thumb(bool enabled)
{
    return [=](QPainter& p) {
        const QRectF r(0.5, 0.5, p.device()->width() - 1.0, p.device()->height() - 1.0);
        p.setPen(QPen(enabled ? QColor(0x5a, 0x62, 0x6c) : kGreyEdge, 1));
        p.setBrush(blend(QPointF(0, 0), QPointF(r.width(), 0),
                         enabled ? QColor(0xff, 0xff, 0xff) : QColor(0xe4, 0xe4, 0xe4),
                         enabled ? QColor(0xdc, 0xe0, 0xe6) : QColor(0xcc, 0xcc, 0xcc)));
        p.drawRoundedRect(r, 3, 3);
        p.setPen(QPen(enabled ? kAccent : kGreyEdge, 2));
        const double cx = p.device()->width() / 2.0;
        p.drawLine(QPointF(cx, 4), QPointF(cx, r.bottom() - 3.5));
    };
}

// Icons are 16 x 16 on a transparent ground. The sound buttons show the
// state the sound is in: the mute button a sounding speaker, the unmute
// button a crossed-out one.
constexpr int kIconSize = 16;

void triangle(QPainter& p, double left, double top, double right, double bottom, const QColor& colour)
{
    fillShape(p, {{left, top}, {right, (top + bottom) / 2}, {left, bottom}}, colour);
}

void arrow(QPainter& p, bool up)
{
    const double tip = up ? 2 : 14;
    const double base = up ? 8 : 8;
    const double tail = up ? 14 : 2;
    fillShape(p, {{8, tip}, {14, base}, {10, base}, {10, tail}, {6, tail}, {6, base}, {2, base}}, kIcon);
}

// A bracket standing on the in point ([) or out point (]) with a small
// marker pointing at it.
void bracket(QPainter& p, bool in)
{
    p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const double x = in ? 4 : 12;
    const double lip = in ? 8 : 8;
    QPainterPath path;
    path.moveTo(lip, 2);
    path.lineTo(x, 2);
    path.lineTo(x, 14);
    path.lineTo(lip, 14);
    p.drawPath(path);
    if (in)
        triangle(p, 8, 5, 13, 11, kIcon);
    else
        triangle(p, 3, 5, 8, 11, kIcon);
}

void speaker(QPainter& p) { fillShape(p, {{1, 6}, {4, 6}, {8, 2}, {8, 14}, {4, 10}, {1, 10}}, kIcon); }

bool writeSlider(const QDir& dir)
{
    bool ok = true;
    ok &= save(dir.filePath("fore.png"), 20, 8, bar(kTrackEdge, kTrackTop, kTrackBottom));
    ok &= save(dir.filePath("clipfore.png"), 20, 8, bar(kClipEdge, kClipTop, kClipBottom));
    ok &= save(dir.filePath("clipforeselected.png"), 20, 8,
               bar(kClipEdge, kClipTop.lighter(120), kClipBottom.lighter(120)));
    ok &= save(dir.filePath("clipforedisabled.png"), 20, 8, bar(kGreyEdge, kGreyTop, kGreyBottom));
    ok &= save(dir.filePath("gone.png"), 20, 8, bar(kClipEdge, kClipBottom, kClipEdge));
    ok &= save(dir.filePath("cliptagstart.png"), 8, 10, tag(true));
    ok &= save(dir.filePath("cliptagend.png"), 8, 10, tag(false));
    ok &= save(dir.filePath("thumb.png"), 11, 18, thumb(true));
    ok &= save(dir.filePath("thumbdisabled.png"), 11, 18, thumb(false));
    return ok;
}

bool writeIcons(const QDir& dir)
{
    const auto icon = [&](const char* name, const Draw& draw) {
        return save(dir.filePath(QString::fromLatin1(name) + ".png"), kIconSize, kIconSize, draw);
    };
    bool ok = true;
    ok &= icon("add", [](QPainter& p) {
        p.fillRect(QRectF(7, 2, 2, 12), kIcon);
        p.fillRect(QRectF(2, 7, 12, 2), kIcon);
    });
    ok &= icon("delete", [](QPainter& p) {
        p.setPen(QPen(kStop, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    });
    ok &= icon("moveup", [](QPainter& p) { arrow(p, true); });
    ok &= icon("movedown", [](QPainter& p) { arrow(p, false); });
    ok &= icon("play", [](QPainter& p) { triangle(p, 3, 2, 14, 14, kIcon); });
    ok &= icon("pause", [](QPainter& p) {
        p.fillRect(QRectF(3, 2, 4, 12), kIcon);
        p.fillRect(QRectF(9, 2, 4, 12), kIcon);
    });
    ok &= icon("playsegment", [](QPainter& p) {
        p.fillRect(QRectF(1, 2, 2, 12), kAccent);
        p.fillRect(QRectF(13, 2, 2, 12), kAccent);
        triangle(p, 5, 3, 12, 13, kIcon);
    });
    ok &= icon("stop", [](QPainter& p) { p.fillRect(QRectF(3, 3, 10, 10), kIcon); });
    ok &= icon("inpoint", [](QPainter& p) { bracket(p, true); });
    ok &= icon("outpoint", [](QPainter& p) { bracket(p, false); });
    ok &= icon("speakeroff", [](QPainter& p) {
        speaker(p);
        p.setPen(QPen(kStop, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 5.5), QPointF(15, 10.5));
        p.drawLine(QPointF(15, 5.5), QPointF(10, 10.5));
    });
    ok &= icon("speaker", [](QPainter& p) {
        speaker(p);
        p.setPen(QPen(kIcon, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 5, 5, 6), -60 * 16, 120 * 16);
        p.drawArc(QRectF(5, 2.5, 10, 11), -60 * 16, 120 * 16);
    });
    return ok;
}

} // namespace

int skinImages(const QStringList& arguments)
{
    const QDir root(arguments.at(0));
    if (!makeFolder(root.filePath("slider")) || !makeFolder(root.filePath("audioorder")))
        return 1;
    const bool ok = writeSlider(QDir(root.filePath("slider"))) & writeIcons(QDir(root.filePath("audioorder")));
    return ok ? 0 : 1;
}

} // namespace imagegen
