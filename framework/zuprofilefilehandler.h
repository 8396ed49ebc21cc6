#pragma once
// Turns profile references read back from the settings ("last_profile_url",
// "last_profile_group") into a profile the profile model really offers.

#include <QString>

class ZuProfileModel;

class ZuProfileFileHandler
{
public:
    // Makes `url` the identifier and `group` a group of an existing profile
    // of `model`. `url` may be an identifier, a path, or a file name cut at
    // its first "." (the stored form). An unknown profile falls back to
    // `defaultUrl` (and, should that be missing too, to the model's first
    // profile) with that profile's own group; a known profile with a group
    // that does not hold it gets its own group. False, with both texts
    // untouched, only when the model offers no profile at all.
    static bool normalizeProfileUrlAndGroup(ZuProfileModel* model, QString& url, QString& group,
                                            const QString& defaultUrl);

    // The form a profile url is stored in: its last path component (either
    // separator) up to the first ".".
    static QString storedProfileUrl(const QString& url);
};
