#include "caption.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

bool Caption::isEmpty() const { return text.trimmed().isEmpty(); }

bool Caption::operator==(const Caption& other) const
{
    return text == other.text && place == other.place && point == other.point && size == other.size &&
           family == other.family && colour == other.colour && backdrop == other.backdrop;
}

namespace {

// Titles stay inside the part of the frame every screen shows.
constexpr double kSafeMargin = 0.06;
constexpr double kMaxWidth = 0.9;
constexpr int kBandAlpha = 140;
constexpr int kShadowAlpha = 200;

bool canDrawText() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

QFont captionFont(const Caption& caption, int pixelSize)
{
    QFont font;
    font.setFamilies(caption.family.isEmpty() ? QStringList{QStringLiteral("Sans Serif")}
                                              : QStringList{caption.family, QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif, QFont::StyleStrategy(QFont::PreferAntialias | QFont::PreferQuality));
    // Outlines scale with the frame exactly when no size is nudged onto the
    // pixel grid, so 720p and 4K show the same layout.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setWeight(QFont::DemiBold);
    font.setPixelSize(std::max(1, pixelSize));
    return font;
}

// The caption's text laid out for one frame: the glyph outlines of every
// line, in frame coordinates, and the block they fill.
struct TextBlock {
    QPainterPath glyphs;
    QRectF block;   // the lines' extent
    double pad = 0; // room round the block for the shadow and the outline
    int pixelSize = 0;
};

TextBlock layOut(const Caption& caption, QSize frame)
{
    TextBlock result;
    if (caption.isEmpty() || frame.isEmpty() || !canDrawText())
        return result;
    const double W = frame.width();
    const double H = frame.height();
    result.pixelSize = int(std::lround(std::clamp(caption.size, Caption::MinSize, Caption::MaxSize) * H));
    const QFont font = captionFont(caption, result.pixelSize);
    const double lineWidth = W * kMaxWidth;

    // Each paragraph keeps its own direction, so a Hebrew line and an
    // English one are each laid out the way they read.
    QPainterPath path;
    double y = 0.0;
    double left = lineWidth;
    double right = 0.0;
    const QStringList paragraphs = caption.text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font);
        QTextOption option(Qt::AlignHCenter);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTextDirection(paragraph.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            line.setPosition(QPointF(0.0, y));
            y += line.height();
            if (line.naturalTextWidth() > 0.0) {
                const double x = line.x() + (lineWidth - line.naturalTextWidth()) / 2.0;
                left = std::min(left, x);
                right = std::max(right, x + line.naturalTextWidth());
            }
        }
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        for (const QGlyphRun& run : runs) {
            const QRawFont raw = run.rawFont();
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size(); ++i)
                path.addPath(raw.pathForGlyph(indexes[i]).translated(positions[i]));
        }
    }
    if (right <= left || y <= 0.0)
        return result;

    // Where the block goes in the frame.
    const QSizeF size(right - left, y);
    QPointF centre(W / 2.0, H / 2.0);
    switch (caption.place) {
    case CaptionPlace::Bottom: centre.setY(H * (1.0 - kSafeMargin) - size.height() / 2.0); break;
    case CaptionPlace::Top: centre.setY(H * kSafeMargin + size.height() / 2.0); break;
    case CaptionPlace::Centre: break;
    case CaptionPlace::Free:
        centre = QPointF(std::clamp(caption.point.x(), 0.0, 1.0) * W, std::clamp(caption.point.y(), 0.0, 1.0) * H);
        break;
    }
    // A block that fits stays wholly inside the frame wherever it is put,
    // its shadow or outline too.
    result.pad = std::ceil(result.pixelSize * 0.15) + 2.0;
    const auto keepInside = [&](double c, double extent, double room) {
        const double half = extent / 2.0 + result.pad;
        return 2.0 * half >= room ? room / 2.0 : std::clamp(c, half, room - half);
    };
    centre.setX(keepInside(centre.x(), size.width(), W));
    centre.setY(keepInside(centre.y(), size.height(), H));
    result.block = QRectF(QPointF(centre.x() - size.width() / 2.0, centre.y() - size.height() / 2.0), size);
    result.glyphs = path.translated(result.block.left() - left, result.block.top());
    return result;
}

QRect pictureRect(const Caption& caption, const TextBlock& text, QSize frame)
{
    if (text.block.isEmpty())
        return {};
    QRectF area = text.block.adjusted(-text.pad, -text.pad, text.pad, text.pad);
    if (caption.backdrop == CaptionBackdrop::Band) {
        area.setLeft(0.0);
        area.setRight(frame.width());
    }
    return area.toAlignedRect().intersected(QRect(QPoint(0, 0), frame));
}

} // namespace

QRect captionRect(const Caption& caption, QSize frame) { return pictureRect(caption, layOut(caption, frame), frame); }

QPointF captionCentre(const Caption& caption, QSize frame)
{
    const TextBlock text = layOut(caption, frame);
    if (text.block.isEmpty() || frame.isEmpty())
        return caption.point;
    return QPointF(text.block.center().x() / frame.width(), text.block.center().y() / frame.height());
}

CaptionPicture paintCaption(const Caption& caption, QSize frame)
{
    const TextBlock text = layOut(caption, frame);
    const QRect rect = pictureRect(caption, text, frame);
    if (rect.isEmpty())
        return {};
    CaptionPicture picture;
    picture.rect = rect;
    picture.image = QImage(rect.size(), QImage::Format_ARGB32_Premultiplied);
    picture.image.fill(Qt::transparent);
    const QPainterPath glyphs = text.glyphs.translated(-rect.topLeft());

    QPainter painter(&picture.image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    switch (caption.backdrop) {
    case CaptionBackdrop::None: break;
    case CaptionBackdrop::Band: {
        const QRectF band = text.block.adjusted(-text.pad, -text.pad, text.pad, text.pad).translated(-rect.topLeft());
        painter.fillRect(QRectF(0.0, band.top(), rect.width(), band.height()), QColor(0, 0, 0, kBandAlpha));
        break;
    }
    case CaptionBackdrop::Shadow: {
        // Drawn small and scaled up smoothly: a soft edge without a blur
        // filter.
        const double offset = std::max(1.0, text.pixelSize * 0.06);
        QImage shadow(rect.size(), QImage::Format_ARGB32_Premultiplied);
        shadow.fill(Qt::transparent);
        {
            QPainter shade(&shadow);
            shade.setRenderHint(QPainter::Antialiasing);
            shade.fillPath(glyphs.translated(offset, offset), QColor(0, 0, 0, kShadowAlpha));
        }
        const int factor = std::clamp(text.pixelSize / 16, 1, 4);
        if (factor > 1)
            shadow = shadow
                         .scaled(std::max(1, rect.width() / factor), std::max(1, rect.height() / factor),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(0, 0, shadow);
        break;
    }
    case CaptionBackdrop::Outline: {
        QPen pen(QColor(0, 0, 0, 230), std::max(1.5, text.pixelSize * 0.12));
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(glyphs, pen);
        break;
    }
    }
    painter.fillPath(glyphs, caption.colour);
    return picture;
}

QImage paintCardBackground(const QColor& top, const QColor& bottom, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const QColor first = top.isValid() ? top : QColor(Qt::black);
    const QColor last = bottom.isValid() ? bottom : first;
    if (first.rgb() == last.rgb()) {
        image.fill(first.rgb());
        return image;
    }
    QLinearGradient gradient(0.0, 0.0, 0.0, size.height());
    gradient.setColorAt(0.0, QColor(first.rgb()));
    gradient.setColorAt(1.0, QColor(last.rgb()));
    QPainter painter(&image);
    painter.fillRect(image.rect(), gradient);
    return image;
}
