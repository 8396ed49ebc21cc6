// Shared pieces of the widgets test program.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Clip slider bar and the audio order dialog
std::unique_ptr<QObject> makeSliderBarTests();
std::unique_ptr<QObject> makeAudioOrderTests();

// Import dialog and photo strip
std::unique_ptr<QObject> makeImportProgressTests();
std::unique_ptr<QObject> makePhotoListWidgetTests();

// Audio strip, media information panel, getting-started label
std::unique_ptr<QObject> makeAudioStripTests();
std::unique_ptr<QObject> makeMediaInfoTests();

// Both strips over one album document
std::unique_ptr<QObject> makeStripDocumentTests();
std::unique_ptr<QObject> makeStripDragRulesTests();
std::unique_ptr<QObject> makeStripUndoTests();

// Caption editor and dialog
std::unique_ptr<QObject> makeCaptionEditorTests();

QString mediaFile(const QString& name);
