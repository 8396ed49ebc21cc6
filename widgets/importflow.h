#pragma once
// The one way files become album records: the import dialog parses them and
// each parsed record goes straight into the album document, a photo with its
// import preparation. The window's import commands and both strips' drops
// come through here.

#include <QStringList>

class AlbumDocument;
class ImportProgress;
class QWidget;

namespace ImportFlow {

// Sends what `dialog` parses into `document`, from photo or clip position
// `index` on, in the order parsed.
void feedAlbum(ImportProgress& dialog, AlbumDocument& document, int index);

// Runs the modal import dialog (parented to `parent`, the strip that shows
// the records) over `files`; true when any record was added, and the caller
// then finishes the strip's batch.
bool importFiles(AlbumDocument& document, bool photos, int index, const QStringList& files, QWidget* parent);

} // namespace ImportFlow
