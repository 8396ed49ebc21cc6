#include "albumedits.h"

#include "albumdocument.h"

#include <QUndoCommand>

#include <algorithm>
#include <iterator>
#include <utility>

namespace AlbumEdits {

// ---- the lists and their announcements

QList<ImageInfo>& PhotoList::of(AlbumDocument& document) { return document.storyBoard()->photos; }
void PhotoList::inserted(AlbumDocument& document, int first, int count) { emit document.photosInserted(first, count); }
void PhotoList::removed(AlbumDocument& document, int first, int count) { emit document.photosRemoved(first, count); }
void PhotoList::moved(AlbumDocument& document, int first, int count, int to)
{
    emit document.photosMoved(first, count, to);
}
void PhotoList::rowsChanged(AlbumDocument& document, int first, int count)
{
    emit document.photosChanged(first, count);
}
void PhotoList::reset(AlbumDocument& document) { emit document.photosReset(); }

QList<AudioInfo>& ClipList::of(AlbumDocument& document) { return document.storyBoard()->audios; }
void ClipList::inserted(AlbumDocument& document, int first, int count) { emit document.clipsInserted(first, count); }
void ClipList::removed(AlbumDocument& document, int first, int count) { emit document.clipsRemoved(first, count); }
void ClipList::moved(AlbumDocument& document, int first, int count, int to)
{
    emit document.clipsMoved(first, count, to);
}
void ClipList::rowsChanged(AlbumDocument& document, int first, int count) { emit document.clipsChanged(first, count); }
void ClipList::reset(AlbumDocument& document) { emit document.clipsReset(); }

namespace {

// Every record held outside the album is counted, so that a memory check can
// see a command that keeps more than it needs.
class Command : public QUndoCommand
{
public:
    explicit Command(const QString& text)
        : QUndoCommand(text)
    {}
    virtual qsizetype heldRecords() const { return 0; }
    virtual void fillHeldDetails(const ImageInfo&) {}
};

// Fills the details of the photos among `records` (clips have none).
void fillRecords(QList<ImageInfo>& records, const ImageInfo& probed)
{
    for (ImageInfo& photo : records)
        if (photo.filePath == probed.filePath)
            fillDetails(photo, probed);
}
void fillRecords(QList<AudioInfo>&, const ImageInfo&) {}

// ---- the moves every command is made of: each changes the album and
// announces it, and the reverse of each is one of them too

template <typename List>
void putRun(AlbumDocument& document, int first, QList<typename List::Record>& records)
{
    using Record = typename List::Record;
    QList<Record>& list = List::of(document);
    const int count = int(records.size());
    list.insert(first, count, Record());
    std::move(records.begin(), records.end(), list.begin() + first);
    records.clear();
    List::inserted(document, first, count);
    emit document.changed();
}

template <typename List>
QList<typename List::Record> takeRun(AlbumDocument& document, int first, int count)
{
    using Record = typename List::Record;
    QList<Record>& list = List::of(document);
    QList<Record> run(std::make_move_iterator(list.begin() + first),
                      std::make_move_iterator(list.begin() + first + count));
    list.remove(first, count);
    List::removed(document, first, count);
    emit document.changed();
    return run;
}

template <typename List>
void shiftRun(AlbumDocument& document, int first, int count, int to)
{
    using Record = typename List::Record;
    QList<Record>& list = List::of(document);
    QList<Record> run(std::make_move_iterator(list.begin() + first),
                      std::make_move_iterator(list.begin() + first + count));
    list.remove(first, count);
    list.insert(to, count, Record()); // room first, then the records, in order
    std::move(run.begin(), run.end(), list.begin() + to);
    List::moved(document, first, count, to);
    emit document.changed();
}

template <typename List>
void permute(AlbumDocument& document, const QList<int>& order)
{
    using Record = typename List::Record;
    QList<Record>& list = List::of(document);
    QList<Record> next;
    next.reserve(list.size());
    for (int from : order)
        next.append(std::move(list[from]));
    list.swap(next);
    List::rowsChanged(document, 0, int(list.size()));
    emit document.changed();
}

template <typename List>
void swapAll(AlbumDocument& document, QList<typename List::Record>& records)
{
    List::of(document).swap(records);
    List::reset(document);
    emit document.changed();
}

// ---- the commands

template <typename List>
class RunCommand : public Command
{
public:
    using Record = typename List::Record;

    RunCommand(AlbumDocument& document, int first, int count, bool inserts, QList<Record> outside, const QString& text)
        : Command(text)
        , m_document(document)
        , m_first(first)
        , m_count(count)
        , m_inserts(inserts)
        , m_outside(std::move(outside))
    {}

    void redo() override { m_inserts ? put() : take(); }
    void undo() override { m_inserts ? take() : put(); }
    qsizetype heldRecords() const override { return m_outside.size(); }
    void fillHeldDetails(const ImageInfo& probed) override { fillRecords(m_outside, probed); }

private:
    void put() { putRun<List>(m_document, m_first, m_outside); }
    void take() { m_outside = takeRun<List>(m_document, m_first, m_count); }

    AlbumDocument& m_document;
    const int m_first;
    const int m_count;
    const bool m_inserts;
    QList<Record> m_outside; // the run, while it is out of the album
};

template <typename List>
class MoveCommand : public Command
{
public:
    MoveCommand(AlbumDocument& document, int first, int count, int to, const QString& text)
        : Command(text)
        , m_document(document)
        , m_first(first)
        , m_count(count)
        , m_to(to)
    {}

    void redo() override { shiftRun<List>(m_document, m_first, m_count, m_to); }
    void undo() override { shiftRun<List>(m_document, m_to, m_count, m_first); }

private:
    AlbumDocument& m_document;
    const int m_first;
    const int m_count;
    const int m_to;
};

template <typename List>
class ReorderCommand : public Command
{
public:
    ReorderCommand(AlbumDocument& document, QList<int> order, const QString& text)
        : Command(text)
        , m_document(document)
        , m_order(std::move(order))
        , m_inverse(m_order.size())
    {
        for (int i = 0; i < m_order.size(); ++i)
            m_inverse[m_order.at(i)] = i;
    }

    void redo() override { permute<List>(m_document, m_order); }
    void undo() override { permute<List>(m_document, m_inverse); }

private:
    AlbumDocument& m_document;
    const QList<int> m_order;
    QList<int> m_inverse;
};

template <typename List>
class ReplaceCommand : public Command
{
public:
    using Record = typename List::Record;

    ReplaceCommand(AlbumDocument& document, QList<Record> records, const QString& text)
        : Command(text)
        , m_document(document)
        , m_other(std::move(records))
    {}

    void redo() override { swapAll<List>(m_document, m_other); }
    void undo() override { swapAll<List>(m_document, m_other); }
    qsizetype heldRecords() const override { return m_other.size(); }
    void fillHeldDetails(const ImageInfo& probed) override { fillRecords(m_other, probed); }

private:
    AlbumDocument& m_document;
    QList<Record> m_other; // the list that is not in the album now
};

class StepsCommand : public Command
{
public:
    StepsCommand(AlbumDocument& document, QList<int> indexes, QList<QVector<IMAGEPROC>> steps, const QString& text)
        : Command(text)
        , m_document(document)
        , m_indexes(std::move(indexes))
        , m_other(std::move(steps))
    {}

    void redo() override { swapSteps(); }
    void undo() override { swapSteps(); }

private:
    void swapSteps()
    {
        QList<ImageInfo>& photos = PhotoList::of(m_document);
        for (qsizetype i = 0; i < m_indexes.size(); ++i) {
            ImageInfo& photo = photos[m_indexes.at(i)];
            photo.procs.swap(m_other[i]);
            photo.imageType = imageTypeOf(photo.procs);
        }
        for (int index : m_indexes)
            emit m_document.photosChanged(index, 1);
        emit m_document.changed();
    }

    AlbumDocument& m_document;
    const QList<int> m_indexes;
    QList<QVector<IMAGEPROC>> m_other; // the steps the photos do not have now
};

class LooksCommand : public Command
{
public:
    LooksCommand(AlbumDocument& document, QList<int> indexes, QList<PhotoLook> looks, bool merging, const QString& text)
        : Command(text)
        , m_document(document)
        , m_indexes(std::move(indexes))
        , m_after(std::move(looks))
        , m_merging(merging)
    {
        for (int index : m_indexes)
            m_before << lookOf(PhotoList::of(m_document).at(index));
    }

    void redo() override { apply(m_after); }
    void undo() override { apply(m_before); }
    int id() const override { return m_merging ? 4 : -1; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* same = static_cast<const LooksCommand*>(other);
        if (other->id() != id() || other->text() != text() || same->m_indexes != m_indexes || m_indexes.size() != 1)
            return false;
        m_after = same->m_after;
        setObsolete(m_after == m_before);
        return true;
    }

private:
    void apply(const QList<PhotoLook>& looks)
    {
        QList<ImageInfo>& photos = PhotoList::of(m_document);
        for (qsizetype i = 0; i < m_indexes.size(); ++i) {
            ImageInfo& photo = photos[m_indexes.at(i)];
            photo.caption = looks.at(i).caption;
            photo.cardTop = looks.at(i).cardTop;
            photo.cardBottom = looks.at(i).cardBottom;
            if (photo.titleCard)
                drawCardThumbnail(photo);
        }
        for (int index : m_indexes)
            emit m_document.photosChanged(index, 1);
        emit m_document.changed();
    }

    AlbumDocument& m_document;
    const QList<int> m_indexes;
    QList<PhotoLook> m_before;
    QList<PhotoLook> m_after;
    const bool m_merging;
};

class TrimCommand : public Command
{
public:
    TrimCommand(AlbumDocument& document, int index, double startTime, double endTime, const QString& text)
        : Command(text)
        , m_document(document)
        , m_index(index)
        , m_startTime(startTime)
        , m_endTime(endTime)
    {}

    void redo() override { swapTrim(); }
    void undo() override { swapTrim(); }

private:
    void swapTrim()
    {
        AudioInfo& clip = ClipList::of(m_document)[m_index];
        std::swap(clip.startTime, m_startTime);
        std::swap(clip.endTime, m_endTime);
        emit m_document.clipsChanged(m_index, 1);
        emit m_document.changed();
    }

    AlbumDocument& m_document;
    const int m_index;
    double m_startTime; // the limits the clip does not have now
    double m_endTime;
};

// The album keeps each duration twice, in ms and in seconds; both are put
// back as they were.
struct Duration {
    qint32 ms = 0;
    double seconds = 0.0;
    bool operator==(const Duration&) const = default;
};

class DurationCommand : public Command
{
public:
    DurationCommand(AlbumDocument& document, bool photo, qint32 ms, const QString& text)
        : Command(text)
        , m_document(document)
        , m_photo(photo)
        , m_before(current())
        , m_after{ms, ms / 1000.0}
    {}

    void redo() override { apply(m_after); }
    void undo() override { apply(m_before); }
    int id() const override { return m_photo ? 1 : 2; }

    bool mergeWith(const QUndoCommand* other) override
    {
        // Same id means the same duration; the name keeps a synced length a
        // step of its own between spins of the box.
        if (other->id() != id() || other->text() != text())
            return false;
        m_after = static_cast<const DurationCommand*>(other)->m_after;
        setObsolete(m_after == m_before);
        return true;
    }

private:
    Duration current() const
    {
        const StoryBoardData& album = m_document.data();
        return m_photo ? Duration{album.photoMs, album.photoSeconds}
                       : Duration{album.transitionMs, album.transitionSeconds};
    }

    void apply(const Duration& value)
    {
        StoryBoardData& album = *m_document.storyBoard();
        (m_photo ? album.photoMs : album.transitionMs) = value.ms;
        (m_photo ? album.photoSeconds : album.transitionSeconds) = value.seconds;
        emit m_document.settingsChanged();
        emit m_document.changed();
    }

    AlbumDocument& m_document;
    const bool m_photo;
    const Duration m_before;
    Duration m_after;
};

// One album setting. A number merges with the next change of the same
// setting (a spin box spun), and a run that ends where it began leaves no
// step; a flag is a step of its own each time.
template <typename Value>
class SettingCommand : public Command
{
public:
    SettingCommand(AlbumDocument& document, Value StoryBoardData::*field, Value value, bool merging,
                   const QString& text)
        : Command(text)
        , m_document(document)
        , m_field(field)
        , m_before(document.data().*field)
        , m_after(value)
        , m_merging(merging)
    {}

    void redo() override { apply(m_after); }
    void undo() override { apply(m_before); }
    int id() const override { return m_merging ? 3 : -1; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* same = static_cast<const SettingCommand*>(other);
        if (other->id() != id() || same->m_field != m_field)
            return false;
        m_after = same->m_after;
        setObsolete(m_after == m_before);
        return true;
    }

private:
    void apply(Value value)
    {
        m_document.storyBoard()->*m_field = value;
        emit m_document.settingsChanged();
        emit m_document.changed();
    }

    AlbumDocument& m_document;
    Value StoryBoardData::*const m_field;
    const Value m_before;
    Value m_after;
    const bool m_merging;
};

class OutputCommand : public Command
{
public:
    OutputCommand(AlbumDocument& document, AlbumOutput& field, const AlbumOutput& value, const QString& text)
        : Command(text)
        , m_document(document)
        , m_field(field)
        , m_other(value)
    {}

    void redo() override { swapOutput(); }
    void undo() override { swapOutput(); }

private:
    void swapOutput()
    {
        std::swap(m_field, m_other);
        emit m_document.changed();
    }

    AlbumDocument& m_document;
    AlbumOutput& m_field;
    AlbumOutput m_other; // the choices the album does not have now
};

} // namespace

// ---- the factories

template <typename List>
QUndoCommand* insertRun(AlbumDocument& document, int first, QList<typename List::Record> records, const QString& text)
{
    const int count = int(records.size());
    return new RunCommand<List>(document, first, count, true, std::move(records), text);
}

template <typename List>
QUndoCommand* removeRun(AlbumDocument& document, int first, int count, const QString& text)
{
    return new RunCommand<List>(document, first, count, false, {}, text);
}

template <typename List>
QUndoCommand* moveRun(AlbumDocument& document, int first, int count, int to, const QString& text)
{
    return new MoveCommand<List>(document, first, count, to, text);
}

template <typename List>
QUndoCommand* reorder(AlbumDocument& document, QList<int> order, const QString& text)
{
    return new ReorderCommand<List>(document, std::move(order), text);
}

template <typename List>
QUndoCommand* replaceAll(AlbumDocument& document, QList<typename List::Record> records, const QString& text)
{
    return new ReplaceCommand<List>(document, std::move(records), text);
}

template QUndoCommand* insertRun<PhotoList>(AlbumDocument&, int, QList<ImageInfo>, const QString&);
template QUndoCommand* insertRun<ClipList>(AlbumDocument&, int, QList<AudioInfo>, const QString&);
template QUndoCommand* removeRun<PhotoList>(AlbumDocument&, int, int, const QString&);
template QUndoCommand* removeRun<ClipList>(AlbumDocument&, int, int, const QString&);
template QUndoCommand* moveRun<PhotoList>(AlbumDocument&, int, int, int, const QString&);
template QUndoCommand* moveRun<ClipList>(AlbumDocument&, int, int, int, const QString&);
template QUndoCommand* reorder<PhotoList>(AlbumDocument&, QList<int>, const QString&);
template QUndoCommand* reorder<ClipList>(AlbumDocument&, QList<int>, const QString&);
template QUndoCommand* replaceAll<PhotoList>(AlbumDocument&, QList<ImageInfo>, const QString&);
template QUndoCommand* replaceAll<ClipList>(AlbumDocument&, QList<AudioInfo>, const QString&);

QUndoCommand* photoSteps(AlbumDocument& document, QList<int> indexes, QList<QVector<IMAGEPROC>> steps,
                         const QString& text)
{
    return new StepsCommand(document, std::move(indexes), std::move(steps), text);
}

PhotoLook lookOf(const ImageInfo& photo) { return PhotoLook{photo.caption, photo.cardTop, photo.cardBottom}; }

QUndoCommand* photoLooks(AlbumDocument& document, QList<int> indexes, QList<PhotoLook> looks, bool merging,
                         const QString& text)
{
    return new LooksCommand(document, std::move(indexes), std::move(looks), merging, text);
}

QUndoCommand* clipTrim(AlbumDocument& document, int index, double startTime, double endTime, const QString& text)
{
    return new TrimCommand(document, index, startTime, endTime, text);
}

QUndoCommand* duration(AlbumDocument& document, bool photo, qint32 ms, const QString& text)
{
    return new DurationCommand(document, photo, ms, text);
}

QUndoCommand* flag(AlbumDocument& document, bool StoryBoardData::*field, bool on, const QString& text)
{
    return new SettingCommand<bool>(document, field, on, false, text);
}

QUndoCommand* number(AlbumDocument& document, qint32 StoryBoardData::*field, qint32 value, const QString& text)
{
    return new SettingCommand<qint32>(document, field, value, true, text);
}

QUndoCommand* output(AlbumDocument& document, AlbumOutput& field, const AlbumOutput& value, const QString& text)
{
    return new OutputCommand(document, field, value, text);
}

void fillDetails(ImageInfo& photo, const ImageInfo& probed)
{
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
}

void fillHeldDetails(const QUndoCommand* command, const ImageInfo& probed)
{
    if (!command)
        return;
    // The history hands its commands out read-only; the records they hold
    // are the document's own, kept aside, and filling them changes no step.
    if (auto* own = dynamic_cast<Command*>(const_cast<QUndoCommand*>(command)))
        own->fillHeldDetails(probed);
    for (int i = 0; i < command->childCount(); ++i)
        fillHeldDetails(command->child(i), probed);
}

qsizetype heldRecords(const QUndoCommand* command)
{
    if (!command)
        return 0;
    const auto* own = dynamic_cast<const Command*>(command);
    qsizetype held = own ? own->heldRecords() : 0;
    for (int i = 0; i < command->childCount(); ++i)
        held += heldRecords(command->child(i));
    return held;
}

} // namespace AlbumEdits
