#pragma once
// A copy of the album with unsaved changes, written now and then to the
// program's own data folder (never over the user's file), so a crash or a
// kill loses little; the next start offers it back.

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

class AlbumDocument;
class QTimer;
class Reelwright;

class Autosave : public QObject
{
    Q_OBJECT

public:
    // The program's own folder for it, below the user's data folder.
    static QString defaultFolder();
    // The time between two copies: 60 s, or the milliseconds that the
    // environment variable REELWRIGHT_AUTOSAVE_MS gives (tests wait less).
    static int intervalMs();

    // Watches `document`; `albumFile` tells the album's own file (empty for
    // one never saved), which the copy remembers.
    Autosave(AlbumDocument& document, std::function<QString()> albumFile, const QString& folder,
             QObject* parent = nullptr);

    QString folder() const { return dir; }
    QString albumCopyPath() const;
    QString notePath() const;

    // Writes the copy now while the album has unsaved changes; true when a
    // copy was written.
    bool save();
    // Removes the copy (the album was saved, or its changes given up).
    void remove();

    // A copy left in a folder by an earlier run.
    struct Found {
        QString albumCopy; // empty when there is none
        QDateTime savedAt; // when it was written
        QString albumFile; // the album's own file then, empty for a new album
        bool exists() const { return !albumCopy.isEmpty(); }
    };
    static Found find(const QString& folder);

private:
    void onModifiedChanged(bool modified);

    AlbumDocument& document;
    std::function<QString()> albumFile;
    QString dir;
    QTimer* timer;
};

// Asks whether to restore the copy an earlier run left in `autosave`'s
// folder, with the time it was written. Yes opens it the way File > Open
// does and keeps it unsaved, with its own file as the album's file; No
// removes it. True when an album was restored.
bool offerRecovery(Reelwright& window, Autosave& autosave);
