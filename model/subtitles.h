#pragma once
// Captions from a subtitle file (SubRip, ".srt"): each entry's text goes to
// the photo on screen at the middle of the entry's time.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

struct SubtitleEntry {
    double start = 0.0; // seconds
    double end = 0.0;
    QString text; // plain; lines joined by '\n'
};

// Reads a SubRip file: UTF-8 (with or without a byte order mark; a file
// that is not valid UTF-8 is read as Latin-1), any line ends. Formatting
// tags (<i>, <b>, <u>, <font ...> and their ends, {\an8} and the like) are
// dropped; everything else is kept as plain text. Entries without text are
// skipped. False with a sentence naming the file and the line in *error
// when the file cannot be read or an entry's times are damaged.
bool readSubtitles(const QString& path, QList<SubtitleEntry>& entries, QString* error);
// The same for the file's text; `name` is how messages call it.
bool parseSubtitles(const QString& text, const QString& name, QList<SubtitleEntry>& entries, QString* error);

// One text per photo: the entries whose middle falls while the photo is on
// screen, from the middle of the change into it to the middle of the change
// out of it (`changes`: the photoCount - 1 change times, seconds, as
// evenPhotoChanges()/placePhotoChanges() give them), in time order joined
// by '\n'. Photos without an entry get an empty text.
QStringList captionsFromSubtitles(const QList<SubtitleEntry>& entries, const QVector<double>& changes, int photoCount);
