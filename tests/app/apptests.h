// Shared pieces of the app test program.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <memory>

std::unique_ptr<QObject> makeReelwrightTests();
std::unique_ptr<QObject> makeStartupTests();
std::unique_ptr<QObject> makePreferencesTests();
std::unique_ptr<QObject> makeAlbumWindowTests();
std::unique_ptr<QObject> makeLaunchTests();
std::unique_ptr<QObject> makeCaptionsTests();

// What libavformat reads back from a compiled file.
struct DecodedVideo {
    bool opened = false;
    int frames = 0;
    int width = 0;
    int height = 0;
    double frameRate = 0.0;
    double soundSeconds = 0.0; // decoded samples per channel / sample rate
    QImage firstFrame;         // RGB32
};

DecodedVideo decodeVideo(const QString& path);
