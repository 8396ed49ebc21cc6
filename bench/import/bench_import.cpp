// Measures the import of large photos and the edits of a long photo strip:
//  1. 200 JPEGs of 6000 x 4000 (24 megapixels) imported through the import
//     dialog and its worker into a shown strip, once with the shared bench
//     photos (dense detail, about 15 MB each) and once with photos that
//     compress like a camera's (about 5 MB): photos per second, the reader's
//     own time per photo, and the longest stall of the GUI event loop;
//  2. on a strip of 1000 photos: sort, select all + move right, delete half,
//     and one photoListChanged round, each with the relayout and repaint
//     that follow it.
// Run under a display (xvfb-run -a). Usage: bench_import [photos] [distinct]

#include "benchphotos.h"
#include "imagereader.h"
#include "infoparser.h"
#include "photolistwidget.h"
#include "zumessagebox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double PhotosPerSecondGoal = 15.0;
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
            m_longest = std::max(m_longest, m_clock.nsecsElapsed() / 1e6);
            m_clock.restart();
        });
    }
    void start()
    {
        m_longest = 0.0;
        m_clock.start();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_longest = 0.0;
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

// Imports `photoCount` names made from `originals` (hard links, so every
// name is decoded in full and the disk holds only the originals) into the
// shown strip, and prints the figures. The strip keeps what arrived.
void importRun(const char* kind, const QStringList& originals, int photoCount, const QString& folder,
               PhotoListWidget& strip)
{
    const QString size = QString::number(QFileInfo(originals.first()).size() / 1024);
    QStringList files;
    for (int i = 0; i < photoCount; ++i) {
        const QString path = QDir(folder).filePath(QStringLiteral("%1-%2.jpg").arg(QLatin1String(kind)).arg(i));
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
    std::sort(parseMs.begin(), parseMs.end());
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
    std::printf("  reader alone: %.1f ms per photo (median of 5); %d lanes could reach %.1f photos/s\n", parseMs[2],
                lanes, lanes * 1000.0 / parseMs[2]);
    std::printf("  import of %d: %.2f s, %.1f photos/s (goal >= %.0f) %s\n", photoCount, seconds, rate,
                PhotosPerSecondGoal, rate >= PhotosPerSecondGoal ? "ok" : "UNDER GOAL");
    std::printf("  longest GUI stall during import: %.1f ms (goal <= %.0f) %s\n", stall, StallGoalMs,
                stall <= StallGoalMs ? "ok" : "OVER GOAL");
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
    std::printf("making %d + %d photos of 6000 x 4000 ...\n", distinct, distinct);
    std::fflush(stdout);
    QStringList dense, cameraLike;
    for (int i = 0; i < distinct; ++i) {
        dense << makeBenchPhoto(dir.path(), i, QSize(6000, 4000));
        cameraLike << makeCameraLikePhoto(dir.path(), i, QSize(6000, 4000));
        if (dense.last().isEmpty() || cameraLike.last().isEmpty())
            return 1;
    }

    ZuMessageBox::setAnswerHook([](QMessageBox& box) {
        std::printf("report: %s\n", qPrintable(box.text()));
        return QMessageBox::Ok;
    });

    PhotoListWidget strip;
    strip.resize(1200, 72);
    strip.show();
    QCoreApplication::processEvents();

    // 1. Import: the shared bench photos (dense detail, large files) and
    // photos that compress like a camera's.
    importRun("bench", dense, photoCount, dir.path(), strip);
    importRun("camera-like", cameraLike, photoCount, dir.path(), strip);

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
