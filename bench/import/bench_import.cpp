// Measures the import of large photos and the edits of a long photo strip:
//  1. 200 JPEGs of 6000 x 4000 (24 megapixels) imported through the import
//     dialog and its worker into a shown strip: photos per second, the
//     reader's own time per photo, the JPEG decoder's own time at 1/8 scale
//     (the floor of an import that must decode), and the longest stall of
//     the GUI event loop. Four kinds of photo:
//       - camera-like: compressed about as a camera's own JPEG (some 5 MB),
//         with the EXIF block a camera writes, make, model and a 160 x 120
//         preview between black bars (written by addCameraExif);
//       - camera-like without that EXIF block, which must be decoded;
//       - dense: detail everywhere (the shared bench photos, some 15 MB),
//         with and without the camera's EXIF block, so that the figure of
//         photos that must be decoded stays in view;
//  2. on a strip of 1000 photos: sort, select all + move right, delete half,
//     and one photoListChanged round, each with the relayout and repaint
//     that follow it.
// Run under a display (xvfb-run -a). Usage: bench_import [photos] [distinct]
// [kind...], where the kinds (camera-like, dense, ...-without-preview) pick
// the import runs; all four without.

#include "benchphotos.h"
#include "imagereader.h"
#include "infoparser.h"
#include "photolistwidget.h"
#include "zumessagebox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr double CameraPhotosPerSecondGoal = 100.0;
constexpr double DensePhotosPerSecondGoal = 50.0;
constexpr double StallGoalMs = 50.0;
constexpr double StripOperationGoalMs = 100.0;
constexpr int StripPhotos = 1000;

// Ticks as often as the event loop lets it; the longest gap between two
// ticks is the longest time the GUI could not answer.
class StallWatch : public QObject
{
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double gap = m_clock.nsecsElapsed() / 1e6;
            if (gap > m_longest) {
                m_longest = gap;
                m_longestEnded = m_since.nsecsElapsed() / 1e9;
            }
            m_clock.restart();
        });
    }
    void start()
    {
        m_longest = 0.0;
        m_longestEnded = 0.0;
        m_since.start();
        m_clock.start();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_longest;
    }

    // Seconds from start() to the end of the longest stall.
    double longestEnded() const { return m_longestEnded; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_since;
    double m_longest = 0.0;
    double m_longestEnded = 0.0;
};

double timedMs(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    QCoreApplication::processEvents(); // the relayout and repaint it caused
    QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

double medianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// What Qt's JPEG decoder alone takes for the photo at 1/8 scale, the
// smallest its DCT scaling gives: no import that decodes can be faster.
double decoderFloorMs(const QStringList& originals)
{
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
        QImageReader reader(originals.at(i % originals.size()));
        reader.setScaledSize(reader.size() / 8);
        QElapsedTimer clock;
        clock.start();
        const QImage image = reader.read();
        ms.push_back(clock.nsecsElapsed() / 1e6);
        if (image.isNull())
            return -1.0;
    }
    return medianMs(ms);
}

// Imports `photoCount` names made from `originals` (hard links, so every
// name is read anew and the disk holds only the originals) into the shown
// strip, and prints the figures. The strip keeps what arrived.
void importRun(const char* kind, const QStringList& originals, int photoCount, double goal, const QString& folder,
               PhotoListWidget& strip)
{
    const QString size = QString::number(QFileInfo(originals.first()).size() / 1024);
    QStringList files;
    for (int i = 0; i < photoCount; ++i) {
        const QString path = QDir(folder).filePath(QStringLiteral("%1-%2.jpg").arg(QLatin1String(kind)).arg(i));
        QFile::remove(path);
        const QString& original = originals.at(i % originals.size());
        if (::link(QFile::encodeName(original).constData(), QFile::encodeName(path).constData()) != 0 &&
            !QFile::copy(original, path))
            return;
        files << path;
    }

    // The reader alone on one photo, for comparison: what one lane can do.
    std::vector<double> parseMs;
    for (int i = 0; i < 5; ++i) {
        ImageInfo info;
        info.filePath = originals.at(i % originals.size());
        QElapsedTimer clock;
        clock.start();
        ImageReader::parse(info);
        parseMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double readerMs = medianMs(parseMs);
    const double floorMs = decoderFloorMs(originals);
    const int lanes = std::clamp(QThread::idealThreadCount(), 1, InfoParser::MaxLanes);

    strip.clear();
    StallWatch watch;
    QElapsedTimer clock;
    watch.start();
    clock.start();
    strip.importFiles(files);
    QCoreApplication::processEvents();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double stall = watch.stop();
    const double rate = strip.photoList().size() / seconds;
    std::printf("%s photos, 6000 x 4000, %s KB each:\n", kind, qPrintable(size));
    std::printf("  reader alone: %.1f ms per photo (median of 5); %d lanes could reach %.1f photos/s\n", readerMs,
                lanes, lanes * 1000.0 / readerMs);
    std::printf("  JPEG decoder alone at 1/8 scale: %.1f ms per photo; an import that decodes reaches at most "
                "%.1f photos/s on %d lanes\n",
                floorMs, lanes * 1000.0 / floorMs, lanes);
    std::printf("  import of %d: %.2f s, %.1f photos/s (goal >= %.0f, %.2f x the goal) %s\n", photoCount, seconds, rate,
                goal, rate / goal, rate >= goal ? "ok" : "UNDER GOAL");
    std::printf("  longest GUI stall during import: %.1f ms, ended %.2f s after the start (goal <= %.0f) %s\n", stall,
                watch.longestEnded(), StallGoalMs, stall <= StallGoalMs ? "ok" : "OVER GOAL");
    if (strip.photoList().size() != photoCount)
        std::printf("  only %lld of %d photos arrived\n", qint64(strip.photoList().size()), photoCount);
    std::fflush(stdout);
}

void report(const char* what, double ms)
{
    std::printf("  %-34s %8.1f ms   %s\n", what, ms, ms < StripOperationGoalMs ? "ok" : "OVER GOAL (100 ms)");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const int photoCount = args.size() > 0 ? std::max(1, args.at(0).toInt()) : 200;
    const int distinct = args.size() > 1 ? std::clamp(args.at(1).toInt(), 1, photoCount) : 10;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    std::printf("making %d + %d photos of 6000 x 4000 and copies with a camera's EXIF block ...\n", distinct, distinct);
    std::fflush(stdout);
    QStringList dense, denseWithExif, cameraLike, cameraLikeWithExif;
    for (int i = 0; i < distinct; ++i) {
        dense << makeBenchPhoto(dir.path(), i, QSize(6000, 4000));
        cameraLike << makeCameraLikePhoto(dir.path(), i, QSize(6000, 4000));
        if (dense.last().isEmpty() || cameraLike.last().isEmpty())
            return 1;
        for (auto [plain, withExif] :
             {std::pair{&dense, &denseWithExif}, std::pair{&cameraLike, &cameraLikeWithExif}}) {
            const QString copy =
                QFileInfo(plain->last()).path() + QStringLiteral("/exif-") + QFileInfo(plain->last()).fileName();
            if (!QFile::copy(plain->last(), copy) || !addCameraExif(copy))
                return 1;
            *withExif << copy;
        }
    }

    ZuMessageBox::setAnswerHook([](QMessageBox& box) {
        std::printf("report: %s\n", qPrintable(box.text()));
        return QMessageBox::Ok;
    });

    PhotoListWidget strip;
    strip.resize(1200, 72);
    strip.show();
    QCoreApplication::processEvents();

    // What the machine alone costs the event loop: on a loaded machine the
    // GUI thread waits for a processor whatever the import does.
    {
        StallWatch idle;
        QEventLoop loop;
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        idle.start();
        loop.exec();
        std::printf("longest stall of an idle event loop over 5 s (the machine's own share): %.1f ms\n", idle.stop());
    }

    // 1. Import: photos that compress like a camera's and the shared bench
    // photos (dense detail, large files), each with and without a preview.
    const QStringList kinds = args.mid(2);
    auto importRun = [&](const char* kind, const QStringList& originals, int count, double goal, const QString& folder,
                         PhotoListWidget& shown) {
        if (kinds.isEmpty() || kinds.contains(QLatin1String(kind)))
            ::importRun(kind, originals, count, goal, folder, shown);
    };
    importRun("camera-like", cameraLikeWithExif, photoCount, CameraPhotosPerSecondGoal, dir.path(), strip);
    importRun("camera-like-without-preview", cameraLike, photoCount, CameraPhotosPerSecondGoal, dir.path(), strip);
    importRun("dense", denseWithExif, photoCount, DensePhotosPerSecondGoal, dir.path(), strip);
    importRun("dense-without-preview", dense, photoCount, DensePhotosPerSecondGoal, dir.path(), strip);

    // 2. A strip of 1000 photos, made from the imported records with their
    // own names, sizes and dates so that sorting has work to do.
    const QList<ImageInfo> imported = strip.photoList();
    if (imported.isEmpty())
        return 1;
    strip.clear();
    QRandomGenerator random(7);
    for (int i = 0; i < StripPhotos; ++i) {
        ImageInfo info = imported.at(i % imported.size());
        info.filePath = QStringLiteral("/photos/%1.jpg").arg(random.generate());
        info.fileSize = random.bounded(1 << 24);
        info.lastModified = QDateTime::fromSecsSinceEpoch(1600000000 + random.bounded(100000000));
        strip.addFile(info, true);
    }
    strip.finishItemsAdding();
    QCoreApplication::processEvents();

    StoryBoardData album;
    QObject::connect(&strip, &PhotoListWidget::photoListChanged, &strip,
                     [&album](const QList<ImageInfo>& photos) { album.photos = photos; });

    std::printf("strip of %d photos (%d items):\n", StripPhotos, strip.count());
    report("sort by size", timedMs([&] { strip.sort(SortBySize, true); }));
    report("sort by name, descending", timedMs([&] { strip.sort(SortByName, false); }));
    report("select all + move right", timedMs([&] {
               strip.selectAll();
               strip.selectionMoveRight();
           }));
    report("select all but last + move right", timedMs([&] {
               strip.selectionModel()->select(
                   QItemSelection(strip.model()->index(0, 0), strip.model()->index(strip.count() - 3, 0)),
                   QItemSelectionModel::ClearAndSelect);
               strip.selectionMoveRight();
           }));
    report("delete half", timedMs([&] {
               strip.selectionModel()->select(
                   QItemSelection(strip.model()->index(0, 0), strip.model()->index(StripPhotos - 1, 0)),
                   QItemSelectionModel::ClearAndSelect);
               strip.selectionDelete(false);
           }));
    report("one photoListChanged round", timedMs([&] { strip.finishItemsAdding(); }));
    std::printf("  (%lld photos left, album holds %lld)\n", qint64(strip.photoList().size()),
                qint64(album.photos.size()));
    ZuMessageBox::setAnswerHook({});
    return 0;
}
