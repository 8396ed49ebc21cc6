// The updater test program: the service client, the automatic check and the
// wizard, all against a responder on the loopback address.

#include "qtsingleapplication.h"
#include "updatertests.h"

#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv)
{
    // Downloads, documents and settings all land in a throw-away folder.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("no_proxy", "*");

    QtSingleApplication app(QStringLiteral("tst_updater"), argc, argv);
    ZuApplication::setConfigFolder(home.filePath(QStringLiteral("config")));
    if (!app.initCfg(nullptr, true))
        return 1;

    int failures = 0;
    const std::unique_ptr<QObject> suites[] = {makeServiceTests(), makeUpdateCheckTests(), makeWizardTests()};
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
