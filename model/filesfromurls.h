#pragma once
// What a list of dropped or named files and folders means to an import.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The name filters of photo and audio imports, in the order the file
// dialogs show them.
QStringList photoNameFilters();
QStringList audioNameFilters();

// One entry per format for the file dialogs, each ending in ";;". Patterns
// within an entry are separated by blanks, the way the dialog splits them.
extern const QString g_strPhotoFiles;
extern const QString g_strAudioFiles;

// The filter text of an import's file dialog: every pattern of
// `nameFilters` in one entry, then `formatEntries` (g_strPhotoFiles or
// g_strAudioFiles), then all files.
QString importDialogFilter(const QStringList& nameFilters, const QString& formatEntries);

// The local files of `urls`, in order; with `acceptFolders` a folder stands
// for its entries that match `nameFilters` (one level, hidden entries left
// out, in name order ignoring case). Files are passed on unchecked.
QStringList filesFromUrls(const QList<QUrl>& urls, const QStringList& nameFilters, bool acceptFolders);
