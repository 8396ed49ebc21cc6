// The log file: line format, the 1023-byte cut, the backup at 8192 bytes, the event macro, an unwritable folder.
#include "writelog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestWriteLog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString logPath() const
    {
        return m_tmp.path() + QLatin1Char('/') + QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
               QStringLiteral(".1.log");
    }
    QString backupPath() const
    {
        QString p = logPath();
        p.replace(QStringLiteral(".1.log"), QStringLiteral(".2.log"));
        return p;
    }
    static QByteArray readAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        // QDir::tempPath() follows TMPDIR, so the log lands in our own folder.
        qputenv("TMPDIR", m_tmp.path().toLocal8Bit());
        QCOMPARE(QDir::tempPath(), m_tmp.path());
    }

    void init()
    {
        QFile::remove(logPath());
        QFile::remove(backupPath());
    }

    void formatsAndAppendsLines()
    {
        QCOMPARE(WriteLog(QStringLiteral("%s(%d) : %s %08x"), "main.cpp", 158, "2010/05/01 12:00:00", 0u), 1);
        QCOMPARE(WriteLog(QString()), 1);
        QCOMPARE(WriteLog(QStringLiteral("code %d"), 42), 1);
        QCOMPARE(readAll(logPath()), QByteArray("main.cpp(158) : 2010/05/01 12:00:00 00000000\n\ncode 42\n"));
        QVERIFY(!QFile::exists(backupPath()));
    }

    void longEntryIsCutAt1023Bytes()
    {
        const QByteArray longText(5000, 'x');
        WriteLog(QStringLiteral("%s"), longText.constData());
        const QByteArray written = readAll(logPath());
        QCOMPARE(written.size(), 1024); // 1023 bytes and the line end
        QCOMPARE(written, QByteArray(1023, 'x') + '\n');
    }

    void backupAppearsAt8192AndFollowsEveryLaterEntry()
    {
        // 99 bytes + "\n" per entry: 81 entries make 8100 bytes, 82 make 8200.
        const QByteArray line(99, 'a');
        for (int i = 0; i < 81; ++i)
            WriteLog(QStringLiteral("%s"), line.constData());
        QCOMPARE(QFileInfo(logPath()).size(), qint64(8100));
        QVERIFY(!QFile::exists(backupPath()));

        WriteLog(QStringLiteral("%s"), line.constData());
        QCOMPARE(QFileInfo(logPath()).size(), qint64(8200));
        QVERIFY(QFile::exists(backupPath()));
        QCOMPARE(readAll(backupPath()), readAll(logPath()));

        // The log keeps growing; the backup is refreshed to match it each time.
        WriteLog(QStringLiteral("later"));
        QCOMPARE(QFileInfo(logPath()).size(), qint64(8206));
        QCOMPARE(readAll(backupPath()), readAll(logPath()));
    }

    void eventMacroWritesSourceLineTimeAndEmptyLine()
    {
        const int line = __LINE__ + 1;
        ZU_LOG_EVENT();
        const QString text = QString::fromLocal8Bit(readAll(logPath()));
        const QRegularExpression re(QStringLiteral("^tst_writelog\\.cpp\\((\\d+)\\) : "
                                                   "\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d 00000000\\n\\n$"));
        const QRegularExpressionMatch m = re.match(text);
        QVERIFY2(m.hasMatch(), qPrintable(text));
        QCOMPARE(m.captured(1).toInt(), line);
    }

    void unwritableTempFolderIsSilent()
    {
        qputenv("TMPDIR", "/nonexistent-folder-for-log-test");
        QCOMPARE(WriteLog(QStringLiteral("lost")), 1);
        qputenv("TMPDIR", m_tmp.path().toLocal8Bit());
        QVERIFY(!QFile::exists(logPath()));
    }
};

std::unique_ptr<QObject> makeWriteLogTests() { return std::make_unique<TestWriteLog>(); }

#include "tst_writelog.moc"
