// The album document: each edit's resulting order and records, exactly the
// change signals it sends (none for an edit that changes nothing), and the
// one preparation of imported photos that the program and the tools share.

#include "albumdocument.h"
#include "imagereader.h"
#include "modeltests.h"
#include "signallog.h"
#include "photoimport.h"

#include <QSignalSpy>
#include <QTest>

namespace {

ImageInfo photo(const QString& name, qint64 size, int day)
{
    ImageInfo info;
    info.filePath = QStringLiteral("/album/%1.jpg").arg(name);
    info.suffix = QStringLiteral("jpg");
    info.fileSize = size;
    info.lastModified = QDateTime(QDate(2024, 1, day), QTime(12, 0));
    return info;
}

AudioInfo clip(const QString& name, double duration)
{
    AudioInfo info;
    info.filePath = QStringLiteral("/music/%1.mp3").arg(name);
    info.duration = duration;
    info.endTime = duration;
    return info;
}

QString nameOf(const QString& path) { return path.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0); }

QString photoNames(const AlbumDocument& document)
{
    QStringList names;
    for (const ImageInfo& info : document.photos())
        names << nameOf(info.filePath);
    return names.join(QLatin1Char(','));
}

QString clipNames(const AlbumDocument& document)
{
    QStringList names;
    for (const AudioInfo& info : document.clips())
        names << nameOf(info.filePath);
    return names.join(QLatin1Char(','));
}

// Runs one edit written as "verb numbers...", e.g. "move 0 2 1".
void applyEdit(AlbumDocument& document, const QString& edit)
{
    const QStringList words = edit.split(QLatin1Char(' '));
    const QString verb = words.value(0);
    const auto n = [&words](int i) { return words.value(i).toInt(); };
    if (verb == "insertPhotos")
        document.insertPhotos(n(1), {photo("x", 5, 9), photo("y", 6, 8)});
    else if (verb == "removePhotos")
        document.removePhotos(n(1), n(2));
    else if (verb == "movePhotos")
        document.movePhotos(n(1), n(2), n(3));
    else if (verb == "sortPhotos")
        document.sortPhotos(SortType(n(1)), n(2) != 0);
    else if (verb == "clearPhotos")
        document.clearPhotos();
    else if (verb == "insertClips")
        document.insertClips(n(1), {clip("x", 3.0)});
    else if (verb == "removeClips")
        document.removeClips(n(1), n(2));
    else if (verb == "moveClips")
        document.moveClips(n(1), n(2), n(3));
    else if (verb == "sortClips")
        document.sortClips(SortType(n(1)), n(2) != 0);
    else if (verb == "clearClips")
        document.clearClips();
    else if (verb == "setClips")
        document.setClips({clip("z", 1.0), clip("a", 2.0)});
    else
        QFAIL(qPrintable("unknown edit " + edit));
}

class AlbumDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    // Photos a, b, c (sizes 30, 10, 20; days 2, 3, 1) and clips a, b, c.
    void listEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("photos");
        QTest::addColumn<QString>("clips");
        QTest::addColumn<QStringList>("signalLines");

        const QString abc = QStringLiteral("a,b,c");
        QTest::newRow("insert photos in the middle")
            << "insertPhotos 1"
            << "a,x,y,b,c" << abc << QStringList{"photosInserted 1 2", "changed"};
        QTest::newRow("insert photos past the end")
            << "insertPhotos 9"
            << "a,b,c,x,y" << abc << QStringList{"photosInserted 3 2", "changed"};
        QTest::newRow("insert photos before the start")
            << "insertPhotos -4"
            << "x,y,a,b,c" << abc << QStringList{"photosInserted 0 2", "changed"};
        QTest::newRow("remove a run of photos") << "removePhotos 1 2"
                                                << "a" << abc << QStringList{"photosRemoved 1 2", "changed"};
        QTest::newRow("remove past the end") << "removePhotos 2 5" << abc << abc << QStringList{};
        QTest::newRow("remove nothing") << "removePhotos 0 0" << abc << abc << QStringList{};
        QTest::newRow("move photos right") << "movePhotos 0 2 1"
                                           << "c,a,b" << abc << QStringList{"photosMoved 0 2 1", "changed"};
        QTest::newRow("move a photo left") << "movePhotos 2 1 0"
                                           << "c,a,b" << abc << QStringList{"photosMoved 2 1 0", "changed"};
        QTest::newRow("move beyond the end stops there")
            << "movePhotos 0 1 9"
            << "b,c,a" << abc << QStringList{"photosMoved 0 1 2", "changed"};
        QTest::newRow("move to where it is") << "movePhotos 1 1 1" << abc << abc << QStringList{};
        QTest::newRow("sort photos by name descending")
            << "sortPhotos 0 0"
            << "c,b,a" << abc << QStringList{"photosChanged 0 3", "changed"};
        QTest::newRow("sort photos by size") << "sortPhotos 3 1"
                                             << "b,c,a" << abc << QStringList{"photosChanged 0 3", "changed"};
        QTest::newRow("sort photos by date") << "sortPhotos 1 1"
                                             << "c,a,b" << abc << QStringList{"photosChanged 0 3", "changed"};
        QTest::newRow("clear photos") << "clearPhotos"
                                      << "" << abc << QStringList{"photosReset", "changed"};

        QTest::newRow("insert a clip") << "insertClips 2" << abc << "a,b,x,c"
                                       << QStringList{"clipsInserted 2 1", "changed"};
        QTest::newRow("remove clips") << "removeClips 0 2" << abc << "c" << QStringList{"clipsRemoved 0 2", "changed"};
        QTest::newRow("remove a clip that is not there") << "removeClips 3 1" << abc << abc << QStringList{};
        QTest::newRow("move a clip right")
            << "moveClips 0 1 2" << abc << "b,c,a" << QStringList{"clipsMoved 0 1 2", "changed"};
        QTest::newRow("move clips left") << "moveClips 1 2 0" << abc << "b,c,a"
                                         << QStringList{"clipsMoved 1 2 0", "changed"};
        QTest::newRow("sort clips by name descending")
            << "sortClips 0 0" << abc << "c,b,a" << QStringList{"clipsChanged 0 3", "changed"};
        QTest::newRow("replace the track") << "setClips" << abc << "z,a" << QStringList{"clipsReset", "changed"};
        QTest::newRow("clear clips") << "clearClips" << abc << "" << QStringList{"clipsReset", "changed"};
    }
    void listEdits()
    {
        QFETCH(QString, edit);
        QFETCH(QString, photos);
        QFETCH(QString, clips);
        QFETCH(QStringList, signalLines);

        AlbumDocument document;
        document.insertPhotos(0, {photo("a", 30, 2), photo("b", 10, 3), photo("c", 20, 1)});
        document.insertClips(0, {clip("a", 10.0), clip("b", 20.0), clip("c", 30.0)});
        SignalLog log(document);
        const StoryBoardData* album = document.storyBoard();

        applyEdit(document, edit);
        QCOMPARE(photoNames(document), photos);
        QCOMPARE(clipNames(document), clips);
        QCOMPARE(log.lines, signalLines);
        // A renderer keeps this address across every edit.
        QCOMPARE(document.storyBoard(), album);
        QCOMPARE(&document.data(), album);
    }

    void clearingAnEmptyListSendsNothing()
    {
        AlbumDocument document;
        SignalLog log(document);
        document.clearPhotos();
        document.clearClips();
        document.sortPhotos(SortByName, true);
        document.autoRotateAllPhotos();
        QVERIFY(log.lines.isEmpty());
    }

    // Steps are put first (newest first) and the orientation class follows
    // them; only the photos named change.
    void photoSteps_data()
    {
        QTest::addColumn<QList<int>>("steps"); // IMAGEPROC values, applied in order
        QTest::addColumn<int>("imageType");

        QTest::newRow("turn left") << QList<int>{TurnLeft} << 5;
        QTest::newRow("left then right") << QList<int>{TurnLeft, TurnRight} << 0;
        QTest::newRow("mirror then turn left") << QList<int>{Mirror, TurnLeft} << 7;
        QTest::newRow("turn left then mirror") << QList<int>{TurnLeft, Mirror} << 4;
    }
    void photoSteps()
    {
        QFETCH(QList<int>, steps);
        QFETCH(int, imageType);

        AlbumDocument document;
        document.insertPhotos(0, {photo("a", 1, 1), photo("b", 2, 1), photo("c", 3, 1)});
        SignalLog log(document);
        QStringList expected;
        QVector<IMAGEPROC> newestFirst;
        for (int step : steps) {
            document.addPhotoStep({0, 2, 7}, IMAGEPROC(step));
            newestFirst.prepend(IMAGEPROC(step));
            expected << "photosChanged 0 1"
                     << "photosChanged 2 1"
                     << "changed";
        }
        for (int index : {0, 2}) {
            QCOMPARE(document.photos().at(index).procs, newestFirst);
            QCOMPARE(document.photos().at(index).imageType, imageType);
        }
        QVERIFY(document.photos().at(1).procs.isEmpty());
        QCOMPARE(document.photos().at(1).imageType, 0);
        QCOMPARE(log.lines, expected);
    }

    // Auto-rotate and restore give back exactly the steps that undo the
    // EXIF orientation, whatever steps the photo had.
    void autoRotateReplacesSteps()
    {
        ImageInfo turned = photo("a", 1, 1);
        turned.exifMirror = true;
        turned.exifRotation = 90;
        AlbumDocument document;
        document.insertPhotos(0, {turned, photo("b", 2, 1)});
        document.addPhotoStep({0, 1}, Flip);
        SignalLog log(document);

        document.autoRotatePhotos({0});
        QCOMPARE(document.photos().at(0).procs, (QVector<IMAGEPROC>{Mirror, TurnRight}));
        QCOMPARE(document.photos().at(0).imageType, 7);
        QCOMPARE(document.photos().at(1).procs, QVector<IMAGEPROC>{Flip});

        document.autoRotateAllPhotos();
        QVERIFY(document.photos().at(1).procs.isEmpty());
        QCOMPARE(document.photos().at(1).imageType, 0);
        QCOMPARE(log.lines,
                 (QStringList{"photosChanged 0 1", "changed", "photosChanged 0 1", "photosChanged 1 1", "changed"}));
    }

    // A record inserted with a stale class gets the class of its steps.
    void insertedPhotoGetsTheClassOfItsSteps()
    {
        ImageInfo flipped = photo("a", 1, 1);
        flipped.procs = {Flip};
        flipped.imageType = 0;
        AlbumDocument document;
        document.insertPhotos(0, {flipped});
        QCOMPARE(document.photos().at(0).imageType, 1);
    }

    // An import applies the EXIF steps only while rotating on import, and
    // gives successive photos different zoom paths.
    void importPreparesPhotos_data()
    {
        QTest::addColumn<bool>("rotate");
        QTest::addColumn<QVector<IMAGEPROC>>("procs");
        QTest::addColumn<int>("imageType");
        QTest::newRow("rotating while importing") << true << QVector<IMAGEPROC>{TurnLeft} << 5;
        QTest::newRow("keeping the stored picture") << false << QVector<IMAGEPROC>{} << 0;
    }
    void importPreparesPhotos()
    {
        QFETCH(bool, rotate);
        QFETCH(QVector<IMAGEPROC>, procs);
        QFETCH(int, imageType);

        ImageInfo parsed = photo("a", 1, 1);
        parsed.exifRotation = -90;
        AlbumDocument document;
        document.setRotateWhileImporting(rotate);
        QCOMPARE(document.rotateWhileImporting(), rotate);
        const QList<ImageInfo> added = document.importPhotos(0, {parsed, parsed});
        QCOMPARE(added.size(), 2);
        for (const ImageInfo& info : document.photos()) {
            QCOMPARE(info.procs, procs);
            QCOMPARE(info.imageType, imageType);
            // Every zoom path goes between the depths 50 and 100.
            QCOMPARE(qMin(info.fxStart.value[2], info.fxEnd.value[2]), 50.0f);
            QCOMPARE(qMax(info.fxStart.value[2], info.fxEnd.value[2]), 100.0f);
        }
        const ImageInfo& first = document.photos().at(0);
        const ImageInfo& second = document.photos().at(1);
        QVERIFY(first.fxStart.value[0] != second.fxStart.value[0] ||
                first.fxStart.value[1] != second.fxStart.value[1] || first.fxStart.value[2] != second.fxStart.value[2]);
        QCOMPARE(added.at(1).fxStart.value[0], second.fxStart.value[0]);
    }

    // A tool reading a photo file gets the very record the program's
    // import puts into the album.
    void toolsPrepareAsTheProgram_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("rotate");
        QTest::addColumn<QVector<IMAGEPROC>>("procs");
        QTest::addColumn<int>("imageType");
        QTest::newRow("turned a quarter") << "bird-exif6.jpg" << true << QVector<IMAGEPROC>{TurnRight} << 6;
        QTest::newRow("upside down") << "clock-portrait-exif3.jpg" << true << QVector<IMAGEPROC>{Mirror, Flip} << 3;
        QTest::newRow("upright") << "flower.jpg" << true << QVector<IMAGEPROC>{} << 0;
        QTest::newRow("turned, kept as stored") << "bird-exif6.jpg" << false << QVector<IMAGEPROC>{} << 0;
    }
    void toolsPrepareAsTheProgram()
    {
        QFETCH(QString, file);
        QFETCH(bool, rotate);
        QFETCH(QVector<IMAGEPROC>, procs);
        QFETCH(int, imageType);

        ImageInfo parsed;
        parsed.filePath = mediaFile(file);
        QVERIFY(ImageReader::parse(parsed));
        AlbumDocument document;
        document.setRotateWhileImporting(rotate);
        // The program's import takes the next number of the counter.
        const int number = nextImportIndex() + 1;
        const ImageInfo imported = document.importPhotos(0, {parsed}).first();

        ImageInfo read;
        QVERIFY(readImportedPhoto(mediaFile(file), read, number, rotate));
        QCOMPARE(read.procs, procs);
        QCOMPARE(read.imageType, imageType);
        QCOMPARE(imported.procs, read.procs);
        QCOMPARE(imported.imageType, read.imageType);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(imported.fxStart.value[i], read.fxStart.value[i]);
            QCOMPARE(imported.fxEnd.value[i], read.fxEnd.value[i]);
        }
        QCOMPARE(document.photos().first().procs, procs);

        ImageInfo missing;
        QVERIFY(!readImportedPhoto(mediaFile("no-such-photo.jpg"), missing, 0));
    }

    void clipTrims_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<double>("keptStart");
        QTest::addColumn<double>("keptEnd");
        QTest::addColumn<bool>("announced");
        QTest::newRow("inside the clip") << 2.0 << 8.0 << 2.0 << 8.0 << true;
        QTest::newRow("end past the clip") << 1.0 << 99.0 << 1.0 << 10.0 << true;
        QTest::newRow("start before zero") << -3.0 << 4.0 << 0.0 << 4.0 << true;
        QTest::newRow("end before start") << 6.0 << 2.0 << 6.0 << 6.0 << true;
        QTest::newRow("unchanged") << 0.0 << 10.0 << 0.0 << 10.0 << false;
    }
    void clipTrims()
    {
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(double, keptStart);
        QFETCH(double, keptEnd);
        QFETCH(bool, announced);

        AlbumDocument document;
        document.insertClips(0, {clip("a", 5.0), clip("b", 10.0)});
        SignalLog log(document);
        document.setClipTrim(1, start, end);
        document.setClipTrim(2, 1.0, 2.0); // no such clip
        QCOMPARE(document.clips().at(1).startTime, keptStart);
        QCOMPARE(document.clips().at(1).endTime, keptEnd);
        QCOMPARE(document.clips().at(0).endTime, 5.0);
        const QStringList expected = announced ? QStringList{"clipsChanged 1 1", "changed"} : QStringList();
        QCOMPARE(log.lines, expected);
    }

    // Each setting is stored, in seconds too where the album keeps both,
    // and announced once; setting the same value again says nothing.
    void settings()
    {
        AlbumDocument document;
        SignalLog log(document);
        document.setPhotoMs(3200);
        document.setPhotoMs(3200);
        document.setTransitionMs(700);
        document.setUseTransition(false);
        document.setUseTransition(false);
        document.setDissolveOnly(true);
        document.setUseZoom(false);
        document.setLoopAudio(true);
        document.setFadeAudio(true);
        const StoryBoardData& album = document.data();
        QCOMPARE(album.photoMs, 3200);
        QCOMPARE(album.photoSeconds, 3.2);
        QCOMPARE(album.transitionMs, 700);
        QCOMPARE(album.transitionSeconds, 0.7);
        QVERIFY(!album.useTransition && album.dissolveOnly && !album.useZoom && album.loopAudio && album.fadeAudio);
        QCOMPARE(log.lines.count("settingsChanged"), 7);
        QCOMPARE(log.lines.count("changed"), 7);
    }
};

} // namespace

std::unique_ptr<QObject> makeAlbumDocumentTests() { return std::make_unique<AlbumDocumentTest>(); }

#include "tst_albumdocument.moc"
