// Loudness: the meter on tones of known level, the gain rule, and the store
// that keeps each file's measurement in memory and in its cache folder.

#include "audiofixtures.h"
#include "loudness.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

double dB(double amplitude) { return 20.0 * std::log10(amplitude); }

class LoudnessTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    QString toneFile(double amplitude, int channels = 1, int rate = 44100, double seconds = 3.0)
    {
        TestSignal signal;
        signal.sampleRate = rate;
        signal.channels = channels;
        signal.seconds = seconds;
        signal.amplitude = amplitude;
        signal.frequency = {1000.0};
        const QString file = m_dir.filePath(QStringLiteral("tone%1.wav").arg(++m_files));
        QString error;
        if (!writeSignalFile(file, "wav", "pcm_s16le", signal, {}, &error)) {
            qWarning("%s", qPrintable(error));
            return {};
        }
        return file;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // A 1 kHz sine heard on both channels reads its own peak level in LUFS
    // (the meter's calibration); a mono file counts as heard on both.
    void measuresTonesAtTheirLevel_data()
    {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        QTest::newRow("mono -6 dBFS 44.1 kHz") << 0.5 << 1 << 44100;
        QTest::newRow("stereo -18 dBFS 48 kHz") << 0.125 << 2 << 48000;
        QTest::newRow("mono -12 dBFS 22.05 kHz") << 0.25 << 1 << 22050;
    }

    void measuresTonesAtTheirLevel()
    {
        QFETCH(double, amplitude);
        QFETCH(int, channels);
        QFETCH(int, rate);
        const QString file = toneFile(amplitude, channels, rate);
        QVERIFY(!file.isEmpty());
        QList<double> fractions;
        const auto measure = Loudness::measure(file, [&](double fraction) {
            fractions << fraction;
            return true;
        });
        QVERIFY(measure);
        QVERIFY2(std::abs(measure->integratedLufs - dB(amplitude)) < 0.3,
                 qPrintable(QString::number(measure->integratedLufs)));
        QVERIFY2(std::abs(measure->truePeakDb - dB(amplitude)) < 0.3, qPrintable(QString::number(measure->truePeakDb)));
        QVERIFY(std::abs(measure->seconds - 3.0) < 0.01);
        QVERIFY(fractions.size() >= 2);
        QVERIFY(std::is_sorted(fractions.cbegin(), fractions.cend()));
        QVERIFY(fractions.last() > 0.99 && fractions.last() <= 1.0);
    }

    void gainReachesTargetWithoutClipping_data()
    {
        QTest::addColumn<double>("lufs");
        QTest::addColumn<double>("peak");
        QTest::addColumn<double>("gain");
        QTest::newRow("loud: turned down") << -6.0 << -0.5 << -10.0;
        QTest::newRow("quiet, low peaks: turned up") << -30.0 << -20.0 << 14.0;
        QTest::newRow("quiet, high peaks: up to the ceiling") << -30.0 << -3.0 << 2.0;
        QTest::newRow("peaks at full scale: down to the ceiling") << -20.0 << 0.0 << -1.0;
        QTest::newRow("at the target") << -16.0 << -10.0 << 0.0;
        QTest::newRow("silence") << -Inf << -Inf << 0.0;
        QTest::newRow("below the gate, with a click") << -Inf << -6.0 << 0.0;
    }

    void gainReachesTargetWithoutClipping()
    {
        QFETCH(double, lufs);
        QFETCH(double, peak);
        QFETCH(double, gain);
        const LoudnessMeasure measure{lufs, peak, 10.0};
        QCOMPARE(Loudness::gainDb(measure), gain);
        QVERIFY(std::abs(Loudness::gainFactor(measure) - std::pow(10.0, gain / 20.0)) < 1e-12);
    }

    // Silence has no loudness; it gets no gain, also after the cache.
    void silenceStaysSilence()
    {
        const QString file = toneFile(0.0);
        QVERIFY(!file.isEmpty());
        QTemporaryDir cache;
        LoudnessStore store(cache.path());
        const auto measured = store.measureNow(file);
        QVERIFY(measured);
        QCOMPARE(measured->integratedLufs, -Inf);
        QCOMPARE(measured->truePeakDb, -Inf);
        QCOMPARE(Loudness::gainFactor(*measured), 1.0);
        const auto stored = LoudnessStore(cache.path()).find(file);
        QVERIFY(stored);
        QCOMPARE(stored->integratedLufs, -Inf);
        QCOMPARE(stored->truePeakDb, -Inf);
    }

    void notSoundGivesNothing()
    {
        const QString file = m_dir.filePath(QStringLiteral("not-sound.wav"));
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("RIFF but not really a wave file at all");
        text.close();
        QVERIFY(!Loudness::measure(file));
        QVERIFY(!Loudness::measure(m_dir.filePath(QStringLiteral("absent.wav"))));

        QTemporaryDir cache;
        LoudnessStore store(cache.path());
        QSignalSpy failed(&store, &LoudnessStore::failed);
        store.request({file});
        QVERIFY(failed.wait(5000));
        QCOMPARE(failed.first().first().toString(), file);
        QVERIFY(!store.find(file));
    }

    void stoppedMeasurementGivesNothing()
    {
        const QString file = toneFile(0.25, 1, 44100, 8.0);
        QVERIFY(!file.isEmpty());
        int calls = 0;
        QVERIFY(!Loudness::measure(file, [&](double) { return ++calls < 2; }));
        QCOMPARE(calls, 2);
        QTemporaryDir cache;
        LoudnessStore store(cache.path());
        QVERIFY(!store.measureNow(file, [](double) { return false; }));
        // Nothing half-measured was kept.
        QVERIFY(!store.find(file));
    }

    // A second store on the same folder (the next start of the program)
    // knows the file without measuring; a changed file is measured again.
    void cacheFollowsTheFile()
    {
        const QString file = toneFile(0.5);
        QVERIFY(!file.isEmpty());
        QTemporaryDir cache;
        {
            LoudnessStore store(cache.path());
            QVERIFY(!store.find(file));
            QSignalSpy measured(&store, &LoudnessStore::measured);
            store.request({file});
            QVERIFY(measured.wait(5000));
            QCOMPARE(measured.first().first().toString(), file);
            QVERIFY(!store.busy());
        }
        {
            LoudnessStore again(cache.path());
            const auto known = again.find(file);
            QVERIFY(known);
            QVERIFY(std::abs(known->integratedLufs - dB(0.5)) < 0.3);
        }
        // Same name, other sound (and size): the old value does not hold.
        QVERIFY(QFile::remove(file));
        TestSignal quieter;
        quieter.amplitude = 0.125;
        quieter.frequency = {1000.0};
        quieter.seconds = 2.0;
        QString error;
        QVERIFY2(writeSignalFile(file, "wav", "pcm_s16le", quieter, {}, &error), qPrintable(error));
        LoudnessStore third(cache.path());
        QVERIFY(!third.find(file));
        const auto remeasured = third.measureNow(file);
        QVERIFY(remeasured && std::abs(remeasured->integratedLufs - dB(0.125)) < 0.3);
    }

    // A damaged cache entry is no measurement and no failure.
    void damagedCacheIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("not JSON") << QByteArray("{{{");
        QTest::newRow("no result") << QByteArray("{\"path\": \"x\"}");
        QTest::newRow("result of another kind")
            << QByteArray("{\"format\": 1, \"kind\": \"loudness\", \"result\": {\"bpm\": 120}}");
        QTest::newRow("empty") << QByteArray();
    }

    void damagedCacheIsIgnored()
    {
        QFETCH(QByteArray, stored);
        const QString file = toneFile(0.25, 1, 44100, 1.0);
        QTemporaryDir cache;
        QVERIFY(LoudnessStore(cache.path()).measureNow(file));
        QFile entry(AnalysisCache(cache.path()).entryPath(QStringLiteral("loudness"), file));
        QVERIFY(entry.exists());
        QVERIFY(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
        entry.write(stored);
        entry.close();
        LoudnessStore store(cache.path());
        QVERIFY(!store.find(file));
        QVERIFY(store.measureNow(file));
    }

    // Cancelled work ends quietly: no news of the files it dropped.
    void cancelDropsTheQueue()
    {
        QStringList files;
        for (int i = 0; i < 3; ++i)
            files << toneFile(0.25, 2, 48000, 20.0);
        QTemporaryDir cache;
        LoudnessStore store(cache.path());
        QSignalSpy measured(&store, &LoudnessStore::measured);
        QSignalSpy failed(&store, &LoudnessStore::failed);
        store.request(files);
        store.cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!store.busy(), 10000);
        QTest::qWait(50);
        QCOMPARE(measured.size() + failed.size(), 0);
        QVERIFY(!store.find(files.last()));
    }
};

} // namespace

std::unique_ptr<QObject> makeLoudnessTests() { return std::make_unique<LoudnessTest>(); }

#include "tst_loudness.moc"
