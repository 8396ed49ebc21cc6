// reelwright-dialogs: opens one of the program's settings dialogs on its
// own, with the user's real settings, until the main window that opens
// them is in place. Prints what an accepted dialog gives back.

#include "compilearguments.h"
#include "outputsetting.h"
#include "preferences.h"
#include "settingskeys.h"
#include "zuapplication.h"
#include "zupref.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

namespace {

void printLine(const QString& text)
{
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    ZuApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("reelwright-dialogs"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Opens one of Reelwright's dialogs with your own settings, which it reads and changes.\n"
                       "Exit status: 0 accepted, 1 cancelled, 2 bad command line or settings."));
    parser.addHelpOption();
    const QCommandLineOption outputOption(QStringLiteral("output"),
                                          QStringLiteral("The output settings dialog (profile, folder, name)."));
    const QCommandLineOption preferencesOption(QStringLiteral("preferences"),
                                               QStringLiteral("The preferences dialog."));
    parser.addOptions({outputOption, preferencesOption});
    parser.process(app);
    if (parser.isSet(outputOption) == parser.isSet(preferencesOption)) {
        std::fprintf(stderr, "reelwright-dialogs: give one of --output and --preferences (see --help).\n");
        return 2;
    }
    if (!app.initCfg(nullptr, true)) {
        std::fprintf(stderr, "reelwright-dialogs: the settings file %s cannot be read or written.\n",
                     qPrintable(app.configFile()));
        return 2;
    }
    app.installTranslators();

    if (parser.isSet(preferencesOption)) {
        Preferences dialog;
        if (dialog.exec() != QDialog::Accepted)
            return 1;
        ZuPref* pref = ZuApplication::pref();
        printLine(QStringLiteral("OutputPath=%1").arg(pref->value(SettingsKey::OutputPath).toString()));
        printLine(QStringLiteral("auto_check_update_enable=%1")
                      .arg(pref->value(SettingsKey::AutoCheckUpdateEnable).toBool() ? "true" : "false"));
        printLine(QStringLiteral("auto_check_update_interval=%1")
                      .arg(pref->value(SettingsKey::AutoCheckUpdateInterval).toInt()));
        return 0;
    }

    OutputSetting dialog;
    if (dialog.exec() != QDialog::Accepted)
        return 1;
    const ZumProfileData profile = dialog.profileData();
    RenderParam param;
    renderParamsFromProfile(param, profile);
    const QString folder = ZuApplication::pref()->value(SettingsKey::OutputPath).toString();
    const QString file = uniqueOutputFile(folder, dialog.outputFilename(), profileExtension(profile));
    printLine(QStringLiteral("profile: %1 (%2)").arg(profile.url, profile.name));
    printLine(QStringLiteral("file: %1").arg(QDir::toNativeSeparators(file)));
    printLine(
        QStringLiteral("encoder arguments: %1").arg(compileArguments(profile, param, file).join(QLatin1Char(' '))));
    return 0;
}
