// A metronome for the beat tests: short decaying 1 kHz clicks at a known
// tempo, written as 16-bit mono WAV, so every beat time is known exactly.
#pragma once

#include "wavfile.h"

#include <QString>
#include <QVector>

#include <cmath>
#include <cstdint>

struct ClickTrack {
    double bpm = 120.0;
    double lead = 0.0; // seconds of silence before the first click
    double seconds = 20.0;
    int sampleRate = 44100;

    QVector<double> clicks() const
    {
        QVector<double> times;
        for (double t = lead; t < seconds - 0.05; t += 60.0 / bpm)
            times.append(t);
        return times;
    }

    bool write(const QString& path) const
    {
        const qint64 frames = qint64(seconds * sampleRate);
        QVector<int16_t> samples(frames, 0);
        const int clickLength = sampleRate / 50; // 20 ms
        for (const double t : clicks()) {
            const qint64 first = qint64(std::llround(t * sampleRate));
            for (int i = 0; i < clickLength && first + i < frames; ++i) {
                const double envelope = std::exp(-double(i) / (clickLength / 5.0));
                const double wave = std::sin(2.0 * M_PI * 1000.0 * i / sampleRate);
                samples[first + i] = int16_t(std::lround(0.8 * 32767.0 * envelope * wave));
            }
        }
        return !writeWav(path, sampleRate, 1, int(frames), [&samples](int i) { return qint16(samples[i]); }).isEmpty();
    }
};
