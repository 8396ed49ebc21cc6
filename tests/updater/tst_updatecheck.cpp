// The automatic update check: the wizard starts only when a check is due, once the event loop runs.
#include "updatertests.h"
#include "zuapplication.h"
#include "zulangitemmodel.h"
#include "zumainwindow.h"
#include "zupref.h"
#include "zuupdatecheck.h"

#include <QTest>
#include <QTimer>

class UpdateCheckTests : public QObject
{
    Q_OBJECT
private slots:
    void startsTheWizardOnlyWhenDue_data();
    void startsTheWizardOnlyWhenDue();
    void followsTheMainWindowsSettings_data();
    void followsTheMainWindowsSettings();
    void theEventLoopStartsTheCheck();
};

void UpdateCheckTests::startsTheWizardOnlyWhenDue_data()
{
    QTest::addColumn<QVariant>("enabled");
    QTest::addColumn<int>("interval"); // 0: not stored
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("hoursSinceLast"); // -1: never checked
    QTest::addColumn<bool>("due");

    const QString address = QStringLiteral("https://updates.invalid/soap");
    QTest::newRow("never checked") << QVariant() << 0 << address << -1 << true;
    QTest::newRow("a day passed") << QVariant(true) << 1 << address << 24 << true;
    QTest::newRow("half a day passed") << QVariant(true) << 1 << address << 12 << false;
    QTest::newRow("weekly, six days") << QVariant(true) << 7 << address << 6 * 24 << false;
    QTest::newRow("weekly, eight days") << QVariant(true) << 7 << address << 8 * 24 << true;
    QTest::newRow("monthly, a week") << QVariant(true) << 30 << address << 7 * 24 << false;
    QTest::newRow("clock set back") << QVariant(true) << 7 << address << -48 << true;
    QTest::newRow("disabled") << QVariant(false) << 1 << address << -1 << false;
    QTest::newRow("no service address") << QVariant(true) << 1 << QString() << -1 << false;
    QTest::newRow("blank service address") << QVariant(true) << 1 << QStringLiteral(" ") << -1 << false;
}

void UpdateCheckTests::startsTheWizardOnlyWhenDue()
{
    QFETCH(QVariant, enabled);
    QFETCH(int, interval);
    QFETCH(QString, address);
    QFETCH(int, hoursSinceLast);
    QFETCH(bool, due);

    ZuPref* pref = ZuPref::instance();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString last = hoursSinceLast == -1 ? QString() : now.addSecs(-3600LL * hoursSinceLast).toString(Qt::ISODate);
    for (const char* key : {"auto_check_update_enable", "auto_check_update_interval", "update_last_check"})
        pref->remove(QLatin1String(key));
    if (enabled.isValid())
        pref->setValue(QStringLiteral("auto_check_update_enable"), enabled);
    if (interval)
        pref->setValue(QStringLiteral("auto_check_update_interval"), interval);
    if (!last.isEmpty())
        pref->setValue(ZuUpdateCheck::lastCheckKey(), last);
    pref->setValue(QStringLiteral("update_service_url"), address);

    QList<QStringList> launched;
    bool launches = false;
    ZuUpdateCheck check;
    check.setLauncher([&](const QString& program, const QStringList& arguments) {
        launched.append(QStringList{program} + arguments);
        return launches;
    });
    // A wizard that did not start leaves the check due.
    QVERIFY(!check.runIfDue(now));
    QCOMPARE(launched.size(), due ? 1 : 0);
    QCOMPARE(pref->value(ZuUpdateCheck::lastCheckKey()).toString(), last);

    launches = true;
    QCOMPARE(check.runIfDue(now), due);
    QCOMPARE(pref->value(ZuUpdateCheck::lastCheckKey()).toString(), due ? now.toString(Qt::ISODate) : last);
    if (!due)
        return;
    QCOMPARE(launched.last(), (QStringList{ZuPref::appDir() + QStringLiteral("/quilupdate"), QStringLiteral("Default"),
                                           zuApp->langModel()->currentLangName(), QStringLiteral("reelwright"),
                                           QCoreApplication::applicationVersion(), QStringLiteral("Reelwright"),
                                           address, zuApp->configFile()}));
    QVERIFY(!check.runIfDue(now.addSecs(60))); // checked just now
}

void UpdateCheckTests::followsTheMainWindowsSettings_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("hoursSinceLast");
    QTest::addColumn<bool>("due");
    QTest::newRow("off") << false << 1 << 48 << false;
    QTest::newRow("daily, two days") << true << 1 << 48 << true;
    QTest::newRow("weekly, two days") << true << 7 << 48 << false;
    QTest::newRow("weekly, eight days") << true << 7 << 8 * 24 << true;
}

// What the window's settings store is what the check reads.
void UpdateCheckTests::followsTheMainWindowsSettings()
{
    QFETCH(bool, enabled);
    QFETCH(int, interval);
    QFETCH(int, hoursSinceLast);
    QFETCH(bool, due);

    ZuPref* pref = ZuPref::instance();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    pref->setValue(ZuUpdateCheck::serviceUrlKey(), QStringLiteral("https://updates.invalid/soap"));
    pref->setValue(ZuUpdateCheck::lastCheckKey(), now.addSecs(-3600LL * hoursSinceLast).toString(Qt::ISODate));
    {
        ZuMainWindow window;
        window.setAutoCheckUpdate(enabled);
        window.setAutoCheckUpdateInterval(interval);
    }
    QCOMPARE(ZuUpdateCheck().isDue(now), due);
    for (const char* key :
         {"auto_check_update_enable", "auto_check_update_interval", "update_last_check", "update_service_url"})
        pref->remove(QLatin1String(key));
}

void UpdateCheckTests::theEventLoopStartsTheCheck()
{
    ZuPref::instance()->remove(ZuUpdateCheck::lastCheckKey());
    ZuPref::instance()->setValue(QStringLiteral("update_service_url"), QStringLiteral("https://updates.invalid/soap"));
    int launches = 0;
    zuApp->updateCheck()->setLauncher([&](const QString&, const QStringList&) { return ++launches > 0; });
    ZuMainWindow window;
    zuApp->setMainWindow(&window);
    for (const bool manage : {false, true}) {
        zuApp->setStartSoftwareManage(manage); // the wizard itself turns it off
        QTimer::singleShot(100, zuApp, &QCoreApplication::quit);
        ZuApplication::exec();
        QCOMPARE(launches, manage ? 1 : 0);
    }
    zuApp->setMainWindow(nullptr);
    zuApp->updateCheck()->setLauncher({});
    ZuPref::instance()->remove(QStringLiteral("update_service_url"));
}

std::unique_ptr<QObject> makeUpdateCheckTests() { return std::make_unique<UpdateCheckTests>(); }

#include "tst_updatecheck.moc"
