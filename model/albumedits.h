#pragma once
// The steps of an album's undo history. Each command makes its change and
// takes it back through the same few moves, and those moves announce the
// change on the document exactly as an edit does: a view cannot tell an undo
// from an edit. A command keeps only what it needs to go back (the records
// that are out of the album while it stands, old steps, an order, old
// values), never a copy of the album.
//
// The commands are built by AlbumDocument, which checks each edit first: a
// command is made only for an edit that changes something. They are part of
// the document's own code (albumdocument_edits.cpp); this header names no
// document internals, so the document and its commands include no circle.

#include "albumfile.h"
#include "storyboard.h"

#include <QList>
#include <QString>
#include <QVector>

class AlbumDocument;
class QUndoCommand;

namespace AlbumEdits {

// Which list of the album a command works on, and how its changes are
// announced.
struct PhotoList {
    using Record = ImageInfo;
    static QList<ImageInfo>& of(AlbumDocument& document);
    static void inserted(AlbumDocument& document, int first, int count);
    static void removed(AlbumDocument& document, int first, int count);
    static void moved(AlbumDocument& document, int first, int count, int to);
    static void rowsChanged(AlbumDocument& document, int first, int count);
    static void reset(AlbumDocument& document);
};

struct ClipList {
    using Record = AudioInfo;
    static QList<AudioInfo>& of(AlbumDocument& document);
    static void inserted(AlbumDocument& document, int first, int count);
    static void removed(AlbumDocument& document, int first, int count);
    static void moved(AlbumDocument& document, int first, int count, int to);
    static void rowsChanged(AlbumDocument& document, int first, int count);
    static void reset(AlbumDocument& document);
};

// `records` go in at `first` (a valid position).
template <typename List>
QUndoCommand* insertRun(AlbumDocument& document, int first, QList<typename List::Record> records, const QString& text);
// The run first..first+count-1 (valid) goes out.
template <typename List>
QUndoCommand* removeRun(AlbumDocument& document, int first, int count, const QString& text);
// The run first..first+count-1 moves to start at `to`, a position of the list
// without the run; all valid and to != first.
template <typename List>
QUndoCommand* moveRun(AlbumDocument& document, int first, int count, int to, const QString& text);
// The list becomes old[order[0]], old[order[1]], ...: a permutation of it.
template <typename List>
QUndoCommand* reorder(AlbumDocument& document, QList<int> order, const QString& text);
// The whole list becomes `records` (announced as a reset).
template <typename List>
QUndoCommand* replaceAll(AlbumDocument& document, QList<typename List::Record> records, const QString& text);

// The photos of `indexes` (valid, no repeats) get `steps` (one list each).
QUndoCommand* photoSteps(AlbumDocument& document, QList<int> indexes, QList<QVector<IMAGEPROC>> steps,
                         const QString& text);
// What a caption edit changes of a photo: its caption and, for a title card,
// its colours.
struct PhotoLook {
    Caption caption;
    QColor cardTop;
    QColor cardBottom;
    bool operator==(const PhotoLook& other) const
    {
        return caption == other.caption && cardTop == other.cardTop && cardBottom == other.cardBottom;
    }
};
PhotoLook lookOf(const ImageInfo& photo);
// The photos of `indexes` (valid, no repeats) get `looks` (one each). With
// `merging`, successive steps of the same single photo and name merge
// (typing), and a run that ends where it began leaves no step.
QUndoCommand* photoLooks(AlbumDocument& document, QList<int> indexes, QList<PhotoLook> looks, bool merging,
                         const QString& text);
QUndoCommand* clipTrim(AlbumDocument& document, int index, double startTime, double endTime, const QString& text);
// The photo (or transition) duration; successive ones of the same name merge,
// and a run that ends where it began leaves no step.
QUndoCommand* duration(AlbumDocument& document, bool photo, qint32 ms, const QString& text);
QUndoCommand* flag(AlbumDocument& document, bool StoryBoardData::*field, bool on, const QString& text);
// A whole-number setting; successive changes of the same one merge, and a run
// that ends where it began leaves no step.
QUndoCommand* number(AlbumDocument& document, qint32 StoryBoardData::*field, qint32 value, const QString& text);

// The document's `field` becomes `value`.
QUndoCommand* output(AlbumDocument& document, AlbumOutput& field, const AlbumOutput& value, const QString& text);

// The photos and clips `command` and its children hold outside the album.
qsizetype heldRecords(const QUndoCommand* command);

// What a probe of its file found, into a photo: the user's steps and zoom
// path stay.
void fillDetails(ImageInfo& photo, const ImageInfo& probed);
// The same for the photos of that file that `command` and its children hold
// outside the album.
void fillHeldDetails(const QUndoCommand* command, const ImageInfo& probed);

} // namespace AlbumEdits
