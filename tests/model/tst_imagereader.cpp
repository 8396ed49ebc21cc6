// The image reader: photo records and thumbnails, letterboxed BGRA pictures,
// grey wipe patterns, and files it must refuse.

#include "imagereader.h"
#include "modeltests.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>

extern "C" {
#include <libavutil/crc.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
}

namespace {

// A destination picture as the renderer allocates it, optionally with rows
// longer than the pixels need.
class Picture
{
public:
    Picture(AVPixelFormat format, int width, int height, int align = 1)
    {
        m_size = av_image_alloc(m_picture.data, m_picture.linesize, width, height, format, align);
    }
    ~Picture() { av_freep(&m_picture.data[0]); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    AVPicture& get() { return m_picture; }
    void fill(uint8_t value) { std::memset(m_picture.data[0], value, std::size_t(m_size)); }
    QByteArray bytes() const { return QByteArray(reinterpret_cast<const char*>(m_picture.data[0]), m_size); }
    const uint8_t* at(int x, int y, int bytesPerPixel) const
    {
        return m_picture.data[0] + y * m_picture.linesize[0] + x * bytesPerPixel;
    }
    // The BGRA pixel at buffer row y as a QRgb.
    QRgb bgra(int x, int y) const
    {
        const uint8_t* p = at(x, y, 4);
        return qRgba(p[2], p[1], p[0], p[3]);
    }

private:
    AVPicture m_picture{};
    int m_size = 0;
};

bool near(QRgb actual, QRgb expected, int tolerance = 6)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance && qAlpha(actual) == qAlpha(expected);
}

#define QVERIFY_PIXEL(actual, expected, tolerance)                                                                     \
    QVERIFY2(near(actual, expected, tolerance),                                                                        \
             qPrintable(QStringLiteral("%1 instead of %2").arg(actual, 8, 16).arg(expected, 8, 16)))

constexpr QRgb Black = 0xFF000000;
constexpr QRgb Grey = ImageReader::ThumbnailBackground;

// Mean colours of a grid of blocks: robust against the small differences
// between decoders and scalers, but not against a turned or mirrored image.
QList<QRgb> blockMeans(const QImage& image, int columns, int rows)
{
    QList<QRgb> means;
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            qint64 r = 0, g = 0, b = 0, n = 0;
            for (int y = by * image.height() / rows; y < (by + 1) * image.height() / rows; ++y) {
                for (int x = bx * image.width() / columns; x < (bx + 1) * image.width() / columns; ++x) {
                    const QRgb p = image.pixel(x, y);
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                    ++n;
                }
            }
            means.append(n ? qRgb(int(r / n), int(g / n), int(b / n)) : 0);
        }
    }
    return means;
}

bool sameLook(const QImage& a, const QImage& b, int tolerance)
{
    const QList<QRgb> ma = blockMeans(a, 4, 4), mb = blockMeans(b, 4, 4);
    for (qsizetype i = 0; i < ma.size(); ++i)
        if (!near(ma[i], mb[i], tolerance))
            return false;
    return true;
}

ImageInfo sentinelRecord(const QString& path)
{
    ImageInfo info;
    info.filePath = path;
    info.width = 11;
    info.height = 22;
    info.depth = 33;
    info.suffix = QStringLiteral("old");
    info.fileSize = 44;
    info.lastModified = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));
    info.exifMirror = true;
    info.exifRotation = -90;
    info.procs = {Flip};
    info.imageType = 1;
    info.exifProperties[3] = QStringLiteral("kept");
    info.thumbnail = QImage(2, 2, QImage::Format_RGB32);
    info.thumbnail.fill(Qt::red);
    return info;
}

bool sameRecord(const ImageInfo& a, const ImageInfo& b)
{
    return a.filePath == b.filePath && a.width == b.width && a.height == b.height && a.depth == b.depth &&
           a.suffix == b.suffix && a.fileSize == b.fileSize && a.lastModified == b.lastModified &&
           a.exifMirror == b.exifMirror && a.exifFlip == b.exifFlip && a.exifRotation == b.exifRotation &&
           a.procs == b.procs && a.imageType == b.imageType && a.exifProperties == b.exifProperties &&
           a.thumbnail == b.thumbnail && a.thumbnailTurned == b.thumbnailTurned;
}

quint32 pngCrc(const QByteArray& bytes)
{
    return av_crc(av_crc_get_table(AV_CRC_32_IEEE_LE), 0xFFFFFFFFu, reinterpret_cast<const uint8_t*>(bytes.constData()),
                  std::size_t(bytes.size())) ^
           0xFFFFFFFFu;
}

void putBigEndian(QByteArray& bytes, int at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * (size - 1 - i))) & 0xFF);
}

class ImageReaderTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString saved(const QImage& image, const QString& name, const char* format = nullptr, int quality = -1)
    {
        const QString path = m_dir.filePath(name);
        if (!image.save(path, format, quality))
            return QString();
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void parseFileFacts()
    {
        const QString path = saved(quadrantImage(64, 48).convertToFormat(QImage::Format_ARGB32),
                                   QStringLiteral("Photo.Final.PNG"), "PNG");
        QVERIFY(!path.isEmpty());
        const QDateTime stamp(QDate(2015, 6, 7), QTime(8, 9, 10), Qt::UTC);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        ImageInfo info;
        info.filePath = path;
        info.procs = {TurnLeft, Mirror};
        info.imageType = 4;
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.width, 64);
        QCOMPARE(info.height, 48);
        QCOMPARE(info.depth, 32);
        QCOMPARE(info.suffix, "PNG");
        QCOMPARE(info.fileSize, qint64(fileBytes(path).size()));
        QCOMPARE(info.lastModified.toUTC(), stamp);
        QCOMPARE(info.exifRotation, 0);
        QVERIFY(!info.exifMirror && !info.exifFlip);
        // Editing state is the strip's, not the file's.
        QCOMPARE(info.procs, (QVector<IMAGEPROC>{TurnLeft, Mirror}));
        QCOMPARE(info.imageType, 4);
    }

    // Size and depth come from the file's header, and must be what a full
    // load of the same file gives, for every kind of file.
    void parseMatchesFullLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("depth");
        QTest::newRow("jpeg") << "rgb.jpg" << int(QImage::Format_RGB32) << 32;
        QTest::newRow("grey jpeg") << "grey.jpg" << int(QImage::Format_Grayscale8) << 8;
        QTest::newRow("png with alpha") << "rgba.png" << int(QImage::Format_ARGB32) << 32;
        QTest::newRow("grey png") << "grey.png" << int(QImage::Format_Grayscale8) << 8;
        QTest::newRow("palette png") << "indexed.png" << int(QImage::Format_Indexed8) << 8;
        QTest::newRow("1-bit png") << "mono.png" << int(QImage::Format_Mono) << 1;
        QTest::newRow("16-bit png") << "rgba64.png" << int(QImage::Format_RGBA64) << 64;
        QTest::newRow("gif") << "palette.gif" << int(QImage::Format_Indexed8) << -1;
        QTest::newRow("ico") << "icon.ico" << int(QImage::Format_ARGB32) << 32;
        QTest::newRow("bmp") << "rgb.bmp" << int(QImage::Format_RGB32) << 32;
        QTest::newRow("tiff") << "rgb.tiff" << int(QImage::Format_RGB32) << -1;
        QTest::newRow("webp") << "rgba.webp" << int(QImage::Format_ARGB32) << -1;
    }
    void parseMatchesFullLoad()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(int, depth);
        QImage image = quadrantImage(97, 61).convertToFormat(QImage::Format(format));
        if (format == QImage::Format_Indexed8 || format == QImage::Format_Mono)
            image = quadrantImage(97, 61).convertToFormat(QImage::Format(format), Qt::ThresholdDither);
        QString path;
        if (name.endsWith(QLatin1String(".gif"))) {
            // Qt reads GIF but does not write it: a 3 x 2 picture with a
            // four-colour palette, made by hand.
            path = m_dir.filePath(name);
            QVERIFY(writeBytes(path, QByteArray::fromHex("47494638396103000200810000"
                                                         "ff0000ffffff0000ff00ff00"
                                                         "2c000000000300020000"
                                                         "020444341005003b")));
        } else {
            path = saved(image, name);
        }
        QVERIFY2(!path.isEmpty(), "no plug-in writes this format");
        const QImage full(path);
        QVERIFY(!full.isNull());
        if (depth > 0)
            QCOMPARE(full.depth(), depth);

        ImageInfo info;
        info.filePath = path;
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.width, full.width());
        QCOMPARE(info.height, full.height());
        QCOMPARE(info.depth, full.depth());
        QCOMPARE(info.thumbnail.size(), QSize(80, 60));
        QCOMPARE(info.thumbnail.format(), QImage::Format_RGB32);
    }

    void exifPhotoKeepsItsStoredSize()
    {
        ImageInfo info;
        info.filePath = mediaFile("bird-exif6.jpg");
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.width, 1800);
        QCOMPARE(info.height, 2400);
        QCOMPARE(info.depth, 32);
        QCOMPARE(info.suffix, "jpg");
        QCOMPARE(info.exifRotation, 90);
        QVERIFY(!info.exifMirror && !info.exifFlip);
        // Stored upright-portrait: 45 x 60 in the middle, grey either side.
        for (int y = 0; y < 60; ++y) {
            QCOMPARE(info.thumbnail.pixel(16, y), Grey);
            QCOMPARE(info.thumbnail.pixel(62, y), Grey);
        }
        // Turned it is 4:3 and fills the thumbnail.
        int greyPixels = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x)
                greyPixels += info.thumbnailTurned.pixel(x, y) == Grey;
        QVERIFY(greyPixels < 80);

        Picture picture(AV_PIX_FMT_BGRA, 640, 480);
        QVERIFY(ImageReader::read(info.filePath, picture.get(), 640, 480, false));
        for (int y = 0; y < 480; y += 7) {
            QCOMPARE(picture.bgra(139, y), Black);
            QCOMPARE(picture.bgra(500, y), Black);
        }

        // The pixels are the stored ones too, not turned by the EXIF tag.
        QImageReader reader(info.filePath);
        reader.setAutoTransform(false);
        const QImage stored = reader.read();
        QCOMPARE(stored.size(), QSize(1800, 2400));
        QImage shown(360, 480, QImage::Format_RGB32);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 360; ++x)
                shown.setPixel(x, 479 - y, picture.bgra(140 + x, y));
        QVERIFY(sameLook(shown, stored.scaled(360, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 8));
        QVERIFY(sameLook(info.thumbnail.copy(17, 0, 45, 60),
                         stored.scaled(45, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 24));
        QVERIFY(sameLook(
            info.thumbnailTurned,
            stored.transformed(QTransform().rotate(90)).scaled(80, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
            24));
    }

    // The import thread parses while the GUI thread reads pictures.
    void parseAndReadOnTwoThreads()
    {
        const QString bird = mediaFile("bird-exif6.jpg");
        const QString flower = mediaFile("flower.jpg");
        std::atomic<int> parsed{0};
        std::thread importer([&] {
            for (int i = 0; i < 6; ++i) {
                ImageInfo info;
                info.filePath = i % 2 ? bird : flower;
                if (ImageReader::parse(info) && info.thumbnail.size() == QSize(80, 60))
                    ++parsed;
            }
        });
        Picture picture(AV_PIX_FMT_BGRA, 320, 240);
        int read = 0;
        for (int i = 0; i < 6; ++i)
            read += ImageReader::read(i % 2 ? flower : bird, picture.get(), 320, 240, i % 3 == 0);
        importer.join();
        QCOMPARE(parsed.load(), 6);
        QCOMPARE(read, 6);
    }

    void thumbnails()
    {
        const QString path = saved(quadrantImage(400, 100), QStringLiteral("wide.png"));
        ImageInfo info;
        info.filePath = path;
        QVERIFY(ImageReader::parse(info));
        const QImage& plain = info.thumbnail;
        QCOMPARE(plain.size(), QSize(80, 60));
        QCOMPARE(plain.format(), QImage::Format_RGB32);
        // 80 x 20 from row 20.
        QCOMPARE(plain.pixel(40, 19), Grey);
        QCOMPARE(plain.pixel(40, 40), Grey);
        QCOMPARE(plain.pixel(0, 0), Grey);
        QCOMPARE(plain.pixel(79, 59), Grey);
        QCOMPARE(plain.pixel(2, 22), QuadrantTopLeft);
        QCOMPARE(plain.pixel(77, 22), QuadrantTopRight);
        QCOMPARE(plain.pixel(2, 37), QuadrantBottomLeft);
        QCOMPARE(plain.pixel(77, 37), QuadrantBottomRight);

        // Turned a quarter clockwise: 15 x 60 from column 32.
        const QImage& turned = info.thumbnailTurned;
        QCOMPARE(turned.size(), QSize(80, 60));
        QCOMPARE(turned.format(), QImage::Format_RGB32);
        QCOMPARE(turned.pixel(31, 30), Grey);
        QCOMPARE(turned.pixel(47, 30), Grey);
        QCOMPARE(turned.pixel(33, 2), QuadrantBottomLeft);
        QCOMPARE(turned.pixel(45, 2), QuadrantTopLeft);
        QCOMPARE(turned.pixel(33, 57), QuadrantBottomRight);
        QCOMPARE(turned.pixel(45, 57), QuadrantTopRight);
    }

    void transparentPartsShowBlack()
    {
        QImage image(40, 30, QImage::Format_ARGB32);
        image.fill(qRgba(255, 0, 0, 0)); // red hidden under zero alpha
        const QString path = saved(image, QStringLiteral("clear.png"));
        ImageInfo info;
        info.filePath = path;
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.thumbnail.pixel(40, 30), Black);
        Picture picture(AV_PIX_FMT_BGRA, 40, 30);
        QVERIFY(ImageReader::read(path, picture.get(), 40, 30, false));
        QCOMPARE(picture.bgra(20, 15), Black);
    }

    // Buffer row 0 is the bottom of the picture; bars are black and opaque.
    // Photos of another shape than the 90 rows high frame: black bars
    // around the whole photo, upright (buffer row 0 is the bottom).
    void letterbox_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("align");
        QTest::addColumn<QRect>("shown");   // where the photo lands
        QTest::addColumn<QRect>("samples"); // bottom left, bottom right, top left, top right quadrants
        QTest::newRow("packed rows") << QSize(400, 100) << 160 << 1 << QRect(0, 25, 160, 40)
                                     << QRect(QPoint(20, 28), QPoint(140, 61));
        QTest::newRow("padded rows") << QSize(400, 100) << 150 << 64 << QRect(0, 26, 150, 37)
                                     << QRect(QPoint(20, 29), QPoint(130, 59));
        QTest::newRow("pillarbox") << QSize(400, 300) << 160 << 1 << QRect(20, 0, 120, 90)
                                   << QRect(QPoint(30, 10), QPoint(130, 80));
    }
    void letterbox()
    {
        QFETCH(QSize, photo);
        QFETCH(int, width);
        QFETCH(int, align);
        QFETCH(QRect, shown);
        QFETCH(QRect, samples);
        const QString path = saved(quadrantImage(photo.width(), photo.height()),
                                   QStringLiteral("%1x%2.png").arg(photo.width()).arg(photo.height()));
        Picture picture(AV_PIX_FMT_BGRA, width, 90, align);
        QVERIFY(align == 1 || picture.get().linesize[0] > width * 4);
        picture.fill(0xAB);
        QVERIFY(ImageReader::read(path, picture.get(), width, 90, false));
        for (int y = 0; y < 90; ++y) {
            for (int x = 0; x < width; ++x) {
                if (shown.contains(x, y))
                    QCOMPARE(qAlpha(picture.bgra(x, y)), 255);
                else
                    QCOMPARE(picture.bgra(x, y), Black);
            }
        }
        QVERIFY_PIXEL(picture.bgra(samples.left(), samples.top()), QuadrantBottomLeft, 0);
        QVERIFY_PIXEL(picture.bgra(samples.right(), samples.top()), QuadrantBottomRight, 0);
        QVERIFY_PIXEL(picture.bgra(samples.left(), samples.bottom()), QuadrantTopLeft, 0);
        QVERIFY_PIXEL(picture.bgra(samples.right(), samples.bottom()), QuadrantTopRight, 0);
    }

    // A photo read for an output size is decoded reduced where the decoder
    // can (JPEG, by powers of two), but never below the size it is shown at:
    // it must match a full decode scaled down the same way, stripes three
    // output pixels wide included, which a decode one step too small
    // would blur.
    void reducedDecodeMatchesFullDecode_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QSize>("output");
        QTest::addColumn<bool>("turn");
        QTest::newRow("an eighth exactly") << QSize(5120, 2880) << QSize(640, 360) << false;
        QTest::newRow("just short of an eighth") << QSize(5112, 2872) << QSize(640, 360) << false;
        QTest::newRow("half") << QSize(1400, 788) << QSize(640, 360) << false;
        QTest::newRow("turned, a quarter") << QSize(3000, 4000) << QSize(640, 480) << true;
        QTest::newRow("square, pillarboxed") << QSize(2400, 2400) << QSize(640, 360) << false;
        QTest::newRow("smaller than the output") << QSize(800, 450) << QSize(1280, 720) << false;
    }
    void reducedDecodeMatchesFullDecode()
    {
        QFETCH(QSize, photo);
        QFETCH(QSize, output);
        QFETCH(bool, turn);
        const QSize shown = turn ? photo.transposed() : photo;
        const QSize fit = shown.scaled(output, Qt::KeepAspectRatio);
        // Slanted stripes six output pixels apart where the photo is shown,
        // over a colour ramp.
        const double period = 6.0 * shown.width() / fit.width();
        QImage image(photo, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < photo.width(); ++x) {
                const bool stripe = std::fmod((turn ? y : x) + 0.5 * (turn ? x : y) / 7.0, period) < period / 2;
                row[x] = qRgb(stripe ? 230 : 30, 40 + 160 * y / photo.height(), 200 - 150 * x / photo.width());
            }
        }
        const QString path =
            saved(image, QStringLiteral("stripes%1x%2.jpg").arg(photo.width()).arg(photo.height()), "JPEG", 95);
        QVERIFY(!path.isEmpty());

        QImageReader full(path);
        full.setAutoTransform(false);
        QImage expected = full.read();
        QCOMPARE(expected.size(), photo);
        if (turn)
            expected = expected.transformed(QTransform().rotate(90));
        expected =
            expected.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);

        Picture picture(AV_PIX_FMT_BGRA, output.width(), output.height());
        QVERIFY(ImageReader::read(path, picture.get(), output.width(), output.height(), turn));
        const int left = (output.width() - fit.width()) / 2;
        const int top = (output.height() - fit.height()) / 2;
        qint64 sum = 0;
        int worst = 0;
        for (int y = 0; y < fit.height(); ++y) {
            for (int x = 0; x < fit.width(); ++x) {
                // Buffer row 0 is the bottom of the frame.
                const QRgb got = picture.bgra(left + x, output.height() - 1 - (top + y));
                const QRgb want = expected.pixel(x, y);
                for (const int d : {qRed(got) - qRed(want), qGreen(got) - qGreen(want), qBlue(got) - qBlue(want)}) {
                    sum += std::abs(d);
                    worst = std::max(worst, std::abs(d));
                }
            }
        }
        const double mean = double(sum) / (3.0 * fit.width() * fit.height());
        // Measured: at most 4.3 and 29 here; a decode one power of two too
        // small gives 10 and 77 or more.
        QVERIFY2(mean <= 6.0 && worst <= 48,
                 qPrintable(QStringLiteral("mean difference %1, largest %2").arg(mean).arg(worst)));
        if (left > 0)
            QCOMPARE(picture.bgra(left - 1, output.height() / 2), Black);
    }

    void turnedPortraitFillsTheFrame()
    {
        const QString path = saved(quadrantImage(3000, 4000), QStringLiteral("portrait.jpg"), "JPEG", 90);
        Picture picture(AV_PIX_FMT_BGRA, 640, 480);
        QVERIFY(ImageReader::read(path, picture.get(), 640, 480, true));
        for (int y : {0, 1, 240, 478, 479})
            for (int x : {0, 1, 320, 638, 639})
                QVERIFY(qGray(picture.bgra(x, y)) > 20);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                QCOMPARE(qAlpha(picture.bgra(x, y)), 255);
        // Turned a quarter clockwise; buffer row 479 is the top of the screen.
        QVERIFY_PIXEL(picture.bgra(20, 460), QuadrantBottomLeft, 12);
        QVERIFY_PIXEL(picture.bgra(620, 460), QuadrantTopLeft, 12);
        QVERIFY_PIXEL(picture.bgra(20, 20), QuadrantBottomRight, 12);
        QVERIFY_PIXEL(picture.bgra(620, 20), QuadrantTopRight, 12);

        // Not turned, the same photo stands in the middle: 360 x 480.
        QVERIFY(ImageReader::read(path, picture.get(), 640, 480, false));
        QCOMPARE(picture.bgra(139, 240), Black);
        QCOMPARE(picture.bgra(500, 240), Black);
        QVERIFY_PIXEL(picture.bgra(150, 460), QuadrantTopLeft, 12);
        QVERIFY_PIXEL(picture.bgra(490, 20), QuadrantBottomRight, 12);
    }

    // 8000 x 6000 at 4 bytes per pixel is within Qt's default allocation
    // limit of 256 MB, both where the decoder can reduce (JPEG) and where it
    // must decode everything (PNG).
    void largePhotosLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("jpeg") << "large.jpg";
        QTest::newRow("png") << "large.png";
    }
    void largePhotosLoad()
    {
        QFETCH(QString, name);
        const QString path = m_dir.filePath(name);
        if (!QFile::exists(path)) {
            QImage image = quadrantImage(8000, 6000);
            if (name.endsWith(QLatin1String(".png")))
                image = image.convertToFormat(QImage::Format_Grayscale8);
            QVERIFY(image.save(path, nullptr, name.endsWith(QLatin1String(".png")) ? 90 : 50));
        }
        ImageInfo info;
        info.filePath = path;
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.width, 8000);
        QCOMPARE(info.height, 6000);
        Picture picture(AV_PIX_FMT_BGRA, 640, 480);
        QVERIFY(ImageReader::read(path, picture.get(), 640, 480, false));
        QVERIFY(qGray(picture.bgra(10, 470)) > 20); // filled edge to edge
        QVERIFY(qGray(picture.bgra(630, 10)) > 20);
    }

    // So thin that it scales to nothing: an empty thumbnail and a black
    // frame, not a failure.
    void hairline()
    {
        QImage line(1000, 1, QImage::Format_RGB32);
        line.fill(Qt::white);
        const QString path = saved(line, QStringLiteral("hairline.png"));
        ImageInfo info;
        info.filePath = path;
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.width, 1000);
        QCOMPARE(info.thumbnail.pixel(40, 30), Grey);
        QCOMPARE(info.thumbnailTurned.pixel(40, 30), Grey);
        Picture picture(AV_PIX_FMT_BGRA, 64, 48);
        QVERIFY(ImageReader::read(path, picture.get(), 64, 48, false));
        QCOMPARE(picture.bgra(32, 24), Black);
        QVERIFY(ImageReader::read(path, picture.get(), 64, 48, true));
        QCOMPARE(picture.bgra(32, 24), Black);
    }

    void patternScaledToTheExactSize()
    {
        QImage pattern(40, 20, QImage::Format_RGB32);
        pattern.fill(Qt::black);
        QPainter(&pattern).fillRect(0, 0, 20, 10, Qt::white);
        const QString path = saved(pattern, QStringLiteral("corner.wpt"), "PNG");

        Picture picture(AV_PIX_FMT_GRAY8, 65, 48, 32);
        QVERIFY(picture.get().linesize[0] > 65);
        QVERIFY(ImageReader::readPattern(path, picture.get(), 65, 48));
        // Top row first and not mirrored: the white corner is at row 0, left.
        QCOMPARE(*picture.at(8, 6, 1), uint8_t(255));
        QCOMPARE(*picture.at(56, 6, 1), uint8_t(0));
        QCOMPARE(*picture.at(8, 42, 1), uint8_t(0));
        QCOMPARE(*picture.at(56, 42, 1), uint8_t(0));

        QImage white(7, 3, QImage::Format_Grayscale8);
        white.fill(255);
        const QString whitePath = saved(white, QStringLiteral("white.wpt"), "PNG");
        picture.fill(0x7F);
        QVERIFY(ImageReader::readPattern(whitePath, picture.get(), 65, 48));
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 65; ++x)
                QCOMPARE(*picture.at(x, y, 1), uint8_t(255));
    }

    void wrongDestinationIsRefused()
    {
        const QString path = saved(quadrantImage(40, 30), QStringLiteral("small.png"));
        Picture picture(AV_PIX_FMT_BGRA, 40, 30);
        QVERIFY(!ImageReader::read(path, picture.get(), 80, 30, false)); // rows too short
        QVERIFY(!ImageReader::read(path, picture.get(), 0, 30, false));
        AVPicture none{};
        QVERIFY(!ImageReader::read(path, none, 40, 30, false));
        QVERIFY(!ImageReader::readPattern(path, none, 40, 30));
    }

    // Each refusal must leave the record and the pictures exactly as they were.
    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(m_dir.path());

        const QString empty = dir.filePath(QStringLiteral("empty.jpg"));
        writeBytes(empty, QByteArray());
        QTest::newRow("empty") << empty;

        QByteArray noise(8192, Qt::Uninitialized);
        QRandomGenerator random(99);
        for (char& byte : noise)
            byte = char(random.bounded(256));
        const QString junk = dir.filePath(QStringLiteral("noise.jpg"));
        writeBytes(junk, noise);
        QTest::newRow("random bytes") << junk;

        const QString text = dir.filePath(QStringLiteral("letter.png"));
        writeBytes(text, "Dear reader,\nthis is not a picture.\n");
        QTest::newRow("text") << text;

        const QByteArray flower = fileBytes(mediaFile("flower.jpg"));
        const QString cut = dir.filePath(QStringLiteral("cut.jpg"));
        writeBytes(cut, flower.left(flower.size() * 6 / 10));
        QTest::newRow("truncated jpeg") << cut;
        const QString headerOnly = dir.filePath(QStringLiteral("header.jpg"));
        writeBytes(headerOnly, flower.left(600));
        QTest::newRow("jpeg header only") << headerOnly;
        const QString lastByteMissing = dir.filePath(QStringLiteral("almost.jpg"));
        writeBytes(lastByteMissing, flower.left(flower.size() - 2));
        QTest::newRow("jpeg without its end") << lastByteMissing;

        QByteArray png;
        {
            QImage tiny(4, 4, QImage::Format_RGB32);
            tiny.fill(Qt::green);
            const QString tinyPath = saved(tiny, QStringLiteral("tiny.png"));
            png = fileBytes(tinyPath);
        }
        QByteArray hugePng = png;
        putBigEndian(hugePng, 16, 100000, 4);
        putBigEndian(hugePng, 20, 100000, 4);
        putBigEndian(hugePng, 29, pngCrc(hugePng.mid(12, 17)), 4);
        const QString huge = dir.filePath(QStringLiteral("huge.png"));
        writeBytes(huge, hugePng);
        QTest::newRow("png claiming 100000 x 100000") << huge;

        // A complete JPEG whose frame header claims 20000 x 20000 (1.6 GB).
        QByteArray bigJpeg = fileBytes(saved(quadrantImage(64, 48), QStringLiteral("sof.jpg"), "JPEG"));
        const int sof = bigJpeg.indexOf("\xFF\xC0");
        QVERIFY(sof > 0);
        putBigEndian(bigJpeg, sof + 5, 20000, 2);
        putBigEndian(bigJpeg, sof + 7, 20000, 2);
        const QString bigJpegPath = dir.filePath(QStringLiteral("claims.jpg"));
        writeBytes(bigJpegPath, bigJpeg);
        QTest::newRow("jpeg claiming 20000 x 20000") << bigJpegPath;

        const QByteArray wide = fileBytes(saved(quadrantImage(300, 200), QStringLiteral("whole.png")));
        const QString halfPng = dir.filePath(QStringLiteral("half.png"));
        writeBytes(halfPng, wide.left(wide.size() / 2));
        QTest::newRow("truncated png") << halfPng;

        QTest::newRow("missing") << dir.filePath(QStringLiteral("nowhere.jpg"));
        QTest::newRow("directory") << dir.path();
        const QString fifo = dir.filePath(QStringLiteral("pipe.jpg"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QTest::newRow("fifo") << fifo;
    }
    void unreadableFiles()
    {
        QFETCH(QString, path);
        const ImageInfo before = sentinelRecord(path);
        ImageInfo info = before;
        QVERIFY(!ImageReader::parse(info));
        QVERIFY(sameRecord(info, before));

        Picture photo(AV_PIX_FMT_BGRA, 64, 48);
        photo.fill(0xAB);
        const QByteArray photoBefore = photo.bytes();
        QVERIFY(!ImageReader::read(path, photo.get(), 64, 48, false));
        QVERIFY(!ImageReader::read(path, photo.get(), 64, 48, true));
        QCOMPARE(photo.bytes(), photoBefore);

        Picture pattern(AV_PIX_FMT_GRAY8, 64, 48);
        pattern.fill(0xAB);
        const QByteArray patternBefore = pattern.bytes();
        QVERIFY(!ImageReader::readPattern(path, pattern.get(), 64, 48));
        QCOMPARE(pattern.bytes(), patternBefore);
    }
};

} // namespace

std::unique_ptr<QObject> makeImageReaderTests() { return std::make_unique<ImageReaderTest>(); }

#include "tst_imagereader.moc"
