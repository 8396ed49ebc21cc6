#pragma once
// The automatic update check: when it is on, due, and a service address is
// configured, starts the update wizard beside the program and remembers when.

#include "settingskeys.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class ZuUpdateCheck : public QObject
{
    Q_OBJECT
public:
    // Starts `program` with `arguments` (no shell); false when it did not start.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;

    explicit ZuUpdateCheck(QObject* parent = nullptr);

    // Replaces the process launcher; an empty function restores the real one.
    void setLauncher(Launcher launcher);

    // Checks now, then again every hour, so a program left running for days
    // still checks when its interval has passed.
    void start();

    // True when checks are on, an address is configured and the interval
    // has passed since the last check (or none was ever made).
    bool isDue(const QDateTime& now) const;
    // Starts the wizard when isDue(now); true when it was started.
    bool runIfDue(const QDateTime& now = QDateTime::currentDateTimeUtc());

    // Skin, language, product key, version, product name, service address,
    // configuration file: what the wizard expects, in its order.
    static QStringList updaterArguments();
    static QString updaterPath();

    // Keys of the settings the check alone reads (see settingskeys.h).
    static QString serviceUrlKey() { return SettingsKey::UpdateServiceUrl; }
    static QString lastCheckKey() { return SettingsKey::UpdateLastCheck; }

private:
    Launcher m_launcher;
    QTimer m_timer;
};
