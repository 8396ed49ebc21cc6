// Sound fixtures for the audio reader tests: test signals that are known at
// every instant, encoded into real files with our own FFmpeg code, and the
// measurements the tests make on decoded samples.
#pragma once

#include <QString>
#include <QVector>

#include <cstdint>

// Channel c carries amplitude x sin(2 pi (frequency[c] t + sweep[c] t^2 / 2)):
// a steady tone when the sweep is 0, a chirp otherwise. A chirp never
// repeats, so a stretch of it tells the time it was taken at.
struct TestSignal {
    int sampleRate = 44100;
    int channels = 1;
    double seconds = 2.0;
    double amplitude = 0.5;           // of full scale
    QVector<double> frequency{440.0}; // Hz at t = 0, one per channel (the last repeats)
    QVector<double> sweep{0.0};       // Hz per second, one per channel (the last repeats)
    double silentLead = 0.0;          // seconds of silence the file starts with (part of `seconds`)

    double value(int channel, double t) const; // -1..1
    qint64 sampleCount() const;
};

struct FixtureOptions {
    int bitRate = 0;         // 0: the encoder's default
    int frameSize = 0;       // samples per packet for encoders that let it be chosen
    bool videoFirst = false; // a small video stream before the sound
    bool videoOnly = false;  // the video stream and no sound at all
    int vbrQuality = -1;     // >= 0: variable bit rate at this quality scale (lower is better)
    QByteArray muxerOptions; // "key=value:key=value" for the muxer, e.g. "write_xing=0"
};

// Encodes `signal` with the named encoder into a file of the named muxer.
// False, with the reason in `error`, when any step fails.
bool writeSignalFile(const QString& path, const char* muxer, const char* encoder, const TestSignal& signal,
                     const FixtureOptions& options, QString* error);

// The signal's exact samples as interleaved 16-bit values.
QVector<int16_t> signalSamples(const TestSignal& signal);

// One channel of interleaved 16-bit samples, scaled to -1..1.
QVector<double> channelOf(const int16_t* samples, qint64 frames, int channels, int channel);
QVector<double> channelOf(const QVector<int16_t>& samples, int channels, int channel);

// The frequency of a steady tone from the interpolated times of its first and
// last rising zero crossings; 0 when there are fewer than two.
double zeroCrossingFrequency(const QVector<double>& x, int sampleRate);

// The amplitude of a steady tone (its RMS times the square root of 2).
double toneAmplitude(const QVector<double>& x);

// The share of the energy of x that lies in the tone of `frequency`, by a
// least-squares fit of a sine and cosine of that frequency: 1 for a pure tone.
// The fitted amplitude of that tone goes to `amplitude` when given.
double tonePurity(const QVector<double>& x, double frequency, int sampleRate, double* amplitude = nullptr);

// Where `piece` fits best in `reference`: the offset within
// [expected - search, expected + search] with the highest normalised
// correlation, which is returned in `correlation` (1 = identical shape).
qint64 bestOffset(const QVector<double>& reference, const QVector<double>& piece, qint64 expected, qint64 search,
                  double* correlation);
