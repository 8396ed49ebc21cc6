// What the renderer does to the sound on its way into the buffer: the fade
// at the end of the album, the fade-in of a clip trimmed to start mid-song,
// and the gain that evens the clips' loudness out, for the compile (which
// waits for a measurement) and the preview (which does not).

#include "loudness.h"
#include "rendertests.h"
#include "storyboardrender.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr int Rate = 48000;
constexpr int FrameSamples = 1920; // at 25 frames a second

AudioInfo clipRecord(const QString& path, double start, double end)
{
    AudioInfo clip;
    clip.filePath = path;
    clip.startTime = start;
    clip.endTime = end;
    return clip;
}

// One photo of `photoMs` (no file: only the sound is taken here).
StoryBoardData soundAlbum(int photoMs)
{
    StoryBoardData data;
    data.patternFiles.clear();
    ImageInfo photo;
    photo.filePath = QStringLiteral("/none.png");
    data.photos = {photo};
    data.photoMs = photoMs;
    data.photoSeconds = photoMs / 1000.0;
    return data;
}

struct SoundRender : StoryBoardRender {
    SoundRender(StoryBoardData& data, LoudnessStore& store)
    {
        RenderParam param;
        param.width = 16;
        param.height = 16;
        init(param);
        setStoryBoard(&data);
        setLoudnessStore(&store);
        // As the compile takes it; the preview's way is tested on its own.
        waitForLoudness = true;
    }
};

// The left channel of `frames` video frames from `first` on.
QVector<qint16> play(StoryBoardRender& render, unsigned long first, int frames)
{
    render.positionAudioReader(first);
    render.start();
    QVector<qint16> left;
    int carry = 0;
    for (int i = 0; i < frames; ++i) {
        if (!render.takeSound(carry, [&](const char* data, int bytes) {
                const auto* samples = reinterpret_cast<const qint16*>(data);
                for (int s = 0; s < bytes / 4; ++s)
                    left.append(samples[2 * s]);
            }))
            break;
    }
    render.stop();
    render.wait(5000);
    return left;
}

// Root mean square of x[from, from + count).
double rms(const QVector<qint16>& x, int from, int count)
{
    double sum = 0.0;
    for (int i = from; i < from + count; ++i)
        sum += double(x[i]) * x[i];
    return std::sqrt(sum / count);
}

qint16 sine(double amplitude, int i)
{
    return qint16(std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * 1000.0 * i / Rate)));
}

class SoundShapingTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_level; // 10000 in every sample, 12 s
    std::unique_ptr<LoudnessStore> m_store;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_level = writeWav(path(QStringLiteral("level.wav")), Rate, 2, 12 * Rate, [](int) { return 10000; });
        QVERIFY(!m_level.isEmpty());
        m_store = std::make_unique<LoudnessStore>(path(QStringLiteral("cache")));
    }

    // Over the last fadeMs the level falls in a straight line to nothing
    // at the album's last sample; before it the sound is untouched. A
    // start inside the fade (the preview's seek) continues the same line.
    void fadeOutEndsTheAlbum_data()
    {
        QTest::addColumn<int>("fadeMs");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<unsigned long>("seekFrame");
        QTest::newRow("2 s") << 2000 << false << 100ul;
        QTest::newRow("half a second, looping") << 500 << true << 120ul;
        QTest::newRow("longer than the album") << 8000 << false << 30ul;
        QTest::newRow("off") << 0 << false << 100ul;
    }

    void fadeOutEndsTheAlbum()
    {
        QFETCH(int, fadeMs);
        QFETCH(bool, loop);
        QFETCH(unsigned long, seekFrame);
        StoryBoardData data = soundAlbum(5000);
        data.fadeMs = fadeMs;
        data.loopAudio = loop;
        data.audios = {clipRecord(m_level, 0.0, loop ? 1.5 : 12.0)};
        SoundRender render(data, *m_store);
        QCOMPARE(render.totalFrames, 125u);
        const int end = 125 * FrameSamples;
        const QVector<qint16> left = play(render, 0, 160);
        QCOMPARE(left.size(), 160 * FrameSamples);

        const int length = fadeMs * Rate / 1000;
        for (int i = 0; i < left.size(); i += 97) {
            const double expected = i >= end           ? (fadeMs > 0 ? 0.0 : 10000.0)
                                    : end - i < length ? 10000.0 * (end - i) / length
                                                       : 10000.0;
            QVERIFY2(std::abs(left[i] - expected) <= 1.0,
                     qPrintable(QStringLiteral("sample %1: %2, not %3").arg(i).arg(left[i]).arg(expected)));
        }
        if (fadeMs > 0) {
            QVERIFY(std::abs(left[end - 1]) <= 1);
            for (int i = std::max(0, end - length) + 1; i < end; ++i)
                QVERIFY(left[i] <= left[i - 1]);
        }

        const QVector<qint16> resumed = play(render, seekFrame, 30);
        QCOMPARE(resumed.size(), 30 * FrameSamples);
        const QVector<qint16> same = left.mid(int(seekFrame) * FrameSamples, 30 * FrameSamples);
        for (int i = 0; i < resumed.size(); ++i)
            QVERIFY2(std::abs(resumed[i] - same[i]) <= 1, qPrintable(QString::number(i)));
    }

    // A clip that starts mid-song rises from nothing over half a second,
    // also when the preview starts inside that half second; one that starts
    // at the beginning of its song comes in at once, and so does every clip
    // of an album whose fades are off.
    void trimmedClipFadesIn_data()
    {
        QTest::addColumn<double>("trimStart");
        QTest::addColumn<unsigned long>("seekFrame");
        QTest::addColumn<int>("fadeMs");
        QTest::addColumn<int>("rampSamples");
        QTest::newRow("trimmed") << 1.0 << 0ul << 2000 << 24000;
        QTest::newRow("trimmed, started 0.2 s in") << 1.0 << 5ul << 2000 << 24000;
        QTest::newRow("from the beginning") << 0.0 << 0ul << 2000 << 0;
        QTest::newRow("trimmed, fades off") << 1.0 << 0ul << 0 << 0;
    }

    void trimmedClipFadesIn()
    {
        QFETCH(double, trimStart);
        QFETCH(unsigned long, seekFrame);
        QFETCH(int, fadeMs);
        QFETCH(int, rampSamples);
        StoryBoardData data = soundAlbum(5000);
        data.fadeMs = fadeMs;
        data.audios = {clipRecord(m_level, trimStart, 6.0)};
        SoundRender render(data, *m_store);
        const QVector<qint16> left = play(render, seekFrame, 25);
        QCOMPARE(left.size(), 25 * FrameSamples);
        const int offset = int(seekFrame) * FrameSamples;
        for (int i = 0; i < left.size(); i += 7) {
            const int inClip = offset + i;
            const double expected = inClip < rampSamples ? 10000.0 * inClip / rampSamples : 10000.0;
            QVERIFY2(std::abs(left[i] - expected) <= 1.0,
                     qPrintable(QStringLiteral("sample %1: %2, not %3").arg(inClip).arg(left[i]).arg(expected)));
        }
    }

    // Tones 12 dB apart come out at one level, each at its own gain; with
    // the setting off, as they are.
    void compileEvensTheClipsOut_data()
    {
        QTest::addColumn<bool>("even");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        const double target = std::pow(10.0, Loudness::TargetLufs / 20.0);
        QTest::newRow("even") << true << target << target;
        QTest::newRow("as they are") << false << 0.5 << 0.125;
    }

    void compileEvensTheClipsOut()
    {
        QFETCH(bool, even);
        QFETCH(double, first);
        QFETCH(double, second);
        const QString loud =
            writeWav(path(QStringLiteral("loud.wav")), Rate, 2, 2 * Rate, [](int i) { return sine(0.5, i); });
        const QString quiet =
            writeWav(path(QStringLiteral("quiet.wav")), Rate, 2, 2 * Rate, [](int i) { return sine(0.125, i); });
        StoryBoardData data = soundAlbum(5000);
        data.evenLoudness = even;
        data.audios = {clipRecord(loud, 0.0, 2.0), clipRecord(quiet, 0.0, 2.0)};
        LoudnessStore store(path(QStringLiteral("fresh-cache")));
        SoundRender render(data, store);
        const QVector<qint16> left = play(render, 0, 100);
        QCOMPARE(left.size(), 100 * FrameSamples);
        const double amplitudeA = rms(left, Rate / 2, Rate) * std::sqrt(2.0) / 32767.0;
        const double amplitudeB = rms(left, 2 * Rate + Rate / 2, Rate) * std::sqrt(2.0) / 32767.0;
        QVERIFY2(std::abs(amplitudeA / first - 1.0) < 0.03, qPrintable(QString::number(amplitudeA)));
        QVERIFY2(std::abs(amplitudeB / second - 1.0) < 0.03, qPrintable(QString::number(amplitudeB)));
        // The compile measured what it had to; nothing was measured when off.
        QCOMPARE(store.find(loud).has_value(), even);
    }

    // Quiet music with loud peaks is raised only as far as its peaks allow:
    // nothing reaches full scale, nothing is cut flat.
    void gainStopsBelowClipping()
    {
        // A -26 dBFS tone with a 2 ms burst at 0.9 of full scale each second.
        const auto value = [](int i) { return sine(i % Rate < 96 ? 0.9 : 0.05, i); };
        const QString spiky = writeWav(path(QStringLiteral("spiky.wav")), Rate, 2, 4 * Rate, value);
        StoryBoardData data = soundAlbum(5000);
        data.evenLoudness = true;
        data.audios = {clipRecord(spiky, 0.0, 4.0)};
        SoundRender render(data, *m_store);
        const QVector<qint16> left = play(render, 0, 100);
        const auto measure = m_store->find(spiky);
        QVERIFY(measure);
        // Evening out alone would want much more than the peaks allow.
        QVERIFY(Loudness::TargetLufs - measure->integratedLufs > 6.0);
        const double ceiling = 32767.0 * std::pow(10.0, Loudness::PeakCeilingDb / 20.0);
        int peak = 0;
        for (qint16 v : left)
            peak = std::max(peak, std::abs(int(v)));
        QVERIFY2(peak <= ceiling + 2.0, qPrintable(QString::number(peak)));
        QVERIFY(peak > 0.9 * ceiling);
    }

    // The preview plays at once: a clip not measured yet starts at unity
    // gain and takes its gain once the store has measured it.
    void previewTakesTheGainWhenKnown()
    {
        const QString tone =
            writeWav(path(QStringLiteral("preview.wav")), Rate, 2, 30 * Rate, [](int i) { return sine(0.5, i); });
        StoryBoardData data = soundAlbum(30000);
        data.evenLoudness = true;
        data.audios = {clipRecord(tone, 0.0, 30.0)};
        LoudnessStore store(path(QStringLiteral("preview-cache")));
        SoundRender render(data, store);
        render.waitForLoudness = false;
        render.positionAudioReader(0);
        render.start();
        QVector<qint16> left;
        int carry = 0;
        const auto take = [&](int frames) {
            for (int i = 0; i < frames; ++i)
                QVERIFY(render.takeSound(carry, [&](const char* bytes, int count) {
                    const auto* samples = reinterpret_cast<const qint16*>(bytes);
                    for (int s = 0; s < count / 4; ++s)
                        left.append(samples[2 * s]);
                }));
        };
        take(10);
        QTRY_VERIFY_WITH_TIMEOUT(store.find(tone).has_value(), 20000);
        // The sound thread looks again every 100 ms.
        QTest::qWait(300);
        // What was decoded ahead at unity plays out first.
        take(400);
        render.stop();
        QVERIFY(render.wait(5000));
        const double before = rms(left, 0, 5 * FrameSamples) * std::sqrt(2.0) / 32767.0;
        const double after = rms(left, left.size() - 5 * FrameSamples, 5 * FrameSamples) * std::sqrt(2.0) / 32767.0;
        QVERIFY2(std::abs(before - 0.5) < 0.01, qPrintable(QString::number(before)));
        const double target = std::pow(10.0, Loudness::TargetLufs / 20.0);
        QVERIFY2(std::abs(after / target - 1.0) < 0.03, qPrintable(QString::number(after)));
    }

    // A clip that cannot be measured (its file is gone) neither holds the
    // sound up nor stops the clips after it.
    void unmeasurableClipDoesNotStall()
    {
        const QString gone = writeWav(path(QStringLiteral("gone.wav")), Rate, 2, Rate, [](int) { return 11; });
        QVERIFY(QFile::remove(gone));
        StoryBoardData data = soundAlbum(5000);
        data.evenLoudness = true;
        data.audios = {clipRecord(gone, 0.0, 1.0), clipRecord(m_level, 0.0, 1.0)};
        SoundRender render(data, *m_store);
        const QVector<qint16> left = play(render, 0, 10);
        QCOMPARE(left.size(), 10 * FrameSamples);
        const auto level = m_store->find(m_level);
        QVERIFY(level);
        const double expected = 10000.0 * Loudness::gainFactor(*level);
        QVERIFY2(std::abs(left.first() - expected) <= 1.0, qPrintable(QString::number(left.first())));
    }
};

} // namespace

std::unique_ptr<QObject> makeSoundShapingTests() { return std::make_unique<SoundShapingTests>(); }

#include "tst_soundshaping.moc"
