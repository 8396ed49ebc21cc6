// Shared pieces of the output test program: generated pictures and sound, and
// a decoder that reads a written file back with libavformat.
#pragma once

#include "avpicture.h"
#include "storyboard.h"

#include <QImage>
#include <QMap>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

std::unique_ptr<QObject> makeAVWriterTests();
std::unique_ptr<QObject> makeZircTests();
std::unique_ptr<QObject> makeCompileArgumentTests();
std::unique_ptr<QObject> makeCompileTests();
std::unique_ptr<QObject> makeOutputSettingTests();
std::unique_ptr<QObject> makeCompileSoundTests();
std::unique_ptr<QObject> makeCompileCaptionTests();

RenderParam renderParam(int width, int height, double frameRate, int sampleRate, int channels);

// Interleaved 16-bit samples of a 440 Hz tone.
std::vector<short> sineWave(int samplesPerChannel, int channels, int sampleRate);

// An RGBA picture: four coloured quadrants and a white square whose place
// depends on `index`. The caller frees it with freePicture.
AVPicture testPicture(int width, int height, int index);

struct DecodedFile {
    bool opened = false;
    bool hasVideo = false;
    int videoFrames = 0;
    bool ptsIncreasing = true;
    int width = 0;
    int height = 0;
    AVPicture firstFrame{};  // RGBA, owned
    qint64 audioSamples = 0; // per channel
    int audioChannels = 0;
    std::vector<short> firstSamples; // up to 4096 interleaved values, when the sound decodes to S16
    int videoCodec = 0;              // AVCodecID
    int videoProfile = -99;          // as the file's stream tells it (FF_PROFILE_*)
    int videoLevel = -99;
    quint32 videoTag = 0; // the container's FourCC of the video stream
    int audioCodec = 0;
    int sampleRate = 0;
    double frameRate = 0;                // the video stream's average rate
    double audioPeak = 0;                // largest sample, 1 = full scale
    qint64 videoBytes = 0;               // size of the video packets
    std::vector<quint64> frameChecksums; // one per decoded picture
    QMap<int, QImage> frames;            // the pictures asked for, by number
    DecodedFile() = default;
    DecodedFile(DecodedFile&& other) noexcept;
    DecodedFile(const DecodedFile&) = delete;
    ~DecodedFile();
};

// Decodes every stream of a file to the end, keeping the pictures numbered
// in `keep` as images.
DecodedFile decodeFile(const QString& path, const QList<int>& keep = {});

// Mean absolute difference of the R, G and B bytes of two RGBA pictures.
double meanDifference(const AVPicture& a, const AVPicture& b, int width, int height);
