#include "albumdocument.h"

#include "albumedits.h"
#include "photoimport.h"

#include <QHash>
#include <QSet>
#include <QUndoStack>

#include <algorithm>
#include <numeric>

using AlbumEdits::ClipList;
using AlbumEdits::PhotoList;

namespace {

template <typename T>
bool validRun(const QList<T>& list, int first, int count)
{
    return count > 0 && first >= 0 && first + count <= list.size();
}

// The order a sort gives `list` (as positions of the list), or an empty list
// when the sort leaves it as it is. Records the sort cannot tell apart keep
// their order.
template <typename T>
QList<int> sortedOrder(const QList<T>& list)
{
    QList<int> order(list.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&list](int a, int b) { return lessThan(list.at(a), list.at(b)); });
    for (int i = 0; i < order.size(); ++i)
        if (order.at(i) != i)
            return order;
    return {};
}

bool sameClip(const AudioInfo& a, const AudioInfo& b)
{
    return a.filePath == b.filePath && a.channels == b.channels && a.sampleRate == b.sampleRate &&
           a.bitsPerSample == b.bitsPerSample && a.duration == b.duration && a.suffix == b.suffix &&
           a.fileSize == b.fileSize && a.lastModified == b.lastModified && a.startTime == b.startTime &&
           a.endTime == b.endTime;
}

bool sameClips(const QList<AudioInfo>& a, const QList<AudioInfo>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), sameClip);
}

} // namespace

AlbumDocument::AlbumDocument(QObject* parent)
    : AlbumDocument(QString(), parent)
{}

AlbumDocument::AlbumDocument(const QString& patternFolder, QObject* parent)
    : QObject(parent)
    , m_album(patternFolder)
    , m_undo(new QUndoStack(this))
{
    // A new album sounds as a new album file would.
    const AlbumContents fresh;
    m_album.evenLoudness = fresh.evenLoudness;
    m_album.fadeMs = fresh.fadeMs;
    connect(m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

AlbumDocument::~AlbumDocument()
{
    // The history's commands go with it; nothing may hear of that from a
    // document that is going away.
    m_undo->blockSignals(true);
}

// ---- undo history

QUndoStack* AlbumDocument::undoStack() { return m_undo; }

bool AlbumDocument::isModified() const { return !m_undo->isClean(); }

void AlbumDocument::markSaved() { m_undo->setClean(); }

void AlbumDocument::beginEdit(const QString& text)
{
    // The step is named when its first edit arrives: by then an inner group
    // may have named a nameless outer one.
    if (!m_groupStarted && m_groupText.isEmpty())
        m_groupText = text;
    ++m_openEdits;
}

void AlbumDocument::endEdit()
{
    if (m_openEdits == 0) {
        qWarning("AlbumDocument::endEdit() without beginEdit()");
        return;
    }
    if (--m_openEdits > 0)
        return;
    if (m_groupStarted)
        m_undo->endMacro();
    m_groupStarted = false;
    m_groupText.clear();
}

void AlbumDocument::record(QUndoCommand* command)
{
    // A group opens its step only with its first edit, so that a group
    // without edits neither leaves a step nor drops the redo history.
    if (m_openEdits > 0 && !m_groupStarted) {
        m_undo->beginMacro(m_groupText.isEmpty() ? command->text() : m_groupText);
        m_groupStarted = true;
    }
    m_undo->push(command);
}

qsizetype AlbumDocument::undoHeldRecords() const
{
    qsizetype held = 0;
    for (int i = 0; i < m_undo->count(); ++i)
        held += AlbumEdits::heldRecords(m_undo->command(i));
    return held;
}

// ---- photos

void AlbumDocument::insertPhotos(int index, const QList<ImageInfo>& photos)
{
    if (photos.isEmpty())
        return;
    index = std::clamp(index, 0, int(m_album.photos.size()));
    QList<ImageInfo> records = photos;
    // The class always follows the steps, whoever built the record.
    for (ImageInfo& photo : records)
        photo.imageType = imageTypeOf(photo.procs);
    record(AlbumEdits::insertRun<PhotoList>(*this, index, std::move(records), tr("Add Photos")));
}

QList<ImageInfo> AlbumDocument::importPhotos(int index, const QList<ImageInfo>& photos)
{
    QList<ImageInfo> prepared = photos;
    for (ImageInfo& photo : prepared)
        prepareImportedPhoto(photo, nextImportIndex(), m_rotateWhileImporting);
    if (prepared.isEmpty())
        return prepared;
    index = std::clamp(index, 0, int(m_album.photos.size()));
    for (ImageInfo& photo : prepared)
        photo.imageType = imageTypeOf(photo.procs);
    record(AlbumEdits::insertRun<PhotoList>(*this, index, prepared, tr("Import Photos")));
    return prepared;
}

void AlbumDocument::removePhotos(int first, int count)
{
    if (!validRun(m_album.photos, first, count))
        return;
    record(AlbumEdits::removeRun<PhotoList>(*this, first, count, tr("Delete Photos")));
}

void AlbumDocument::movePhotos(int first, int count, int to)
{
    if (!validRun(m_album.photos, first, count))
        return;
    to = std::clamp(to, 0, int(m_album.photos.size()) - count);
    if (to == first)
        return;
    record(AlbumEdits::moveRun<PhotoList>(*this, first, count, to, tr("Move Photos")));
}

void AlbumDocument::sortPhotos(SortType type, bool ascending)
{
    setPhotoSortOrder(type, ascending);
    QList<int> order = sortedOrder(m_album.photos);
    if (order.isEmpty())
        return;
    record(AlbumEdits::reorder<PhotoList>(*this, std::move(order), tr("Sort Photos")));
}

void AlbumDocument::clearPhotos()
{
    if (m_album.photos.isEmpty())
        return;
    record(AlbumEdits::replaceAll<PhotoList>(*this, {}, tr("Clear Album")));
}

void AlbumDocument::addPhotoStep(const QList<int>& indexes, IMAGEPROC step)
{
    // A photo named twice takes the step twice, as each mention asks.
    QList<int> done;
    QHash<int, qsizetype> position; // of each photo in `done`
    QList<QVector<IMAGEPROC>> steps;
    for (int index : indexes) {
        if (index < 0 || index >= m_album.photos.size())
            continue;
        if (const auto seen = position.constFind(index); seen != position.cend()) {
            steps[*seen].prepend(step);
            continue;
        }
        position.insert(index, done.size());
        QVector<IMAGEPROC> procs = m_album.photos.at(index).procs;
        procs.prepend(step);
        done << index;
        steps << procs;
    }
    if (done.isEmpty())
        return;
    QString text = tr("Mirror");
    if (step == TurnLeft)
        text = tr("Turn Left");
    else if (step == TurnRight)
        text = tr("Turn Right");
    else if (step == Flip)
        text = tr("Flip");
    record(AlbumEdits::photoSteps(*this, std::move(done), std::move(steps), text));
}

void AlbumDocument::autoRotatePhotos(const QList<int>& indexes, const QString& actionText)
{
    // Every photo named is announced, as long as one of them changes.
    QList<int> named;
    QSet<int> seen;
    QList<QVector<IMAGEPROC>> steps;
    bool changes = false;
    for (int index : indexes) {
        if (index < 0 || index >= m_album.photos.size() || seen.contains(index))
            continue;
        seen.insert(index);
        const ImageInfo& photo = m_album.photos.at(index);
        QVector<IMAGEPROC> exif = exifSteps(photo);
        changes = changes || exif != photo.procs || imageTypeOf(exif) != photo.imageType;
        named << index;
        steps << std::move(exif);
    }
    if (!changes)
        return;
    const QString text = actionText.isEmpty() ? tr("Auto Rotate") : actionText;
    record(AlbumEdits::photoSteps(*this, std::move(named), std::move(steps), text));
}

void AlbumDocument::autoRotateAllPhotos(const QString& actionText)
{
    QList<int> all(m_album.photos.size());
    std::iota(all.begin(), all.end(), 0);
    autoRotatePhotos(all, actionText);
}

void AlbumDocument::setRotateWhileImporting(bool on) { m_rotateWhileImporting = on; }

// ---- sound clips

void AlbumDocument::insertClips(int index, const QList<AudioInfo>& clips)
{
    if (clips.isEmpty())
        return;
    index = std::clamp(index, 0, int(m_album.audios.size()));
    record(AlbumEdits::insertRun<ClipList>(*this, index, clips, tr("Add Audio")));
}

void AlbumDocument::removeClips(int first, int count)
{
    if (!validRun(m_album.audios, first, count))
        return;
    record(AlbumEdits::removeRun<ClipList>(*this, first, count, tr("Delete Audio")));
}

void AlbumDocument::moveClips(int first, int count, int to)
{
    if (!validRun(m_album.audios, first, count))
        return;
    to = std::clamp(to, 0, int(m_album.audios.size()) - count);
    if (to == first)
        return;
    record(AlbumEdits::moveRun<ClipList>(*this, first, count, to, tr("Move Audio")));
}

void AlbumDocument::sortClips(SortType type, bool ascending)
{
    setAudioSortOrder(type, ascending);
    QList<int> order = sortedOrder(m_album.audios);
    if (order.isEmpty())
        return;
    record(AlbumEdits::reorder<ClipList>(*this, std::move(order), tr("Sort Audio")));
}

void AlbumDocument::clearClips()
{
    if (m_album.audios.isEmpty())
        return;
    record(AlbumEdits::replaceAll<ClipList>(*this, {}, tr("Clear Audio")));
}

void AlbumDocument::setClips(const QList<AudioInfo>& clips)
{
    // `clips` may be this document's own list: the command takes a copy.
    if (sameClips(clips, m_album.audios))
        return;
    record(AlbumEdits::replaceAll<ClipList>(*this, QList<AudioInfo>(clips), tr("Edit Audio")));
}

void AlbumDocument::setClipTrim(int index, double startTime, double endTime)
{
    if (index < 0 || index >= m_album.audios.size())
        return;
    const AudioInfo& clip = m_album.audios.at(index);
    const double limit = clip.duration > 0.0 ? clip.duration : std::max(startTime, endTime);
    startTime = std::clamp(startTime, 0.0, limit);
    endTime = std::clamp(endTime, startTime, limit);
    if (clip.startTime == startTime && clip.endTime == endTime)
        return;
    record(AlbumEdits::clipTrim(*this, index, startTime, endTime, tr("Trim Audio")));
}

// ---- album settings

void AlbumDocument::setDuration(bool photo, int ms, const QString& text)
{
    const qint32 storedMs = photo ? m_album.photoMs : m_album.transitionMs;
    const double storedSeconds = photo ? m_album.photoSeconds : m_album.transitionSeconds;
    if (storedMs == ms && storedSeconds == ms / 1000.0)
        return;
    record(AlbumEdits::duration(*this, photo, ms, text));
}

void AlbumDocument::setPhotoMs(int ms, const QString& actionText)
{
    setDuration(true, ms, actionText.isEmpty() ? tr("Photo Duration") : actionText);
}

void AlbumDocument::setTransitionMs(int ms) { setDuration(false, ms, tr("Transition Duration")); }

void AlbumDocument::setFlag(bool StoryBoardData::*field, bool on, const QString& text)
{
    if (m_album.*field == on)
        return;
    record(AlbumEdits::flag(*this, field, on, text));
}

void AlbumDocument::setUseTransition(bool on) { setFlag(&StoryBoardData::useTransition, on, tr("Transition")); }

void AlbumDocument::setDissolveOnly(bool on) { setFlag(&StoryBoardData::dissolveOnly, on, tr("Dissolve Only")); }

void AlbumDocument::setUseZoom(bool on) { setFlag(&StoryBoardData::useZoom, on, tr("Zoom")); }

void AlbumDocument::setLoopAudio(bool on) { setFlag(&StoryBoardData::loopAudio, on, tr("Loop Audio")); }

void AlbumDocument::setFadeAudio(bool on) { setFlag(&StoryBoardData::fadeAudio, on, tr("Fade Audio")); }

void AlbumDocument::setEvenLoudness(bool on) { setFlag(&StoryBoardData::evenLoudness, on, tr("Even Out Loudness")); }

void AlbumDocument::setFadeMs(int ms)
{
    ms = std::clamp(ms, 0, StoryBoardData::MaxFadeMs);
    if (m_album.fadeMs == ms)
        return;
    record(AlbumEdits::number(*this, &StoryBoardData::fadeMs, ms, tr("Fade Length")));
}
void AlbumDocument::setBeatCuts(bool on) { setFlag(&StoryBoardData::beatCuts, on, tr("Change Photos on the Beat")); }

// ---- captions and title cards

namespace {

Caption tidied(Caption caption)
{
    caption.size = std::clamp(caption.size, Caption::MinSize, Caption::MaxSize);
    caption.point = QPointF(std::clamp(caption.point.x(), 0.0, 1.0), std::clamp(caption.point.y(), 0.0, 1.0));
    if (!caption.colour.isValid())
        caption.colour = Qt::white;
    return caption;
}

} // namespace

void AlbumDocument::setCaption(int index, const Caption& caption, const QString& actionText)
{
    if (index < 0 || index >= m_album.photos.size())
        return;
    AlbumEdits::PhotoLook look = AlbumEdits::lookOf(m_album.photos.at(index));
    look.caption = tidied(caption);
    if (look == AlbumEdits::lookOf(m_album.photos.at(index)))
        return;
    const bool merging = actionText.isEmpty();
    record(AlbumEdits::photoLooks(*this, {index}, {look}, merging, merging ? tr("Caption") : actionText));
}

void AlbumDocument::setCaptions(const QList<int>& indexes, const QList<Caption>& captions, const QString& actionText)
{
    QList<int> done;
    QList<AlbumEdits::PhotoLook> looks;
    for (qsizetype i = 0; i < indexes.size() && i < captions.size(); ++i) {
        const int index = indexes.at(i);
        if (index < 0 || index >= m_album.photos.size())
            continue;
        // A photo named again takes the last caption given for it.
        if (const qsizetype seen = done.indexOf(index); seen >= 0) {
            looks[seen].caption = tidied(captions.at(i));
            continue;
        }
        AlbumEdits::PhotoLook look = AlbumEdits::lookOf(m_album.photos.at(index));
        look.caption = tidied(captions.at(i));
        done << index;
        looks << look;
    }
    for (qsizetype i = done.size() - 1; i >= 0; --i) {
        if (looks.at(i) == AlbumEdits::lookOf(m_album.photos.at(done.at(i)))) {
            done.removeAt(i);
            looks.removeAt(i);
        }
    }
    if (done.isEmpty())
        return;
    record(AlbumEdits::photoLooks(*this, done, looks, false, actionText.isEmpty() ? tr("Captions") : actionText));
}

int AlbumDocument::insertTitleCard(int index, const QString& text)
{
    index = std::clamp(index, 0, int(m_album.photos.size()));
    record(AlbumEdits::insertRun<AlbumEdits::PhotoList>(*this, index, {makeTitleCard(text)}, tr("Insert Title Card")));
    return index;
}

void AlbumDocument::setCardColours(int index, const QColor& top, const QColor& bottom)
{
    if (index < 0 || index >= m_album.photos.size() || !m_album.photos.at(index).titleCard || !top.isValid() ||
        !bottom.isValid())
        return;
    AlbumEdits::PhotoLook look = AlbumEdits::lookOf(m_album.photos.at(index));
    look.cardTop = top;
    look.cardBottom = bottom;
    if (look == AlbumEdits::lookOf(m_album.photos.at(index)))
        return;
    record(AlbumEdits::photoLooks(*this, {index}, {look}, false, tr("Title Card Colours")));
}

// ---- the album as a file holds it

AlbumContents AlbumDocument::contents() const { return albumContentsOf(m_album, m_output); }

void AlbumDocument::loadContents(const AlbumContents& album)
{
    // `album` may come from this document's own contents().
    const AlbumContents copy = album;
    // Another album: nothing before it can be undone, and as loaded it is
    // unmodified (already so for whoever hears of the change).
    m_undo->clear();
    m_groupStarted = false;
    applyAlbumContents(copy, m_album);
    m_output = copy.output;
    emit photosReset();
    emit clipsReset();
    emit settingsChanged();
    emit changed();
}

void AlbumDocument::setOutput(const AlbumOutput& output)
{
    if (m_output == output)
        return;
    record(AlbumEdits::output(*this, m_output, output, tr("Output Settings")));
}

void AlbumDocument::fillPhotoDetails(const ImageInfo& probed)
{
    for (int row = 0; row < m_album.photos.size(); ++row) {
        ImageInfo& photo = m_album.photos[row];
        if (photo.titleCard || photo.filePath != probed.filePath)
            continue;
        AlbumEdits::fillDetails(photo, probed);
        emit photosChanged(row, 1);
    }
    // A photo deleted before its details arrived gets them too, so that an
    // undo brings it back complete.
    for (int i = 0; i < m_undo->count(); ++i)
        AlbumEdits::fillHeldDetails(m_undo->command(i), probed);
}
