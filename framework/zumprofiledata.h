#pragma once
// One output profile: which template it comes from, its group, and its
// properties. Property keys are encoder option names ("vcodec", "b", "r",
// ...); keys containing "/" or "," are the profile's own bookkeeping
// ("/name", "/ext_name") and never reach the encoder.

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>

struct ZumProfileData {
    QString url;   // template identifier ("mpeg4h264") or the path of a profile file
    QString group; // group shown in the profile list ("MP4", "Devices", ...)
    QMap<QString, QVariant> properties;
    QString name; // display name in the current language

    // The form a profile url is stored in: its last path component (either
    // separator) up to the first ".". Template lookups match on it too.
    static QString storedUrl(const QString& url);
};

Q_DECLARE_METATYPE(ZumProfileData)
