// The import dialog on a real photo strip, cancelled half way. (Good and bad
// files together are imported by the photo strip's drop test.)

#include "importflow.h"
#include "importprogress.h"
#include "photolistwidget.h"
#include "widgetstests.h"
#include "zumessagebox.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
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
        ImportFlow::feedAlbum(dialog, *strip.document(), 0);
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

    // A long report lists the first files and counts the rest.
    void longReportIsCut()
    {
        QList<InfoParser::Failure> failures;
        for (int i = 0; i < 35; ++i)
            failures.append({QStringLiteral("/photos/bad%1.jpg").arg(i), QStringLiteral("The file is empty.")});
        QTextDocument report;
        report.setHtml(ImportProgress::failureReport(failures));
        const QString text = report.toPlainText();
        QCOMPARE(text.count("The file is empty."), ImportProgress::MaxReportedFiles - 1);
        QVERIFY(text.contains("/photos/bad28.jpg") && !text.contains("/photos/bad29.jpg"));
        QVERIFY(text.endsWith("... and 6 more file(s)."));
    }
};

std::unique_ptr<QObject> makeImportProgressTests() { return std::make_unique<ImportProgressTest>(); }

#include "tst_importprogress.moc"
