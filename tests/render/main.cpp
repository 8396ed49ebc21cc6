// The render test program: the OpenGL compositor and the wipe patterns, with
// real pixels read back from real OpenGL (Mesa under Xvfb).

#include "gldrawer.h"
#include "imagereader.h"
#include "rendertests.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QTest>

QString mediaFile(const QString& name)
{
    return QDir(QStringLiteral(REELWRIGHT_MEDIA_DIR)).filePath(name);
}

QString patternFolder()
{
    return QDir(QStringLiteral(REELWRIGHT_APP_DIR)).filePath(QStringLiteral("pattern"));
}

FrameData bgraPicture(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32); // B, G, R, A in memory here
    FrameData frame;
    frame.allocate(AV_PIX_FMT_BGRA, argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y)
        std::memcpy(frame.picture.data[0] + y * frame.picture.linesize[0], argb.constScanLine(argb.height() - 1 - y),
                    std::size_t(argb.width()) * 4);
    return frame;
}

FrameData greyPattern(const QString& path, int width, int height)
{
    FrameData frame;
    frame.allocate(AV_PIX_FMT_GRAY8, width, height);
    if (!ImageReader::readPattern(path, frame.picture, width, height))
        frame.release();
    return frame;
}

QImage readBack(GLDrawer& drawer)
{
    QImage image(drawer.frameSize(), QImage::Format_RGBA8888);
    image.fill(Qt::transparent);
    if (!drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, image.bits()))
        return {};
    return drawer.flipsVertically() ? image : image.mirrored(false, true);
}

int maxDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

bool nearColour(QRgb actual, QRgb expected, int tolerance)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance
        && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QString colourText(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour, 8, 16, QLatin1Char('0'));
}

QImage shownOnScreen(const QWidget& widget)
{
    QScreen* screen = widget.screen();
    const QPoint origin = widget.mapTo(widget.window(), QPoint(0, 0));
    const QPixmap grabbed = screen->grabWindow(widget.window()->winId(), origin.x(), origin.y(), widget.width(),
                                               widget.height());
    return grabbed.toImage().scaled(widget.size()).convertToFormat(QImage::Format_RGB32);
}

bool canShowGLWidgets()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    const std::unique_ptr<QObject> suites[] = {makeGLDrawerTests(), makePatternTests(), makeStoryBoardRenderTests()};
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
