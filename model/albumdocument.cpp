#include "albumdocument.h"

#include "photoimport.h"

#include <algorithm>

namespace {

template <typename T>
bool validRun(const QList<T>& list, int first, int count)
{
    return count > 0 && first >= 0 && first + count <= list.size();
}

template <typename T>
void moveRun(QList<T>& list, int first, int count, int to)
{
    QList<T> run = list.mid(first, count);
    list.remove(first, count);
    list.insert(to, run.size(), T()); // room first, then the records, in order
    std::copy(run.cbegin(), run.cend(), list.begin() + to);
}

// Sets `field` and tells whether it changed.
template <typename T>
bool assign(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

AlbumDocument::AlbumDocument(QObject* parent)
    : QObject(parent)
{}

AlbumDocument::AlbumDocument(const QString& patternFolder, QObject* parent)
    : QObject(parent)
    , m_album(patternFolder)
{}

AlbumDocument::~AlbumDocument() = default;

// ---- photos

void AlbumDocument::insertPhotos(int index, const QList<ImageInfo>& photos)
{
    if (photos.isEmpty())
        return;
    index = std::clamp(index, 0, int(m_album.photos.size()));
    QList<ImageInfo>& list = m_album.photos;
    list.insert(index, photos.size(), ImageInfo());
    for (qsizetype i = 0; i < photos.size(); ++i) {
        ImageInfo& photo = list[index + i];
        photo = photos.at(i);
        // The class always follows the steps, whoever built the record.
        photo.imageType = imageTypeOf(photo.procs);
    }
    emit photosInserted(index, int(photos.size()));
    emit changed();
}

QList<ImageInfo> AlbumDocument::importPhotos(int index, const QList<ImageInfo>& photos)
{
    QList<ImageInfo> prepared = photos;
    for (ImageInfo& photo : prepared)
        prepareImportedPhoto(photo, nextImportIndex(), m_rotateWhileImporting);
    insertPhotos(index, prepared);
    return prepared;
}

void AlbumDocument::removePhotos(int first, int count)
{
    if (!validRun(m_album.photos, first, count))
        return;
    m_album.photos.remove(first, count);
    emit photosRemoved(first, count);
    emit changed();
}

void AlbumDocument::movePhotos(int first, int count, int to)
{
    if (!validRun(m_album.photos, first, count))
        return;
    to = std::clamp(to, 0, int(m_album.photos.size()) - count);
    if (to == first)
        return;
    moveRun(m_album.photos, first, count, to);
    emit photosMoved(first, count, to);
    emit changed();
}

void AlbumDocument::sortPhotos(SortType type, bool ascending)
{
    setPhotoSortOrder(type, ascending);
    QList<ImageInfo>& list = m_album.photos;
    std::sort(list.begin(), list.end(), [](const ImageInfo& a, const ImageInfo& b) { return lessThan(a, b); });
    if (list.isEmpty())
        return;
    emit photosChanged(0, int(list.size()));
    emit changed();
}

void AlbumDocument::clearPhotos()
{
    if (m_album.photos.isEmpty())
        return;
    m_album.photos.clear();
    emit photosReset();
    emit changed();
}

void AlbumDocument::photosChangedAt(const QList<int>& indexes)
{
    if (indexes.isEmpty())
        return;
    for (int index : indexes)
        emit photosChanged(index, 1);
    emit changed();
}

void AlbumDocument::addPhotoStep(const QList<int>& indexes, IMAGEPROC step)
{
    QList<int> done;
    for (int index : indexes) {
        if (index < 0 || index >= m_album.photos.size())
            continue;
        ImageInfo& photo = m_album.photos[index];
        photo.procs.prepend(step);
        photo.imageType = imageTypeOf(photo.procs);
        done << index;
    }
    photosChangedAt(done);
}

void AlbumDocument::autoRotatePhotos(const QList<int>& indexes)
{
    QList<int> done;
    for (int index : indexes) {
        if (index < 0 || index >= m_album.photos.size())
            continue;
        ImageInfo& photo = m_album.photos[index];
        photo.procs = exifSteps(photo);
        photo.imageType = imageTypeOf(photo.procs);
        done << index;
    }
    photosChangedAt(done);
}

void AlbumDocument::autoRotateAllPhotos()
{
    QList<int> all;
    for (int i = 0; i < m_album.photos.size(); ++i)
        all << i;
    autoRotatePhotos(all);
}

void AlbumDocument::setRotateWhileImporting(bool on) { m_rotateWhileImporting = on; }

// ---- sound clips

void AlbumDocument::insertClips(int index, const QList<AudioInfo>& clips)
{
    if (clips.isEmpty())
        return;
    index = std::clamp(index, 0, int(m_album.audios.size()));
    QList<AudioInfo>& list = m_album.audios;
    list.insert(index, clips.size(), AudioInfo());
    std::copy(clips.cbegin(), clips.cend(), list.begin() + index);
    emit clipsInserted(index, int(clips.size()));
    emit changed();
}

void AlbumDocument::removeClips(int first, int count)
{
    if (!validRun(m_album.audios, first, count))
        return;
    m_album.audios.remove(first, count);
    emit clipsRemoved(first, count);
    emit changed();
}

void AlbumDocument::moveClips(int first, int count, int to)
{
    if (!validRun(m_album.audios, first, count))
        return;
    to = std::clamp(to, 0, int(m_album.audios.size()) - count);
    if (to == first)
        return;
    moveRun(m_album.audios, first, count, to);
    emit clipsMoved(first, count, to);
    emit changed();
}

void AlbumDocument::sortClips(SortType type, bool ascending)
{
    setAudioSortOrder(type, ascending);
    QList<AudioInfo>& list = m_album.audios;
    std::sort(list.begin(), list.end(), [](const AudioInfo& a, const AudioInfo& b) { return lessThan(a, b); });
    if (list.isEmpty())
        return;
    emit clipsChanged(0, int(list.size()));
    emit changed();
}

void AlbumDocument::clearClips()
{
    if (m_album.audios.isEmpty())
        return;
    m_album.audios.clear();
    emit clipsReset();
    emit changed();
}

void AlbumDocument::setClips(const QList<AudioInfo>& clips)
{
    // `clips` may be this document's own list.
    const QList<AudioInfo> copy = clips;
    m_album.audios = copy;
    emit clipsReset();
    emit changed();
}

void AlbumDocument::setClipTrim(int index, double startTime, double endTime)
{
    if (index < 0 || index >= m_album.audios.size())
        return;
    AudioInfo& clip = m_album.audios[index];
    const double limit = clip.duration > 0.0 ? clip.duration : std::max(startTime, endTime);
    startTime = std::clamp(startTime, 0.0, limit);
    endTime = std::clamp(endTime, startTime, limit);
    if (clip.startTime == startTime && clip.endTime == endTime)
        return;
    clip.startTime = startTime;
    clip.endTime = endTime;
    emit clipsChanged(index, 1);
    emit changed();
}

// ---- album settings

void AlbumDocument::setPhotoMs(int ms)
{
    const bool changedMs = assign(m_album.photoMs, qint32(ms));
    if (!(assign(m_album.photoSeconds, ms / 1000.0) || changedMs))
        return;
    emit settingsChanged();
    emit changed();
}

void AlbumDocument::setTransitionMs(int ms)
{
    const bool changedMs = assign(m_album.transitionMs, qint32(ms));
    if (!(assign(m_album.transitionSeconds, ms / 1000.0) || changedMs))
        return;
    emit settingsChanged();
    emit changed();
}

void AlbumDocument::setFlag(bool StoryBoardData::*field, bool on)
{
    if (!assign(m_album.*field, on))
        return;
    emit settingsChanged();
    emit changed();
}

void AlbumDocument::setUseTransition(bool on) { setFlag(&StoryBoardData::useTransition, on); }

void AlbumDocument::setDissolveOnly(bool on) { setFlag(&StoryBoardData::dissolveOnly, on); }

void AlbumDocument::setUseZoom(bool on) { setFlag(&StoryBoardData::useZoom, on); }

void AlbumDocument::setLoopAudio(bool on) { setFlag(&StoryBoardData::loopAudio, on); }

void AlbumDocument::setFadeAudio(bool on) { setFlag(&StoryBoardData::fadeAudio, on); }

// ---- the album as a file holds it

AlbumContents AlbumDocument::contents() const
{
    AlbumContents album;
    album.photos = m_album.photos;
    album.clips = m_album.audios;
    album.photoMs = m_album.photoMs;
    album.transitionMs = m_album.transitionMs;
    album.useTransition = m_album.useTransition;
    album.dissolveOnly = m_album.dissolveOnly;
    album.useZoom = m_album.useZoom;
    album.loopAudio = m_album.loopAudio;
    album.fadeAudio = m_album.fadeAudio;
    album.output = m_output;
    return album;
}

void AlbumDocument::loadContents(const AlbumContents& album)
{
    // `album` may come from this document's own contents().
    const AlbumContents copy = album;
    m_album.photos = copy.photos;
    for (ImageInfo& photo : m_album.photos)
        photo.imageType = imageTypeOf(photo.procs);
    m_album.audios = copy.clips;
    m_album.photoMs = copy.photoMs;
    m_album.photoSeconds = copy.photoMs / 1000.0;
    m_album.transitionMs = copy.transitionMs;
    m_album.transitionSeconds = copy.transitionMs / 1000.0;
    m_album.useTransition = copy.useTransition;
    m_album.dissolveOnly = copy.dissolveOnly;
    m_album.useZoom = copy.useZoom;
    m_album.loopAudio = copy.loopAudio;
    m_album.fadeAudio = copy.fadeAudio;
    m_output = copy.output;
    emit photosReset();
    emit clipsReset();
    emit settingsChanged();
    emit changed();
}

void AlbumDocument::setOutput(const AlbumOutput& output)
{
    if (!assign(m_output, output))
        return;
    emit changed();
}

void AlbumDocument::fillPhotoDetails(const ImageInfo& probed)
{
    for (int row = 0; row < m_album.photos.size(); ++row) {
        ImageInfo& photo = m_album.photos[row];
        if (photo.filePath != probed.filePath)
            continue;
        // What the file says; the user's steps and zoom path stay.
        photo.width = probed.width;
        photo.height = probed.height;
        photo.depth = probed.depth;
        photo.suffix = probed.suffix;
        photo.fileSize = probed.fileSize;
        photo.lastModified = probed.lastModified;
        photo.exifMirror = probed.exifMirror;
        photo.exifFlip = probed.exifFlip;
        photo.exifRotation = probed.exifRotation;
        photo.exifProperties = probed.exifProperties;
        photo.thumbnail = probed.thumbnail;
        photo.thumbnailTurned = probed.thumbnailTurned;
        emit photosChanged(row, 1);
    }
}
