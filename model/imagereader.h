#ifndef IMAGEREADER_H
#define IMAGEREADER_H

#include <QImage>
#include <QString>

#include "avpicture.h"
#include "storyboard.h"

// Loads image files for the album: the record of a newly imported photo, a
// photo letterboxed into an output-size BGRA picture, and a wipe pattern as
// a GRAY8 picture. Every format of Qt's image plug-ins is read; the EXIF
// orientation is never applied here (the renderer turns photos by imageType).
//
// A file that is missing, empty, not an image, cut short, or claims a size
// beyond Qt's image allocation limit counted at 4 bytes per pixel
// (QImageReader::allocationLimit(), which this module raises to 256 MB when
// the program loads, so 8000 x 6000 = 192 MB loads) is refused with false,
// and the record or picture is left as it was. Nothing is shown or logged;
// the operations are reentrant.
class ImageReader
{
public:
    static constexpr int ThumbnailWidth = 80;
    static constexpr int ThumbnailHeight = 60;
    static constexpr QRgb ThumbnailBackground = 0xFF808080;

    // Fills every file-derived field of `info` from the file at info.filePath.
    static bool parse(ImageInfo& info);

    // Draws the photo (turned by +90 degrees when `turn`) smoothly scaled to
    // fit width x height, centred on black, bottom row first, as BGRA with
    // alpha 255 into plane 0 of a picture allocated by the caller.
    static bool read(const QString& path, AVPicture& picture, int width, int height, bool turn);

    // Scales the pattern image to exactly width x height grey bytes into
    // plane 0 of a GRAY8 picture allocated by the caller, top row first.
    static bool readPattern(const QString& path, AVPicture& picture, int width, int height);

    // The EXIF orientation code's turn and flags in `info`; codes outside
    // 1..8 leave the cleared values (0, no mirror, no flip).
    static void applyExifOrientation(ImageInfo& info, int orientation);
};

#endif // IMAGEREADER_H
