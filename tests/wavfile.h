// 16-bit PCM WAV files for the sound tests, written sample by sample so that
// every value a test later decodes is known.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <functional>

// Writes `frames` frames of `channels` channels at `rate`; sample i of every
// channel is value(i). Returns `path`, or an empty string when it cannot.
inline QString writeWav(const QString& path, int rate, int channels, int frames,
                        const std::function<qint16(int)>& value)
{
    QByteArray data;
    data.reserve(frames * channels * 2);
    for (int i = 0; i < frames; ++i) {
        const qint16 v = qToLittleEndian(value(i));
        for (int c = 0; c < channels; ++c)
            data.append(reinterpret_cast<const char*>(&v), 2);
    }
    QByteArray header;
    const auto u32 = [&](quint32 v) {
        v = qToLittleEndian(v);
        header.append(reinterpret_cast<const char*>(&v), 4);
    };
    const auto u16 = [&](quint16 v) {
        v = qToLittleEndian(v);
        header.append(reinterpret_cast<const char*>(&v), 2);
    };
    header.append("RIFF");
    u32(quint32(36 + data.size()));
    header.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(quint16(channels));
    u32(quint32(rate));
    u32(quint32(rate * channels * 2));
    u16(quint16(channels * 2));
    u16(16);
    header.append("data");
    u32(quint32(data.size()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header + data) != header.size() + data.size())
        return {};
    return path;
}
