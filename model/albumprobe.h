#pragma once
// Reads what an opened album does not keep (thumbnails, EXIF properties,
// the size of a photo changed since saving) from its photo files, on worker
// threads, the same way an import reads them, so the album can show before
// any photo is decoded.

#include "storyboard.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

class AlbumProbe : public QObject
{
    Q_OBJECT

public:
    explicit AlbumProbe(QObject* parent = nullptr);
    // Cancels a run still going.
    ~AlbumProbe() override;

    // Probes each of `photoPaths` (unique paths); returns at once. A run
    // still going is cancelled first.
    void start(const QStringList& photoPaths);
    // Stops the run and waits for the workers; nothing of it is reported
    // afterwards.
    void cancel();
    bool isRunning() const;

signals:
    // On the thread that owns the probe; feed to AlbumDocument::fillPhotoDetails.
    // A photo that cannot be read is counted in progress() but not reported.
    void photoProbed(const ImageInfo& probed);
    void progress(int done, int total);
    void finished();

private:
    struct Run;
    void deliver(const std::shared_ptr<Run>& run, bool ok, const ImageInfo& probed);

    QThreadPool m_pool;
    std::shared_ptr<Run> m_run;
};
