#include "updatertests.h"
#include "zuapplication.h"
#include "zulangitemmodel.h"
#include "zupref.h"
#include "zuupdatecheck.h"

#include <QTest>

namespace {

struct Launch
{
    QString program;
    QStringList arguments;
};

void store(const QString &key, const QVariant &value)
{
    if (value.isValid())
        ZuPref::instance()->setValue(key, value);
    else
        ZuPref::instance()->remove(key);
}

} // namespace

class UpdateCheckTests : public QObject
{
    Q_OBJECT
private slots:
    void startsTheWizardOnlyWhenDue_data();
    void startsTheWizardOnlyWhenDue();
    void aWizardThatDidNotStartIsTriedAgain();
    void cleanup();
};

void UpdateCheckTests::cleanup()
{
    for (const QString &key : {QStringLiteral("auto_check_update_enable"), QStringLiteral("auto_check_update_interval"),
                               ZuUpdateCheck::serviceUrlKey(), ZuUpdateCheck::lastCheckKey()})
        ZuPref::instance()->remove(key);
}

void UpdateCheckTests::startsTheWizardOnlyWhenDue_data()
{
    QTest::addColumn<QVariant>("enabled");
    QTest::addColumn<QVariant>("interval");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("hoursSinceLastCheck"); // -1: never checked
    QTest::addColumn<bool>("started");

    const QString address = QStringLiteral("https://updates.invalid/soap");
    QTest::newRow("never checked") << QVariant() << QVariant() << address << -1 << true;
    QTest::newRow("a day passed") << QVariant(true) << QVariant(1) << address << 24 << true;
    QTest::newRow("half a day passed") << QVariant(true) << QVariant(1) << address << 12 << false;
    QTest::newRow("weekly, six days passed") << QVariant(true) << QVariant(7) << address << 6 * 24 << false;
    QTest::newRow("weekly, eight days passed") << QVariant(true) << QVariant(7) << address << 8 * 24 << true;
    QTest::newRow("monthly, a week passed") << QVariant(true) << QVariant(30) << address << 7 * 24 << false;
    QTest::newRow("clock set back") << QVariant(true) << QVariant(7) << address << -48 << true;
    QTest::newRow("disabled") << QVariant(false) << QVariant(1) << address << -1 << false;
    QTest::newRow("no service address") << QVariant(true) << QVariant(1) << QString() << -1 << false;
    QTest::newRow("blank service address") << QVariant(true) << QVariant(1) << QStringLiteral("  ") << -1 << false;
}

void UpdateCheckTests::startsTheWizardOnlyWhenDue()
{
    QFETCH(QVariant, enabled);
    QFETCH(QVariant, interval);
    QFETCH(QString, address);
    QFETCH(int, hoursSinceLastCheck);
    QFETCH(bool, started);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString last =
        hoursSinceLastCheck == -1 ? QString() : now.addSecs(-3600LL * hoursSinceLastCheck).toString(Qt::ISODate);
    store(QStringLiteral("auto_check_update_enable"), enabled);
    store(QStringLiteral("auto_check_update_interval"), interval);
    store(ZuUpdateCheck::serviceUrlKey(), address);
    store(ZuUpdateCheck::lastCheckKey(), last.isEmpty() ? QVariant() : QVariant(last));

    QList<Launch> launches;
    ZuUpdateCheck check;
    check.setLauncher([&](const QString &program, const QStringList &arguments) {
        launches.append({program, arguments});
        return true;
    });
    QCOMPARE(check.runIfDue(now), started);
    QCOMPARE(launches.size(), started ? 1 : 0);
    const QString stored = ZuPref::instance()->value(ZuUpdateCheck::lastCheckKey()).toString();
    if (!started) {
        QCOMPARE(stored, last);
        return;
    }
    QCOMPARE(stored, now.toString(Qt::ISODate));
    QCOMPARE(launches.first().program, ZuPref::appDir() + QStringLiteral("/quilupdate"));
    const QStringList expected = {QStringLiteral("Default"),
                                  zuApp->langModel()->currentLangName(),
                                  QStringLiteral("reelwright"),
                                  QCoreApplication::applicationVersion(),
                                  QStringLiteral("Reelwright"),
                                  address,
                                  zuApp->configFile()};
    QCOMPARE(launches.first().arguments, expected);
    // Checked just now, so not due again.
    QVERIFY(!check.runIfDue(now.addSecs(60)));
}

void UpdateCheckTests::aWizardThatDidNotStartIsTriedAgain()
{
    store(ZuUpdateCheck::serviceUrlKey(), QStringLiteral("http://127.0.0.1:9/soap"));
    ZuUpdateCheck check;
    int attempts = 0;
    check.setLauncher([&](const QString &, const QStringList &) {
        ++attempts;
        return false;
    });
    QVERIFY(!check.runIfDue());
    QVERIFY(!check.runIfDue());
    QCOMPARE(attempts, 2);
    QVERIFY(!ZuPref::instance()->contains(ZuUpdateCheck::lastCheckKey()));
}

std::unique_ptr<QObject> makeUpdateCheckTests()
{
    return std::make_unique<UpdateCheckTests>();
}

#include "tst_updatecheck.moc"
