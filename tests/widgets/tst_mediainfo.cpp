// The property panel's rows and escaping, and the getting-started picture's
// language choice and placement as shown.

#include "widgetstests.h"

#include "gettingstartlabel.h"
#include "mediainfowidget.h"
#include "zulangitemmodel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

class TestMediaInfo : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("photo") << int(MediaInfoWidget::ImageFile)
                               << QStringList{"File Name:",      "Format:",
                                              "Resolution:",     "Size:",
                                              "Modified:",       "-------------------------",
                                              "Equipment Make:", "Camera Model:",
                                              "Software:",       "Compressed Bit-Per-Pixel:",
                                              "Exposure Time:",  "F-Number:",
                                              "Exposure Mode:",  "Exposure Bias:",
                                              "Max Aperture:"}
                               << QStringList{"<b>v1<b>", "v2",  "v3", "v4", "v5",  "----------------",
                                              "v6",       "v7",  "v8", "v9", "v10", "v11",
                                              "v12",      "v13", "v14"};
        QTest::newRow("audio") << int(MediaInfoWidget::AudioFile)
                               << QStringList{"File Name:", "Format:",      "Size:",
                                              "Channels:",  "Sample Rate:", "Duration:"}
                               << QStringList{"<b>v1<b>", "v2", "v3", "v15", "v16", "v17"};
        QTest::newRow("nothing") << int(MediaInfoWidget::NoFile) << QStringList() << QStringList();
    }
    void rows()
    {
        QFETCH(int, type);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, values);
        MediaInfoWidget panel;
        QStringList given;
        // File-derived values are shown as written, never read as markup.
        given << QStringLiteral("<b>v1<b>");
        for (int i = 2; i <= 17; ++i)
            given << QStringLiteral("v%1").arg(i);
        panel.setFileInfo(MediaInfoWidget::ImageFile, "stale");
        panel.setHtml();
        panel.setFileInfo(MediaInfoWidget::fileType(type), given[0], given[1], given[2], given[3], given[4], given[5],
                          given[6], given[7], given[8], given[9], given[10], given[11], given[12], given[13], given[14],
                          given[15], given[16]);
        panel.setHtml();
        QStringList shown;
        for (const QString& line : panel.findChild<QTextEdit*>()->toPlainText().split('\n', Qt::SkipEmptyParts))
            shown << line.trimmed();
        QStringList expected;
        for (int i = 0; i < labels.size(); ++i)
            expected << labels[i] + QLatin1Char('\n') + values[i];
        QCOMPARE(shown.join('\n'), expected.join('\n'));
        QCOMPARE(panel.width(), 280);
    }

    void gettingStartLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("localized");
        QTest::newRow("English") << "en" << false;
        QTest::newRow("German") << "de" << true;
        QTest::newRow("French, no picture") << "fr" << false;
    }
    void gettingStartLanguage()
    {
        QFETCH(QString, language);
        QFETCH(bool, localized);
        QTemporaryDir dir;
        for (const char* code : {"de", "fr"}) {
            QFile qm(dir.filePath(QStringLiteral("reelwright_%1.qm").arg(code)));
            QVERIFY(qm.open(QIODevice::WriteOnly));
        }
        ZuLangItemModel langs;
        langs.scan(dir.path());
        QVERIFY(langs.setCurrentLang(language));

        GettingStartLabel label;
        label.setLangModel(&langs);
        label.retranslate();
        const QImage english(QStringLiteral(":/app_reelwright/gettingstart.png"));
        const QImage german(QStringLiteral(":/app_reelwright/gettingstart_de_DE.png"));
        QVERIFY(!english.isNull() && !german.isNull() && english != german);
        QCOMPARE(label.image() == german, localized);
        QCOMPARE(label.image() == english, !localized);
    }

    // Centred across, never lower than 20 px, and above the top when the
    // label is shorter than the picture.
    void gettingStartPlacement_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("tall") << QSize(900, 600);
        QTest::newRow("short") << QSize(700, 120);
    }
    void gettingStartPlacement()
    {
        QFETCH(QSize, size);
        GettingStartLabel label;
        label.setGettingStart(QStringLiteral(":/app_reelwright/gettingstart.png"));
        label.retranslate();
        label.setAutoFillBackground(true);
        label.setPalette(QPalette(Qt::black));
        label.resize(size);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        const QImage shown = label.grab().toImage();
        const QImage picture = label.image();
        const int x = (size.width() - picture.width()) / 2;
        const int y = std::min((size.height() - picture.height()) / 2, 20);
        // The picture's outline is an opaque line 1-2 px inside its edge.
        const QPoint probe(x + picture.width() / 2, y + 1);
        if (probe.y() >= 0) {
            QCOMPARE(shown.pixel(probe), picture.pixel(picture.width() / 2, 1));
            QCOMPARE(shown.pixel(probe.x(), probe.y() - 3), qRgb(0, 0, 0));
        }
        const QPoint bottom(x + picture.width() / 2, y + picture.height() - 2);
        if (bottom.y() < size.height())
            QCOMPARE(shown.pixel(bottom), picture.pixel(picture.width() / 2, picture.height() - 2));
        QCOMPARE(shown.pixel(x - 2, std::max(y, 0) + 30), qRgb(0, 0, 0));
        QVERIFY(shown.pixel(x + 3, std::max(y, 0) + 30) != qRgb(0, 0, 0));
    }
};

std::unique_ptr<QObject> makeMediaInfoTests() { return std::make_unique<TestMediaInfo>(); }

#include "tst_mediainfo.moc"
