#pragma once
// The album files opened or saved last, as the preference store keeps them:
// newest first, each file once, at most Limit of them.

#include <QStringList>

namespace RecentAlbums {

inline constexpr int Limit = 10;

// The stored files, newest first.
QStringList stored();
// What the Open Recent menu lists: the stored files that exist, then those
// that do not (a folder that is not mounted now may come back); each part
// keeps its newest-first order.
QStringList forMenu();
// Puts `path` first (as an absolute, clean path), drops an older mention of
// it and whatever falls beyond Limit.
void add(const QString& path);
// Drops `path` from the list (a file opened that the user never chose).
void remove(const QString& path);
void clear();

} // namespace RecentAlbums
