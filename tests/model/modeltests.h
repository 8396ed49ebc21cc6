// Shared pieces of the model test program.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <memory>

std::unique_ptr<QObject> makeTimeFunctionsTests();
std::unique_ptr<QObject> makeRecordsTests();
std::unique_ptr<QObject> makeExifTests();
std::unique_ptr<QObject> makeImageReaderTests();
std::unique_ptr<QObject> makeEmbeddedPreviewTests();

// A file of the shared sample media.
QString mediaFile(const QString& name);

// Four solid quadrants, so that turns, mirrors and row order all show:
// top left red, top right green, bottom left blue, bottom right white.
QImage quadrantImage(int width, int height);
inline constexpr QRgb QuadrantTopLeft = 0xFFFF0000;
inline constexpr QRgb QuadrantTopRight = 0xFF00FF00;
inline constexpr QRgb QuadrantBottomLeft = 0xFF0000FF;
inline constexpr QRgb QuadrantBottomRight = 0xFFFFFFFF;

// Writes the EXIF Orientation tag into an existing image file (0 removes it).
bool writeExifOrientation(const QString& path, int orientation);

QByteArray fileBytes(const QString& path);
bool writeBytes(const QString& path, const QByteArray& bytes);
