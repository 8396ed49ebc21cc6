// The OpenGL compositor: frames composed by real OpenGL and read back, for
// plain photos, dissolves, wipes, zoom and pan, the eight orientations, the
// widget's camera, and a context that changes under the drawer.

#include "gldrawer.h"
#include "imagereader.h"
#include "rendertests.h"

#include <QDir>
#include <QImageReader>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>
#include <numeric>
#include <optional>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;

constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Green = 0xFF00FF00;
constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

// Reaches the drawer's inner state that the tests check.
class ProbeDrawer : public GLDrawer
{
public:
    using GLDrawer::alphaLUT;
    using GLDrawer::frameViewport;
    using GLDrawer::wipeBuffer;

    void setClearColour(float red, float green, float blue, float alpha)
    {
        makeCurrent();
        context()->functions()->glClearColor(red, green, blue, alpha);
    }
};

// Four solid quadrants: top left red, top right green, bottom left blue,
// bottom right white, so that every turn and mirror shows.
QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor::fromRgb(Red));
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor::fromRgb(Green));
    painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor::fromRgb(Blue));
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor::fromRgb(White));
    return image;
}

QImage solid(QRgb colour, int width = Width, int height = Height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A photo of the sample media as the renderer caches it.
FrameData photo(const QString& name, int width = Width, int height = Height)
{
    FrameData frame;
    frame.allocate(AV_PIX_FMT_BGRA, width, height);
    if (!ImageReader::read(mediaFile(name), frame.picture, width, height, false))
        frame.release();
    return frame;
}

// The picture as an upright image (the inverse of bgraPicture()).
QImage imageOf(const FrameData& frame, int width = Width, int height = Height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(height - 1 - y), frame.picture.data[0] + y * frame.picture.linesize[0],
                    std::size_t(width) * 4);
    return image;
}

// One frame of one picture.
void composeOne(GLDrawer& drawer, const FrameData& picture, int imageType = 0, const GLTransform* fx = nullptr)
{
    drawer.beginDraw();
    drawer.bindFrame(0, picture.picture.data[0]);
    drawer.drawFrame(0, imageType, fx);
    drawer.endDraw();
}

#define QVERIFY_COLOUR(actual, expected, tolerance, where)                                                             \
    QVERIFY2(nearColour(actual, expected, tolerance),                                                                  \
             qPrintable(QStringLiteral("%1: %2 instead of %3").arg(where, colourText(actual), colourText(expected))))

} // namespace

class GLDrawerTests : public QObject
{
    Q_OBJECT

private slots:
    void initialize_data();
    void initialize();
    void plainFrameRowOrder_data();
    void plainFrameRowOrder();
    void dissolve_data();
    void dissolve();
    void translucentPhotoOverBlack_data();
    void translucentPhotoOverBlack();
    void wipeFollowsAlphaTable_data();
    void wipeFollowsAlphaTable();
    void wipeWithPatternFile_data();
    void wipeWithPatternFile();
    void alphaTable_data();
    void alphaTable();
    void alphaTableShape();
    void zoomAndPan_data();
    void zoomAndPan();
    void orientation_data();
    void orientation();
    void rotateEffectAndUnknownKind_data();
    void rotateEffectAndUnknownKind();
    void letterboxMargins_data();
    void letterboxMargins();
    void widgetViewport_data();
    void widgetViewport();
    void contextChangeKeepsFrame();
    void shownInWindowAfterHiddenSetUp();
    void releaseAndReinitialize();
    void twoDrawersKeepTheirFrames();
    void badArgumentsChangeNothing();
    void planarReadback_data();
    void planarReadback();
    void planarRequestsTakenInOrder();
    void planarMisuseFails();
};

void GLDrawerTests::initialize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("320x240") << QSize(320, 240) << 2 << true;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << 2 << true;
    QTest::newRow("2048x2048") << QSize(2048, 2048) << 2 << true;
    QTest::newRow("2560x1440") << QSize(2560, 1440) << 2 << true;
    QTest::newRow("odd 1001x333") << QSize(1001, 333) << 2 << true;
    QTest::newRow("empty width") << QSize(0, 240) << 2 << false;
    QTest::newRow("negative height") << QSize(320, -1) << 2 << false;
    QTest::newRow("no slots") << QSize(320, 240) << 0 << false;
}

void GLDrawerTests::initialize()
{
    QFETCH(QSize, size);
    QFETCH(int, slotCount);
    QFETCH(bool, accepted);

    ProbeDrawer drawer;
    QCOMPARE(drawer.initialize(size, slotCount, true), accepted);
    QCOMPARE(drawer.errorString().isEmpty(), accepted);
    if (!accepted) {
        std::vector<unsigned char> pixels(16);
        QVERIFY(!drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, pixels.data()));
        return;
    }
    QCOMPARE(drawer.frameSize(), size);
    // Picture textures take the frame's size, not a larger square.
    QCOMPARE(drawer.textureSize(), size);
    QVERIFY(!drawer.isVisible());

    // Before any frame the frame buffer holds the clear colour, opaque black.
    const QImage empty = readBack(drawer);
    QCOMPARE(empty.pixel(0, 0), Black);
    QCOMPARE(empty.pixel(size.width() - 1, size.height() - 1), Black);

    // A photo fills the frame exactly at every size, also off the usual texture.
    const FrameData picture = bgraPicture(quadrants(size.width(), size.height()));
    composeOne(drawer, picture);
    const QImage frame = readBack(drawer);
    const int w = size.width(), h = size.height();
    QVERIFY_COLOUR(frame.pixel(1, 1), Red, 1, QStringLiteral("top left"));
    QVERIFY_COLOUR(frame.pixel(w - 2, 1), Green, 1, QStringLiteral("top right"));
    QVERIFY_COLOUR(frame.pixel(1, h - 2), Blue, 1, QStringLiteral("bottom left"));
    QVERIFY_COLOUR(frame.pixel(w - 2, h - 2), White, 1, QStringLiteral("bottom right"));
}

void GLDrawerTests::plainFrameRowOrder_data()
{
    QTest::addColumn<bool>("flipVertical");
    QTest::newRow("compile loop: top row first") << true;
    QTest::newRow("player: bottom row first") << false;
}

void GLDrawerTests::plainFrameRowOrder()
{
    QFETCH(bool, flipVertical);
    const FrameData picture = photo(QStringLiteral("flower.jpg"));
    QVERIFY(picture.isAllocated());
    const QImage upright = imageOf(picture);

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, flipVertical));
    composeOne(drawer, picture);

    QImage raw(Width, Height, QImage::Format_RGBA8888);
    QVERIFY(drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, raw.bits()));
    const QImage expected = flipVertical ? upright : upright.mirrored(false, true);
    // Every pixel lands on its own texel: no filtering blur, no offset.
    QVERIFY2(maxDifference(raw, expected) <= 1, qPrintable(QString::number(maxDifference(raw, expected))));
}

void GLDrawerTests::dissolve_data()
{
    QTest::addColumn<float>("alpha");
    QTest::addColumn<int>("incomingWeight"); // of 255

    QTest::newRow("0: outgoing only") << 0.0f << 0;
    QTest::newRow("1: incoming only") << 1.0f << 255;
    QTest::newRow("0.5: truncated to 127") << 0.5f << 127;
    QTest::newRow("0.3") << 0.3f << 76;
    QTest::newRow("above 1 is clamped") << 1.5f << 255;
    QTest::newRow("below 0 is clamped") << -0.25f << 0;
}

void GLDrawerTests::dissolve()
{
    QFETCH(float, alpha);
    QFETCH(int, incomingWeight);

    const FrameData outgoing = photo(QStringLiteral("flower.jpg"));
    const FrameData incoming = photo(QStringLiteral("raindrops.jpg"));
    QVERIFY(outgoing.isAllocated() && incoming.isAllocated());

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    drawer.beginDraw();
    drawer.bindFrame(0, outgoing.picture.data[0]);
    drawer.bindDissolveFrame(1, alpha, incoming.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.drawFrame(1, 0, nullptr);
    drawer.endDraw();
    const QImage frame = readBack(drawer);

    // The uploaded copy: the incoming colours with the alpha byte exactly.
    QCOMPARE(drawer.wipeBuffer.size(), std::size_t(Width * Height * 4));
    for (std::size_t i = 0; i < drawer.wipeBuffer.size(); i += 997 * 4) {
        QCOMPARE(int(drawer.wipeBuffer[i + 3]), incomingWeight);
        QVERIFY(std::memcmp(&drawer.wipeBuffer[i], incoming.picture.data[0] + i, 3) == 0);
    }

    const QImage a = imageOf(outgoing), b = imageOf(incoming);
    QImage expected(Width, Height, QImage::Format_RGB32);
    auto mix = [incomingWeight](int x, int y) {
        return int(std::lround((x * (255 - incomingWeight) + y * incomingWeight) / 255.0));
    };
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            expected.setPixel(x, y, qRgb(mix(qRed(p), qRed(q)), mix(qGreen(p), qGreen(q)), mix(qBlue(p), qBlue(q))));
        }
    QVERIFY2(maxDifference(frame, expected) <= 2, qPrintable(QString::number(maxDifference(frame, expected))));

    // The composed frame stays opaque, whatever the incoming photo's alpha.
    for (int y = 0; y < Height; y += 7)
        for (int x = 0; x < Width; x += 7)
            QCOMPARE(qAlpha(frame.pixel(x, y)), 255);
}

void GLDrawerTests::translucentPhotoOverBlack_data()
{
    QTest::addColumn<bool>("dissolve");
    QTest::newRow("dissolve alpha 0.5") << true;
    QTest::newRow("picture with alpha 128") << false;
}

void GLDrawerTests::translucentPhotoOverBlack()
{
    // A photo that is not opaque blends over the black background even when
    // it is the only one.
    QFETCH(bool, dissolve);
    QImage white(Width, Height, QImage::Format_ARGB32);
    white.fill(dissolve ? qRgba(255, 255, 255, 255) : qRgba(255, 255, 255, 128));
    const FrameData picture = bgraPicture(white);
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    drawer.beginDraw();
    if (dissolve)
        drawer.bindDissolveFrame(0, 0.5f, picture.picture.data[0]);
    else
        drawer.bindFrame(0, picture.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.endDraw();
    const QRgb pixel = readBack(drawer).pixel(Width / 2, Height / 2);
    QVERIFY_COLOUR(pixel, qRgb(dissolve ? 127 : 128, dissolve ? 127 : 128, dissolve ? 127 : 128), 1,
                   QStringLiteral("middle"));
    QCOMPARE(qAlpha(pixel), 255);
}

void GLDrawerTests::wipeFollowsAlphaTable_data()
{
    QTest::addColumn<float>("progress");
    QTest::newRow("1") << 1.0f;
    QTest::newRow("0.75") << 0.75f;
    QTest::newRow("0.5") << 0.5f;
    QTest::newRow("0.1") << 0.1f;
    QTest::newRow("0") << 0.0f;
}

void GLDrawerTests::wipeFollowsAlphaTable()
{
    QFETCH(float, progress);
    // White over black through a pattern whose column x has grey level x:
    // each column's brightness is its alpha.
    constexpr int RampWidth = 256, RampHeight = 8;
    const FrameData outgoing = bgraPicture(solid(Black, RampWidth, RampHeight));
    const FrameData incoming = bgraPicture(solid(White, RampWidth, RampHeight));
    std::vector<unsigned char> pattern(std::size_t(RampWidth) * RampHeight);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<unsigned char>(i % RampWidth);

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(RampWidth, RampHeight), 2, true));
    drawer.beginDraw();
    drawer.bindFrame(0, outgoing.picture.data[0]);
    drawer.bindWipeFrame(1, progress, 0.1f, pattern.data(), incoming.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.drawFrame(1, 0, nullptr);
    drawer.endDraw();
    const QImage frame = readBack(drawer);

    for (int x = 0; x < RampWidth; ++x) {
        const int expected = int(std::trunc(drawer.alphaLUT[std::size_t(x)]));
        const int actual = qRed(frame.pixel(x, RampHeight / 2));
        QVERIFY2(std::abs(actual - expected) <= 1,
                 qPrintable(QStringLiteral("grey %1: %2 instead of %3").arg(x).arg(actual).arg(expected)));
    }
    if (progress == 1.0f) {
        QCOMPARE(qRed(frame.pixel(254, RampHeight / 2)), 0);
        QCOMPARE(qRed(frame.pixel(255, RampHeight / 2)), 255);
    }
    if (progress == 0.0f)
        QCOMPARE(qRed(frame.pixel(0, RampHeight / 2)), 255);
}

void GLDrawerTests::wipeWithPatternFile_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<float>("progress");

    for (const char* name : {"01-wipe-right", "09-wipe-left", "12-soft-noise"}) {
        QTest::addRow("%s at 1", name) << QString::fromLatin1(name) << 1.0f;
        QTest::addRow("%s at 0", name) << QString::fromLatin1(name) << 0.0f;
    }
}

void GLDrawerTests::wipeWithPatternFile()
{
    QFETCH(QString, pattern);
    QFETCH(float, progress);

    const FrameData grey = greyPattern(QDir(patternFolder()).filePath(pattern + QStringLiteral(".wpt")), Width, Height);
    QVERIFY2(grey.isAllocated(), qPrintable(pattern));
    const FrameData outgoing = photo(QStringLiteral("flower.jpg"));
    const FrameData incoming = photo(QStringLiteral("raindrops.jpg"));

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    drawer.beginDraw();
    drawer.bindFrame(0, outgoing.picture.data[0]);
    drawer.bindWipeFrame(1, progress, 0.1f, grey.picture.data[0], incoming.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.drawFrame(1, 0, nullptr);
    drawer.endDraw();
    const QImage frame = readBack(drawer);

    // At 1 only pure white pattern pixels show the incoming photo; at 0 all do.
    // Pattern and photo share buffer indices: buffer row r is screen row
    // height - 1 - r.
    const QImage a = imageOf(outgoing), b = imageOf(incoming);
    QImage expected(Width, Height, QImage::Format_RGB32);
    int incomingPixels = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const unsigned char level = grey.picture.data[0][(Height - 1 - y) * grey.picture.linesize[0] + x];
            const bool shows = progress == 0.0f || level == 255;
            incomingPixels += shows;
            expected.setPixel(x, y, shows ? b.pixel(x, y) : a.pixel(x, y));
        }
    QVERIFY2(maxDifference(frame, expected) <= 2, qPrintable(QString::number(maxDifference(frame, expected))));
    QVERIFY(incomingPixels > 0);
    QVERIFY(progress == 0.0f ? incomingPixels == Width * Height : incomingPixels < Width * Height / 10);
}

void GLDrawerTests::alphaTable_data()
{
    QTest::addColumn<double>("progress");
    QTest::addColumn<double>("softness");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("alpha");

    // Halfway the edge is widest: from trunc(0.4 x 255) = 102 to 153.
    QTest::newRow("0.5 below the edge") << 0.5 << 0.1 << 101 << 0.0;
    QTest::newRow("0.5 edge start") << 0.5 << 0.1 << 102 << 0.0;
    QTest::newRow("0.5 just inside") << 0.5 << 0.1 << 103 << 5.0;
    QTest::newRow("0.5 middle") << 0.5 << 0.1 << 127 << 125.0;
    QTest::newRow("0.5 last of the edge") << 0.5 << 0.1 << 152 << 250.0;
    QTest::newRow("0.5 edge end") << 0.5 << 0.1 << 153 << 255.0;
    QTest::newRow("0.5 white") << 0.5 << 0.1 << 255 << 255.0;
    QTest::newRow("0.5 black") << 0.5 << 0.1 << 0 << 0.0;
    // A quarter of the way the edge is narrower (sin(pi/4) x 0.1): 45 to 81.
    QTest::newRow("0.25 before") << 0.25 << 0.1 << 45 << 0.0;
    QTest::newRow("0.25 inside") << 0.25 << 0.1 << 63 << 127.5;
    QTest::newRow("0.25 after") << 0.25 << 0.1 << 81 << 255.0;
    QTest::newRow("0.75 inside") << 0.75 << 0.1 << 191 << 127.5;
    QTest::newRow("0.75 before") << 0.75 << 0.1 << 172 << 0.0;
    // At the ends the edge vanishes.
    QTest::newRow("1: 254 stays hidden") << 1.0 << 0.1 << 254 << 0.0;
    QTest::newRow("1: 255 shows") << 1.0 << 0.1 << 255 << 255.0;
    QTest::newRow("0: black shows") << 0.0 << 0.1 << 0 << 255.0;
    // Without softness the table is a step at progress x 255.
    QTest::newRow("hard 126") << 0.5 << 0.0 << 126 << 0.0;
    QTest::newRow("hard 127") << 0.5 << 0.0 << 127 << 255.0;
    // Out-of-range input stays within the table's range.
    QTest::newRow("not a number") << std::nan("") << 0.1 << 0 << 255.0;
    QTest::newRow("huge softness") << 0.5 << 1e12 << 128 << 127.5;
}

void GLDrawerTests::alphaTable()
{
    QFETCH(double, progress);
    QFETCH(double, softness);
    QFETCH(int, level);
    QFETCH(double, alpha);

    ProbeDrawer drawer;
    drawer.prepareAlphaLUT(progress, softness);
    QVERIFY2(std::abs(drawer.alphaLUT[std::size_t(level)] - alpha) < 1e-6,
             qPrintable(QString::number(drawer.alphaLUT[std::size_t(level)])));
}

void GLDrawerTests::alphaTableShape()
{
    // As the renderer lowers progress from 1 to 0, the opaque part only
    // grows, and every table rises with the grey level within 0..255.
    ProbeDrawer drawer;
    std::array<double, 256> later{};
    later.fill(0.0);
    for (int step = 20; step >= 0; --step) {
        drawer.prepareAlphaLUT(step / 20.0, 0.1);
        for (int i = 0; i < 256; ++i) {
            const double value = drawer.alphaLUT[std::size_t(i)];
            QVERIFY(value >= 0.0 && value <= 255.0);
            if (i > 0)
                QVERIFY(value >= drawer.alphaLUT[std::size_t(i - 1)]);
            QVERIFY2(value >= later[std::size_t(i)], qPrintable(QStringLiteral("step %1 level %2").arg(step).arg(i)));
        }
        later = drawer.alphaLUT;
    }
}

void GLDrawerTests::zoomAndPan_data()
{
    QTest::addColumn<bool>("flipVertical");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("z");

    // The compile loop's upside-down frame must read back like the player's.
    for (const bool flip : {true, false}) {
        const char* reader = flip ? "compile" : "player";
        QTest::addRow("%s: unmoved", reader) << flip << 0.0f << 0.0f << 0.0f;
        QTest::addRow("%s: closer, larger and centred", reader) << flip << 0.0f << 0.0f << 80.0f;
        QTest::addRow("%s: much closer", reader) << flip << 0.0f << 0.0f << 200.0f;
        QTest::addRow("%s: farther, smaller with black around", reader) << flip << 0.0f << 0.0f << -160.0f;
        QTest::addRow("%s: right, black on the left", reader) << flip << 80.0f << 0.0f << 0.0f;
        QTest::addRow("%s: left and up", reader) << flip << -50.0f << 30.0f << 0.0f;
        QTest::addRow("%s: closer, right and down", reader) << flip << 40.0f << -20.0f << 80.0f;
    }
}

void GLDrawerTests::zoomAndPan()
{
    QFETCH(bool, flipVertical);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, z);

    // Red with a white middle of half the frame's size.
    QImage image = solid(Red);
    QPainter(&image).fillRect(Width / 4, Height / 4, Width / 2, Height / 2, QColor::fromRgb(White));
    const FrameData picture = bgraPicture(image);

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, flipVertical));
    GLTransform fx;
    fx.kind = FxTranslate;
    fx.value[0] = x;
    fx.value[1] = y;
    fx.value[2] = z;
    composeOne(drawer, picture, 0, &fx);
    const QImage frame = readBack(drawer);

    // The camera sees the frame-sized quad at a distance of the frame width;
    // moved by z it is that much closer, so scaled by width / (width - z)
    // about the centre, and x, y move it by that many scaled pixels (y up).
    const double scale = Width / (Width - double(z));
    auto expectedAt = [&](double column, double row) -> std::optional<QRgb> {
        const double px = Width / 2.0 + (column + 0.5 - Width / 2.0) / scale - x;
        const double py = Height / 2.0 + (row + 0.5 - Height / 2.0) / scale + y;
        auto nearEdge = [](double value, double edge) { return std::abs(value - edge) < 2.0; };
        for (double edge : {0.0, double(Width / 4), double(Width / 4 + Width / 2), double(Width)})
            if (nearEdge(px, edge))
                return std::nullopt;
        for (double edge : {0.0, double(Height / 4), double(Height / 4 + Height / 2), double(Height)})
            if (nearEdge(py, edge))
                return std::nullopt;
        if (px < 0 || px >= Width || py < 0 || py >= Height)
            return Black;
        const bool middle =
            px >= Width / 4 && px < Width / 4 + Width / 2 && py >= Height / 4 && py < Height / 4 + Height / 2;
        return middle ? White : Red;
    };
    int checked = 0;
    for (int row = 1; row < Height; row += 6) {
        for (int column = 1; column < Width; column += 6) {
            const std::optional<QRgb> expected = expectedAt(column, row);
            if (!expected)
                continue;
            ++checked;
            QVERIFY_COLOUR(frame.pixel(column, row), *expected, 8, QStringLiteral("(%1, %2)").arg(column).arg(row));
        }
    }
    QVERIFY(checked > 1000);
}

void GLDrawerTests::orientation_data()
{
    QTest::addColumn<int>("imageType");
    QTest::addColumn<QRgb>("topLeft");
    QTest::addColumn<QRgb>("topRight");
    QTest::addColumn<QRgb>("bottomLeft");
    QTest::addColumn<QRgb>("bottomRight");

    // The picture: red | green over blue | white.
    QTest::newRow("0 as stored") << 0 << Red << Green << Blue << White;
    QTest::newRow("1 upside down") << 1 << Blue << White << Red << Green;
    QTest::newRow("2 mirrored") << 2 << Green << Red << White << Blue;
    QTest::newRow("3 turned 180") << 3 << White << Blue << Green << Red;
    QTest::newRow("4 turned +90, upside down") << 4 << White << Green << Blue << Red;
    QTest::newRow("5 quarter turn counter-clockwise") << 5 << Green << White << Red << Blue;
    QTest::newRow("6 quarter turn clockwise") << 6 << Blue << Red << White << Green;
    QTest::newRow("7 turned +90, mirrored") << 7 << Red << Blue << Green << White;
    QTest::newRow("8 draws without a flip") << 8 << Red << Green << Blue << White;
    QTest::newRow("-1 draws without a flip") << -1 << Red << Green << Blue << White;
}

void GLDrawerTests::orientation()
{
    QFETCH(int, imageType);
    QFETCH(QRgb, topLeft);
    QFETCH(QRgb, topRight);
    QFETCH(QRgb, bottomLeft);
    QFETCH(QRgb, bottomRight);

    // A 4:3 picture: shown as stored it fills the frame; turned (codes 4 to
    // 7 are read turned) it is 3:4, pillarboxed in the middle.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("quadrants.png"));
    QVERIFY(quadrants(400, 300).save(path));
    const bool turn = imageType > 3 && imageType < 8;
    FrameData picture;
    QVERIFY(picture.allocate(AV_PIX_FMT_BGRA, Width, Height));
    QVERIFY(ImageReader::read(path, picture.picture, Width, Height, turn));

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    composeOne(drawer, picture, imageType);
    const QImage frame = readBack(drawer);

    const QSize shown = turn ? QSize(Height * 3 / 4, Height) : QSize(Width, Height);
    const QRect area(QPoint((Width - shown.width()) / 2, (Height - shown.height()) / 2), shown);
    const int left = area.left() + area.width() / 4, right = area.left() + area.width() * 3 / 4;
    const int top = area.top() + area.height() / 4, bottom = area.top() + area.height() * 3 / 4;
    QVERIFY_COLOUR(frame.pixel(left, top), topLeft, 2, QStringLiteral("top left"));
    QVERIFY_COLOUR(frame.pixel(right, top), topRight, 2, QStringLiteral("top right"));
    QVERIFY_COLOUR(frame.pixel(left, bottom), bottomLeft, 2, QStringLiteral("bottom left"));
    QVERIFY_COLOUR(frame.pixel(right, bottom), bottomRight, 2, QStringLiteral("bottom right"));
    if (turn) {
        QVERIFY_COLOUR(frame.pixel(area.left() - 3, Height / 2), Black, 0, QStringLiteral("left pillar"));
        QVERIFY_COLOUR(frame.pixel(area.right() + 3, Height / 2), Black, 0, QStringLiteral("right pillar"));
    }
}

void GLDrawerTests::rotateEffectAndUnknownKind_data()
{
    QTest::addColumn<bool>("flipVertical");
    QTest::newRow("compile") << true;
    QTest::newRow("player") << false;
}

void GLDrawerTests::rotateEffectAndUnknownKind()
{
    QFETCH(bool, flipVertical);
    const FrameData picture = bgraPicture(quadrants(Width, Height));
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, flipVertical));

    composeOne(drawer, picture, 3);
    const QImage turned = readBack(drawer);
    composeOne(drawer, picture, 0);
    const QImage plain = readBack(drawer);

    // Half a turn about the view axis is the same as orientation class 3.
    GLTransform rotate;
    rotate.kind = FxRotate;
    rotate.value[0] = 180.0f;
    rotate.value[3] = 1.0f;
    composeOne(drawer, picture, 0, &rotate);
    QVERIFY(maxDifference(readBack(drawer), turned) <= 1);

    // A positive angle turns counter-clockwise, in the read-back as on screen.
    rotate.value[0] = 90.0f;
    composeOne(drawer, picture, 0, &rotate);
    const QImage quarter = readBack(drawer);
    const int cx = Width / 2, cy = Height / 2, d = 30;
    QVERIFY_COLOUR(quarter.pixel(cx - d, cy - d), Green, 2, QStringLiteral("top left"));
    QVERIFY_COLOUR(quarter.pixel(cx + d, cy - d), White, 2, QStringLiteral("top right"));
    QVERIFY_COLOUR(quarter.pixel(cx - d, cy + d), Red, 2, QStringLiteral("bottom left"));
    QVERIFY_COLOUR(quarter.pixel(cx + d, cy + d), Blue, 2, QStringLiteral("bottom right"));

    // An effect of unknown kind is reported and drawn without effect.
    GLTransform unknown;
    unknown.kind = 7;
    unknown.value[0] = 100.0f;
    unknown.value[2] = 150.0f;
    QLoggingCategory::setFilterRules(QStringLiteral("reelwright.render.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, "Don't know what kind FX it is!");
    composeOne(drawer, picture, 0, &unknown);
    QLoggingCategory::setFilterRules(QString());
    QVERIFY(maxDifference(readBack(drawer), plain) <= 1);
}

void GLDrawerTests::letterboxMargins_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("frame");

    QTest::newRow("4:3 photo in 16:9: pillars") << QStringLiteral("flower.jpg") << QSize(640, 360);
    QTest::newRow("16:10 photo in 4:3: bars") << QStringLiteral("raindrops.jpg") << QSize(320, 240);
}

void GLDrawerTests::letterboxMargins()
{
    QFETCH(QString, file);
    QFETCH(QSize, frame);

    const FrameData picture = photo(file, frame.width(), frame.height());
    QVERIFY(picture.isAllocated());
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(frame, 2, true));
    // The compile loop clears in grey; no grey may show at the frame's edges.
    drawer.setClearColour(0.5f, 0.5f, 0.5f, 0.0f);
    composeOne(drawer, picture);
    const QImage image = readBack(drawer);

    const QSize fitted = QImageReader(mediaFile(file)).size().scaled(frame, Qt::KeepAspectRatio);
    const QRect photoArea(QPoint((frame.width() - fitted.width()) / 2, (frame.height() - fitted.height()) / 2), fitted);
    QVERIFY(photoArea.width() < frame.width() || photoArea.height() < frame.height());
    int photoPixels = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QCOMPARE(qAlpha(pixel), 255);
            if (!photoArea.adjusted(-1, -1, 1, 1).contains(x, y))
                QVERIFY_COLOUR(pixel, Black, 0, QStringLiteral("margin (%1, %2)").arg(x).arg(y));
            else if (photoArea.adjusted(1, 1, -1, -1).contains(x, y))
                photoPixels += qGray(pixel) > 8;
        }
    }
    QVERIFY(photoPixels > photoArea.width() * photoArea.height() / 2);
}

void GLDrawerTests::widgetViewport_data()
{
    QTest::addColumn<QSize>("widget");
    QTest::addColumn<QRect>("viewport"); // lower left origin, as glViewport

    QTest::newRow("wider: pillars") << QSize(400, 200) << QRect(67, 0, 266, 200);
    QTest::newRow("taller: bars") << QSize(200, 300) << QRect(0, 75, 200, 150);
    QTest::newRow("same shape, larger") << QSize(480, 360) << QRect(0, 0, 480, 360);
    QTest::newRow("exact") << QSize(320, 240) << QRect(0, 0, 320, 240);
}

void GLDrawerTests::widgetViewport()
{
    QFETCH(QSize, widget);
    QFETCH(QRect, viewport);
    if (!canShowGLWidgets())
        QSKIP("Qt 6.4 crashes when a QOpenGLWidget is shown on the offscreen platform");

    const FrameData picture = bgraPicture(quadrants(Width, Height));
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    drawer.setClearColour(0.5f, 0.5f, 0.5f, 1.0f);
    composeOne(drawer, picture);
    drawer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&drawer));
    drawer.resize(widget);
    QTRY_COMPARE(drawer.size(), widget);
    QTRY_COMPARE(drawer.frameViewport(), viewport);

    // The widget shows the frame scaled into the viewport, upright although
    // it is composed upside down, and the clear colour around it.
    const QImage shown = drawer.grabFramebuffer();
    QCOMPARE(shown.size(), widget);
    const QRect area(viewport.x(), widget.height() - viewport.y() - viewport.height(), viewport.width(),
                     viewport.height());
    const int left = area.left() + area.width() / 4, right = area.left() + area.width() * 3 / 4;
    const int top = area.top() + area.height() / 4, bottom = area.top() + area.height() * 3 / 4;
    QVERIFY_COLOUR(shown.pixel(left, top), Red, 2, QStringLiteral("top left"));
    QVERIFY_COLOUR(shown.pixel(right, top), Green, 2, QStringLiteral("top right"));
    QVERIFY_COLOUR(shown.pixel(left, bottom), Blue, 2, QStringLiteral("bottom left"));
    QVERIFY_COLOUR(shown.pixel(right, bottom), White, 2, QStringLiteral("bottom right"));
    const QRgb grey = qRgb(128, 128, 128);
    if (area.left() > 2) {
        QVERIFY_COLOUR(shown.pixel(1, widget.height() / 2), grey, 1, QStringLiteral("left pillar"));
        QVERIFY_COLOUR(shown.pixel(widget.width() - 2, widget.height() / 2), grey, 1, QStringLiteral("right pillar"));
    }
    if (area.top() > 2) {
        QVERIFY_COLOUR(shown.pixel(widget.width() / 2, 1), grey, 1, QStringLiteral("top bar"));
        QVERIFY_COLOUR(shown.pixel(widget.width() / 2, widget.height() - 2), grey, 1, QStringLiteral("bottom bar"));
    }
    // The composed frame itself does not change with the widget.
    QVERIFY(maxDifference(readBack(drawer), quadrants(Width, Height)) <= 1);
}

void GLDrawerTests::contextChangeKeepsFrame()
{
    const FrameData first = bgraPicture(quadrants(Width, Height));
    const FrameData second = bgraPicture(quadrants(Width, Height).mirrored(true, true));
    QWidget window; // declared first: it takes the drawer as a child and must outlive it
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    drawer.setClearColour(0.25f, 0.5f, 0.75f, 1.0f);
    composeOne(drawer, first);

    // Moving the widget into another window makes Qt replace its context.
    bool replaced = false;
    connect(drawer.context(), &QOpenGLContext::aboutToBeDestroyed, this, [&replaced] { replaced = true; });
    drawer.setParent(&window);
    if (!canShowGLWidgets() && !replaced)
        QSKIP("QOpenGLWidget keeps its context on the offscreen platform, where it renders only hidden");
    QVERIFY(replaced);
    {
        window.resize(Width, Height);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    // The composed frame and the clear colour survive; drawing goes on.
    QVERIFY(maxDifference(readBack(drawer), quadrants(Width, Height)) <= 1);
    drawer.makeCurrent();
    std::array<float, 4> clear{};
    drawer.context()->functions()->glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    QCOMPARE(clear[2], 0.75f);
    composeOne(drawer, second);
    QVERIFY(maxDifference(readBack(drawer), quadrants(Width, Height).mirrored(true, true)) <= 1);
}

void GLDrawerTests::shownInWindowAfterHiddenSetUp()
{
    if (!canShowGLWidgets())
        QSKIP("Qt 6.4 crashes when a QOpenGLWidget is shown on the offscreen platform");
    // Set up and drawn before its window is first shown, as a player is at
    // start-up: the screen must show the frame, and the frames drawn later.
    QWidget window;
    ProbeDrawer* drawer = new ProbeDrawer;
    drawer->setParent(&window);
    QVERIFY(drawer->initialize(QSize(Width, Height), 2, false));
    drawer->setClearColour(0.5f, 0.5f, 0.5f, 1.0f);
    composeOne(*drawer, bgraPicture(quadrants(Width, Height)));
    window.resize(Width, Height);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const auto showsQuadrants = [drawer](bool mirrored) {
        const QImage shown = shownOnScreen(*drawer);
        const QRgb topLeft = mirrored ? White : Red;
        const QRgb bottomRight = mirrored ? Red : White;
        return nearColour(shown.pixel(Width / 4, Height / 4), topLeft, 2) &&
               nearColour(shown.pixel(Width * 3 / 4, Height * 3 / 4), bottomRight, 2);
    };
    QTRY_VERIFY2(showsQuadrants(false), qPrintable(colourText(shownOnScreen(*drawer).pixel(Width / 4, Height / 4))));
    composeOne(*drawer, bgraPicture(quadrants(Width, Height).mirrored(true, true)));
    QTRY_VERIFY(showsQuadrants(true));
}

void GLDrawerTests::releaseAndReinitialize()
{
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(640, 480), 2, true));
    const FrameData large = bgraPicture(quadrants(640, 480));
    drawer.beginDraw();
    drawer.bindFrame(0, large.picture.data[0]);
    drawer.bindDissolveFrame(1, 0.5f, large.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.endDraw();

    drawer.release();
    std::vector<unsigned char> pixels(640 * 480 * 4);
    QVERIFY(!drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, pixels.data()));
    drawer.bindFrame(0, large.picture.data[0]); // nothing to upload into: ignored

    // A smaller frame afterwards: the wipe buffer follows the new size.
    QVERIFY(drawer.initialize(QSize(160, 120), 2, true));
    const FrameData small = bgraPicture(quadrants(160, 120));
    drawer.beginDraw();
    drawer.bindFrame(0, small.picture.data[0]);
    drawer.bindDissolveFrame(1, 1.0f, small.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.drawFrame(1, 0, nullptr);
    drawer.endDraw();
    QVERIFY(maxDifference(readBack(drawer), quadrants(160, 120)) <= 1);
}

void GLDrawerTests::twoDrawersKeepTheirFrames()
{
    // The player and the compile loop live side by side, each with its own
    // context; every operation must work on its own drawer's.
    const FrameData first = bgraPicture(quadrants(Width, Height));
    const FrameData second = bgraPicture(quadrants(160, 120).mirrored(true, false));
    ProbeDrawer player, compiler;
    QVERIFY(player.initialize(QSize(Width, Height), 2, false));
    QVERIFY(compiler.initialize(QSize(160, 120), 2, true));
    player.beginDraw();
    compiler.beginDraw();
    player.bindFrame(0, first.picture.data[0]);
    compiler.bindFrame(0, second.picture.data[0]);
    compiler.drawFrame(0, 0, nullptr);
    player.drawFrame(0, 0, nullptr);
    compiler.endDraw();
    player.endDraw();
    QVERIFY(maxDifference(readBack(player), quadrants(Width, Height)) <= 1);
    QVERIFY(maxDifference(readBack(compiler), quadrants(160, 120).mirrored(true, false)) <= 1);
}

void GLDrawerTests::badArgumentsChangeNothing()
{
    const FrameData picture = bgraPicture(quadrants(Width, Height));
    const FrameData other = bgraPicture(solid(Green));
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    drawer.beginDraw();
    drawer.bindFrame(0, picture.picture.data[0]);
    drawer.bindFrame(2, other.picture.data[0]);
    drawer.bindFrame(-1, other.picture.data[0]);
    drawer.bindFrame(1, nullptr);
    drawer.bindDissolveFrame(1, 0.5f, nullptr);
    drawer.bindWipeFrame(1, 0.5f, 0.1f, nullptr, other.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.drawFrame(5, 0, nullptr);
    drawer.endDraw();
    QVERIFY(maxDifference(readBack(drawer), quadrants(Width, Height)) <= 1);
    QVERIFY(!drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, nullptr));
}

namespace {

// BT.601 from 0..255 RGB, written out in the textbook form: the video range
// (luma 16..235, chroma 16..240) or the full range.
std::array<double, 3> yuvOf(double r, double g, double b, bool full)
{
    if (full)
        return {0.299 * r + 0.587 * g + 0.114 * b, 128.0 - 0.168736 * r - 0.331264 * g + 0.5 * b,
                128.0 + 0.5 * r - 0.418688 * g - 0.081312 * b};
    return {16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0,
            128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0,
            128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0};
}

// Largest differences of the planes from what `upright` converts to: luma
// per pixel, chroma per 2 x 2 block (the mean of its pixels; a block at an
// odd edge repeats the last row or column).
struct PlaneErrors {
    double luma = 0, u = 0, v = 0;
};

PlaneErrors planeErrors(const QImage& upright, const std::vector<unsigned char>& planes,
                        const PlanarFrameLayout& layout, bool full)
{
    PlaneErrors worst;
    const int w = upright.width(), h = upright.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = upright.pixel(x, y);
            const double expected = yuvOf(qRed(p), qGreen(p), qBlue(p), full)[0];
            worst.luma = std::max(worst.luma, std::abs(planes[std::size_t(y) * layout.stride + x] - expected));
        }
    for (int cy = 0; cy < layout.chromaHeight; ++cy)
        for (int cx = 0; cx < layout.chromaWidth; ++cx) {
            double r = 0, g = 0, b = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const QRgb p = upright.pixel(std::min(2 * cx + dx, w - 1), std::min(2 * cy + dy, h - 1));
                    r += qRed(p) / 4.0;
                    g += qGreen(p) / 4.0;
                    b += qBlue(p) / 4.0;
                }
            const std::array<double, 3> expected = yuvOf(r, g, b, full);
            const std::size_t at = std::size_t(cy) * layout.stride + cx;
            worst.u = std::max(worst.u, std::abs(planes[layout.uOffset + at] - expected[1]));
            worst.v = std::max(worst.v, std::abs(planes[layout.vOffset + at] - expected[2]));
        }
    return worst;
}

} // namespace

// The planes read back are what the RGBA frame converts to, at any frame
// size and composed either way up.
void GLDrawerTests::planarReadback_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("flipVertical");
    QTest::addColumn<bool>("fullRange");
    QTest::newRow("320x240 upside down, video range") << QSize(320, 240) << true << false;
    QTest::newRow("320x240 upright, full range") << QSize(320, 240) << false << true;
    QTest::newRow("176x144") << QSize(176, 144) << true << false;
    QTest::newRow("720x576") << QSize(720, 576) << true << false;
    QTest::newRow("1080x1920 vertical") << QSize(1080, 1920) << true << false;
    QTest::newRow("164x92: chroma rows end inside a pixel") << QSize(164, 92) << true << false;
    QTest::newRow("161x121: odd sizes, upright") << QSize(161, 121) << false << false;
}

void GLDrawerTests::planarReadback()
{
    QFETCH(QSize, size);
    QFETCH(bool, flipVertical);
    QFETCH(bool, fullRange);
    // The photo (letterboxed into the frame) with a quadrant image drawn
    // translucently over it: detail everywhere and sharp edges at odd places.
    const FrameData photograph = photo(QStringLiteral("flower.jpg"), size.width(), size.height());
    QVERIFY(photograph.isAllocated());
    QImage overlay = quadrants(size.width() / 3 * 2 + 1, size.height() / 3 * 2 + 1)
                         .convertToFormat(QImage::Format_ARGB32)
                         .scaled(size);
    for (int y = 0; y < overlay.height(); ++y)
        for (int x = 0; x < overlay.width(); ++x)
            overlay.setPixel(x, y, (overlay.pixel(x, y) & 0x00FFFFFF) | (((x * 7 + y * 3) % 256) << 24));
    const FrameData top = bgraPicture(overlay);

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(size, 2, flipVertical));
    QVERIFY(drawer.planarLayout().bytes == 0);
    QVERIFY2(drawer.enablePlanarReadback(fullRange ? YuvRange::Full : YuvRange::Limited),
             qPrintable(drawer.errorString()));
    const PlanarFrameLayout layout = drawer.planarLayout();
    QCOMPARE(layout.width, size.width());
    QCOMPARE(layout.height, size.height());
    QCOMPARE(layout.chromaWidth, (size.width() + 1) / 2);
    QCOMPARE(layout.chromaHeight, (size.height() + 1) / 2);
    QVERIFY(layout.stride >= size.width());
    QCOMPARE(layout.uOffset, std::size_t(layout.stride) * std::size_t(size.height()));
    QVERIFY(layout.vOffset >= layout.uOffset + std::size_t(layout.chromaWidth));
    QVERIFY(layout.vOffset + std::size_t(layout.chromaWidth) <= layout.uOffset + std::size_t(layout.stride));
    QCOMPARE(layout.bytes, std::size_t(layout.stride) * std::size_t(size.height() + layout.chromaHeight));

    drawer.beginDraw();
    drawer.bindFrame(0, photograph.picture.data[0]);
    drawer.bindFrame(1, top.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.drawFrame(1, 0, nullptr);
    drawer.endDraw();
    const QImage upright = readBack(drawer);
    QVERIFY(!upright.isNull());
    std::vector<unsigned char> planes(layout.bytes, 0);
    QVERIFY2(drawer.readPlanarFrame(planes.data()), qPrintable(drawer.errorString()));
    const PlaneErrors errors = planeErrors(upright, planes, layout, fullRange);
    QVERIFY2(errors.luma <= 1.0 && errors.u <= 1.5 && errors.v <= 1.5,
             qPrintable(QStringLiteral("luma %1, U %2, V %3").arg(errors.luma).arg(errors.u).arg(errors.v)));
    // Reading the RGBA frame still works alongside.
    QVERIFY(maxDifference(readBack(drawer), upright) == 0);
}

// Frames requested ahead are taken in the order they were drawn, each once:
// every frame shows its own grey level.
void GLDrawerTests::planarRequestsTakenInOrder()
{
    const QSize size(176, 144);
    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(size, 1, true));
    drawer.setWaitForFrames(false);
    QVERIFY(drawer.enablePlanarReadback(YuvRange::Limited));
    const PlanarFrameLayout layout = drawer.planarLayout();
    constexpr int Frames = 9;
    const auto greyOf = [](int frame) { return 10 + 27 * frame; };
    std::vector<FrameData> pictures;
    for (int i = 0; i < Frames; ++i)
        pictures.push_back(bgraPicture(solid(qRgb(greyOf(i), greyOf(i), greyOf(i)), size.width(), size.height())));

    std::vector<int> taken;
    std::vector<unsigned char> planes(layout.bytes);
    const auto take = [&] {
        std::fill(planes.begin(), planes.end(), 0);
        if (!drawer.takePlanarFrame(planes.data()))
            return false;
        // Which frame this is, from its luma.
        const int luma = planes[std::size_t(size.height() / 2) * layout.stride + size.width() / 2];
        int frame = -1;
        for (int i = 0; i < Frames; ++i)
            if (std::abs(luma - yuvOf(greyOf(i), greyOf(i), greyOf(i), false)[0]) <= 1.0)
                frame = i;
        taken.push_back(frame);
        return true;
    };
    for (int i = 0; i < Frames; ++i) {
        composeOne(drawer, pictures[std::size_t(i)]);
        QVERIFY2(drawer.requestPlanarFrame(), qPrintable(drawer.errorString()));
        // Mostly one frame stays in flight; now and then every frame is taken.
        if (i % 4 == 2)
            while (drawer.pendingPlanarFrames() > 0)
                QVERIFY(take());
        else if (drawer.pendingPlanarFrames() == 2)
            QVERIFY(take());
    }
    while (drawer.pendingPlanarFrames() > 0)
        QVERIFY(take());
    std::vector<int> expected(Frames);
    std::iota(expected.begin(), expected.end(), 0);
    QCOMPARE(taken, expected);
    QVERIFY(!drawer.takePlanarFrame(planes.data()));
}

void GLDrawerTests::planarMisuseFails()
{
    const FrameData picture = bgraPicture(quadrants(Width, Height));
    std::vector<unsigned char> planes(std::size_t(Width) * Height * 2);

    ProbeDrawer unset;
    QVERIFY(!unset.enablePlanarReadback(YuvRange::Limited));
    QVERIFY(!unset.readPlanarFrame(planes.data()));

    ProbeDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    composeOne(drawer, picture);
    // Not enabled: no planes, no requests.
    QVERIFY(!drawer.readPlanarFrame(planes.data()));
    QVERIFY(!drawer.requestPlanarFrame());
    QCOMPARE(drawer.pendingPlanarFrames(), 0);

    QVERIFY(drawer.enablePlanarReadback(YuvRange::Limited));
    QVERIFY(!drawer.readPlanarFrame(nullptr));
    QVERIFY(!drawer.takePlanarFrame(planes.data()));
    QVERIFY(drawer.requestPlanarFrame());
    QVERIFY(drawer.requestPlanarFrame());
    // Two transfer buffers: a third request would overwrite a frame.
    QVERIFY(!drawer.requestPlanarFrame());
    QCOMPARE(drawer.pendingPlanarFrames(), 2);
    // A direct read now would take a frame out of turn.
    QVERIFY(!drawer.readPlanarFrame(planes.data()));
    QVERIFY(!drawer.takePlanarFrame(nullptr));
    QCOMPARE(drawer.pendingPlanarFrames(), 2);
    QVERIFY(drawer.takePlanarFrame(planes.data()));
    QVERIFY(drawer.takePlanarFrame(planes.data()));
    QVERIFY(drawer.readPlanarFrame(planes.data()));

    // A new set-up starts without planar read-back.
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    QVERIFY(!drawer.planarReadbackEnabled());
    QCOMPARE(drawer.planarLayout().bytes, std::size_t(0));
    QVERIFY(!drawer.requestPlanarFrame());
    drawer.release();
    QVERIFY(!drawer.enablePlanarReadback(YuvRange::Full));
}

std::unique_ptr<QObject> makeGLDrawerTests() { return std::make_unique<GLDrawerTests>(); }

#include "tst_gldrawer.moc"
