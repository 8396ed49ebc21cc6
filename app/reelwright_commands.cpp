// Album settings, edit and sort commands, imports and the strips' context
// menus of the main window.

#include "reelwright.h"

#include "audiolistwidget.h"
#include "avplayer.h"
#include "filesfromurls.h"
#include "mediainfowidget.h"
#include "photolistwidget.h"
#include "settingskeys.h"
#include "ui_reelwright.h"
#include "zufolderdialog.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QUrl>

namespace {

Reelwright::FileDialogHook& fileDialogHook()
{
    static Reelwright::FileDialogHook hook;
    return hook;
}

QString photoStartFolder()
{
    const QString stored = ZuPref::instance()->value(SettingsKey::PhotoLastDir).toString().trimmed();
    return stored.isEmpty() ? SettingsDefault::photoLastDir() : stored;
}

} // namespace

void Reelwright::setFileDialogHook(FileDialogHook hook) { fileDialogHook() = std::move(hook); }

QString Reelwright::photoDialogFilter() { return importDialogFilter(PhotoListWidget::m_nameFilters, g_strPhotoFiles); }

QString Reelwright::audioDialogFilter() { return importDialogFilter(AudioListWidget::m_nameFilters, g_strAudioFiles); }

int Reelwright::syncedPhotoMs(double audioSeconds, int photoCount, bool useTransition, double transitionSeconds,
                              double frameRate)
{
    if (photoCount <= 0 || frameRate <= 0.0)
        return -1;
    const double transitions = useTransition ? (photoCount - 1) * transitionSeconds : 0.0;
    const double perPhoto = (audioSeconds - transitions) / photoCount;
    if (perPhoto < 1.0 || perPhoto > 999.0)
        return -1;
    const int frameMs = std::max(1, int(1000.0 / frameRate));
    return frameMs * (int(perPhoto * 1000.0) / frameMs + 1);
}

// ---- album settings

void Reelwright::on_photoDur_changed(int ms)
{
    on_pause_clicked();
    document.setPhotoMs(ms);
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::on_transtionDur_changed(int ms)
{
    on_pause_clicked();
    document.setTransitionMs(ms);
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::on_transition_changed(int state)
{
    on_pause_clicked();
    document.setUseTransition(state == Qt::Checked);
    form->radioButton->setEnabled(album.useTransition);
    form->radioButton_2->setEnabled(album.useTransition && !album.patternFiles.isEmpty());
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::on_transitionType_changed()
{
    on_pause_clicked();
    document.setDissolveOnly(form->radioButton->isChecked());
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::on_dynamicZoom_changed(int state)
{
    on_pause_clicked();
    document.setUseZoom(state == Qt::Checked);
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::on_audioSetting_changed()
{
    on_pause_clicked();
    document.setLoopAudio(form->checkBox_2->isChecked());
    document.setFadeAudio(form->checkBox_3->isChecked());
    document.setEvenLoudness(form->checkBoxEvenLoudness->isChecked());
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::on_sync_clicked()
{
    const int ms = syncedPhotoMs(album.totalAudioDuration(), album.photos.size(), album.useTransition,
                                 album.transitionSeconds, renderParam.frameRate);
    if (ms < 0)
        return;
    on_pause_clicked();
    {
        const QSignalBlocker blocker(form->spinBox);
        form->spinBox->setValue(ms);
    }
    // The album takes the computed length even where the spin box clamps it.
    document.setPhotoMs(ms, AlbumDocument::tr("Sync with Audio"));
    onStoryBoardDataChanged();
    on_photoListWidget_item_clicked();
}

// ---- edit commands

void Reelwright::on_deleteClip_clicked()
{
    on_pause_clicked();
    if (focusList == 0) {
        form->photoListWidget->selectionDelete(false);
        if (album.photos.isEmpty())
            form->avPlayer->clear();
        on_photoListWidget_row_changed(form->photoListWidget->currentRow());
    } else if (focusList == 1) {
        form->audioListWidget->selectionDelete(false);
        on_audioListWidget_row_changed(form->audioListWidget->currentRow());
    }
}

void Reelwright::on_clear_clicked()
{
    on_stop_clicked();
    if (focusList == 0) {
        form->photoListWidget->clear();
    } else if (focusList == 1) {
        form->audioListWidget->clear();
    }
    onStoryBoardDataChanged();
    seek(0);
    applyRunningEnabling();
}

void Reelwright::on_selectAll_clicked()
{
    if (focusList == 0)
        form->photoListWidget->selectAll();
    else if (focusList == 1)
        form->audioListWidget->selectAll();
}

void Reelwright::on_turnLeft_clicked()
{
    on_pause_clicked();
    form->photoListWidget->selectionAddProc(TurnLeft);
}

void Reelwright::on_turnRight_clicked()
{
    on_pause_clicked();
    form->photoListWidget->selectionAddProc(TurnRight);
}

void Reelwright::on_mirror_clicked()
{
    on_pause_clicked();
    form->photoListWidget->selectionAddProc(Mirror);
}

void Reelwright::on_flip_clicked()
{
    on_pause_clicked();
    form->photoListWidget->selectionAddProc(Flip);
}

void Reelwright::on_restore_clicked()
{
    on_pause_clicked();
    form->photoListWidget->selectionRestore();
}

void Reelwright::on_autoRotate_clicked()
{
    on_pause_clicked();
    form->photoListWidget->selectionAutoRotate();
}

void Reelwright::on_autoRotateAll_clicked()
{
    on_pause_clicked();
    form->photoListWidget->autoRotateAll();
}

void Reelwright::on_autoRotatewhileImporting_clicked(bool on) { form->photoListWidget->autoRotatewhileImporting(on); }

void Reelwright::on_moveLeft_clicked()
{
    on_pause_clicked();
    if (focusList == 0)
        form->photoListWidget->selectionMoveLeft();
    else if (focusList == 1)
        form->audioListWidget->selectionMoveLeft();
}

void Reelwright::on_moveRight_clicked()
{
    on_pause_clicked();
    if (focusList == 0)
        form->photoListWidget->selectionMoveRight();
    else if (focusList == 1)
        form->audioListWidget->selectionMoveRight();
}

void Reelwright::on_sort()
{
    if (auto* chosen = qobject_cast<QAction*>(sender())) {
        for (QAction* action : {form->actionSortName, form->actionSortDate, form->actionSortType, form->actionSortSize})
            action->setChecked(action == chosen);
    }
    sortFocusedStrip();
}

void Reelwright::on_sortOrder()
{
    if (auto* chosen = qobject_cast<QAction*>(sender())) {
        form->actionAscending->setChecked(chosen == form->actionAscending);
        form->actionDescending->setChecked(chosen == form->actionDescending);
    }
    sortFocusedStrip();
}

void Reelwright::sortFocusedStrip()
{
    Ui_ReelwrightClass& f = *form;
    const std::pair<QAction*, SortType> keys[] = {{f.actionSortName, SortByName},
                                                  {f.actionSortDate, SortByDate},
                                                  {f.actionSortType, SortByType},
                                                  {f.actionSortSize, SortBySize}};
    SortType type = SortByName;
    for (const auto& [action, key] : keys)
        if (action->isChecked())
            type = key;
    const bool ascending = !f.actionDescending->isChecked();
    on_pause_clicked();
    if (focusList == 0)
        f.photoListWidget->sort(type, ascending);
    else
        f.audioListWidget->sort(type, ascending);
}

void Reelwright::on_adjustOrder_clicked()
{
    // The strip's double-click takes the same way, so both pause the preview.
    form->audioListWidget->editOrder(0);
}

void Reelwright::on_fileProperty()
{
    mediaInfo->show();
    mediaInfo->raise();
}

void Reelwright::on_AfterBurnAction()
{
    const std::pair<QAction*, int> codes[] = {{form->actionDoNothing, 5},
                                              {form->actionExitProgram, 0},
                                              {form->actionStandBy, 1},
                                              {form->actionHibernate, 2},
                                              {form->actionShutDown, 4}};
    int code = 5;
    for (const auto& [action, value] : codes)
        if (action == sender())
            code = value;
    ZuPref::instance()->setValue(SettingsKey::AfterBurnAction, code);
    mirrorAfterBurnAction();
}

// ---- strip notifications (the strips have already edited the document)

void Reelwright::photoListChanged(const QList<ImageInfo>& list)
{
    Q_UNUSED(list);
    on_pause_clicked();
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::audioListChanged(const QList<AudioInfo>& list)
{
    Q_UNUSED(list);
    on_pause_clicked();
    onStoryBoardDataChanged();
}

// ---- context menus

void Reelwright::on_photoListContextMenu(bool onItem, QPoint pos)
{
    Ui_ReelwrightClass& f = *form;
    QMenu menu(this);
    if (onItem) {
        menu.addActions({f.actionDelete, f.actionClear});
        menu.addSeparator();
        menu.addAction(f.actionSelectAll);
        menu.addSeparator();
        menu.addActions({f.actionTurnLeft, f.actionTurnRight, f.actionMirror, f.actionFlip, f.actionAutoRotateAll,
                         f.actionAutoRotateWhileImporting, f.actionRestore});
        menu.addSeparator();
        menu.addActions({f.actionInsertTitleCard, f.actionEditCaption});
        menu.addSeparator();
        menu.addMenu(f.menuSortBy);
        menu.addSeparator();
        menu.addActions({f.actionMoveLeft, f.actionMoveRight});
    } else {
        menu.addAction(f.actionClear);
        menu.addSeparator();
        menu.addAction(f.actionSelectAll);
        menu.addSeparator();
        menu.addAction(f.actionInsertTitleCard);
        menu.addSeparator();
        menu.addMenu(f.menuSortBy);
    }
    menu.exec(pos);
}

void Reelwright::on_audioListContextMenu(QPoint pos)
{
    Ui_ReelwrightClass& f = *form;
    QMenu menu(this);
    menu.addActions({f.actionDelete, f.actionClear});
    menu.addSeparator();
    menu.addAction(f.actionSelectAll);
    menu.addSeparator();
    menu.addMenu(f.menuSortBy);
    menu.addSeparator();
    menu.addActions({f.actionMoveLeft, f.actionMoveRight});
    menu.exec(pos);
}

// ---- imports

QStringList Reelwright::openFiles(const QString& dir, const QString& filter)
{
    const QString caption = tr("Select one or more files");
    if (fileDialogHook())
        return fileDialogHook()(this, caption, dir, filter);
    return QFileDialog::getOpenFileNames(this, caption, dir, filter);
}

void Reelwright::importFiles(const QStringList& files, bool photos)
{
    const bool added = photos ? form->photoListWidget->importFiles(files) : form->audioListWidget->importFiles(files);
    if (added)
        seek(int(form->avPlayer->currentFrame));
}

void Reelwright::on_importPicture_clicked()
{
    on_pause_clicked();
    const QStringList files = openFiles(photoStartFolder(), photoDialogFilter());
    if (files.isEmpty())
        return;
    ZuPref::instance()->setValue(SettingsKey::PhotoLastDir, QFileInfo(files.first()).absolutePath());
    importFiles(files, true);
}

void Reelwright::on_importPictureDir_clicked()
{
    on_pause_clicked();
    const QString folder = ZuFolderDialog::getExistingDirectory(this, tr("Select one folder"), photoStartFolder());
    if (folder.isEmpty())
        return;
    const QStringList files = filesFromUrls({QUrl::fromLocalFile(folder)}, PhotoListWidget::m_nameFilters, true);
    if (files.isEmpty()) {
        ZuMessageBox::info(tr("The folder %1 holds no photos.").arg(QDir::toNativeSeparators(folder)), QString(), this);
        return;
    }
    ZuPref::instance()->setValue(SettingsKey::PhotoLastDir, folder);
    importFiles(files, true);
}

void Reelwright::on_importAudio_clicked()
{
    on_pause_clicked();
    const QString stored =
        ZuPref::instance()->value(SettingsKey::AudioLastDir, SettingsDefault::audioLastDir()).toString();
    const QStringList files = openFiles(stored, audioDialogFilter());
    if (files.isEmpty())
        return;
    ZuPref::instance()->setValue(SettingsKey::AudioLastDir, QFileInfo(files.first()).absolutePath());
    importFiles(files, false);
}
