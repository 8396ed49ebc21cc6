// The render test program: the OpenGL compositor and the wipe patterns, with
// real pixels read back from real OpenGL (Mesa under Xvfb).

#include "gldrawer.h"
#include "imagereader.h"
#include "rendertests.h"
#include "samplemedia.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

QString mediaFile(const QString& name) { return sampleMediaFile(name); }

QString patternFolder() { return QDir(QStringLiteral(REELWRIGHT_APP_DIR)).filePath(QStringLiteral("pattern")); }

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
            worst = std::max(
                {worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

bool nearColour(QRgb actual, QRgb expected, int tolerance)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QString colourText(QRgb colour) { return QStringLiteral("#%1").arg(colour, 8, 16, QLatin1Char('0')); }

QImage shownOnScreen(const QWidget& widget)
{
    QScreen* screen = widget.screen();
    const QPoint origin = widget.mapTo(widget.window(), QPoint(0, 0));
    const QPixmap grabbed =
        screen->grabWindow(widget.window()->winId(), origin.x(), origin.y(), widget.width(), widget.height());
    return grabbed.toImage().scaled(widget.size()).convertToFormat(QImage::Format_RGB32);
}

// Sample i of the ramp is i % RampPeriod + 1: never 0, so it stands out
// from silence, and every sample tells where in the track it comes from.
qint16 ramp(qint64 i) { return qint16(i % RampPeriod + 1); }

// Stretches of sound (non-zero left samples) in played stereo samples:
// first sample frame and length in sample frames.
QVector<QPair<int, int>> stretches(const QVector<qint16>& played)
{
    QVector<QPair<int, int>> found;
    for (int frame = 0; 2 * frame < played.size(); ++frame) {
        if (played[2 * frame] == 0)
            continue;
        if (!found.isEmpty() && found.last().first + found.last().second >= frame - 2)
            found.last().second = frame - found.last().first + 1;
        else
            found.append({frame, 1});
    }
    return found;
}

// Sample frames of `played` from `start` on that continue the ramp exactly
// in both channels.
int unbrokenFrom(const QVector<qint16>& played, int start)
{
    int length = 0;
    for (int frame = start; 2 * frame + 1 < played.size(); ++frame, ++length) {
        const qint16 expected = ramp(played[2 * start] - 1 + length);
        if (played[2 * frame] != expected || played[2 * frame + 1] != expected)
            break;
    }
    return length;
}

bool canShowGLWidgets() { return QGuiApplication::platformName() != QLatin1String("offscreen"); }

namespace {
QString g_playedSoundFile;
}

QString playedSoundFile() { return g_playedSoundFile; }

QVector<qint16> playedSamples()
{
    QFile file(g_playedSoundFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    // RIFF chunks after the 12-byte file header; the samples are in "data".
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (bytes.mid(at, 4) == "data") {
            const qsizetype available = std::min<qsizetype>(qsizetype(size), bytes.size() - at - 8);
            QVector<qint16> samples(available / 2);
            for (qsizetype i = 0; i < samples.size(); ++i)
                samples[i] = qFromLittleEndian<qint16>(bytes.constData() + at + 8 + 2 * i);
            return samples;
        }
        at += 8 + qsizetype(size);
    }
    return {};
}

int main(int argc, char** argv)
{
    // OpenAL Soft's wave writer stands for the sound device, so the tests
    // can read back what was played: 16-bit stereo at 48 kHz, nothing added
    // (no dither, no limiter), written as fast as a real device would play.
    QTemporaryDir soundDir;
    g_playedSoundFile = soundDir.filePath(QStringLiteral("played.wav"));
    {
        QFile conf(soundDir.filePath(QStringLiteral("alsoft.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return 1;
        conf.write(QStringLiteral("[general]\nchannels = stereo\nsample-type = int16\nfrequency = 48000\n"
                                  "dither = false\noutput-limiter = false\nhrtf = false\n"
                                  "[wave]\nfile = %1\n")
                       .arg(g_playedSoundFile)
                       .toLocal8Bit());
    }
    qputenv("ALSOFT_CONF", soundDir.filePath(QStringLiteral("alsoft.conf")).toLocal8Bit());
    qputenv("ALSOFT_DRIVERS", "wave");

    QApplication app(argc, argv);
    if (!sampleMediaPresent())
        return 1;
    int failures = 0;
    const std::unique_ptr<QObject> suites[] = {
        makeGLDrawerTests(),     makePatternTests(),      makeStoryBoardRenderTests(),
        makeALStreamTests(),     makeAVPlayerTests(),     makePictureMemoryTests(),
        makeSoundShapingTests(), makeCaptionPaintTests(), makeCaptionRenderTests()};
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
