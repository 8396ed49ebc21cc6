#pragma once
// The program's preference store: an INI file behind QSettings, every write
// reaching the disk at once, plus the fixed facts about the installation.

#include <QMutex>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

class ZuPref
{
public:
    // Opens (or creates) the INI file at `iniPath`.
    explicit ZuPref(const QString& iniPath);
    ~ZuPref();
    ZuPref(const ZuPref&) = delete;
    ZuPref& operator=(const ZuPref&) = delete;

    QVariant value(const QString& key, const QVariant& defaultValue = QVariant()) const;
    bool contains(const QString& key) const;
    // With `deferred` false the file is written before returning; true leaves
    // writing to the next sync (or the store's destruction). Returns false
    // when the file could not be written.
    bool setValue(const QString& key, const QVariant& value, bool deferred = false);
    void remove(const QString& key);
    bool sync();
    QString fileName() const;

    void setTanslucentWhenSkin(bool on);
    bool tanslucentWhenSkin() const;

    // The store the whole program shares. When nothing has been registered
    // (a test without an application object) a throw-away store in a
    // temporary folder is handed out, so a forgotten set-up never touches
    // the user's real settings.
    static ZuPref* instance();
    // Registers `pref` (not owned) as the shared store; nullptr unregisters.
    static void setInstance(ZuPref* pref);

    // Folder of the executable without a trailing slash, unless overridden.
    static QString appDir();
    // Overrides appDir() (tests point it at a temporary installation);
    // an empty text restores the executable's folder.
    static void setAppDir(const QString& dir);
    // Resource root of the current skin: skinDir() + "/app_reelwright/x.png"
    // names a Qt resource.
    static QString skinDir();
    static void setSkinDir(const QString& dir);
    static QString product_name();
    // Short machine name of the product: file names, instance keys.
    static QString appCode();

private:
    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    bool m_translucentWhenSkin = true;
};
