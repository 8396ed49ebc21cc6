#include "quilupdatewindow.h"
#include "ui_quilupdatewindow.h"
#include "updatebanner.h"

#include "settingskeys.h"
#include "quilols.h"
#include "writelog.h"
#include "zu.h"
#include "zuapplication.h"
#include "zulangitemmodel.h"
#include "zumessagebox.h"
#include "zunetwork.h"
#include "zupref.h"
#include "zuskinitemmodel.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

namespace {

// A package must be larger than this; smaller answers are error pages.
constexpr qint64 kMinPackageBytes = 102400;
constexpr qint64 kCopyChunk = 1 << 20;
constexpr int kMd5Length = 32;
// A digest file is 32 digits and perhaps a line end; much more is not one.
constexpr qint64 kMaxDigestBytes = 1024;
// What the network layer holds for a download before it waits for the disk.
constexpr qint64 kDownloadBufferBytes = 1 << 20;

// Package types the desktop installs or unpacks by itself; a click on
// Install must never run a script or program a service names.
const char* const kInstallableSuffixes[] = {".deb",        ".rpm",    ".appimage", ".flatpak",
                                            ".flatpakref", ".tar.xz", ".tar.gz",   ".zip"};

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

quilUpdateWindow::UrlOpener g_urlOpener;
quilUpdateWindow::SaveFileChooser g_saveFileChooser;

bool openUrl(const QUrl& url) { return g_urlOpener ? g_urlOpener(url) : QDesktopServices::openUrl(url); }

bool isSuccess(const QNetworkReply* reply)
{
    const int status = ZuNetwork::httpStatus(reply);
    return status >= 200 && status <= 299;
}

// Hands a finished or dropped transfer's fetch to the event loop: it may be
// the sender of the signal being handled.
void release(std::unique_ptr<ZuFetch>& fetch)
{
    if (fetch)
        fetch.release()->deleteLater();
}

} // namespace

quilUpdateWindow::quilUpdateWindow(QWidget* parent, Qt::WindowFlags flags)
    : ZuMainWindow(parent, flags | kWindowFlags)
    , ui(std::make_unique<Ui::quilUpdateWindowClass>())
    , m_network(new QNetworkAccessManager(this))
    , m_stallMs(ZuNetwork::kStallTimeoutMs)
{
    // Named before the form is set up, which would name it otherwise; the
    // remembered geometry is stored under this name.
    setObjectName(QStringLiteral("zufc_updatewindow"));
    ui->setupUi(this);
    setWindowIcon(UpdateBanner::badgeIcon());
    // The install text reads as part of the page, not as an input field.
    QPalette textPalette = ui->textBrowser->palette();
    textPalette.setColor(QPalette::Base, Qt::transparent);
    ui->textBrowser->setPalette(textPalette);
    ui->textBrowser->document()->setDocumentMargin(0);
    SetStatusBarVisible(false);
    setMyFixedSize(600, 400);
    enableRestoreFrameGeometry(true);
    if (!restoreFrameGeometry())
        Zu::moveCenter(this);

    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &quilUpdateWindow::on_timer_update_time);
    connect(ui->widget_web, &QTextBrowser::anchorClicked, this, &quilUpdateWindow::on_info_link_click);
    setProgress(0);
    setSkin();
    retranslate();
}

quilUpdateWindow::~quilUpdateWindow()
{
    // Replies still running must not call back into a half-destroyed window,
    // and unfinished files never replace anything.
    m_aborted = true;
    dropTransfers();
}

void quilUpdateWindow::setUrlOpener(UrlOpener opener) { g_urlOpener = std::move(opener); }

void quilUpdateWindow::setSaveFileChooser(SaveFileChooser chooser) { g_saveFileChooser = std::move(chooser); }

void quilUpdateWindow::Init(const QString& productKey, const QString& secondQuery, const QString& productName,
                            const QString& language, const QString& endpoint)
{
    m_productKey = productKey;
    m_secondQuery = secondQuery;
    m_productName = productName;
    m_language = language;
    m_endpoint = endpoint;
    retranslate();
}

QString quilUpdateWindow::UpDateWindowSize() const { return QStringLiteral("%1,%2").arg(m_width).arg(m_height); }

void quilUpdateWindow::setUpDateWindowSize(const QString& size)
{
    if (size.isEmpty() || size == UpDateWindowSize())
        return;
    const QStringList parts = size.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return;
    bool widthOk = false;
    bool heightOk = false;
    const int width = parts.at(0).trimmed().toInt(&widthOk);
    const int height = parts.at(1).trimmed().toInt(&heightOk);
    // A typing error in a skin must not shrink the wizard to nothing.
    if (!widthOk || !heightOk || width <= 0 || height <= 0)
        return;
    m_width = width;
    m_height = height;
    setMyFixedSize(width, height);
}

QString quilUpdateWindow::formattime(int secs)
{
    if (secs <= 0)
        return QString();
    const QLatin1Char zero('0');
    return QStringLiteral("%1:%2:%3")
        .arg(secs / 3600, 2, 10, zero)
        .arg(secs / 60 % 60, 2, 10, zero)
        .arg(secs % 60, 2, 10, zero);
}

QString quilUpdateWindow::packageFileName(const QUrl& url)
{
    if (!ZuNetwork::isWebUrl(url))
        return QString();
    // The last segment as sent, then decoded: an encoded slash or dot-dot
    // in it is refused rather than taken apart.
    const QString name =
        QUrl::fromPercentEncoding(url.path(QUrl::FullyEncoded).section(QLatin1Char('/'), -1).toLatin1());
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return QString();
    return name;
}

bool quilUpdateWindow::isInstallable(const QString& fileName)
{
    for (const char* suffix : kInstallableSuffixes) {
        if (fileName.endsWith(QLatin1String(suffix), Qt::CaseInsensitive) && fileName.size() > int(qstrlen(suffix)))
            return true;
    }
    return false;
}

QByteArray quilUpdateWindow::parseDigest(const QByteArray& digestFile)
{
    const QByteArray digest = digestFile.trimmed().toLower();
    if (digest.size() != kMd5Length)
        return QByteArray();
    for (const char c : digest) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return QByteArray();
    }
    return digest;
}

QUrl quilUpdateWindow::md5Url(const QUrl& packageUrl)
{
    QUrl url = packageUrl;
    url.setFragment(QString());
    url.setPath(packageUrl.path(QUrl::FullyEncoded) + QStringLiteral(".md5"), QUrl::StrictMode);
    return url;
}

int quilUpdateWindow::checkUpate()
{
    m_service = std::make_unique<quilols>(m_endpoint.toUtf8().constData());
    m_service->setTimeout(m_stallMs);
    m_checking = true;
    ui->verticalStackedWidget->setCurrentIndex(0);
    ui->widget_web->clear();
    ui->pushButton_update->setEnabled(false);
    updateTexts();

    ns2__getUpdateInfoResponse response;
    const int result = m_service->getUpdateInfo(m_productKey.toStdString(), m_secondQuery.toStdString(),
                                                m_language.toStdString(), response);
    m_checking = false;
    if (result != 0) {
        ZuMessageBox::alert(tr("Unable to connect validation server.\nPlease check your network connection."));
        return 0;
    }
    const QString available = QString::fromStdString(response.updateAvailable).trimmed();
    bool numeric = false;
    const double count = available.toDouble(&numeric);
    if (!available.isEmpty() && numeric && count > 0) {
        ui->pushButton_update->setEnabled(true);
        m_packageUrl = QString::fromStdString(response.packageUrl).trimmed();
        m_version = QString::fromStdString(response.version);
        m_extra = QString::fromStdString(response.extra);
        m_importance = QString::fromStdString(response.importance).trimmed();
        updateTexts();
        on_pushButton_update_clicked();
        show(true);
        return 1;
    }
    ZuMessageBox::info(tr("The current version you are using is the latest one."));
    return 0;
}

void quilUpdateWindow::on_pushButton_update_clicked()
{
    dropTransfers();
    m_status = Status::Downloading;
    setProgress(0);
    m_elapsed = 0;
    m_remaining = 0;
    m_finished = false;
    on_timer_update_time();
    updateTexts();
    ui->verticalStackedWidget->setCurrentIndex(1);
    ui->pushButton->setFocus();

    m_aborted = false;
    m_downloadUrl = m_packageUrl;
    const QUrl url(m_downloadUrl);
    const QString name = packageFileName(url);
    m_packagePath = name.isEmpty() ? QString() : Zu::appDataPath() + QLatin1Char('/') + name;
    ZuPref::instance()->setValue(SettingsKey::UpdateVersion, QString());
    ZuPref::instance()->setValue(SettingsKey::UpdateLocalPath, QString());

    if (name.isEmpty()) {
        // Only web addresses, and only a name that stays in our folder.
        WriteLog(QStringLiteral("quilupdate: refused package address %s\n"), m_downloadUrl.toLocal8Bit().constData());
        showFailed();
        return;
    }
    // Written beside the final name and renamed over it only once verified;
    // until then an earlier file of that name stays as it was.
    m_package.file = std::make_unique<QSaveFile>(m_packagePath);
    if (!m_package.file->open(QIODevice::WriteOnly)) {
        WriteLog(QStringLiteral("quilupdate: cannot write %s\n"), m_packagePath.toLocal8Bit().constData());
        m_package.file.reset();
        showFailed();
        return;
    }
    startTransfer(m_md5, md5Url(url));
    connect(m_md5.fetch.get(), &ZuFetch::finished, this, &quilUpdateWindow::on_md5_download_httpRequestFinished);
    startTransfer(m_package, url);
    connect(m_package.fetch.get(), &ZuFetch::finished, this, &quilUpdateWindow::on_download_httpRequestFinished);

    m_elapsed = 0;
    m_remaining = -1;
    m_timer.start(1000);
}

void quilUpdateWindow::startTransfer(Transfer& transfer, const QUrl& url)
{
    transfer.received = 0;
    transfer.done = false;
    transfer.failed = false;
    transfer.memory.clear();
    transfer.hash.reset();
    transfer.fetch = std::make_unique<ZuFetch>(m_network, ZuNetwork::request(url, m_stallMs), "GET", QByteArray(),
                                               kDownloadBufferBytes);
    connect(transfer.fetch.get(), &ZuFetch::readyRead, this, [this, &transfer] { takeData(transfer); });
}

void quilUpdateWindow::takeData(Transfer& transfer)
{
    QNetworkReply* reply = transfer.fetch ? transfer.fetch->reply() : nullptr;
    if (!reply || !reply->isOpen())
        return; // aborted: nothing more to read
    const QByteArray data = reply->readAll();
    // An error page never takes the place of a package or its digest.
    if (transfer.failed || !isSuccess(reply))
        return;
    if (transfer.file) {
        if (transfer.file->write(data) != data.size()) {
            WriteLog(QStringLiteral("quilupdate: cannot write %s\n"),
                     transfer.file->fileName().toLocal8Bit().constData());
            transfer.failed = true;
            transfer.fetch->abort();
            return;
        }
    } else {
        transfer.memory += data;
        if (transfer.memory.size() > kMaxDigestBytes) {
            transfer.failed = true;
            transfer.fetch->abort();
            return;
        }
    }
    transfer.hash.addData(data);
    transfer.received += data.size();
    if (&transfer == &m_package && !data.isEmpty())
        reportProgress();
}

void quilUpdateWindow::reportProgress()
{
    // Counted here rather than taken from the network layer's progress
    // signal, which holds back reports that come in quick succession and so
    // may never tell how much of a stalled transfer arrived. An unknown
    // length counts as 0, as the progress arithmetic expects.
    const qint64 total = m_package.fetch->reply()->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    on_download_updateDataReadProgress(m_package.received, qMax<qint64>(total, 0));
}

void quilUpdateWindow::transferFinished(Transfer& transfer)
{
    if (!transfer.fetch || transfer.done)
        return;
    takeData(transfer);
    transfer.done = true;
    if (!transfer.fetch->succeeded()) {
        transfer.failed = true;
        return;
    }
    // A body cut short is incomplete even when the connection ended
    // without an error.
    const QVariant length = transfer.fetch->reply()->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != transfer.received) {
        WriteLog(QStringLiteral("quilupdate: %lld of %lld bytes arrived\n"), transfer.received, length.toLongLong());
        transfer.failed = true;
        return;
    }
    if (&transfer == &m_package)
        reportProgress(); // also for a package that arrived empty
}

void quilUpdateWindow::on_download_httpRequestFinished()
{
    transferFinished(m_package);
    conclude();
}

void quilUpdateWindow::on_md5_download_httpRequestFinished()
{
    transferFinished(m_md5);
    conclude();
}

void quilUpdateWindow::dropTransfers()
{
    for (Transfer* transfer : {&m_md5, &m_package}) {
        if (transfer->fetch) {
            transfer->fetch->disconnect(this);
            transfer->fetch->abort();
            release(transfer->fetch);
        }
        if (transfer->file)
            transfer->file->cancelWriting();
        transfer->file.reset();
        transfer->memory.clear();
        transfer->done = false;
        transfer->failed = false;
    }
}

void quilUpdateWindow::conclude()
{
    // The package is judged against its digest, so both must be complete.
    if (!m_package.fetch || !m_package.done || !m_md5.fetch || !m_md5.done)
        return;
    m_timer.stop();
    if (m_aborted) {
        dropTransfers();
        setProgress(0);
        return;
    }
    const bool complete = !m_package.failed && m_finished;
    const qint64 size = m_package.received;
    // No digest, or one in another form, is no proof: the package is not
    // offered.
    const QByteArray expected = m_md5.failed ? QByteArray() : parseDigest(m_md5.memory);
    const bool digestOk = !expected.isEmpty() && m_package.hash.result().toHex() == expected;
    bool saved = false;
    if (complete && size > kMinPackageBytes && digestOk) {
        saved = m_package.file->commit();
        if (!saved)
            WriteLog(QStringLiteral("quilupdate: cannot store %s\n"), m_packagePath.toLocal8Bit().constData());
    } else {
        m_package.file->cancelWriting();
    }
    m_package.file.reset();
    release(m_package.fetch);
    release(m_md5.fetch);
    m_md5.memory.clear();

    if (saved) {
        m_status = Status::Finished;
        setProgress(100);
        updateTexts();
        ui->verticalStackedWidget->setCurrentIndex(2);
        ui->pushButton_4->setEnabled(installable());
        (installable() ? ui->pushButton_4 : ui->pushButton_2)->setFocus();
        ZuPref::instance()->setValue(SettingsKey::UpdateVersion, m_version);
        ZuPref::instance()->setValue(SettingsKey::UpdateLocalPath, m_packagePath);
        return;
    }

    QString message;
    if (!complete)
        message = tr("Update failed.");
    else if (!digestOk)
        message = tr("Download error!");
    else if (size >= kMinPackageBytes)
        message = tr("Unable to connect validation server.\nPlease check your network connection.");
    else
        message = tr("Download error!");
    ZuMessageBox::alert(message, QString(), this);
    quitWizard();
}

bool quilUpdateWindow::installable() const { return isInstallable(QFileInfo(m_packagePath).fileName()); }

void quilUpdateWindow::on_download_updateDataReadProgress(qint64 done, qint64 total)
{
    if (done >= total)
        m_finished = true;
    const qint64 absDone = qAbs(done);
    const qint64 absTotal = qAbs(total);
    int percent = absTotal < 1 ? 0 : int(qMin<qint64>(absDone * 100 / absTotal, 101));
    if (absTotal < 1 || percent < 1) {
        m_remaining = -1;
        percent = 0;
    } else if (percent > 100) {
        m_remaining = 0;
        percent = 100;
    } else {
        m_remaining = int(qint64(100 - percent) * m_elapsed / percent);
    }
    setProgress(percent);
}

void quilUpdateWindow::on_timer_update_time()
{
    ++m_elapsed;
    ui->label_2->setText(tr("Elapsed Time: %1").arg(formattime(m_elapsed)));
    ui->label_3->setText(QStringLiteral("%1: %2").arg(tr("Remaining Time"), formattime(m_remaining)));
}

void quilUpdateWindow::setProgress(int percent)
{
    m_progress = percent;
    ui->progressBar->setValue(percent);
    ui->label_6->setText(QStringLiteral("%1%").arg(percent));
}

void quilUpdateWindow::showFailed()
{
    m_status = Status::Failed;
    updateTexts();
}

void quilUpdateWindow::on_pushButton_clicked()
{
    if (!confirmQuit())
        return;
    m_aborted = true;
    m_timer.stop();
    // Unfinished files are thrown away; whatever lay under their names stays.
    dropTransfers();
    setProgress(0);
    quitWizard();
}

void quilUpdateWindow::on_pushButton_3_clicked()
{
    if (confirmQuit())
        quitWizard();
}

void quilUpdateWindow::on_pushButton_4_clicked()
{
    if (m_status != Status::Finished || !installable())
        return; // only a verified package of a known type is opened
    if (!openUrl(QUrl::fromLocalFile(m_packagePath))) {
        ZuMessageBox::alert(tr("The update package cannot be opened:\n%1").arg(m_packagePath), QString(), this);
        return;
    }
    quitWizard();
}

void quilUpdateWindow::on_pushButton_2_clicked()
{
    QString proposed = ZuPref::instance()->value(SettingsKey::UpdateLastValue, QString()).toString();
    if (proposed.isEmpty())
        proposed = Zu::docPath() + QLatin1Char('/') + QFileInfo(m_packagePath).fileName();
    const QString caption = tr("Save File...");
    const QString chosen = g_saveFileChooser ? g_saveFileChooser(this, caption, proposed)
                                             : QFileDialog::getSaveFileName(this, caption, proposed);
    if (chosen.isEmpty())
        return;
    ZuPref::instance()->setValue(SettingsKey::UpdateLastValue, chosen);
    if (!copyPackage(chosen))
        ZuMessageBox::alert(tr("Failed to save the installation files."), QString(), nullptr);
}

bool quilUpdateWindow::copyPackage(const QString& target) const
{
    const QString source = QFileInfo(m_packagePath).canonicalFilePath();
    if (source.isEmpty())
        return false;
    if (QFileInfo(target).canonicalFilePath() == source)
        return true; // already there
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // The file already under that name is replaced only by a complete copy.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kCopyChunk);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

void quilUpdateWindow::on_pushButton_cancel_clicked() { quitWizard(); }

void quilUpdateWindow::on_pushButton_8_clicked() { quitWizard(); }

void quilUpdateWindow::on_pushButton_6_clicked() { on_pushButton_4_clicked(); }

void quilUpdateWindow::on_pushButton_7_clicked() { on_pushButton_update_clicked(); }

void quilUpdateWindow::on_pushButton_5_clicked() { on_pushButton_3_clicked(); }

void quilUpdateWindow::on_info_link_click(const QUrl& url)
{
    // The information view shows text from the service; a link in it may
    // lead to a web page, never to a local program or file.
    if (ZuNetwork::isWebUrl(url))
        openUrl(url);
}

void quilUpdateWindow::on_messageReceived(const QString& message)
{
    const QStringList parts = message.split(QStringLiteral(":::"), Qt::SkipEmptyParts);
    ZuApplication* app = ZuApplication::instance();
    if (parts.size() >= 2) {
        if (!app)
            return;
        if (parts.at(0) == QLatin1String("changeLang"))
            app->langModel()->setCurrentLang(parts.at(1));
        else if (parts.at(0) == QLatin1String("changeSkin"))
            app->skinModel()->setCurrentSkin(parts.at(1));
        return;
    }
    // Another start of the wizard for this product: bring this one forward,
    // unless it is still asking the service with no window to show.
    if (isVisible()) {
        raise();
        activateWindow();
    }
}

bool quilUpdateWindow::confirmQuit()
{
    return ZuMessageBox::question(tr("Are you sure to quit update wizard?"), m_productName,
                                  QMessageBox::Yes | QMessageBox::No, this, QMessageBox::No) == QMessageBox::Yes;
}

void quilUpdateWindow::closeEvent(QCloseEvent* event)
{
    if (m_quitting) {
        event->accept();
        return;
    }
    on_pushButton_clicked();
    if (m_quitting)
        event->accept();
    else
        event->ignore();
}

void quilUpdateWindow::quitWizard()
{
    m_quitting = true;
    m_timer.stop();
    hide();
    emit quitRequested();
}

QString quilUpdateWindow::statusText() const
{
    switch (m_status) {
    case Status::Failed: return tr("Download failed!");
    case Status::Finished: return tr("Update Finished");
    case Status::Downloading: break;
    }
    return tr("Downloading updates, please wait...");
}

QString quilUpdateWindow::importanceText() const
{
    if (m_importance == QLatin1String("1"))
        return tr("High");
    if (m_importance == QLatin1String("2"))
        return tr("Medium");
    if (m_importance == QLatin1String("3"))
        return tr("Low");
    return QString();
}

void quilUpdateWindow::retranslate()
{
    ZuMainWindow::retranslate();
    if (!ui)
        return; // called by the base before the form exists
    ui->retranslateUi(this);
    const QString title = m_productName + QLatin1Char(' ') + tr("Update Wizard");
    setAllWindowTitle(title);
    ui->banner->setTitle(title);
    updateTexts();
}

void quilUpdateWindow::updateTexts()
{
    if (m_checking) {
        ui->label_name->setText(tr("Checking for updates..."));
        ui->label_version->clear();
        ui->banner->setSubtitle(QString());
        ui->label_importance->clear();
    } else {
        ui->label_name->setText(tr("Find new version,update or not?"));
        ui->label_version->setText(tr("Version") + QLatin1Char(':') + m_version);
        ui->banner->setSubtitle(m_version.isEmpty() ? QString() : tr("Version") + QLatin1Char(' ') + m_version);
        ui->label_importance->setText(tr("Importance:") + importanceText());
    }
    ui->download_status->setText(statusText());
    ui->label_2->setText(tr("Elapsed Time: %1").arg(formattime(m_elapsed)));
    ui->label_3->setText(QStringLiteral("%1: %2").arg(tr("Remaining Time"), formattime(m_remaining)));
    if (m_status == Status::Finished && !installable()) {
        ui->textBrowser->setPlainText(
            tr("%1 is not a package type this wizard installs. Save it and install it yourself.")
                .arg(QFileInfo(m_packagePath).fileName()));
    } else {
        ui->textBrowser->setPlainText(
            QCoreApplication::translate("quilUpdateWindow22",
                                        "Update installation needs to close %1. Click \"Cancel\" to install next time.")
                .arg(m_productName));
    }
}
