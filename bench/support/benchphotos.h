#pragma once
// Photos for benchmarks: large JPEGs with detail everywhere, so that the
// decoder, the compositor and the encoder all have real work to do.

#include <QSize>
#include <QString>

// Writes folder/photo<index>.jpg, 4000 x 3000 unless another size is given;
// the same index and size always give the same picture. Returns its path, or
// an empty text when it could not be written.
QString makeBenchPhoto(const QString& folder, int index, QSize size = QSize(4000, 3000));

// Writes folder/camera<index>.jpg: soft shading, shapes and sensor-like
// grain at quality 92, which compresses about as a camera's own JPEG does
// (a 24-megapixel one to some 5 MB, a third of what makeBenchPhoto gives).
QString makeCameraLikePhoto(const QString& folder, int index, QSize size);

// Gives the JPEG at `path` the EXIF block a camera writes: make, model,
// orientation 1 and a 160 x 120 JPEG preview of the photo, which a photo of
// another shape than 4:3 fills between black bars, as cameras draw it.
// Returns false when the file cannot be read or written.
bool addCameraExif(const QString& path);
