// The shared FFmpeg owners and error text: what a reader's or writer's
// failure message says, and that an output owner finishes its file.

#include "ffmpegptr.h"
#include "modeltests.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class TestFfmpegPtr : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void errorText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing file") << AVERROR(ENOENT) << QStringLiteral("No such file or directory");
        QTest::newRow("end of file") << int(AVERROR_EOF) << QStringLiteral("End of file");
        QTest::newRow("bad data") << int(AVERROR_INVALIDDATA)
                                  << QStringLiteral("Invalid data found when processing input");
        QTest::newRow("unknown code") << -987654 << QStringLiteral("Error number -987654 occurred");
    }

    void errorText()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(ffmpegErrorText(code), text);
    }

    // What a muxer wrote but the I/O buffer still holds reaches the file
    // when the owner lets go, also on an error path that never writes a
    // trailer.
    void outputOwnerFlushesItsFile()
    {
        const QByteArray path = m_dir.filePath(QStringLiteral("owned.wav")).toUtf8();
        AVFormatContext* made = nullptr;
        QVERIFY(avformat_alloc_output_context2(&made, nullptr, "wav", path.constData()) >= 0);
        OutputContextPtr output(made);
        QVERIFY(avio_open(&output->pb, path.constData(), AVIO_FLAG_WRITE) >= 0);
        const QByteArray bytes(1000, 'x');
        avio_write(output->pb, reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
        QCOMPARE(QFileInfo(QString::fromUtf8(path)).size(), 0);
        output.reset();
        QCOMPARE(QFileInfo(QString::fromUtf8(path)).size(), qint64(bytes.size()));
    }

    // A format that opens no file of its own leaves the I/O context alone.
    void outputOwnerWithoutFile()
    {
        AVFormatContext* made = nullptr;
        QVERIFY(avformat_alloc_output_context2(&made, nullptr, "null", nullptr) >= 0);
        QVERIFY(made->oformat->flags & AVFMT_NOFILE);
        OutputContextPtr output(made);
        output.reset();
        QVERIFY(!output);
    }
};

std::unique_ptr<QObject> makeFfmpegPtrTests() { return std::make_unique<TestFfmpegPtr>(); }

#include "tst_ffmpegptr.moc"
