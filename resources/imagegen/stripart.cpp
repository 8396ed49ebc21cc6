// The audio strip's item caps and the getting-started pictures in the
// program's languages.

#include "imagegen.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainterPath>

#include <vector>

namespace imagegen {
namespace {

const QColor kTop(0xd8, 0xee, 0xfb);
const QColor kBottom(0x9f, 0xcf, 0xec);
const QColor kEdge(0x4a, 0x8f, 0xbf);
const QColor kWave(0x7f, 0xb8, 0xdd);
const QColor kInk(0x23, 0x3d, 0x55);
const QColor kAccent(0xf0, 0x8c, 0x3a);

constexpr int kCapHeight = 26;

QLinearGradient stripGradient() { return blend(QPointF(0, 0), QPointF(0, kCapHeight), kTop, kBottom); }

void drawNote(QPainter& p, QPointF head, qreal size, const QColor& colour)
{
    // Two beamed eighth notes.
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const qreal gap = size * 0.55;
    for (qreal dx : {0.0, gap}) {
        p.save();
        p.translate(head + QPointF(dx, dx == 0.0 ? 0.0 : -size * 0.12));
        p.rotate(-20);
        p.drawEllipse(QRectF(-size * 0.2, -size * 0.14, size * 0.4, size * 0.28));
        p.restore();
    }
    const qreal stem = size * 0.08;
    const QPointF left = head + QPointF(size * 0.16, 0);
    const QPointF right = head + QPointF(gap + size * 0.16, -size * 0.12);
    p.drawRect(QRectF(left.x() - stem, left.y() - size * 0.85, stem, size * 0.85));
    p.drawRect(QRectF(right.x() - stem, right.y() - size * 0.85, stem, size * 0.85));
    QPainterPath beam;
    beam.moveTo(left.x() - stem, left.y() - size * 0.85);
    beam.lineTo(right.x(), right.y() - size * 0.85);
    beam.lineTo(right.x(), right.y() - size * 0.85 + size * 0.18);
    beam.lineTo(left.x() - stem, left.y() - size * 0.85 + size * 0.18);
    beam.closeSubpath();
    p.drawPath(beam);
    p.restore();
}

// Left end of an audio item: rounded, with a note where the text leaves room.
QImage head()
{
    return paint(28, kCapHeight, QImage::Format_ARGB32, QPainter::Antialiasing, [](QPainter& p) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(0.5, 0.5, 40, kCapHeight - 1), 7, 7);
        p.setClipRect(0, 0, 28, kCapHeight);
        p.fillPath(shape, stripGradient());
        p.setPen(QPen(kEdge, 1));
        p.drawPath(shape);
        drawNote(p, QPointF(9, 19), 14, kEdge);
    });
}

// Repeating middle of an audio item: the gradient with a soft wave along the
// lower edge, kept away from the middle where the item's text sits.
QImage body()
{
    // Not antialiased: the one-pixel lines must stay sharp when tiled.
    return paint(16, kCapHeight, QImage::Format_ARGB32, {}, [](QPainter& p) {
        p.fillRect(QRect(0, 0, 16, kCapHeight), stripGradient());
        p.setPen(QPen(kEdge, 1));
        p.drawLine(0, 0, 15, 0);
        p.drawLine(0, kCapHeight - 1, 15, kCapHeight - 1);
        const int heights[16] = {2, 3, 5, 4, 2, 3, 4, 5, 3, 2, 4, 5, 3, 2, 3, 2};
        p.setPen(QPen(kWave, 1));
        for (int x = 0; x < 16; ++x)
            p.drawLine(x, kCapHeight - 2, x, kCapHeight - 2 - heights[x]);
    });
}

struct Step {
    QString title;
    QString text;
};

void drawPhotoIcon(QPainter& p, const QRectF& r)
{
    p.save();
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r.adjusted(6, 0, 0, -6), 4, 4);
    p.drawRoundedRect(r.adjusted(0, 6, -6, 0), 4, 4);
    const QRectF inner = r.adjusted(5, 11, -11, -5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xcf, 0xe8, 0xf7));
    p.drawRect(inner);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(inner.right() - inner.width() * 0.25, inner.top() + inner.height() * 0.3),
                  inner.width() * 0.1, inner.width() * 0.1);
    p.setBrush(QColor(0x5c, 0xa8, 0x5c));
    QPainterPath hills;
    hills.moveTo(inner.bottomLeft());
    hills.lineTo(inner.left() + inner.width() * 0.35, inner.top() + inner.height() * 0.45);
    hills.lineTo(inner.left() + inner.width() * 0.6, inner.top() + inner.height() * 0.75);
    hills.lineTo(inner.left() + inner.width() * 0.75, inner.top() + inner.height() * 0.6);
    hills.lineTo(inner.bottomRight());
    hills.closeSubpath();
    p.drawPath(hills);
    p.restore();
}

void drawMusicIcon(QPainter& p, const QRectF& r)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xcf, 0xe8, 0xf7));
    p.drawEllipse(r);
    drawNote(p, QPointF(r.left() + r.width() * 0.32, r.top() + r.height() * 0.72), r.width() * 0.5, kInk);
    p.restore();
}

void drawFilmIcon(QPainter& p, const QRectF& r)
{
    p.save();
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(0x35, 0x4f, 0x66));
    const QRectF film = r.adjusted(0, r.height() * 0.15, 0, -r.height() * 0.15);
    p.drawRoundedRect(film, 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int i = 0; i < 6; ++i) {
        const qreal x = film.left() + 4 + i * (film.width() - 8) / 6;
        p.drawRect(QRectF(x, film.top() + 3, 4, 4));
        p.drawRect(QRectF(x, film.bottom() - 7, 4, 4));
    }
    const QPointF c = film.center();
    fillShape(p, {c + QPointF(-7, -9), c + QPointF(10, 0), c + QPointF(-7, 9)}, kAccent);
    p.restore();
}

// The picture shown in the empty album: three numbered steps in the
// language of `title` and `steps`.
void drawGettingStarted(QPainter& p, const QSize& size, const QString& title, const std::vector<Step>& steps)
{
    p.setPen(QPen(kEdge, 2));
    p.setBrush(QColor(0xf6, 0xfb, 0xfe));
    p.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 16, 16);

    QFont titleFont(QStringLiteral("DejaVu Sans"));
    titleFont.setPixelSize(26);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.setPen(kInk);
    p.drawText(QRectF(0, 14, size.width(), 36), Qt::AlignCenter, title);

    const qreal column = (size.width() - 40) / 3.0;
    QFont stepFont(QStringLiteral("DejaVu Sans"));
    stepFont.setPixelSize(17);
    stepFont.setBold(true);
    QFont textFont(QStringLiteral("DejaVu Sans"));
    textFont.setPixelSize(14);
    for (int i = 0; i < 3; ++i) {
        const qreal left = 20 + i * column;
        const QRectF icon(left + column / 2 - 28, 62, 56, 56);
        if (i == 0)
            drawPhotoIcon(p, icon);
        else if (i == 1)
            drawMusicIcon(p, icon);
        else
            drawFilmIcon(p, icon);

        // Numbered badge on the icon's upper left.
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(icon.left() - 10, icon.top() + 6), 13, 13);
        p.setPen(Qt::white);
        p.setFont(stepFont);
        p.drawText(QRectF(icon.left() - 23, icon.top() - 7, 26, 26), Qt::AlignCenter, QString::number(i + 1));

        // Long titles (German) get a smaller font rather than a cut edge.
        QFont fitted = stepFont;
        while (fitted.pixelSize() > 11 && QFontMetrics(fitted).horizontalAdvance(steps[i].title) > column - 12)
            fitted.setPixelSize(fitted.pixelSize() - 1);
        p.setFont(fitted);
        p.setPen(kInk);
        p.drawText(QRectF(left + 6, 128, column - 12, 26), Qt::AlignHCenter | Qt::AlignVCenter, steps[i].title);
        p.setFont(textFont);
        p.setPen(QColor(0x45, 0x5c, 0x70));
        p.drawText(QRectF(left + 10, 158, column - 20, 80), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   steps[i].text);

        if (i < 2) {
            // Arrow to the next step.
            p.setPen(QPen(kEdge, 3, Qt::SolidLine, Qt::RoundCap));
            const qreal y = icon.center().y();
            const qreal x0 = left + column - 22;
            p.drawLine(QPointF(x0, y), QPointF(x0 + 26, y));
            p.drawLine(QPointF(x0 + 26, y), QPointF(x0 + 18, y - 7));
            p.drawLine(QPointF(x0 + 26, y), QPointF(x0 + 18, y + 7));
        }
    }
}

QImage gettingStarted(const QString& title, const std::vector<Step>& steps)
{
    const QSize size(660, 250);
    return paint(size.width(), size.height(), QImage::Format_ARGB32,
                 QPainter::Antialiasing | QPainter::TextAntialiasing,
                 [&](QPainter& p) { drawGettingStarted(p, size, title, steps); });
}

bool save(const QImage& image, const QDir& dir, const QString& name) { return savePng(image, dir.filePath(name)); }

} // namespace

int stripArt(const QStringList& arguments)
{
    const QDir dir(arguments.at(0));
    if (!makeFolder(dir.path()))
        return 1;

    const std::vector<Step> english = {
        {QStringLiteral("Add your photos"), QStringLiteral("Drag photos onto the album strip or import a folder.")},
        {QStringLiteral("Add music"), QStringLiteral("Drop songs onto the sound strip below the photos.")},
        {QStringLiteral("Preview and create"), QStringLiteral("Play the album, then make your video.")},
    };
    const std::vector<Step> german = {
        {QStringLiteral("Fotos hinzufügen"),
         QStringLiteral("Fotos auf den Fotostreifen ziehen oder einen Ordner importieren.")},
        {QStringLiteral("Musik hinzufügen"), QStringLiteral("Lieder auf den Tonstreifen unter den Fotos ziehen.")},
        {QStringLiteral("Ansehen und erstellen"), QStringLiteral("Album abspielen, dann das Video erstellen.")},
    };

    const bool ok =
        save(head(), dir, QStringLiteral("head.png")) && save(body(), dir, QStringLiteral("body.png")) &&
        save(gettingStarted(QStringLiteral("Getting started"), english), dir, QStringLiteral("gettingstart.png")) &&
        save(gettingStarted(QStringLiteral("Los geht’s"), german), dir, QStringLiteral("gettingstart_de_DE.png"));
    return ok ? 0 : 1;
}

} // namespace imagegen
