// Playback, seeking, the progress display, the strips' row handlers and the
// compile launch of the main window.

#include "reelwright.h"

#include "audiolistwidget.h"
#include "avplayer.h"
#include "captioneditor.h"
#include "compilearguments.h"
#include "compileprogress.h"
#include "logcategories.h"
#include "mediainfowidget.h"
#include "outputsetting.h"
#include "photolistwidget.h"
#include "preferences.h"
#include "settingskeys.h"
#include "systemmemory.h"
#include "timefunctions.h"
#include "ui_reelwright.h"
#include "zupref.h"

#include <QApplication>
#include <QCursor>
#include <QDebug>
#include <QFileInfo>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <cmath>

void Reelwright::on_play_clicked()
{
    if (playState == 1 || album.photos.isEmpty())
        return;
    AVPlayer* player = form->avPlayer;
    render.seek(player->currentFrame, true, player);
    render.start();
    player->play();
    form->position->setTracking(false);
    progressTimer->start(40);
    playState = 1;
    applyRunningEnabling();
    showPlayState(true);
}

void Reelwright::on_pause_clicked()
{
    if (playState != 1)
        return;
    form->avPlayer->stop();
    render.stop();
    render.wait();
    form->position->setTracking(true);
    progressTimer->stop();
    playState = 2;
    // The player may have moved on since the last progress tick.
    updateProgress();
    showPlayState(false);
}

void Reelwright::on_stop_clicked()
{
    on_pause_clicked();
    seek(0);
    form->horizontalScrollBar->setValue(0);
    playState = 0;
    applyRunningEnabling();
}

void Reelwright::togglePlayPause()
{
    if (album.photos.isEmpty())
        return;
    if (playState == 1) {
        on_pause_clicked();
        return;
    }
    if (form->avPlayer->currentFrame >= render.totalFrames)
        seek(0);
    on_play_clicked();
}

void Reelwright::showPlayState(bool playing)
{
    form->play->setVisible(!playing);
    form->pause->setVisible(playing);
    QToolButton* shown = playing ? form->pause : form->play;
    if (isVisible() && shown->isEnabled())
        shown->setFocus();
}

void Reelwright::seek(int frame)
{
    on_pause_clicked();
    const int total = int(render.totalFrames);
    frame = total > 0 ? std::clamp(frame, 0, total - 1) : 0;
    form->avPlayer->seek((unsigned long)frame);
    updateProgress();
}

void Reelwright::updateProgress()
{
    Ui_ReelwrightClass& f = *form;
    quint32 cur = f.avPlayer->currentFrame;
    const quint32 total = render.totalFrames;
    {
        const QSignalBlocker blocker(f.position);
        if (total == 0) {
            f.position->setValue(0);
            cur = 0;
        } else {
            f.position->setValue(int(std::min(cur, total)));
            if (playState == 1) {
                const int half = f.horizontalScrollBar->width() / 2;
                f.horizontalScrollBar->setValue(std::max(0, int(std::trunc(cur * pixelsPerFrame - half))));
            }
        }
    }
    f.timeCode->setText(frameToTimeString(cur, renderParam.frameRate) + QStringLiteral(" / ") +
                        frameToTimeString(total, renderParam.frameRate));
    if (playState == 1 && cur >= total) {
        on_stop_clicked();
        return;
    }
    applyRunningEnabling();
}

void Reelwright::on_sliderPosition_presssed() { on_pause_clicked(); }

void Reelwright::on_sliderPosition_released() { seek(form->position->value()); }

void Reelwright::on_sliderPosition_changed(int value)
{
    seek(value);
    const quint32 frames = std::max(render.totalFrames, audioStripFrames());
    QScrollBar* bar = form->horizontalScrollBar;
    int cur = value;
    if (frames == 0) {
        const QSignalBlocker blocker(form->position);
        form->position->setValue(0);
        cur = 0;
    }
    if (frames == 0) {
        bar->setValue(0);
        return;
    }
    const int half = bar->width() / 2;
    const double target = std::trunc(double(bar->maximum() + half) * cur / double(frames) - half);
    bar->setValue(std::max(0, int(target)));
}

namespace {

// Where a press on a slider's groove points, in the slider's range. Only a
// page step made with the mouse jumps: keyboard steps keep their own size.
bool pointerJump(const QSlider* slider, int action, qint64 range, int& value)
{
    if (action != QAbstractSlider::SliderPageStepAdd && action != QAbstractSlider::SliderPageStepSub)
        return false;
    if (!(QApplication::mouseButtons() & Qt::LeftButton) || slider->width() <= 0)
        return false;
    const qint64 x = QCursor::pos().x() - slider->mapToGlobal(QPoint(0, 0)).x();
    value = int(std::clamp<qint64>(x * range / slider->width(), 0, range));
    return true;
}

} // namespace

void Reelwright::on_sliderPositionAction_triggered(int action)
{
    int value = 0;
    if (pointerJump(form->position, action, render.totalFrames, value))
        form->position->setSliderPosition(value);
}

void Reelwright::on_volumePositionAction_triggered(int action)
{
    int value = 0;
    if (pointerJump(form->volume, action, 100, value))
        form->volume->setSliderPosition(value);
}

void Reelwright::on_mute_clicked()
{
    form->avPlayer->setVolume(0);
    form->volume->setEnabled(false);
    form->mute->hide();
    form->unmute->show();
    form->unmute->setFocus();
}

void Reelwright::on_unmute_clicked()
{
    form->avPlayer->setVolume(form->volume->value());
    form->volume->setEnabled(true);
    form->unmute->hide();
    form->mute->show();
    form->mute->setFocus();
}

void Reelwright::on_previous_clicked()
{
    QListWidget* strip = focusList == 0 ? static_cast<QListWidget*>(form->photoListWidget)
                                        : static_cast<QListWidget*>(form->audioListWidget);
    strip->setCurrentRow(strip->currentRow() - 1);
}

void Reelwright::on_next_clicked()
{
    QListWidget* strip = focusList == 0 ? static_cast<QListWidget*>(form->photoListWidget)
                                        : static_cast<QListWidget*>(form->audioListWidget);
    strip->setCurrentRow(strip->currentRow() + 1);
}

void Reelwright::showMediaInfoNone()
{
    mediaInfo->setFileInfo(MediaInfoWidget::NoFile);
    mediaInfo->setHtml();
    form->previous->setEnabled(false);
    form->next->setEnabled(false);
}

void Reelwright::on_photoListWidget_item_clicked()
{
    on_photoListWidget_row_changed(form->photoListWidget->currentRow());
}

void Reelwright::on_audioListWidget_item_clicked()
{
    on_audioListWidget_row_changed(form->audioListWidget->currentRow());
}

void Reelwright::on_photoListWidget_row_changed(int row)
{
    const int i = row / 2;
    if (row < 0 || i >= album.photos.size()) {
        showMediaInfoNone();
        updateProgress();
        photoItemSelectChanged();
        return;
    }
    long long frame = 0;
    if (row % 2 == 1) {
        frame = album.beatCuts
                    ? (long long)std::ceil(render.transitionStartFrame(i))
                    : (long long)(i * render.slotFrames + secondToFrame(album.photoSeconds, renderParam.frameRate));
    } else if (album.photos.at(i).isTitleCard()) {
        // A card has no file to describe.
        mediaInfo->setFileInfo(MediaInfoWidget::NoFile);
        mediaInfo->setHtml();
        frame = (long long)(render.photoStartFrame(i) + 0.5);
    } else {
        const ImageInfo& photo = album.photos.at(i);
        const QFileInfo file(photo.filePath);
        mediaInfo->setFileInfo(MediaInfoWidget::ImageFile, file.fileName(), photo.suffix.toUpper(),
                               QStringLiteral("%1x%2").arg(photo.width).arg(photo.height),
                               QStringLiteral("%1KB").arg(photo.fileSize / 1024),
                               QLocale().toString(photo.lastModified, QLocale::ShortFormat), photo.exifProperties[0],
                               photo.exifProperties[1], photo.exifProperties[2], photo.exifProperties[3],
                               photo.exifProperties[4], photo.exifProperties[5], photo.exifProperties[6],
                               photo.exifProperties[7], photo.exifProperties[8]);
        mediaInfo->setHtml();
        frame = (long long)(render.photoStartFrame(i) + 0.5);
    }
    if (frame >= 0) {
        seek(int(frame));
        form->previous->setEnabled(row > 0);
        form->next->setEnabled(row < form->photoListWidget->count() - 1);
    } else {
        form->previous->setEnabled(false);
        form->next->setEnabled(false);
        updateProgress();
    }
    photoItemSelectChanged();
}

void Reelwright::on_audioListWidget_row_changed(int row)
{
    if (row >= 0 && row < album.audios.size()) {
        const AudioInfo& clip = album.audios.at(row);
        const QFileInfo file(clip.filePath);
        mediaInfo->setFileInfo(MediaInfoWidget::AudioFile, file.fileName(), clip.suffix.toUpper(),
                               QStringLiteral("%1KB").arg(clip.fileSize / 1024), {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
                               {}, QString::number(clip.channels), QStringLiteral("%1Hz").arg(clip.sampleRate),
                               secondToTimeString(int(clip.duration)));
        mediaInfo->setHtml();
        double start = 0.0;
        for (int k = 0; k < row; ++k)
            start += album.audios.at(k).endTime - album.audios.at(k).startTime;
        const quint32 frame = secondToFrame(start, renderParam.frameRate);
        if (qint32(frame) >= 0) {
            seek(int(frame));
            form->previous->setEnabled(row > 0);
            form->next->setEnabled(row < form->audioListWidget->count() - 1);
        } else {
            form->previous->setEnabled(false);
            form->next->setEnabled(false);
        }
    } else {
        showMediaInfoNone();
    }
    showClipBeats(row);
    audioItemSelectChanged();
}

void Reelwright::on_burn_clicked()
{
    on_pause_clicked();
    if (album.photos.isEmpty())
        return;
    {
        OutputSetting settings(widgetFrame());
        if (settings.exec() != QDialog::Accepted) {
            // A profile picked and then not compiled is still the chosen one.
            followChosenProfile();
            return;
        }
        profile = settings.profileData();
        // The album remembers what it was last compiled with.
        ZuPref* pref = ZuPref::instance();
        document.setOutput({pref->value(SettingsKey::LastProfileUrl).toString(),
                            pref->value(SettingsKey::LastProfileGroup).toString(),
                            pref->value(SettingsKey::OutputPath).toString(), settings.outputFilename()});
        for (auto it = profile.properties.cbegin(); it != profile.properties.cend(); ++it)
            qCDebug(lcEncode).noquote() << "key:" << it.key() << ", value:" << it.value().toString();
        renderParamsFromProfile(renderParam, profile);
        if (!finishBeatAnalysis()) {
            applyRenderParam();
            return;
        }
        render.init(renderParam);
        render.onStoryBoardDataChanged();
        CompileProgress compile(widgetFrame());
        if (compile.init(&render, profile, settings.outputFilename()))
            compile.exec();
    }

    applyRenderParam();
}

RenderParam Reelwright::chosenProfileParam()
{
    RenderParam param;
    ZumProfileData chosen;
    if (OutputSetting::lastChosenProfile(chosen))
        renderParamsFromProfile(param, chosen);
    param.channels = std::min(param.channels, 2);
    return param;
}

void Reelwright::followChosenProfile()
{
    const RenderParam param = chosenProfileParam();
    if (param.width == renderParam.width && param.height == renderParam.height &&
        param.frameRate == renderParam.frameRate && param.sampleRate == renderParam.sampleRate &&
        param.channels == renderParam.channels)
        return;
    renderParam = param;
    applyRenderParam();
}

void Reelwright::applyRenderParam()
{
    AVPlayer* player = form->avPlayer;
    const QSize size = player->size();
    renderParam.channels = std::min(renderParam.channels, 2);
    render.init(renderParam);
    player->init(renderParam);
    player->resize(size);
    form->captionEditor->setFrameSize(QSize(renderParam.width, renderParam.height));
    onStoryBoardDataChanged();
    seek(int(player->currentFrame));
    // The compile's pictures, frames and encoder are gone, but the C library
    // keeps the memory they took unless told to give it back.
    SystemMemory::returnFreeMemory();
}

void Reelwright::on_preferences_clicked()
{
    {
        Preferences preferences(this);
        preferences.exec();
    }
    mirrorAfterBurnAction();
}
