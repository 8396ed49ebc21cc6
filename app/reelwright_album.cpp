// Album files in the main window: New, Open, Open Recent, Save and Save As,
// the question about unsaved changes, the window title, album files dropped
// on the window, the report of missing files, the background reading of the
// opened photos, and undo and redo.

#include "reelwright.h"

#include "albumfile.h"
#include "albumprobe.h"
#include "audiolistwidget.h"
#include "avplayer.h"
#include "missingfiles.h"
#include "photolistwidget.h"
#include "recentalbums.h"
#include "settingskeys.h"
#include "ui_reelwright.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

namespace {

Reelwright::AlbumDialogHook& openAlbumHook()
{
    static Reelwright::AlbumDialogHook hook;
    return hook;
}

Reelwright::AlbumDialogHook& saveAlbumHook()
{
    static Reelwright::AlbumDialogHook hook;
    return hook;
}

// Where the album dialogs start when the album has no file yet: beside the
// album used last, else the documents folder.
QString albumStartFolder()
{
    const QStringList recent = RecentAlbums::stored();
    if (!recent.isEmpty() && QFileInfo(recent.first()).absoluteDir().exists())
        return QFileInfo(recent.first()).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace

void Reelwright::setOpenAlbumDialogHook(AlbumDialogHook hook) { openAlbumHook() = std::move(hook); }

void Reelwright::setSaveAlbumDialogHook(AlbumDialogHook hook) { saveAlbumHook() = std::move(hook); }

void Reelwright::connectAlbumCommands()
{
    Ui_ReelwrightClass& f = *form;
    connect(f.actionNew, &QAction::triggered, this, &Reelwright::newAlbum);
    connect(f.actionOpen, &QAction::triggered, this, &Reelwright::chooseAndOpenAlbum);
    connect(f.actionSave, &QAction::triggered, this, &Reelwright::save);
    connect(f.actionSaveAs, &QAction::triggered, this, &Reelwright::saveAs);
    connect(f.menuOpenRecent, &QMenu::aboutToShow, this, &Reelwright::rebuildRecentMenu);

    f.actionUndo->setShortcuts(QKeySequence::keyBindings(QKeySequence::Undo));
    // Ctrl+Y is what users of other desktops reach for; the platform's own
    // binding for redo comes first, so the menu shows that one.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& key : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!redoKeys.contains(key))
            redoKeys << key;
    f.actionRedo->setShortcuts(redoKeys);
    connect(f.actionUndo, &QAction::triggered, this, [this] { undoOrRedo(false); });
    connect(f.actionRedo, &QAction::triggered, this, [this] { undoOrRedo(true); });
    QUndoStack* stack = document.undoStack();
    connect(stack, &QUndoStack::canUndoChanged, this, &Reelwright::showUndoTexts);
    connect(stack, &QUndoStack::canRedoChanged, this, &Reelwright::showUndoTexts);
    connect(stack, &QUndoStack::undoTextChanged, this, &Reelwright::showUndoTexts);
    connect(stack, &QUndoStack::redoTextChanged, this, &Reelwright::showUndoTexts);
    connect(&document, &AlbumDocument::modifiedChanged, this, &Reelwright::updateTitle);

    // An album file dropped anywhere on the window opens; the strips take
    // every other drop as before, so album files are caught before them.
    setAcceptDrops(true);
    for (QAbstractScrollArea* strip : std::initializer_list<QAbstractScrollArea*>{f.photoListWidget, f.audioListWidget})
        strip->viewport()->installEventFilter(this);
    rebuildRecentMenu();
}

void Reelwright::retranslateAlbumCommands()
{
    showUndoTexts();
    rebuildRecentMenu();
    updateTitle();
    if (probeLabel && probeBar && probeBar->isVisible())
        showProbeProgress(probeBar->value(), probeBar->maximum());
}

void Reelwright::showUndoTexts()
{
    const QUndoStack* stack = document.undoStack();
    const QString undo = stack->undoText();
    const QString redo = stack->redoText();
    form->actionUndo->setText(undo.isEmpty() ? tr("Undo") : tr("Undo %1").arg(undo));
    form->actionRedo->setText(redo.isEmpty() ? tr("Redo") : tr("Redo %1").arg(redo));
    form->actionUndo->setEnabled(stack->canUndo());
    form->actionRedo->setEnabled(stack->canRedo());
}

void Reelwright::undoOrRedo(bool redo)
{
    QUndoStack* stack = document.undoStack();
    if (redo ? !stack->canRedo() : !stack->canUndo())
        return;
    // The renderer reads the album while it plays.
    on_pause_clicked();
    if (redo)
        stack->redo();
    else
        stack->undo();
    refreshAfterDocumentChange();
}

// ---- title

QString Reelwright::albumName() const
{
    return albumPath.isEmpty() ? tr("Untitled") : QFileInfo(albumPath).completeBaseName();
}

void Reelwright::updateTitle()
{
    const QString modified = document.isModified() ? QStringLiteral("*") : QString();
    //: The window title: album name, "*" while there are unsaved changes, product name.
    setWindowTitle(tr("%1%2 - %3").arg(albumName(), modified, ZuPref::product_name()));
}

void Reelwright::setAlbumFilePath(const QString& path)
{
    albumPath = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    updateTitle();
}

// ---- unsaved changes

bool Reelwright::maybeSave()
{
    if (!document.isModified())
        return true;
    on_pause_clicked();
    const QMessageBox::StandardButton answer = ZuMessageBox::question(
        tr("The album \"%1\" has changes that are not saved. Save them?").arg(albumName()), QString(),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

void Reelwright::closeEvent(QCloseEvent* event)
{
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    stopProbe();
    ZuMainWindow::closeEvent(event);
}

// ---- new, open

void Reelwright::newAlbum()
{
    if (!maybeSave())
        return;
    stopProbe();
    on_stop_clicked();
    document.loadContents(AlbumContents());
    albumPath.clear();
    refreshAfterDocumentChange();
    updateTitle();
}

void Reelwright::chooseAndOpenAlbum()
{
    on_pause_clicked();
    if (!maybeSave())
        return;
    const QString caption = tr("Open Album");
    const QString dir = albumPath.isEmpty() ? albumStartFolder() : QFileInfo(albumPath).absolutePath();
    const QString file = openAlbumHook() ? openAlbumHook()(this, caption, dir, AlbumFile::dialogFilter())
                                         : QFileDialog::getOpenFileName(this, caption, dir, AlbumFile::dialogFilter());
    if (!file.isEmpty())
        openAlbumFile(file);
}

bool Reelwright::openAlbum(const QString& path)
{
    on_pause_clicked();
    if (!maybeSave())
        return false;
    return openAlbumFile(path);
}

bool Reelwright::openAlbumFile(const QString& path)
{
    on_pause_clicked();
    const QString file = QFileInfo(path).absoluteFilePath();
    AlbumFile::ReadResult read = AlbumFile::read(file);
    if (!read.ok) {
        ZuMessageBox::alert(read.error, QString(), this);
        return false;
    }
    if (!read.missingFiles.isEmpty()) {
        MissingFiles report(file, read.album, read.missingFiles, this);
        if (report.exec() != QDialog::Accepted)
            return false;
    }

    stopProbe();
    on_stop_clicked();
    document.loadContents(read.album);
    albumPath = file;
    // The output dialog shows what the album was last compiled with; an
    // album that never was leaves the dialog's own choices.
    ZuPref* pref = ZuPref::instance();
    const AlbumOutput& output = read.album.output;
    if (!output.profileUrl.isEmpty()) {
        pref->setValue(SettingsKey::LastProfileUrl, output.profileUrl);
        pref->setValue(SettingsKey::LastProfileGroup, output.profileGroup);
    }
    if (!output.folder.isEmpty())
        pref->setValue(SettingsKey::OutputPath, output.folder);
    if (!output.fileName.isEmpty())
        pref->setValue(SettingsKey::OutputName, output.fileName);
    followChosenProfile();
    RecentAlbums::add(file);
    // Not at once: the command that opened the album may be one of the
    // recent menu's own entries.
    QTimer::singleShot(0, this, &Reelwright::rebuildRecentMenu);
    refreshAfterDocumentChange();
    updateTitle();
    startProbe();
    return true;
}

// ---- save

bool Reelwright::save() { return albumPath.isEmpty() ? saveAs() : saveAlbum(albumPath); }

bool Reelwright::saveAs()
{
    on_pause_clicked();
    const QString caption = tr("Save Album As");
    const QString suggested =
        albumPath.isEmpty() ? QDir(albumStartFolder()).filePath(albumName() + QLatin1Char('.') + AlbumFile::suffix())
                            : albumPath;
    QString file;
    if (saveAlbumHook()) {
        file = saveAlbumHook()(this, caption, suggested, AlbumFile::dialogFilter());
    } else {
        QFileDialog dialog(this, caption, suggested, AlbumFile::dialogFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // Added before the dialog asks about replacing a file, so it asks
        // about the file that will be written.
        dialog.setDefaultSuffix(AlbumFile::suffix());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().constFirst();
    }
    if (file.isEmpty())
        return false;
    if (QFileInfo(file).suffix().isEmpty())
        file += QLatin1Char('.') + AlbumFile::suffix();
    return saveAlbum(file);
}

bool Reelwright::saveAlbum(const QString& path)
{
    on_pause_clicked();
    const QString file = QFileInfo(path).absoluteFilePath();
    QString error;
    if (!AlbumFile::write(file, document.contents(), &error)) {
        ZuMessageBox::alert(error, QString(), this);
        return false;
    }
    document.markSaved();
    albumPath = file;
    RecentAlbums::add(file);
    QTimer::singleShot(0, this, &Reelwright::rebuildRecentMenu);
    updateTitle();
    return true;
}

// ---- open recent

void Reelwright::rebuildRecentMenu()
{
    QMenu* menu = form->menuOpenRecent;
    menu->clear();
    for (const QString& file : RecentAlbums::forMenu()) {
        QString text = QDir::toNativeSeparators(file);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu->addAction(text);
        action->setData(file);
        action->setEnabled(QFileInfo(file).isFile());
        connect(action, &QAction::triggered, this, [this, file] { openAlbum(file); });
    }
    menu->addSeparator();
    QAction* clear = menu->addAction(tr("Clear Menu"));
    clear->setObjectName(QStringLiteral("actionClearRecent"));
    clear->setEnabled(!RecentAlbums::stored().isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        RecentAlbums::clear();
        QTimer::singleShot(0, this, &Reelwright::rebuildRecentMenu);
    });
}

// ---- after the document changed under the strips

void Reelwright::showAlbumSettings()
{
    Ui_ReelwrightClass& f = *form;
    const QSignalBlocker b1(f.spinBox), b2(f.spinBox_2), b3(f.checkBox), b4(f.radioButton), b5(f.radioButton_2),
        b6(f.checkBoxUseDynamicZoom), b7(f.checkBox_2), b8(f.checkBox_3), b9(f.checkBoxBeatCuts);
    f.spinBox->setValue(album.photoMs);
    f.spinBox_2->setValue(album.transitionMs);
    f.checkBox->setChecked(album.useTransition);
    const bool patterns = !album.patternFiles.isEmpty();
    f.radioButton->setChecked(album.dissolveOnly || !patterns);
    f.radioButton_2->setChecked(!(album.dissolveOnly || !patterns));
    f.checkBoxUseDynamicZoom->setChecked(album.useZoom);
    f.checkBox_2->setChecked(album.loopAudio);
    f.checkBox_3->setChecked(album.fadeAudio);
    const QSignalBlocker b10(f.checkBoxEvenLoudness), b11(f.spinBoxFadeMs);
    f.checkBoxEvenLoudness->setChecked(album.evenLoudness);
    f.spinBoxFadeMs->setValue(album.fadeMs);
    f.checkBoxBeatCuts->setChecked(album.beatCuts);
}

void Reelwright::refreshAfterDocumentChange()
{
    showAlbumSettings();
    onStoryBoardDataChanged();
    // The enabling of the edit commands follows the selection that is left.
    if (focusList == 1)
        audioItemSelectChanged();
    else if (focusList == 0)
        photoItemSelectChanged();
    seek(int(form->avPlayer->currentFrame));
}

// ---- reading the photos of an opened album

void Reelwright::startProbe()
{
    stopProbe();
    QStringList paths;
    for (const ImageInfo& photo : album.photos)
        if (!photo.isTitleCard() && !photo.filePath.isEmpty() && !paths.contains(photo.filePath))
            paths << photo.filePath;
    if (paths.isEmpty())
        return;
    if (!probeBar) {
        probeLabel = new QLabel(this);
        probeLabel->setObjectName(QStringLiteral("probeLabel"));
        probeBar = new QProgressBar(this);
        probeBar->setObjectName(QStringLiteral("probeBar"));
        probeBar->setMaximumWidth(240);
        probeBar->setTextVisible(false);
        statusBar()->addWidget(probeLabel);
        statusBar()->addPermanentWidget(probeBar);
    }
    probe = new AlbumProbe(this);
    AlbumProbe* current = probe;
    connect(probe, &AlbumProbe::photoProbed, this, [this, current](const ImageInfo& probed) {
        if (probe == current)
            document.fillPhotoDetails(probed);
    });
    connect(probe, &AlbumProbe::progress, this, [this, current](int done, int total) {
        if (probe == current)
            showProbeProgress(done, total);
    });
    connect(probe, &AlbumProbe::finished, this, [this, current] {
        if (probe == current)
            stopProbe();
    });
    showProbeProgress(0, int(paths.size()));
    statusBar()->show();
    probe->start(paths);
}

void Reelwright::stopProbe()
{
    if (probe) {
        AlbumProbe* ending = probe;
        probe = nullptr;
        ending->cancel();
        // It may be in the middle of sending its own signal.
        ending->deleteLater();
    }
    if (probeBar)
        statusBar()->hide();
}

void Reelwright::showProbeProgress(int done, int total)
{
    probeLabel->setText(tr("Reading photos %1 of %2").arg(done).arg(total));
    probeBar->setRange(0, total);
    probeBar->setValue(done);
}

// ---- album files dropped on the window

QString Reelwright::droppedAlbum(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && AlbumFile::isAlbumFile(url.toLocalFile()))
            return url.toLocalFile();
    return QString();
}

void Reelwright::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedAlbum(event->mimeData()).isEmpty())
        ZuMainWindow::dragEnterEvent(event);
    else
        event->acceptProposedAction();
}

void Reelwright::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedAlbum(event->mimeData()).isEmpty())
        ZuMainWindow::dragMoveEvent(event);
    else
        event->acceptProposedAction();
}

void Reelwright::dropEvent(QDropEvent* event)
{
    const QString file = droppedAlbum(event->mimeData());
    if (file.isEmpty()) {
        ZuMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    // The questions and reports of opening are modal; the drag source waits
    // for the drop to end, so they come after it.
    QTimer::singleShot(0, this, [this, file] { openAlbum(file); });
}

bool Reelwright::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == form->avPlayer)
        return captionDragEvent(event) || ZuMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString file = droppedAlbum(drop->mimeData());
        if (file.isEmpty())
            break;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            QTimer::singleShot(0, this, [this, file] { openAlbum(file); });
        return true;
    }
    default: break;
    }
    return ZuMainWindow::eventFilter(watched, event);
}
