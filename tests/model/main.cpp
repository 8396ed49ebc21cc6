// The model test program: album records, time arithmetic, EXIF and images.

#include "modeltests.h"
#include "samplemedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTest>

#include <exiv2/exiv2.hpp>

std::unique_ptr<QObject> makeAudioReaderTests();
std::unique_ptr<QObject> makeInfoParserTests();
std::unique_ptr<QObject> makeFfmpegPtrTests();
std::unique_ptr<QObject> makeAlbumDocumentTests();
std::unique_ptr<QObject> makeAlbumUndoTests();
std::unique_ptr<QObject> makeAlbumFileTests();
std::unique_ptr<QObject> makeAnalysisTests();
std::unique_ptr<QObject> makeLoudnessTests();
std::unique_ptr<QObject> makeSubtitlesTests();

QString mediaFile(const QString& name) { return sampleMediaFile(name); }

QImage quadrantImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    const int halfWidth = width / 2, halfHeight = height / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, halfWidth, halfHeight, QColor::fromRgba(QuadrantTopLeft));
    painter.fillRect(halfWidth, 0, width - halfWidth, halfHeight, QColor::fromRgba(QuadrantTopRight));
    painter.fillRect(0, halfHeight, halfWidth, height - halfHeight, QColor::fromRgba(QuadrantBottomLeft));
    painter.fillRect(halfWidth, halfHeight, width - halfWidth, height - halfHeight,
                     QColor::fromRgba(QuadrantBottomRight));
    return image;
}

bool writeExifOrientation(const QString& path, int orientation)
{
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        if (orientation == 0)
            exif.clear();
        else
            exif["Exif.Image.Orientation"] = uint16_t(orientation);
        image->setExifData(exif);
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!sampleMediaPresent())
        return 1;
    int failures = 0;
    const std::unique_ptr<QObject> suites[] = {
        makeTimeFunctionsTests(), makeRecordsTests(),         makeExifTests(),
        makeImageReaderTests(),   makeAudioReaderTests(),     makeInfoParserTests(),
        makeFfmpegPtrTests(),     makeAlbumDocumentTests(),   makeAlbumFileTests(),
        makeAlbumUndoTests(),     makeEmbeddedPreviewTests(), makeAnalysisTests(),
        makeLoudnessTests(),      makeSubtitlesTests()};
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
