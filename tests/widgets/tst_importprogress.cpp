// The import dialog on a real photo strip: good and bad files together,
// cancelling half way, and a report that shows file names as they are.

#include "importprogress.h"
#include "photolistwidget.h"
#include "widgetstests.h"
#include "zumessagebox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

namespace {

bool copyTo(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

QStringList pathsOf(const QList<ImageInfo>& photos)
{
    QStringList paths;
    for (const ImageInfo& photo : photos)
        paths << photo.filePath;
    return paths;
}

} // namespace

class ImportProgressTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_reports;

    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private slots:
    void init()
    {
        m_reports.clear();
        ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
            m_reports << box.text();
            return QMessageBox::Ok;
        });
    }
    void cleanup() { ZuMessageBox::setAnswerHook({}); }

    // Good photos arrive in order; the one report lists exactly the bad
    // files, each with its reason, markup in names shown literally.
    void goodAndBadTogether()
    {
        QVERIFY(copyTo(mediaFile("flower.jpg"), path("a flower.jpg")));
        QVERIFY(copyTo(mediaFile("raindrops.jpg"), path("rain \u00e9t\u00e9.jpg")));
        QFile text(path("<b>bold<b>.jpg"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a photo\n");
        text.close();
        QVERIFY(QDir(m_dir.path()).mkpath("album.jpg"));
        const QStringList files = {path("a flower.jpg"), path("<b>bold<b>.jpg"), path("album.jpg"),
                                   path("rain \u00e9t\u00e9.jpg")};

        PhotoListWidget strip;
        QSignalSpy changed(&strip, &PhotoListWidget::photoListChanged);
        ImportProgress dialog(true, &strip);
        int shownPercent = -1;
        QString shownLabel;
        QTimer::singleShot(0, &dialog, [&] {
            shownLabel = dialog.findChild<QLabel*>("label")->text();
            QCOMPARE(dialog.size(), QSize(450, 100));
        });
        connect(&dialog, &QDialog::finished, this,
                [&] { shownPercent = dialog.findChild<QProgressBar*>("progressBar")->value(); });
        dialog.parseFileList(files);
        dialog.exec();

        QVERIFY(shownLabel.startsWith("Importing "));
        QCOMPARE(shownPercent, 100);
        QVERIFY(dialog.added);
        QCOMPARE(changed.count(), 0); // the caller finishes
        strip.finishItemsAdding();
        QCOMPARE(pathsOf(strip.photoList()), QStringList({files.at(0), files.at(3)}));
        QCOMPARE(strip.count(), 3);

        QCOMPARE(m_reports.size(), 1);
        QTextDocument shown;
        shown.setHtml(m_reports.first());
        const QString plain = shown.toPlainText();
        QVERIFY2(plain.startsWith("Some files have not been added to the list:"), qPrintable(plain));
        QVERIFY(plain.contains(files.at(1) + QChar(QChar::Nbsp)) || plain.contains(files.at(1) + '\t')
                || plain.contains(files.at(1) + ' '));
        QVERIFY(plain.contains("It is not a photo in a format this program reads."));
        QVERIFY(plain.contains(files.at(2)));
        QVERIFY(plain.contains("It is a folder, not a file."));
        QVERIFY(!plain.contains(files.at(0)));
        QVERIFY(!plain.contains(files.at(3)));
        QVERIFY(m_reports.first().contains("&lt;b&gt;bold&lt;b&gt;.jpg"));
    }

    // Cancel while parsing: what reached the strip stays, the rest is
    // dropped, and no report is shown.
    void cancelKeepsWhatWasAdded()
    {
        const QStringList files(40, mediaFile("flower.jpg"));
        PhotoListWidget strip;
        ImportProgress dialog(true, &strip);
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (strip.count() > 0 && dialog.isVisible()) {
                poll.stop();
                QTest::mouseClick(dialog.findChild<QPushButton*>("Cancel"), Qt::LeftButton);
            }
        });
        poll.start();
        dialog.parseFileList(files);
        dialog.exec();
        QVERIFY(dialog.added);
        const int kept = int(strip.photoList().size());
        QVERIFY(kept >= 1);
        QVERIFY(kept < files.size());
        QTest::qWait(3 * ImportProgress::ProgressIntervalMs);
        QCOMPARE(int(strip.photoList().size()), kept);
        QVERIFY(m_reports.isEmpty());
    }
};

std::unique_ptr<QObject> makeImportProgressTests()
{
    return std::make_unique<ImportProgressTest>();
}

#include "tst_importprogress.moc"
