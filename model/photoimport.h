#pragma once
// What an imported photo gets before it joins an album, in one place, so
// the program and the command-line tools prepare photos the same way.

#include "storyboard.h"

#include <QString>

// The next value of the program-wide import counter: one per imported photo
// for the whole run, never reset, so successive imports keep cycling through
// the eight zoom paths.
int nextImportIndex();

// Prepares a parsed photo: the steps that undo its EXIF orientation (only
// with `rotateByExif`; otherwise its steps stay), its orientation class and
// the zoom path of import number `importIndex`.
void prepareImportedPhoto(ImageInfo& photo, int importIndex, bool rotateByExif = true);

// Parses `filePath` into `photo` and prepares it as import number
// `importIndex`; false when the file is no readable photo.
bool readImportedPhoto(const QString& filePath, ImageInfo& photo, int importIndex, bool rotateByExif = true);
