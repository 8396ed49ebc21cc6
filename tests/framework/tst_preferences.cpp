// The preference store: its file and defaults, unwritable folders, the program folder, integrity, command line.
#include "qtsingleapplication.h"
#include "testsupport.h"
#include "zupref.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

class PreferencesTests : public QObject
{
    Q_OBJECT
private slots:
    void valuesReachTheFileAtOnce_data();
    void valuesReachTheFileAtOnce();
    void unsetKeyGivesTheDefault();
    void storeFileFollowsTheConfigurationName_data();
    void storeFileFollowsTheConfigurationName();
    void applicationStoreIsTheSharedOne();
    void storeInUnwritableFolderIsRefused();
    void appDirCanBeOverridden();
    void integrityNeedsPatternAndProfiles_data();
    void integrityNeedsPatternAndProfiles();
    void commandLine_data();
    void commandLine();
};

void PreferencesTests::valuesReachTheFileAtOnce_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("int") << QStringLiteral("AfterBurnAction") << QVariant(4);
    QTest::newRow("bool") << QStringLiteral("FirstStart") << QVariant(false);
    QTest::newRow("path") << QStringLiteral("OutputPath") << QVariant(QStringLiteral("/home/u/Vidéos/ä b"));
    QTest::newRow("separator in text") << QStringLiteral("recent_profiles") << QVariant(QStringLiteral("a|b=c;d,e"));
    QTest::newRow("list") << QStringLiteral("list") << QVariant(QStringList{"x", "y z"});
    QTest::newRow("empty text") << QStringLiteral("update_version") << QVariant(QString());
}

void PreferencesTests::valuesReachTheFileAtOnce()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("prefs.ini"));
    ZuPref pref(file);
    QVERIFY(pref.setValue(key, value));

    // Another reader of the file, not sharing the store's object, sees it.
    QVERIFY(QFile::exists(file));
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QVERIFY2(raw.readAll().contains(key.toUtf8()), "key not written to disk");

    ZuPref again(file);
    QCOMPARE(again.value(key, QStringLiteral("unset")).toString(), value.toString());
    if (value.userType() == QMetaType::QStringList)
        QCOMPARE(again.value(key).toStringList(), value.toStringList());
}

void PreferencesTests::unsetKeyGivesTheDefault()
{
    QTemporaryDir dir;
    ZuPref pref(dir.filePath(QStringLiteral("p.ini")));
    QCOMPARE(pref.value(QStringLiteral("AfterBurnAction"), 5).toInt(), 5);
    QVERIFY(!pref.value(QStringLiteral("OutputPath")).isValid());
    pref.setValue(QStringLiteral("AfterBurnAction"), 0);
    QCOMPARE(pref.value(QStringLiteral("AfterBurnAction"), 5).toInt(), 0);
}

void PreferencesTests::storeFileFollowsTheConfigurationName_data()
{
    QTest::addColumn<QString>("name"); // "<abs>" stands for an absolute path inside the folder
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QString() << QStringLiteral("cfg/reelwright.ini");
    QTest::newRow("bare name") << QStringLiteral("other") << QStringLiteral("cfg/other.ini");
    QTest::newRow("name with suffix") << QStringLiteral("x.ini") << QStringLiteral("cfg/x.ini");
    QTest::newRow("path") << QStringLiteral("<abs>/deep/er/given.ini") << QStringLiteral("deep/er/given.ini");
}

void PreferencesTests::storeFileFollowsTheConfigurationName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    ZuApplication* app = zuApp;
    const QString oldFile = app->configFile();
    const QString oldFolder = ZuApplication::configFolder();
    ZuApplication::setConfigFolder(dir.filePath(QStringLiteral("cfg")));
    name.replace(QStringLiteral("<abs>"), dir.path());

    const QByteArray local = name.toLocal8Bit();
    QVERIFY(app->initCfg(name.isNull() ? nullptr : local.constData(), true));
    QCOMPARE(app->configFile(), dir.filePath(expected));
    ZuApplication::pref()->setValue(QStringLiteral("OutputName"), QStringLiteral("probe"));
    QCOMPARE(QSettings(dir.filePath(expected), QSettings::IniFormat).value(QStringLiteral("OutputName")).toString(),
             QStringLiteral("probe"));

    // Back to the store main() opened.
    ZuApplication::setConfigFolder(oldFolder);
    QVERIFY(app->initCfg(oldFile.toLocal8Bit().constData(), true));
}

void PreferencesTests::applicationStoreIsTheSharedOne()
{
    QVERIFY(ZuApplication::pref() == ZuPref::instance());
    QVERIFY(QFileInfo(ZuApplication::pref()->fileName()).absolutePath() == ZuApplication::configFolder());

    // A test without an application registers its own store.
    QTemporaryDir dir;
    {
        ZuPref own(dir.filePath(QStringLiteral("own.ini")));
        ZuPref* previous = ZuPref::instance();
        ZuPref::setInstance(&own);
        QCOMPARE(ZuApplication::pref(), &own);
        ZuPref::setInstance(previous);
    }
}

void PreferencesTests::storeInUnwritableFolderIsRefused()
{
    ZuApplication* app = zuApp;
    const QString oldFile = app->configFile();
    // /proc refuses new files to everybody, root included.
    QVERIFY(!app->initCfg("/proc/reelwright-test/prefs.ini", true));
    QVERIFY(app->initCfg(oldFile.toLocal8Bit().constData(), true));
}

void PreferencesTests::appDirCanBeOverridden()
{
    QTemporaryDir dir;
    {
        AppDirOverride over(dir.path() + QLatin1Char('/'));
        QCOMPARE(ZuPref::appDir(), dir.path());
    }
    QCOMPARE(ZuPref::appDir(), QCoreApplication::applicationDirPath());
    QVERIFY(!ZuPref::appDir().endsWith(QLatin1Char('/')));
}

void PreferencesTests::integrityNeedsPatternAndProfiles_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("intact");
    QTest::newRow("both") << QStringList{"pattern", "profiles"} << QStringList{} << true;
    QTest::newRow("both and more") << QStringList{"pattern", "profiles", "translations"} << QStringList{"zirc"} << true;
    QTest::newRow("no pattern") << QStringList{"profiles"} << QStringList{} << false;
    QTest::newRow("no profiles") << QStringList{"pattern"} << QStringList{} << false;
    QTest::newRow("empty") << QStringList{} << QStringList{} << false;
    QTest::newRow("pattern is a file") << QStringList{"profiles"} << QStringList{"pattern"} << false;
    QTest::newRow("profiles is a file") << QStringList{"pattern"} << QStringList{"profiles"} << false;
}

void PreferencesTests::integrityNeedsPatternAndProfiles()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, files);
    QFETCH(bool, intact);
    QTemporaryDir dir;
    QDir root(dir.path());
    for (const QString& f : folders)
        QVERIFY(root.mkdir(f));
    for (const QString& f : files) {
        QFile file(root.filePath(f));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    AppDirOverride over(dir.path());
    QCOMPARE(ZuApplication::checkIntegrality(), intact);
}

void PreferencesTests::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("consumed");
    QTest::addColumn<QStringList>("mustPrint");
    const QStringList version{QStringLiteral("Reelwright ") + QCoreApplication::applicationVersion()};
    QTest::newRow("help") << QStringList{"reelwright", "--help"} << true
                          << QStringList{"Usage: reelwright", "--help", "--version"};
    QTest::newRow("version") << QStringList{"reelwright", "--version"} << true << version;
    QTest::newRow("version after other words") << QStringList{"reelwright", "a.jpg", "--version"} << true << version;
    QTest::newRow("nothing") << QStringList{"reelwright"} << false << QStringList{};
    QTest::newRow("a file") << QStringList{"reelwright", "photo.jpg"} << false << QStringList{};
    QTest::newRow("near miss") << QStringList{"reelwright", "-version"} << false << QStringList{};
    QTest::newRow("program named like an option") << QStringList{"--help"} << false << QStringList{};
}

void PreferencesTests::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, consumed);
    QFETCH(QStringList, mustPrint);
    QString printed;
    QTextStream out(&printed);
    QCOMPARE(zuApp->processCmdLine(arguments, out), consumed);
    out.flush();
    if (!consumed)
        QVERIFY(printed.isEmpty());
    for (const QString& text : mustPrint)
        QVERIFY2(printed.contains(text), qPrintable(printed));
    if (consumed)
        QVERIFY(printed.endsWith(QLatin1Char('\n')));
    if (QByteArray(QTest::currentDataTag()) == "version")
        QVERIFY2(QRegularExpression(QStringLiteral("^Reelwright \\d+\\.\\d+\\.\\d+\n$")).match(printed).hasMatch(),
                 qPrintable(printed));
}

std::unique_ptr<QObject> makePreferencesTests() { return std::make_unique<PreferencesTests>(); }

#include "tst_preferences.moc"
