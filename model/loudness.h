#pragma once
// How loud each sound file is, and the gain that evens the clips of an album
// out: the integrated loudness (LUFS) and true peak (dBTP) of the whole file,
// measured once and kept per file (path, size and modification time) in
// memory and in the analysis cache (kind "loudness").

#include "analysiscache.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <optional>

struct LoudnessMeasure {
    // -infinity for silence (nothing above the meter's absolute gate).
    double integratedLufs = 0.0;
    // Of the louder channel, -infinity for digital silence.
    double truePeakDb = 0.0;
    // Seconds of sound measured.
    double seconds = 0.0;

    QJsonObject toJson() const;
    static std::optional<LoudnessMeasure> fromJson(const QJsonObject& object);
};

namespace Loudness {

inline constexpr double TargetLufs = -16.0;
// Where the true peak may go after the gain: a little below full scale, so
// that the resampling to the output rate and the 16-bit rounding cannot clip.
inline constexpr double PeakCeilingDb = -1.0;

// The gain in dB that brings `measure` to TargetLufs without its true peak
// going above PeakCeilingDb; 0 for silence.
double gainDb(const LoudnessMeasure& measure);
// The same as a factor on the samples.
double gainFactor(const LoudnessMeasure& measure);

// Called now and then with the share measured (0..1); false stops the
// measurement, which then gives nothing.
using Progress = std::function<bool(double fraction)>;

// Decodes the whole file (every trim of it plays at the same gain, so a
// trim change needs no new measurement) as stereo at its own rate, which is
// how the album plays it, and meters it. Nothing when the file has no
// sound that decodes or when `progress` stopped it.
std::optional<LoudnessMeasure> measure(const QString& path, const Progress& progress = {});

} // namespace Loudness

// The measurements of the files an album plays. find() and measureNow() may
// be called from any thread; request() measures on a worker thread of its
// own and announces each result with measured().
class LoudnessStore : public QObject
{
    Q_OBJECT

public:
    // `cacheFolder` empty: the user's cache folder, "analysis" below it.
    explicit LoudnessStore(const QString& cacheFolder = {}, QObject* parent = nullptr);
    // Stops the measurement under way and waits for the worker.
    ~LoudnessStore() override;

    // The one the window, the players and the compiles share.
    static LoudnessStore& shared();

    QString cacheFolder() const { return m_cache.folder(); }

    // What is known of the file as it is now, from memory or the cache
    // folder; nothing when it was never measured or changed since.
    std::optional<LoudnessMeasure> find(const QString& path);
    // find(), or a measurement on the calling thread when there is none.
    std::optional<LoudnessMeasure> measureNow(const QString& path, const Loudness::Progress& progress = {});
    // Queues the files not known yet for the worker; each gets measured()
    // (or failed()) once it is done.
    void request(const QStringList& paths);
    // Forgets the queue and stops the measurement under way.
    void cancel();
    // True while the worker has files to measure.
    bool busy() const { return m_pending.load() > 0; }

signals:
    void measured(const QString& path);
    void failed(const QString& path);
    // While a file is measured, the share done (0..1).
    void progress(const QString& path, double fraction);

private:
    struct Entry {
        qint64 size = -1;
        QDateTime modified;
        LoudnessMeasure measure;
    };
    std::optional<LoudnessMeasure> fromMemory(const QString& path, qint64 size, const QDateTime& modified);
    void remember(const QString& path, qint64 size, const QDateTime& modified, const LoudnessMeasure& measure);
    std::optional<LoudnessMeasure> fromDisk(const QString& path) const;

    AnalysisCache m_cache;
    QMutex m_mutex;
    QHash<QString, Entry> m_known;
    QThreadPool m_worker;
    // Raised by cancel(); a queued job of an older generation does nothing.
    std::atomic<quint64> m_generation{0};
    std::atomic<int> m_pending{0};
};
