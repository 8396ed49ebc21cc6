#pragma once
// The OpenAL layer both sound players stand on: RAII holders for a device
// with its context, a source and a set of buffer names, and ALStream, a
// streaming source that queues buffers, hands back the played ones and
// keeps time by a wall clock when there is no sound device.
//
// How a player uses it
// --------------------
//     ALStream stream;                        // own device, context, source
//     stream.setFormat(channels, sampleRate); // 16-bit mono or stereo
//     stream.setGain(volume / 100.0f);
//   start:
//     stream.stop();                          // all buffers free, source rewound
//     while (stream.freeBuffers() > 0 && <sound left>)
//         stream.queue(chunk, bytes);         // prime the queue
//     stream.play();
//   every refill tick:
//     const int played = stream.takeProcessed(); // played buffers, now free
//     <advance the position by `played` chunks>
//     while (stream.freeBuffers() > 0 && <sound left>)
//         stream.queue(chunk, bytes);
//   pause:
//     stream.stop();
//
// takeProcessed() unqueues what it reports, so a buffer is counted once even
// when the player has no sound at hand to refill it at once; queue() restarts
// a source that ran dry meanwhile. Nothing else of OpenAL needs calling.
//
// No device. When the device or the context cannot be opened (no sound
// hardware, a driver that does not exist), the stream still works: queued
// chunks are "played" by the wall clock at the pace their length in bytes
// gives for the format, and takeProcessed() reports them as they end, so
// play, pause, seek and the end behave the same, silently. hasDevice() says
// which case holds; the reason is logged once per process.
//
// Every stream has its own device and context, as each player opens its own.
// OpenAL has one current context per process, so every operation makes its
// stream's context current first; two streams never disturb each other.
// OpenAL errors are checked where a failure would leave a name dangling or a
// buffer lost; they go to the diagnostic log and errorString(), never to a
// crash. All of it runs on one thread (the GUI thread).

#include <QElapsedTimer>
#include <QString>

#include <AL/al.h>
#include <AL/alc.h>

#include <deque>
#include <memory>
#include <vector>

// One OpenAL device and a context on it, closed and destroyed together
// (context first).
class ALDeviceContext
{
public:
    ALDeviceContext() = default;
    // Opens `deviceName` (null: the default device) and creates a context
    // with no attributes. Check isOpen().
    explicit ALDeviceContext(const char* deviceName);
    ALDeviceContext(ALDeviceContext&&) noexcept = default;
    ALDeviceContext& operator=(ALDeviceContext&&) noexcept = default;

    bool isOpen() const { return bool(m_context); }
    // Makes the context current unless it is; false when there is none.
    bool makeCurrent() const;
    QString errorString() const { return m_error; }
    ALCdevice* device() const { return m_device.get(); }

private:
    struct DeviceClose {
        void operator()(ALCdevice* device) const;
    };
    struct ContextDestroy {
        void operator()(ALCcontext* context) const;
    };
    // Declared in this order so that the context goes first.
    std::unique_ptr<ALCdevice, DeviceClose> m_device;
    std::unique_ptr<ALCcontext, ContextDestroy> m_context;
    QString m_error;
};

// OpenAL object names of one kind (buffers or sources) made together and
// deleted together. Deleting needs their context current; the owner of the
// holder sees to that by declaring it after its ALDeviceContext.
class ALNames
{
public:
    enum Kind {
        Buffers,
        Sources
    };

    ALNames() = default;
    // Generates `count` names; empty (and a logged reason) on failure.
    ALNames(Kind kind, int count);
    ~ALNames();
    ALNames(ALNames&& other) noexcept;
    ALNames& operator=(ALNames&& other) noexcept;
    ALNames(const ALNames&) = delete;
    ALNames& operator=(const ALNames&) = delete;

    ALuint operator[](int index) const { return m_names[std::size_t(index)]; }
    int size() const { return int(m_names.size()); }
    bool empty() const { return m_names.empty(); }
    void reset();

private:
    Kind m_kind = Buffers;
    std::vector<ALuint> m_names;
};

// Drains OpenAL's error flag; when it was set, logs "`what`: <error>" and
// returns false.
bool alCheck(const char* what);

class ALStream
{
public:
    // Opens the device (null: the default one), its context, one source and
    // `bufferCount` buffers. Without a device the wall clock stands in.
    explicit ALStream(int bufferCount = 256, const char* deviceName = nullptr);
    ~ALStream();
    ALStream(const ALStream&) = delete;
    ALStream& operator=(const ALStream&) = delete;

    // False when no sound is heard and the wall clock keeps the time.
    bool hasDevice() const { return m_hasDevice; }
    // Why the device could not be used, or what failed last.
    QString errorString() const { return m_error; }

    // Interleaved signed 16-bit samples in machine byte order: mono when
    // `channels` is 1, otherwise stereo, at `sampleRate`. Applies to the
    // chunks queued afterwards.
    void setFormat(int channels, int sampleRate);
    int channels() const { return m_channels; }
    int sampleRate() const { return m_sampleRate; }
    // 0.0 (silent, still playing) .. 1.0 (full level).
    void setGain(float gain);
    float gain() const { return m_gain; }

    int bufferCount() const { return m_bufferCount; }
    // Buffers neither queued nor waiting to be reported as played.
    int freeBuffers() const { return int(m_free.size()); }
    // Queued buffers not yet reported by takeProcessed().
    int queuedBuffers() const { return m_bufferCount - freeBuffers(); }
    // Fills a free buffer with `bytes` bytes of sound and queues it; a
    // playing source that ran dry starts again. False when no buffer is
    // free or OpenAL refused (the buffer stays free).
    bool queue(const char* data, int bytes);
    // Starts playing what is queued, from its beginning after stop().
    void play();
    bool isPlaying() const { return m_playing; }
    // Unqueues the buffers played to their end since the last call and
    // returns how many there were; they are free again.
    int takeProcessed();
    // Stops at once and frees every buffer; nothing queued stays.
    void stop();

private:
    bool open(const char* deviceName, int bufferCount);
    void fail(const QString& message);
    qint64 durationNs(int bytes) const;
    void collectIfDry();

    // The OpenAL objects, in the order they must be made; destroyed in
    // reverse (names before their context).
    // The source goes before the buffers: deleting it releases the buffers
    // it still holds, which could not be deleted while queued.
    ALDeviceContext m_output;
    ALNames m_buffers;
    ALNames m_source;

    int m_bufferCount = 0;
    std::vector<ALuint> m_free;  // buffer names (or, without device, indices) ready to fill
    std::deque<ALuint> m_queued; // in queue order
    int m_channels = 2;
    int m_sampleRate = 48000;
    float m_gain = 1.0f;
    bool m_hasDevice = false;
    bool m_playing = false;
    int m_unreported = 0; // played buffers unqueued before takeProcessed() saw them
    QString m_error;

    // The stand-in clock: how long each queued chunk lasts, and when the
    // first of them began to "play" (-1 while nothing plays).
    std::deque<qint64> m_clockQueue;
    QElapsedTimer m_clock;
    qint64 m_headStartNs = -1;
};
