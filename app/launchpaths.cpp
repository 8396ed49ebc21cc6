#include "launchpaths.h"

#include "albumfile.h"
#include "audiolistwidget.h"
#include "filesfromurls.h"
#include "photolistwidget.h"
#include "reelwright.h"
#include "zumessagebox.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QRegularExpression>
#include <QUrl>

namespace {

// Marks a message as a list of paths; the update wizard's commands and the
// blank-joined arguments of an older copy never start with it.
const QString kPathsMarker = QStringLiteral("reelwright-paths:");

bool matchesAny(const QString& fileName, const QStringList& filters)
{
    for (const QString& filter : filters) {
        const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(filter),
                                         QRegularExpression::CaseInsensitiveOption);
        if (pattern.match(fileName).hasMatch())
            return true;
    }
    return false;
}

} // namespace

namespace LaunchPaths {

QStringList fromArguments(const QStringList& arguments, const QString& workingDir)
{
    QStringList paths;
    const QDir base(workingDir);
    bool optionsEnded = false;
    for (const QString& argument : arguments.mid(1)) {
        if (argument.isEmpty())
            continue;
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            const QUrl url(argument);
            if (url.isLocalFile())
                path = url.toLocalFile();
        }
        paths << QDir::cleanPath(base.absoluteFilePath(path));
    }
    return paths;
}

QString encode(const QStringList& paths)
{
    return kPathsMarker +
           QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(paths)).toJson(QJsonDocument::Compact));
}

std::optional<QStringList> decode(const QString& message)
{
    if (!message.startsWith(kPathsMarker))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(message.mid(kPathsMarker.size()).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !json.isArray())
        return std::nullopt;
    QStringList paths;
    for (const QJsonValue& value : json.array()) {
        if (!value.isString() || value.toString().isEmpty())
            return std::nullopt;
        paths << value.toString();
    }
    return paths;
}

Sorted sort(const QStringList& paths, const QStringList& photoFilters, const QStringList& soundFilters)
{
    Sorted sorted;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            sorted.missing << path;
        } else if (info.isDir()) {
            const QStringList photos = filesFromUrls({QUrl::fromLocalFile(path)}, photoFilters, true);
            if (photos.isEmpty())
                sorted.emptyFolders << path;
            sorted.photos << photos;
        } else if (AlbumFile::isAlbumFile(path)) {
            sorted.albums << path;
        } else if (matchesAny(info.fileName(), photoFilters)) {
            sorted.photos << path;
        } else if (matchesAny(info.fileName(), soundFilters)) {
            sorted.sounds << path;
        } else {
            sorted.unknown << path;
        }
    }
    return sorted;
}

} // namespace LaunchPaths

PathInbox::PathInbox(Open open, QObject* parent)
    : QObject(parent)
    , open(std::move(open))
{}

void PathInbox::receive(const QString& message)
{
    const std::optional<QStringList> paths = LaunchPaths::decode(message);
    if (!paths || paths->isEmpty())
        return;
    pending.append(*paths);
    drain();
}

void PathInbox::hold() { held = true; }

void PathInbox::release()
{
    held = false;
    drain();
}

void PathInbox::drain()
{
    // A message that arrives while `open` runs its dialogs lands here again;
    // the loop below is already under way and takes it next.
    if (held || opening)
        return;
    opening = true;
    while (!held && !pending.isEmpty())
        open(pending.takeFirst());
    opening = false;
}

void Reelwright::openPaths(const QStringList& paths)
{
    const LaunchPaths::Sorted sorted =
        LaunchPaths::sort(paths, PhotoListWidget::m_nameFilters, AudioListWidget::m_nameFilters);
    QStringList problems;
    const auto note = [&problems](const QStringList& list, const QString& reason) {
        for (const QString& path : list)
            problems << reason.arg(QDir::toNativeSeparators(path));
    };
    note(sorted.missing, tr("%1: not found"));
    note(sorted.unknown, tr("%1: neither a photo, a sound nor an album"));
    note(sorted.emptyFolders, tr("%1: a folder without photos"));

    note(sorted.albums.mid(1), tr("%1: only one album opens at a time"));

    // The photos and sounds go into the album just opened; when it did not
    // open (the user kept the current one, or the file is bad and said so),
    // they stay out of an album they were not meant for.
    const bool opened = sorted.albums.isEmpty() || openAlbum(sorted.albums.first());
    if (opened) {
        on_pause_clicked();
        if (!sorted.photos.isEmpty())
            importFiles(sorted.photos, true);
        if (!sorted.sounds.isEmpty())
            importFiles(sorted.sounds, false);
    }

    if (!problems.isEmpty())
        ZuMessageBox::alert(tr("These could not be opened:") + QLatin1Char('\n') + problems.join(QLatin1Char('\n')),
                            QString(), this);
}
