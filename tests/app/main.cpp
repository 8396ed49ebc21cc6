// The program's windows under Xvfb, driven by QTest events, OpenAL on its
// null device.

#include "apptests.h"
#include "samplemedia.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

int main(int argc, char** argv)
{
    // Nothing a test does may reach the real user's folders.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    if (!sampleMediaPresent())
        return 1;
    std::vector<std::unique_ptr<QObject>> suites;
    suites.push_back(makeReelwrightTests());
    suites.push_back(makeStartupTests());
    suites.push_back(makePreferencesTests());
    suites.push_back(makeAlbumWindowTests());
    suites.push_back(makeLaunchTests());
    suites.push_back(makeCaptionsTests());

    // TST_APP_SUITE=TestLaunch runs one suite, so its functions can be
    // named on the command line without the others failing to find them.
    const QByteArray only = qgetenv("TST_APP_SUITE");
    int failures = 0;
    for (const auto& suite : suites)
        if (only.isEmpty() || only == suite->metaObject()->className())
            failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
