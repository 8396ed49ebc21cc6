// The import worker: good and bad files together, each bad one with its
// reason, photos and sound, and a stop in the middle.

#include "audiofixtures.h"
#include "filesfromurls.h"
#include "imagereader.h"
#include "infoparser.h"
#include "modeltests.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

extern "C" {
#include <libavutil/crc.h>
#include <libavutil/log.h>
}

namespace {

void putBigEndian32(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * (3 - i))) & 0xFF);
}

// A small real PNG whose header claims width x height.
QByteArray pngClaiming(quint32 width, quint32 height)
{
    QImage tiny(4, 4, QImage::Format_RGB32);
    tiny.fill(Qt::green);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    tiny.save(&buffer, "PNG");
    QByteArray png = buffer.data();
    putBigEndian32(png, 16, width);
    putBigEndian32(png, 20, height);
    const QByteArray chunk = png.mid(12, 17);
    const quint32 crc = av_crc(av_crc_get_table(AV_CRC_32_IEEE_LE), 0xFFFFFFFFu,
                               reinterpret_cast<const uint8_t*>(chunk.constData()), std::size_t(chunk.size()))
        ^ 0xFFFFFFFFu;
    putBigEndian32(png, 29, crc);
    return png;
}

struct Expected {
    QString path;
    QString reason; // empty: imported
};

QList<Expected> runParser(const QList<Expected>& cases, bool isImage, QList<ImageInfo>* images,
                          QList<AudioInfo>* clips, QList<InfoParser::Failure>* failures)
{
    QStringList files;
    for (const Expected& c : cases)
        files << c.path;
    InfoParser parser(files, isImage);
    parser.start();
    parser.wait();
    *images = parser.succeededImageList();
    *clips = parser.succeededAudioList();
    *failures = parser.failures();
    return cases;
}

} // namespace

class InfoParserTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_logLevel = 0;

    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // Both lists in the order of the input: the good files as records, the
    // bad ones as failures with exactly the expected reason.
    template <typename Record>
    void compareOutcome(const QList<Expected>& cases, const QList<Record>& records,
                        const QList<InfoParser::Failure>& failures)
    {
        QStringList wantedGood, gotGood;
        QList<QPair<QString, QString>> wantedBad, gotBad;
        for (const Expected& c : cases) {
            if (c.reason.isEmpty())
                wantedGood << c.path;
            else
                wantedBad << qMakePair(c.path, c.reason);
        }
        for (const Record& r : records)
            gotGood << r.filePath;
        for (const InfoParser::Failure& f : failures)
            gotBad << qMakePair(f.path, f.reason);
        QCOMPARE(gotGood, wantedGood);
        QCOMPARE(gotBad, wantedBad);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_logLevel = av_log_get_level();
        av_log_set_level(AV_LOG_QUIET);
    }
    void cleanupTestCase() { av_log_set_level(m_logLevel); }

    void photosGoodAndBad()
    {
        const QByteArray flower = fileBytes(mediaFile("flower.jpg"));
        QList<Expected> cases;
        const auto add = [&](const QString& name, const QByteArray& bytes, const QString& reason) {
            QVERIFY(writeBytes(path(name), bytes));
            cases << Expected{path(name), reason};
        };
        add("first.jpg", flower, {});
        add("zero.jpg", {}, "The file is empty.");
        add("letter.png", "Dear reader,\nthis is not a picture.\n", "It is not a photo in a format this program reads.");
        add("cut.jpg", flower.left(flower.size() / 2), "The photo is damaged or cut short.");
        add("huge.png", pngClaiming(60000, 60000), "The photo is too large (60000 x 60000 pixels).");
        add("name with <b>markup<b> & spaces \u00e4\u00df.jpg", flower, {});
        QVERIFY(QDir(m_dir.path()).mkpath("folder.jpg"));
        cases << Expected{path("folder.jpg"), "It is a folder, not a file."};
        cases << Expected{path("deleted.jpg"), "The file no longer exists."};
        // 50 megapixels stays inside the reader's limit and is imported.
        QImage big(8660, 5774, QImage::Format_RGB32);
        big.fill(Qt::darkGreen);
        QVERIFY(big.save(path("fifty.jpg"), "JPEG", 50));
        cases << Expected{path("fifty.jpg"), {}};
        add("camera.JPG", flower, {});

        QList<ImageInfo> images;
        QList<AudioInfo> clips;
        QList<InfoParser::Failure> failures;
        runParser(cases, true, &images, &clips, &failures);
        compareOutcome(cases, images, failures);
        QVERIFY(clips.isEmpty());
        QCOMPARE(images.at(2).width, 8660);
        QCOMPARE(images.at(0).thumbnail.size(), QSize(80, 60));
    }

    void soundGoodAndBad()
    {
        QList<Expected> cases;
        for (const char* name : {"elvish-15s.mp3", "knolls-20s.ogg", "sad-mono-22k.wav", "journeys-8s.m4a"})
            cases << Expected{mediaFile(name), {}};
        QVERIFY(writeBytes(path("zero.wav"), {}));
        cases << Expected{path("zero.wav"), "The file is empty."};
        QVERIFY(writeBytes(path("text.mp3"), QByteArray("This is not a sound file.\n").repeated(100)));
        cases << Expected{path("text.mp3"), "It is not a sound file this program reads."};
        FixtureOptions options;
        options.videoOnly = true;
        QString error;
        QVERIFY2(writeSignalFile(path("video.m4a"), "mp4", "", TestSignal(), options, &error), qPrintable(error));
        cases << Expected{path("video.m4a"), "It holds no sound."};
        // The header still promises 15 s; a bare header decodes nothing at all.
        QVERIFY(writeBytes(path("cut.mp3"), fileBytes(mediaFile("elvish-15s.mp3")).left(100000)));
        cases << Expected{path("cut.mp3"), "The sound is cut short: 6.2 of its 15.0 seconds are there."};
        QVERIFY(writeBytes(path("stub.mp3"), fileBytes(mediaFile("elvish-15s.mp3")).left(500)));
        cases << Expected{path("stub.mp3"), "It is not a sound file this program reads."};
        QVERIFY(QDir(m_dir.path()).mkpath("folder.ogg"));
        cases << Expected{path("folder.ogg"), "It is a folder, not a file."};

        QList<ImageInfo> images;
        QList<AudioInfo> clips;
        QList<InfoParser::Failure> failures;
        runParser(cases, false, &images, &clips, &failures);
        compareOutcome(cases, clips, failures);
        QVERIFY(images.isEmpty());
        QCOMPARE(clips.at(2).channels, 1);
        QCOMPARE(clips.at(2).sampleRate, 22050);
    }

    // A stop is seen before the next file: what was parsed stays, handed out
    // once, and nothing after the stop is touched.
    void stopKeepsWhatWasParsed()
    {
        const QStringList files(40, mediaFile("flower.jpg"));
        InfoParser parser(files, true);
        parser.start();
        QList<ImageInfo> taken;
        QTRY_VERIFY_WITH_TIMEOUT((taken += parser.succeededImageList()).size() >= 3, 20000);
        parser.stop();
        QVERIFY(parser.wait(20000));
        taken += parser.succeededImageList();
        QVERIFY(parser.parsed() < files.size());
        QCOMPARE(taken.size(), parser.parsed());
        QVERIFY(parser.succeededImageList().isEmpty());
        QVERIFY(parser.failedFileList().isEmpty());
    }

    // Camera files are upper case; the extra TIFF and WebP spellings count.
    void folderFiltersIgnoreCase()
    {
        const QString folder = path("camera");
        QVERIFY(QDir().mkpath(folder));
        for (const char* name : {"A.JPG", "b.Tif", "c.webp", "d.txt", "e.Png"})
            QVERIFY(writeBytes(QDir(folder).filePath(name), "x"));
        const QStringList files = filesFromUrls({QUrl::fromLocalFile(folder)}, photoNameFilters(), true);
        QStringList names;
        for (const QString& file : files)
            names << QFileInfo(file).fileName();
        QCOMPARE(names, QStringList({"A.JPG", "b.Tif", "c.webp", "e.Png"}));
    }
};

std::unique_ptr<QObject> makeInfoParserTests()
{
    return std::make_unique<InfoParserTest>();
}

#include "tst_infoparser.moc"
