// The sample photos and music the tests read, kept in the project's samples/
// folder (samples/README.md says where each comes from).
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdio>

inline QString sampleMediaFile(const QString& name)
{
    return QDir(QStringLiteral(REELWRIGHT_MEDIA_DIR)).filePath(name);
}

// Checked before any test runs: a missing sample fails the program at once,
// naming the file, instead of somewhere deep inside a test.
inline bool sampleMediaPresent()
{
    static const char* const files[] = {
        "flower.jpg",     "raindrops.jpg",  "bird-exif6.jpg",   "clock-portrait-exif3.jpg",
        "knolls-20s.ogg", "elvish-15s.mp3", "sad-mono-22k.wav", "journeys-8s.m4a",
    };
    bool present = true;
    for (const char* name : files) {
        const QString path = sampleMediaFile(QString::fromLatin1(name));
        if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
            std::fprintf(stderr, "Sample file missing: %s\n", qPrintable(QDir::toNativeSeparators(path)));
            present = false;
        }
    }
    return present;
}
