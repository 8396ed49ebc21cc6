#include "beatanalysis.h"

#include "audioreader.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QMetaObject>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <memory>

#include <aubio/aubio.h>

namespace {

constexpr int BeatFormat = 1;
constexpr int MinSteadyBeats = 8;
constexpr double MinBeatInterval = 60.0 / 240.0;
constexpr double MaxBeatInterval = 60.0 / 40.0;
constexpr double RegularTolerance = 0.15;
constexpr double RegularShare = 0.70;
// Files shorter than this are done before a progress bar would be worth showing.
constexpr double ProgressFromSeconds = 60.0;
constexpr smpl_t SilenceDb = -150.0f;
constexpr smpl_t Dither = 1.0e-7f; // -140 dB

struct TempoDeleter {
    void operator()(aubio_tempo_t* tempo) const { del_aubio_tempo(tempo); }
};
struct VectorDeleter {
    void operator()(fvec_t* vector) const { del_fvec(vector); }
};
using TempoPtr = std::unique_ptr<aubio_tempo_t, TempoDeleter>;
using VectorPtr = std::unique_ptr<fvec_t, VectorDeleter>;

double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0.0;
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

bool steadyBeats(const QVector<double>& beats, double* bpm)
{
    if (bpm)
        *bpm = 0.0;
    if (beats.size() < 2)
        return false;
    QVector<double> intervals;
    intervals.reserve(beats.size() - 1);
    for (qsizetype i = 1; i < beats.size(); ++i)
        intervals.append(beats[i] - beats[i - 1]);
    const double typical = median(intervals);
    if (typical <= 0.0)
        return false;
    if (bpm)
        *bpm = 60.0 / typical;
    if (beats.size() < MinSteadyBeats || typical < MinBeatInterval || typical > MaxBeatInterval)
        return false;
    const auto regular = std::count_if(intervals.cbegin(), intervals.cend(), [typical](double interval) {
        return std::abs(interval - typical) <= RegularTolerance * typical ||
               std::abs(interval - 2.0 * typical) <= RegularTolerance * typical;
    });
    return double(regular) >= RegularShare * double(intervals.size());
}

QJsonObject BeatTrack::toJson() const
{
    QJsonArray times;
    for (const double beat : beats)
        times.append(std::round(beat * 1.0e4) / 1.0e4);
    return QJsonObject{{QStringLiteral("format"), BeatFormat},
                       {QStringLiteral("beats"), times},
                       {QStringLiteral("bpm"), bpm},
                       {QStringLiteral("steady"), steady}};
}

std::optional<BeatTrack> BeatTrack::fromJson(const QJsonObject& object)
{
    if (object.value(QStringLiteral("format")).toInt(-1) != BeatFormat ||
        !object.value(QStringLiteral("beats")).isArray() || !object.value(QStringLiteral("steady")).isBool())
        return std::nullopt;
    BeatTrack track;
    const QJsonArray times = object.value(QStringLiteral("beats")).toArray();
    track.beats.reserve(times.size());
    for (const QJsonValue& value : times) {
        const double beat = value.toDouble(-1.0);
        if (!value.isDouble() || !std::isfinite(beat) || beat < 0.0 ||
            (!track.beats.isEmpty() && beat < track.beats.constLast()))
            return std::nullopt;
        track.beats.append(beat);
    }
    track.bpm = object.value(QStringLiteral("bpm")).toDouble();
    track.steady = object.value(QStringLiteral("steady")).toBool();
    return track;
}

BeatTrack BeatTrack::within(double from, double to) const
{
    BeatTrack part;
    for (const double beat : beats)
        if (beat >= from && beat < to)
            part.beats.append(beat);
    part.steady = steadyBeats(part.beats, &part.bpm);
    return part;
}

std::optional<BeatTrack> analyseBeats(const QString& filePath, const std::function<bool(double)>& progress,
                                      QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<BeatTrack> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    AudioInfo info;
    info.filePath = filePath;
    if (!AudioReader::parse(info))
        return fail(QCoreApplication::translate("BeatAnalysis", "Cannot read the sound of %1").arg(filePath));

    AudioInfo wanted;
    wanted.channels = 1;
    wanted.sampleRate = BeatSampleRate;
    wanted.bitsPerSample = 16;
    wanted.endTime = std::max(info.duration, 0.0) + 3600.0;
    AudioReader reader;
    if (!reader.open(filePath, wanted))
        return fail(reader.errorString());
    reader.seek(0.0);

    TempoPtr tempo(new_aubio_tempo("default", BeatWindow, BeatHop, BeatSampleRate));
    VectorPtr hop(new_fvec(BeatHop));
    VectorPtr found(new_fvec(1));
    if (!tempo || !hop || !found)
        return fail(QCoreApplication::translate("BeatAnalysis", "The beat tracker could not be set up"));
    // The tracker drops a beat that falls in a silent hop. A rest in the music (or the gap between a
    // metronome's clicks) does not stop the beat, so a faint dither keeps every hop above the threshold.
    aubio_tempo_set_silence(tempo.get(), SilenceDb);

    constexpr int chunkBytes = BeatHop * 2 * 64;
    SampleDecoding buffer;
    if (!buffer.allocate(chunkBytes))
        return fail(QCoreApplication::translate("BeatAnalysis", "Out of memory"));

    BeatTrack track;
    qint64 decoded = 0;
    int filled = 0;
    const bool reportProgress = progress && info.duration >= ProgressFromSeconds;
    double lastReported = -1.0;
    while (!reader.endOfStream) {
        reader.decodeAudio(buffer, chunkBytes / 256);
        const int samples = buffer.length / 2;
        for (int i = 0; i < samples; ++i) {
            hop->data[filled] = smpl_t(buffer.samples[i]) / smpl_t(32768.0) + ((filled & 1) ? Dither : -Dither);
            ++filled;
            if (filled == BeatHop) {
                aubio_tempo_do(tempo.get(), hop.get(), found.get());
                if (found->data[0] != 0)
                    track.beats.append(double(aubio_tempo_get_last_s(tempo.get())));
                filled = 0;
            }
        }
        decoded += samples;
        buffer.length = 0;
        if (progress) {
            const double done =
                info.duration > 0.0 ? std::clamp(double(decoded) / BeatSampleRate / info.duration, 0.0, 1.0) : 0.0;
            if (reportProgress && done - lastReported >= 0.01) {
                lastReported = done;
                if (!progress(done))
                    return fail(QCoreApplication::translate("BeatAnalysis", "Cancelled"));
            } else if (!reportProgress && !progress(-1.0)) {
                return fail(QCoreApplication::translate("BeatAnalysis", "Cancelled"));
            }
        }
    }
    if (decoded == 0)
        return fail(QCoreApplication::translate("BeatAnalysis", "No sound could be decoded from %1").arg(filePath));
    // The tracker may report a beat twice or out of order around a tempo change.
    std::sort(track.beats.begin(), track.beats.end());
    track.beats.erase(std::unique(track.beats.begin(), track.beats.end(),
                                  [](double a, double b) { return b - a < 0.5 * MinBeatInterval; }),
                      track.beats.end());
    track.steady = steadyBeats(track.beats, &track.bpm);
    return track;
}

std::optional<BeatTrack> cachedBeats(const AnalysisCache& cache, const QString& filePath,
                                     const std::function<bool(double)>& progress, QString* error)
{
    if (const std::optional<QJsonObject> stored = cache.load(QStringLiteral("beats"), filePath))
        if (std::optional<BeatTrack> track = BeatTrack::fromJson(*stored))
            return track;
    std::optional<BeatTrack> track = analyseBeats(filePath, progress, error);
    if (track)
        cache.store(QStringLiteral("beats"), filePath, track->toJson());
    return track;
}

BeatAnalyzer::BeatAnalyzer(AnalysisCache cache, QObject* parent)
    : QObject(parent)
    , store(std::move(cache))
{
    pool.setMaxThreadCount(1);
}

BeatAnalyzer::~BeatAnalyzer()
{
    cancel();
    pool.waitForDone();
}

std::optional<BeatTrack> BeatAnalyzer::beats(const QString& filePath) const
{
    if (const std::optional<QJsonObject> stored = store.load(QStringLiteral("beats"), filePath))
        return BeatTrack::fromJson(*stored);
    return std::nullopt;
}

bool BeatAnalyzer::request(const QStringList& filePaths)
{
    bool allKnown = true;
    {
        QMutexLocker locker(&lock);
        for (const QString& path : filePaths) {
            if (path == current || queue.contains(path)) {
                allKnown = false;
                continue;
            }
            if (givenUp.contains(path))
                continue;
            if (beats(path))
                continue;
            allKnown = false;
            queue.append(path);
            cancelled = false;
        }
    }
    startWorker();
    return allKnown;
}

void BeatAnalyzer::cancel()
{
    QMutexLocker locker(&lock);
    for (const QString& path : std::as_const(queue))
        givenUp.insert(path);
    if (!current.isEmpty())
        givenUp.insert(current);
    queue.clear();
    cancelled = true;
}

void BeatAnalyzer::retry()
{
    QMutexLocker locker(&lock);
    givenUp.clear();
}

bool BeatAnalyzer::busy() const
{
    QMutexLocker locker(&lock);
    return workerActive;
}

void BeatAnalyzer::waitForDone() { pool.waitForDone(); }

void BeatAnalyzer::startWorker()
{
    QMutexLocker locker(&lock);
    if (workerActive || queue.isEmpty())
        return;
    workerActive = true;
    QThreadPool* const threads = &pool;
    (void)QtConcurrent::run(threads, [this] { work(); });
}

void BeatAnalyzer::work()
{
    for (;;) {
        QString filePath;
        {
            QMutexLocker locker(&lock);
            if (queue.isEmpty()) {
                current.clear();
                workerActive = false;
                break;
            }
            current = filePath = queue.takeFirst();
        }
        const std::optional<BeatTrack> track = cachedBeats(store, filePath, [this, filePath](double done) {
            if (done >= 0.0)
                emit progress(filePath, done);
            return !cancelled.load();
        });
        if (!track) {
            QMutexLocker locker(&lock);
            givenUp.insert(filePath);
        }
        if (!cancelled.load())
            emit analysed(filePath, track.has_value());
    }
    emit idle();
}
