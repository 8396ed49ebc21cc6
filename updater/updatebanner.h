#pragma once
// The band across the top of the update wizard: a drawn download badge,
// the wizard's title and a line about the version on offer.

#include <QIcon>
#include <QWidget>

class UpdateBanner : public QWidget
{
    Q_OBJECT
public:
    explicit UpdateBanner(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSubtitle(const QString& subtitle);
    QSize sizeHint() const override;

    // The badge alone, also the wizard's window icon.
    static QIcon badgeIcon();
    static void paintBadge(QPainter& painter, const QRectF& rect, const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QString m_subtitle;
};
