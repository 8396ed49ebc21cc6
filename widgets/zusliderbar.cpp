#include "zusliderbar.h"

#include "writelog.h"
#include "zu.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {

enum MissingImage {
    MissingFore = 1,
    MissingStartTag = 2,
    MissingEndTag = 4,
    MissingThumb = 8
};

// The track image keeps these borders when it is stretched.
constexpr int kBorderLeft = 2;
constexpr int kBorderTop = 3;
constexpr int kBorderRight = 2;
constexpr int kBorderBottom = 3;

QPixmap stretched(const QPixmap& pixmap, const QSize& size)
{
    return Zu::scaleBorderImage(pixmap, size, kBorderLeft, kBorderTop, kBorderRight, kBorderBottom);
}

} // namespace

ZuSliderBar::ZuSliderBar(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ZuSliderBar::setValue(int value)
{
    // A programmatic position (playback) must not fight the user's drag.
    if (m_thumbHeld)
        return;
    m_value = value;
    update();
}

void ZuSliderBar::setRange(int minimum, int maximum)
{
    // An empty range (a clip shorter than one unit) is a range all the same:
    // keeping the previous one would let the tags go past the new clip's end.
    if (minimum < 0 || minimum > maximum)
        return;
    m_minimum = minimum;
    m_maximum = maximum;
    if (m_clipStart == -1 || m_clipStart < minimum || m_clipStart > maximum)
        m_clipStart = minimum;
    if (m_clipEnd == -1 || m_clipEnd > maximum || m_clipEnd < m_clipStart)
        m_clipEnd = maximum;
    m_value = std::clamp(m_value, minimum, maximum);
    update();
}

void ZuSliderBar::setClipStartPos(int position)
{
    m_clipStart = position;
    update();
}

void ZuSliderBar::setClipEndPos(int position)
{
    m_clipEnd = position;
    update();
}

void ZuSliderBar::setType(int type)
{
    m_type = type;
    update();
}

int ZuSliderBar::trackLeft() const { return rect().left() + m_horiMargin; }

int ZuSliderBar::trackRight() const { return rect().right() - m_horiMargin; }

int ZuSliderBar::trackWidth() const { return trackRight() - trackLeft() + 1; }

double ZuSliderBar::positionToX(int position) const
{
    if (m_maximum <= m_minimum)
        return trackLeft();
    const double scale = double(trackWidth()) / double(m_maximum - m_minimum);
    return trackLeft() + double(position - m_minimum) * scale;
}

int ZuSliderBar::xToPosition(int x) const
{
    const int width = trackWidth();
    if (width <= 0)
        return m_minimum;
    // Multiplied before dividing, so a pixel drawn for a position maps back
    // to that position rather than one below it.
    return m_minimum + int(double(qint64(m_maximum - m_minimum) * (x - trackLeft())) / width);
}

QRect ZuSliderBar::thumbRect() const
{
    const int x = int(positionToX(m_value)) - m_thumb.width() / 2;
    return QRect(x, m_thumbTop, m_thumb.width(), m_thumb.height());
}

// The tag rectangles are where the tags are painted, so a press lands on
// the tag the user sees also with centred tags.
QRect ZuSliderBar::startTagRect() const
{
    const int xs = int(positionToX(m_clipStart));
    const int w = m_clipStartTag.width();
    return QRect(m_isThumbCenter ? xs - w / 2 : xs - w, m_clipTagTop, w, m_clipStartTag.height());
}

QRect ZuSliderBar::endTagRect() const
{
    const int xe = int(positionToX(m_clipEnd));
    const int w = m_clipEndTag.width();
    return QRect(m_isThumbCenter ? xe - w / 2 : xe, m_clipTagTop, w, m_clipEndTag.height());
}

void ZuSliderBar::logMissing(const QPixmap& pixmap, int image)
{
    if (!pixmap.isNull() || (m_loggedMissing & unsigned(image)))
        return;
    m_loggedMissing |= unsigned(image);
    writeLogEvent("zusliderbar", __LINE__);
}

void ZuSliderBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int left = trackLeft();
    const int width = trackWidth();
    if (width <= 0)
        return;

    if (m_fore.isNull()) {
        logMissing(m_fore, MissingFore);
    } else {
        painter.save();
        painter.setClipRect(QRect(left, 0, width, height()));
        painter.drawPixmap(left, m_foreTop, stretched(m_fore, QSize(width, m_fore.height())));
        painter.restore();
    }
    // An empty range has no positions to show: the bare track.
    if (m_maximum <= m_minimum)
        return;

    if (!(m_type & (ShowClipRegion | ShowClipTags)))
        return paintThumb(painter);

    const double xs = positionToX(m_clipStart);
    const double xe = positionToX(m_clipEnd);
    const QPixmap& clipFore = isEnabled() ? m_clipFore : m_disableClipFore;
    if ((m_type & ShowClipRegion) && !m_clipFore.isNull() && !clipFore.isNull()) {
        const QRect region(int(xs), m_clipForeTop, int(xe - xs), clipFore.height());
        if (!region.isEmpty()) {
            painter.save();
            painter.setClipRect(region);
            painter.drawPixmap(region.topLeft(), stretched(clipFore, region.size()));
            painter.restore();
        }
    }

    if (m_type & ShowClipTags) {
        if (m_clipStartTag.isNull())
            logMissing(m_clipStartTag, MissingStartTag);
        else
            painter.drawPixmap(startTagRect().topLeft(), m_clipStartTag);
        if (m_clipEndTag.isNull())
            logMissing(m_clipEndTag, MissingEndTag);
        else
            painter.drawPixmap(endTagRect().topLeft(), m_clipEndTag);
    }
    paintThumb(painter);
}

void ZuSliderBar::paintThumb(QPainter& painter)
{
    if (!(m_type & ShowThumb))
        return;
    if (m_thumb.isNull())
        logMissing(m_thumb, MissingThumb);
    else
        painter.drawPixmap(thumbRect().topLeft(), m_thumb);
}

void ZuSliderBar::mousePressEvent(QMouseEvent* event)
{
    m_dragMode = DragNone;
    const QPoint pos = event->position().toPoint();
    if ((m_type & ShowThumb) && !m_thumb.isNull() && thumbRect().contains(pos)) {
        m_dragMode = DragThumb;
        m_thumbHeld = true;
        return;
    }
    if (m_type & ShowClipTags) {
        if (!m_clipStartTag.isNull() && startTagRect().contains(pos)) {
            m_dragMode = DragStartTag;
            return;
        }
        if (!m_clipEndTag.isNull() && endTagRect().contains(pos)) {
            m_dragMode = DragEndTag;
            return;
        }
    }
    if (trackWidth() <= 0)
        return;
    const int v = xToPosition(pos.x());
    if (v >= 0 && v <= m_maximum) {
        m_value = v;
        update();
        emit valueChanged(v);
    }
}

void ZuSliderBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_dragMode == DragNone || trackWidth() <= 0)
        return;
    const int left = trackLeft();
    const int right = trackRight();
    int x = int(event->position().x());
    if (x <= left) {
        if ((m_dragMode == DragThumb && m_value == m_minimum) ||
            (m_dragMode == DragStartTag && m_clipStart == m_minimum))
            return;
        x = left;
    } else if (x >= right) {
        if ((m_dragMode == DragThumb && m_value == m_maximum) || (m_dragMode == DragEndTag && m_clipEnd == m_maximum))
            return;
        x = right;
    }
    const int v = x == right ? m_maximum : xToPosition(x);

    switch (m_dragMode) {
    case DragThumb:
        if (v != m_value) {
            emit valueChanged(v);
            m_value = v;
        }
        break;
    case DragStartTag:
        // A move that would bring the tags closer than the least clip time
        // is dropped, not clamped.
        if (v <= m_clipEnd - m_leastClipTime) {
            m_clipStart = v;
            emit clipStartChanged(v);
        }
        break;
    case DragEndTag:
        if (v >= m_clipStart + m_leastClipTime) {
            m_clipEnd = v;
            emit clipEndChanged(v);
        }
        break;
    default: break;
    }
    update();
}

void ZuSliderBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_thumbHeld = false;
    const int v = std::clamp(xToPosition(int(event->position().x())), 0, std::max(0, m_maximum));
    switch (m_dragMode) {
    case DragStartTag: emit startTagMouseRelease(v); break;
    case DragEndTag: emit endTagMouseRelease(v); break;
    default: emit thumbMouseRelease(v); break;
    }
}

void ZuSliderBar::wheelEvent(QWheelEvent* event)
{
    // One notch up moves one unit down, as the track reads left to right.
    const int v = m_value - event->angleDelta().y() / 120;
    if (v >= m_minimum && v <= m_maximum) {
        if (!m_thumbHeld) {
            m_value = v;
            update();
        }
        emit valueChanged(v);
    }
    event->accept();
}

void ZuSliderBar::setHoriMargin(int margin)
{
    m_horiMargin = margin;
    update();
}

void ZuSliderBar::setForeTop(int top)
{
    m_foreTop = top;
    update();
}

void ZuSliderBar::setFore(const QString& path)
{
    m_forePath = path;
    m_fore = QPixmap(path);
    update();
}

void ZuSliderBar::setClipForeTop(int top)
{
    m_clipForeTop = top;
    update();
}

void ZuSliderBar::setClipFore(const QString& path)
{
    m_clipForePath = path;
    m_clipFore = QPixmap(path);
    update();
}

void ZuSliderBar::setClipForeSelected(const QString& path)
{
    m_clipForeSelectedPath = path;
    m_clipForeSelected = QPixmap(path);
}

void ZuSliderBar::setDisableClipFore(const QString& path)
{
    m_disableClipForePath = path;
    m_disableClipFore = QPixmap(path);
    update();
}

void ZuSliderBar::setGoneTop(int top) { m_goneTop = top; }

void ZuSliderBar::setGone(const QString& path)
{
    m_gonePath = path;
    m_gone = QPixmap(path);
}

void ZuSliderBar::setClipTagTop(int top)
{
    m_clipTagTop = top;
    update();
}

void ZuSliderBar::setClipStart(const QString& path)
{
    m_clipStartPath = path;
    m_clipStartTag = QPixmap(path);
    update();
}

void ZuSliderBar::setClipEnd(const QString& path)
{
    m_clipEndPath = path;
    m_clipEndTag = QPixmap(path);
    update();
}

void ZuSliderBar::setThumbTop(int top)
{
    m_thumbTop = top;
    update();
}

void ZuSliderBar::setThumb(const QString& path)
{
    m_thumbPath = path;
    m_thumb = QPixmap(path);
    update();
}

void ZuSliderBar::setDisabaleThumb(const QString& path)
{
    m_disableThumbPath = path;
    m_disableThumb = QPixmap(path);
}

void ZuSliderBar::setIsThumbCenter(bool center)
{
    m_isThumbCenter = center;
    update();
}
