#pragma once
// What a list of dropped or named files and folders means to an import.

#include <QList>
#include <QStringList>
#include <QUrl>

// The name filters of photo and audio imports, in the order the file
// dialogs show them.
QStringList photoNameFilters();
QStringList audioNameFilters();

// The local files of `urls`, in order; with `acceptFolders` a folder stands
// for its entries that match `nameFilters` (one level, hidden entries left
// out, in name order ignoring case). Files are passed on unchecked.
QStringList filesFromUrls(const QList<QUrl>& urls, const QStringList& nameFilters, bool acceptFolders);
