// The built program started as a process (its own temporary and
// configuration folders, so no other running copy interferes), and the
// German catalogue reaching every open window.

#include "apptests.h"

#include "filesfromurls.h"
#include "outputsetting.h"
#include "reelwright.h"
#include "zulangitemmodel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QMenuBar>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

const QByteArray kLauncherText("command:close splash screen");

QString program() { return QStringLiteral(REELWRIGHT_APP_DIR "/reelwright"); }

// X windows whose title contains `title`, as the X server lists them.
int windowsTitled(const QString& title)
{
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!tree.waitForFinished(10000))
        return -1;
    return int(QString::fromUtf8(tree.readAllStandardOutput()).count(QLatin1Char('"') + title));
}

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

    void prepare(QProcess& p, const QString& executable = program())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("ALSOFT_DRIVERS"), QStringLiteral("null"));
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.remove(QStringLiteral("REELWRIGHT_DEV_ALBUM"));
        p.setProcessEnvironment(env);
        p.setProgram(executable);
    }

    // The menu entry opens what a file manager hands it, and the album
    // file is a type of its own there.
    static void checkFileTypes(const QString& prefix)
    {
        QFile desktopFile(prefix + QStringLiteral("/share/applications/reelwright.desktop"));
        QVERIFY(desktopFile.open(QIODevice::ReadOnly));
        QMap<QByteArray, QString> entry;
        for (const QByteArray& line : desktopFile.readAll().split('\n'))
            if (const qsizetype eq = line.indexOf('='); eq > 0)
                entry[line.left(eq)] = QString::fromUtf8(line.mid(eq + 1));
        QCOMPARE(entry.value("Exec"), QStringLiteral("reelwright %F"));
        const QStringList mimeTypes = entry.value("MimeType").split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QVERIFY(mimeTypes.contains(QStringLiteral("application/x-reelwright-album")));
        // Every photo and sound the import dialogs take, by the type the
        // desktop's database gives its name.
        const QMimeDatabase types;
        for (const QString& filter : photoNameFilters() + audioNameFilters()) {
            const QString name = QStringLiteral("x") + filter.mid(1);
            for (const QMimeType& type : types.mimeTypesForFileName(name)) {
                if (!type.name().startsWith(QLatin1String("image/")) &&
                    !type.name().startsWith(QLatin1String("audio/")))
                    continue;
                const QStringList names = type.aliases() << type.name();
                const bool listed =
                    std::any_of(names.begin(), names.end(), [&](const QString& n) { return mimeTypes.contains(n); });
                QVERIFY2(listed, qPrintable(name + QStringLiteral(": ") + type.name()));
            }
        }

        QFile xml(prefix + QStringLiteral("/share/mime/packages/reelwright-album.xml"));
        QVERIFY(xml.open(QIODevice::ReadOnly));
        QXmlStreamReader reader(&xml);
        QString type, glob, parent, lang;
        QMap<QString, QString> comments;
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = reader.attributes();
            if (reader.name() == QLatin1String("mime-type"))
                type = a.value(QStringLiteral("type")).toString();
            else if (reader.name() == QLatin1String("glob"))
                glob = a.value(QStringLiteral("pattern")).toString();
            else if (reader.name() == QLatin1String("sub-class-of"))
                parent = a.value(QStringLiteral("type")).toString();
            else if (reader.name() == QLatin1String("comment")) {
                lang = a.value(QStringLiteral("xml:lang")).toString();
                comments[lang] = reader.readElementText();
            }
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QCOMPARE(type, QStringLiteral("application/x-reelwright-album"));
        QCOMPARE(glob, QStringLiteral("*.reelwright"));
        QCOMPARE(parent, QStringLiteral("application/json"));
        QCOMPARE(comments.value(QString()), QStringLiteral("Reelwright album"));
        QCOMPARE(comments.value(QStringLiteral("de")), QStringLiteral("Reelwright-Album"));

        // Where the tool that rebuilds the type database is there, the
        // install ran it, so the new type is known at once.
        if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
            QFile globs(prefix + QStringLiteral("/share/mime/globs2"));
            QVERIFY(globs.open(QIODevice::ReadOnly));
            QVERIFY(globs.readAll().contains(":application/x-reelwright-album:*.reelwright"));
        }
    }

private slots:
    void secondStartLeavesTheFirstRunning()
    {
        QProcess first;
        prepare(first);
        first.start();
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(first.peek(1024).contains(kLauncherText), 30000);
        QCOMPARE(first.peek(1024), kLauncherText);

        QProcess second;
        prepare(second);
        second.setArguments({QStringLiteral("ignored-argument")});
        second.start();
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardOutput().isEmpty());
        QCOMPARE(first.state(), QProcess::Running);

        // SIGTERM ends the loop the way closing the window does.
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(first.readAllStandardOutput(), kLauncherText + kLauncherText);

        // Both starts opened the preference file before anything asked for
        // a setting, so no throw-away store was made.
        QFile log(home.filePath(QStringLiteral("reelwright.1.log")));
        const QByteArray logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        QVERIFY2(!logged.contains("no preference store opened"), logged.constData());
    }

    // A plain run keeps its debug lines to itself; QT_LOGGING_RULES turns
    // on one subsystem's, such as the window's scroll range.
    void debugLinesFollowTheRules_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<bool>("scrollRange");
        QTest::newRow("plain run") << QString() << false;
        QTest::newRow("ui on") << QStringLiteral("reelwright.ui.debug=true") << true;
        QTest::newRow("render on") << QStringLiteral("reelwright.render.debug=true") << false;
    }

    void debugLinesFollowTheRules()
    {
        QFETCH(QString, rules);
        QFETCH(bool, scrollRange);
        QProcess run;
        prepare(run);
        QProcessEnvironment env = run.processEnvironment();
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (!rules.isEmpty())
            env.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
        run.setProcessEnvironment(env);
        run.start();
        QVERIFY(run.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(run.peek(1024).contains(kLauncherText), 30000);
        // Laying out the shown window sets the scroll range; a run that
        // would write the line has written it long before the wait is over.
        // Qt puts the category's name before the message.
        const QRegularExpression line(QStringLiteral("^(reelwright\\.ui: )?maximum=\\d+$"),
                                      QRegularExpression::MultilineOption);
        QString errors;
        const auto written = [&] {
            errors += QString::fromLocal8Bit(run.readAllStandardError());
            return errors.contains(line);
        };
        if (scrollRange)
            QTRY_VERIFY_WITH_TIMEOUT(written(), 20000);
        else
            QTest::qWait(3000);
        run.terminate();
        QVERIFY(run.waitForFinished(20000));
        QVERIFY2(written() == scrollRange, qPrintable(errors));
    }

    void brokenInstallation()
    {
        // The program alone, without pattern/ and profiles/ beside it.
        const QString lonely = home.filePath(QStringLiteral("lonely/reelwright"));
        QDir().mkpath(home.filePath(QStringLiteral("lonely")));
        QVERIFY(QFile::copy(program(), lonely));

        QProcess withArgument;
        prepare(withArgument, lonely);
        withArgument.setArguments({QStringLiteral("photo.jpg")});
        withArgument.start();
        QVERIFY(withArgument.waitForFinished(20000));
        QCOMPARE(withArgument.exitCode(), 0);
        QVERIFY(withArgument.readAllStandardOutput().isEmpty());

        QProcess plain;
        prepare(plain, lonely);
        plain.start();
        QVERIFY(plain.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(windowsTitled(QStringLiteral("Error")), 1, 20000);
        QCOMPARE(plain.state(), QProcess::Running);
        plain.kill();
        plain.waitForFinished();
        QVERIFY(plain.readAllStandardOutput().isEmpty());
    }

    void installedLauncher()
    {
        // The build tree the program came from installs into a fresh prefix.
        const QString prefix = home.filePath(QStringLiteral("prefix"));
        QProcess install;
        install.start(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(REELWRIGHT_APP_DIR "/.."),
                                                QStringLiteral("--prefix"), prefix});
        QVERIFY(install.waitForFinished(120000));
        QCOMPARE(install.exitCode(), 0);
        for (const char* file :
             {"share/applications/reelwright.desktop", "share/metainfo/reelwright.metainfo.xml",
              "share/icons/hicolor/scalable/apps/reelwright.svg", "lib/reelwright/translations/reelwright_de.qm"})
            QVERIFY2(QFile::exists(prefix + QLatin1Char('/') + QLatin1String(file)), file);
        checkFileTypes(prefix);
        if (QTest::currentTestFailed())
            return;

        // The launcher finds the program from wherever it is called.
        QProcess launcher;
        prepare(launcher, prefix + QStringLiteral("/bin/reelwright"));
        launcher.setArguments({QStringLiteral("--version")});
        launcher.setWorkingDirectory(QDir::rootPath());
        launcher.start();
        QVERIFY(launcher.waitForFinished(20000));
        QCOMPARE(launcher.exitCode(), 0);
        QVERIFY(launcher.readAllStandardOutput().startsWith("Reelwright "));
    }

    void germanReachesEveryOpenWindow()
    {
        Reelwright window;
        window.show();
        OutputSetting settings(&window);
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QMenu* fileMenu = window.menuBar()->actions().first()->menu();
        QCOMPARE(fileMenu->title(), QStringLiteral("&File"));
        const QString englishTitle = settings.windowTitle();

        // The catalogue the build made, found the way the language menu finds it.
        ZuLangItemModel languages;
        languages.scan(QStringLiteral(REELWRIGHT_APP_DIR "/translations"));
        const ZuLang* de = languages.lang(QStringLiteral("de"));
        QVERIFY(de);
        QTranslator german;
        QVERIFY(german.load(de->qmFile()));
        QApplication::installTranslator(&german);
        QTRY_COMPARE(fileMenu->title(), QStringLiteral("&Datei"));
        QVERIFY(settings.windowTitle().startsWith(QStringLiteral("Ausgabeeinstellungen")));
        QVERIFY(window.findChild<QAction*>(QStringLiteral("actionCreateVideo"))->text().contains(u"Videodatei"));

        QApplication::removeTranslator(&german);
        QTRY_COMPARE(fileMenu->title(), QStringLiteral("&File"));
        QCOMPARE(settings.windowTitle(), englishTitle);
    }
};

} // namespace

std::unique_ptr<QObject> makeStartupTests() { return std::make_unique<TestStartup>(); }

#include "tst_startup.moc"
