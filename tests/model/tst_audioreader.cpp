// The audio reader: probing, decoding into the output format, seeking, the
// clip end, the bound on one step's output, and files that are bad or gone.
// The sound is real: test signals encoded by our own FFmpeg code into every
// format of the audio name filters that FFmpeg has an encoder for, and the
// shared sample music. APE has no encoder in FFmpeg, so it is not covered.

#include "audioreader.h"
#include "audiofixtures.h"
#include "modeltests.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int OutputRate = 48000;
constexpr int BytesPerVideoFrame = 7680; // 48 kHz stereo 16-bit at 25 frames per second

// One row of the format table: how the fixture is made and how closely its
// codec keeps the signal.
struct Format {
    const char* tag;
    const char* suffix;
    const char* muxer;
    const char* encoder;
    int sampleRate;
    int channels;
    int bitRate;
    bool lossless;
    int timingSlack; // samples at 48 kHz the container's time stamps may be off (millisecond clocks)
    int frameSize;   // samples per packet, 0 for the encoder's choice
    bool videoFirst; // a video stream before the sound
};

// Every type of the audio name filters that FFmpeg 5.1 can write, and two
// files that make seeking hard. FFmpeg's RealMedia muxer stores no packet
// time stamps, so its .ra file is probed and decoded but not sought in.
const Format Formats[] = {
    {"wav pcm mono", "wav", "wav", "pcm_s16le", 44100, 1, 0, true, 0, 0, false},
    {"aif pcm mono", "aif", "aiff", "pcm_s16be", 22050, 1, 0, true, 0, 0, false},
    {"aiff pcm stereo", "aiff", "aiff", "pcm_s16be", 44100, 2, 0, true, 0, 0, false},
    {"au pcm", "au", "au", "pcm_s16be", 8000, 1, 0, true, 0, 0, false},
    {"flac", "flac", "flac", "flac", 44100, 2, 0, true, 0, 0, false},
    {"mp3", "mp3", "mp3", "libmp3lame", 44100, 2, 128000, false, 0, 0, false},
    {"mpa layer 2 mono", "mpa", "mp2", "mp2", 32000, 1, 96000, false, 0, 0, false},
    {"mp2", "mp2", "mp2", "mp2", 44100, 2, 192000, false, 0, 0, false},
    {"aac adts", "aac", "adts", "aac", 44100, 2, 128000, false, 0, 0, false},
    {"m4a aac", "m4a", "ipod", "aac", 48000, 2, 128000, false, 0, 0, false},
    {"ogg vorbis", "ogg", "ogg", "libvorbis", 44100, 2, 128000, false, 0, 0, false},
    {"ogg opus", "ogg", "ogg", "libopus", 48000, 2, 96000, false, 0, 0, false},
    {"ac3 stereo", "ac3", "ac3", "ac3", 48000, 2, 192000, false, 0, 0, false},
    {"ac3 5.1", "ac3", "ac3", "ac3", 48000, 6, 384000, false, 0, 0, false},
    {"wma", "wma", "asf", "wmav2", 44100, 2, 128000, false, 48, 0, false},
    {"ra 14.4", "ra", "rm", "real_144", 8000, 1, 0, false, -1, 0, false},
    // Blocks of 65535 samples and no seek table: the demuxer cannot seek.
    {"flac huge blocks", "flac", "flac", "flac", 8000, 1, 0, true, 0, 65535, false},
    // Matroska keeps millisecond time stamps.
    {"matroska vorbis after video", "mkv", "matroska", "libvorbis", 44100, 2, 128000, false, 48, 0, true},
};

constexpr double ToneSeconds = 2.0;
// How far either side of the expected place a decoded stretch is looked for:
// 20 ms, far beyond any tolerance here and too short for the signals to
// repeat, so the true place is the one that correlates best.
constexpr qint64 SearchSamples = 960;
constexpr double ChirpSeconds = 3.0;

// Stereo carries different tones left and right, so a swap shows; mono and
// surround carry one tone everywhere, so the down-mix adds up in phase.
TestSignal toneSignal(const Format& format)
{
    TestSignal signal;
    signal.sampleRate = format.sampleRate;
    signal.channels = format.channels;
    signal.seconds = ToneSeconds;
    signal.frequency = format.channels == 2 ? QVector<double>{440.0, 660.0} : QVector<double>{440.0};
    signal.sweep = {0.0};
    return signal;
}

TestSignal chirpSignal(const Format& format)
{
    TestSignal signal = toneSignal(format);
    signal.seconds = ChirpSeconds;
    signal.frequency = format.channels == 2 ? QVector<double>{300.0, 500.0} : QVector<double>{300.0};
    signal.sweep = format.channels == 2 ? QVector<double>{200.0, -100.0} : QVector<double>{200.0};
    return signal;
}

// The same signal as the output format should carry it: 48 kHz, and mono
// on both sides.
TestSignal asOutput(TestSignal signal)
{
    if (signal.channels != 2) {
        signal.frequency.resize(1);
        signal.sweep.resize(1);
    }
    signal.sampleRate = OutputRate;
    signal.channels = 2;
    return signal;
}

AudioInfo outputFormat(double endTime = 1.0e9, int channels = 2, int sampleRate = OutputRate)
{
    AudioInfo wanted;
    wanted.channels = channels;
    wanted.sampleRate = sampleRate;
    wanted.bitsPerSample = 16;
    wanted.startTime = 0.0;
    wanted.endTime = endTime;
    return wanted;
}

// Decodes the way the renderer does: a buffer of 256 video frames of sound,
// emptied by the consumer after every call, until the reader reports the
// end or `maxFrames` sample frames have come.
struct Decoded {
    QVector<int16_t> samples;
    bool ended = false;
    qint64 frames(int channels = 2) const { return samples.size() / channels; }
};

Decoded decodeAll(AudioReader& reader, qint64 maxFrames = -1, int channels = 2)
{
    Decoded result;
    SampleDecoding buffer;
    if (!buffer.allocate(qint64(BytesPerVideoFrame) * 256))
        return result;
    for (int call = 0; call < 10000 && !reader.endOfStream; ++call) {
        reader.decodeAudio(buffer, BytesPerVideoFrame);
        result.samples.append(QVector<int16_t>(buffer.samples, buffer.samples + buffer.length / 2));
        buffer.length = 0;
        if (maxFrames >= 0 && result.frames(channels) >= maxFrames)
            break;
    }
    result.ended = reader.endOfStream;
    return result;
}

Decoded decodeFile(const QString& path, double from = 0.0, double endTime = 1.0e9, qint64 maxFrames = -1)
{
    AudioReader reader;
    if (!reader.open(path, outputFormat(endTime)))
        return {};
    reader.seek(from);
    return decodeAll(reader, maxFrames);
}

QVector<double> slice(const QVector<double>& x, double fromSeconds, double toSeconds)
{
    const qint64 from = qint64(fromSeconds * OutputRate);
    const qint64 to = std::min<qint64>(qint64(toSeconds * OutputRate), x.size());
    return from < to ? x.mid(from, to - from) : QVector<double>();
}

QString describe(const char* what, double actual, double expected)
{
    return QStringLiteral("%1 %2, expected %3")
        .arg(QLatin1String(what))
        .arg(actual, 0, 'g', 8)
        .arg(expected, 0, 'g', 8);
}

// Fails showing both values when actual is more than `tolerance` from expected.
#define QVERIFY_NEAR(what, actual, expected, tolerance)                                                                \
    QVERIFY2(std::abs(double(actual) - double(expected)) <= (tolerance),                                               \
             qPrintable(describe(what, double(actual), double(expected))))

AudioInfo sentinelRecord(const QString& path)
{
    AudioInfo info;
    info.filePath = path;
    info.channels = 7;
    info.sampleRate = 12345;
    info.bitsPerSample = 9;
    info.duration = 77.5;
    info.suffix = QStringLiteral("keep");
    info.fileSize = 4242;
    info.lastModified = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));
    info.startTime = 1.5;
    info.endTime = 66.25;
    return info;
}

bool sameRecord(const AudioInfo& a, const AudioInfo& b)
{
    return a.filePath == b.filePath && a.channels == b.channels && a.sampleRate == b.sampleRate &&
           a.bitsPerSample == b.bitsPerSample && a.duration == b.duration && a.suffix == b.suffix &&
           a.fileSize == b.fileSize && a.lastModified == b.lastModified && a.startTime == b.startTime &&
           a.endTime == b.endTime;
}

// A SampleDecoding whose allocation goes on past capacity + slack with guard
// bytes, so that a write beyond the slack shows.
class GuardedBuffer
{
public:
    static constexpr int GuardBytes = 65536;
    static constexpr uint8_t GuardValue = 0xA5;

    explicit GuardedBuffer(int capacity)
    {
        const std::size_t size = std::size_t(capacity) + SampleDecoding::slackBytes + GuardBytes;
        buffer.samples = static_cast<int16_t*>(av_malloc(size));
        buffer.capacity = capacity;
        std::memset(buffer.samples, 0, size - GuardBytes);
        std::memset(guard(), GuardValue, GuardBytes);
    }

    uint8_t* guard() const
    {
        return reinterpret_cast<uint8_t*>(buffer.samples) + buffer.capacity + SampleDecoding::slackBytes;
    }
    bool guardIntact() const
    {
        const uint8_t* g = guard();
        return std::all_of(g, g + GuardBytes, [](uint8_t b) { return b == GuardValue; });
    }

    SampleDecoding buffer; // frees the allocation with the FFmpeg allocator
};

class AudioReaderTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_logLevel = AV_LOG_INFO;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString tonePath(int row) const { return path(QStringLiteral("tone%1.%2").arg(row).arg(Formats[row].suffix)); }
    QString chirpPath(int row) const { return path(QStringLiteral("chirp%1.%2").arg(row).arg(Formats[row].suffix)); }

    void addFormatRows(bool seekableOnly)
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(std::size(Formats)); ++row) {
            if (seekableOnly && Formats[row].timingSlack < 0)
                continue;
            QTest::newRow(Formats[row].tag) << row;
        }
    }

    bool write(const QString& file, const char* muxer, const char* encoder, const TestSignal& signal,
               const FixtureOptions& options = {})
    {
        QString error;
        if (writeSignalFile(file, muxer, encoder, signal, options, &error))
            return true;
        qWarning("%s: %s", qPrintable(file), qPrintable(error));
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Bad files make the demuxers complain; the tests look at results.
        m_logLevel = av_log_get_level();
        av_log_set_level(AV_LOG_QUIET);
        for (int row = 0; row < int(std::size(Formats)); ++row) {
            const Format& f = Formats[row];
            FixtureOptions options;
            options.bitRate = f.bitRate;
            options.frameSize = f.frameSize;
            options.videoFirst = f.videoFirst;
            QVERIFY2(write(tonePath(row), f.muxer, f.encoder, toneSignal(f), options), f.tag);
            QVERIFY2(write(chirpPath(row), f.muxer, f.encoder, chirpSignal(f), options), f.tag);
        }
    }

    void cleanupTestCase() { av_log_set_level(m_logLevel); }

    void parseReadsStreamAndFile_data() { addFormatRows(false); }
    void parseReadsStreamAndFile()
    {
        QFETCH(int, row);
        const Format& f = Formats[row];
        AudioInfo info = sentinelRecord(tonePath(row));
        QVERIFY(AudioReader::parse(info));

        const QFileInfo file(tonePath(row));
        QCOMPARE(info.filePath, tonePath(row));
        QCOMPARE(info.channels, f.channels);
        QCOMPARE(info.sampleRate, f.sampleRate);
        QCOMPARE(info.bitsPerSample, 16);
        // Lossy formats add encoder delay and padding to the stream length.
        const double slack = f.lossless ? 0.001 : 0.1;
        QVERIFY_NEAR("duration", info.duration, ToneSeconds, slack);
        QCOMPARE(info.startTime, 0.0);
        QCOMPARE(info.endTime, info.duration);
        QCOMPARE(info.suffix, QString::fromLatin1(f.suffix));
        QCOMPARE(info.fileSize, file.size());
        QCOMPARE(info.lastModified, file.lastModified());
    }

    // Each format decodes to a clean 48 kHz stereo tone of the right
    // frequency and level on the right side, for about the file's length.
    void decodesEveryFormat_data() { addFormatRows(false); }
    void decodesEveryFormat()
    {
        QFETCH(int, row);
        const Format& f = Formats[row];
        const Decoded decoded = decodeFile(tonePath(row));
        QVERIFY(decoded.ended);

        const double lengthSlack = f.lossless ? 1.0 / f.sampleRate : 0.1;
        const double seconds = double(decoded.frames()) / OutputRate;
        QVERIFY_NEAR("length", seconds, ToneSeconds, lengthSlack);

        const TestSignal expected = asOutput(toneSignal(f));
        for (int channel = 0; channel < 2; ++channel) {
            const QVector<double> steady = slice(channelOf(decoded.samples, 2, channel), 0.25, 1.75);
            const double frequency = expected.frequency[std::min<qsizetype>(channel, expected.frequency.size() - 1)];
            const double measured = zeroCrossingFrequency(steady, OutputRate);
            QVERIFY_NEAR("frequency", measured, frequency, frequency * 0.001);
            double amplitude = 0.0;
            const double purity = tonePurity(steady, frequency, OutputRate, &amplitude);
            QVERIFY2(purity >= (f.lossless ? 0.9999 : 0.99), qPrintable(describe("purity", purity, 1.0)));
            const double levelSlack = f.lossless ? 0.005 : 0.05;
            QVERIFY_NEAR("amplitude", amplitude, expected.amplitude, levelSlack);
        }
        if (f.channels == 1)
            QCOMPARE(channelOf(decoded.samples, 2, 1), channelOf(decoded.samples, 2, 0));
    }

    // The reference case: a mono 44.1 kHz sine becomes a stereo 48 kHz sine
    // of the same frequency, level and length, equal on both sides and close
    // to the ideal samples everywhere but at the edges of the filter.
    void monoSineBecomesStereo48k()
    {
        TestSignal source;
        source.sampleRate = 44100;
        source.channels = 1;
        source.seconds = 2.0;
        source.amplitude = 0.6;
        source.frequency = {1000.0};
        source.sweep = {0.0};
        const QString file = path(QStringLiteral("sine-mono-44k.wav"));
        QVERIFY(write(file, "wav", "pcm_s16le", source));

        const Decoded decoded = decodeFile(file);
        QVERIFY(decoded.ended);
        QVERIFY_NEAR("sample frames", decoded.frames(), 96000, 2);

        const QVector<double> left = channelOf(decoded.samples, 2, 0);
        QCOMPARE(channelOf(decoded.samples, 2, 1), left);
        const QVector<double> steady = slice(left, 0.1, 1.9);
        QVERIFY_NEAR("frequency", zeroCrossingFrequency(steady, OutputRate), 1000.0, 0.05);
        QVERIFY_NEAR("amplitude", toneAmplitude(steady), 0.6, 0.003);

        TestSignal reference = source;
        reference.sampleRate = OutputRate;
        double worst = 0.0;
        for (qint64 i = qint64(0.01 * OutputRate); i < qint64(1.99 * OutputRate); ++i)
            worst = std::max(worst, std::abs(left[i] - reference.value(0, double(i) / OutputRate)));
        QVERIFY2(worst < 0.001, qPrintable(describe("largest deviation from the ideal sine", worst, 0.0)));
    }

    // Stereo to mono averages the two sides instead of dropping one.
    void stereoToMonoMixesBothSides()
    {
        const int row = 4; // flac, 440 Hz left, 660 Hz right
        QCOMPARE(Formats[row].channels, 2);
        AudioReader reader;
        QVERIFY(reader.open(tonePath(row), outputFormat(1.0e9, 1, 44100)));
        reader.seek(0.0);
        const Decoded decoded = decodeAll(reader, -1, 1);
        QVERIFY(decoded.ended);
        QCOMPARE(decoded.frames(1), qint64(ToneSeconds * 44100));
        const QVector<double> mono = channelOf(decoded.samples, 1, 0).mid(4410, 44100);
        double left = 0.0, right = 0.0;
        tonePurity(mono, 440.0, 44100, &left);
        tonePurity(mono, 660.0, 44100, &right);
        QVERIFY_NEAR("440 Hz level", left, 0.25, 0.01);
        QVERIFY_NEAR("660 Hz level", right, 0.25, 0.01);
    }

    // A file already in the output format passes unchanged, sample for sample.
    void outputFormatPassesUnchanged_data()
    {
        QTest::addColumn<QString>("muxer");
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("wav") << "wav"
                             << "pcm_s16le"
                             << "wav";
        QTest::newRow("aiff big-endian") << "aiff"
                                         << "pcm_s16be"
                                         << "aiff";
        QTest::newRow("flac") << "flac"
                              << "flac"
                              << "flac";
    }
    void outputFormatPassesUnchanged()
    {
        QFETCH(QString, muxer);
        QFETCH(QString, encoder);
        QFETCH(QString, suffix);
        TestSignal signal;
        signal.sampleRate = OutputRate;
        signal.channels = 2;
        signal.seconds = 1.5;
        signal.frequency = {300.0, 500.0};
        signal.sweep = {200.0, -100.0};
        const QString file = path(QStringLiteral("native.") + suffix);
        QVERIFY(write(file, muxer.toLatin1().constData(), encoder.toLatin1().constData(), signal));
        const Decoded decoded = decodeFile(file);
        QVERIFY(decoded.ended);
        QCOMPARE(decoded.samples, signalSamples(signal));
    }

    // After a seek the sound is the sound of that moment, whatever the
    // packet size and decoder delay: the same samples continuous decoding
    // gives there, and for lossless formats the reference itself.
    void seekLandsOnTheSample_data() { addFormatRows(true); }
    void seekLandsOnTheSample()
    {
        QFETCH(int, row);
        const Format& f = Formats[row];
        const Decoded whole = decodeFile(chirpPath(row));
        QVERIFY(whole.ended);
        const TestSignal reference = asOutput(chirpSignal(f));
        const QVector<int16_t> ideal = signalSamples(reference);

        for (const double position : {0.3, 1.3, 2.2}) {
            const Decoded after = decodeFile(chirpPath(row), position, 1.0e9, 2400);
            QVERIFY2(after.frames() >= 2400,
                     qPrintable(QStringLiteral("only %1 frames after %2 s").arg(after.frames()).arg(position)));
            const qint64 expected = std::llround(position * OutputRate);
            for (int channel = 0; channel < 2; ++channel) {
                const QVector<double> piece = channelOf(after.samples, 2, channel).mid(0, 2400);
                double correlation = 0.0;
                const qint64 found =
                    bestOffset(channelOf(whole.samples, 2, channel), piece, expected, SearchSamples, &correlation);
                QVERIFY_NEAR("correlation with continuous decoding", correlation, 1.0, 0.01);
                QVERIFY2(std::abs(found - expected) <= f.timingSlack,
                         qPrintable(
                             QStringLiteral("seek to %1 s lands %2 samples off").arg(position).arg(found - expected)));
                if (f.lossless) {
                    const qint64 exact =
                        bestOffset(channelOf(ideal, 2, channel), piece, expected, SearchSamples, &correlation);
                    QCOMPARE(exact, expected);
                    QVERIFY(correlation > 0.9999);
                }
            }
        }
    }

    // Decoding stops at the clip end, to the sample, and reports it.
    void stopsAtClipEnd_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("endTime");
        QTest::addColumn<qint64>("frames");
        for (const int row : {0, 4, 5, 9, 10, 11, 14}) {
            const QByteArray tag = Formats[row].tag;
            QTest::newRow((tag + " 0.5 to 1.25").constData()) << row << 0.5 << 1.25 << qint64(36000);
            QTest::newRow((tag + " 0 to 2.0").constData()) << row << 0.0 << 2.0 << qint64(96000);
        }
        QTest::newRow("end before the seek position") << 4 << 1.5 << 1.25 << qint64(0);
        QTest::newRow("end at 0") << 4 << 0.0 << 0.0 << qint64(0);
        QTest::newRow("end past the file") << 4 << 2.5 << 10.0 << qint64(24000);
    }
    void stopsAtClipEnd()
    {
        QFETCH(int, row);
        QFETCH(double, from);
        QFETCH(double, endTime);
        QFETCH(qint64, frames);
        const Decoded clip = decodeFile(chirpPath(row), from, endTime);
        QVERIFY(clip.ended);
        const int slack = std::max(Formats[row].timingSlack, 1);
        QVERIFY_NEAR("sample frames", clip.frames(), frames, slack);
        if (frames == 0)
            return;
        // And it is the stretch it should be: continuous decoding there.
        // (Some way in, past the silence before a late first frame.)
        const Decoded whole = decodeFile(chirpPath(row));
        const qint64 into = OutputRate / 5;
        const QVector<double> piece = channelOf(clip.samples, 2, 0).mid(into, 2400);
        double correlation = 0.0;
        const qint64 expected = std::llround(from * OutputRate) + into;
        const qint64 found = bestOffset(channelOf(whole.samples, 2, 0), piece, expected, SearchSamples, &correlation);
        QVERIFY(correlation > 0.99);
        QVERIFY(std::abs(found - expected) <= Formats[row].timingSlack);
    }

    // One step may run past capacity into the slack, never beyond it, even
    // where one packet decodes to far more than the slack holds: 65535
    // samples at 8 kHz mono are 1.5 MB at 48 kHz stereo, and 65535 samples
    // of 48 kHz stereo copied as they are 256 kB. What does not fit comes in
    // the next step, so nothing is lost or repeated at the seams.
    void oneStepStaysWithinSlack_data()
    {
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("capacity");
        QTest::newRow("8 kHz mono up-converted, small buffer") << 8000 << 1 << 4096;
        QTest::newRow("8 kHz mono up-converted, renderer buffer") << 8000 << 1 << BytesPerVideoFrame * 256;
        QTest::newRow("48 kHz stereo copied, small buffer") << 48000 << 2 << 4096;
    }
    void oneStepStaysWithinSlack()
    {
        QFETCH(int, sampleRate);
        QFETCH(int, channels);
        QFETCH(int, capacity);
        TestSignal signal;
        signal.sampleRate = sampleRate;
        signal.channels = channels;
        signal.seconds = 12.0;
        signal.frequency = {440.0};
        signal.sweep = {0.0};
        FixtureOptions options;
        options.frameSize = 65535;
        const QString file = path(QStringLiteral("bigblocks-%1-%2.flac").arg(sampleRate).arg(channels));
        QVERIFY(write(file, "flac", "flac", signal, options));

        AudioReader reader;
        QVERIFY(reader.open(file, outputFormat()));
        reader.seek(0.0);
        GuardedBuffer guarded(capacity);
        SampleDecoding& buffer = guarded.buffer;
        const qint64 limit = qint64(capacity) + SampleDecoding::slackBytes;
        QVector<int16_t> joined;
        int largest = 0;
        for (int call = 0; call < 100000 && !reader.endOfStream; ++call) {
            reader.decodeAudio(buffer, BytesPerVideoFrame);
            QVERIFY2(buffer.length <= limit, qPrintable(describe("length", buffer.length, double(limit))));
            QVERIFY2(guarded.guardIntact(), "written past capacity + slack");
            QVERIFY(buffer.length >= std::min(capacity, BytesPerVideoFrame * 256) || reader.endOfStream);
            largest = std::max<int>(largest, buffer.length);
            joined.append(QVector<int16_t>(buffer.samples, buffer.samples + buffer.length / 2));
            buffer.length = 0;
        }
        QVERIFY(reader.endOfStream);
        QVERIFY2(largest > capacity, "the slack was never needed: the case does not test the bound");
        QCOMPARE(joined.size() / 2, qint64(signal.seconds * OutputRate));

        if (sampleRate == OutputRate && channels == 2) {
            QCOMPARE(joined, signalSamples(signal));
            return;
        }
        // The same samples as one call into a buffer large enough for all.
        AudioReader again;
        QVERIFY(again.open(file, outputFormat()));
        again.seek(0.0);
        SampleDecoding whole;
        QVERIFY(whole.allocate(qint64(signal.seconds * OutputRate) * 4 + 4096));
        again.decodeAudio(whole, whole.capacity / 256 + 1);
        QVERIFY(again.endOfStream);
        QCOMPARE(joined, QVector<int16_t>(whole.samples, whole.samples + whole.length / 2));
    }

    // Samples are appended at `length`; what the consumer has not taken yet
    // stays, and a buffer already filled to the mark is left alone.
    void appendsBehindUnconsumedSound()
    {
        const Decoded fresh = decodeFile(tonePath(0), 0.0, 1.0e9, 1024);
        QVERIFY(fresh.frames() >= 1024);

        AudioReader reader;
        QVERIFY(reader.open(tonePath(0), outputFormat()));
        reader.seek(0.0);
        SampleDecoding buffer;
        QVERIFY(buffer.allocate(qint64(BytesPerVideoFrame) * 256));
        std::memset(buffer.samples, 0x5A, 1000);
        buffer.length = 1000;
        buffer.consumed = 200;
        const int bytesPerFrame = 1000; // a mark well before the end of the file
        reader.decodeAudio(buffer, bytesPerFrame);
        QVERIFY(buffer.length >= bytesPerFrame * 256);
        QVERIFY(!reader.endOfStream);
        QCOMPARE(buffer.consumed.load(), 200);
        const char* bytes = reinterpret_cast<const char*>(buffer.samples);
        QCOMPARE(QByteArray(bytes, 1000), QByteArray(1000, 0x5A));
        QCOMPARE(QByteArray(bytes + 1000, 4096),
                 QByteArray(reinterpret_cast<const char*>(fresh.samples.constData()), 4096));

        buffer.length = buffer.capacity.load();
        const QByteArray full(bytes, buffer.capacity);
        reader.decodeAudio(buffer, BytesPerVideoFrame);
        QCOMPARE(buffer.length.load(), buffer.capacity.load());
        QCOMPARE(QByteArray(bytes, buffer.capacity), full);
    }

    // A file with a video stream first: the sound is the second stream.
    void picksFirstDecodableAudioStream()
    {
        const int row = int(std::size(Formats)) - 1;
        const Format& f = Formats[row];
        QVERIFY(f.videoFirst);
        AudioInfo info = sentinelRecord(tonePath(row));
        QVERIFY(AudioReader::parse(info));
        QCOMPARE(info.channels, 2);
        QCOMPARE(info.sampleRate, f.sampleRate);

        const Decoded decoded = decodeFile(tonePath(row));
        QVERIFY(decoded.ended);
        const QVector<double> right = slice(channelOf(decoded.samples, 2, 1), 0.25, 1.75);
        QVERIFY(std::abs(zeroCrossingFrequency(right, OutputRate) - 660.0) < 0.5);
        QVERIFY(tonePurity(right, 660.0, OutputRate) > 0.99);
    }

    // Files without decodable sound are refused and leave the record as it
    // was; a reader opened on one reports the end at once and writes nothing.
    // Files whose headers are sound but whose sound data is garbage may
    // open, and then decode to nothing.
    void refusesFilesWithoutSound_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("headersValid");
        QTest::newRow("missing") << "missing.mp3" << false;
        QTest::newRow("folder") << "folder.wav" << false;
        QTest::newRow("empty") << "empty.mp3" << false;
        QTest::newRow("text") << "text.ogg" << false;
        QTest::newRow("random bytes") << "random.mp3" << false;
        QTest::newRow("wav header only") << "header-only.wav" << false;
        QTest::newRow("png picture") << "picture.wma" << false;
        QTest::newRow("video only") << "video-only.mkv" << false;
        QTest::newRow("m4a with garbage sound data") << "garbage.m4a" << true;
        QTest::newRow("flac with garbage frames") << "garbage.flac" << true;
    }
    void refusesFilesWithoutSound()
    {
        QFETCH(QString, name);
        QFETCH(bool, headersValid);
        const QString file = path(name);
        if (name == "folder.wav") {
            QVERIFY(QDir(m_dir.path()).mkpath(name));
        } else if (name == "empty.mp3") {
            QVERIFY(writeBytes(file, QByteArray()));
        } else if (name == "text.ogg") {
            QVERIFY(writeBytes(file, QByteArray("This is not a sound file.\n").repeated(100)));
        } else if (name == "random.mp3") {
            QRandomGenerator random(1234);
            QByteArray bytes(64 * 1024, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
            QVERIFY(writeBytes(file, bytes));
        } else if (name == "header-only.wav") {
            QVERIFY(writeBytes(file, fileBytes(tonePath(0)).left(44)));
        } else if (name == "picture.wma") {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QVERIFY(image.save(file, "PNG"));
        } else if (name == "video-only.mkv") {
            FixtureOptions options;
            options.videoOnly = true;
            QVERIFY(write(file, "matroska", "", TestSignal(), options));
        } else if (name == "garbage.m4a") {
            // The sample data sits in the "mdat" box, the index after it.
            QByteArray bytes = fileBytes(tonePath(9));
            const qsizetype data = bytes.indexOf("mdat"), index = bytes.indexOf("moov");
            QVERIFY(data > 0 && index > data);
            bytes.replace(data + 8, index - data - 16, QByteArray(index - data - 16, 0x5A));
            QVERIFY(writeBytes(file, bytes));
        } else if (name == "garbage.flac") {
            // Everything after the metadata blocks, from the first frame's
            // sync code on.
            QByteArray bytes = fileBytes(tonePath(4));
            const qsizetype frames = bytes.indexOf(QByteArray("\xFF\xF8", 2), 42);
            QVERIFY(frames > 0);
            bytes.replace(frames, bytes.size() - frames, QByteArray(bytes.size() - frames, 0x5A));
            QVERIFY(writeBytes(file, bytes));
        }

        const AudioInfo before = sentinelRecord(file);
        AudioInfo info = before;
        QVERIFY(!AudioReader::parse(info));
        QVERIFY(sameRecord(info, before));

        AudioReader reader;
        const bool opened = reader.open(file, outputFormat());
        QVERIFY(headersValid || !opened);
        QCOMPARE(reader.errorString().isEmpty(), opened);
        reader.seek(0.0);
        QCOMPARE(reader.endOfStream, !opened);
        GuardedBuffer guarded(4096);
        std::memset(guarded.buffer.samples, 0x33, 4096);
        for (int call = 0; call < 100 && !reader.endOfStream; ++call)
            reader.decodeAudio(guarded.buffer, BytesPerVideoFrame);
        QVERIFY(reader.endOfStream);
        QCOMPARE(guarded.buffer.length.load(), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(guarded.buffer.samples), 4096), QByteArray(4096, 0x33));
        QVERIFY(guarded.guardIntact());
    }

    // A clip whose file went away after the import ends at once; one that
    // goes away or is cut short while it plays ends without harm.
    void vanishedFileEndsTheClip()
    {
        const QString file = path(QStringLiteral("vanishing.ogg"));
        QVERIFY(QFile::copy(chirpPath(10), file));
        AudioInfo info;
        info.filePath = file;
        QVERIFY(AudioReader::parse(info));
        QVERIFY(QFile::remove(file));

        AudioReader reader;
        QVERIFY(!reader.open(file, outputFormat(info.endTime)));
        reader.seek(info.startTime);
        const Decoded nothing = decodeAll(reader);
        QVERIFY(nothing.ended);
        QCOMPARE(nothing.frames(), qint64(0));

        // Removed while open: the open file still reads to its end.
        QVERIFY(QFile::copy(chirpPath(10), file));
        QVERIFY(reader.open(file, outputFormat()));
        reader.seek(0.0);
        QVERIFY(QFile::remove(file));
        const Decoded removed = decodeAll(reader);
        QVERIFY(removed.ended);
        QVERIFY(std::abs(double(removed.frames()) / OutputRate - ChirpSeconds) < 0.05);

        // Cut short while open: the clip ends early, at the cut (give or
        // take what the demuxer has read ahead).
        TestSignal longer;
        longer.sampleRate = 44100;
        longer.channels = 2;
        longer.seconds = 20.0;
        QVERIFY(write(file, "wav", "pcm_s16le", longer));
        QVERIFY(reader.open(file, outputFormat()));
        reader.seek(0.0);
        SampleDecoding buffer;
        QVERIFY(buffer.allocate(4096));
        reader.decodeAudio(buffer, 16);
        QVERIFY(buffer.length > 0);
        QVERIFY(!reader.endOfStream);
        QVERIFY(QFile::resize(file, 0));
        buffer.length = 0;
        qint64 after = 0;
        for (int call = 0; call < 1000 && !reader.endOfStream; ++call) {
            reader.decodeAudio(buffer, 16);
            after += buffer.length;
            buffer.length = 0;
        }
        QVERIFY(reader.endOfStream);
        const qint64 quarter = qint64(longer.seconds / 4 * OutputRate * 4);
        QVERIFY2(after < quarter, "decoded the whole file although it was cut");

        // And seeking in it afterwards does not bring anything back.
        reader.seek(0.5);
        const Decoded cut = decodeAll(reader);
        QVERIFY(cut.ended);
        QCOMPARE(cut.frames(), qint64(0));
    }

    // The reader's states: a new or closed reader has nothing to decode; an
    // impossible output format is refused; open starts over on a new file.
    void lifecycle()
    {
        AudioReader reader;
        QVERIFY(!reader.endOfStream);
        SampleDecoding buffer;
        QVERIFY(buffer.allocate(4096));
        reader.decodeAudio(buffer, 16);
        QVERIFY(reader.endOfStream);
        QCOMPARE(buffer.length.load(), 0);

        QVERIFY(!reader.open(tonePath(0), outputFormat(1.0e9, 0, OutputRate)));
        QVERIFY(!reader.open(tonePath(0), outputFormat(1.0e9, 2, 0)));

        // One clip partly decoded, then the next one: only the second sounds.
        QVERIFY(reader.open(tonePath(4), outputFormat()));
        QVERIFY(reader.errorString().isEmpty());
        reader.seek(0.0);
        reader.decodeAudio(buffer, 16);
        QVERIFY(!reader.endOfStream);
        QVERIFY(reader.open(tonePath(0), outputFormat()));
        QVERIFY(!reader.endOfStream);
        reader.seek(0.0);
        const Decoded second = decodeAll(reader);
        QVERIFY(second.ended);
        QCOMPARE(second.frames(), qint64(ToneSeconds * OutputRate));
        QCOMPARE(channelOf(second.samples, 2, 1), channelOf(second.samples, 2, 0)); // the mono file

        // Seeking back after the end plays again.
        reader.seek(1.5);
        QVERIFY(!reader.endOfStream);
        const Decoded again = decodeAll(reader);
        QCOMPARE(again.frames(), qint64(0.5 * OutputRate));

        reader.close();
        QVERIFY(!reader.endOfStream);
        reader.seek(0.0);
        QVERIFY(reader.endOfStream);
    }

    // The shared sample music: what parse reports, the length decoded, and
    // seeking into the middle of each file.
    void sampleMusic_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<double>("duration");
        QTest::newRow("ogg vorbis") << "knolls-20s.ogg" << 2 << 44100 << 20.0;
        QTest::newRow("mp3") << "elvish-15s.mp3" << 2 << 44100 << 15.05;
        QTest::newRow("wav mono 22 kHz") << "sad-mono-22k.wav" << 1 << 22050 << 10.0;
        QTest::newRow("m4a aac") << "journeys-8s.m4a" << 2 << 48000 << 8.0;
    }
    void sampleMusic()
    {
        QFETCH(QString, name);
        QFETCH(int, channels);
        QFETCH(int, sampleRate);
        QFETCH(double, duration);
        const QString file = mediaFile(name);
        AudioInfo info = sentinelRecord(file);
        QVERIFY(AudioReader::parse(info));
        QCOMPARE(info.channels, channels);
        QCOMPARE(info.sampleRate, sampleRate);
        QCOMPARE(info.bitsPerSample, 16);
        QVERIFY_NEAR("duration", info.duration, duration, 0.01);
        QCOMPARE(info.startTime, 0.0);
        QCOMPARE(info.endTime, info.duration);
        QCOMPARE(info.suffix, QFileInfo(file).suffix());
        QCOMPARE(info.fileSize, QFileInfo(file).size());
        QCOMPARE(info.lastModified, QFileInfo(file).lastModified());

        const Decoded whole = decodeFile(file);
        QVERIFY(whole.ended);
        const double seconds = double(whole.frames()) / OutputRate;
        QVERIFY_NEAR("decoded length", seconds, duration, 0.06);
        const QVector<double> left = channelOf(whole.samples, 2, 0);
        QVERIFY(toneAmplitude(left) > 0.01);
        if (channels == 1)
            QCOMPARE(channelOf(whole.samples, 2, 1), left);

        const double position = std::floor(duration / 2.0) + 0.37;
        const Decoded after = decodeFile(file, position, 1.0e9, 2400);
        QVERIFY(after.frames() >= 2400);
        const qint64 expected = std::llround(position * OutputRate);
        double correlation = 0.0;
        const QVector<double> piece = channelOf(after.samples, 2, 0).mid(0, 2400);
        const qint64 found = bestOffset(left, piece, expected, SearchSamples, &correlation);
        QVERIFY_NEAR("correlation", correlation, 1.0, 0.01);
        // A seek starts on a whole sample of the file; at another rate than
        // the output that is up to half a file sample from the position.
        const qint64 slack = sampleRate == OutputRate ? 0 : 1;
        QVERIFY_NEAR("landed at", found, expected, slack);
    }
};

} // namespace

std::unique_ptr<QObject> makeAudioReaderTests() { return std::make_unique<AudioReaderTest>(); }

#include "tst_audioreader.moc"
