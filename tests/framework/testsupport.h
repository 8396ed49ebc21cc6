// Shared pieces of the framework test program.
#pragma once

#include "zupref.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Each test file hands its test object to main() through one of these.
std::unique_ptr<QObject> makeSingleInstanceTests();
std::unique_ptr<QObject> makePreferencesTests();
std::unique_ptr<QObject> makeZuFunctionsTests();
std::unique_ptr<QObject> makePowerStateTests();
std::unique_ptr<QObject> makeWidgetsTests();
std::unique_ptr<QObject> makeProfilesTests();
std::unique_ptr<QObject> makeProfileWidgetsTests();

// Arguments main() understands when the tests start this program again as
// a second copy.
inline const char* kPeerArgument = "--zu-peer"; // <key> [words...]: exit 0 if a copy runs, else 3
inline const char* kHoldArgument = "--zu-hold"; // <key>: become the copy, print "ready", wait

// Points ZuPref::appDir() somewhere else for one scope.
class AppDirOverride
{
public:
    explicit AppDirOverride(const QString& dir) { ZuPref::setAppDir(dir); }
    ~AppDirOverride() { ZuPref::setAppDir(QString()); }
    AppDirOverride(const AppDirOverride&) = delete;
    AppDirOverride& operator=(const AppDirOverride&) = delete;
};

// Runs `action` once control is back in an event loop (inside a modal exec).
void whenModal(std::function<void()> action);
