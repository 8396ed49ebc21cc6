#include "alstream.h"

#include "logcategories.h"
#include "writelog.h"

#include <AL/alext.h>

#include <QDebug>

#include <algorithm>
#include <utility>

namespace {

QString alErrorText(ALenum error)
{
    switch (error) {
    case AL_INVALID_NAME: return QStringLiteral("invalid name");
    case AL_INVALID_ENUM: return QStringLiteral("invalid enum");
    case AL_INVALID_VALUE: return QStringLiteral("invalid value");
    case AL_INVALID_OPERATION: return QStringLiteral("invalid operation");
    case AL_OUT_OF_MEMORY: return QStringLiteral("out of memory");
    default: return QStringLiteral("error 0x%1").arg(unsigned(error), 0, 16);
    }
}

void logLine(const QString& line)
{
    qCWarning(lcRender, "%s", qPrintable(line));
    WriteLog(QStringLiteral("%s"), line.toLocal8Bit().constData());
}

} // namespace

bool alCheck(const char* what)
{
    const ALenum error = alGetError();
    if (error == AL_NO_ERROR)
        return true;
    logLine(QStringLiteral("OpenAL: %1: %2").arg(QLatin1String(what), alErrorText(error)));
    return false;
}

// ---------------------------------------------------------------------------

void ALDeviceContext::DeviceClose::operator()(ALCdevice* device) const { alcCloseDevice(device); }

void ALDeviceContext::ContextDestroy::operator()(ALCcontext* context) const
{
    if (alcGetCurrentContext() == context)
        alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
}

ALDeviceContext::ALDeviceContext(const char* deviceName)
{
    m_device.reset(alcOpenDevice(deviceName));
    if (!m_device) {
        m_error =
            deviceName
                ? QStringLiteral("the sound device \"%1\" could not be opened").arg(QString::fromLocal8Bit(deviceName))
                : QStringLiteral("no sound device could be opened");
        return;
    }
    m_context.reset(alcCreateContext(m_device.get(), nullptr));
    if (!m_context) {
        m_error = QStringLiteral("no OpenAL context could be made on the sound device (ALC error 0x%1)")
                      .arg(unsigned(alcGetError(m_device.get())), 0, 16);
        m_device.reset();
        return;
    }
    if (!makeCurrent()) {
        m_error = QStringLiteral("the OpenAL context could not be made current");
        m_context.reset();
        m_device.reset();
    }
}

bool ALDeviceContext::makeCurrent() const
{
    if (!m_context)
        return false;
    if (alcGetCurrentContext() == m_context.get())
        return true;
    return alcMakeContextCurrent(m_context.get()) == ALC_TRUE;
}

// ---------------------------------------------------------------------------

ALNames::ALNames(Kind kind, int count)
    : m_kind(kind)
{
    if (count <= 0)
        return;
    alGetError();
    std::vector<ALuint> names(std::size_t(count), 0);
    if (kind == Buffers)
        alGenBuffers(count, names.data());
    else
        alGenSources(count, names.data());
    // On failure OpenAL makes none of them, so there is nothing to delete.
    if (alCheck(kind == Buffers ? "alGenBuffers" : "alGenSources"))
        m_names = std::move(names);
}

ALNames::~ALNames() { reset(); }

ALNames::ALNames(ALNames&& other) noexcept
    : m_kind(other.m_kind)
    , m_names(std::exchange(other.m_names, {}))
{}

ALNames& ALNames::operator=(ALNames&& other) noexcept
{
    if (this != &other) {
        reset();
        m_kind = other.m_kind;
        m_names = std::exchange(other.m_names, {});
    }
    return *this;
}

void ALNames::reset()
{
    if (m_names.empty())
        return;
    alGetError();
    if (m_kind == Buffers)
        alDeleteBuffers(ALsizei(m_names.size()), m_names.data());
    else
        alDeleteSources(ALsizei(m_names.size()), m_names.data());
    alCheck(m_kind == Buffers ? "alDeleteBuffers" : "alDeleteSources");
    m_names.clear();
}

// ---------------------------------------------------------------------------

ALStream::ALStream(int bufferCount, const char* deviceName)
{
    m_bufferCount = std::max(bufferCount, 1);
    m_hasDevice = open(deviceName, m_bufferCount);
    if (!m_hasDevice) {
        // Nothing of OpenAL stays; the names below only stand for chunks.
        m_source = ALNames();
        m_buffers = ALNames();
        m_output = ALDeviceContext();
        static bool logged = false;
        if (!logged) {
            logged = true;
            logLine(QStringLiteral("OpenAL: %1; playing silently by the clock").arg(m_error));
        }
    }
    for (int i = m_bufferCount - 1; i >= 0; --i)
        m_free.push_back(m_hasDevice ? m_buffers[i] : ALuint(i));
}

ALStream::~ALStream()
{
    stop();
    // The names are deleted in their own context.
    m_output.makeCurrent();
}

bool ALStream::open(const char* deviceName, int bufferCount)
{
    m_output = ALDeviceContext(deviceName);
    if (!m_output.isOpen()) {
        m_error = m_output.errorString();
        return false;
    }
    m_buffers = ALNames(ALNames::Buffers, bufferCount);
    m_source = ALNames(ALNames::Sources, 1);
    if (m_buffers.empty() || m_source.empty()) {
        m_error = QStringLiteral("no OpenAL buffers or source could be made");
        return false;
    }
    // Heard unpositioned at full level.
    const ALuint source = m_source[0];
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alSource3f(source, AL_DIRECTION, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    // Stereo channels straight to the speakers, not panned by a virtual
    // position: the samples are heard as the file has them.
    if (alIsExtensionPresent("AL_SOFT_direct_channels"))
        alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alCheck("setting up the source");
    return true;
}

void ALStream::fail(const QString& message) { m_error = message; }

void ALStream::setFormat(int channels, int sampleRate)
{
    m_channels = channels == 1 ? 1 : 2;
    m_sampleRate = std::max(sampleRate, 1);
}

void ALStream::setGain(float gain)
{
    m_gain = std::clamp(gain, 0.0f, 1.0f);
    if (m_hasDevice && m_output.makeCurrent()) {
        alSourcef(m_source[0], AL_GAIN, m_gain);
        alCheck("alSourcef(AL_GAIN)");
    }
}

qint64 ALStream::durationNs(int bytes) const
{
    const qint64 bytesPerSecond = qint64(m_sampleRate) * m_channels * 2;
    return qint64(bytes) * 1000000000LL / bytesPerSecond;
}

void ALStream::collectIfDry()
{
    // A source that ran out of buffers stops, and playing it again would
    // start over at its first queued buffer. Take the played ones off first;
    // the next takeProcessed() reports them.
    ALint state = AL_PLAYING;
    alGetSourcei(m_source[0], AL_SOURCE_STATE, &state);
    if (state != AL_STOPPED)
        return;
    const int earlier = std::exchange(m_unreported, 0);
    m_unreported = earlier + takeProcessed();
}

bool ALStream::queue(const char* data, int bytes)
{
    if (m_free.empty() || !data || bytes <= 0)
        return false;
    const ALuint name = m_free.back();
    if (!m_hasDevice) {
        m_free.pop_back();
        m_queued.push_back(name);
        m_clockQueue.push_back(durationNs(bytes));
        if (m_playing && m_headStartNs < 0)
            m_headStartNs = m_clock.nsecsElapsed();
        return true;
    }
    if (!m_output.makeCurrent()) {
        fail(QStringLiteral("the OpenAL context could not be made current"));
        return false;
    }
    if (m_playing)
        collectIfDry();
    alGetError();
    alBufferData(name, m_channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, data, bytes, m_sampleRate);
    if (!alCheck("alBufferData")) {
        fail(QStringLiteral("OpenAL did not take a buffer of %1 bytes").arg(bytes));
        return false;
    }
    alSourceQueueBuffers(m_source[0], 1, &name);
    if (!alCheck("alSourceQueueBuffers")) {
        fail(QStringLiteral("OpenAL did not queue a buffer"));
        return false;
    }
    m_free.pop_back();
    m_queued.push_back(name);
    if (m_playing) {
        ALint state = AL_PLAYING;
        alGetSourcei(m_source[0], AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) {
            alSourcePlay(m_source[0]);
            alCheck("alSourcePlay");
        }
    }
    return true;
}

void ALStream::play()
{
    if (m_playing)
        return;
    m_playing = true;
    if (!m_hasDevice) {
        if (!m_clock.isValid())
            m_clock.start();
        m_headStartNs = m_clockQueue.empty() ? -1 : m_clock.nsecsElapsed();
        return;
    }
    if (!m_output.makeCurrent())
        return;
    alSourceRewind(m_source[0]);
    alSourcePlay(m_source[0]);
    alCheck("alSourcePlay");
}

int ALStream::takeProcessed()
{
    int count = std::exchange(m_unreported, 0);
    if (!m_playing)
        return count;
    if (!m_hasDevice) {
        const qint64 now = m_clock.nsecsElapsed();
        while (!m_clockQueue.empty() && m_headStartNs >= 0 && m_headStartNs + m_clockQueue.front() <= now) {
            m_headStartNs += m_clockQueue.front();
            m_clockQueue.pop_front();
            m_free.push_back(m_queued.front());
            m_queued.pop_front();
            ++count;
        }
        if (m_clockQueue.empty())
            m_headStartNs = -1;
        return count;
    }
    if (!m_output.makeCurrent())
        return count;
    ALint processed = 0;
    alGetSourcei(m_source[0], AL_BUFFERS_PROCESSED, &processed);
    if (processed <= 0)
        return count;
    std::vector<ALuint> names(std::size_t(processed), 0);
    alGetError();
    alSourceUnqueueBuffers(m_source[0], processed, names.data());
    if (!alCheck("alSourceUnqueueBuffers"))
        return count;
    for (ALuint name : names) {
        const auto at = std::find(m_queued.begin(), m_queued.end(), name);
        if (at != m_queued.end())
            m_queued.erase(at);
        m_free.push_back(name);
    }
    return count + processed;
}

void ALStream::stop()
{
    m_playing = false;
    m_unreported = 0;
    m_headStartNs = -1;
    m_clockQueue.clear();
    if (m_hasDevice && m_output.makeCurrent()) {
        alGetError();
        alSourceStop(m_source[0]);
        alSourcei(m_source[0], AL_BUFFER, 0);
        alCheck("detaching the buffers");
    }
    while (!m_queued.empty()) {
        m_free.push_back(m_queued.front());
        m_queued.pop_front();
    }
}
