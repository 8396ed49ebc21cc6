#pragma once
// The album as a file: everything needed to rebuild an album exactly, kept
// as JSON next to (or anywhere apart from) its photos and music.
// docs/album-format.md describes every field.

#include "storyboard.h"

#include <QList>
#include <QString>
#include <QStringList>

// The output choices an album remembers.
struct AlbumOutput {
    QString profileUrl; // as stored in the settings (ZuProfileFileHandler::storedProfileUrl form)
    QString profileGroup;
    QString folder;   // output folder
    QString fileName; // output file name without extension
    bool operator==(const AlbumOutput&) const = default;
};

// Everything an album file rebuilds.
struct AlbumContents {
    QList<ImageInfo> photos;
    QList<AudioInfo> clips;
    qint32 photoMs = 5000;
    qint32 transitionMs = 1500;
    bool useTransition = true;
    bool dissolveOnly = false;
    bool useZoom = true;
    bool loopAudio = false;
    bool fadeAudio = false;
    // What a new album gets; reading a file without these keys keeps the
    // sound an older program gave it (see readContents).
    bool evenLoudness = true;
    qint32 fadeMs = StoryBoardData::DefaultFadeMs;
    bool beatCuts = false;
    AlbumOutput output;
};

// The records and settings of `album` with `output`, as a file holds them.
AlbumContents albumContentsOf(const StoryBoardData& album, const AlbumOutput& output = {});
// Puts the photos, clips and settings of `contents` into `album` (its wipe
// patterns stay); what follows from them (seconds, orientation classes) is
// worked out again rather than taken over.
void applyAlbumContents(const AlbumContents& contents, StoryBoardData& album);

namespace AlbumFile {

// The newest layout this program reads and writes: 2 adds title cards. An
// album without title cards is written as format 1, which older programs
// read (they drop the captions).
inline constexpr int Format = 2;
inline constexpr int FormatWithoutCards = 1;

// The longest photo or transition an album may ask for: one day.
inline constexpr qint32 MaxDurationMs = 24 * 3600 * 1000;

QString suffix(); // "reelwright"
QString dialogFilter();
bool isAlbumFile(const QString& path); // by suffix, case-insensitive

// Writes atomically (QSaveFile): either the whole new album is in place or
// the old file is untouched. False and a sentence naming the file and the
// reason in *error.
bool write(const QString& path, const AlbumContents& album, QString* error);

struct ReadResult {
    bool ok = false;
    QString error;            // when !ok: translated, names the file and what is wrong
    AlbumContents album;      // when ok: every photo/clip, missing ones included
    QStringList missingFiles; // absolute paths of photos/clips that do not exist now (in album order, unique)
};
// Photos come without thumbnails (AlbumProbe makes them); a clip whose file
// changed since saving is probed again, its trim kept within the new length.
ReadResult read(const QString& path);

// Looks the missing files up by file name in `folder` (and below it);
// rewrites the paths of every photo and clip found, removes what it found
// from `missing`; returns how many files were found.
int relink(AlbumContents& album, QStringList& missing, const QString& folder);
// Leaves the photos and clips whose files are in `missing` out of the album.
void dropMissing(AlbumContents& album, const QStringList& missing);

// How many folder entries relink() looks at, at most.
inline constexpr int RelinkEntryLimit = 20000;

} // namespace AlbumFile
