// Photos that carry a camera's preview in their EXIF block: the preview
// stands in for a decode only where it shows the whole photo large enough,
// and the record is the one the photo gives without it.

#include "imagereader.h"
#include "modeltests.h"
#include "zumexifinfo.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <exiv2/exiv2.hpp>

namespace {

constexpr QRgb PhotoColour = 0xFFD02020;   // what a decode of the photo shows
constexpr QRgb PreviewColour = 0xFF2040D0; // what the preview shows
constexpr QRgb Grey = ImageReader::ThumbnailBackground;

bool near(QRgb actual, QRgb expected)
{
    constexpr int tolerance = 40;
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

// A preview of `size` showing `shown` pixels of preview colour in its middle
// and `bars` colour around them, as JPEG bytes; cut to `keep` bytes when
// that is positive.
QByteArray previewJpeg(QSize size, QSize shown, QColor bars, int keep = 0, const char* format = "JPEG")
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(bars);
    QPainter(&image).fillRect(
        QRect(QPoint((size.width() - shown.width()) / 2, (size.height() - shown.height()) / 2), shown),
        QColor::fromRgb(PreviewColour));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return keep > 0 ? bytes.left(keep) : bytes;
}

// Writes the EXIF block a camera writes: orientation, make and, unless
// `preview` is empty, the preview.
bool writeCameraExif(const QString& path, int orientation, const QByteArray& preview)
{
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::ExifData exif;
        exif["Exif.Image.Orientation"] = uint16_t(orientation);
        exif["Exif.Image.Make"] = "Testmaker";
        exif["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
        if (!preview.isEmpty())
            Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(preview.constData()),
                                                    long(preview.size()));
        image->setExifData(exif);
        image->writeMetadata();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Where a photo shows in an 80 x 60 thumbnail: every pixel that is not the
// grey background.
QList<bool> photoArea(const QImage& thumbnail)
{
    QList<bool> area;
    for (int y = 0; y < thumbnail.height(); ++y)
        for (int x = 0; x < thumbnail.width(); ++x)
            area.append(thumbnail.pixel(x, y) != Grey);
    return area;
}

class EmbeddedPreviewTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A photo of one colour, with the camera's EXIF block when `preview` is
    // given (an empty one writes the block without a preview), or none.
    QString photo(const QString& name, QSize size, const QByteArray* preview)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(PhotoColour);
        const QString path = m_dir.filePath(name);
        if (!image.save(path, "JPEG", 90))
            return {};
        if (preview && !writeCameraExif(path, 6, *preview))
            return {};
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Each photo is made three ways: with the preview, with the EXIF block
    // but no preview, and with no EXIF block. All give the same size, depth
    // and thumbnail layout; the orientation and properties come from the
    // EXIF block either way; the thumbnails show the preview only where it
    // may stand in for the photo.
    void previewStandsInWhereItFits_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QByteArray>("preview");
        QTest::addColumn<bool>("used");
        const QSize vga(160, 120);
        QTest::newRow("4:3 preview of a 4:3 photo") << QSize(1200, 900) << previewJpeg(vga, vga, Qt::black) << true;
        QTest::newRow("3:2 photo between black bars")
            << QSize(1200, 800) << previewJpeg(vga, QSize(160, 107), Qt::black) << true;
        QTest::newRow("portrait photo between black side bars")
            << QSize(800, 1200) << previewJpeg(vga, QSize(80, 120), Qt::black) << true;
        QTest::newRow("too small for the thumbnail")
            << QSize(1200, 900) << previewJpeg(QSize(40, 30), QSize(40, 30), Qt::black) << false;
        QTest::newRow("16:9 preview of a 4:3 photo")
            << QSize(1200, 900) << previewJpeg(QSize(160, 90), QSize(160, 90), Qt::black) << false;
        QTest::newRow("3:2 photo, 4:3 preview without bars")
            << QSize(1200, 800) << previewJpeg(vga, vga, Qt::black) << false;
        QTest::newRow("3:2 photo, 4:3 preview with light bars")
            << QSize(1200, 800) << previewJpeg(vga, QSize(160, 107), Qt::white) << false;
        QTest::newRow("landscape preview of a portrait photo")
            << QSize(900, 1200) << previewJpeg(vga, vga, Qt::black) << false;
        const int whole = int(previewJpeg(vga, vga, Qt::black).size());
        QTest::newRow("preview cut short")
            << QSize(1200, 900) << previewJpeg(vga, vga, Qt::black, whole * 2 / 3) << false;
        QTest::newRow("preview without its end marker")
            << QSize(1200, 900) << previewJpeg(vga, vga, Qt::black, whole - 2) << false;
        QTest::newRow("PNG where the JPEG preview belongs")
            << QSize(1200, 900) << previewJpeg(vga, vga, Qt::black, 0, "PNG") << false;
    }
    void previewStandsInWhereItFits()
    {
        QFETCH(QSize, photo);
        QFETCH(QByteArray, preview);
        QFETCH(bool, used);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
        const QByteArray noPreview;
        const QString withPreview = this->photo(tag + QStringLiteral("-preview.jpg"), photo, &preview);
        const QString exifOnly = this->photo(tag + QStringLiteral("-exif.jpg"), photo, &noPreview);
        const QString bare = this->photo(tag + QStringLiteral("-bare.jpg"), photo, nullptr);
        QVERIFY(!withPreview.isEmpty() && !exifOnly.isEmpty() && !bare.isEmpty());
        QCOMPARE(ZumExifInfo(withPreview).thumbnailJpeg().isEmpty(), preview.isEmpty());

        ImageInfo shown, plain, unmarked;
        shown.filePath = withPreview;
        plain.filePath = exifOnly;
        unmarked.filePath = bare;
        QVERIFY(ImageReader::parse(shown));
        QVERIFY(ImageReader::parse(plain));
        QVERIFY(ImageReader::parse(unmarked));
        for (const ImageInfo* record : {&shown, &plain, &unmarked}) {
            QCOMPARE(record->width, photo.width());
            QCOMPARE(record->height, photo.height());
            QCOMPARE(record->depth, 32);
            QCOMPARE(record->thumbnail.size(), QSize(80, 60));
            QCOMPARE(record->thumbnailTurned.size(), QSize(80, 60));
            QCOMPARE(photoArea(record->thumbnail), photoArea(unmarked.thumbnail));
            QCOMPARE(photoArea(record->thumbnailTurned), photoArea(unmarked.thumbnailTurned));
        }
        for (const ImageInfo* record : {&shown, &plain}) {
            QCOMPARE(record->exifRotation, 90);
            QCOMPARE(record->exifProperties, plain.exifProperties);
        }
        QCOMPARE(shown.exifProperties[ZumExifInfo::EquipmentMake], "Testmaker");
        QCOMPARE(shown.exifProperties[ZumExifInfo::FNumber], "f/2.8");
        QCOMPARE(unmarked.exifRotation, 0);

        // Every pixel of the photo's area shows one picture: the preview
        // with its bars cut away, or the photo itself.
        const QRgb expected = used ? PreviewColour : PhotoColour;
        for (const QImage* thumbnail : {&shown.thumbnail, &shown.thumbnailTurned}) {
            const QList<bool> area = photoArea(*thumbnail);
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 80; ++x)
                    if (area[y * 80 + x])
                        QVERIFY2(
                            near(thumbnail->pixel(x, y), expected),
                            qPrintable(QStringLiteral("%1 at %2,%3").arg(thumbnail->pixel(x, y), 8, 16).arg(x).arg(y)));
        }
        QVERIFY(near(plain.thumbnail.pixel(40, 30), PhotoColour));
    }

    // The check for a photo cut short takes a shortcut when the file ends
    // in an end marker; a preview's end marker, and bytes after the photo's
    // own, must not fool it.
    void cutShortPhotosWithPreview_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("complete");
        const QByteArray preview = previewJpeg(QSize(160, 120), QSize(160, 107), Qt::black);
        const QString path = photo(QStringLiteral("whole.jpg"), QSize(1200, 800), &preview);
        QVERIFY(!path.isEmpty());
        const QByteArray whole = fileBytes(path);
        const int previewAt = int(whole.indexOf(preview));
        QVERIFY(previewAt > 0);
        const int previewEnd = previewAt + int(preview.size());
        QCOMPARE(whole.mid(previewEnd - 2, 2), QByteArray("\xFF\xD9"));
        const int scan = int(whole.indexOf("\xFF\xDA", previewEnd));
        QVERIFY(scan > previewEnd);

        QTest::newRow("whole") << whole << true;
        QTest::newRow("cut at 60 %") << whole.left(whole.size() * 6 / 10) << false;
        QTest::newRow("end marker missing") << whole.left(whole.size() - 2) << false;
        QTest::newRow("cut inside the EXIF block") << whole.left(previewAt + 40) << false;
        QTest::newRow("cut right after the preview") << whole.left(previewEnd) << false;
        QTest::newRow("cut inside the scan header") << whole.left(scan + 6) << false;
        QTest::newRow("trailer after the end") << whole + QByteArray("camera trailer") << true;
        QTest::newRow("second picture appended") << whole + preview << true;
        QTest::newRow("second picture appended, cut short") << whole + preview.left(preview.size() / 2) << true;
    }
    void cutShortPhotosWithPreview()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, complete);
        const QString path = m_dir.filePath(QStringLiteral("%1.jpg").arg(QTest::currentDataTag()));
        QVERIFY(writeBytes(path, bytes));
        ImageInfo info;
        info.filePath = path;
        QCOMPARE(ImageReader::parse(info), complete);
        if (complete) {
            QCOMPARE(info.width, 1200);
            QCOMPARE(info.height, 800);
        } else {
            QCOMPARE(info.width, 0);
            QVERIFY(info.thumbnail.isNull());
        }
    }

    // The metadata read from the bytes in memory is the metadata read from
    // the file.
    void metadataFromMemory_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("bird") << "bird-exif6.jpg";
        QTest::newRow("clock") << "clock-portrait-exif3.jpg";
        QTest::newRow("flower") << "flower.jpg";
    }
    void metadataFromMemory()
    {
        QFETCH(QString, file);
        const QByteArray bytes = fileBytes(mediaFile(file));
        QVERIFY(!bytes.isEmpty());
        const ZumExifInfo fromFile(mediaFile(file));
        const ZumExifInfo fromMemory(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
        QCOMPARE(fromMemory.Orientation(), fromFile.Orientation());
        for (int i = 0; i < ZumExifInfo::PropertyCount; ++i)
            QCOMPARE(fromMemory.property(ZumExifInfo::PROPERTY_TYPE(i)),
                     fromFile.property(ZumExifInfo::PROPERTY_TYPE(i)));
        QCOMPARE(fromMemory.thumbnailJpeg(), fromFile.thumbnailJpeg());
        const ZumExifInfo cut(reinterpret_cast<const uchar*>(bytes.constData()), 40);
        QCOMPARE(cut.Orientation(), 0);
        QVERIFY(cut.thumbnailJpeg().isEmpty());
    }
};

} // namespace

std::unique_ptr<QObject> makeEmbeddedPreviewTests() { return std::make_unique<EmbeddedPreviewTest>(); }

#include "tst_embeddedpreview.moc"
