// quilupdate: the update wizard the main program starts with seven
// arguments: skin, language, product key, second query string, product
// name, service address and configuration file.

#include "logcategories.h"
#include "qtsingleapplication.h"
#include "quilupdatewindow.h"
#include "zulangitemmodel.h"
#include "zupref.h"
#include "zuskinitemmodel.h"

#include <QNetworkProxyFactory>
#include <QtGlobal>

int main(int argc, char** argv)
{
    if (argc < 8)
        return 0;

    QtSingleApplication app(QString(), argc, argv);
    // A proxy the desktop or the environment names is how this machine
    // reaches the web.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    app.setStartSoftwareManage(false);
    // The shared preference file is opened before anything asks for a
    // setting; otherwise a throw-away store would answer first.
    qCDebug(lcUpdate, "quilupdate-argv[7] = %s\n", argv[7]);
    app.initCfg(argv[7], true);
    ZuApplication::pref()->setTanslucentWhenSkin(false);
    app.installTranslators();

    const QString productKey = QString::fromLocal8Bit(argv[3]);
    if (app.isRunning(productKey + QStringLiteral("_update")))
        return 0;

    const QString skin = QString::fromUtf8(argv[1]);
    if (app.skinModel()->skin(skin))
        app.skinModel()->setCurrentSkin(skin);
    const QString language = QString::fromLocal8Bit(argv[2]);
    if (app.langModel()->lang(language))
        app.langModel()->setCurrentLang(language);

    quilUpdateWindow window;
    app.setMainWindow(&window);
    // The window raises itself on a later start, once it is on screen; the
    // language and skin commands that arrive the same way must not show it.
    app.setActivationWindow(&window, false);
    QObject::connect(&app, &QtSingleApplication::messageCmd, &window, &quilUpdateWindow::on_messageReceived);
    QObject::connect(&window, &quilUpdateWindow::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    window.Init(productKey, QString::fromLocal8Bit(argv[4]), QString::fromUtf8(argv[5]), language,
                QString::fromUtf8(argv[6]));
    if (window.checkUpate() == 1)
        return app.exec();
    return 0;
}
