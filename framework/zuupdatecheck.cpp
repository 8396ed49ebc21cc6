#include "zuupdatecheck.h"

#include "settingskeys.h"
#include "writelog.h"
#include "zuappcontext.h"
#include "zulangitemmodel.h"
#include "zupref.h"
#include "zuskinitemmodel.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

constexpr int kRecheckMs = 60 * 60 * 1000;

bool startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

} // namespace

ZuUpdateCheck::ZuUpdateCheck(QObject* parent)
    : QObject(parent)
    , m_launcher(startDetached)
{
    m_timer.setInterval(kRecheckMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { runIfDue(); });
}

void ZuUpdateCheck::setLauncher(Launcher launcher)
{
    m_launcher = launcher ? std::move(launcher) : Launcher(startDetached);
}

void ZuUpdateCheck::start()
{
    runIfDue();
    m_timer.start();
}

bool ZuUpdateCheck::isDue(const QDateTime& now) const
{
    const ZuPref* pref = ZuPref::instance();
    if (!pref->value(SettingsKey::AutoCheckUpdateEnable, SettingsDefault::AutoCheckUpdateEnable).toBool())
        return false;
    if (pref->value(serviceUrlKey(), QString()).toString().trimmed().isEmpty())
        return false;
    int days = pref->value(SettingsKey::AutoCheckUpdateInterval, SettingsDefault::AutoCheckUpdateInterval).toInt();
    if (days < 1)
        days = 1;
    const QDateTime last = QDateTime::fromString(pref->value(lastCheckKey(), QString()).toString(), Qt::ISODate);
    // A last check "in the future" means the clock was set back; waiting for
    // it to catch up could stop checks for years.
    if (!last.isValid() || last > now)
        return true;
    return last.addDays(days) <= now;
}

bool ZuUpdateCheck::runIfDue(const QDateTime& now)
{
    if (!isDue(now))
        return false;
    const QString program = updaterPath();
    if (!m_launcher(program, updaterArguments())) {
        WriteLog(QStringLiteral("ZuUpdateCheck: cannot start %s\n"), program.toLocal8Bit().constData());
        return false;
    }
    ZuPref::instance()->setValue(lastCheckKey(), now.toUTC().toString(Qt::ISODate));
    return true;
}

QStringList ZuUpdateCheck::updaterArguments()
{
    const ZuAppContext* app = ZuAppContext::current();
    const QString skin = app ? app->skinModel()->currentSkinName() : ZuSkinItemModel::defaultSkinName();
    const QString language = app ? app->langModel()->currentLangName() : QStringLiteral("en");
    const QString config = app ? app->configFile() : ZuPref::instance()->fileName();
    return {skin,
            language,
            ZuPref::appCode(),
            QCoreApplication::applicationVersion(),
            ZuPref::product_name(),
            ZuPref::instance()->value(serviceUrlKey(), QString()).toString().trimmed(),
            config};
}

QString ZuUpdateCheck::updaterPath() { return ZuPref::appDir() + QStringLiteral("/quilupdate"); }
