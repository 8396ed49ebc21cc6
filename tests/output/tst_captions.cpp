// Captions and title cards in a compiled video: one short album with a
// caption at every place with every backdrop and a title card, compiled
// once and decoded; the text shows where the caption's rectangle says and
// nowhere else, fades with the transitions, and matches the preview.

#include "albumfile.h"
#include "avplayer.h"
#include "avwritermanager.h"
#include "caption.h"
#include "compilearguments.h"
#include "outputtests.h"
#include "storyboardrender.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;
const QColor PhotoColour(40, 60, 90);
const QColor TextColour(255, 255, 0);

const std::array<std::pair<CaptionPlace, const char*>, 4> s_places{{{CaptionPlace::Bottom, "bottom"},
                                                                    {CaptionPlace::Top, "top"},
                                                                    {CaptionPlace::Centre, "centre"},
                                                                    {CaptionPlace::Free, "free"}}};
const std::array<std::pair<CaptionBackdrop, const char*>, 4> s_backdrops{{{CaptionBackdrop::None, "no backdrop"},
                                                                          {CaptionBackdrop::Shadow, "shadow"},
                                                                          {CaptionBackdrop::Outline, "outline"},
                                                                          {CaptionBackdrop::Band, "band"}}};

// Bright yellow, which neither the photo nor any backdrop comes near, after
// the encoder's chroma subsampling has paled thin strokes.
bool isText(QRgb pixel)
{
    return std::min(qRed(pixel), qGreen(pixel)) > 150 && std::min(qRed(pixel), qGreen(pixel)) - qBlue(pixel) > 70;
}

struct TextCount {
    int inside = 0;
    int outside = 0;
    QPoint firstOutside{-1, -1};
};

// Text pixels within `rect` grown by `margin` (the codec's blocks smear an
// edge a little) and beyond it.
TextCount countText(const QImage& frame, const QRect& rect, int margin = 3)
{
    TextCount count;
    const QRect grown = rect.adjusted(-margin, -margin, margin, margin);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            if (!isText(frame.pixel(x, y)))
                continue;
            if (grown.contains(x, y)) {
                ++count.inside;
            } else if (count.outside++ == 0) {
                count.firstOutside = QPoint(x, y);
            }
        }
    return count;
}

double luma(QRgb pixel) { return 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel); }

// Mean luma difference within `rect`: the encoder keeps luma per pixel,
// while its chroma, shared by 2 x 2 pixels, smears every letter's edge.
double meanLumaDifference(const QImage& a, const QImage& b, const QRect& rect)
{
    double sum = 0;
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x, ++n)
            sum += std::abs(luma(a.pixel(x, y)) - luma(b.pixel(x, y)));
    return n ? sum / n : 255.0;
}

QImage readBack(GLDrawer& drawer)
{
    QImage image(drawer.frameSize(), QImage::Format_RGBA8888);
    if (!drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, image.bits()))
        return {};
    return drawer.flipsVertically() ? image : image.mirrored(false, true);
}

} // namespace

class CompileCaptionTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    StoryBoardData m_album;
    RenderParam m_param;
    StoryBoardRender m_render;
    std::unique_ptr<DecodedFile> m_decoded;
    QList<int> m_aloneFrames;      // per photo, a frame it shows alone
    QList<int> m_transitionFrames; // per photo, the middle of the transition to the next
    int m_cardIndex = -1;
    ZumProfileData m_profile;
    QString m_profileFile;

    static Caption captionAt(CaptionPlace place, CaptionBackdrop backdrop)
    {
        Caption made;
        made.text = QStringLiteral("Hello 42");
        made.place = place;
        made.point = QPointF(0.35, 0.3);
        made.size = 0.12;
        made.colour = TextColour;
        made.backdrop = backdrop;
        return made;
    }
    QImage frame(int number) const { return m_decoded ? m_decoded->frames.value(number) : QImage(); }

private slots:
    void initTestCase()
    {
        QImage plain(Width, Height, QImage::Format_RGB32);
        plain.fill(PhotoColour);
        const QString photoPath = m_dir.filePath(QStringLiteral("plain.png"));
        QVERIFY(plain.save(photoPath, "PNG"));
        for (const auto& [place, placeName] : s_places)
            for (const auto& [backdrop, backdropName] : s_backdrops) {
                ImageInfo photo;
                photo.filePath = photoPath;
                photo.caption = captionAt(place, backdrop);
                m_album.photos << photo;
            }
        ImageInfo card;
        card.titleCard = true;
        card.cardTop = QColor(200, 30, 30);
        card.cardBottom = QColor(30, 30, 200);
        card.caption = captionAt(CaptionPlace::Centre, CaptionBackdrop::Shadow);
        card.caption.text = QStringLiteral("The End");
        m_cardIndex = int(m_album.photos.size());
        m_album.photos << card;
        // 5 frames alone, 4 of transition (the middle one halfway).
        m_album.photoMs = 200;
        m_album.photoSeconds = 0.2;
        m_album.transitionMs = 160;
        m_album.transitionSeconds = 0.16;
        m_album.dissolveOnly = true;
        m_album.useZoom = false;

        ZumProfileData& profile = m_profile;
        profile.properties = {{"/ext_name", "avi"}, {"/name", "Captions"},   {"vcodec", "mjpeg"},
                              {"b", "20000000"},    {"acodec", "pcm_s16le"}, {"ar", "48000"},
                              {"ac", "2"},          {"s", "320x240"},        {"r", "25"}};
        renderParamsFromProfile(m_param, profile);
        // The same profile as a file, for the command line.
        QJsonObject properties;
        for (auto it = profile.properties.cbegin(); it != profile.properties.cend(); ++it)
            properties.insert(it.key(), it.value().toString());
        QFile profileFile(m_dir.filePath(QStringLiteral("captions-profile.json")));
        QVERIFY(profileFile.open(QIODevice::WriteOnly));
        profileFile.write(
            QJsonDocument(QJsonObject{{"name", "Captions"}, {"group", "general"}, {"properties", properties}})
                .toJson());
        profileFile.close();
        m_profileFile = profileFile.fileName();
        QCOMPARE(QSize(m_param.width, m_param.height), QSize(Width, Height));
        QVERIFY(m_render.init(m_param));
        m_render.setStoryBoard(&m_album);
        for (int i = 0; i < m_album.photos.size(); ++i) {
            m_aloneFrames << int(std::ceil(m_render.photoStartFrame(i))) + 2;
            m_transitionFrames << int(std::ceil(m_render.transitionStartFrame(i))) + 2;
        }

        const QString file = m_dir.filePath(QStringLiteral("captions.avi"));
        AVWriterManager loop;
        QVERIFY2(loop.begin(&m_render, file, compileArguments(profile, m_param, file)),
                 qPrintable(loop.failureReason()));
        QSignalSpy ended(&loop, &AVWriterManager::compileEnd);
        loop.start();
        QVERIFY(ended.wait(120000) || !ended.isEmpty());
        QVERIFY2(loop.finish(), qPrintable(loop.failureReason()));
        m_decoded = std::make_unique<DecodedFile>(decodeFile(file, m_aloneFrames + m_transitionFrames));
        QCOMPARE(m_decoded->videoFrames, int(m_render.totalFrames));
        if (!qEnvironmentVariableIsEmpty("REELWRIGHT_CAPTION_FRAMES")) {
            // For a look at the frames: REELWRIGHT_CAPTION_FRAMES=folder.
            const QString folder = qEnvironmentVariable("REELWRIGHT_CAPTION_FRAMES");
            for (auto it = m_decoded->frames.cbegin(); it != m_decoded->frames.cend(); ++it)
                it.value().save(QStringLiteral("%1/frame-%2.png").arg(folder).arg(it.key(), 3, 10, QLatin1Char('0')));
        }
    }

    // Each caption's text shows in its rectangle and nowhere else, and the
    // preview shows the same frame.
    void captionInItsPlace_data()
    {
        QTest::addColumn<int>("index");
        int index = 0;
        for (const auto& [place, placeName] : s_places)
            for (const auto& [backdrop, backdropName] : s_backdrops)
                QTest::newRow(
                    qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(placeName), QLatin1String(backdropName))))
                    << index++;
        QTest::newRow("title card") << m_cardIndex;
    }
    void captionInItsPlace()
    {
        QFETCH(int, index);
        const ImageInfo& photo = m_album.photos.at(index);
        const QRect rect = captionRect(photo.caption, QSize(Width, Height));
        QVERIFY(QRect(0, 0, Width, Height).contains(rect));
        const QImage shown = frame(m_aloneFrames.at(index));
        QCOMPARE(shown.size(), QSize(Width, Height));
        const TextCount text = countText(shown, rect);
        QVERIFY2(text.inside >= 40, qPrintable(QString::number(text.inside)));
        QVERIFY2(text.outside == 0, qPrintable(QStringLiteral("%1 text pixels outside %2,%3 %4x%5, first at %6,%7")
                                                   .arg(text.outside)
                                                   .arg(rect.x())
                                                   .arg(rect.y())
                                                   .arg(rect.width())
                                                   .arg(rect.height())
                                                   .arg(text.firstOutside.x())
                                                   .arg(text.firstOutside.y())));

        // Away from the caption, the photo (or the card's gradient).
        const int y = rect.top() > Height / 2 ? 4 : Height - 5;
        const QRgb away = shown.pixel(Width / 2, y);
        const QColor expected =
            photo.isTitleCard()
                ? QColor(paintCardBackground(photo.cardTop, photo.cardBottom, QSize(Width, Height)).pixel(Width / 2, y))
                : PhotoColour;
        QVERIFY2(std::abs(qRed(away) - expected.red()) <= 8 && std::abs(qGreen(away) - expected.green()) <= 8 &&
                     std::abs(qBlue(away) - expected.blue()) <= 8,
                 qPrintable(QStringLiteral("%1 at y %2").arg(QColor(away).name()).arg(y)));

        // The paused preview at that frame: the same caption, same place.
        AVPlayer player;
        QVERIFY(player.init(m_param));
        player.render = &m_render;
        player.seek(ulong(m_aloneFrames.at(index)));
        const QImage preview = readBack(player);
        QCOMPARE(countText(preview, rect).outside, 0);
        QVERIFY(countText(preview, rect).inside >= text.inside / 2);
        const double difference = meanLumaDifference(preview, shown, rect);
        QVERIFY2(difference < 3.0, qPrintable(QString::number(difference)));
    }

    // A title card: the gradient's two colours at its top and bottom.
    void titleCardGradient()
    {
        const ImageInfo& card = m_album.photos.at(m_cardIndex);
        const QImage shown = frame(m_aloneFrames.at(m_cardIndex));
        const QRgb top = shown.pixel(4, 2);
        const QRgb bottom = shown.pixel(4, Height - 3);
        QVERIFY2(std::abs(qRed(top) - card.cardTop.red()) <= 10 && std::abs(qBlue(top) - card.cardTop.blue()) <= 10,
                 qPrintable(QColor(top).name()));
        QVERIFY2(std::abs(qRed(bottom) - card.cardBottom.red()) <= 10 &&
                     std::abs(qBlue(bottom) - card.cardBottom.blue()) <= 10,
                 qPrintable(QColor(bottom).name()));
    }

    // Halfway through a transition the outgoing caption shows at about half
    // its strength.
    void captionFadesOut_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("bottom, band into top") << 3;
        QTest::newRow("top, band into centre") << 7;
        QTest::newRow("centre, band into free") << 11;
    }
    void captionFadesOut()
    {
        QFETCH(int, index);
        const QRect outgoing = captionRect(m_album.photos.at(index).caption, QSize(Width, Height));
        const QRect incoming = captionRect(m_album.photos.at(index + 1).caption, QSize(Width, Height));
        const QImage alone = frame(m_aloneFrames.at(index));
        const QImage middle = frame(m_transitionFrames.at(index));
        // The brightness of the outgoing letters above the photo's, where the
        // incoming caption does not reach.
        const double photo = luma(PhotoColour.rgb());
        double full = 0, half = 0;
        int n = 0;
        const QRect elsewhere = incoming.adjusted(-3, -3, 3, 3);
        for (int y = outgoing.top(); y <= outgoing.bottom(); ++y)
            for (int x = outgoing.left(); x <= outgoing.right(); ++x) {
                if (!isText(alone.pixel(x, y)) || elsewhere.contains(x, y))
                    continue;
                full += luma(alone.pixel(x, y)) - photo;
                half += luma(middle.pixel(x, y)) - photo;
                ++n;
            }
        QVERIFY2(n >= 20, qPrintable(QString::number(n)));
        const double ratio = half / full;
        QVERIFY2(ratio > 0.3 && ratio < 0.7, qPrintable(QString::number(ratio)));
    }

    // An album file keeps its captions and title cards, and the command line
    // compiles it to the very frames of the compile above.
    void commandLineAlbum()
    {
        AlbumContents contents = albumContentsOf(m_album);
        contents.output = {m_profileFile, QStringLiteral("general"), m_dir.filePath(QStringLiteral("album")),
                           QStringLiteral("Captioned")};
        const QString file = m_dir.filePath(QStringLiteral("captioned.reelwright"));
        QString error;
        QVERIFY2(AlbumFile::write(file, contents, &error), qPrintable(error));
        QProcess process;
        process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"), {file, "-q"});
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const DecodedFile decoded = decodeFile(m_dir.filePath(QStringLiteral("album/Captioned.avi")));
        QCOMPARE(decoded.videoFrames, m_decoded->videoFrames);
        QVERIFY(decoded.frameChecksums == m_decoded->frameChecksums);
    }

    // --srt: each photo shows the entries that fall while it is on screen,
    // in the default look; a photo without one shows no text.
    void commandLineSubtitles()
    {
        const QString srt = m_dir.filePath(QStringLiteral("captions.srt"));
        QFile file(srt);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Photo 0 from 0 to 0.4 s, photo 1 from 0.4 to 0.8 s.
        file.write("1\r\n00:00:00,450 --> 00:00:00,750\r\nSecond <i>photo</i>\r\n\r\n");
        file.close();
        const QString photo = m_dir.filePath(QStringLiteral("plain.png"));
        const QString folder = m_dir.filePath(QStringLiteral("srt"));
        QProcess process;
        process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"),
                      {photo, photo, "--photo-ms", "400", "--transition-ms", "0", "--no-zoom", "--srt", srt, "-p",
                       m_profileFile, "-o", folder, "-n", "Subtitled", "-q"});
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const DecodedFile decoded = decodeFile(folder + QStringLiteral("/Subtitled.avi"), {5, 15});
        QCOMPARE(decoded.videoFrames, 20);
        Caption expected;
        expected.text = QStringLiteral("Second photo");
        const QRect rect = captionRect(expected, QSize(Width, Height));
        const auto isWhite = [](QRgb pixel) { return std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) > 190; };
        const auto count = [&](const QImage& frame, bool inside) {
            int n = 0;
            const QRect grown = rect.adjusted(-3, -3, 3, 3);
            for (int y = 0; y < frame.height(); ++y)
                for (int x = 0; x < frame.width(); ++x)
                    n += isWhite(frame.pixel(x, y)) && grown.contains(x, y) == inside;
            return n;
        };
        QCOMPARE(count(decoded.frames.value(5), true) + count(decoded.frames.value(5), false), 0);
        QVERIFY(count(decoded.frames.value(15), true) >= 40);
        QCOMPARE(count(decoded.frames.value(15), false), 0);
    }

    void commandLineSubtitleErrors_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << QByteArray() << QStringLiteral("Subtitle file not found");
        QTest::newRow("damaged times") << QByteArray("1\n00:00:01,000 --> soon\nText\n") << QStringLiteral("bad.srt");
    }
    void commandLineSubtitleErrors()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString srt = m_dir.filePath(QStringLiteral("bad.srt"));
        QFile::remove(srt);
        if (!content.isEmpty()) {
            QFile file(srt);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QProcess process;
        process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"),
                      {m_dir.filePath(QStringLiteral("plain.png")), "--srt", srt, "-p", m_profileFile, "-o",
                       m_dir.filePath(QStringLiteral("never")), "-q"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 2);
        const QString said = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(said.contains(message), qPrintable(said));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("never"))));
    }
};

std::unique_ptr<QObject> makeCompileCaptionTests() { return std::make_unique<CompileCaptionTests>(); }

#include "tst_captions.moc"
