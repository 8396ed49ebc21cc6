// Captions and title cards in the main window: the panel's editor, the
// caption dialog, title cards, subtitle import and dragging a caption in
// the paused preview.

#include "reelwright.h"

#include "avplayer.h"
#include "captiondialog.h"
#include "captioneditor.h"
#include "photolistwidget.h"
#include "subtitles.h"
#include "ui_reelwright.h"
#include "zumessagebox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>

namespace {

Reelwright::AlbumDialogHook& subtitleDialogHook()
{
    static Reelwright::AlbumDialogHook hook;
    return hook;
}

} // namespace

void Reelwright::setSubtitleDialogHook(AlbumDialogHook hook) { subtitleDialogHook() = std::move(hook); }

void Reelwright::connectCaptions()
{
    Ui_ReelwrightClass& f = *form;
    f.captionEditor->setDocument(&document);
    f.captionEditor->setFrameSize(QSize(renderParam.width, renderParam.height));
    f.captionEditor->setPhoto(-1);
    connect(f.captionEditor, &CaptionEditor::aboutToEdit, this, &Reelwright::on_pause_clicked);
    connect(f.actionInsertTitleCard, &QAction::triggered, this, &Reelwright::insertTitleCard);
    connect(f.actionEditCaption, &QAction::triggered, this, &Reelwright::editCaption);
    connect(f.actionImportSubtitles, &QAction::triggered, this, &Reelwright::importSubtitles);

    previewRedraw = new QTimer(this);
    previewRedraw->setSingleShot(true);
    previewRedraw->setInterval(0);
    connect(previewRedraw, &QTimer::timeout, this, &Reelwright::redrawPausedPreview);
    // A caption or a card's colours changed: no frame moved, but the
    // picture did.
    connect(&document, &AlbumDocument::photosChanged, this, &Reelwright::schedulePreviewRedraw);
    f.avPlayer->installEventFilter(this);
}

void Reelwright::schedulePreviewRedraw()
{
    if (previewRedraw && playState != 1)
        previewRedraw->start();
}

void Reelwright::redrawPausedPreview()
{
    if (playState == 1 || album.photos.isEmpty())
        return;
    const int total = int(render.totalFrames);
    const int frame = total > 0 ? std::clamp(int(form->avPlayer->currentFrame), 0, total - 1) : 0;
    form->avPlayer->seek((unsigned long)frame);
}

void Reelwright::showCaptionOfSelection(const QList<int>& photoRows)
{
    const int photo = photoRows.size() == 1 ? photoRows.first() / 2 : -1;
    form->captionEditor->setPhoto(photo);
    form->actionEditCaption->setEnabled(photo >= 0);
}

void Reelwright::insertTitleCard()
{
    on_pause_clicked();
    PhotoListWidget* strip = form->photoListWidget;
    int before = int(album.photos.size());
    for (const QModelIndex& index : strip->selectionModel()->selectedIndexes())
        if (index.row() % 2 == 0)
            before = std::min(before, index.row() / 2);
    const int at = document.insertTitleCard(before, tr("Title"));
    onStoryBoardDataChanged();
    strip->clearSelection();
    strip->setCurrentRow(2 * at);
    on_photoListWidget_row_changed(2 * at);
    form->captionEditor->setFocus();
}

void Reelwright::editCaption()
{
    const QList<int> rows = [this] {
        QList<int> photoRows;
        for (const QModelIndex& index : form->photoListWidget->selectionModel()->selectedIndexes())
            if (index.row() % 2 == 0)
                photoRows << index.row();
        return photoRows;
    }();
    if (rows.size() != 1)
        return;
    on_pause_clicked();
    CaptionDialog dialog(&document, rows.first() / 2, QSize(renderParam.width, renderParam.height), this);
    connect(&dialog, &CaptionDialog::aboutToEdit, this, &Reelwright::on_pause_clicked);
    dialog.exec();
    // Cancel took the dialog's step back behind the strip's back.
    refreshAfterDocumentChange();
}

void Reelwright::importSubtitles()
{
    on_pause_clicked();
    if (album.photos.isEmpty()) {
        ZuMessageBox::info(tr("The album has no photos to put captions on."), QString(), this);
        return;
    }
    // Beside the album, with its name: where a subtitle file made for the
    // album's video would be.
    QString start;
    if (!albumPath.isEmpty()) {
        const QFileInfo albumFile(albumPath);
        start = albumFile.dir().filePath(albumFile.completeBaseName() + QStringLiteral(".srt"));
    } else {
        start = QDir::homePath();
        for (const ImageInfo& photo : album.photos)
            if (!photo.isTitleCard() && !photo.filePath.isEmpty()) {
                start = QFileInfo(photo.filePath).absolutePath();
                break;
            }
    }
    const QString caption = tr("Import Captions from Subtitles");
    const QString filter = tr("Subtitles (*.srt)");
    const QString path = subtitleDialogHook() ? subtitleDialogHook()(this, caption, start, filter)
                                              : QFileDialog::getOpenFileName(this, caption, start, filter);
    if (path.isEmpty())
        return;
    QList<SubtitleEntry> entries;
    QString error;
    if (!readSubtitles(path, entries, &error)) {
        ZuMessageBox::alert(error, QString(), this);
        return;
    }
    // The changes as the preview shows them: the middle of each transition.
    const int count = int(album.photos.size());
    const double rate = renderParam.frameRate > 0.0 ? renderParam.frameRate : 25.0;
    QVector<double> changes;
    for (int i = 0; i + 1 < count; ++i)
        changes << (render.transitionStartFrame(i) + render.photoStartFrame(i + 1)) / 2.0 / rate;
    const QStringList texts = captionsFromSubtitles(entries, changes, count);
    // A photo no entry falls on keeps the caption it has.
    QList<int> indexes;
    QList<Caption> captions;
    for (int i = 0; i < count && i < texts.size(); ++i) {
        if (texts.at(i).isEmpty() || texts.at(i) == album.photos.at(i).caption.text)
            continue;
        Caption changed = album.photos.at(i).caption;
        changed.text = texts.at(i);
        indexes << i;
        captions << changed;
    }
    if (indexes.isEmpty()) {
        ZuMessageBox::info(tr("%1 holds no captions for the photos of this album.")
                               .arg(QDir::toNativeSeparators(QFileInfo(path).fileName())),
                           QString(), this);
        return;
    }
    document.setCaptions(indexes, captions, tr("Import Captions"));
}

int Reelwright::photoOnScreen() const
{
    if (album.photos.isEmpty())
        return -1;
    const double frame = form->avPlayer->currentFrame + 0.5;
    int shown = 0;
    for (int i = 1; i < album.photos.size(); ++i)
        if (render.photoStartFrame(i) <= frame)
            shown = i;
    return shown;
}

bool Reelwright::captionDragEvent(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    AVPlayer* player = form->avPlayer;
    const QRect shown = player->shownFrameRect();
    const QSize frame = player->frameSize();
    if (shown.isEmpty() || frame.isEmpty())
        return false;
    // The pointer as fractions of the frame.
    const QPointF at((mouse->position().x() - shown.x()) / shown.width(),
                     (mouse->position().y() - shown.y()) / shown.height());

    if (type == QEvent::MouseButtonPress) {
        if (mouse->button() != Qt::LeftButton || playState == 1 || dragPhoto >= 0)
            return false;
        const int photo = photoOnScreen();
        if (photo < 0)
            return false;
        const Caption& caption = album.photos.at(photo).caption;
        if (caption.isEmpty())
            return false;
        const QPoint pixel(int(at.x() * frame.width()), int(at.y() * frame.height()));
        if (!captionRect(caption, frame).contains(pixel))
            return false;
        dragPhoto = photo;
        dragOffset = captionCentre(caption, frame) - at;
        document.beginEdit(tr("Move Caption"));
        player->setCursor(Qt::ClosedHandCursor);
        return true;
    }
    if (dragPhoto < 0)
        return false;
    if (dragPhoto < album.photos.size()) {
        Caption moved = album.photos.at(dragPhoto).caption;
        moved.place = CaptionPlace::Free;
        moved.point =
            QPointF(std::clamp(at.x() + dragOffset.x(), 0.0, 1.0), std::clamp(at.y() + dragOffset.y(), 0.0, 1.0));
        document.setCaption(dragPhoto, moved);
        redrawPausedPreview();
    }
    if (type == QEvent::MouseButtonRelease) {
        dragPhoto = -1;
        document.endEdit();
        player->unsetCursor();
    }
    return true;
}
