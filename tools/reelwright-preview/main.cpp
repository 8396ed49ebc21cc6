// A developer's window onto the renderer: shows an album of the given photos
// and music in the preview player, frame by frame (slider, step buttons) or
// playing with its sound, so transitions, the zoom path and the sound track
// can be looked at and listened to, and writes chosen frames to image files
// for a closer look.

#include "audioreader.h"
#include "avplayer.h"
#include "photoimport.h"
#include "storyboardrender.h"
#include "timefunctions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

bool saveFrame(GLDrawer& drawer, const QString& path)
{
    QImage image(drawer.frameSize(), QImage::Format_RGBA8888);
    if (!drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, image.bits()))
        return false;
    // Rows come bottom first unless the drawer composes upside down.
    if (!drawer.flipsVertically())
        image.mirror(false, true);
    return image.convertToFormat(QImage::Format_RGB32).save(path);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("reelwright-preview"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows and plays an album of photos and music."));
    parser.addHelpOption();
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Output size (default 1280x720)."),
                                        QStringLiteral("WxH"), QStringLiteral("1280x720"));
    const QCommandLineOption photoOption(QStringLiteral("photo-ms"), QStringLiteral("Photo duration (5000)."),
                                         QStringLiteral("ms"), QStringLiteral("5000"));
    const QCommandLineOption transitionOption(QStringLiteral("transition-ms"),
                                              QStringLiteral("Transition duration (1500)."), QStringLiteral("ms"),
                                              QStringLiteral("1500"));
    const QCommandLineOption dissolveOption(QStringLiteral("dissolve"), QStringLiteral("Dissolves only, no wipes."));
    const QCommandLineOption noZoomOption(QStringLiteral("no-zoom"), QStringLiteral("No zoom-and-drift."));
    const QCommandLineOption audioOption({QStringLiteral("a"), QStringLiteral("audio")},
                                         QStringLiteral("A music file of the sound track (repeatable)."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption loopOption(QStringLiteral("loop"), QStringLiteral("Loop the sound track."));
    const QCommandLineOption playOption(QStringLiteral("play"), QStringLiteral("Start playing at once."));
    const QCommandLineOption shotOption(
        QStringLiteral("shot"), QStringLiteral("Write frame N to FILE and quit after the last one (repeatable)."),
        QStringLiteral("N:FILE"));
    parser.addOptions({sizeOption, photoOption, transitionOption, dissolveOption, noZoomOption, audioOption, loopOption,
                       playOption, shotOption});
    parser.addPositionalArgument(QStringLiteral("photos"), QStringLiteral("Photos in play order."),
                                 QStringLiteral("photo..."));
    parser.process(app);

    const QStringList sizeParts = parser.value(sizeOption).split(QLatin1Char('x'));
    RenderParam param;
    if (sizeParts.size() == 2) {
        param.width = sizeParts[0].toInt() / 4 * 4;
        param.height = sizeParts[1].toInt() / 2 * 2;
    }
    if (param.width <= 0 || param.height <= 0 || param.width > 2048 || param.height > 2048) {
        std::fprintf(stderr, "reelwright-preview: --size must look like 1280x720 (at most 2048 each way)\n");
        return 2;
    }
    param.aspectRatio = double(param.width) / param.height;

    StoryBoardData album;
    album.photoMs = qMax(40, parser.value(photoOption).toInt());
    album.photoSeconds = album.photoMs / 1000.0;
    album.transitionMs = qMax(0, parser.value(transitionOption).toInt());
    album.transitionSeconds = album.transitionMs / 1000.0;
    album.useTransition = album.transitionMs > 0;
    album.dissolveOnly = parser.isSet(dissolveOption);
    album.useZoom = !parser.isSet(noZoomOption);
    album.loopAudio = parser.isSet(loopOption);
    int counter = 0;
    for (const QString& path : parser.positionalArguments()) {
        ImageInfo photo;
        if (!readImportedPhoto(QFileInfo(path).absoluteFilePath(), photo, counter++)) {
            std::fprintf(stderr, "reelwright-preview: %s is not a readable image\n", qPrintable(path));
            return 1;
        }
        album.photos.append(photo);
    }
    if (album.photos.isEmpty()) {
        std::fprintf(stderr, "reelwright-preview: no photos given (see --help)\n");
        return 2;
    }
    for (const QString& path : parser.values(audioOption)) {
        AudioInfo clip;
        clip.filePath = QFileInfo(path).absoluteFilePath();
        if (!AudioReader::parse(clip)) {
            std::fprintf(stderr, "reelwright-preview: %s is not a readable audio file\n", qPrintable(path));
            return 1;
        }
        album.audios.append(clip);
    }

    StoryBoardRender render;
    render.init(param);
    render.setStoryBoard(&album);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Reelwright renderer preview"));
    auto* player = new AVPlayer(&window);
    auto* slider = new QSlider(Qt::Horizontal, &window);
    auto* time = new QLabel(&window);
    auto* back = new QPushButton(QStringLiteral("<"), &window);
    auto* play = new QPushButton(QStringLiteral("Play"), &window);
    auto* forward = new QPushButton(QStringLiteral(">"), &window);
    auto* volume = new QSlider(Qt::Horizontal, &window);
    volume->setRange(0, 100);
    volume->setValue(100);
    volume->setMaximumWidth(100);
    volume->setToolTip(QStringLiteral("Volume"));
    auto* controls = new QHBoxLayout;
    controls->addWidget(back);
    controls->addWidget(play);
    controls->addWidget(forward);
    controls->addWidget(slider, 1);
    controls->addWidget(time);
    controls->addWidget(volume);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(player, 1);
    layout->addLayout(controls);
    slider->setRange(0, qMax(0, int(render.totalFrames) - 1));

    if (!player->init(param)) {
        std::fprintf(stderr, "reelwright-preview: OpenGL is not usable: %s\n", qPrintable(player->errorString()));
        return 1;
    }
    player->render = &render;
    player->setMinimumSize(param.width / 2, param.height / 2);
    QObject::connect(volume, &QSlider::valueChanged, player, &AVPlayer::setVolume);

    const auto showTime = [&](unsigned long frame) {
        time->setText(frameToTimeString(frame, param.frameRate) + QStringLiteral(" / ") +
                      frameToTimeString(render.totalFrames, param.frameRate) + QStringLiteral("  frame %1").arg(frame));
    };
    // The renderer's sound thread runs only while playing, started after the
    // sound has been positioned at the frame shown.
    QTimer progress;
    progress.setInterval(40);
    const auto pause = [&] {
        if (!player->isPlaying())
            return;
        player->stop();
        render.stop();
        render.wait();
        progress.stop();
        play->setText(QStringLiteral("Play"));
    };
    const auto seek = [&](int frame) {
        pause();
        player->seek((unsigned long)frame);
        showTime((unsigned long)frame);
    };
    QObject::connect(slider, &QSlider::valueChanged, seek);
    QObject::connect(back, &QPushButton::clicked, [&] { slider->setValue(slider->value() - 1); });
    QObject::connect(forward, &QPushButton::clicked, [&] { slider->setValue(slider->value() + 1); });
    QObject::connect(&progress, &QTimer::timeout, [&] {
        const quint32 frame = player->currentFrame;
        if (frame >= render.totalFrames) {
            // The end: stop and go back to the start.
            pause();
            const QSignalBlocker blocker(slider);
            slider->setValue(0);
            seek(0);
            return;
        }
        const QSignalBlocker blocker(slider);
        slider->setValue(int(frame));
        showTime(frame);
    });
    QObject::connect(play, &QPushButton::clicked, [&] {
        if (player->isPlaying()) {
            pause();
            return;
        }
        render.seek(player->currentFrame, true, player);
        render.start();
        player->play();
        progress.start();
        play->setText(QStringLiteral("Pause"));
    });

    const QStringList shots = parser.values(shotOption);
    if (!shots.isEmpty()) {
        for (const QString& shot : shots) {
            const int colon = shot.indexOf(QLatin1Char(':'));
            bool ok = false;
            const int frame = shot.left(colon).toInt(&ok);
            if (colon < 1 || !ok || frame < 0) {
                std::fprintf(stderr, "reelwright-preview: --shot wants N:FILE, not %s\n", qPrintable(shot));
                return 2;
            }
            render.seek((unsigned long)frame, false, player);
            if (!saveFrame(*player, shot.mid(colon + 1))) {
                std::fprintf(stderr, "reelwright-preview: could not write %s\n", qPrintable(shot.mid(colon + 1)));
                return 1;
            }
        }
        return 0;
    }

    seek(0);
    window.resize(param.width * 3 / 4, param.height * 3 / 4 + 60);
    window.show();
    if (parser.isSet(playOption))
        QTimer::singleShot(0, play, &QPushButton::click);
    const int result = app.exec();
    pause();
    return result;
}
