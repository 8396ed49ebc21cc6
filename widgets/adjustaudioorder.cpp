#include "adjustaudioorder.h"

#include "filesfromurls.h"
#include "importprogress.h"
#include "infoparser.h"
#include "logcategories.h"
#include "settingskeys.h"
#include "timefunctions.h"
#include "ui_adjustaudioorder.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QDir>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStandardPaths>

namespace {

AdjustAudioOrder::FileDialogHook& fileDialogHook()
{
    static AdjustAudioOrder::FileDialogHook hook;
    return hook;
}

enum Column {
    NameColumn,
    DurationColumn,
    StartColumn,
    EndColumn
};

// Seconds a trimmed clip keeps at least.
constexpr int kLeastClipTime = 1;

// A clip shorter than the least clip time cannot be trimmed: it plays whole.
bool isUntrimmable(const AudioInfo& info) { return info.duration < kLeastClipTime; }

void playWholeIfUntrimmable(AudioInfo& info)
{
    if (isUntrimmable(info)) {
        info.startTime = 0.0;
        info.endTime = info.duration;
    }
}

QString timeText(double seconds) { return secondToTimeString(int(seconds)); }

} // namespace

AdjustAudioOrder::AdjustAudioOrder(const QList<AudioInfo>& list, QWidget* parent)
    : ZuDialog(parent, Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui_AdjustAudioOrderClass>())
    , m_audioList(list)
{
    for (AudioInfo& info : m_audioList)
        playWholeIfUntrimmable(info);
    ui->setupUi(this);
    ui->delete_2->setEnabled(false);
    ui->moveUp->setEnabled(false);
    ui->moveDown->setEnabled(false);
    ui->pause->hide();
    ui->unmute->hide();
    setIcons();

    ui->treeWidget->setColumnCount(4);
    for (int column = DurationColumn; column <= EndColumn; ++column)
        ui->treeWidget->setColumnWidth(column, 80);
    ui->treeWidget->header()->setStretchLastSection(false);
    ui->treeWidget->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    for (const AudioInfo& info : std::as_const(m_audioList))
        ui->treeWidget->addTopLevelItem(makeItem(info));

    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &AdjustAudioOrder::updateAudioBuffer);

    ui->sliderClipping->setLeastClipTime(kLeastClipTime);
    ui->sliderClipping->setType(ZuSliderBar::ShowThumb | ZuSliderBar::ShowClipRegion | ZuSliderBar::ShowClipTags);
    connect(ui->sliderClipping, &ZuSliderBar::clipStartChanged, this, &AdjustAudioOrder::onClipStartChanged);
    connect(ui->sliderClipping, &ZuSliderBar::clipEndChanged, this, &AdjustAudioOrder::onClipEndChanged);
    connect(ui->sliderClipping, &ZuSliderBar::thumbMouseRelease, this, &AdjustAudioOrder::onThumbMouseRelease);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(ui->volume, &QSlider::valueChanged, this, &AdjustAudioOrder::setVolume);
    connect(ui->volume, &QSlider::actionTriggered, this, &AdjustAudioOrder::on_volumePositionAction_triggered);
    ui->volume->installEventFilter(this);

    if (m_audioList.isEmpty()) {
        on_treeWidget_currentItemChanged(nullptr, nullptr);
        ui->delete_2->setEnabled(false);
    } else {
        setCurrentIndex(0);
    }
    retranslate();
    setFixedSize(360, 450);
}

AdjustAudioOrder::~AdjustAudioOrder()
{
    m_timer.stop();
    // The form's widgets outlive this part of the dialog; what they signal
    // while they are torn down must not reach it.
    ui->treeWidget->blockSignals(true);
    ui->sliderClipping->blockSignals(true);
    ui->volume->blockSignals(true);
}

void AdjustAudioOrder::retranslate()
{
    ui->retranslateUi(this);
    ui->treeWidget->setHeaderLabels({tr("File Name"), tr("Duration"), tr("Start Point"), tr("End Point")});
    setAllWindowTitle(tr("Edit Audio"));
}

void AdjustAudioOrder::setIcons()
{
    const QString base = ZuPref::skinDir() + QStringLiteral("/app_reelwright/audioorder/");
    const std::pair<QAbstractButton*, const char*> icons[] = {
        {ui->add, "add"},
        {ui->delete_2, "delete"},
        {ui->moveUp, "moveup"},
        {ui->moveDown, "movedown"},
        {ui->play, "play"},
        {ui->pause, "pause"},
        {ui->playSegment, "playsegment"},
        {ui->stop, "stop"},
        {ui->setInPoint, "inpoint"},
        {ui->setOutPoint, "outpoint"},
        {ui->mute, "speaker"},
        {ui->unmute, "speakeroff"},
    };
    for (const auto& [button, name] : icons) {
        button->setText(QString());
        button->setIcon(QIcon(base + QLatin1String(name) + QStringLiteral(".png")));
    }
}

QString AdjustAudioOrder::fileDialogFilter() { return importDialogFilter(audioNameFilters(), g_strAudioFiles); }

void AdjustAudioOrder::setFileDialogHook(FileDialogHook hook) { fileDialogHook() = std::move(hook); }

QTreeWidgetItem* AdjustAudioOrder::makeItem(const AudioInfo& info) const
{
    auto* item = new QTreeWidgetItem;
    item->setText(NameColumn, QFileInfo(info.filePath).fileName());
    // Rich text, so that the escaped name is read back as it is written
    // (escaped text the tool tip took for plain would show "&amp;"), and
    // kept on one line with its spaces.
    item->setToolTip(NameColumn, QStringLiteral("<p style=\"white-space:pre\">") +
                                     QDir::toNativeSeparators(info.filePath).toHtmlEscaped() + QStringLiteral("</p>"));
    item->setText(DurationColumn, timeText(info.duration));
    item->setText(StartColumn, timeText(info.startTime));
    item->setText(EndColumn, timeText(info.endTime));
    return item;
}

AudioInfo* AdjustAudioOrder::currentRecord()
{
    if (m_currentRow < 0 || m_currentRow >= m_audioList.size())
        return nullptr;
    return &m_audioList[m_currentRow];
}

void AdjustAudioOrder::setCurrentIndex(int row)
{
    if (QTreeWidgetItem* item = ui->treeWidget->topLevelItem(row))
        ui->treeWidget->setCurrentItem(item);
}

void AdjustAudioOrder::selectRowQuietly(int row)
{
    QTreeWidgetItem* item = ui->treeWidget->topLevelItem(row);
    {
        const QSignalBlocker blocker(ui->treeWidget);
        ui->treeWidget->setCurrentItem(item);
    }
    on_treeWidget_currentItemChanged(item, nullptr);
}

void AdjustAudioOrder::on_treeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    const bool has = current != nullptr;
    ui->delete_2->setEnabled(has);
    ui->moveUp->setEnabled(has);
    ui->moveDown->setEnabled(has);
    on_stop_clicked();
    m_currentRow = has ? ui->treeWidget->indexOfTopLevelItem(current) : -1;
    if (const AudioInfo* record = currentRecord()) {
        ui->moveUp->setEnabled(m_currentRow > 0);
        ui->moveDown->setEnabled(m_currentRow < ui->treeWidget->topLevelItemCount() - 1);
        m_player.open(record->filePath);
        ui->sliderClipping->setRange(0, int(record->duration));
        ui->sliderClipping->setClipStartPos(int(record->startTime));
        ui->sliderClipping->setClipEndPos(int(record->endTime));
    }
    updateTimeLabel();
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->play), static_cast<QWidget*>(ui->pause), static_cast<QWidget*>(ui->playSegment),
          static_cast<QWidget*>(ui->stop), static_cast<QWidget*>(ui->sliderClipping),
          static_cast<QWidget*>(ui->setInPoint), static_cast<QWidget*>(ui->setOutPoint)})
        widget->setEnabled(has);
    if (const AudioInfo* record = currentRecord(); record && isUntrimmable(*record))
        ui->sliderClipping->setEnabled(false);
    if (has)
        updatePointButtons();
}

void AdjustAudioOrder::moveCurrent(int offset)
{
    const int row = m_currentRow;
    const int target = row + offset;
    if (row < 0 || target < 0 || target >= m_audioList.size())
        return;
    on_stop_clicked();
    {
        const QSignalBlocker blocker(ui->treeWidget);
        QTreeWidgetItem* item = ui->treeWidget->takeTopLevelItem(row);
        ui->treeWidget->insertTopLevelItem(target, item);
    }
    m_audioList.move(row, target);
    selectRowQuietly(target);
}

void AdjustAudioOrder::on_moveUp_clicked() { moveCurrent(-1); }

void AdjustAudioOrder::on_moveDown_clicked() { moveCurrent(1); }

void AdjustAudioOrder::on_delete_2_clicked()
{
    const int row = m_currentRow;
    if (row < 0)
        return;
    // The record goes away under the player: stop before it is read again.
    on_stop_clicked();
    {
        const QSignalBlocker blocker(ui->treeWidget);
        delete ui->treeWidget->takeTopLevelItem(row);
    }
    m_audioList.removeAt(row);
    m_currentRow = -1;
    const int count = int(m_audioList.size());
    selectRowQuietly(count == 0 ? -1 : std::min(row, count - 1));
    if (count == 0)
        ui->delete_2->setEnabled(false);
}

void AdjustAudioOrder::on_add_clicked()
{
    const QString title = tr("Select one or more files");
    const QString dir =
        ZuPref::instance()->value(SettingsKey::AudioLastDir, SettingsDefault::audioLastDir()).toString();
    const QString filter = fileDialogFilter();
    const QStringList files = fileDialogHook() ? fileDialogHook()(this, title, dir, filter)
                                               : QFileDialog::getOpenFileNames(this, title, dir, filter);
    if (files.isEmpty())
        return;
    ZuPref::instance()->setValue(SettingsKey::AudioLastDir, QFileInfo(files.first()).absolutePath());

    // The same probe and refusals as an import: a file the album would
    // refuse must not come in this way either.
    QList<AudioInfo> added;
    QList<InfoParser::Failure> failed;
    for (const QString& path : files) {
        AudioInfo info;
        info.filePath = path;
        const QString reason = InfoParser::probeSound(info);
        if (reason.isEmpty()) {
            playWholeIfUntrimmable(info);
            added.append(info);
        } else {
            failed.append({path, reason});
        }
    }
    for (const AudioInfo& info : std::as_const(added)) {
        ui->treeWidget->addTopLevelItem(makeItem(info));
        m_audioList.append(info);
    }
    if (!added.isEmpty()) {
        if (!ui->treeWidget->currentItem())
            setCurrentIndex(ui->treeWidget->topLevelItemCount() - 1);
        else
            ui->moveDown->setEnabled(m_currentRow < ui->treeWidget->topLevelItemCount() - 1);
    }
    if (!failed.isEmpty())
        ZuMessageBox::info(ImportProgress::failureReport(failed), QString(), this);
}

void AdjustAudioOrder::startPlayback()
{
    m_player.start(m_position);
    m_timer.start();
}

void AdjustAudioOrder::showPlayingButtons()
{
    // The button that started playing is hidden behind pause; the other one
    // stays in view, disabled.
    ui->play->setVisible(m_segmentMode);
    ui->playSegment->setVisible(!m_segmentMode);
    (m_segmentMode ? ui->play : ui->playSegment)->setEnabled(false);
    ui->pause->show();
    ui->stop->setEnabled(true);
    ui->pause->setFocus();
}

void AdjustAudioOrder::on_play_clicked()
{
    if (!currentRecord())
        return;
    m_playing = true;
    m_segmentMode = false;
    m_position = ui->sliderClipping->value();
    startPlayback();
    showPlayingButtons();
}

void AdjustAudioOrder::on_playSegment_clicked()
{
    const AudioInfo* record = currentRecord();
    if (!record)
        return;
    m_playing = true;
    m_segmentMode = true;
    m_position = record->startTime;
    ui->sliderClipping->setValue(int(m_position));
    startPlayback();
    showPlayingButtons();
}

void AdjustAudioOrder::updateAudioBuffer()
{
    const int processed = m_player.update();
    if (processed == 0)
        return;
    if (processed > 10)
        qCDebug(lcUi, "Notice: Processed %d buffers!", processed);
    m_position += double(processed) / ClipPlayer::chunksPerSecond;
    ui->sliderClipping->setValue(int(m_position));
    updateTimeLabel();

    const AudioInfo* record = currentRecord();
    if (!record) {
        on_stop_clicked();
        return;
    }
    if (m_position >= record->duration || (m_segmentMode && m_position >= record->endTime))
        on_stop_clicked();
    updatePointButtons();
}

void AdjustAudioOrder::updatePointButtons()
{
    const AudioInfo* record = currentRecord();
    if (!record)
        return;
    const bool trimmable = !isUntrimmable(*record);
    ui->setInPoint->setEnabled(trimmable && record->endTime - kLeastClipTime > m_position);
    ui->setOutPoint->setEnabled(trimmable && m_position > record->startTime + kLeastClipTime);
}

void AdjustAudioOrder::updateTimeLabel()
{
    const AudioInfo* record = currentRecord();
    if (!record) {
        ui->label->setText(QStringLiteral("00:00:00 / 00:00:00"));
        return;
    }
    ui->label->setText(timeText(m_position) + QStringLiteral(" / ") + timeText(record->duration));
}

void AdjustAudioOrder::on_pause_clicked()
{
    m_playing = false;
    m_timer.stop();
    m_player.stop();
    ui->pause->hide();
    ui->play->show();
    ui->playSegment->show();
    ui->play->setEnabled(true);
    ui->playSegment->setEnabled(true);
    if (m_segmentMode)
        ui->playSegment->setFocus();
    else
        ui->play->setFocus();
}

void AdjustAudioOrder::on_stop_clicked()
{
    on_pause_clicked();
    ui->stop->setEnabled(false);
    ui->play->setFocus();
    m_position = 0.0;
    ui->sliderClipping->setValue(0);
    updateTimeLabel();
}

void AdjustAudioOrder::onThumbMouseRelease(int value)
{
    m_position = value;
    if (m_playing) {
        m_segmentMode = false;
        startPlayback();
        showPlayingButtons();
    }
    updatePointButtons();
    updateTimeLabel();
}

void AdjustAudioOrder::on_setInPoint_clicked()
{
    AudioInfo* record = currentRecord();
    const int value = ui->sliderClipping->value();
    // A start point past the end point would make the clip run backwards.
    if (!record || isUntrimmable(*record) || value > record->endTime - kLeastClipTime)
        return;
    record->startTime = value;
    ui->sliderClipping->setClipStartPos(value);
    ui->treeWidget->topLevelItem(m_currentRow)->setText(StartColumn, secondToTimeString(value));
}

void AdjustAudioOrder::on_setOutPoint_clicked()
{
    AudioInfo* record = currentRecord();
    const int value = ui->sliderClipping->value();
    if (!record || isUntrimmable(*record) || value < record->startTime + kLeastClipTime)
        return;
    record->endTime = value;
    ui->sliderClipping->setClipEndPos(value);
    ui->treeWidget->topLevelItem(m_currentRow)->setText(EndColumn, secondToTimeString(value));
}

void AdjustAudioOrder::onClipStartChanged(int value)
{
    if (AudioInfo* record = currentRecord()) {
        record->startTime = value;
        ui->treeWidget->topLevelItem(m_currentRow)->setText(StartColumn, secondToTimeString(value));
    }
}

void AdjustAudioOrder::onClipEndChanged(int value)
{
    if (AudioInfo* record = currentRecord()) {
        record->endTime = value;
        ui->treeWidget->topLevelItem(m_currentRow)->setText(EndColumn, secondToTimeString(value));
    }
}

void AdjustAudioOrder::setVolume(int value) { m_player.setGain(float(value) / 100.0f); }

void AdjustAudioOrder::on_mute_clicked()
{
    m_player.setGain(0.0f);
    ui->volume->setEnabled(false);
    ui->mute->hide();
    ui->unmute->show();
    ui->unmute->setFocus();
}

void AdjustAudioOrder::on_unmute_clicked()
{
    m_player.setGain(float(ui->volume->value()) / 100.0f);
    ui->volume->setEnabled(true);
    ui->unmute->hide();
    ui->mute->show();
    ui->mute->setFocus();
}

void AdjustAudioOrder::on_volumePositionAction_triggered()
{
    // Only the mouse places the slider; keys keep their steps.
    const int width = ui->volume->width();
    if (m_volumeMouseX < 0 || width <= 0)
        return;
    ui->volume->setSliderPosition(std::clamp(m_volumeMouseX * 100 / width, 0, 100));
}

bool AdjustAudioOrder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->volume) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            m_volumeMouseX = (mouse->buttons() & Qt::LeftButton) ? int(mouse->position().x()) : -1;
            break;
        }
        case QEvent::MouseButtonRelease: m_volumeMouseX = -1; break;
        default: break;
        }
    }
    return ZuDialog::eventFilter(watched, event);
}
