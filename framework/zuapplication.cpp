#include "zuapplication.h"

#include "settingskeys.h"
#include "writelog.h"
#include "zulangitemmodel.h"
#include "zumainwindow.h"
#include "zupref.h"
#include "zuskinitemmodel.h"
#include "zuupdatecheck.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QTimer>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

#ifndef REELWRIGHT_VERSION
#define REELWRIGHT_VERSION "0.0.0"
#endif

namespace {

QMutex g_configMutex;
QString g_configFolder;

} // namespace

ZuApplication::ZuApplication(int& argc, char** argv)
    : QApplication(argc, argv)
    , m_langModel(new ZuLangItemModel(this))
    , m_skinModel(new ZuSkinItemModel(this))
{
    setApplicationName(ZuPref::appCode());
    setApplicationDisplayName(ZuPref::product_name());
    setApplicationVersion(QStringLiteral(REELWRIGHT_VERSION));

    m_langModel->scan(ZuPref::appDir() + QStringLiteral("/translations"));
    m_langModel->setCurrentLang(m_langModel->bestMatch(QLocale::system())->name());
    connect(m_langModel, &ZuLangItemModel::currentLangChanged, this, &ZuApplication::onLanguageChanged);
    connect(m_skinModel, &ZuSkinItemModel::currentSkinChanged, this, &ZuApplication::onSkinChanged);
    // The built-in skin is current from the start without a change signal;
    // its style sheet carries the looks of the skinnable widgets.
    if (const ZuSkin* skin = m_skinModel->currentSkin())
        setStyleSheet(skin->styleSheet());
}

ZuApplication::~ZuApplication()
{
    if (ZuPref::instance() == m_pref.get())
        ZuPref::setInstance(nullptr);
}

ZuApplication* ZuApplication::instance() { return qobject_cast<ZuApplication*>(QCoreApplication::instance()); }

bool ZuApplication::checkIntegrality()
{
    const QDir dir(ZuPref::appDir());
    return dir.exists(QStringLiteral("pattern")) && QFileInfo(dir.filePath(QStringLiteral("pattern"))).isDir() &&
           QFileInfo(dir.filePath(QStringLiteral("profiles"))).isDir();
}

bool ZuApplication::installTranslators()
{
    for (QTranslator* t : std::as_const(m_translators)) {
        removeTranslator(t);
        delete t;
    }
    m_translators.clear();

    const ZuLang* lang = m_langModel->currentLang();
    if (!lang)
        return false;
    const QLocale locale(lang->name());
    bool ok = true;
    if (!lang->qmFile().isEmpty()) {
        auto* own = new QTranslator(this);
        if (own->load(lang->qmFile())) {
            installTranslator(own);
            m_translators.append(own);
        } else {
            WriteLog(QStringLiteral("ZuApplication: cannot load %s\n"), lang->qmFile().toLocal8Bit().constData());
            delete own;
            ok = false;
        }
    }
    // Qt's own texts (standard buttons, dialogs) follow when Qt ships them.
    auto* qt = new QTranslator(this);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(qt);
        m_translators.append(qt);
    } else {
        delete qt;
    }
    return ok;
}

void ZuApplication::setConfigFolder(const QString& folder)
{
    QMutexLocker lock(&g_configMutex);
    g_configFolder = folder;
}

QString ZuApplication::configFolder()
{
    {
        QMutexLocker lock(&g_configMutex);
        if (!g_configFolder.isEmpty())
            return g_configFolder;
    }
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QLatin1Char('/') + ZuPref::product_name();
}

bool ZuApplication::initCfg(const char* name, bool createFolder)
{
    QString file;
    const QString given = name ? QString::fromLocal8Bit(name) : QString();
    if (given.isEmpty()) {
        file = configFolder() + QLatin1Char('/') + ZuPref::appCode() + QStringLiteral(".ini");
    } else if (given.contains(QLatin1Char('/')) || given.contains(QLatin1Char('\\'))) {
        file = QFileInfo(given).absoluteFilePath();
    } else {
        file = configFolder() + QLatin1Char('/') + given;
        if (!given.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive))
            file += QStringLiteral(".ini");
    }

    const QString folder = QFileInfo(file).absolutePath();
    if (createFolder && !QDir().mkpath(folder)) {
        WriteLog(QStringLiteral("ZuApplication: cannot create %s\n"), folder.toLocal8Bit().constData());
        return false;
    }

    // Before the first store there is nothing to carry over; asking
    // ZuPref::instance() would open a throw-away store to read the default.
    const bool translucent = m_pref ? m_pref->tanslucentWhenSkin() : true;
    auto pref = std::make_unique<ZuPref>(file);
    pref->setTanslucentWhenSkin(translucent);
    if (m_pref && ZuPref::instance() == m_pref.get())
        ZuPref::setInstance(nullptr);
    m_pref = std::move(pref);
    ZuPref::setInstance(m_pref.get());

    const QString storedLang = m_pref->value(SettingsKey::Language).toString();
    if (!storedLang.isEmpty() && m_langModel->lang(storedLang))
        m_langModel->setCurrentLang(storedLang);
    const QString storedSkin = m_pref->value(SettingsKey::Skin).toString();
    if (!storedSkin.isEmpty())
        m_skinModel->setCurrentSkin(storedSkin);

    // An unreadable file or one in a folder we may not write would lose
    // every setting silently.
    if (!m_pref->sync()) {
        WriteLog(QStringLiteral("ZuApplication: preference file %s is not usable\n"), file.toLocal8Bit().constData());
        return false;
    }
    return true;
}

QString ZuApplication::configFile() const { return m_pref ? m_pref->fileName() : QString(); }

bool ZuApplication::processCmdLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    const bool consumed = processCmdLine(arguments, out);
    out.flush();
    return consumed;
}

bool ZuApplication::processCmdLine(const QStringList& arguments, QTextStream& out)
{
    const QStringList commands = arguments.mid(1);
    if (commands.contains(QStringLiteral("--help"))) {
        const QString program = arguments.isEmpty() ? ZuPref::appCode() : QFileInfo(arguments.first()).fileName();
        out << "Usage: " << program << " [--help] [--version]";
        if (!m_operandSynopsis.isEmpty())
            out << ' ' << m_operandSynopsis;
        out << '\n'
            << ZuPref::product_name() << " turns photos and music into a video.\n\n"
            << "  --help     show this text and exit\n"
            << "  --version  show the version and exit\n";
        if (!m_operandDescription.isEmpty())
            out << '\n' << m_operandDescription;
        return true;
    }
    if (commands.contains(QStringLiteral("--version"))) {
        out << ZuPref::product_name() << ' ' << REELWRIGHT_VERSION << '\n';
        return true;
    }
    return false;
}

void ZuApplication::setCmdLineOperands(const QString& synopsis, const QString& description)
{
    m_operandSynopsis = synopsis;
    m_operandDescription = description;
}

void ZuApplication::setMainWindow(ZuMainWindow* window) { m_mainWindow = window; }

ZuMainWindow* ZuApplication::mainWindow() const { return m_mainWindow; }

ZuPref* ZuApplication::pref() { return ZuPref::instance(); }

ZuUpdateCheck* ZuApplication::updateCheck()
{
    if (!m_updateCheck)
        m_updateCheck = new ZuUpdateCheck(this);
    return m_updateCheck;
}

int ZuApplication::exec()
{
    ZuApplication* app = instance();
    if (app && app->m_startSoftwareManage && app->mainWindow()) {
        // Once the loop runs, so the window is up before anything starts.
        QTimer::singleShot(0, app->updateCheck(), &ZuUpdateCheck::start);
    }
    return QApplication::exec();
}

void ZuApplication::notifyUpdater(const QString&, const QString&) {}

void ZuApplication::onLanguageChanged(const QString& name)
{
    // New translators send every widget a LanguageChange event, which the
    // framework's bases turn into retranslate().
    installTranslators();
    ZuPref::instance()->setValue(SettingsKey::Language, name);
    notifyUpdater(QStringLiteral("changeLang"), name);
}

void ZuApplication::onSkinChanged(const QString& name)
{
    if (const ZuSkin* skin = m_skinModel->skin(name))
        setStyleSheet(skin->styleSheet());
    ZuPref::instance()->setValue(SettingsKey::Skin, name);
    notifyUpdater(QStringLiteral("changeSkin"), name);
}
