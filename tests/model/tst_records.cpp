// Album records: orientation classes, EXIF steps, picture and sound buffers,
// the album's pattern list; the import dialogs' filters.

#include "filesfromurls.h"
#include "imagereader.h"
#include "modeltests.h"
#include "storyboard.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <cstring>
#include <limits>

Q_DECLARE_METATYPE(QVector<IMAGEPROC>)

namespace {

// The upright picture as a camera stores it with an EXIF orientation code,
// following the standard's meaning of where stored row 0 and column 0 lie.
QImage storedWithOrientation(const QImage& upright, int orientation)
{
    const int w = upright.width(), h = upright.height();
    const bool swapped = orientation >= 5;
    QImage stored(swapped ? h : w, swapped ? w : h, QImage::Format_RGB32);
    for (int y = 0; y < stored.height(); ++y) {
        for (int x = 0; x < stored.width(); ++x) {
            QPoint from;
            switch (orientation) {
            case 1: from = {x, y}; break;
            case 2: from = {w - 1 - x, y}; break;
            case 3: from = {w - 1 - x, h - 1 - y}; break;
            case 4: from = {x, h - 1 - y}; break;
            case 5: from = {y, x}; break;
            case 6: from = {w - 1 - y, x}; break;
            case 7: from = {w - 1 - y, h - 1 - x}; break;
            case 8: from = {y, h - 1 - x}; break;
            }
            stored.setPixel(x, y, upright.pixel(from));
        }
    }
    return stored;
}

// What the screen shows of a stored picture of a given class: the turn made
// when the picture is read, then the compositor's flips.
QImage shownAs(const QImage& stored, int imageType)
{
    QImage picture = imageType > 3 ? stored.transformed(QTransform().rotate(90)) : stored;
    switch (imageType) {
    case 1:
    case 4: return picture.mirrored(false, true);
    case 2:
    case 7: return picture.mirrored(true, false);
    case 3:
    case 5: return picture.mirrored(true, true);
    default: return picture;
    }
}

class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void imageTypeOf_data()
    {
        QTest::addColumn<QVector<IMAGEPROC>>("procs");
        QTest::addColumn<int>("type");
        QTest::newRow("none") << QVector<IMAGEPROC>{} << 0;
        QTest::newRow("flip") << QVector<IMAGEPROC>{Flip} << 1;
        QTest::newRow("mirror") << QVector<IMAGEPROC>{Mirror} << 2;
        QTest::newRow("mirror flip") << QVector<IMAGEPROC>{Mirror, Flip} << 3;
        QTest::newRow("flip mirror") << QVector<IMAGEPROC>{Flip, Mirror} << 3;
        QTest::newRow("mirror twice") << QVector<IMAGEPROC>{Mirror, Mirror} << 0;
        QTest::newRow("left") << QVector<IMAGEPROC>{TurnLeft} << 5;
        QTest::newRow("right") << QVector<IMAGEPROC>{TurnRight} << 6;
        QTest::newRow("left left") << QVector<IMAGEPROC>{TurnLeft, TurnLeft} << 3;
        QTest::newRow("left right") << QVector<IMAGEPROC>{TurnLeft, TurnRight} << 0;
        QTest::newRow("right x3") << QVector<IMAGEPROC>{TurnRight, TurnRight, TurnRight} << 5;
        QTest::newRow("right x4") << QVector<IMAGEPROC>{TurnRight, TurnRight, TurnRight, TurnRight} << 0;
        QTest::newRow("mirror right") << QVector<IMAGEPROC>{Mirror, TurnRight} << 7;
        QTest::newRow("mirror left") << QVector<IMAGEPROC>{Mirror, TurnLeft} << 4;
        QTest::newRow("right mirror") << QVector<IMAGEPROC>{TurnRight, Mirror} << 4;
        QTest::newRow("flip right") << QVector<IMAGEPROC>{Flip, TurnRight} << 4;
        QTest::newRow("flip left") << QVector<IMAGEPROC>{Flip, TurnLeft} << 7;
        QTest::newRow("mirror flip right") << QVector<IMAGEPROC>{Mirror, Flip, TurnRight} << 5;
        QTest::newRow("left flip") << QVector<IMAGEPROC>{TurnLeft, Flip} << 4;
    }
    void imageTypeOf()
    {
        QFETCH(QVector<IMAGEPROC>, procs);
        QFETCH(int, type);
        QCOMPARE(::imageTypeOf(procs), type);
    }

    // For every EXIF orientation, the recorded turn and flags, their editing
    // steps and the class of those steps must put the picture upright.
    void exifOrientationShowsUpright_data()
    {
        QTest::addColumn<int>("orientation");
        for (int code = 1; code <= 8; ++code)
            QTest::addRow("orientation %d", code) << code;
    }
    void exifOrientationShowsUpright()
    {
        QFETCH(int, orientation);
        QImage upright(3, 2, QImage::Format_RGB32);
        for (int i = 0; i < 6; ++i)
            upright.setPixel(i % 3, i / 3, qRgb(40 * i, 255 - 30 * i, 7 * i));

        ImageInfo info;
        ImageReader::applyExifOrientation(info, orientation);
        const int type = ::imageTypeOf(exifSteps(info));
        QCOMPARE(shownAs(storedWithOrientation(upright, orientation), type), upright);
    }

    void exifOrientationOutOfRange()
    {
        for (int code : {0, 9, -1, 65535}) {
            ImageInfo info;
            info.exifRotation = 90;
            info.exifMirror = info.exifFlip = true;
            ImageReader::applyExifOrientation(info, code);
            QCOMPARE(info.exifRotation, 0);
            QVERIFY(!info.exifMirror);
            QVERIFY(!info.exifFlip);
            QVERIFY(exifSteps(info).isEmpty());
        }
    }

    void exifStepsOrder()
    {
        ImageInfo info;
        info.exifMirror = info.exifFlip = true;
        info.exifRotation = -90;
        QCOMPARE(exifSteps(info), (QVector<IMAGEPROC>{Mirror, Flip, TurnLeft}));
        info.exifRotation = 90;
        QCOMPARE(exifSteps(info), (QVector<IMAGEPROC>{Mirror, Flip, TurnRight}));
    }

    void frameDataOwnsItsPlanes()
    {
        FrameData frame;
        QVERIFY(!frame.isAllocated());
        QCOMPARE(frame.age, 0u);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(frame.picture.data[i] == nullptr);
            QCOMPARE(frame.picture.linesize[i], 0);
        }

        QVERIFY(frame.allocate(AV_PIX_FMT_BGRA, 7, 5));
        QCOMPARE(frame.picture.linesize[0], 28);
        for (int i = 0; i < 28 * 5; ++i)
            QCOMPARE(frame.picture.data[0][i], uint8_t(0));
        frame.age = 0x80000000u;

        // A second allocation replaces the planes (LeakSanitizer sees the rest).
        QVERIFY(frame.allocate(AV_PIX_FMT_GRAY8, 13, 3));
        QCOMPARE(frame.picture.linesize[0], 13);

        FrameData moved(std::move(frame));
        QVERIFY(moved.isAllocated());
        QVERIFY(!frame.isAllocated());
        QCOMPARE(moved.age, 0x80000000u);

        FrameData assigned;
        QVERIFY(assigned.allocate(AV_PIX_FMT_BGRA, 2, 2));
        assigned = std::move(moved);
        QCOMPARE(assigned.picture.linesize[0], 13);
        QVERIFY(!moved.isAllocated());

        assigned.release();
        QVERIFY(!assigned.isAllocated());
        QCOMPARE(assigned.age, 0u);
        QVERIFY(!assigned.allocate(AV_PIX_FMT_BGRA, 0, 10));
        QVERIFY(!assigned.isAllocated());
    }

    void sampleBufferHasSlack()
    {
        SampleDecoding sound;
        QVERIFY(sound.samples == nullptr);
        QVERIFY(sound.allocate(1000));
        QCOMPARE(sound.capacity.load(), 1000);
        QCOMPARE(sound.length.load(), 0);
        QCOMPARE(sound.consumed.load(), 0);
        auto* bytes = reinterpret_cast<uint8_t*>(sound.samples);
        // The whole slack is there and zeroed (AddressSanitizer checks the end).
        QCOMPARE(bytes[1000 + SampleDecoding::slackBytes - 1], uint8_t(0));
        bytes[1000 + SampleDecoding::slackBytes - 1] = 1;
        sound.length = 500;
        sound.consumed = 100;

        QVERIFY(sound.allocate(64));
        QCOMPARE(sound.capacity.load(), 64);
        QCOMPARE(sound.length.load(), 0);
        QCOMPARE(sound.consumed.load(), 0);

        QVERIFY(!sound.allocate(std::numeric_limits<int>::max()));
        QVERIFY(sound.samples == nullptr);
        QCOMPARE(sound.capacity.load(), 0);

        QVERIFY(sound.allocate(8));
        sound.release();
        QVERIFY(sound.samples == nullptr);
        QCOMPARE(sound.capacity.load(), 0);
    }

    void defaults()
    {
        const RenderParam param;
        QCOMPARE(param.width, 640);
        QCOMPARE(param.height, 480);
        QCOMPARE(param.frameRate, 25.0);
        QCOMPARE(param.aspectRatio, 4.0 / 3.0);
        QCOMPARE(param.channels, 2);
        QCOMPARE(param.sampleRate, 48000);
        QCOMPARE(param.bitsPerSample, 16);

        const StoryBoardData album;
        QCOMPARE(album.photoMs, 5000);
        QCOMPARE(album.photoSeconds, 5.0);
        QCOMPARE(album.transitionMs, 1500);
        QCOMPARE(album.transitionSeconds, 1.5);
        QVERIFY(album.useTransition && !album.dissolveOnly && album.useZoom);
        QVERIFY(!album.loopAudio && !album.fadeAudio);

        const ImageInfo photo;
        QCOMPARE(photo.fxStart.kind, qint32(FxTranslate));
        QVERIFY(photo.procs.isEmpty());
        QVERIFY(photo.thumbnail.isNull());
        QVERIFY(!photo.lastModified.isValid());
    }

    void patternFilesListedOnce()
    {
        QTemporaryDir app;
        QVERIFY(app.isValid());
        const QDir dir(app.path());
        QVERIFY(dir.mkpath(QStringLiteral("pattern/d.wpt")));
        for (const char* name : {"b.wpt", "A.wpt", "c.WPT", "notes.txt", "e.wpt.bak"})
            QVERIFY(writeBytes(dir.filePath(QStringLiteral("pattern/") + QLatin1String(name)), "x"));

        const QString patternDir = dir.absoluteFilePath(QStringLiteral("pattern"));
        StoryBoardData album(patternDir);
        QCOMPARE(album.patternFiles,
                 (QStringList{patternDir + QStringLiteral("/A.wpt"), patternDir + QStringLiteral("/b.wpt"),
                              patternDir + QStringLiteral("/c.WPT")}));

        // Listed once: a pattern added later is not picked up by that album.
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("pattern/0.wpt")), "x"));
        QCOMPARE(album.patternFiles.size(), 3);
        QCOMPARE(StoryBoardData(patternDir).patternFiles.size(), 4);

        QVERIFY(QDir(patternDir).removeRecursively());
        QVERIFY(StoryBoardData(patternDir).patternFiles.isEmpty());
    }

    // Without a pattern folder the album must not pick up whatever patterns
    // lie in the folder the program was started from.
    void noPatternFolderNoPatterns_data()
    {
        QTest::addColumn<bool>("named"); // made with an (empty) folder name
        QTest::newRow("no folder") << false;
        QTest::newRow("empty folder name") << true;
    }

    void noPatternFolderNoPatterns()
    {
        QFETCH(bool, named);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        QVERIFY(writeBytes(QDir(work.path()).filePath(QStringLiteral("a.wpt")), "x"));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        const StoryBoardData album = named ? StoryBoardData(QString()) : StoryBoardData();
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(album.patternFiles, QStringList());
    }

    void importDialogFilter_data()
    {
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addColumn<QString>("formatEntries");
        QTest::newRow("photos") << photoNameFilters() << g_strPhotoFiles;
        QTest::newRow("sounds") << audioNameFilters() << g_strAudioFiles;
    }

    // The dialog splits the filter at ";;" and takes the blank-separated
    // patterns inside each entry's parentheses: first everything an import
    // accepts, then single formats an import accepts too, then all files.
    void importDialogFilter()
    {
        QFETCH(QStringList, nameFilters);
        QFETCH(QString, formatEntries);
        const auto patternsOf = [](const QString& entry) {
            const qsizetype open = entry.lastIndexOf(QLatin1Char('('));
            const qsizetype close = entry.lastIndexOf(QLatin1Char(')'));
            return open < 0 || close < open
                       ? QStringList()
                       : entry.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        };
        const QStringList entries =
            ::importDialogFilter(nameFilters, formatEntries).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
        QCOMPARE(entries.size(), formatEntries.count(QStringLiteral(";;")) + 2);
        QCOMPARE(patternsOf(entries.first()), nameFilters);
        QCOMPARE(patternsOf(entries.last()), QStringList{QStringLiteral("*.*")});
        for (const QString& entry : entries.mid(1, entries.size() - 2)) {
            const QStringList patterns = patternsOf(entry);
            QVERIFY2(!patterns.isEmpty(), qPrintable(entry));
            for (const QString& pattern : patterns)
                QVERIFY2(nameFilters.contains(pattern), qPrintable(entry + QStringLiteral(": ") + pattern));
        }
    }
};

} // namespace

std::unique_ptr<QObject> makeRecordsTests() { return std::make_unique<RecordsTest>(); }

#include "tst_records.moc"
