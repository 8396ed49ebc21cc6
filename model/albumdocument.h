#pragma once
// The album being edited: its photos, sound clips and settings, and the one
// place every edit of them passes through. Views and the renderer read it;
// each edit announces exactly the rows or settings it touched.

#include "albumfile.h"
#include "storyboard.h"

#include <QList>
#include <QObject>

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
    // orientation (which is also what "restore" means).
    void autoRotatePhotos(const QList<int>& indexes);
    void autoRotateAllPhotos();

    bool rotateWhileImporting() const { return m_rotateWhileImporting; }
    void setRotateWhileImporting(bool on);

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

    void setPhotoMs(int ms);
    void setTransitionMs(int ms);
    void setUseTransition(bool on);
    void setDissolveOnly(bool on);
    void setUseZoom(bool on);
    void setLoopAudio(bool on);
    void setFadeAudio(bool on);

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
    // After every edit above that changed something.
    void changed();

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
    void photosChangedAt(const QList<int>& indexes);
    void setFlag(bool StoryBoardData::*field, bool on);

    StoryBoardData m_album;
    bool m_rotateWhileImporting = true;
    AlbumOutput m_output;
};
