// The zirc converter, run as a separate program on files the writer made.

#include "avwriter.h"
#include "outputtests.h"

#include <QFileInfo>
#include <QImage>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run zirc(const QStringList& args, const QString& workingDir = QString())
{
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(ZIRC_PATH), args);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestZirc : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_video;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase();
    void thumbnail();
    void trimAndRate();
    void failures_data();
    void failures();
    void informational();
};

void TestZirc::initTestCase()
{
    // One second of pictures and sound made by the writer.
    m_video = path("album.mp4");
    AVWriter writer;
    QVERIFY2(writer.open(QString(), renderParam(320, 240, 25, 44100, 2),
                         {"-s", "320x240", "-r", "25", "-vcodec", "mpeg4", "-bf", "2", "-qscale", "2", "-acodec", "aac",
                          "-ar", "44100", "-ac", "2", "-y", m_video}),
             qPrintable(writer.errorString()));
    const std::vector<short> sound = sineWave(1764, 2, 44100);
    for (int i = 0; i < 25; ++i) {
        AVPicture picture = testPicture(320, 240, i);
        QVERIFY(writer.writeVideoFrame(picture));
        freePicture(picture);
        QVERIFY(writer.writeAudioBuffer(sound.data(), int(sound.size() * 2)));
    }
    writer.close();
    QVERIFY(QFileInfo(m_video).size() > 0);
}

void TestZirc::thumbnail()
{
    const QString thumb = path("album.THM");
    const Run run = zirc({"-y", "-i", m_video, "-ss", "0.00", "-f", "image2", "-vcodec", "mjpeg", "-vframes", "5", "-s",
                          "160x120", "-an", thumb},
                         QStringLiteral(REELWRIGHT_APP_DIR));
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QImage image(thumb, "JPG");
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(160, 120));
    // The quadrants of the album's pictures survive the scaling.
    const QColor topLeft = image.pixelColor(20, 15);
    const QColor bottomLeft = image.pixelColor(20, 105);
    QVERIFY2(topLeft.red() > 150 && topLeft.green() < 90 && topLeft.blue() < 90, qPrintable(topLeft.name()));
    QVERIFY2(bottomLeft.blue() > 150 && bottomLeft.red() < 100, qPrintable(bottomLeft.name()));
}

void TestZirc::trimAndRate()
{
    const QString out = path("trimmed.mkv");
    const Run run = zirc({"-y", "-i", m_video, "-ss", "0.2", "-t", "0.4", "-r", "50", "-vcodec", "mpeg4", "-acodec",
                          "pcm_s16le", "-ar", "22050", "-ac", "1", out});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const DecodedFile decoded = decodeFile(out);
    QVERIFY(decoded.opened);
    // 0.4 s at 50 pictures a second, from pictures made at 25.
    QCOMPARE(decoded.videoFrames, 20);
    QVERIFY(decoded.ptsIncreasing);
    QCOMPARE(decoded.audioChannels, 1);
    QCOMPARE(decoded.audioSamples, qint64(8820));
}

void TestZirc::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("odd size") << QStringList{"-s", "641x480", path("x.avi")} << "Frame size must be a multiple of 2\n";
    QTest::newRow("missing input") << QStringList{"-i", path("none.mp4"), path("x.avi")}
                                   << QString("%1: no such file or directory\n").arg(path("none.mp4"));
    QTest::newRow("missing argument") << QStringList{"-i"} << "zirc: missing argument for option '-i'\n";
    QTest::newRow("no input") << QStringList{"-y", path("x.avi")} << "At least one input file must be specified\n";
    QTest::newRow("no output") << QStringList{"-y", "-i", path("album.mp4")}
                               << "At least one output file must be specified\n";
}

void TestZirc::failures()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run run = zirc(args);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, message);
}

void TestZirc::informational()
{
    Run run = zirc({"-version"});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err,
             QString("zirc      SVN-rUNKNOWN\nlibavutil   1000901\nlibavcodec  1000903\nlibavformat 1000901\n"));
    run = zirc({"-h"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("-vframes number"));
    run = zirc({"-formats"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QRegularExpression(" DE image2 ")));
}

std::unique_ptr<QObject> makeZircTests() { return std::make_unique<TestZirc>(); }

#include "tst_zirc.moc"
