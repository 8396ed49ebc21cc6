// Subtitle files as captions: what is read from real-world SubRip files,
// what is refused, and which photo each entry lands on.

#include "modeltests.h"
#include "subtitles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QString describe(const QList<SubtitleEntry>& entries)
{
    QStringList parts;
    for (const SubtitleEntry& entry : entries)
        parts << QStringLiteral("%1-%2 %3").arg(entry.start, 0, 'g', 10).arg(entry.end, 0, 'g', 10).arg(entry.text);
    return parts.join(QLatin1String(" | "));
}

class SubtitlesTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entries"); // "" and an error containing `message` when refused
        QTest::addColumn<QString>("message");

        QTest::newRow("plain") << "1\n00:00:01,000 --> 00:00:04,500\nHello\n\n2\n00:00:05,250 --> 00:00:07,000\nA\nB\n"
                               << "1-4.5 Hello | 5.25-7 A\nB"
                               << "";
        QTest::newRow("windows line ends, mark, dot fractions, no numbers")
            << "\uFEFF00:00:01.5 --> 00:00:02.75\r\nOne\r\n\r\n\r\n01:02:03,004 --> 01:02:04,000 X1:10 X2:20\r\nTwo\r\n"
            << "1.5-2.75 One | 3723.004-3724 Two"
            << "";
        QTest::newRow("tags dropped, the rest kept as text")
            << "1\n00:00:00,000 --> 00:00:01,000\n<i>it's</i> <b>5 < 6</b> & <font color=\"red\">red</font>\n"
               "{\\an8}<script>x</script>\n"
            << "0-1 it's 5 < 6 & red\n<script>x</script>"
            << "";
        QTest::newRow("entries out of order and empty ones")
            << "2\n00:00:09,000 --> 00:00:10,000\nlate\n\n1\n00:00:01,000 --> 00:00:02,000\nearly\n\n"
               "3\n00:00:03,000 --> 00:00:04,000\n<i></i>\n"
            << "1-2 early | 9-10 late"
            << "";
        QTest::newRow("end before start") << "1\n00:00:05,000 --> 00:00:04,000\nx\n"
                                          << "5-5 x"
                                          << "";
        QTest::newRow("damaged times") << "1\n00:00:01,000 -> 00:00:02,000\nx\n"
                                       << ""
                                       << "line 2";
        QTest::newRow("not subtitles") << "Dear diary,\ntoday\n"
                                       << ""
                                       << "line 2";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, entries);
        QFETCH(QString, message);
        QList<SubtitleEntry> read;
        QString error;
        QCOMPARE(parseSubtitles(text, QStringLiteral("song.srt"), read, &error), message.isEmpty());
        QCOMPARE(describe(read), entries);
        if (!message.isEmpty())
            QVERIFY2(error.contains(message) && error.contains(QLatin1String("song.srt")), qPrintable(error));
    }

    // A file that is not UTF-8 is read as Latin-1 rather than refused or
    // garbled into replacement characters; a missing file says why.
    void readFiles()
    {
        QTemporaryDir dir;
        const QString latin = dir.filePath(QStringLiteral("latin.srt"));
        QVERIFY(writeBytes(latin, "1\r\n00:00:01,000 --> 00:00:02,000\r\nCaf\xe9 cr\xe8me\r\n"));
        QList<SubtitleEntry> entries;
        QString error;
        QVERIFY(readSubtitles(latin, entries, &error));
        QCOMPARE(describe(entries), QStringLiteral("1-2 Caf\u00e9 cr\u00e8me"));
        const QString utf8 = dir.filePath(QStringLiteral("utf8.srt"));
        QVERIFY(writeBytes(utf8, "1\n00:00:01,000 --> 00:00:02,000\n\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xe4\xbd\xa0\n"));
        QVERIFY(readSubtitles(utf8, entries, &error));
        QCOMPARE(describe(entries), QStringLiteral("1-2 \u05e9\u05dc\u05d5\u05dd \u4f60"));
        QVERIFY(!readSubtitles(dir.filePath(QStringLiteral("gone.srt")), entries, &error));
        QVERIFY2(error.contains(QLatin1String("gone.srt")), qPrintable(error));
        QVERIFY(entries.isEmpty());
    }

    // Photos change at 4, 8 and 12 s: an entry goes to the photo on screen
    // at its middle, several entries of one photo become lines, and entries
    // past the end stay with the last photo.
    void entriesToPhotos_data()
    {
        QTest::addColumn<QString>("times"); // start-end per entry, text = its number
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("one each") << "0-2 5-6 9-10 13-20" << QStringList{"1", "2", "3", "4"};
        QTest::newRow("middle decides") << "3-6 7-12" << QStringList{"", "1", "2", ""};
        QTest::newRow("two for one photo") << "4.5-5 6-7" << QStringList{"", "1\n2", "", ""};
        QTest::newRow("after the end") << "30-31" << QStringList{"", "", "", "1"};
        QTest::newRow("on a change") << "7-9" << QStringList{"", "", "1", ""};
    }
    void entriesToPhotos()
    {
        QFETCH(QString, times);
        QFETCH(QStringList, captions);
        QList<SubtitleEntry> entries;
        for (const QString& span : times.split(QLatin1Char(' '))) {
            const QStringList ends = span.split(QLatin1Char('-'));
            entries << SubtitleEntry{ends[0].toDouble(), ends[1].toDouble(), QString::number(entries.size() + 1)};
        }
        QCOMPARE(captionsFromSubtitles(entries, {4.0, 8.0, 12.0}, 4), captions);
        QCOMPARE(captionsFromSubtitles(entries, {}, 0), QStringList());
    }
};

} // namespace

std::unique_ptr<QObject> makeSubtitlesTests() { return std::make_unique<SubtitlesTest>(); }

#include "tst_subtitles.moc"
