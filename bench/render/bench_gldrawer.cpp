// Measures what one composed frame costs the compile loop at 1280 x 720 with
// the pictures already in memory, split as the loop spends it:
//   upload     bindFrame + bindDissolveFrame / bindWipeFrame
//   draw       beginDraw .. endDraw (two zooming photos, finished on return)
//   read-back  readFrame as RGBA bytes, or with --planar the frame converted
//              to YUV 4:2:0 planes on the OpenGL side (readPlanarFrame)
// for a single photo, a dissolve and two wipes, and the processor time of
// the whole process per frame (the software rasteriser's threads included).
// Optionally writes one half-way frame of each transition as PNG.
//
// Usage: bench_gldrawer [frames] [--planar] [--screens <folder>]

#include "gldrawer.h"
#include "imagereader.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int OutputWidth = 1280;
constexpr int OutputHeight = 720;

struct Phases {
    std::vector<double> upload, draw, read;
};

double mean(const std::vector<double>& values)
{
    double sum = 0.0;
    for (double value : values)
        sum += value;
    return values.empty() ? 0.0 : sum / double(values.size());
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

// The zoom path of an imported photo at position t (as the renderer scales it).
GLTransform zoom(double t, bool reversed)
{
    GLTransform fx;
    const double a = reversed ? 1.0 - t : t;
    fx.value[0] = float((-25.0 + 50.0 * a) / 720.0 * OutputWidth);
    fx.value[1] = float((-12.5 + 25.0 * a) / 540.0 * OutputHeight);
    fx.value[2] = float((50.0 + 50.0 * a) / 720.0 * OutputWidth);
    return fx;
}

FrameData loadPhoto(const QString& name)
{
    FrameData frame;
    frame.allocate(AV_PIX_FMT_BGRA, OutputWidth, OutputHeight);
    if (!ImageReader::read(QDir(QStringLiteral(REELWRIGHT_MEDIA_DIR)).filePath(name), frame.picture, OutputWidth,
                           OutputHeight, false)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
        frame.release();
    }
    return frame;
}

FrameData loadPattern(const QString& name)
{
    FrameData frame;
    frame.allocate(AV_PIX_FMT_GRAY8, OutputWidth, OutputHeight);
    const QString path = QDir(QStringLiteral(REELWRIGHT_APP_DIR)).filePath(QStringLiteral("pattern/") + name);
    if (!ImageReader::readPattern(path, frame.picture, OutputWidth, OutputHeight)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        frame.release();
    }
    return frame;
}

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec)) /
           1e3;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int frames = 200;
    QString screens;
    bool planar = false;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--planar"))
            planar = true;
        else if (arguments[i] == QLatin1String("--screens") && i + 1 < arguments.size())
            screens = arguments[++i];
        else
            frames = std::max(1, arguments[i].toInt());
    }

    const FrameData outgoing = loadPhoto(QStringLiteral("flower.jpg"));
    const FrameData incoming = loadPhoto(QStringLiteral("raindrops.jpg"));
    const FrameData clock = loadPattern(QStringLiteral("04-clock-sweep.wpt"));
    const FrameData spiral = loadPattern(QStringLiteral("10-spiral.wpt"));
    const FrameData noise = loadPattern(QStringLiteral("12-soft-noise.wpt"));
    if (!outgoing.isAllocated() || !incoming.isAllocated() || !clock.isAllocated() || !spiral.isAllocated() ||
        !noise.isAllocated())
        return 1;

    GLDrawer drawer; // hidden, as the compile loop
    if (!drawer.initialize(QSize(OutputWidth, OutputHeight), 2, true)) {
        std::fprintf(stderr, "%s\n", qPrintable(drawer.errorString()));
        return 1;
    }
    drawer.makeCurrent();
    std::printf("OpenGL: %s, %s; platform %s\n",
                reinterpret_cast<const char*>(drawer.context()->functions()->glGetString(GL_VERSION)),
                reinterpret_cast<const char*>(drawer.context()->functions()->glGetString(GL_RENDERER)),
                qPrintable(QGuiApplication::platformName()));

    FrameData readBack;
    readBack.allocate(AV_PIX_FMT_RGBA, OutputWidth, OutputHeight);
    std::vector<unsigned char> planes;
    if (planar) {
        if (!drawer.enablePlanarReadback(YuvRange::Limited)) {
            std::fprintf(stderr, "%s\n", qPrintable(drawer.errorString()));
            return 1;
        }
        planes.resize(drawer.planarLayout().bytes);
    }

    // One frame: upload the second picture by `bindIncoming` (none for a
    // photo alone), draw both zooming, read back.
    using Bind = std::function<void(double)>;
    auto frame = [&](double h, const Bind& bindIncoming, Phases* phases) {
        QElapsedTimer clockTimer;
        clockTimer.start();
        drawer.bindFrame(0, outgoing.picture.data[0]);
        if (bindIncoming)
            bindIncoming(h);
        const qint64 uploaded = clockTimer.nsecsElapsed();
        drawer.beginDraw();
        const GLTransform first = zoom(0.7 + 0.3 * h, false), second = zoom(0.3 * h, true);
        drawer.drawFrame(0, 0, &first);
        if (bindIncoming)
            drawer.drawFrame(1, 0, &second);
        drawer.endDraw();
        const qint64 drawn = clockTimer.nsecsElapsed();
        if (planar)
            drawer.readPlanarFrame(planes.data());
        else
            drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, readBack.picture.data[0]);
        const qint64 read = clockTimer.nsecsElapsed();
        if (phases) {
            phases->upload.push_back(uploaded / 1e6);
            phases->draw.push_back((drawn - uploaded) / 1e6);
            phases->read.push_back((read - drawn) / 1e6);
        }
    };

    struct Kind {
        const char* name;
        Bind bind;
    };
    auto wipe = [&](const FrameData& pattern) {
        return [&drawer, &incoming, &pattern](double h) {
            drawer.bindWipeFrame(1, float(1.0 - h), 0.1f, pattern.picture.data[0], incoming.picture.data[0]);
        };
    };
    const Kind kinds[] = {
        {"photo alone", nullptr},
        {"dissolve", [&](double h) { drawer.bindDissolveFrame(1, float(h), incoming.picture.data[0]); }},
        {"wipe clock-sweep", wipe(clock)},
        {"wipe soft-noise", wipe(noise)},
    };

    std::printf("%d frames of %d x %d each, milliseconds per frame (mean / 95th percentile)\n", frames, OutputWidth,
                OutputHeight);
    std::printf("read-back as %s\n", planar ? "YUV 4:2:0 planes converted by OpenGL" : "RGBA");
    std::printf("%-18s %15s %15s %15s %15s %10s\n", "", "upload", "draw", "read-back", "total", "processor");
    for (const Kind& kind : kinds) {
        for (int i = 0; i < 10; ++i)
            frame(i / 10.0, kind.bind, nullptr);
        Phases phases;
        std::vector<double> totals;
        const double cpuBefore = cpuMs();
        for (int i = 0; i < frames; ++i) {
            frame(double(i) / frames, kind.bind, &phases);
            totals.push_back(phases.upload.back() + phases.draw.back() + phases.read.back());
        }
        auto column = [](const std::vector<double>& values) {
            return QStringLiteral("%1 / %2").arg(mean(values), 6, 'f', 2).arg(percentile(values, 0.95), 6, 'f', 2);
        };
        const double cpuPerFrame = (cpuMs() - cpuBefore) / frames;
        std::printf("%-18s %15s %15s %15s %15s %10.2f\n", kind.name, qPrintable(column(phases.upload)),
                    qPrintable(column(phases.draw)), qPrintable(column(phases.read)), qPrintable(column(totals)),
                    cpuPerFrame);
    }

    if (!screens.isEmpty()) {
        QDir().mkpath(screens);
        const struct {
            const char* file;
            Bind bind;
        } shots[] = {
            {"dissolve-half.png", kinds[1].bind},
            {"wipe-clock-sweep-half.png", kinds[2].bind},
            {"wipe-spiral-half.png", wipe(spiral)},
            {"wipe-soft-noise-half.png", kinds[3].bind},
        };
        for (const auto& shot : shots) {
            frame(0.5, shot.bind, nullptr);
            // Read top row first: the bytes are an RGBA image as they stand.
            const QImage image(readBack.picture.data[0], OutputWidth, OutputHeight, readBack.picture.linesize[0],
                               QImage::Format_RGBA8888);
            const QString path = QDir(screens).filePath(QString::fromLatin1(shot.file));
            if (!image.save(path))
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            else
                std::printf("wrote %s\n", qPrintable(path));
        }
    }
    return 0;
}
