// The framework test program. Besides running the tests it can act as a
// second copy of an application, which the single-instance tests start.

#include "qtsingleapplication.h"
#include "testsupport.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>

void whenModal(std::function<void()> action) { QTimer::singleShot(0, qApp, std::move(action)); }

namespace {

int runPeer(int argc, char** argv)
{
    QtSingleApplication app(QString(), argc, argv);
    const QString key = QString::fromLocal8Bit(argv[2]);
    return app.isRunning(key) ? 0 : 3;
}

int runHolder(int argc, char** argv)
{
    QtSingleApplication app(QString(), argc, argv);
    if (app.isRunning(QString::fromLocal8Bit(argv[2])))
        return 3;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing a test does may reach the real user's folders.
    QStandardPaths::setTestModeEnabled(true);
    if (argc >= 3 && std::strcmp(argv[1], kPeerArgument) == 0)
        return runPeer(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], kHoldArgument) == 0)
        return runHolder(argc, argv);

    QtSingleApplication app(QStringLiteral("tst_framework"), argc, argv);
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    ZuApplication::setConfigFolder(config.path());
    if (!app.initCfg(nullptr, true))
        return 1;

    int failures = 0;
    const std::unique_ptr<QObject> suites[] = {
        makeSingleInstanceTests(), makePreferencesTests(), makeZuFunctionsTests(),   makePowerStateTests(),
        makeWidgetsTests(),        makeProfilesTests(),    makeProfileWidgetsTests()};
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
