// Shared pieces of the render test program.
#pragma once

#include "wavfile.h"
#include "avpicture.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QPair>
#include <QVector>

#include <functional>
#include <memory>

class GLDrawer;
class QWidget;

std::unique_ptr<QObject> makeGLDrawerTests();
std::unique_ptr<QObject> makePatternTests();
std::unique_ptr<QObject> makeStoryBoardRenderTests();
std::unique_ptr<QObject> makeALStreamTests();
std::unique_ptr<QObject> makeAVPlayerTests();
std::unique_ptr<QObject> makePictureMemoryTests();
std::unique_ptr<QObject> makeSoundShapingTests();
std::unique_ptr<QObject> makeCaptionPaintTests();
std::unique_ptr<QObject> makeCaptionRenderTests();

QString mediaFile(const QString& name);
// The wipe pattern folder of the build's application folder.
QString patternFolder();

// A BGRA picture, bottom row first, of `image` (top row first), laid out as
// the image reader makes them.
FrameData bgraPicture(const QImage& image);
// A GRAY8 picture of the pattern file, as the renderer caches them.
FrameData greyPattern(const QString& path, int width, int height);
// The frame read back as an image, top row first whatever the drawer's
// vertical flip.
QImage readBack(GLDrawer& drawer);

// Largest difference of any colour channel between two images of one size
// (alpha ignored); 256 when the sizes differ.
int maxDifference(const QImage& a, const QImage& b);
bool nearColour(QRgb actual, QRgb expected, int tolerance);
QString colourText(QRgb colour);

// What the screen shows of `widget` now (grabbed from the window system, so
// it is what a person sees, after the window's compositing), at the
// widget's size in device-independent pixels.
QImage shownOnScreen(const QWidget& widget);

// Writes a 16-bit PCM WAV file whose sample i of each channel is value(i);

// The file OpenAL's sound device (the wave writer) writes what it plays to,
// complete once the device is closed; and its samples, interleaved stereo.
QString playedSoundFile();
QVector<qint16> playedSamples();

// Sample i of a test ramp is i % RampPeriod + 1: never 0, so it stands out
// from silence, and each sample tells where in the track it comes from.
constexpr int RampPeriod = 32000;
qint16 ramp(qint64 i);
// Stretches of sound (non-zero left samples) in played stereo samples, as
// first sample frame and length in sample frames.
QVector<QPair<int, int>> stretches(const QVector<qint16>& played);
// Sample frames of `played` from `start` on that continue the ramp exactly
// in both channels.
int unbrokenFrom(const QVector<qint16>& played, int start);

// Offscreen platform: GL works for hidden widgets only; Qt 6.4 crashes when a
// QOpenGLWidget is shown there.
bool canShowGLWidgets();
