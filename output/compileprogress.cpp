#include "compileprogress.h"

#include "compilearguments.h"
#include "logcategories.h"
#include "settingskeys.h"
#include "storyboardrender.h"
#include "ui_compileprogress.h"
#include "zupowerstate.h"
#include "zupref.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {
constexpr int ThumbnailTimeoutMs = 30000;
}

CompileProgress::CompileProgress(QWidget* parent)
    : ZuDialog(parent)
    , ui(std::make_unique<Ui::CompileProgressClass>())
{
    ui->setupUi(this);
    setAllWindowTitle(tr("Create Video File"));
    setFixedSize(450, 120);
    ui->open->hide();
    ui->close->hide();
    ui->pause_resume->show();
    ui->stop->show();
    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(0);

    m_thumbnailTimeout.setSingleShot(true);
    connect(&m_thumbnailTimeout, &QTimer::timeout, this, [this] {
        if (m_thumbnail)
            m_thumbnail->kill();
    });
}

CompileProgress::~CompileProgress() { release(); }

QStringList CompileProgress::paramsFromProfile(const ZumProfileData& profile) const
{
    return profileArguments(profile, m_render ? m_render->renderParam() : RenderParam());
}

bool CompileProgress::init(StoryBoardRender* render, const ZumProfileData& profile, const QString& baseName)
{
    m_render = render;
    const RenderParam param = render->renderParam();

    QString folder = ZuPref::instance()->value(SettingsKey::OutputPath).toString();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    folder = QDir::fromNativeSeparators(folder);
    m_outputFile = uniqueOutputFile(folder, baseName, profileExtension(profile));
    m_arguments = compileArguments(profile, param, m_outputFile);
    for (const QString& argument : std::as_const(m_arguments))
        qCDebug(lcEncode).noquote() << argument;
    m_deviceThumbnail = profile.properties.value(QStringLiteral("/name"))
                            .toString()
                            .compare(QLatin1String("PSP"), Qt::CaseInsensitive) == 0;

    m_totalFrames = int(render->totalFrames);
    m_duration = render->frameRate > 0.0 ? m_totalFrames / render->frameRate : 0.0;

    if (!QDir().mkpath(folder)) {
        fail(tr("The output folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder)));
        return true;
    }
    if (!m_loop.begin(render, m_outputFile, m_arguments)) {
        fail(m_loop.failureReason());
        return true;
    }
    connect(&m_loop, &AVWriterManager::progressChanged, this, &CompileProgress::on_progressChanged);
    connect(&m_loop, &AVWriterManager::compileEnd, this, &CompileProgress::on_compileEnd);
    m_loop.start();
    return true;
}

void CompileProgress::on_progressChanged(double frames)
{
    if (m_totalFrames > 0)
        ui->progressBar->setValue(int(100.0 * frames / m_totalFrames));
}

void CompileProgress::on_pause_resume_clicked()
{
    if (m_loopEnded)
        return;
    if (!m_paused) {
        m_paused = true;
        ui->pause_resume->setText(tr("Resume"));
        m_loop.pause();
    } else {
        m_paused = false;
        ui->pause_resume->setText(tr("Pause"));
        m_loop.resume();
    }
}

void CompileProgress::on_stop_clicked() { reject(); }

void CompileProgress::reject()
{
    // Once the compile has ended the file is complete: closing keeps it.
    if (m_finished || m_loopEnded) {
        accept();
        return;
    }
    release();
    m_loop.cancel();
    ZuDialog::reject();
}

void CompileProgress::release()
{
    m_thumbnailTimeout.stop();
    if (m_thumbnail) {
        m_thumbnail->disconnect(this);
        m_thumbnail->kill();
        m_thumbnail->waitForFinished(2000);
        m_thumbnail.reset();
    }
    m_loop.stop();
    m_loop.clearVideoAudioWriter();
}

void CompileProgress::on_close_clicked()
{
    release();
    close();
}

void CompileProgress::on_open_clicked()
{
    const QString folder = m_outputFile.isEmpty() ? ZuPref::instance()->value(SettingsKey::OutputPath).toString()
                                                  : QFileInfo(m_outputFile).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void CompileProgress::on_compileEnd()
{
    qCDebug(lcEncode) << "I got a compile end signal, is it right?";
    if (m_loopEnded)
        return;
    m_loopEnded = true;
    ui->pause_resume->setEnabled(false);
    if (!m_loop.finish()) {
        m_failureReason = m_loop.failureReason();
        afterProgress(false);
        return;
    }
    if (m_deviceThumbnail)
        startThumbnail();
    else
        afterProgress(true);
}

// The thumbnail runs as its own process while the dialog stays responsive;
// its failure or a hang past 30 s costs only the thumbnail.
void CompileProgress::startThumbnail()
{
    QString thumbnail = m_outputFile;
    const int dot = thumbnail.lastIndexOf(QLatin1Char('.'));
    thumbnail = (dot >= 0 ? thumbnail.left(dot + 1) : thumbnail + QLatin1Char('.')) + QStringLiteral("THM");

    m_thumbnail = std::make_unique<QProcess>();
    m_thumbnail->setWorkingDirectory(ZuPref::appDir());
    m_thumbnail->setProcessChannelMode(QProcess::MergedChannels);
    m_thumbnail->setStandardOutputFile(QProcess::nullDevice());
    connect(m_thumbnail.get(), &QProcess::finished, this, [this] {
        m_thumbnailTimeout.stop();
        afterProgress(true);
    });
    connect(m_thumbnail.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            qCDebug(lcEncode) << "The thumbnail tool could not be started";
            m_thumbnailTimeout.stop();
            afterProgress(true);
        }
    });
    ui->label->setText(tr("Creating thumbnail..."));
    m_thumbnailTimeout.start(ThumbnailTimeoutMs);
    m_thumbnail->start(ZuPref::appDir() + QStringLiteral("/zirc"),
                       {QStringLiteral("-y"), QStringLiteral("-i"), m_outputFile, QStringLiteral("-ss"),
                        QStringLiteral("0.00"), QStringLiteral("-f"), QStringLiteral("image2"),
                        QStringLiteral("-vcodec"), QStringLiteral("mjpeg"), QStringLiteral("-vframes"),
                        QStringLiteral("5"), QStringLiteral("-s"), QStringLiteral("160x120"), QStringLiteral("-an"),
                        thumbnail});
}

void CompileProgress::fail(const QString& reason)
{
    m_failureReason = reason;
    m_loopEnded = true;
    afterProgress(false);
}

void CompileProgress::showResult()
{
    if (m_succeeded) {
        ui->label->setText(tr("Created Successfully."));
    } else {
        QString text = tr("Failed to create video.");
        if (!m_failureReason.isEmpty())
            text += QLatin1Char('\n') + m_failureReason;
        ui->label->setText(text);
    }
}

void CompileProgress::afterProgress(bool success)
{
    if (m_finished)
        return;
    m_succeeded = success;
    ui->progressBar->setValue(success ? 100 : ui->progressBar->value());
    showResult();
    ui->pause_resume->hide();
    ui->stop->hide();
    ui->open->show();
    ui->close->show();
    ui->close->setFocus();
    m_finished = true;
    emit finished(success);

    // A failed compile leaves the machine and the program as they are: the
    // user will want to see why and try again with the album still there.
    if (!success)
        return;
    const int action =
        ZuPref::instance()->value(SettingsKey::AfterBurnAction, SettingsDefault::AfterBurnAction).toInt();
    if (action == ZuPowerState::ExitProgram || action == ZuPowerState::StandBy || action == ZuPowerState::Hibernate ||
        action == ZuPowerState::ShutDown)
        ZuPowerState::run(ZuPowerState::pcState(action), parentWidget() ? parentWidget()->window() : nullptr);
}

void CompileProgress::retranslate()
{
    ui->retranslateUi(this);
    setAllWindowTitle(tr("Create Video File"));
    ui->pause_resume->setText(m_paused ? tr("Resume") : tr("Pause"));
    if (m_finished)
        showResult();
    else if (m_thumbnail)
        ui->label->setText(tr("Creating thumbnail..."));
}
