#include "albumprobe.h"

#include "imagereader.h"
#include "infoparser.h"

#include <QMetaObject>

#include <algorithm>

// One start(): its total, how far it got, and whether it was called off.
// Workers hold it too, so a result queued before a cancel is recognised as
// belonging to a run that no longer counts.
struct AlbumProbe::Run {
    int total = 0;
    int done = 0; // owner's thread only
    std::atomic<bool> cancelled{false};
};

AlbumProbe::AlbumProbe(QObject* parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, InfoParser::MaxLanes));
}

AlbumProbe::~AlbumProbe() { cancel(); }

void AlbumProbe::start(const QStringList& paths)
{
    cancel();
    // Title cards have no file to read.
    QStringList photoPaths = paths;
    photoPaths.removeAll(QString());
    auto run = std::make_shared<Run>();
    run->total = int(photoPaths.size());
    m_run = run;
    if (photoPaths.isEmpty()) {
        emit progress(0, 0);
        emit finished();
        return;
    }
    // The workers may use `this`: cancel(), which the destructor calls,
    // waits for every one of them.
    for (const QString& path : photoPaths) {
        m_pool.start([this, run, path] {
            if (run->cancelled.load())
                return;
            ImageInfo probed;
            probed.filePath = path;
            // The import's own reader: reduced decode, same thumbnails.
            const bool ok = ImageReader::parse(probed);
            if (run->cancelled.load())
                return;
            QMetaObject::invokeMethod(
                this, [this, run, ok, probed] { deliver(run, ok, probed); }, Qt::QueuedConnection);
        });
    }
}

void AlbumProbe::deliver(const std::shared_ptr<Run>& run, bool ok, const ImageInfo& probed)
{
    if (run != m_run || run->cancelled.load())
        return;
    ++run->done;
    if (ok)
        emit photoProbed(probed);
    emit progress(run->done, run->total);
    if (run->done == run->total) {
        m_run.reset();
        emit finished();
    }
}

void AlbumProbe::cancel()
{
    if (m_run)
        m_run->cancelled.store(true);
    m_pool.clear();
    m_pool.waitForDone();
    m_run.reset();
}

bool AlbumProbe::isRunning() const { return m_run != nullptr; }
