#pragma once
// The program's application object: installation check, translations,
// preference store, language and skin lists, command line and main window.

#include "zuappcontext.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>

#include <memory>

class QTextStream;
class QTranslator;
class ZuLangItemModel;
class ZuMainWindow;
class ZuPref;
class ZuSkinItemModel;
class ZuUpdateCheck;

class ZuApplication : public QApplication, public ZuAppContext
{
    Q_OBJECT
public:
    ZuApplication(int& argc, char** argv);
    ~ZuApplication() override;

    static ZuApplication* instance();

    void setZufcVersion(int version) { m_zufcVersion = version; }
    int zufcVersion() const { return m_zufcVersion; }

    // False when the application folder lacks "pattern/" or "profiles/".
    static bool checkIntegrality();

    // Loads translations/reelwright_<lang>.qm and Qt's own catalogue for
    // the current language, replacing earlier ones. True when the program
    // speaks that language (English needs no file).
    bool installTranslators();

    // Opens the preference store. `name`: null for the product's own file,
    // a bare name for "<name>.ini" in the configuration folder, or a path to
    // an INI file. With `createFolder` a missing folder is created. The
    // stored language and skin become current. False when the file cannot
    // be read or written.
    bool initCfg(const char* name, bool createFolder);
    QString configFile() const override;
    // Folder for the INI files; tests point it at a temporary folder.
    static void setConfigFolder(const QString& folder);
    static QString configFolder();

    // Handles the commands the framework owns (--help, --version). True
    // when the command line was consumed and the program should end.
    bool processCmdLine(int argc, char** argv);
    bool processCmdLine(const QStringList& arguments, QTextStream& out);
    // What a program takes besides the options, for --help: `synopsis` ends
    // the usage line, `description` (lines ending in a line break) follows
    // the option list.
    void setCmdLineOperands(const QString& synopsis, const QString& description);

    // With software management on (the default), exec() starts the automatic
    // update check once a main window is set; the update wizard turns it off.
    void setStartSoftwareManage(bool on) { m_startSoftwareManage = on; }
    bool startSoftwareManage() const { return m_startSoftwareManage; }

    void setMainWindow(ZuMainWindow* window);
    ZuMainWindow* mainWindow() const;

    // The shared preference store (see ZuPref::instance()).
    static ZuPref* pref();
    ZuLangItemModel* langModel() const override { return m_langModel; }
    ZuSkinItemModel* skinModel() const override { return m_skinModel; }
    // The automatic update check (created on first use).
    ZuUpdateCheck* updateCheck();

    static int exec();

protected:
    // Texts the single-instance layer sends to the updater on a change.
    virtual void notifyUpdater(const QString& command, const QString& value);

private:
    void onLanguageChanged(const QString& name);
    void onSkinChanged(const QString& name);

    std::unique_ptr<ZuPref> m_pref;
    ZuLangItemModel* m_langModel;
    ZuSkinItemModel* m_skinModel;
    ZuUpdateCheck* m_updateCheck = nullptr;
    QList<QTranslator*> m_translators;
    QPointer<ZuMainWindow> m_mainWindow;
    int m_zufcVersion = 0;
    QString m_operandSynopsis;
    QString m_operandDescription;
    bool m_startSoftwareManage = true;
};

#define zuApp (ZuApplication::instance())
