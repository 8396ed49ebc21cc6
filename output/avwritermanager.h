#pragma once
// The compile loop: draws every frame of the album into its own hidden
// OpenGL surface, reads it back and hands it to the encoder writer together
// with the matching stretch of sound, one frame per tick of a zero-interval
// timer on the GUI thread, while the renderer's sound thread decodes ahead
// and the writer converts and encodes on a thread of its own (EncodingQueue),
// a few frames behind.
//
// When the encoder takes YUV 4:2:0 at the frame size (most profiles) and the
// OpenGL is a graphics processor's, the graphics side converts each frame
// and only the planes come back, through transfer buffers one frame behind
// the drawing: frame N is taken while frame N + 1 is being converted. With a
// software rasteriser, and for encoders of other formats, frames come back
// as RGBA and the writer converts them: on the processor its SIMD conversion
// costs a third of what a shader pass does.

#include "avpicture.h"
#include "avpipewriter.h"
#include "avwriter.h"
#include "encodingqueue.h"
#include "gldrawer.h"
#include "storyboard.h"

#include <QString>
#include <QStringList>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

class StoryBoardRender;

class AVWriterManager : public GLDrawer
{
    Q_OBJECT

public:
    // Where the time of the compile went so far, for benchmarks.
    struct Timings {
        qint64 renderNs = 0; // the renderer drawing frames (pictures fetched, uploaded, composed)
        qint64 readNs = 0;   // reading frames back
        qint64 videoNs = 0;  // handing frames over (waiting while the encoder is behind)
        qint64 audioNs = 0;  // waiting for and encoding sound
    };

    explicit AVWriterManager(QWidget* parent = nullptr);
    ~AVWriterManager() override;

    // Sets up the surface and the read-back picture for param's frame size.
    // False when OpenGL cannot provide it (the reason is in failureReason()).
    bool init(const RenderParam& param);
    void setVAWriter(std::unique_ptr<AVWriter> writer);
    void setRenderer(StoryBoardRender* render) { m_render = render; }
    // Deletes the writers that are set; deleting a writer finishes its file.
    void clearVideoAudioWriter();

    // Counts to zero, the renderer's sound thread started, frames flowing.
    void start();
    // Timers stopped, the renderer's sound thread asked to end and waited
    // for (at most 2 s).
    void stop();
    void pause();
    void resume();
    void release() override;

    // Everything a compile needs before start(): opens a writer on
    // `arguments` (which name `outputFile`), sets up the surface, takes the
    // renderer and draws frame 0 with the sound positioned there. False with
    // failureReason() when any of it fails; nothing is left running then.
    bool begin(StoryBoardRender* render, const QString& outputFile, const QStringList& arguments);
    // After compileEnd(): stops, finishes the file and checks it. False with
    // failureReason() when a frame or the sound could not be written, the
    // compile ended early, or the file is missing or empty; a failed file is
    // removed.
    bool finish();
    // Stops, closes the writer and deletes the unfinished file.
    void cancel();

    QString failureReason() const { return m_failure; }
    // Remarks of the option layer for the user (such as replaced values).
    QStringList writerMessages() const { return m_writerMessages; }
    QString outputFile() const { return m_outputFile; }
    int videoCount() const { return m_videoCount; }
    int soundCount() const { return m_soundCount; }
    bool isRunning() const { return m_frameTimer.isActive(); }
    const Timings& timings() const { return m_timings; }
    // When begin() sets up the YUV read-back for an encoder that takes it:
    // Auto on hardware OpenGL only, Always also with a software rasteriser,
    // Never (every frame comes back as RGBA, as for other encoders).
    enum class PlanarReadback {
        Auto,
        Always,
        Never
    };
    void setPlanarReadback(PlanarReadback mode) { m_planarMode = mode; }
    // Whether the compile under way reads frames back as YUV planes.
    bool usesPlanarReadback() const { return m_planar; }
    // Frames drawn so far; at most one more than videoCount().
    int drawnCount() const { return m_drawnCount; }

    void writeVideo();
    void writeAudio();

signals:
    // Frames written so far (a count, not a percentage).
    void progressChanged(double frames);
    void compileEnd();

public slots:
    void writeVideoAudio();
    void checkCompileCompletion();

private:
    void abort(const QString& reason);
    // Takes the oldest frame requested from the drawer and queues it.
    bool takeRequestedFrame();
    void removeOutputFile();
    quint32 totalFrames() const;

    RenderParam m_param;
    QTimer m_frameTimer;
    QTimer m_completionTimer;
    StoryBoardRender* m_render = nullptr;
    AVPicture m_picture{};
    std::unique_ptr<AVPipeWriter> m_videoPipeWriter;
    std::unique_ptr<AVPipeWriter> m_audioPipeWriter;
    std::unique_ptr<AVWriter> m_writer;
    // Between start() and the end of the compile the writer is fed by this
    // queue's thread and not touched from here.
    std::unique_ptr<EncodingQueue> m_queue;
    int m_videoCount = 0;
    int m_drawnCount = 0;
    PlanarReadback m_planarMode = PlanarReadback::Auto;
    bool m_planar = false;
    int m_soundCount = 0;
    int m_soundRemainder = 0;
    bool m_ended = false;
    QString m_failure;
    QString m_outputFile;
    QStringList m_writerMessages;
    Timings m_timings;
    QElapsedTimer m_clock;
};
