#pragma once
// What the property panels need to know about property values: the value of
// a property, the form a panel shows it in ("25fps", "50%", "700K"), the
// plain form the encoder takes ("25", "128", "700K"), which texts an item
// accepts, and the property tree of a profile.

#include "zumprofiledata.h"

#include <QString>
#include <QVariant>

class ZuProfileManager;
class ZuProperty;

class ZuProfilePropertyManager
{
public:
    // The value of a property as the profile or the user gave it.
    static QVariant propertyValue(const ZuProperty* property);

    // The displayed form of a value of `key`:
    //  "b", "ab"   "700k" and "700" show as "700K"; "2m" as "2M"; a plain
    //              number of 100000 or more is bits per second and shows in K;
    //  "r"         "auto" as "Auto", "25" as "25fps";
    //  "vol"       a number v (256 = unchanged) as v / 2.56 percent;
    //  "timedelay" a number of seconds as "2s".
    // Other keys, texts containing "auto" and texts already in the
    // displayed form stay as they are.
    static QString displayForm(const QString& key, const QString& value);
    // The value the encoder option layer takes for a text in either form.
    static QVariant encoderForm(const QString& key, const QVariant& value);
    // Whether an item of `type` can take `text` (either form).
    static bool isAcceptable(const QString& key, const QString& type, const QString& text);

    // Kilobits per second of a bit-rate text ("700K", "2M", "800000");
    // 0 when it cannot be read.
    static int kbitPerSecond(const QString& text);

    // Rebuilds the items below `root` from the catalogue of `manager` and
    // the properties of `profile`: every catalogued key in catalogue order,
    // then the profile's own keys the catalogue does not know.
    static void fillTree(ZuProperty* root, const ZuProfileManager* manager, const ZumProfileData& profile);
    // The profile's properties from the tree: every item that holds a value,
    // in encoder form (or as shown when `displayForms`).
    static QMap<QString, QVariant> treeProperties(const ZuProperty* root, bool displayForms);
};
