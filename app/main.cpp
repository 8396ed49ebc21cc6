// Entry point of the album editor: one copy per user, the framework set up
// before the main window, and a line-less "command:close splash screen" on
// standard output for a launcher that shows a splash screen meanwhile.

#include "autosave.h"
#include "devalbum.h"
#include "gldrawer.h"
#include "launchpaths.h"
#include "qtsingleapplication.h"
#include "reelwright.h"
#include "systemmemory.h"
#include "termination.h"
#include "zupref.h"

#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

void tellLauncher()
{
    std::fputs("command:close splash screen", stdout);
    std::fflush(stdout);
}

void showIntegrityFailure()
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("main", "Error"),
                    QCoreApplication::translate("main", "Start the program failed. Please re-install it."),
                    QMessageBox::Ok);
    box.setDefaultButton(static_cast<QPushButton*>(nullptr));
    box.exec();
}

} // namespace

int main(int argc, char** argv)
{
    // Mesa's rasteriser threads only slow the compile down while the encoder
    // keeps every core busy; this must precede the first OpenGL context.
    SystemMemory::preferMappedPictures();

    QtSingleApplication app(QString(), argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/app_reelwright/reelwright.svg")));
    app.setDesktopFileName(QStringLiteral("reelwright"));
    app.setZufcVersion(1030);

    if (!ZuApplication::checkIntegrality()) {
        if (argc == 1)
            showIntegrityFailure();
        return 0;
    }
    // The preference store is opened before anything asks for a setting;
    // otherwise a throw-away store would answer first.
    app.initCfg(nullptr, true);
    ZuApplication::pref()->setTanslucentWhenSkin(false);
    app.installTranslators();
    app.setCmdLineOperands(QStringLiteral("[ALBUM.reelwright | PHOTO/SOUND/FOLDER...]"),
                           QStringLiteral("  ALBUM.reelwright    open the album\n"
                                          "  PHOTO/SOUND/FOLDER  start an album with these photos and sounds\n"
                                          "                      (a folder: the photos in it)\n"
                                          "When the program runs already, the running copy opens them.\n"));
    if (app.processCmdLine(argc, argv))
        return 0;
    // Made absolute here: the running copy works in a folder of its own.
    const QStringList paths = LaunchPaths::fromArguments(app.arguments(), QDir::currentPath());
    app.setStartMessage(LaunchPaths::encode(paths));
    if (app.isRunning(QString()))
        return 0;

    auto window = std::make_unique<Reelwright>();
    app.setMainWindow(window.get());
    app.setActivationWindow(window->widgetFrame(), true);
    window->show(true);

    Reelwright* shown = window.get();
    Autosave autosave(
        window->albumDocument(), [shown] { return shown->albumFilePath(); }, Autosave::defaultFolder());
    // Later starts hand their paths over from now on; they wait until the
    // restore question and this start's own paths are done.
    PathInbox inbox([shown](const QStringList& given) { shown->openPaths(given); });
    inbox.hold();
    QObject::connect(&app, &QtSingleApplication::messageCmd, &inbox, &PathInbox::receive, Qt::QueuedConnection);

    // A session's SIGTERM ends the loop and the launcher hears the end; the
    // unsaved album is kept for the next start, whose question offers it.
    bool terminated = false;
    quitOnTermination([&] {
        terminated = true;
        autosave.save();
    });
    loadDeveloperAlbum(*window);

    // Inside the loop, so that a signal during the question or an import
    // still ends the program.
    QTimer::singleShot(0, shown, [&] {
        offerRecovery(*shown, autosave);
        shown->openPaths(paths);
        inbox.release();
    });

    tellLauncher();
    ZuApplication::exec();
    tellLauncher();
    // The window was closed after the user saved or gave up the changes.
    if (!terminated)
        autosave.remove();
    window.reset();
    return 0;
}
