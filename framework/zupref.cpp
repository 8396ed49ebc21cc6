#include "zupref.h"

#include "writelog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>

namespace {

std::atomic<ZuPref*> g_instance{nullptr};

QMutex g_staticsMutex;
QString g_appDirOverride;
QString g_skinDir = QStringLiteral(":");

// Owned here only when nobody registered a store.
struct Fallback {
    QTemporaryDir dir;
    std::unique_ptr<ZuPref> pref;
};

ZuPref* fallbackStore()
{
    static Fallback fb;
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    if (!fb.pref) {
        WriteLog(QStringLiteral("ZuPref: no preference store opened, using a temporary one in %s\n"),
                 fb.dir.path().toLocal8Bit().constData());
        fb.pref = std::make_unique<ZuPref>(fb.dir.filePath(QStringLiteral("unconfigured.ini")));
    }
    return fb.pref.get();
}

} // namespace

ZuPref::ZuPref(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{}

ZuPref::~ZuPref()
{
    ZuPref* self = this;
    g_instance.compare_exchange_strong(self, nullptr);
}

QVariant ZuPref::value(const QString& key, const QVariant& defaultValue) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->value(key, defaultValue);
}

bool ZuPref::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->contains(key);
}

bool ZuPref::setValue(const QString& key, const QVariant& value, bool deferred)
{
    QMutexLocker lock(&m_mutex);
    m_settings->setValue(key, value);
    if (deferred)
        return true;
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        WriteLog(QStringLiteral("ZuPref: cannot write %s\n"), m_settings->fileName().toLocal8Bit().constData());
        return false;
    }
    return true;
}

void ZuPref::remove(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    m_settings->remove(key);
    m_settings->sync();
}

bool ZuPref::sync()
{
    QMutexLocker lock(&m_mutex);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString ZuPref::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->fileName();
}

void ZuPref::setTanslucentWhenSkin(bool on) { m_translucentWhenSkin = on; }

bool ZuPref::tanslucentWhenSkin() const { return m_translucentWhenSkin; }

ZuPref* ZuPref::instance()
{
    if (ZuPref* p = g_instance.load())
        return p;
    return fallbackStore();
}

void ZuPref::setInstance(ZuPref* pref) { g_instance.store(pref); }

QString ZuPref::appDir()
{
    {
        QMutexLocker lock(&g_staticsMutex);
        if (!g_appDirOverride.isEmpty())
            return g_appDirOverride;
    }
    return QCoreApplication::applicationDirPath();
}

void ZuPref::setAppDir(const QString& dir)
{
    QString clean = dir.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    QMutexLocker lock(&g_staticsMutex);
    g_appDirOverride = clean;
}

QString ZuPref::skinDir()
{
    QMutexLocker lock(&g_staticsMutex);
    return g_skinDir;
}

void ZuPref::setSkinDir(const QString& dir)
{
    QMutexLocker lock(&g_staticsMutex);
    g_skinDir = dir;
}

QString ZuPref::product_name() { return QStringLiteral("Reelwright"); }

QString ZuPref::appCode() { return QStringLiteral("reelwright"); }
