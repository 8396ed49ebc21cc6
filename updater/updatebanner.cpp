#include "updatebanner.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kHeight = 72;
constexpr int kBadge = 44;
constexpr int kMargin = 24;

} // namespace

UpdateBanner::UpdateBanner(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
}

void UpdateBanner::setTitle(const QString& title)
{
    m_title = title;
    update();
}

void UpdateBanner::setSubtitle(const QString& subtitle)
{
    m_subtitle = subtitle;
    update();
}

QSize UpdateBanner::sizeHint() const { return QSize(400, kHeight); }

void UpdateBanner::paintBadge(QPainter& painter, const QRectF& rect, const QColor& color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(rect);

    // A downward arrow onto a tray, scaled to the badge.
    const double s = rect.width() / 44.0;
    const QPointF o = rect.topLeft();
    QPainterPath arrow;
    arrow.moveTo(o + QPointF(19 * s, 9 * s));
    arrow.lineTo(o + QPointF(25 * s, 9 * s));
    arrow.lineTo(o + QPointF(25 * s, 20 * s));
    arrow.lineTo(o + QPointF(31 * s, 20 * s));
    arrow.lineTo(o + QPointF(22 * s, 29 * s));
    arrow.lineTo(o + QPointF(13 * s, 20 * s));
    arrow.lineTo(o + QPointF(19 * s, 20 * s));
    arrow.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
    QPen tray(Qt::white, 3 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(tray);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF{o + QPointF(12 * s, 28 * s), o + QPointF(12 * s, 33 * s),
                                   o + QPointF(32 * s, 33 * s), o + QPointF(32 * s, 28 * s)});
    painter.restore();
}

QIcon UpdateBanner::badgeIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paintBadge(painter, QRectF(0.5, 0.5, size - 1, size - 1), QColor(0x2a, 0x7a, 0xc8));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void UpdateBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor accent = palette().color(QPalette::Highlight);
    QLinearGradient band(0, 0, width(), 0);
    band.setColorAt(0, palette().color(QPalette::Base));
    band.setColorAt(1, palette().color(QPalette::AlternateBase));
    painter.fillRect(rect(), band);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, height() - 1, width(), height() - 1);

    const QRectF badge(kMargin, (height() - kBadge) / 2.0, kBadge, kBadge);
    paintBadge(painter, badge, accent);

    const int textLeft = int(badge.right()) + 14;
    const QRect textArea(textLeft, 0, width() - textLeft - kMargin, height());
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics subMetrics(font());
    const int block = titleMetrics.height() + (m_subtitle.isEmpty() ? 0 : subMetrics.height() + 2);
    int y = (height() - block) / 2;
    painter.setFont(titleFont);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(textArea.left(), y, textArea.width(), titleMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     titleMetrics.elidedText(m_title, Qt::ElideRight, textArea.width()));
    if (!m_subtitle.isEmpty()) {
        y += titleMetrics.height() + 2;
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(QRect(textArea.left(), y, textArea.width(), subMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         subMetrics.elidedText(m_subtitle, Qt::ElideRight, textArea.width()));
    }
}
