// Measures what the image reader costs against plain Qt loading of the same
// files, side by side in one run:
//   parse  vs  QImage(path)                                   (full decode)
//   read   vs  QImage(path).scaled(1280x720, smooth)          (full decode + fit)
// on two 6000 x 4000 JPEGs made here (moderate and heavy grain), and on the
// sample photos.
//
// Usage: bench_imagereader [repetitions] [extra image files...]

#include "avpicture.h"
#include "imagereader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr int OutputWidth = 1280;
constexpr int OutputHeight = 720;

// A photo-like picture: soft shading, shapes with edges, and grain, so the
// JPEG carries about as much data as a camera's. More grain (a high-ISO
// shot) means more entropy-coded data, which even a reduced decode must
// read in full.
QImage syntheticPhoto(int width, int height, int grainAmplitude)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double shade = 128 + 60 * std::sin(x / 150.0) * std::cos(y / 97.0) + 30 * std::sin((x + y) / 23.0);
            const int grain = int(random.bounded(2 * grainAmplitude + 1)) - grainAmplitude;
            row[x] = qRgb(std::clamp(int(shade) + grain, 0, 255), std::clamp(int(255 - shade) + grain, 0, 255),
                          std::clamp(x * 255 / width + grain, 0, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 300; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 160 + random.bounded(90), 120 + random.bounded(130)));
        painter.drawEllipse(random.bounded(width), random.bounded(height), 20 + random.bounded(500),
                            20 + random.bounded(500));
    }
    return image;
}

double medianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

double timeMs(const std::function<bool()>& work)
{
    QElapsedTimer timer;
    timer.start();
    if (!work())
        std::fprintf(stderr, "  (a run failed)\n");
    return timer.nsecsElapsed() / 1e6;
}

void measure(const QString& path, int repetitions, bool withGoals)
{
    const QImage probe(path);
    if (probe.isNull()) {
        std::printf("%s: not readable, skipped\n", qPrintable(path));
        return;
    }
    FrameData picture;
    if (!picture.allocate(AV_PIX_FMT_BGRA, OutputWidth, OutputHeight))
        return;

    std::vector<double> full, parse, fullScaled, read;
    // Interleaved, so that any drift of the machine hits all four alike;
    // one round first to warm the file cache and the plug-ins.
    for (int round = -1; round < repetitions; ++round) {
        const double a = timeMs([&] { return !QImage(path).isNull(); });
        const double b = timeMs([&] {
            ImageInfo info;
            info.filePath = path;
            return ImageReader::parse(info);
        });
        const double c = timeMs([&] {
            return !QImage(path)
                        .scaled(OutputWidth, OutputHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                        .isNull();
        });
        const double d =
            timeMs([&] { return ImageReader::read(path, picture.picture, OutputWidth, OutputHeight, false); });
        if (round < 0)
            continue;
        full.push_back(a);
        parse.push_back(b);
        fullScaled.push_back(c);
        read.push_back(d);
    }
    const double fullMs = medianMs(full), parseMs = medianMs(parse);
    const double fullScaledMs = medianMs(fullScaled), readMs = medianMs(read);
    std::printf("%s (%dx%d, %lld KB), median of %d\n", qPrintable(QFileInfo(path).fileName()), probe.width(),
                probe.height(), QFileInfo(path).size() / 1024, repetitions);
    std::printf("  full load      %8.1f ms   parse %8.1f ms   ratio %.3f%s\n", fullMs, parseMs, parseMs / fullMs,
                withGoals ? "  (goal <= 0.25)" : "");
    std::printf("  load + scale   %8.1f ms   read  %8.1f ms   ratio %.3f%s\n", fullScaledMs, readMs,
                readMs / fullScaledMs, withGoals ? "  (goal <= 0.50)" : "");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int repetitions = 7;
    if (!args.isEmpty() && args.first().toInt() > 0)
        repetitions = args.takeFirst().toInt();

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QStringList files;
    const std::pair<const char*, int> generated[] = {{"synthetic-6000x4000.jpg", 8},
                                                     {"synthetic-grainy-6000x4000.jpg", 24}};
    for (const auto& [name, grain] : generated) {
        const QString path = dir.filePath(QLatin1String(name));
        std::printf("making %s ...\n", name);
        std::fflush(stdout);
        if (!syntheticPhoto(6000, 4000, grain).save(path, "JPEG", 90))
            return 1;
        files.append(path);
    }
    // The goals are set for large photos; on small ones the fixed costs
    // (EXIF, file checks, the entropy decoding every JPEG decode needs) weigh
    // more, and the figures are only shown.
    const qsizetype largeCount = files.size();
    const QDir media(QStringLiteral(REELWRIGHT_MEDIA_DIR));
    for (const QString& name : media.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        files.append(media.filePath(name));
    files += args;

    for (qsizetype i = 0; i < files.size(); ++i)
        measure(files[i], repetitions, i < largeCount);
    return 0;
}
