#ifndef BEATANALYSIS_H
#define BEATANALYSIS_H

#include <QJsonObject>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QVector>

#include <atomic>
#include <functional>
#include <optional>

#include "analysiscache.h"

// The beats found in a sound file, in seconds of the file's sound (clip time, as AudioInfo::startTime).
struct BeatTrack {
    QVector<double> beats; // ascending
    double bpm = 0.0;      // from the median interval; 0 when there are too few beats
    bool steady = false;   // see steadyBeats()

    QJsonObject toJson() const;
    // Nothing when the object is not a beat track this program wrote.
    static std::optional<BeatTrack> fromJson(const QJsonObject& object);

    // The beats within [from, to) of the file, judged again on their own: a clip trimmed to a steady
    // chorus of a song with a free intro still has a steady beat.
    BeatTrack within(double from, double to) const;
};

// "Steady" means the music has a pulse a photo change can follow: at least eight beats, a tempo between
// 40 and 240 beats per minute, and at least 70 % of the intervals between beats within 15 % of the
// median interval (a missed beat, twice the interval, counts as regular). Speech, free rubato or a
// tracker that lost the beat and jumps about fail it.
bool steadyBeats(const QVector<double>& beats, double* bpm = nullptr);

// Sample rate and tracker geometry of the analysis: 22.05 kHz mono with a 1024-sample window and a
// 256-sample hop (11.6 ms) locates beats well within a video frame and runs far faster than real time.
inline constexpr int BeatSampleRate = 22050;
inline constexpr int BeatWindow = 512;
inline constexpr int BeatHop = 128;

// Finds the beats of the whole file with aubio's tempo tracker. The whole file rather than a clip's
// trim, so that one result serves every trim of it and the tracker has locked on to the tempo before a
// trim begins. `progress` gets the share done (0..1) now and then and may return false to cancel.
// Nothing, with the reason in `error`, when the file cannot be decoded or the analysis was cancelled.
std::optional<BeatTrack> analyseBeats(const QString& filePath, const std::function<bool(double)>& progress = {},
                                      QString* error = nullptr);

// The beats of a file from the cache, or a fresh analysis that is then stored there.
std::optional<BeatTrack> cachedBeats(const AnalysisCache& cache, const QString& filePath,
                                     const std::function<bool(double)>& progress = {}, QString* error = nullptr);

// Analyses sound files one after another on a worker thread, storing the results in the cache. The
// window asks for the album's clips whenever they change; files already cached cost nothing.
class BeatAnalyzer : public QObject
{
    Q_OBJECT

public:
    explicit BeatAnalyzer(AnalysisCache cache = AnalysisCache(), QObject* parent = nullptr);
    // Cancels the running analysis and waits for the worker.
    ~BeatAnalyzer() override;

    // Queues the files whose beats are not cached yet; true when there is nothing to wait for. A file
    // that could not be analysed, or whose analysis was cancelled, is not queued again until retry().
    bool request(const QStringList& filePaths);
    // Drops the queue and stops the file being analysed; its result is not stored.
    void cancel();
    // Forgets which files failed or were cancelled.
    void retry();
    bool busy() const;
    // Waits until the queue is empty (tools and tests).
    void waitForDone();

    // The cached beats of a file, or nothing while they are not known.
    std::optional<BeatTrack> beats(const QString& filePath) const;
    const AnalysisCache& cache() const { return store; }

signals:
    // Share of the current file done, 0..1; only sent for files that take a while.
    void progress(const QString& filePath, double done);
    // One file is done: `found` when it could be analysed (steady or not).
    void analysed(const QString& filePath, bool found);
    // The queue ran empty (also after a cancel).
    void idle();

private:
    void startWorker();
    void work();

    AnalysisCache store;
    mutable QMutex lock;
    QStringList queue;         // guarded by lock
    QString current;           // the file being analysed; guarded by lock
    QSet<QString> givenUp;     // failed or cancelled; guarded by lock
    bool workerActive = false; // guarded by lock
    std::atomic<bool> cancelled{false};
    QThreadPool pool; // one worker; last member, so it is waited for before the rest goes
};

#endif // BEATANALYSIS_H
