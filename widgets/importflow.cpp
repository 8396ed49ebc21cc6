#include "importflow.h"

#include "albumdocument.h"
#include "importprogress.h"

#include <memory>

namespace ImportFlow {

void feedAlbum(ImportProgress& dialog, AlbumDocument& document, int index)
{
    // Shared by both handlers: each batch goes in after the one before.
    auto next = std::make_shared<int>(index);
    QObject::connect(&dialog, &ImportProgress::photosParsed, &document,
                     [&document, next](const QList<ImageInfo>& photos) {
                         document.importPhotos(*next, photos);
                         *next += int(photos.size());
                     });
    QObject::connect(&dialog, &ImportProgress::clipsParsed, &document,
                     [&document, next](const QList<AudioInfo>& clips) {
                         document.insertClips(*next, clips);
                         *next += int(clips.size());
                     });
}

bool importFiles(AlbumDocument& document, bool photos, int index, const QStringList& files, QWidget* parent)
{
    if (files.isEmpty())
        return false;
    // However many batches the dialog hands over, the import is one step of
    // the history; a cancelled one that added nothing is none.
    const AlbumEditGroup group(&document, photos ? AlbumDocument::tr("Import Photos")
                                                 : AlbumDocument::tr("Import Audio"));
    ImportProgress dialog(photos, parent);
    feedAlbum(dialog, document, index);
    dialog.parseFileList(files);
    dialog.exec();
    return dialog.added;
}

} // namespace ImportFlow
