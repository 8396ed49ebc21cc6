// The widgets test program: real widgets under Xvfb driven by QTest events.

#include "widgetstests.h"
#include "samplemedia.h"

#include <QApplication>
#include <QDir>
#include <QTest>

QString mediaFile(const QString& name) { return sampleMediaFile(name); }

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!sampleMediaPresent())
        return 1;
    std::vector<std::unique_ptr<QObject>> suites;
    // Clip slider bar and the audio order dialog
    suites.push_back(makeSliderBarTests());
    suites.push_back(makeAudioOrderTests());

    // Import dialog and photo strip
    suites.push_back(makeImportProgressTests());
    suites.push_back(makePhotoListWidgetTests());

    // Audio strip, media information panel, getting-started label
    suites.push_back(makeAudioStripTests());
    suites.push_back(makeMediaInfoTests());
    suites.push_back(makeStripDocumentTests());
    suites.push_back(makeStripDragRulesTests());
    suites.push_back(makeStripUndoTests());
    suites.push_back(makeCaptionEditorTests());

    int failures = 0;
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
