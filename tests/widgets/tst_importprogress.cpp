// The import dialog on a real photo strip, cancelled half way. (Good and bad
// files together are imported by the photo strip's drop test.)

#include "importprogress.h"
#include "photolistwidget.h"
#include "widgetstests.h"
#include "zumessagebox.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class ImportProgressTest : public QObject
{
    Q_OBJECT

    QStringList m_reports;

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

    // Cancel while parsing: what reached the strip stays, the rest is
    // dropped, and no report is shown.
    void cancelKeepsWhatWasAdded()
    {
        const QStringList files(40, mediaFile("flower.jpg"));
        PhotoListWidget strip;
        ImportProgress dialog(true, &strip);
        QString label;
        int percent = -1;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (strip.count() > 0 && dialog.isVisible()) {
                poll.stop();
                label = dialog.findChild<QLabel*>("label")->text();
                percent = dialog.findChild<QProgressBar*>("progressBar")->value();
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
        QVERIFY(label.startsWith("Importing "));
        QVERIFY(percent >= 0 && percent < 100);
        QCOMPARE(dialog.size(), QSize(450, 100));
    }
};

std::unique_ptr<QObject> makeImportProgressTests()
{
    return std::make_unique<ImportProgressTest>();
}

#include "tst_importprogress.moc"
