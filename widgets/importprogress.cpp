#include "importprogress.h"

#include "ui_importprogress.h"
#include "zu.h"
#include "zumessagebox.h"

#include <QDir>
#include <QLayout>

ImportProgress::ImportProgress(bool isImage, QWidget* parent)
    : ZuDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui::ImportProgressClass>())
    , isImage(isImage)
{
    ui->setupUi(this);
    setAllWindowTitle(tr("Import Progress"));
    setFixedSize(450, 100);
    // The label must have its real width before the first file name is
    // elided to it, which is before the dialog is shown.
    layout()->activate();
    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(0);
    timer.setInterval(ProgressIntervalMs);
    connect(&timer, &QTimer::timeout, this, &ImportProgress::updateProgress);
}

ImportProgress::~ImportProgress()
{
    cancel();
    parser.reset();
}

void ImportProgress::showFile(int index)
{
    ui->label->setText(
        Zu::labelElidedText(ui->label, tr("Importing %1...").arg(QDir::toNativeSeparators(files.at(index)))));
}

void ImportProgress::parseFileList(const QStringList& list)
{
    if (list.isEmpty() || parser)
        return;
    files = list;
    showFile(0);
    parser = std::make_unique<InfoParser>(files, isImage);
    parser->start(QThread::InheritPriority);
    timer.start();
}

void ImportProgress::updateProgress()
{
    if (!parser || finished)
        return;
    const int c = parser->parsed();
    const int n = int(files.size());

    if (isImage) {
        const QList<ImageInfo> images = parser->succeededImageList();
        if (!images.isEmpty()) {
            added = true;
            emit photosParsed(images);
        }
    } else {
        const QList<AudioInfo> clips = parser->succeededAudioList();
        if (!clips.isEmpty()) {
            added = true;
            emit clipsParsed(clips);
        }
    }

    ui->progressBar->setValue(int(qint64(c) * 100 / n));
    if (c < n) {
        showFile(c);
        return;
    }

    finished = true;
    timer.stop();
    parser->wait();
    const QList<InfoParser::Failure> failures = parser->failures();
    if (!failures.isEmpty())
        ZuMessageBox::info(failureReport(failures), QString(), this);
    close();
}

QString ImportProgress::failureReport(const QList<InfoParser::Failure>& failures)
{
    // A table keeps each reason beside its path however long the paths are;
    // everything from the files is escaped, so a name shows as it is written.
    QString html = QStringLiteral("<p>") +
                   tr("Some files have not been added to the list:\n").trimmed().toHtmlEscaped() +
                   QStringLiteral("</p><table cellspacing=\"0\" cellpadding=\"1\">");
    // A box taller than the screen would hide its own button, so a long list
    // is cut and the rest counted.
    const qsizetype shown = failures.size() > MaxReportedFiles ? MaxReportedFiles - 1 : failures.size();
    for (qsizetype i = 0; i < shown; ++i)
        html += QStringLiteral("<tr><td style=\"white-space:pre\">%1</td><td style=\"white-space:pre\">  %2</td></tr>")
                    .arg(QDir::toNativeSeparators(failures.at(i).path).toHtmlEscaped(),
                         failures.at(i).reason.toHtmlEscaped());
    html += QStringLiteral("</table>");
    if (shown < failures.size())
        html += QStringLiteral("<p>") + tr("... and %n more file(s).", nullptr, int(failures.size() - shown)) +
                QStringLiteral("</p>");
    return html;
}

void ImportProgress::cancel()
{
    timer.stop();
    if (parser) {
        parser->stop();
        parser->wait();
    }
    finished = true;
}

void ImportProgress::on_Cancel_clicked()
{
    cancel();
    close();
}

void ImportProgress::reject()
{
    cancel();
    ZuDialog::reject();
}

void ImportProgress::retranslate()
{
    ui->retranslateUi(this);
    setAllWindowTitle(tr("Import Progress"));
    if (parser && !finished)
        showFile(std::min(parser->parsed(), int(files.size()) - 1));
}
