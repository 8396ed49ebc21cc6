#pragma once
// The album being edited: its photos, sound clips and settings, and the one
// place every edit of them passes through. Views and the renderer read it;
// each edit announces exactly the rows or settings it touched.

#include "albumfile.h"
#include "storyboard.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QUndoCommand;
class QUndoStack;

// Every edit below is a step of the undo history: it makes its change by
// pushing a command, and the command's undo announces the reverse change
// with the same signals, so every view stays in step with either. An edit
// that changes nothing leaves no step.
class AlbumDocument : public QObject
{
    Q_OBJECT

public:
    explicit AlbumDocument(QObject* parent = nullptr);
    // An album whose transitions may use the wipe patterns of `patternFolder`.
    explicit AlbumDocument(const QString& patternFolder, QObject* parent = nullptr);
    ~AlbumDocument() override;

    // The album itself. The address stays valid as long as the document, so
    // a renderer may keep it; its contents change only through the edits
    // below, which callers make only while nothing plays from it.
    const StoryBoardData& data() const { return m_album; }
    StoryBoardData* storyBoard() { return &m_album; }
    const QList<ImageInfo>& photos() const { return m_album.photos; }
    const QList<AudioInfo>& clips() const { return m_album.audios; }

    // ---- photos (indexes are photo positions, not strip rows)

    // Inserts records as they are (steps, type and zoom path kept); `index`
    // is clamped to the list.
    void insertPhotos(int index, const QList<ImageInfo>& photos);
    // Inserts freshly parsed photos: each gets its EXIF steps when rotating
    // while importing, its orientation class and the next zoom path. Gives
    // back the records as inserted.
    QList<ImageInfo> importPhotos(int index, const QList<ImageInfo>& photos);
    void removePhotos(int first, int count);
    // Moves the run first..first+count-1 so that it starts at `to`, an index
    // of the list without the run (clamped).
    void movePhotos(int first, int count, int to);
    void sortPhotos(SortType type, bool ascending);
    void clearPhotos();
    // Puts `step` first in the steps of each photo of `indexes`.
    void addPhotoStep(const QList<int>& indexes, IMAGEPROC step);
    // Gives each photo of `indexes` the steps that undo its EXIF
    // orientation (which is also what "restore" means); `actionText` names
    // the step when the caller knows better ("Restore").
    void autoRotatePhotos(const QList<int>& indexes, const QString& actionText = {});
    void autoRotateAllPhotos(const QString& actionText = {});

    // A preference rather than an edit of the album: not undoable, and the
    // album stays unmodified.
    bool rotateWhileImporting() const { return m_rotateWhileImporting; }
    void setRotateWhileImporting(bool on);

    // ---- captions and title cards

    // The caption of photo `index` (a title card's text and look).
    // Successive changes of one photo's caption are one step of the history
    // (typing), unless `actionText` names a step of its own.
    void setCaption(int index, const Caption& caption, const QString& actionText = {});
    // Several captions in one step (a subtitle import): `captions` holds one
    // caption for each of `indexes`.
    void setCaptions(const QList<int>& indexes, const QList<Caption>& captions, const QString& actionText);
    // Inserts a new title card showing `text` at `index` (clamped); gives
    // back where it went.
    int insertTitleCard(int index, const QString& text);
    // The colours of title card `index` (ignored for a photo).
    void setCardColours(int index, const QColor& top, const QColor& bottom);

    // ---- sound clips

    void insertClips(int index, const QList<AudioInfo>& clips);
    void removeClips(int first, int count);
    void moveClips(int first, int count, int to);
    void sortClips(SortType type, bool ascending);
    void clearClips();
    // Replaces the whole track (the order and trimming dialog's result).
    void setClips(const QList<AudioInfo>& clips);
    // Trims one clip; the limits are kept within 0..duration, end >= start.
    void setClipTrim(int index, double startTime, double endTime);

    // ---- album settings

    // Successive changes of one duration are one step of the history.
    void setPhotoMs(int ms, const QString& actionText = {});
    void setTransitionMs(int ms);
    void setUseTransition(bool on);
    void setDissolveOnly(bool on);
    void setUseZoom(bool on);
    void setLoopAudio(bool on);
    void setFadeAudio(bool on);
    void setEvenLoudness(bool on);
    // Clamped to 0..StoryBoardData::MaxFadeMs; successive changes are one step.
    void setFadeMs(int ms);
    void setBeatCuts(bool on);

    // ---- undo history

    QUndoStack* undoStack();
    // True while the album differs from what was last saved (or from the
    // new album when it never was): the history is away from its clean step.
    bool isModified() const;
    void markSaved();
    // Groups the edits until the matching endEdit() into one undo step named
    // `text` (an import that arrives in batches, a drag). Groups nest; the
    // step is named when its first edit arrives, after the outermost group
    // named by then (or that edit). A group without edits leaves no step.
    // The history cannot be undone or redone while a group holds edits.
    void beginEdit(const QString& text);
    void endEdit();
    // Photos and clips the history keeps outside the album (deleted ones,
    // undone imports): what it costs in records.
    qsizetype undoHeldRecords() const;

signals:
    void photosInserted(int first, int count);
    void photosRemoved(int first, int count);
    void photosMoved(int first, int count, int to);
    // Contents of these photos changed (steps, or another record after a sort).
    void photosChanged(int first, int count);
    void photosReset();

    void clipsInserted(int first, int count);
    void clipsRemoved(int first, int count);
    void clipsMoved(int first, int count, int to);
    void clipsChanged(int first, int count);
    void clipsReset();

    void settingsChanged();
    // After every edit above that changed something, and after each undo
    // and redo.
    void changed();
    void modifiedChanged(bool modified);

public:
    // ---- the album as a file holds it

    // The album as a file would hold it (incl. output).
    AlbumContents contents() const;
    // Replaces the whole album (photos, clips, settings, output): photosReset,
    // clipsReset, settingsChanged, changed.
    void loadContents(const AlbumContents& album);
    const AlbumOutput& output() const { return m_output; }
    // Emits changed when different.
    void setOutput(const AlbumOutput& output);
    // Details a background probe found for the photos at probed.filePath
    // (thumbnails, EXIF properties, the size when the file changed since
    // saving): not an edit; emits photosChanged for those rows only.
    void fillPhotoDetails(const ImageInfo& probed);

private:
    void setFlag(bool StoryBoardData::*field, bool on, const QString& text);
    void setDuration(bool photo, int ms, const QString& text);
    // Pushes one edit, into the open group when there is one.
    void record(QUndoCommand* command);

    StoryBoardData m_album;
    bool m_rotateWhileImporting = true;
    QUndoStack* m_undo;
    int m_openEdits = 0;
    bool m_groupStarted = false;
    QString m_groupText;
    AlbumOutput m_output;
};

// Keeps one group of edits open while it lives (AlbumDocument::beginEdit).
class AlbumEditGroup
{
public:
    AlbumEditGroup(AlbumDocument* document, const QString& text)
        : m_document(document)
    {
        if (m_document)
            m_document->beginEdit(text);
    }
    ~AlbumEditGroup()
    {
        if (m_document)
            m_document->endEdit();
    }
    AlbumEditGroup(const AlbumEditGroup&) = delete;
    AlbumEditGroup& operator=(const AlbumEditGroup&) = delete;

private:
    QPointer<AlbumDocument> m_document;
};
