#include "benchphotos.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

QString makeBenchPhoto(const QString& folder, int index, QSize size)
{
    const int width = size.width(), height = size.height();
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(quint32(index + 1));
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor::fromHsv(index * 50 % 360, 120, 200));
    for (int i = 0; i < 4000; ++i) {
        painter.setPen(QColor::fromHsv(random.bounded(360), 200, random.bounded(256)));
        painter.drawLine(random.bounded(width), random.bounded(height), random.bounded(width), random.bounded(height));
    }
    painter.end();
    const QString path = QStringLiteral("%1/photo%2.jpg").arg(folder).arg(index);
    return image.save(path, "JPEG", 90) ? path : QString();
}
