#ifndef ANALYSISCACHE_H
#define ANALYSISCACHE_H

#include <QJsonObject>
#include <QString>

#include <optional>

// What was learned about a sound file (beats, loudness), kept per file in the user's cache folder, so a
// second album with the same song needs no new analysis.
//
// Each result is one small JSON file named after a hash of the kind and the file's absolute path. It
// repeats the path, size and modification time it was made for, so a file that changed since, a hash
// collision, or a file of another program in the folder reads as a miss. Writers on several threads or
// processes may race; the last complete file wins and no reader sees half of one.
class AnalysisCache
{
public:
    // QStandardPaths::CacheLocation + "/analysis" unless a folder is given (tests give a temporary one).
    explicit AnalysisCache(QString folder = {});

    // The stored result of `kind` ("beats", "loudness") for the file as it is now (path, size and
    // modification time must all match), or nothing.
    std::optional<QJsonObject> load(const QString& kind, const QString& filePath) const;

    // Stores atomically (QSaveFile); false when the folder cannot be written (the analysis still counts).
    bool store(const QString& kind, const QString& filePath, const QJsonObject& result) const;

    QString folder() const;

    // Where the result of `kind` for `filePath` is kept (whether or not it exists).
    QString entryPath(const QString& kind, const QString& filePath) const;

private:
    QString dir;
};

#endif // ANALYSISCACHE_H
