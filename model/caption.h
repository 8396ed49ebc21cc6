#pragma once
// Text over a photo, and title cards: photos of the album that show a colour
// or a gradient instead of a file. How a caption looks is decided here, once,
// for every size of frame: the preview, the compile and the thumbnails all
// draw it with paintCaption(), so they show the same text in the same place.

#include <QColor>
#include <QImage>
#include <QMetaType>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

enum class CaptionPlace : qint32 {
    Bottom = 0,
    Top = 1,
    Centre = 2,
    Free = 3 // centred on Caption::point
};

enum class CaptionBackdrop : qint32 {
    None = 0,
    Shadow = 1,  // a soft dark shadow below and right of the letters
    Outline = 2, // a dark edge round every letter
    Band = 3     // a translucent dark band across the frame behind the text
};

struct Caption {
    // Plain text (never markup); '\n' starts a new line, and a line too wide
    // for the frame wraps at word boundaries.
    QString text;
    CaptionPlace place = CaptionPlace::Bottom;
    // With CaptionPlace::Free, the centre of the text block as fractions of
    // the frame's width and height (0..1 each).
    QPointF point{0.5, 0.5};
    // The height of a line of text as a fraction of the frame height, so the
    // caption covers the same share of a 720p and a 4K frame.
    double size = DefaultSize;
    // The font family; empty means the default sans-serif face.
    QString family;
    QColor colour = Qt::white;
    CaptionBackdrop backdrop = CaptionBackdrop::Shadow;

    static constexpr double DefaultSize = 0.06;
    static constexpr double MinSize = 0.02;
    static constexpr double MaxSize = 0.3;

    // Nothing to draw: no text but white space.
    bool isEmpty() const;
    bool operator==(const Caption& other) const;
    bool operator!=(const Caption& other) const { return !(*this == other); }
};

// A caption as drawn for one frame size: its picture (premultiplied ARGB,
// text and backdrop, transparent elsewhere) and where that picture lies in
// the frame (top-left origin, within the frame). Empty for an empty caption.
struct CaptionPicture {
    QImage image;
    QRect rect;
    bool isEmpty() const { return image.isNull() || rect.isEmpty(); }
};

// Draws `caption` for a frame of `frame` pixels with high-quality
// antialiasing. Right-to-left and mixed text are laid out by Qt's text
// engine, and characters the chosen font lacks come from a fallback font.
CaptionPicture paintCaption(const Caption& caption, QSize frame);
// Where paintCaption() would put the caption's picture, without drawing it.
QRect captionRect(const Caption& caption, QSize frame);
// The centre of the caption's text block as fractions of the frame (what
// CaptionPlace::Free keeps in Caption::point), for any place.
QPointF captionCentre(const Caption& caption, QSize frame);

// The background of a title card: a vertical gradient from `top` to
// `bottom` (one colour when both are the same), opaque, of `size`.
QImage paintCardBackground(const QColor& top, const QColor& bottom, QSize size);

Q_DECLARE_METATYPE(Caption)
