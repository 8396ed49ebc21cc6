// Shared by the album document's tests: its change signals as text.
#pragma once

#include "albumdocument.h"

#include <QStringList>

#include <utility>

// Every signal of the document, in the order sent, as "name args".
class SignalLog
{
public:
    explicit SignalLog(AlbumDocument& document)
    {
        const auto two = [this](const char* name) {
            return [this, name](int a, int b) {
                lines << QStringLiteral("%1 %2 %3").arg(QLatin1String(name)).arg(a).arg(b);
            };
        };
        const auto three = [this](const char* name) {
            return [this, name](int a, int b, int c) {
                lines << QStringLiteral("%1 %2 %3 %4").arg(QLatin1String(name)).arg(a).arg(b).arg(c);
            };
        };
        const auto none = [this](const char* name) { return [this, name] { lines << QLatin1String(name); }; };
        QObject::connect(&document, &AlbumDocument::photosInserted, two("photosInserted"));
        QObject::connect(&document, &AlbumDocument::photosRemoved, two("photosRemoved"));
        QObject::connect(&document, &AlbumDocument::photosMoved, three("photosMoved"));
        QObject::connect(&document, &AlbumDocument::photosChanged, two("photosChanged"));
        QObject::connect(&document, &AlbumDocument::photosReset, none("photosReset"));
        QObject::connect(&document, &AlbumDocument::clipsInserted, two("clipsInserted"));
        QObject::connect(&document, &AlbumDocument::clipsRemoved, two("clipsRemoved"));
        QObject::connect(&document, &AlbumDocument::clipsMoved, three("clipsMoved"));
        QObject::connect(&document, &AlbumDocument::clipsChanged, two("clipsChanged"));
        QObject::connect(&document, &AlbumDocument::clipsReset, none("clipsReset"));
        QObject::connect(&document, &AlbumDocument::settingsChanged, none("settingsChanged"));
        QObject::connect(&document, &AlbumDocument::changed, none("changed"));
    }
    // The lines so far, and a fresh start.
    QStringList take() { return std::exchange(lines, {}); }
    QStringList lines;
};
