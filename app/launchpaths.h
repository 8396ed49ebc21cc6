#pragma once
// The paths a start names: made absolute where the start happened, carried
// to a copy that already runs in one message that no character of a path can
// split, and sorted into what the window opens and what it imports.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace LaunchPaths {

// The paths among `arguments` (the program name first), absolute against
// `workingDir`; "file:" URLs stand for their local files. A lone "--" is
// skipped, so a path that looks like an option can follow it.
QStringList fromArguments(const QStringList& arguments, const QString& workingDir);

// The message a later start sends for `paths`.
QString encode(const QStringList& paths);
// The paths of a message `encode` made; nothing for any other text (a start
// of an older copy, the update wizard's commands) or a damaged one.
std::optional<QStringList> decode(const QString& message);

// Where each path goes.
struct Sorted {
    QStringList albums;       // album files, as given
    QStringList photos;       // photo files and the photos of the folders, as given
    QStringList sounds;       // sound files, as given
    QStringList missing;      // nothing there
    QStringList unknown;      // files of no kind the program opens
    QStringList emptyFolders; // folders without photos
};
// Sorts `paths` by their suffixes against the import name filters
// ("*.jpg", ...); a folder stands for its photos, as the folder import takes
// them.
Sorted sort(const QStringList& paths, const QStringList& photoFilters, const QStringList& soundFilters);

} // namespace LaunchPaths

// Hands the paths of later starts to the window one message at a time. Opening
// runs modal dialogs, during which more messages may arrive: they wait for
// the open before them, as they do while the inbox is held (at start, while
// the window restores an album and opens the command line's paths).
class PathInbox : public QObject
{
    Q_OBJECT

public:
    using Open = std::function<void(const QStringList& paths)>;
    explicit PathInbox(Open open, QObject* parent = nullptr);

    // Opens the message's paths now, or when the ones before them are done;
    // other messages are none of the inbox's business.
    void receive(const QString& message);
    // While held, messages wait; release opens them in the order they came.
    void hold();
    void release();
    int waiting() const { return int(pending.size()); }

private:
    void drain();

    Open open;
    QList<QStringList> pending;
    bool held = false;
    bool opening = false;
};
