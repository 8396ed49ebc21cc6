#ifndef INFOPARSER_H
#define INFOPARSER_H

#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

#include "storyboard.h"

// The import worker: probes a list of photo or audio files with the image or
// audio reader, off the GUI thread, and keeps the records it made, in the
// order of the list, until the import dialog takes them, together with every
// file it could not use and why.
class InfoParser : public QThread
{
    Q_OBJECT

public:
    // A file the reader refused and a sentence for the user saying why.
    struct Failure {
        QString path;
        QString reason;
    };

    InfoParser(const QStringList& files, bool isImage, QObject* parent = nullptr);
    // Stops the thread (after the file being probed) and waits for it.
    ~InfoParser() override;

    // Asks the thread to stop before the next file; asked before start(),
    // the run ends before the first one.
    void stop();

    // Files handled so far; also the index of the file being probed.
    int parsed() const { return parsedCount.load(std::memory_order_acquire); }
    int fileCount() const { return int(files.size()); }
    const QStringList& fileList() const { return files; }

    QStringList failedFileList() const;
    QList<Failure> failures() const;
    // The records parsed since the last call; each is handed out once.
    QList<ImageInfo> succeededImageList();
    QList<AudioInfo> succeededAudioList();

    // Reads the sound file at clip.filePath into `clip` exactly as an import
    // does. Empty when the file can be used; otherwise the sentence saying
    // why not, and `clip` stays as it was.
    static QString probeSound(AudioInfo& clip);

    // Why `path` cannot be imported, found after its reader refused it.
    static QString failureReason(const QString& path, bool isImage);
    // Empty when a sound file the reader took holds the length its headers
    // claim, otherwise why it is refused.
    static QString soundCutShortReason(const QString& path);

    // Most files probed at the same time, whatever the processor count.
    static constexpr int MaxLanes = 4;

protected:
    void run() override;

private:
    struct Probe {
        bool ok = false;
        ImageInfo image;
        AudioInfo clip;
        QString reason;
    };
    static Probe probe(const QString& path, bool isImage);
    void parse();

    const bool isImage;
    std::atomic<int> parsedCount{0};
    // A copy: implicitly shared with the caller's list and never changed,
    // so neither side can pull the list from under the other.
    const QStringList files;
    QList<ImageInfo> images;
    QList<AudioInfo> clips;
    QList<Failure> failed;
    mutable QMutex mutex;
    QSemaphore stopRequest{0};
};

#endif // INFOPARSER_H
