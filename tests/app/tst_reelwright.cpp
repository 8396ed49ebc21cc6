// The main window under Xvfb: imports answered by the file-dialog hook,
// playback on OpenAL's null device, compiles through the real output
// settings and compile dialogs, the result read back with libavformat.

#include "apptests.h"

#include "audioreader.h"
#include "avpicture.h"
#include "adjustaudioorder.h"
#include "avplayer.h"
#include "avwriter.h"
#include "clicktrack.h"
#include "compileprogress.h"
#include "audiolistwidget.h"
#include "mediainfowidget.h"
#include "outputsetting.h"
#include "reelwright.h"
#include "timefunctions.h"
#include "zufolderdialog.h"
#include "zumessagebox.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <functional>

namespace {

QString media(const char* name) { return QDir(QStringLiteral(REELWRIGHT_MEDIA_DIR)).filePath(QLatin1String(name)); }

// Mean absolute difference of two pictures brought to 32 x 18.
double difference(const QImage& a, const QImage& b)
{
    const QImage x = a.scaled(32, 18).convertToFormat(QImage::Format_RGB32);
    const QImage y = b.scaled(32, 18).convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int j = 0; j < 18; ++j)
        for (int i = 0; i < 32; ++i) {
            const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (32 * 18 * 3);
}

// The photo as the album shows it undisturbed: fitted into the frame.
QImage fitted(const QString& path, QSize frame)
{
    QImage canvas(frame, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    const QImage photo = QImage(path).scaled(frame, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter(&canvas).drawImage((frame.width() - photo.width()) / 2, (frame.height() - photo.height()) / 2, photo);
    return canvas;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void putBigEndian16(QByteArray& bytes, qsizetype at, int value)
{
    bytes[at] = char((value >> 8) & 0xff);
    bytes[at + 1] = char(value & 0xff);
}

void putLittleEndian32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

// Where the JPEG segment with `marker` starts (at its 0xff), or -1.
qsizetype jpegSegment(const QByteArray& jpeg, int marker)
{
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xff) {
        if (uchar(jpeg[at + 1]) == marker)
            return at;
        if (uchar(jpeg[at + 1]) == 0xda)
            break;
        at += 2 + ((uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]));
    }
    return -1;
}

// Makes the hostile file `kind` at `path` from the sample media; an empty
// text when it is there, otherwise what went wrong.
QString makeHostileFile(const QString& kind, const QString& path)
{
    const QByteArray photo = readAll(media("flower.jpg"));
    if (kind == QStringLiteral("empty"))
        return writeAll(path, {}) ? QString() : path;
    if (kind == QStringLiteral("text"))
        return writeAll(path, "Nothing but words, saved under another name.\n") ? QString() : path;
    if (kind == QStringLiteral("photo"))
        return writeAll(path, photo) ? QString() : path;
    if (kind == QStringLiteral("truncated"))
        return writeAll(path, photo.left(photo.size() / 3)) ? QString() : path;
    if (kind == QStringLiteral("huge dimensions")) {
        // 65000 x 65000 pixels promised by the frame header of a small file.
        QByteArray bytes = photo;
        qsizetype frame = -1;
        for (int marker : {0xc0, 0xc1, 0xc2})
            if ((frame = jpegSegment(bytes, marker)) >= 0)
                break;
        if (frame < 0)
            return QStringLiteral("no frame header in flower.jpg");
        putBigEndian16(bytes, frame + 5, 65000);
        putBigEndian16(bytes, frame + 7, 65000);
        return writeAll(path, bytes) ? QString() : path;
    }
    if (kind == QStringLiteral("huge header")) {
        // 5 MB of comment segments before the picture.
        QByteArray bytes = photo.left(2);
        const QByteArray comment(65533, 'c');
        for (int i = 0; i < 80; ++i)
            bytes += QByteArray("\xff\xfe\xff\xff", 4) + comment;
        bytes += photo.mid(2);
        return writeAll(path, bytes) ? QString() : path;
    }
    if (kind == QStringLiteral("scrambled exif")) {
        QByteArray bytes = readAll(media("bird-exif6.jpg"));
        const qsizetype app1 = jpegSegment(bytes, 0xe1);
        if (app1 < 0 || bytes.mid(app1 + 4, 4) != "Exif")
            return QStringLiteral("no EXIF in bird-exif6.jpg");
        // Everything after "Exif\0\0" up to the segment's end, the tags'
        // counts and offsets included, becomes noise.
        const int length = (uchar(bytes[app1 + 2]) << 8) | uchar(bytes[app1 + 3]);
        QRandomGenerator noise(16);
        for (qsizetype i = app1 + 10; i < app1 + 2 + length; ++i)
            bytes[i] = char(noise.bounded(256));
        return writeAll(path, bytes) ? QString() : path;
    }
    if (kind == QStringLiteral("sound"))
        return QFile::copy(media("sad-mono-22k.wav"), path) ? QString() : path;
    if (kind == QStringLiteral("lying wav")) {
        // The header promises ten times the samples that follow it.
        QByteArray bytes = readAll(media("sad-mono-22k.wav"));
        const qsizetype data = bytes.indexOf("data", 12);
        if (!bytes.startsWith("RIFF") || data < 0)
            return QStringLiteral("sad-mono-22k.wav is no plain WAV");
        const quint32 claimed = quint32(bytes.size() - data - 8) * 10;
        putLittleEndian32(bytes, data + 4, claimed);
        putLittleEndian32(bytes, 4, quint32(data) + claimed);
        return writeAll(path, bytes) ? QString() : path;
    }
    RenderParam param;
    param.width = 160;
    param.height = 120;
    param.channels = 2;
    param.sampleRate = 48000;
    AVWriter writer;
    if (kind == QStringLiteral("video only")) {
        if (!writer.open(QString(), param,
                         {"-s", "160x120", "-r", "25", "-vcodec", "mpeg4", "-an", "-f", "mp4", "-y", path}))
            return writer.errorString();
        AVPicture picture;
        if (!allocatePicture(picture, AV_PIX_FMT_RGBA, 160, 120))
            return QStringLiteral("no memory");
        for (int i = 0; i < 25; ++i)
            writer.writeVideoFrame(picture);
        freePicture(picture);
    } else if (kind == QStringLiteral("5.1 ac3")) {
        if (!writer.open(QString(), param,
                         {"-vn", "-acodec", "ac3", "-ac", "6", "-ar", "48000", "-ab", "384000", "-y", path}))
            return writer.errorString();
        std::vector<short> tone(48000 * 2);
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = short(8000 * std::sin(2 * M_PI * 440.0 * double(i / 2) / 48000.0));
        for (int second = 0; second < 3; ++second)
            writer.writeAudioBuffer(tone.data(), int(tone.size() * 2));
    } else {
        return QStringLiteral("no such kind ") + kind;
    }
    writer.close();
    return writer.errorString();
}

QString plainText(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

struct CompileOutcome {
    bool ran = false;
    bool succeeded = false;
    QString file;
    QString label;
};

} // namespace

class TestReelwright : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void albumToVideo();
    void enablingRules_data();
    void enablingRules();
    void rowClickSeeks_data();
    void rowClickSeeks();
    void syncArithmetic_data();
    void syncArithmetic();
    void syncFillsSoundTrack();
    void contextMenus_data();
    void contextMenus();
    void afterBurnMenuMirrors_data();
    void afterBurnMenuMirrors();
    void deletedPhotoCompilesBlack();
    void vanishedOutputFolderKeepsAlbum();
    void keysGoToFocusedControl_data();
    void keysGoToFocusedControl();
    void hostileImports_data();
    void hostileImports();
    void editAudioPausesPreview();
    void beatCutsInWindow();

private:
    template <typename T>
    T* child(const char* name) const
    {
        T* widget = m_window->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    void click(const char* name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    void importPhotos(const QStringList& files);
    void importAudio(const QStringList& files);
    void setSpin(const char* name, int value);
    // Presses the compile button; the output settings dialog is accepted
    // for `folder` (after `afterAccept` ran) and the compile dialog closed
    // once it has finished.
    CompileOutcome compile(const QString& folder, const std::function<void()>& afterAccept = {});
    // Calls `answer` on the modal dialog of type T as soon as it is up,
    // again and again until it returns true.
    template <typename T>
    void whenModal(std::function<bool(T*)> answer);
    QStringList enabledOf(const QStringList& names) const;

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    std::unique_ptr<Reelwright> m_window;
    QStringList m_messages;
    QStringList m_answerFiles;
    QStringList m_dialogDirs;
    QStringList m_dialogFilters;
};

template <typename T>
void TestReelwright::whenModal(std::function<bool(T*)> answer)
{
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [timer, answer] {
        if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            if (answer(dialog))
                timer->deleteLater();
    });
    timer->start(20);
}

void TestReelwright::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The beat analysis caches its results; keep them with the test's files.
    qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
    ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
        m_messages << box.text();
        return QMessageBox::Ok;
    });
    Reelwright::setFileDialogHook([this](QWidget*, const QString& caption, const QString& dir, const QString& filter) {
        if (caption != QStringLiteral("Select one or more files"))
            return QStringList();
        m_dialogDirs << dir;
        m_dialogFilters << filter;
        return m_answerFiles;
    });
}

void TestReelwright::init()
{
    m_pref =
        std::make_unique<ZuPref>(m_dir.filePath(QStringLiteral("settings-%1.ini").arg(QTest::currentTestFunction())));
    ZuPref::setInstance(m_pref.get());
    m_messages.clear();
    m_dialogDirs.clear();
    m_dialogFilters.clear();
    m_window = std::make_unique<Reelwright>();
    m_window->resize(1100, 760);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestReelwright::cleanup()
{
    m_window.reset();
    ZuPref::setInstance(nullptr);
    m_pref.reset();
}

void TestReelwright::cleanupTestCase()
{
    ZuMessageBox::setAnswerHook({});
    Reelwright::setFileDialogHook({});
}

void TestReelwright::importPhotos(const QStringList& files)
{
    m_answerFiles = files;
    click("importPicture");
}

void TestReelwright::importAudio(const QStringList& files)
{
    m_answerFiles = files;
    click("importAudio");
}

void TestReelwright::setSpin(const char* name, int value)
{
    auto* spin = child<QSpinBox>(name);
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->value(), value);
}

CompileOutcome TestReelwright::compile(const QString& folder, const std::function<void()>& afterAccept)
{
    CompileOutcome outcome;
    whenModal<OutputSetting>([folder, afterAccept](OutputSetting* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("lineEditOutputPath"))->setText(folder);
        dialog->findChild<QLineEdit*>(QStringLiteral("lineEditFilename"))->setText(QStringLiteral("Album"));
        dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok)->click();
        if (afterAccept)
            afterAccept();
        return true;
    });
    whenModal<CompileProgress>([&outcome](CompileProgress* dialog) {
        if (!dialog->isFinished())
            return false;
        outcome = {true, dialog->succeeded(), dialog->outputFile(),
                   dialog->findChild<QLabel*>(QStringLiteral("label"))->text()};
        dialog->findChild<QPushButton*>(QStringLiteral("close"))->click();
        return true;
    });
    click("burn");
    return outcome;
}

QStringList TestReelwright::enabledOf(const QStringList& names) const
{
    QStringList enabled;
    for (const QString& name : names) {
        QObject* object = m_window->findChild<QObject*>(name);
        if (auto* widget = qobject_cast<QWidget*>(object);
            widget && widget->isEnabled() && widget->isVisibleTo(m_window.get()))
            enabled << name;
        if (auto* action = qobject_cast<QAction*>(object); action && action->isEnabled())
            enabled << name;
    }
    return enabled;
}

void TestReelwright::albumToVideo()
{
    const QStringList photos = {media("flower.jpg"), media("raindrops.jpg"), media("bird-exif6.jpg")};
    QVERIFY(child<QWidget>("gettingStart")->isVisible());
    importPhotos(photos);
    QCOMPARE(m_dialogDirs.value(0), QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    QVERIFY2(m_dialogFilters.value(0).startsWith(QStringLiteral("All Supported Files (*.jpg *.jpeg *.bmp")),
             qPrintable(m_dialogFilters.value(0)));
    QCOMPARE(m_pref->value(QStringLiteral("PhotoLastDir")).toString(),
             QDir::cleanPath(QStringLiteral(REELWRIGHT_MEDIA_DIR)));
    importAudio({media("knolls-20s.ogg")});
    QVERIFY(m_dialogFilters.value(1).contains(QStringLiteral("OGG Files (*.ogg);;")));
    QCOMPARE(m_messages, QStringList());
    const StoryBoardData& album = m_window->storyBoardData();
    QCOMPARE(album.photos.size(), 3);
    QCOMPARE(album.audios.size(), 1);
    QVERIFY(!child<QWidget>("gettingStart")->isVisible());
    QVERIFY(m_window->player()->isVisible());

    setSpin("spinBox", 1400);
    setSpin("spinBox_2", 600);
    QCOMPARE(album.photoMs, 1400);
    QCOMPARE(album.transitionSeconds, 0.6);
    if (!child<QCheckBox>("checkBoxUseDynamicZoom")->isChecked())
        click("checkBoxUseDynamicZoom");
    click("radioButton");
    QVERIFY(album.dissolveOnly);
    click("radioButton_2");
    QVERIFY(album.useZoom && album.useTransition && !album.dissolveOnly);
    const quint32 total = m_window->storyBoardRender().totalFrames;
    QCOMPARE(child<QLabel>("timeCode")->text(), QStringLiteral("00:00:00 / ") + frameToTimeString(total, 25.0));

    // A second of playback moves picture, slider and time code; Space pauses.
    click("play");
    QCOMPARE(m_window->currentPlayState(), 1);
    QVERIFY(!child<QWidget>("play")->isVisible() && child<QWidget>("pause")->isVisible());
    QVERIFY(!child<QWidget>("spinBox")->isEnabled());
    QTest::qWait(1000);
    // Without a window manager nobody gives the focus back after a dialog.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_Space);
    QCOMPARE(m_window->currentPlayState(), 2);
    const quint32 shown = m_window->player()->currentFrame;
    QVERIFY2(shown >= 15 && shown <= 40, qPrintable(QString::number(shown)));
    QCOMPARE(child<QSlider>("position")->value(), int(shown));
    QCOMPARE(child<QLabel>("timeCode")->text(),
             frameToTimeString(shown, 25.0) + QStringLiteral(" / ") + frameToTimeString(total, 25.0));
    // The paused picture is on screen: a photo, not the empty frame.
    const QImage screen = m_window->player()->grabFramebuffer();
    QImage empty(screen.size(), QImage::Format_RGB32);
    empty.fill(Qt::black);
    QVERIFY(difference(screen, empty) > 20.0);
    QTest::keyClick(m_window.get(), Qt::Key_Home);
    QCOMPARE(m_window->player()->currentFrame, 0u);

    const QString folder = m_dir.filePath(QStringLiteral("videos"));
    const CompileOutcome outcome = compile(folder);
    QVERIFY(outcome.ran);
    QVERIFY2(outcome.succeeded, qPrintable(outcome.label));
    QCOMPARE(outcome.file, folder + QStringLiteral("/Album.mp4"));
    const DecodedVideo video = decodeVideo(outcome.file);
    QVERIFY(video.opened);
    QCOMPARE(video.frames, int(m_window->storyBoardRender().totalFrames));
    QCOMPARE(QSize(video.width, video.height), QSize(1280, 720));
    // The compile's pictures went with it: the renderer holds only the photo
    // of the frame the preview shows again.
    QCOMPARE(m_window->player()->currentFrame, 0u);
    QCOMPARE(m_window->storyBoardRender().photoCacheSize(), 1);
    QCOMPARE(m_window->storyBoardRender().patternCacheSize(), 0);
    QVERIFY2(std::abs(video.soundSeconds - video.frames / video.frameRate) <= 1.0 / video.frameRate,
             qPrintable(QStringLiteral("%1 s of sound, %2 frames").arg(video.soundSeconds).arg(video.frames)));
    const QSize frame(1280, 720);
    const double first = difference(video.firstFrame, fitted(photos[0], frame));
    QVERIFY2(first < difference(video.firstFrame, fitted(photos[1], frame)) &&
                 first < difference(video.firstFrame, fitted(photos[2], frame)),
             qPrintable(QString::number(first)));
    // A language change rebuilds the texts but keeps the time displays.
    const QString timeCode = child<QLabel>("timeCode")->text();
    const QString length = child<QLineEdit>("photoLength")->text();
    m_window->retranslate();
    QCOMPARE(child<QLabel>("timeCode")->text(), timeCode);
    QCOMPARE(child<QLineEdit>("photoLength")->text(), length);
    QVERIFY(length != QStringLiteral("00:00:00"));
    // The preview goes on at the compile's size, with the album intact.
    QCOMPARE(m_window->player()->frameSize(), frame);
    QCOMPARE(album.photos.size(), 3);
    QVERIFY(child<QWidget>("play")->isEnabled());
}

void TestReelwright::enablingRules_data()
{
    QTest::addColumn<int>("photos");
    QTest::addColumn<int>("clips");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("enabled");
    const QStringList none = {"spinBox",      "spinBox_2",   "checkBox",      "checkBoxUseDynamicZoom",
                              "adjustOrder",  "radioButton", "radioButton_2", "checkBoxEvenLoudness",
                              "spinBoxFadeMs"};
    QTest::newRow("empty album") << 0 << 0 << "" << none;
    QTest::newRow("photos only") << 3 << 0 << ""
                                 << none + QStringList{"play", "burn", "actionCreateVideo", "actionPlayPause"};
    QTest::newRow("clips only") << 0 << 1 << "" << none + QStringList{"checkBox_2"};
    QTest::newRow("photos and clips") << 3 << 1 << ""
                                      << none + QStringList{"play", "syncAlbum",         "checkBox_2",
                                                            "burn", "actionCreateVideo", "actionPlayPause"};
    QTest::newRow("playing") << 3 << 1 << "play"
                             << QStringList{"pause", "stop", "burn", "actionCreateVideo", "actionPlayPause"};
    QTest::newRow("first photo selected")
        << 3 << 0 << "photo 0"
        << none + QStringList{"play",           "burn",     "actionCreateVideo", "actionPlayPause", "moveRight",
                              "deleteClip",     "turnLeft", "restore",           "actionDelete",    "actionMoveRight",
                              "actionSelectAll"};
    QTest::newRow("middle photo selected")
        << 3 << 0 << "photo 2"
        << none + QStringList{"play",           "burn",         "actionCreateVideo", "actionPlayPause",
                              "moveLeft",       "moveRight",    "deleteClip",        "turnLeft",
                              "restore",        "actionDelete", "actionMoveLeft",    "actionMoveRight",
                              "actionSelectAll"};
    QTest::newRow("all photos selected")
        << 3 << 0 << "all photos"
        << none + QStringList{"play",     "burn",    "actionCreateVideo", "actionPlayPause", "deleteClip",
                              "turnLeft", "restore", "actionDelete",      "actionSelectAll"};
    QTest::newRow("clip selected") << 3 << 1 << "clip 0"
                                   << none + QStringList{"play",       "syncAlbum",         "checkBox_2",
                                                         "burn",       "actionCreateVideo", "actionPlayPause",
                                                         "deleteClip", "actionDelete",      "actionSelectAll"};
}

void TestReelwright::enablingRules()
{
    QFETCH(int, photos);
    QFETCH(int, clips);
    QFETCH(QString, action);
    QFETCH(QStringList, enabled);
    const QStringList all = {media("flower.jpg"), media("raindrops.jpg"), media("clock-portrait-exif3.jpg")};
    if (photos > 0)
        importPhotos(all.mid(0, photos));
    if (clips > 0)
        importAudio({media("journeys-8s.m4a")});
    auto* photoStrip = child<QListWidget>("photoListWidget");
    if (action == QStringLiteral("play")) {
        click("play");
    } else if (action.startsWith(QStringLiteral("photo "))) {
        const int row = action.mid(6).toInt();
        QTest::mouseClick(photoStrip->viewport(), Qt::LeftButton, {},
                          photoStrip->visualItemRect(photoStrip->item(row)).center());
    } else if (action == QStringLiteral("all photos")) {
        photoStrip->setFocus();
        QTest::keyClick(photoStrip, Qt::Key_A, Qt::ControlModifier);
    } else if (action == QStringLiteral("clip 0")) {
        auto* audioStrip = child<QListWidget>("audioListWidget");
        QTest::mouseClick(audioStrip->viewport(), Qt::LeftButton, {},
                          audioStrip->visualItemRect(audioStrip->item(0)).center());
    }
    const QStringList checked = {"play",
                                 "pause",
                                 "stop",
                                 "burn",
                                 "syncAlbum",
                                 "checkBox_2",
                                 "spinBox",
                                 "spinBox_2",
                                 "checkBox",
                                 "checkBoxUseDynamicZoom",
                                 "checkBoxEvenLoudness",
                                 "spinBoxFadeMs",
                                 "adjustOrder",
                                 "radioButton",
                                 "radioButton_2",
                                 "moveLeft",
                                 "moveRight",
                                 "deleteClip",
                                 "turnLeft",
                                 "restore",
                                 "actionCreateVideo",
                                 "actionPlayPause",
                                 "actionDelete",
                                 "actionMoveLeft",
                                 "actionMoveRight",
                                 "actionSelectAll"};
    QStringList got = enabledOf(checked);
    QStringList want = enabled;
    got.sort();
    want.sort();
    QCOMPARE(got, want);
    QCOMPARE(child<QWidget>("gettingStart")->isVisible(), photos + clips == 0);
}

void TestReelwright::rowClickSeeks_data()
{
    QTest::addColumn<QString>("strip");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("frame"); // -1: the first clip's length in frames
    // 5 s photos and 1.5 s transitions at 25 frames per second: 162.5
    // frames from one photo's start to the next.
    QTest::newRow("marker after photo 3") << "photoListWidget" << 7 << 612;
    QTest::newRow("photo 2") << "photoListWidget" << 4 << 325;
    QTest::newRow("first photo") << "photoListWidget" << 0 << 0;
    QTest::newRow("second clip") << "audioListWidget" << 1 << -1;
}

void TestReelwright::rowClickSeeks()
{
    QFETCH(QString, strip);
    QFETCH(int, row);
    QFETCH(int, frame);
    const QString fifth = m_dir.filePath(QStringLiteral("fifth.jpg"));
    QVERIFY(QFile::exists(fifth) || QFile::copy(media("flower.jpg"), fifth));
    importPhotos({media("flower.jpg"), media("raindrops.jpg"), media("bird-exif6.jpg"),
                  media("clock-portrait-exif3.jpg"), fifth});
    importAudio({media("journeys-8s.m4a"), media("elvish-15s.mp3")});
    const StoryBoardData& album = m_window->storyBoardData();
    if (frame < 0)
        frame = int(secondToFrame(album.audios.at(0).endTime - album.audios.at(0).startTime, 25.0));
    auto* list = child<QListWidget>(qPrintable(strip));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    QCOMPARE(list->currentRow(), row);
    QCOMPARE(m_window->player()->currentFrame, quint32(frame));
    QCOMPARE(child<QSlider>("position")->value(), frame);
    QCOMPARE(child<QWidget>("previous")->isEnabled(), row > 0);
    QCOMPARE(child<QWidget>("next")->isEnabled(), row < list->count() - 1);
}

void TestReelwright::syncArithmetic_data()
{
    QTest::addColumn<double>("audioSeconds");
    QTest::addColumn<int>("photos");
    QTest::addColumn<bool>("transitions");
    QTest::addColumn<double>("frameRate");
    QTest::addColumn<int>("ms");
    QTest::newRow("4.65 s per photo") << 60.0 << 10 << true << 25.0 << 4680;
    QTest::newRow("whole frames get one more") << 40.0 << 10 << false << 25.0 << 4040;
    QTest::newRow("NTSC frame length") << 46.5 << 10 << false << 29.97 << 4653;
    QTest::newRow("one photo ignores transitions") << 7.3 << 1 << true << 25.0 << 7320;
    QTest::newRow("under a second per photo") << 5.0 << 10 << false << 25.0 << -1;
    QTest::newRow("transitions eat the track") << 10.0 << 10 << true << 25.0 << -1;
    QTest::newRow("over 999 s per photo") << 2000.0 << 2 << false << 25.0 << -1;
}

void TestReelwright::syncArithmetic()
{
    QFETCH(double, audioSeconds);
    QFETCH(int, photos);
    QFETCH(bool, transitions);
    QFETCH(double, frameRate);
    QFETCH(int, ms);
    QCOMPARE(Reelwright::syncedPhotoMs(audioSeconds, photos, transitions, 1.5, frameRate), ms);
}

void TestReelwright::syncFillsSoundTrack()
{
    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
    importAudio({media("knolls-20s.ogg")});
    const StoryBoardData& album = m_window->storyBoardData();
    const int expected = Reelwright::syncedPhotoMs(album.totalAudioDuration(), 2, true, 1.5, 25.0);
    QVERIFY(expected > 5000);
    click("syncAlbum");
    QCOMPARE(album.photoMs, expected);
    QCOMPARE(child<QSpinBox>("spinBox")->value(), expected);
    // The pictures now last at least as long as the sound, by under a frame
    // per photo.
    const double gap = album.totalPhotoDuration() - album.totalAudioDuration();
    QVERIFY2(gap >= 0.0 && gap <= 2 * 0.04 + 1e-9, qPrintable(QString::number(gap)));
    QCOMPARE(child<QLineEdit>("photoLength")->text(), child<QLineEdit>("audioLength")->text());
}

void TestReelwright::contextMenus_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<bool>("onItem");
    QTest::addColumn<QString>("items");
    QTest::newRow("photo item") << "on_photoListContextMenu" << true
                                << "&Delete,&Clear,|,&Select All,|,Turn Left,Turn Right,Mirror,Flip,"
                                   "Auto Rotate All Photos,Auto Rotate Photos While Importing,Restore,|,"
                                   "Insert &Title Card,Ca&ption...,|,Sort By,|,Move Left,Move Right";
    QTest::newRow("photo strip") << "on_photoListContextMenu" << false
                                 << "&Clear,|,&Select All,|,Insert &Title Card,|,Sort By";
    QTest::newRow("audio strip") << "on_audioListContextMenu" << false
                                 << "&Delete,&Clear,|,&Select All,|,Sort By,|,Move Left,Move Right";
}

void TestReelwright::contextMenus()
{
    QFETCH(QString, slot);
    QFETCH(bool, onItem);
    QFETCH(QString, items);
    QStringList shown;
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [&shown, timer] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions())
            shown << (action->isSeparator() ? QStringLiteral("|") : action->text());
        menu->close();
        timer->deleteLater();
    });
    timer->start(20);
    const QPoint where = m_window->mapToGlobal(QPoint(200, 200));
    if (slot == QStringLiteral("on_photoListContextMenu"))
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), qPrintable(slot), Q_ARG(bool, onItem), Q_ARG(QPoint, where)));
    else
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), qPrintable(slot), Q_ARG(QPoint, where)));
    QCOMPARE(shown.join(QLatin1Char(',')), items);
}

void TestReelwright::afterBurnMenuMirrors_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("code");
    QTest::newRow("do nothing") << "actionDoNothing" << 5;
    QTest::newRow("exit") << "actionExitProgram" << 0;
    QTest::newRow("stand by") << "actionStandBy" << 1;
    QTest::newRow("hibernate") << "actionHibernate" << 2;
    QTest::newRow("shut down") << "actionShutDown" << 4;
}

void TestReelwright::afterBurnMenuMirrors()
{
    QFETCH(QString, action);
    QFETCH(int, code);
    const QStringList actions = {"actionDoNothing", "actionExitProgram", "actionStandBy", "actionHibernate",
                                 "actionShutDown"};
    child<QAction>(qPrintable(action))->trigger();
    QCOMPARE(m_pref->value(QStringLiteral("AfterBurnAction")).toInt(), code);
    QStringList checked;
    for (const QString& name : actions)
        if (child<QAction>(qPrintable(name))->isChecked())
            checked << name;
    QCOMPARE(checked, QStringList{action});
    // A new window reads the stored choice back.
    m_window = std::make_unique<Reelwright>();
    QVERIFY(child<QAction>(qPrintable(action))->isChecked());
    QCOMPARE(child<QAction>("actionDoNothing")->isChecked(), action == QStringLiteral("actionDoNothing"));
}

void TestReelwright::deletedPhotoCompilesBlack()
{
    const QString doomed = m_dir.filePath(QStringLiteral("doomed.jpg"));
    QVERIFY(QFile::copy(media("flower.jpg"), doomed));
    importPhotos({doomed, media("raindrops.jpg")});
    QVERIFY(QFile::remove(doomed));
    setSpin("spinBox", 1000);
    click("play");
    QTest::qWait(400);
    click("pause");
    const QString log = QDir::tempPath() + QStringLiteral("/tst_app.1.log");
    QFile::remove(log);

    const CompileOutcome outcome = compile(m_dir.filePath(QStringLiteral("black")));
    QVERIFY2(outcome.succeeded, qPrintable(outcome.label));
    const DecodedVideo video = decodeVideo(outcome.file);
    QCOMPARE(video.frames, int(m_window->storyBoardRender().totalFrames));
    QImage black(video.firstFrame.size(), QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(difference(video.firstFrame, black) < 3.0);
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromLocal8Bit(file.readAll()).contains(QStringLiteral("cannot read photo ") + doomed));
    QCOMPARE(m_window->storyBoardData().photos.size(), 2);
}

void TestReelwright::vanishedOutputFolderKeepsAlbum()
{
    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
    const QString parent = m_dir.filePath(QStringLiteral("removable"));
    const QString folder = parent + QStringLiteral("/videos");
    QVERIFY(QDir().mkpath(folder));
    // Between the settings and the compile the folder goes, and a file
    // takes its parent's name, so it cannot come back.
    const CompileOutcome outcome = compile(folder, [parent] {
        QDir(parent).removeRecursively();
        QFile blocker(parent);
        blocker.open(QIODevice::WriteOnly);
    });
    QVERIFY(outcome.ran);
    QVERIFY(!outcome.succeeded);
    QVERIFY2(outcome.label.contains(QStringLiteral("cannot be created")), qPrintable(outcome.label));
    QVERIFY(outcome.label.contains(QDir::toNativeSeparators(folder)));
    QCOMPARE(m_window->storyBoardData().photos.size(), 2);
    QVERIFY(child<QWidget>("burn")->isEnabled());
    click("play");
    QTest::qWait(200);
    click("pause");
    QVERIFY(m_window->player()->currentFrame > 0);
}

void TestReelwright::keysGoToFocusedControl_data()
{
    QTest::addColumn<QString>("focus"); // a child's name; empty: nothing has the focus
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("plays");
    QTest::addColumn<int>("frame"); // where the preview is afterwards; -1 while playing
    QTest::addColumn<QString>("effect");
    const int space = Qt::Key_Space, home = Qt::Key_Home;
    // The preview starts at frame 100, on photo 0 (5 s photos at 25 fps).
    QTest::newRow("zoom box, Space ticks it") << "checkBoxUseDynamicZoom" << space << false << 100 << "zoom ticked";
    QTest::newRow("zoom box, Home") << "checkBoxUseDynamicZoom" << home << false << 0 << "";
    QTest::newRow("photo spin box, Space") << "spinBox" << space << false << 100 << "";
    QTest::newRow("photo spin box, Home") << "spinBox" << home << false << 100 << "";
    QTest::newRow("album length box, Space") << "photoLength" << space << false << 100 << "";
    QTest::newRow("photo strip, Home goes to its first item")
        << "photoListWidget" << home << false << 0 << "first photo current";
    QTest::newRow("photo strip, Space") << "photoListWidget" << space << false << -2 << "";
    QTest::newRow("volume, Home turns it down") << "volume" << home << false << 100 << "volume 0";
    QTest::newRow("volume, Space plays") << "volume" << space << true << -1 << "";
    QTest::newRow("sound strip, Home goes to its first item")
        << "audioListWidget" << home << false << -2 << "first clip current";
    QTest::newRow("preview, Space plays") << "avPlayer" << space << true << -1 << "";
    QTest::newRow("preview, Home") << "avPlayer" << home << false << 0 << "";
    QTest::newRow("position slider, Home") << "position" << home << false << 0 << "";
    QTest::newRow("stop button, Space plays") << "stop" << space << true << -1 << "";
    QTest::newRow("nothing focused, Space plays") << "" << space << true << -1 << "";
}

void TestReelwright::keysGoToFocusedControl()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, plays);
    QFETCH(int, frame);
    QFETCH(QString, effect);
    importPhotos({media("flower.jpg"), media("raindrops.jpg"), media("bird-exif6.jpg")});
    importAudio({media("journeys-8s.m4a")});
    // The last photo current in the strip, the preview at frame 100.
    auto* photoStrip = child<QListWidget>("photoListWidget");
    photoStrip->setCurrentRow(photoStrip->count() - 1);
    m_window->seek(100);
    // The stop button takes no focus while it is disabled.
    click("play");
    click("pause");
    m_window->seek(100);
    QCOMPARE(m_window->player()->currentFrame, 100u);
    auto* zoom = child<QCheckBox>("checkBoxUseDynamicZoom");
    const bool zoomed = zoom->isChecked();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    if (focus.isEmpty()) {
        if (QWidget* current = QApplication::focusWidget())
            current->clearFocus();
        QCOMPARE(QApplication::focusWidget(), nullptr);
    } else {
        QWidget* target = child<QWidget>(qPrintable(focus));
        QVERIFY2(target->isEnabled(), qPrintable(focus));
        target->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), target);
    }

    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get(), Qt::Key(key));
    QCOMPARE(m_window->currentPlayState() == 1, plays);
    if (plays)
        click("pause");
    if (frame >= 0)
        QCOMPARE(m_window->player()->currentFrame, quint32(frame));
    QCOMPARE(zoom->isChecked(), effect == QStringLiteral("zoom ticked") ? !zoomed : zoomed);
    QCOMPARE(m_window->storyBoardData().useZoom, zoom->isChecked());
    if (effect == QStringLiteral("first photo current"))
        QCOMPARE(photoStrip->currentRow(), 0);
    if (effect == QStringLiteral("first clip current"))
        QCOMPARE(child<QListWidget>("audioListWidget")->currentRow(), 0);
    QCOMPARE(child<QSlider>("volume")->value(), effect == QStringLiteral("volume 0") ? 0 : 100);
}

void TestReelwright::hostileImports_data()
{
    QTest::addColumn<bool>("photo"); // through the photo import, else the sound import
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // empty: the file is usable and joins the album
    const auto rows = [](bool photo) {
        return [photo](const char* tag, const char* name, const char* kind, const char* reason) {
            QTest::newRow(tag) << photo << QString::fromUtf8(name) << QString::fromUtf8(kind)
                               << QString::fromUtf8(reason);
        };
    };
    const auto photo = rows(true), sound = rows(false);
    const char* notPhoto = "It is not a photo in a format this program reads.";
    photo("0-byte photo", "empty.jpg", "empty", "The file is empty.");
    photo("text as JPEG", "notes.jpg", "text", notPhoto);
    photo("truncated JPEG", "cut.jpg", "truncated", "The photo is damaged or cut short.");
    photo("huge dimensions", "huge.jpg", "huge dimensions", "The photo is too large (65000 x 65000 pixels).");
    photo("huge header", "comments.jpg", "huge header", "");
    photo("scrambled EXIF", "scrambled.jpg", "scrambled exif", "");
    photo("markup in a name", "<b>x<br>.jpg", "photo", "");
    photo("ampersand and quote", "a&b\".jpg", "photo", "");
    photo("markup in a refused name", "<img src=x> &amp;.jpg", "text", notPhoto);
    sound("0-byte sound", "empty.mp3", "empty", "The file is empty.");
    sound("text as MP3", "notes.mp3", "text", "It is not a sound file this program reads.");
    // Read by its name as a picture, it has no sound to offer.
    sound("text named as a photo", "notes.jpg", "text", "It holds no sound.");
    sound("video-only m4a", "video.m4a", "video only", "It holds no sound.");
    // The header's length is not believed: the clip is as long as its samples.
    sound("lying WAV header", "long.wav", "lying wav", "");
    sound("5.1 AC-3", "surround.ac3", "5.1 ac3", "");
    sound("markup in a sound's name", "<b>s<u>&a\".wav", "sound", "");
}

void TestReelwright::hostileImports()
{
    QFETCH(bool, photo);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QDir folder(m_dir.filePath(
        QStringLiteral("hostile-%1").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'))));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QString hostile = folder.filePath(name);
    const QString made = makeHostileFile(kind, hostile);
    QVERIFY2(made.isEmpty(), qPrintable(made));

    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
    importAudio({media("journeys-8s.m4a")});
    QCOMPARE(m_messages, QStringList());
    const StoryBoardData& album = m_window->storyBoardData();
    // Beside a usable file, in one import through the dialog.
    const QString usable = photo ? media("clock-portrait-exif3.jpg") : media("elvish-15s.mp3");
    if (photo)
        importPhotos({hostile, usable});
    else
        importAudio({hostile, usable});

    QStringList expected =
        photo ? QStringList{media("flower.jpg"), media("raindrops.jpg")} : QStringList{media("journeys-8s.m4a")};
    if (reason.isEmpty())
        expected << hostile;
    expected << usable;
    QStringList got;
    if (photo)
        for (const ImageInfo& info : album.photos)
            got << info.filePath;
    else
        for (const AudioInfo& info : album.audios)
            got << info.filePath;
    QCOMPARE(got, expected);
    QCOMPARE(album.photos.size(), photo ? expected.size() : 2);
    QCOMPARE(album.audios.size(), photo ? 1 : expected.size());

    if (reason.isEmpty()) {
        QCOMPARE(m_messages, QStringList());
        if (!photo && kind != QStringLiteral("5.1 ac3")) {
            AudioInfo sample;
            sample.filePath = media("sad-mono-22k.wav");
            QVERIFY(AudioReader::parse(sample));
            const AudioInfo& clip = album.audios.at(expected.indexOf(hostile));
            QVERIFY2(std::abs(clip.duration - sample.duration) < 0.05, qPrintable(QString::number(clip.duration)));
        }
        // The strip names it as it is written.
        auto* strip = child<QListWidget>(photo ? "photoListWidget" : "audioListWidget");
        bool named = false;
        for (int row = 0; row < strip->count(); ++row)
            named = named || plainText(strip->item(row)->toolTip()).contains(name);
        QVERIFY2(named, qPrintable(name));
    } else {
        // One report, naming the file as it is written, with its reason.
        QCOMPARE(m_messages.size(), 1);
        const QString report = plainText(m_messages.first());
        QVERIFY2(report.contains(QDir::toNativeSeparators(hostile)), qPrintable(report));
        QVERIFY2(report.contains(reason), qPrintable(report));
        QVERIFY2(!report.contains(QFileInfo(usable).fileName()), qPrintable(report));
    }
    // The album still plays.
    QVERIFY(child<QWidget>("play")->isEnabled());
    click("play");
    QTRY_VERIFY(m_window->player()->currentFrame > 0);
    click("pause");
}

// "Edit Audio" plays the files itself, so it must find the preview paused.
// Its button is disabled while the preview plays; a double-click on the
// sound strip is not, and takes the same way in.
void TestReelwright::editAudioPausesPreview()
{
    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
    importAudio({media("journeys-8s.m4a")});
    // Whether the preview played while the next dialog was up; -1: no dialog.
    int playingInDialog = -1;
    const auto watchDialog = [this, &playingInDialog] {
        playingInDialog = -1;
        whenModal<AdjustAudioOrder>([this, &playingInDialog](AdjustAudioOrder* dialog) {
            playingInDialog = m_window->player()->isPlaying() ? 1 : 0;
            dialog->reject();
            return true;
        });
    };
    auto* strip = child<QListWidget>("audioListWidget");

    // The double-click by itself: the click before it seeks, which pauses
    // too, but the dialog must not depend on that.
    click("play");
    QVERIFY(m_window->player()->isPlaying());
    QVERIFY(!child<QWidget>("adjustOrder")->isEnabled());
    watchDialog();
    emit strip->itemDoubleClicked(strip->item(0));
    QCOMPARE(playingInDialog, 0);
    QVERIFY(child<QWidget>("play")->isVisible() && !child<QWidget>("pause")->isVisible());

    // Paused, the button opens the same dialog.
    watchDialog();
    click("adjustOrder");
    QCOMPARE(playingInDialog, 0);
}

std::unique_ptr<QObject> makeReelwrightTests() { return std::make_unique<TestReelwright>(); }

// The beat setting in the window: the clips are analysed on their own, the
// preview's changes move to the beats, the sound strip shows the marks of the
// selected clip, the media panel tells a clip without a steady beat, and an
// undo brings the even layout back.
void TestReelwright::beatCutsInWindow()
{
    ClickTrack track;
    track.seconds = 14.0;
    const QString click = m_dir.filePath(QStringLiteral("window-click.wav"));
    QVERIFY(track.write(click));
    importPhotos({media("flower.jpg"), media("raindrops.jpg"), media("bird-exif6.jpg")});
    importAudio({click, media("journeys-8s.m4a")});
    const StoryBoardRender& render = m_window->storyBoardRender();
    QCOMPARE(render.transitionStartFrame(0), 125.0);

    auto* beat = child<QCheckBox>("checkBoxBeatCuts");
    QVERIFY(!beat->isChecked());
    QVERIFY(!beat->toolTip().isEmpty());
    beat->click();
    QVERIFY(m_window->storyBoardData().beatCuts);
    // The first change (5.75 s) goes to a click at 5.5 or 6 s once the beats are known.
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(render.transitionStartFrame(0) - 125.0) > 5.0, 20000);
    QCOMPARE(render.totalFrames, 450u); // the album keeps its length

    auto* strip = child<AudioListWidget>("audioListWidget");
    auto* panel = m_window->findChild<MediaInfoWidget*>();
    QVERIFY(panel);
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualItemRect(strip->item(0)).center());
    QCOMPARE(strip->beatMarkRow(), 0);
    QVERIFY(strip->beatMarks().size() >= 20);
    QVERIFY2(panel->text().contains(QStringLiteral("120 beats per minute")), qPrintable(panel->text()));
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualItemRect(strip->item(1)).center());
    QTRY_VERIFY_WITH_TIMEOUT(panel->text().contains(QStringLiteral("No steady beat")), 20000);

    m_window->findChild<QAction*>(QStringLiteral("actionUndo"))->trigger();
    QVERIFY(!m_window->storyBoardData().beatCuts);
    QVERIFY(!beat->isChecked());
    QCOMPARE(render.transitionStartFrame(0), 125.0);
}

#include "tst_reelwright.moc"
