// Sound analysis: the per-file result cache, the beat tracker on click
// tracks and real songs, what counts as a steady beat, where photo changes
// go, and the album setting that asks for it.

#include "albumdocument.h"
#include "albumfile.h"
#include "analysiscache.h"
#include "beatanalysis.h"
#include "beattiming.h"
#include "clicktrack.h"
#include "infoparser.h"
#include "modeltests.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QUndoStack>

Q_DECLARE_METATYPE(BeatTimingInput)

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Times = QVector<double>;

AudioInfo clipOf(double start, double end)
{
    AudioInfo clip;
    clip.filePath = QStringLiteral("song.wav");
    clip.startTime = start;
    clip.endTime = end;
    clip.duration = end;
    return clip;
}

BeatTimingInput timing(int photos, double photoSeconds, double transitionSeconds, bool useTransition)
{
    BeatTimingInput input;
    input.photoCount = photos;
    input.photoSeconds = photoSeconds;
    input.transitionSeconds = transitionSeconds;
    input.useTransition = useTransition;
    return input;
}

Times grid(double first, double step, double until)
{
    Times times;
    for (double t = first; t < until; t += step)
        times.append(t);
    return times;
}

class AnalysisTest : public QObject
{
    Q_OBJECT

    QTemporaryDir work;

    QString soundFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = work.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

private slots:
    void cacheKeepsResultsPerFileAndKind()
    {
        const AnalysisCache cache(work.filePath(QStringLiteral("cache-a")));
        const QString song = soundFile(QStringLiteral("a.wav"), QByteArray(1000, 'a'));
        const QString other = soundFile(QStringLiteral("b.wav"), QByteArray(1000, 'a'));
        const QJsonObject beats{{QStringLiteral("beats"), QJsonArray{0.5, 1.0, 1.5}}};
        QVERIFY(!cache.load(QStringLiteral("beats"), song));
        QVERIFY(cache.store(QStringLiteral("beats"), song, beats));
        QCOMPARE(cache.load(QStringLiteral("beats"), song), beats);
        QVERIFY(!cache.load(QStringLiteral("loudness"), song));
        QVERIFY(!cache.load(QStringLiteral("beats"), other));
        // Another cache over the same folder (a second album, a later run) finds it too.
        QCOMPARE(AnalysisCache(cache.folder()).load(QStringLiteral("beats"), song), beats);
    }

    void cacheMisses_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("file grew") << "grow";
        QTest::newRow("file touched") << "touch";
        QTest::newRow("file removed") << "remove";
        QTest::newRow("entry cut short") << "truncate";
        QTest::newRow("entry not json") << "garbage";
        QTest::newRow("entry for another file") << "foreign";
        QTest::newRow("entry of an unknown format") << "format";
    }
    void cacheMisses()
    {
        QFETCH(QString, change);
        const AnalysisCache cache(work.filePath(QStringLiteral("cache-") + change));
        const QString song = soundFile(change + QStringLiteral(".wav"), QByteArray(4000, 's'));
        const QString other = soundFile(change + QStringLiteral("-other.wav"), QByteArray(4000, 's'));
        const QString kind = QStringLiteral("beats");
        QVERIFY(cache.store(kind, song, QJsonObject{{QStringLiteral("steady"), true}}));
        QVERIFY(cache.store(kind, other, QJsonObject{{QStringLiteral("steady"), false}}));
        QVERIFY(cache.load(kind, song));
        const QString entry = cache.entryPath(kind, song);
        QByteArray stored = fileBytes(entry);

        if (change == QLatin1String("grow")) {
            QFile file(song);
            QVERIFY(file.open(QIODevice::Append));
            file.write("x");
        } else if (change == QLatin1String("touch")) {
            QFile file(song);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        } else if (change == QLatin1String("remove")) {
            QVERIFY(QFile::remove(song));
        } else if (change == QLatin1String("truncate")) {
            QVERIFY(writeBytes(entry, stored.left(stored.size() / 2)));
        } else if (change == QLatin1String("garbage")) {
            QVERIFY(writeBytes(entry, QByteArray(200, '\xff')));
        } else if (change == QLatin1String("foreign")) {
            QVERIFY(writeBytes(entry, fileBytes(cache.entryPath(kind, other))));
        } else if (change == QLatin1String("format")) {
            QVERIFY(writeBytes(entry, stored.replace("\"format\":1", "\"format\":99")));
        }
        QVERIFY(!cache.load(kind, song));
        QVERIFY(cache.load(kind, other)); // one bad entry spoils no other
    }

    void cacheInUnwritableFolderStoresNothing()
    {
        const QString blocker = soundFile(QStringLiteral("not-a-folder"), "x");
        const AnalysisCache cache(blocker + QStringLiteral("/analysis"));
        const QString song = soundFile(QStringLiteral("c.wav"), QByteArray(10, 'c'));
        QVERIFY(!cache.store(QStringLiteral("beats"), song, QJsonObject{}));
        QVERIFY(!cache.load(QStringLiteral("beats"), song));
    }

    void steadiness_data()
    {
        QTest::addColumn<Times>("beats");
        QTest::addColumn<bool>("steady");
        QTest::newRow("120 bpm") << grid(0.3, 0.5, 20.0) << true;
        QTest::newRow("too few beats") << grid(0.3, 0.5, 3.0) << false;
        QTest::newRow("faster than 240 bpm") << grid(0.0, 0.2, 20.0) << false;
        QTest::newRow("slower than 40 bpm") << grid(0.0, 2.0, 60.0) << false;
        Times missed = grid(0.0, 0.6, 20.0);
        missed.removeAt(10);
        missed.removeAt(20);
        QTest::newRow("two missed beats") << missed << true;
        Times scattered;
        double t = 0.0;
        QRandomGenerator random(7);
        for (int i = 0; i < 40; ++i)
            scattered.append(t += 0.25 + random.generateDouble());
        QTest::newRow("scattered") << scattered << false;
    }
    void steadiness()
    {
        QFETCH(Times, beats);
        QFETCH(bool, steady);
        QCOMPARE(steadyBeats(beats), steady);
    }

    void beatsOfClickTracks_data()
    {
        QTest::addColumn<double>("bpm");
        QTest::addColumn<double>("lead");
        QTest::newRow("120 bpm") << 120.0 << 0.0;
        QTest::newRow("90 bpm after 0.25 s") << 90.0 << 0.25;
    }
    void beatsOfClickTracks()
    {
        QFETCH(double, bpm);
        QFETCH(double, lead);
        ClickTrack track;
        track.bpm = bpm;
        track.lead = lead;
        const QString path = work.filePath(QStringLiteral("click-%1.wav").arg(bpm));
        QVERIFY(track.write(path));
        QString error;
        const std::optional<BeatTrack> found = analyseBeats(path, {}, &error);
        QVERIFY2(found, qPrintable(error));
        QVERIFY(found->steady);
        QVERIFY2(std::abs(found->bpm - bpm) < 0.02 * bpm, qPrintable(QString::number(found->bpm)));
        // Once the tracker has locked on (a few seconds), every click is found within 15 ms and
        // nothing is found between clicks.
        const Times clicks = track.clicks();
        int matched = 0, after = 0;
        for (const double beat : found->beats) {
            if (beat < 4.0 || beat > clicks.constLast() + 0.1) // the tracker's last guess outlives the clicks
                continue;
            ++after;
            const auto nearest = std::min_element(clicks.cbegin(), clicks.cend(), [beat](double a, double b) {
                return std::abs(a - beat) < std::abs(b - beat);
            });
            QVERIFY2(std::abs(*nearest - beat) < 0.015,
                     qPrintable(QStringLiteral("beat %1, click %2").arg(beat).arg(*nearest)));
            ++matched;
        }
        const auto expected = std::count_if(clicks.cbegin(), clicks.cend(), [](double c) { return c >= 4.02; });
        QVERIFY2(matched >= expected - 1, qPrintable(QStringLiteral("%1 of %2").arg(matched).arg(expected)));
        QCOMPARE(after, matched);
    }

    void analysisIsCachedAndCancellable()
    {
        ClickTrack track;
        const QString path = work.filePath(QStringLiteral("cached.wav"));
        QVERIFY(track.write(path));
        const AnalysisCache cache(work.filePath(QStringLiteral("cache-analyzer")));
        BeatAnalyzer analyzer(cache);
        QSignalSpy analysed(&analyzer, &BeatAnalyzer::analysed);
        QVERIFY(!analyzer.request({path}));
        QVERIFY(analysed.wait(20000));
        QCOMPARE(analysed.at(0).at(0).toString(), path);
        QVERIFY(analysed.at(0).at(1).toBool());
        QVERIFY(analyzer.beats(path) && analyzer.beats(path)->steady);
        // A second album with the same song: known at once, nothing queued.
        BeatAnalyzer second(AnalysisCache(cache.folder()));
        QVERIFY(second.request({path}));
        QVERIFY(!second.busy());

        // A cancel stops the analysis and stores nothing.
        int calls = 0;
        QString error;
        QVERIFY(!analyseBeats(
            path, [&calls](double) { return ++calls < 3; }, &error));
        QCOMPARE(calls, 3);
        QVERIFY(!error.isEmpty());
        QVERIFY(!analyseBeats(work.filePath(QStringLiteral("absent.wav")), {}, &error));

        // A file that cannot be analysed is tried once, not again on every request, until a retry.
        const QString broken = work.filePath(QStringLiteral("broken.wav"));
        QVERIFY(writeBytes(broken, QByteArray(4000, 'x')));
        analysed.clear();
        QVERIFY(!analyzer.request({broken}));
        QVERIFY(analysed.wait(20000));
        QVERIFY(!analysed.at(0).at(1).toBool());
        analyzer.waitForDone();
        QVERIFY(analyzer.request({broken}));
        QVERIFY(!analyzer.busy());
        analyzer.retry();
        QVERIFY(!analyzer.request({broken}));
        analyzer.waitForDone();
    }

    void beatsOfRealSongsAreNear_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("mp3") << "elvish-15s.mp3";
        QTest::newRow("m4a") << "journeys-8s.m4a";
        QTest::newRow("ogg") << "knolls-20s.ogg";
        QTest::newRow("mono wav") << "sad-mono-22k.wav";
    }
    void beatsOfRealSongsAreNear()
    {
        QFETCH(QString, file);
        AudioInfo clip;
        clip.filePath = mediaFile(file);
        QVERIFY(InfoParser::probeSound(clip).isEmpty());
        QElapsedTimer clock;
        clock.start();
        const std::optional<BeatTrack> found = analyseBeats(clip.filePath);
        QVERIFY(found);
        qInfo("%s: %lld beats, %.1f bpm, %s, %.0f x real time", qPrintable(file), qlonglong(found->beats.size()),
              found->bpm, found->steady ? "steady" : "no steady beat",
              clip.duration / std::max(1e-3, clock.nsecsElapsed() / 1e9));
        for (const double beat : found->beats)
            QVERIFY(beat >= 0.0 && beat <= clip.duration + 0.05);

        // Placed cuts stay within 40 % of the set length, with or without transitions.
        for (const bool transitions : {false, true}) {
            BeatTimingInput input = timing(int(clip.duration / 1.5) + 1, 1.2, 0.3, transitions);
            input.clips = {clip};
            input.clipBeats = {found->beats}; // steady or not, the rules hold
            const Times even = evenPhotoChanges(input);
            const Times placed = placePhotoChanges(input);
            QCOMPARE(placed.size(), even.size());
            for (qsizetype i = 0; i < placed.size(); ++i)
                QVERIFY(std::abs(placed[i] - even[i]) <= 0.4 * 1.2 + 1e-9);
        }
    }

    void placedChanges_data()
    {
        QTest::addColumn<BeatTimingInput>("input");
        QTest::addColumn<Times>("expected");

        BeatTimingInput input = timing(3, 3.0, 1.0, true);
        QTest::newRow("no beats: even") << input << Times{3.5, 7.5};

        input.clips = {clipOf(0.0, 20.0)};
        input.clipBeats = {grid(0.2, 0.5, 20.0)};
        QTest::newRow("middle of each transition to the nearest beat") << input << Times{3.7, 7.7};

        input = timing(3, 2.0, 1.0, false);
        input.clips = {clipOf(0.0, 20.0)};
        input.clipBeats = {{1.3, 2.6, 3.9}};
        QTest::newRow("cuts without transitions") << input << Times{2.6, 3.9};

        input = timing(2, 2.0, 0.0, false);
        input.clips = {clipOf(0.0, 20.0)};
        input.clipBeats = {{2.9}};
        QTest::newRow("beat beyond 40 % of the photo") << input << Times{2.0};

        input = timing(2, 0.8, 0.5, true);
        input.clips = {clipOf(0.0, 20.0)};
        input.clipBeats = {{1.37}};
        QTest::newRow("last photo keeps 0.5 s alone") << input << Times{1.05};

        input = timing(3, 1.0, 0.5, true);
        input.clips = {clipOf(0.0, 20.0)};
        input.clipBeats = {{1.64, 2.40, 3.30}};
        QTest::newRow("photo between two moves keeps 0.5 s alone") << input << Times{1.64, 2.75};

        input = timing(2, 3.0, 0.0, false);
        input.clips = {clipOf(10.0, 30.0)};
        input.clipBeats = {{9.9, 11.3, 13.6}};
        QTest::newRow("beats of the trim, on the album's time") << input << Times{3.6};

        input = timing(4, 2.5, 0.0, false);
        input.clips = {clipOf(0.0, 5.0), clipOf(0.0, 10.0)};
        input.clipBeats = {{2.2}, {}};
        QTest::newRow("clip without steady beat keeps its changes") << input << Times{2.2, 5.0, 7.5};

        input = timing(4, 3.0, 0.0, false);
        input.clips = {clipOf(0.0, 4.0)};
        input.clipBeats = {{1.1}};
        QTest::newRow("without loop the beats end with the track") << input << Times{3.0, 6.0, 9.0};
        input.loop = true;
        QTest::newRow("looped track brings its beats again") << input << Times{3.0, 5.1, 9.1};

        input = timing(3, 0.4, 0.5, true);
        input.clips = {clipOf(0.0, 20.0)};
        input.clipBeats = {grid(0.0, 0.1, 20.0)};
        QTest::newRow("photos too short to move") << input << Times{0.65, 1.55};
    }
    void placedChanges()
    {
        QFETCH(BeatTimingInput, input);
        QFETCH(Times, expected);
        const Times placed = placePhotoChanges(input);
        QCOMPARE(placed.size(), expected.size());
        for (qsizetype i = 0; i < placed.size(); ++i)
            QVERIFY2(std::abs(placed[i] - expected[i]) < 1e-9,
                     qPrintable(QStringLiteral("change %1 at %2, expected %3").arg(i).arg(placed[i]).arg(expected[i])));
    }

    // Whatever the beats, the rules hold: within 40 %, every photo alone for 0.5 s, the album as long as
    // before, and each change either where it was or on a beat.
    void placedChangesKeepTheRules()
    {
        QRandomGenerator random(2026);
        for (int round = 0; round < 300; ++round) {
            BeatTimingInput input = timing(2 + int(random.bounded(20)), 0.6 + random.generateDouble() * 6.0,
                                           random.generateDouble() * 3.0, random.bounded(2) == 1);
            input.clips = {clipOf(0.0, 7.0 + random.generateDouble() * 40.0), clipOf(3.0, 20.0)};
            input.loop = random.bounded(2) == 1;
            for (int c = 0; c < 2; ++c) {
                Times beats;
                for (double t = random.generateDouble(); t < 40.0; t += 0.05 + random.generateDouble() * 2.0)
                    beats.append(t);
                input.clipBeats.append(beats);
            }
            const double P = input.photoSeconds;
            const double T = input.useTransition ? input.transitionSeconds : 0.0;
            const double end = input.photoCount * P + (input.photoCount - 1) * T;
            const Times even = evenPhotoChanges(input);
            const Times placed = placePhotoChanges(input);
            const Times beats = albumBeats(input, end);
            QCOMPARE(placed.size(), qsizetype(input.photoCount - 1));
            double previous = -T / 2.0;
            for (qsizetype i = 0; i < placed.size(); ++i) {
                const QString where = QStringLiteral("round %1 change %2").arg(round).arg(i);
                QVERIFY2(std::abs(placed[i] - even[i]) <= 0.4 * P + 1e-9, qPrintable(where));
                QVERIFY2(placed[i] - previous >= T + 0.5 - 1e-9, qPrintable(where));
                QVERIFY2(placed[i] == even[i] || beats.contains(placed[i]), qPrintable(where));
                previous = placed[i];
            }
            QVERIFY(end + T / 2.0 - previous >= T + 0.5 - 1e-9); // the last photo alone for 0.5 s
        }
    }

    void beatCutsSetting()
    {
        AlbumDocument document;
        QVERIFY(!document.data().beatCuts);
        document.setBeatCuts(true);
        document.setBeatCuts(true);
        QVERIFY(document.data().beatCuts);
        QCOMPARE(document.undoStack()->count(), 1);
        document.undoStack()->undo();
        QVERIFY(!document.data().beatCuts);

        // Saved and read back; an album file without the key (older) reads as off, a wrong type is refused.
        AlbumContents contents;
        contents.beatCuts = true;
        const QString file = work.filePath(QStringLiteral("beat.reelwright"));
        QString error;
        QVERIFY2(AlbumFile::write(file, contents, &error), qPrintable(error));
        QVERIFY(AlbumFile::read(file).album.beatCuts);
        QJsonObject root = QJsonDocument::fromJson(fileBytes(file)).object();
        QJsonObject settings = root.value(QStringLiteral("settings")).toObject();
        settings.remove(QStringLiteral("beatCuts"));
        root.insert(QStringLiteral("settings"), settings);
        QVERIFY(writeBytes(file, QJsonDocument(root).toJson()));
        AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY(!read.album.beatCuts);
        settings.insert(QStringLiteral("beatCuts"), 1);
        root.insert(QStringLiteral("settings"), settings);
        QVERIFY(writeBytes(file, QJsonDocument(root).toJson()));
        QVERIFY(!AlbumFile::read(file).ok);
    }
};

} // namespace

std::unique_ptr<QObject> makeAnalysisTests() { return std::make_unique<AnalysisTest>(); }

#include "tst_analysis.moc"
