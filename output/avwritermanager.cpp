#include "avwritermanager.h"

#include "logcategories.h"
#include "storyboardrender.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

AVWriterManager::AVWriterManager(QWidget* parent)
    : GLDrawer(parent)
{
    m_frameTimer.setInterval(0);
    connect(&m_frameTimer, &QTimer::timeout, this, &AVWriterManager::writeVideoAudio);
    connect(&m_completionTimer, &QTimer::timeout, this, &AVWriterManager::checkCompileCompletion);
}

AVWriterManager::~AVWriterManager()
{
    m_frameTimer.stop();
    m_completionTimer.stop();
    clearVideoAudioWriter();
    release();
}

bool AVWriterManager::init(const RenderParam& param)
{
    release();
    m_param = param;
    if (!initialize(QSize(param.width, param.height), 2, true)) {
        m_failure = QStringLiteral("OpenGL cannot draw the video frames: %1").arg(errorString());
        return false;
    }
    makeCurrent();
    if (QOpenGLContext* context = QOpenGLContext::currentContext())
        context->functions()->glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    doneCurrent();
    if (!allocatePicture(m_picture, AV_PIX_FMT_RGBA, param.width, param.height)) {
        m_failure = QStringLiteral("Not enough memory for a %1 x %2 frame.").arg(param.width).arg(param.height);
        return false;
    }
    return true;
}

void AVWriterManager::setVAWriter(std::unique_ptr<AVWriter> writer) { m_writer = std::move(writer); }

void AVWriterManager::clearVideoAudioWriter()
{
    // What is queued is still part of the file the writer is about to finish.
    if (m_queue) {
        m_queue->finish();
        m_queue.reset();
    }
    m_videoPipeWriter.reset();
    m_audioPipeWriter.reset();
    m_writer.reset();
    m_soundRemainder = 0;
}

void AVWriterManager::release()
{
    GLDrawer::release();
    freePicture(m_picture);
}

quint32 AVWriterManager::totalFrames() const { return m_render ? m_render->totalFrames : 0; }

void AVWriterManager::start()
{
    m_timings = {};
    m_videoCount = 0;
    m_drawnCount = 0;
    m_soundCount = 0;
    m_ended = false;
    m_planar = m_planar && planarReadbackEnabled();
    if (m_writer && !m_queue) {
        if (m_planar) {
            const PlanarFrameLayout planes = planarLayout();
            QueuedPictureLayout layout;
            layout.bytes = planes.bytes;
            layout.offsets = {0, planes.uOffset, planes.vOffset, 0};
            layout.linesizes = {planes.stride, planes.stride, planes.stride, 0};
            layout.encoderFormat = true;
            m_queue = std::make_unique<EncodingQueue>(*m_writer, layout);
        } else {
            m_queue = std::make_unique<EncodingQueue>(*m_writer, m_param.width, m_param.height);
        }
    }
    setWaitForFrames(!m_planar);
    if (m_render)
        m_render->start();
    m_frameTimer.start(0);
}

void AVWriterManager::stop()
{
    m_frameTimer.stop();
    m_completionTimer.stop();
    if (m_render) {
        m_render->stop();
        m_render->wait(2000);
        // The window previews from the same renderer afterwards.
        m_render->waitForLoudness = false;
    }
}

void AVWriterManager::pause() { m_frameTimer.stop(); }

void AVWriterManager::resume()
{
    if (!m_ended)
        m_frameTimer.start(0);
}

void AVWriterManager::abort(const QString& reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
    m_frameTimer.stop();
    if (!m_ended) {
        m_ended = true;
        emit compileEnd();
    }
}

bool AVWriterManager::takeRequestedFrame()
{
    m_clock.start();
    uint8_t* target = m_queue->acquireFrame();
    m_timings.videoNs += m_clock.nsecsElapsed();
    m_clock.start();
    const bool taken = takePlanarFrame(target);
    m_timings.readNs += m_clock.nsecsElapsed();
    if (!taken) {
        // The buffer goes back unwritten rather than as a frame.
        abort(QStringLiteral("Frame %1 could not be read back: %2").arg(m_videoCount).arg(errorString()));
        return false;
    }
    m_clock.start();
    m_queue->submitFrame(target);
    m_timings.videoNs += m_clock.nsecsElapsed();
    ++m_videoCount;
    return true;
}

void AVWriterManager::writeVideo()
{
    if (!m_render || quint32(m_videoCount) >= totalFrames())
        return;
    if (m_planar && m_queue) {
        // Draw frame N and start its conversion, then hand over frame N - 1,
        // whose conversion ran while this one was drawn.
        if (quint32(m_drawnCount) < totalFrames()) {
            m_clock.start();
            m_render->seek(static_cast<unsigned long>(m_drawnCount), false, this);
            m_timings.renderNs += m_clock.nsecsElapsed();
            m_clock.start();
            const bool requested = requestPlanarFrame();
            m_timings.readNs += m_clock.nsecsElapsed();
            if (!requested) {
                abort(QStringLiteral("Frame %1 could not be drawn: %2").arg(m_drawnCount).arg(errorString()));
                return;
            }
            ++m_drawnCount;
        }
        const int keep = quint32(m_drawnCount) < totalFrames() ? 1 : 0;
        while (pendingPlanarFrames() > keep)
            if (!takeRequestedFrame())
                return;
        return;
    }
    m_clock.start();
    uint8_t* target = m_queue ? m_queue->acquireFrame() : m_picture.data[0];
    m_timings.videoNs += m_clock.nsecsElapsed();
    m_clock.start();
    m_render->seek(static_cast<unsigned long>(m_videoCount), false, this);
    m_timings.renderNs += m_clock.nsecsElapsed();
    m_clock.start();
    const bool read = readFrame(GL_RGBA, GL_UNSIGNED_BYTE, target);
    m_timings.readNs += m_clock.nsecsElapsed();
    if (!read) {
        abort(QStringLiteral("Frame %1 could not be drawn: %2").arg(m_videoCount).arg(errorString()));
        return;
    }
    m_clock.start();
    bool encoded = true;
    if (m_queue)
        m_queue->submitFrame(target);
    else if (m_writer)
        encoded = m_writer->writeVideoFrame(m_picture);
    m_timings.videoNs += m_clock.nsecsElapsed();
    if (!encoded) {
        abort(m_writer->errorString().isEmpty() ? QStringLiteral("Frame %1 could not be encoded.").arg(m_videoCount)
                                                : m_writer->errorString());
        return;
    }
    ++m_videoCount;
    m_drawnCount = m_videoCount;
}

void AVWriterManager::writeAudio()
{
    if (!m_render || quint32(m_soundCount) >= totalFrames())
        return;
    bool written = true;
    m_clock.start();
    const bool taken = m_render->takeSound(m_soundRemainder, [this, &written](const char* data, int bytes) {
        if (m_queue)
            m_queue->submitSound(data, bytes);
        else if (m_writer)
            written = m_writer->writeAudioBuffer(reinterpret_cast<const short*>(data), bytes);
    });
    m_timings.audioNs += m_clock.nsecsElapsed();
    if (!taken) {
        abort(QStringLiteral("The sound track ended before the last frame."));
        return;
    }
    if (!written) {
        abort(m_writer->errorString().isEmpty() ? QStringLiteral("The sound could not be encoded.")
                                                : m_writer->errorString());
        return;
    }
    ++m_soundCount;
}

void AVWriterManager::writeVideoAudio()
{
    if (m_ended)
        return;
    if (m_queue && m_queue->failed()) {
        abort(m_queue->errorString());
        return;
    }
    writeVideo();
    if (m_ended)
        return;
    writeAudio();
    if (m_ended)
        return;
    emit progressChanged(double(m_videoCount));
    const quint32 total = totalFrames();
    if (quint32(m_videoCount) >= total && quint32(m_soundCount) >= total) {
        qCDebug(lcEncode) << "All video frames have been wrotten!";
        m_frameTimer.stop();
        m_ended = true;
        emit compileEnd();
    }
}

void AVWriterManager::checkCompileCompletion()
{
    if (!m_videoPipeWriter)
        return;
    if (!m_videoPipeWriter->isActive() && (!m_audioPipeWriter || !m_audioPipeWriter->isActive())) {
        qCDebug(lcEncode) << "All writers are not actived, compile must be end!!!";
        m_completionTimer.stop();
        emit compileEnd();
        return;
    }
    emit progressChanged(m_videoPipeWriter->progress());
}

bool AVWriterManager::begin(StoryBoardRender* render, const QString& outputFile, const QStringList& arguments)
{
    m_failure.clear();
    m_writerMessages.clear();
    m_outputFile = outputFile;
    m_planar = false;
    m_videoCount = 0;
    m_drawnCount = 0;
    m_soundCount = 0;
    m_ended = false;
    if (!render || render->totalFrames == 0) {
        m_failure = QStringLiteral("The album has no frames to compile.");
        return false;
    }
    const RenderParam param = render->renderParam();

    auto writer = std::make_unique<AVWriter>();
    const bool opened = writer->open(outputFile, param, arguments);
    m_writerMessages = writer->messages();
    if (!opened) {
        m_failure = writer->errorString();
        writer.reset();
        // The option layer may have created the file before it gave up.
        if (QFileInfo(outputFile).size() == 0)
            removeOutputFile();
        return false;
    }
    // What the encoders really use, which the profile only asks for: the
    // first thing to look at when a compiled file is not what was expected.
    qCInfo(lcEncode).noquote() << QStringLiteral("Compiling %1: %2").arg(outputFile, writer->encoderSummary());
    bool fullRange = false;
    const bool yuv = m_planarMode != PlanarReadback::Never && writer->takesYuv420(fullRange);
    setVAWriter(std::move(writer));
    if (!init(param)) {
        cancel();
        return false;
    }
    // Without shaders the writer converts, as for other formats.
    m_planar = yuv && (m_planarMode == PlanarReadback::Always || !rendersInSoftware()) &&
               enablePlanarReadback(fullRange ? YuvRange::Full : YuvRange::Limited);
    setRenderer(render);
    // Every clip of the file at its gain, from its first sample.
    render->waitForLoudness = true;
    render->seek(0, true, this);
    return true;
}

bool AVWriterManager::finish()
{
    stop();
    if (m_queue) {
        if (!m_queue->finish() && m_failure.isEmpty())
            m_failure = m_queue->errorString();
        m_queue.reset();
    }
    if (m_writer) {
        m_writer->close();
        if (m_failure.isEmpty() && !m_writer->errorString().isEmpty())
            m_failure = m_writer->errorString();
    }
    clearVideoAudioWriter();
    const quint32 total = totalFrames();
    if (m_failure.isEmpty() && (quint32(m_videoCount) < total || quint32(m_soundCount) < total))
        m_failure = QStringLiteral("The compile stopped after %1 of %2 frames.").arg(m_videoCount).arg(total);
    const QFileInfo file(m_outputFile);
    if (m_failure.isEmpty() && !file.exists())
        m_failure = QStringLiteral("The output file %1 was not created.").arg(m_outputFile);
    else if (m_failure.isEmpty() && file.size() == 0)
        m_failure = QStringLiteral("The output file %1 is empty.").arg(m_outputFile);
    // A file cut short would only look like a video.
    if (!m_failure.isEmpty())
        removeOutputFile();
    return m_failure.isEmpty();
}

void AVWriterManager::cancel()
{
    stop();
    if (m_queue) {
        m_queue->abandon();
        m_queue.reset();
    }
    clearVideoAudioWriter();
    removeOutputFile();
}

// Only what the compile wrote: an output named like a device stays.
void AVWriterManager::removeOutputFile()
{
    if (!m_outputFile.isEmpty() && QFileInfo(m_outputFile).isFile())
        QFile::remove(m_outputFile);
}
