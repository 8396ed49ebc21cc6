// Entry point of the album editor: one copy per user, the framework set up
// before the main window, and a line-less "command:close splash screen" on
// standard output for a launcher that shows a splash screen meanwhile.

#include "devalbum.h"
#include "gldrawer.h"
#include "qtsingleapplication.h"
#include "reelwright.h"
#include "termination.h"
#include "zupref.h"

#include <QIcon>
#include <QMessageBox>

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
    GLDrawer::preferSingleRasterThread();

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
    if (app.processCmdLine(argc, argv))
        return 0;
    if (app.isRunning(QString()))
        return 0;

    auto window = std::make_unique<Reelwright>();
    app.setMainWindow(window.get());
    app.setActivationWindow(window->widgetFrame(), true);
    window->show(true);
    // A session's SIGTERM ends the loop like closing the window, so the
    // window saves its state and the launcher hears the end.
    quitOnTermination();
    loadDeveloperAlbum(*window);

    tellLauncher();
    ZuApplication::exec();
    tellLauncher();
    window.reset();
    return 0;
}
