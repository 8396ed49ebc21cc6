#include "loudness.h"

#include "audioreader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMutexLocker>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <ebur128.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr char Kind[] = "loudness";
constexpr int CacheVersion = 1;
// Decoded in steps of this many seconds between progress reports.
constexpr double StepSeconds = 2.0;
// The reader stops at the end of the file; a clip end this far out only
// keeps it from stopping earlier where a header claims too short a length.
constexpr double WholeFile = 7.0 * 24.0 * 3600.0;

struct MeterFree {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using MeterPtr = std::unique_ptr<ebur128_state, MeterFree>;

// JSON keeps no infinities: silence is stored as null.
QJsonValue finiteOrNull(double value) { return std::isfinite(value) ? QJsonValue(value) : QJsonValue(); }

double orSilence(const QJsonValue& value)
{
    return value.isDouble() ? value.toDouble() : -std::numeric_limits<double>::infinity();
}

} // namespace

QJsonObject LoudnessMeasure::toJson() const
{
    return QJsonObject{{"version", CacheVersion},
                       {"integratedLufs", finiteOrNull(integratedLufs)},
                       {"truePeakDbtp", finiteOrNull(truePeakDb)},
                       {"seconds", seconds}};
}

std::optional<LoudnessMeasure> LoudnessMeasure::fromJson(const QJsonObject& object)
{
    if (object.value("version").toInt() != CacheVersion || !object.contains("integratedLufs") ||
        !object.contains("truePeakDbtp"))
        return std::nullopt;
    LoudnessMeasure measure;
    measure.integratedLufs = orSilence(object.value("integratedLufs"));
    measure.truePeakDb = orSilence(object.value("truePeakDbtp"));
    measure.seconds = object.value("seconds").toDouble();
    return measure;
}

namespace Loudness {

double gainDb(const LoudnessMeasure& measure)
{
    if (!std::isfinite(measure.integratedLufs))
        return 0.0;
    double gain = TargetLufs - measure.integratedLufs;
    if (std::isfinite(measure.truePeakDb))
        gain = std::min(gain, PeakCeilingDb - measure.truePeakDb);
    return gain;
}

double gainFactor(const LoudnessMeasure& measure) { return std::pow(10.0, gainDb(measure) / 20.0); }

std::optional<LoudnessMeasure> measure(const QString& path, const Progress& progress)
{
    AudioInfo info;
    info.filePath = path;
    if (!AudioReader::parse(info))
        return std::nullopt;
    constexpr int Channels = 2;
    const int rate = info.sampleRate > 0 && info.sampleRate <= 384000 ? info.sampleRate : 48000;

    MeterPtr meter(ebur128_init(Channels, unsigned(rate), EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
    if (!meter)
        return std::nullopt;

    AudioInfo wanted;
    wanted.channels = Channels;
    wanted.sampleRate = rate;
    wanted.bitsPerSample = 16;
    wanted.endTime = WholeFile;
    AudioReader reader;
    if (!reader.open(path, wanted))
        return std::nullopt;
    reader.seek(0.0);

    const int frameBytes = Channels * 2;
    const int stepBytes = int(StepSeconds * rate) * frameBytes;
    SampleDecoding buffer;
    if (!buffer.allocate(stepBytes))
        return std::nullopt;
    // The reader fills up to 256 "frames" of this size per call.
    const int chunkBytes = std::max(frameBytes, stepBytes / 256);

    qint64 frames = 0;
    const double expected = info.duration > 0.0 ? info.duration * rate : 0.0;
    if (progress && !progress(0.0))
        return std::nullopt;
    while (!reader.endOfStream) {
        buffer.length = 0;
        reader.decodeAudio(buffer, chunkBytes);
        const int count = buffer.length / frameBytes;
        if (count > 0 && ebur128_add_frames_short(meter.get(), buffer.samples, std::size_t(count)) != EBUR128_SUCCESS)
            return std::nullopt;
        frames += count;
        if (progress && !progress(expected > 0.0 ? std::min(1.0, double(frames) / expected) : 0.0))
            return std::nullopt;
    }

    LoudnessMeasure result;
    result.seconds = double(frames) / rate;
    if (ebur128_loudness_global(meter.get(), &result.integratedLufs) != EBUR128_SUCCESS)
        return std::nullopt;
    double peak = 0.0;
    for (unsigned channel = 0; channel < Channels; ++channel) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(meter.get(), channel, &channelPeak) != EBUR128_SUCCESS)
            return std::nullopt;
        peak = std::max(peak, channelPeak);
    }
    result.truePeakDb = peak > 0.0 ? 20.0 * std::log10(peak) : -std::numeric_limits<double>::infinity();
    return result;
}

} // namespace Loudness

LoudnessStore::LoudnessStore(const QString& cacheFolder, QObject* parent)
    : QObject(parent)
    , m_cache(cacheFolder)
{
    // One file at a time: two decodes at once would only share the disk.
    m_worker.setMaxThreadCount(1);
}

LoudnessStore::~LoudnessStore()
{
    cancel();
    m_worker.waitForDone();
}

LoudnessStore& LoudnessStore::shared()
{
    // Goes with the application, so that its worker has ended before the
    // libraries it uses are torn down.
    static QPointer<LoudnessStore> store;
    if (!store)
        store = new LoudnessStore(QString(), QCoreApplication::instance());
    return *store;
}

std::optional<LoudnessMeasure> LoudnessStore::fromMemory(const QString& path, qint64 size, const QDateTime& modified)
{
    const QMutexLocker lock(&m_mutex);
    const auto it = m_known.constFind(path);
    if (it == m_known.constEnd() || it->size != size || it->modified != modified)
        return std::nullopt;
    return it->measure;
}

void LoudnessStore::remember(const QString& path, qint64 size, const QDateTime& modified,
                             const LoudnessMeasure& measure)
{
    const QMutexLocker lock(&m_mutex);
    m_known.insert(path, Entry{size, modified, measure});
}

std::optional<LoudnessMeasure> LoudnessStore::fromDisk(const QString& path) const
{
    const std::optional<QJsonObject> stored = m_cache.load(QLatin1String(Kind), path);
    return stored ? LoudnessMeasure::fromJson(*stored) : std::nullopt;
}

std::optional<LoudnessMeasure> LoudnessStore::find(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return std::nullopt;
    const qint64 size = file.size();
    const QDateTime modified = file.lastModified();
    if (auto known = fromMemory(path, size, modified))
        return known;
    if (auto stored = fromDisk(path)) {
        remember(path, size, modified, *stored);
        return stored;
    }
    return std::nullopt;
}

std::optional<LoudnessMeasure> LoudnessStore::measureNow(const QString& path, const Loudness::Progress& progress)
{
    if (auto known = find(path))
        return known;
    const QFileInfo file(path);
    const qint64 size = file.size();
    const QDateTime modified = file.lastModified();
    const std::optional<LoudnessMeasure> result = Loudness::measure(path, progress);
    if (result) {
        remember(path, size, modified, *result);
        // A cache that cannot be written only costs a measurement next time.
        m_cache.store(QLatin1String(Kind), path, result->toJson());
    }
    return result;
}

void LoudnessStore::request(const QStringList& paths)
{
    const quint64 generation = m_generation.load();
    for (const QString& path : paths) {
        m_pending.fetch_add(1);
        // The job runs on the pool and hears of a cancel() through the
        // generation; the store outlives it (the destructor waits).
        (void)QtConcurrent::run(&m_worker, [this, path, generation] {
            const auto current = [&] { return m_generation.load() == generation; };
            if (current()) {
                const auto result = measureNow(path, [&](double fraction) {
                    if (!current())
                        return false;
                    emit progress(path, fraction);
                    return true;
                });
                // Counted out before the news goes out, so that a listener
                // sees busy() false after the last one.
                m_pending.fetch_sub(1);
                if (result)
                    emit measured(path);
                else if (current())
                    emit failed(path);
                return;
            }
            m_pending.fetch_sub(1);
        });
    }
}

void LoudnessStore::cancel() { m_generation.fetch_add(1); }
