#pragma once
// From an output profile to what a compile needs: the output geometry and
// sound format, the encoder argument list and a free output file name.

#include "storyboard.h"
#include "zumprofiledata.h"

#include <QString>
#include <QStringList>

// The frame rate a profile's rate text stands for ("25", "29.97 fps",
// "30000/1001"); 0 when it cannot be read.
double framerateFromString(const QString& text);

// Whether a profile key is one of the metadata keys passed as
// "-metadata key=value".
bool isMetadata(const QString& key);

// Output size, frame rate, sample rate and channels from the profile's "s",
// "r", "ar" and "ac"; values that cannot be used leave the parameter as it
// was (the size falls back to 640 x 480).
void renderParamsFromProfile(RenderParam& param, const ZumProfileData& profile);

// The profile's part of the encoder argument list, "-aspect" included.
QStringList profileArguments(const ZumProfileData& profile, const RenderParam& param);

// folder/baseName.extension, or the first free folder/baseName(N).extension.
QString uniqueOutputFile(const QString& folder, const QString& baseName, const QString& extension);

// The whole argument list for a compile into `outputFile`.
QStringList compileArguments(const ZumProfileData& profile, const RenderParam& param, const QString& outputFile);

// The file extension a profile asks for ("/ext_name").
QString profileExtension(const ZumProfileData& profile);
