#include "photoimport.h"

#include "imagereader.h"

#include <atomic>

namespace {

std::atomic<int> g_importIndex{0};

} // namespace

int nextImportIndex() { return g_importIndex.fetch_add(1); }

void prepareImportedPhoto(ImageInfo& photo, int importIndex, bool rotateByExif)
{
    if (rotateByExif)
        photo.procs = exifSteps(photo);
    photo.imageType = imageTypeOf(photo.procs);
    applyImportZoomPath(photo, importIndex);
}

bool readImportedPhoto(const QString& filePath, ImageInfo& photo, int importIndex, bool rotateByExif)
{
    photo.filePath = filePath;
    if (!ImageReader::parse(photo))
        return false;
    prepareImportedPhoto(photo, importIndex, rotateByExif);
    return true;
}
