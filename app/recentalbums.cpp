#include "recentalbums.h"

#include "settingskeys.h"
#include "zupref.h"

#include <QFileInfo>

namespace RecentAlbums {

QStringList stored()
{
    QStringList files = ZuPref::instance()->value(SettingsKey::RecentAlbums).toStringList();
    files.removeAll(QString());
    // A hand-edited or older store may hold more than the menu shows.
    if (files.size() > Limit)
        files.resize(Limit);
    return files;
}

QStringList forMenu()
{
    QStringList present, absent;
    for (const QString& file : stored())
        (QFileInfo(file).isFile() ? present : absent) << file;
    return present + absent;
}

void add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString file = QFileInfo(path).absoluteFilePath();
    QStringList files = stored();
    files.removeAll(file);
    files.prepend(file);
    if (files.size() > Limit)
        files.resize(Limit);
    ZuPref::instance()->setValue(SettingsKey::RecentAlbums, files);
}

void remove(const QString& path)
{
    QStringList files = stored();
    if (files.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
        ZuPref::instance()->setValue(SettingsKey::RecentAlbums, files);
}

void clear() { ZuPref::instance()->remove(SettingsKey::RecentAlbums); }

} // namespace RecentAlbums
