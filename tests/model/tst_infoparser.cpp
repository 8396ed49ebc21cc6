// The import worker: good and bad files together, each bad one with its
// reason, photos and sound, and a stop in the middle.

#include "audiofixtures.h"
#include "ffmpegptr.h"
#include "infoparser.h"
#include "modeltests.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
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
                               reinterpret_cast<const uint8_t*>(chunk.constData()), std::size_t(chunk.size())) ^
                        0xFFFFFFFFu;
    putBigEndian32(png, 29, crc);
    return png;
}

// The records' paths and "path: reason" of each refused file, as the
// parser hands them out after a whole run.
QStringList outcome(const QStringList& files, bool isImage, QList<ImageInfo>* images = nullptr)
{
    InfoParser parser(files, isImage);
    parser.start();
    parser.wait();
    QStringList result;
    const QList<ImageInfo> photos = parser.succeededImageList();
    for (const ImageInfo& photo : photos)
        result << photo.filePath;
    for (const AudioInfo& clip : parser.succeededAudioList())
        result << clip.filePath;
    for (const InfoParser::Failure& failure : parser.failures())
        result << failure.path + ": " + failure.reason;
    if (images)
        *images = photos;
    return result;
}

// The length FFmpeg's demuxer gives a file by itself, and whether it only
// guessed it from the bit rate; -1 when it gives none.
double demuxerLength(const QString& path, bool* guessed)
{
    *guessed = false;
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return -1.0;
    const InputContextPtr context(opened);
    double length = -1.0;
    if (avformat_find_stream_info(context.get(), nullptr) >= 0 && context->duration > 0) {
        length = double(context->duration) / AV_TIME_BASE;
        *guessed = context->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    }
    return length;
}

} // namespace

class InfoParserTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_logLevel = 0;

    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    QStringList m_good, m_bad, m_files;
    void add(const QString& file, const QString& reason = {})
    {
        m_files << file;
        (reason.isEmpty() ? m_good : m_bad) << (reason.isEmpty() ? file : file + ": " + reason);
    }
    void write(const QString& name, const QByteArray& bytes, const QString& reason = {})
    {
        QVERIFY(writeBytes(path(name), bytes));
        add(path(name), reason);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_logLevel = av_log_get_level();
        av_log_set_level(AV_LOG_QUIET);
    }
    void cleanupTestCase() { av_log_set_level(m_logLevel); }

    void init() { m_good.clear(), m_bad.clear(), m_files.clear(); }

    // Good files come out in list order, every bad one with its reason.
    void photosGoodAndBad()
    {
        const QByteArray flower = fileBytes(mediaFile("flower.jpg"));
        write("first.jpg", flower);
        write("zero.jpg", {}, "The file is empty.");
        write("letter.png", "Dear reader,\nthis is not a picture.\n",
              "It is not a photo in a format this program reads.");
        write("cut.jpg", flower.left(flower.size() / 2), "The photo is damaged or cut short.");
        write("huge.png", pngClaiming(60000, 60000), "The photo is too large (60000 x 60000 pixels).");
        write("name with <b>markup<b> & spaces \u00e4\u00df.jpg", flower);
        QVERIFY(QDir(m_dir.path()).mkpath("folder.jpg"));
        add(path("folder.jpg"), "It is a folder, not a file.");
        add(path("deleted.jpg"), "The file no longer exists.");
        // 50 megapixels stays inside the reader's limit and is imported.
        QImage big(8660, 5774, QImage::Format_RGB32);
        big.fill(Qt::darkGreen);
        QVERIFY(big.save(path("fifty.jpg"), "JPEG", 50));
        add(path("fifty.jpg"));
        write("camera.JPG", flower);
        QList<ImageInfo> images;
        QCOMPARE(outcome(m_files, true, &images), m_good + m_bad);
        QCOMPARE(images.at(2).width, 8660);
    }

    void soundGoodAndBad()
    {
        for (const char* name : {"elvish-15s.mp3", "knolls-20s.ogg", "sad-mono-22k.wav", "journeys-8s.m4a"})
            add(mediaFile(name));
        write("zero.wav", {}, "The file is empty.");
        write("text.mp3", QByteArray("This is not a sound file.\n").repeated(100),
              "It is not a sound file this program reads.");
        FixtureOptions options;
        options.videoOnly = true;
        QString error;
        QVERIFY2(writeSignalFile(path("video.m4a"), "mp4", "", TestSignal(), options, &error), qPrintable(error));
        add(path("video.m4a"), "It holds no sound.");
        // The header still promises 15 s; a bare header decodes nothing at all.
        const QByteArray mp3 = fileBytes(mediaFile("elvish-15s.mp3"));
        write("cut.mp3", mp3.left(100000), "The sound is cut short: 6.2 of its 15.0 seconds are there.");
        write("stub.mp3", mp3.left(500), "It is not a sound file this program reads.");
        QVERIFY(QDir(m_dir.path()).mkpath("folder.ogg"));
        add(path("folder.ogg"), "It is a folder, not a file.");
        QCOMPARE(outcome(m_files, false), m_good + m_bad);
    }

    // Where the headers tell no length or only one the demuxer guessed from
    // the file size and the bit rate of the first frames, the sound is
    // measured: a variable bit rate MP3 without a Xing header and raw ADTS,
    // both starting quietly, so that the guess is far too long. A header
    // that does tell the length still exposes a file that is cut short.
    void measuredSoundLengths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("muxer");
        QTest::addColumn<QByteArray>("encoder");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QByteArray>("muxerOptions");
        QTest::addColumn<int>("keptPercent");
        QTest::addColumn<bool>("guessed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("vbr mp3 without xing header") << "plain.mp3" << QByteArray("mp3") << QByteArray("libmp3lame")
                                                     << 2 << QByteArray("write_xing=0") << 100 << true << QString();
        QTest::newRow("raw adts aac") << "raw.aac" << QByteArray("adts") << QByteArray("aac") << -1 << QByteArray()
                                      << 100 << true << QString();
        QTest::newRow("vbr mp3 with xing header") << "xing.mp3" << QByteArray("mp3") << QByteArray("libmp3lame") << 2
                                                  << QByteArray() << 100 << false << QString();
        QTest::newRow("vbr mp3 with xing header cut short")
            << "xing-cut.mp3" << QByteArray("mp3") << QByteArray("libmp3lame") << 2 << QByteArray() << 50 << false
            << QStringLiteral("The sound is cut short: ");
    }
    void measuredSoundLengths()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, muxer);
        QFETCH(QByteArray, encoder);
        QFETCH(int, quality);
        QFETCH(QByteArray, muxerOptions);
        QFETCH(int, keptPercent);
        QFETCH(bool, guessed);
        QFETCH(QString, reason);
        TestSignal signal;
        signal.channels = 2;
        signal.seconds = 20.0;
        signal.silentLead = 6.0;
        signal.amplitude = 0.8;
        signal.frequency = {300.0, 450.0};
        signal.sweep = {900.0, 700.0};
        FixtureOptions options;
        options.vbrQuality = quality;
        options.muxerOptions = muxerOptions;
        QString error;
        const QString file = path(name);
        QVERIFY2(writeSignalFile(file, muxer.constData(), encoder.constData(), signal, options, &error),
                 qPrintable(error));
        if (keptPercent < 100)
            QVERIFY(writeBytes(file, fileBytes(file).left(fileBytes(file).size() * keptPercent / 100)));

        // The fixture is what it claims to be: FFmpeg alone is misled by it.
        bool demuxerGuessed = false;
        const double demuxed = demuxerLength(file, &demuxerGuessed);
        QCOMPARE(demuxerGuessed, guessed);
        if (guessed)
            QVERIFY2(demuxed > signal.seconds * 1.2, qPrintable(QString::number(demuxed)));

        AudioInfo clip;
        clip.filePath = file;
        const QString refusal = InfoParser::probeSound(clip);
        if (!reason.isEmpty()) {
            QVERIFY2(refusal.startsWith(reason), qPrintable(refusal));
            QCOMPARE(clip.duration, 0.0);
            return;
        }
        QCOMPARE(refusal, QString());
        QVERIFY2(std::abs(clip.duration - signal.seconds) < 0.1, qPrintable(QString::number(clip.duration)));
        QCOMPARE(clip.endTime, clip.duration);
    }

    // A stop asked before the thread runs is not lost: nothing is parsed.
    void stopBeforeStart()
    {
        InfoParser parser(QStringList(20, mediaFile("flower.jpg")), true);
        parser.stop();
        parser.start();
        QVERIFY(parser.wait(20000));
        QCOMPARE(parser.parsed(), 0);
        QVERIFY(parser.succeededImageList().isEmpty());
    }
};

std::unique_ptr<QObject> makeInfoParserTests() { return std::make_unique<InfoParserTest>(); }

#include "tst_infoparser.moc"
