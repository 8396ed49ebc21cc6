#include "clipplayer.h"

#include "writelog.h"

#include <algorithm>
#include <climits>
#include <cstring>

ClipPlayer::ClipPlayer(const char* deviceName)
    : m_stream(bufferCount, deviceName)
{
    const AudioInfo target = targetFormat();
    m_stream.setFormat(target.channels, target.sampleRate);
    if (!m_samples.allocate(qint64(bufferCount) * chunkBytes()))
        WriteLog(QStringLiteral("ClipPlayer: no memory for the sound buffer\n"));
}

AudioInfo ClipPlayer::targetFormat()
{
    AudioInfo target;
    target.channels = 2;
    target.sampleRate = 44100;
    target.bitsPerSample = 16;
    target.startTime = 0;
    target.endTime = INT_MAX;
    return target;
}

int ClipPlayer::chunkBytes()
{
    const AudioInfo target = targetFormat();
    return target.sampleRate * target.channels * target.bitsPerSample / 8 / chunksPerSecond;
}

bool ClipPlayer::open(const QString& path)
{
    stop();
    m_reader.close();
    const bool ok = m_reader.open(path, targetFormat());
    if (!ok)
        WriteLog(QStringLiteral("ClipPlayer: %s: %s\n"), path.toLocal8Bit().constData(),
                 m_reader.errorString().toLocal8Bit().constData());
    return ok;
}

void ClipPlayer::start(double seconds)
{
    m_stream.stop();
    reposition(seconds);
    queueFreeBuffers();
    m_stream.play();
}

void ClipPlayer::reposition(double seconds)
{
    m_reader.seek(seconds);
    m_samples.length = 0;
    m_samples.consumed = 0;
    m_remainder = 0;
    m_exhausted = false;
}

int ClipPlayer::update()
{
    const int played = m_stream.takeProcessed();
    if (played > 0)
        queueFreeBuffers();
    return played;
}

void ClipPlayer::stop()
{
    m_stream.stop();
    m_remainder = 0;
}

void ClipPlayer::setGain(float gain) { m_stream.setGain(gain); }

void ClipPlayer::queueFreeBuffers()
{
    while (m_stream.freeBuffers() > 0) {
        const QByteArray& chunk = nextChunk();
        if (!m_stream.queue(chunk.constData(), int(chunk.size())))
            break;
    }
}

const QByteArray& ClipPlayer::nextChunk()
{
    const int chunk = chunkBytes();
    auto* bytes = reinterpret_cast<char*>(m_samples.samples);
    while (bytes) {
        const int unread = m_samples.length - m_samples.consumed;
        if (unread >= chunk) {
            int n = chunk + m_remainder;
            m_remainder = n % 4;
            n -= n % 4;
            n = std::min(n, unread);
            m_chunk = QByteArray(bytes + m_samples.consumed, n);
            m_samples.consumed += n;
            if (m_samples.consumed == m_samples.length)
                m_samples.length = m_samples.consumed = 0;
            return m_chunk;
        }
        if (m_reader.endOfStream || m_exhausted) {
            // The file's last sound, padded to a whole buffer so the
            // owner's count of buffers stays its clock.
            m_chunk = QByteArray(chunk, '\0');
            if (unread > 0)
                std::memcpy(m_chunk.data(), bytes + m_samples.consumed, std::size_t(unread));
            m_samples.length = m_samples.consumed = 0;
            return m_chunk;
        }
        if (m_samples.consumed > 0) {
            std::memmove(bytes, bytes + m_samples.consumed, std::size_t(unread));
            m_samples.length = unread;
            m_samples.consumed = 0;
        }
        const int before = m_samples.length;
        m_reader.decodeAudio(m_samples, chunk);
        // A reader that neither gives sound nor reports its end would keep
        // the GUI thread here for good.
        if (m_samples.length == before && !m_reader.endOfStream)
            m_exhausted = true;
    }
    m_chunk = QByteArray(chunk, '\0');
    return m_chunk;
}
