#include "benchphotos.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <cmath>

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

QString makeCameraLikePhoto(const QString& folder, int index, QSize size)
{
    const int width = size.width(), height = size.height();
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(quint32(1000 + index));
    const double phase = index * 0.7;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double light =
                120 + 70 * std::sin(x / 310.0 + phase) * std::cos(y / 205.0) + 25 * std::sin((x - y) / 41.0);
            const int grain = int(random.bounded(25)) - 12;
            row[x] = qRgb(std::clamp(int(light) + grain, 0, 255), std::clamp(int(light * 0.8) + 30 + grain, 0, 255),
                          std::clamp(int(255 - light) + grain, 0, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 200; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 90 + random.bounded(120), 90 + random.bounded(150), 200));
        painter.drawEllipse(random.bounded(width), random.bounded(height), 40 + random.bounded(width / 8),
                            40 + random.bounded(height / 8));
    }
    painter.end();
    const QString path = QStringLiteral("%1/camera%2.jpg").arg(folder).arg(index);
    return image.save(path, "JPEG", 92) ? path : QString();
}

bool addCameraExif(const QString& path)
{
    constexpr int PreviewWidth = 160, PreviewHeight = 120;
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid())
        return false;
    const QSize shown = size.scaled(PreviewWidth, PreviewHeight, Qt::KeepAspectRatio);
    reader.setScaledSize(size / 8);
    const QImage reduced = reader.read();
    if (reduced.isNull())
        return false;
    QImage preview(PreviewWidth, PreviewHeight, QImage::Format_RGB32);
    preview.fill(Qt::black);
    QPainter(&preview).drawImage(
        QRect(QPoint((PreviewWidth - shown.width()) / 2, (PreviewHeight - shown.height()) / 2), shown),
        reduced.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    if (!buffer.open(QIODevice::WriteOnly) || !preview.save(&buffer, "JPEG", 85))
        return false;
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::ExifData exif;
        exif["Exif.Image.Make"] = "Bench";
        exif["Exif.Image.Model"] = "Bench Camera 24";
        exif["Exif.Image.Orientation"] = uint16_t(1);
        exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 125);
        exif["Exif.Photo.FNumber"] = Exiv2::URational(56, 10);
        Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(jpeg.constData()),
                                                long(jpeg.size()));
        image->setExifData(exif);
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
