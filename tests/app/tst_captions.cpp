// Captions and title cards in the main window: the panel's editor follows
// the selection, title cards go in before the selected photo and come out
// with one undo, the caption dialog's Cancel restores, a caption dragged in
// the paused preview moves there, and captions come in from subtitles.
// Every dialog is answered through its test hook.

#include "apptests.h"

#include "avplayer.h"
#include "captiondialog.h"
#include "captioneditor.h"
#include "reelwright.h"
#include "samplemedia.h"
#include "zumessagebox.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <qopengl.h>

#include <functional>
#include <memory>

namespace {

QString media(const char* name) { return sampleMediaFile(QLatin1String(name)); }

// Mean difference per channel of the same rectangle of two pictures.
double difference(const QImage& a, const QImage& b, const QRect& area)
{
    double sum = 0.0;
    int count = 0;
    const QRect inside = area & a.rect() & b.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x, ++count) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return count ? sum / (3.0 * count) : 0.0;
}

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    std::unique_ptr<Reelwright> m_window;
    QStringList m_imports, m_messages, m_subtitleDirs;
    QString m_subtitle;

    template <typename T>
    T* child(const char* name) const
    {
        T* object = m_window->findChild<T*>(QLatin1String(name));
        if (!object)
            qFatal("no child %s", name);
        return object;
    }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }
    AlbumDocument& document() { return m_window->albumDocument(); }
    QListWidget* strip() const { return child<QListWidget>("photoListWidget"); }
    CaptionEditor* panel() const { return child<CaptionEditor>("captionEditor"); }
    void importPhotos(const QStringList& files)
    {
        m_imports = files;
        trigger("actionImportPhotos");
        QCOMPARE(document().photos().size(), files.size());
    }
    void selectPhoto(int index, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(strip()->viewport(), Qt::LeftButton, modifiers,
                          strip()->visualItemRect(strip()->item(2 * index)).center());
    }
    template <typename T>
    void whenModal(std::function<bool(T*)> answer)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [timer, answer] {
            if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
                if (answer(dialog))
                    timer->deleteLater();
        });
        timer->start(20);
    }
    // The frame the preview composed, top row first.
    QImage previewFrame() const
    {
        AVPlayer* player = m_window->player();
        QImage frame(player->frameSize(), QImage::Format_RGBA8888);
        if (!player->readFrame(GL_RGBA, GL_UNSIGNED_BYTE, frame.bits()))
            return {};
        return player->flipsVertically() ? frame : frame.mirrored(false, true);
    }
    bool writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
        QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
        ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
            m_messages << box.text();
            return box.icon() == QMessageBox::Question ? QMessageBox::Discard : QMessageBox::Ok;
        });
        Reelwright::setFileDialogHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_imports; });
        Reelwright::setSubtitleDialogHook([this](QWidget*, const QString&, const QString& dir, const QString&) {
            m_subtitleDirs << dir;
            return m_subtitle;
        });
    }

    void init()
    {
        m_pref = std::make_unique<ZuPref>(
            m_dir.filePath(QStringLiteral("settings-%1.ini").arg(QTest::currentTestFunction())));
        ZuPref::setInstance(m_pref.get());
        m_imports.clear();
        m_messages.clear();
        m_subtitleDirs.clear();
        m_subtitle.clear();
        m_window = std::make_unique<Reelwright>();
        m_window->resize(1100, 760);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        ZuPref::setInstance(nullptr);
        m_pref.reset();
    }

    void cleanupTestCase()
    {
        ZuMessageBox::setAnswerHook({});
        Reelwright::setFileDialogHook({});
        Reelwright::setSubtitleDialogHook({});
    }

    void panelFollowsTheSelection()
    {
        QVERIFY(!panel()->isEnabled());
        importPhotos({media("flower.jpg"), media("raindrops.jpg")});
        selectPhoto(1);
        QVERIFY(panel()->isEnabled());
        QCOMPARE(panel()->photo(), 1);
        auto* text = panel()->findChild<QPlainTextEdit*>(QStringLiteral("captionText"));
        text->setFocus();
        QTest::keyClicks(text, QStringLiteral("Rain"));
        QCOMPARE(document().photos().at(1).caption.text, QStringLiteral("Rain"));
        QVERIFY(child<QAction>("actionUndo")->isEnabled());
        trigger("actionUndo");
        QCOMPARE(document().photos().at(1).caption.text, QString());
        QCOMPARE(text->toPlainText(), QString());
        selectPhoto(0);
        QCOMPARE(panel()->photo(), 0);
        QVERIFY(child<QAction>("actionEditCaption")->isEnabled());
        // Two photos: no single caption to edit.
        selectPhoto(1, Qt::ControlModifier);
        QVERIFY(!panel()->isEnabled());
        QVERIFY(!child<QAction>("actionEditCaption")->isEnabled());
    }

    void insertTitleCard_data()
    {
        QTest::addColumn<int>("selected"); // -1: none
        QTest::addColumn<int>("at");
        QTest::newRow("before the second") << 1 << 1;
        QTest::newRow("before the first") << 0 << 0;
        QTest::newRow("none selected: at the end") << -1 << 2;
    }
    void insertTitleCard()
    {
        QFETCH(int, selected);
        QFETCH(int, at);
        importPhotos({media("flower.jpg"), media("raindrops.jpg")});
        strip()->clearSelection();
        if (selected >= 0)
            selectPhoto(selected);
        const quint32 frames = m_window->storyBoardRender().totalFrames;
        trigger("actionInsertTitleCard");
        QCOMPARE(document().photos().size(), 3);
        const ImageInfo& card = document().photos().at(at);
        QVERIFY(card.isTitleCard());
        QVERIFY(card.filePath.isEmpty());
        QCOMPARE(strip()->count(), 5);
        QCOMPARE(strip()->currentRow(), 2 * at);
        QCOMPARE(panel()->photo(), at);
        QVERIFY(m_window->storyBoardRender().totalFrames > frames);
        QVERIFY(!strip()->item(2 * at)->data(Qt::DecorationRole).isNull());
        trigger("actionUndo");
        QCOMPARE(document().photos().size(), 2);
        QCOMPARE(strip()->count(), 3);
        QCOMPARE(m_window->storyBoardRender().totalFrames, frames);
    }

    void contextMenuOffersCaptions()
    {
        importPhotos({media("flower.jpg")});
        selectPhoto(0);
        QStringList entries;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&entries] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (const QAction* action : menu->actions())
                    entries << action->objectName();
                menu->close();
            }
        });
        closer.start(20);
        const QRect item = strip()->visualItemRect(strip()->item(0));
        QContextMenuEvent event(QContextMenuEvent::Mouse, item.center(),
                                strip()->viewport()->mapToGlobal(item.center()));
        QApplication::sendEvent(strip()->viewport(), &event);
        QVERIFY2(entries.contains(QStringLiteral("actionInsertTitleCard")), qPrintable(entries.join(u',')));
        QVERIFY(entries.contains(QStringLiteral("actionEditCaption")));
    }

    void dialogCancelRestores_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("cancel") << false;
        QTest::newRow("ok") << true;
    }
    void dialogCancelRestores()
    {
        QFETCH(bool, accept);
        importPhotos({media("flower.jpg"), media("raindrops.jpg")});
        selectPhoto(0);
        const int steps = document().undoStack()->index();
        bool answered = false;
        whenModal<CaptionDialog>([&](CaptionDialog* dialog) {
            auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("captionText"));
            text->setFocus();
            QTest::keyClicks(text, QStringLiteral("Gone"));
            answered = document().photos().at(0).caption.text == QLatin1String("Gone");
            accept ? dialog->accept() : dialog->reject();
            return true;
        });
        trigger("actionEditCaption");
        QVERIFY(answered);
        QCOMPARE(document().photos().at(0).caption.text, accept ? QStringLiteral("Gone") : QString());
        QCOMPARE(document().undoStack()->index(), steps + (accept ? 1 : 0));
        // The panel shows what the album holds.
        QCOMPARE(panel()->findChild<QPlainTextEdit*>(QStringLiteral("captionText"))->toPlainText(),
                 document().photos().at(0).caption.text);
    }

    void dragInThePausedPreview()
    {
        importPhotos({media("flower.jpg")});
        selectPhoto(0);
        Caption caption;
        caption.text = QStringLiteral("MOVE ME");
        caption.size = 0.12;
        caption.backdrop = CaptionBackdrop::Band;
        document().setCaption(0, caption, QStringLiteral("Caption"));
        m_window->seek(0);
        QTRY_VERIFY(!previewFrame().isNull());
        AVPlayer* player = m_window->player();
        const QSize frame = player->frameSize();
        const QRect shown = player->shownFrameRect();
        QVERIFY(!shown.isEmpty());
        const QImage before = previewFrame();
        const QRect from = captionRect(caption, frame);
        const auto toWidget = [&](QPointF inFrame) {
            return QPoint(int(shown.x() + inFrame.x() * shown.width() / frame.width()),
                          int(shown.y() + inFrame.y() * shown.height() / frame.height()));
        };
        const QPoint press = toWidget(from.center());
        const QPointF target(0.5, 0.25); // the drop point, in frame fractions
        const QPoint drop = toWidget(QPointF(target.x() * frame.width(), target.y() * frame.height()));
        const int steps = document().undoStack()->index();

        QTest::mousePress(player, Qt::LeftButton, {}, press);
        for (int i = 1; i <= 4; ++i)
            QTest::mouseMove(player, press + (drop - press) * i / 4);
        QTest::mouseRelease(player, Qt::LeftButton, {}, drop);

        const Caption& moved = document().photos().at(0).caption;
        QCOMPARE(moved.place, CaptionPlace::Free);
        const QPointF grabbed = captionCentre(caption, frame);
        const QPointF offset(grabbed.x() - double(from.center().x()) / frame.width(),
                             grabbed.y() - double(from.center().y()) / frame.height());
        QVERIFY2(qAbs(moved.point.x() - (target.x() + offset.x())) < 0.01 &&
                     qAbs(moved.point.y() - (target.y() + offset.y())) < 0.01,
                 qPrintable(QStringLiteral("%1, %2").arg(moved.point.x()).arg(moved.point.y())));
        QCOMPARE(document().undoStack()->index(), steps + 1);

        // The preview shows the caption where it was dropped and no longer
        // where it was: text pixels near the drop point, the old place as
        // the photo alone.
        QTRY_VERIFY(!previewFrame().isNull());
        const QImage after = previewFrame();
        const QRect to = captionRect(moved, frame);
        QVERIFY(!to.intersects(from));
        trigger("actionUndo");
        QCOMPARE(document().photos().at(0).caption.place, caption.place);
        trigger("actionRedo");
        QTRY_VERIFY(!previewFrame().isNull());
        QVERIFY2(difference(before, after, to) > 10.0, "no caption at the drop point");
        QVERIFY2(difference(before, after, from) > 10.0, "the caption stayed at its old place");
    }

    void importSubtitles_data()
    {
        QTest::addColumn<QByteArray>("srt"); // empty: the dialog is cancelled
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<bool>("message");
        const QStringList untouched{QString(), QStringLiteral("mine")};
        QTest::newRow("one entry per photo")
            << QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Morning</i>\r\n\r\n"
                          "2\r\n00:00:09,000 --> 00:00:10,500\r\nRain &amp; <b>sun</b>\r\nlate\r\n")
            << QStringList{QStringLiteral("Morning"), QStringLiteral("Rain &amp; sun\nlate")} << false;
        QTest::newRow("a photo without an entry keeps its caption")
            << QByteArray("1\n00:00:00,500 --> 00:00:03,000\nOnly the first\n")
            << QStringList{QStringLiteral("Only the first"), QStringLiteral("mine")} << false;
        QTest::newRow("damaged times") << QByteArray("1\n00:00:01,000 -> soon\nText\n") << untouched << true;
        QTest::newRow("cancelled") << QByteArray() << untouched << false;
    }
    void importSubtitles()
    {
        QFETCH(QByteArray, srt);
        QFETCH(QStringList, captions);
        QFETCH(bool, message);
        importPhotos({media("flower.jpg"), media("raindrops.jpg")});
        Caption mine;
        mine.text = QStringLiteral("mine");
        document().setCaption(1, mine, QStringLiteral("Caption"));
        const QString album = m_dir.filePath(QStringLiteral("holiday.reelwright"));
        QVERIFY(m_window->saveAlbum(album));
        const int steps = document().undoStack()->index();
        if (!srt.isEmpty()) {
            m_subtitle = m_dir.filePath(QStringLiteral("holiday.srt"));
            QVERIFY(writeFile(m_subtitle, srt));
        }
        trigger("actionImportSubtitles");
        QCOMPARE(m_subtitleDirs, QStringList{m_dir.filePath(QStringLiteral("holiday.srt"))});
        QCOMPARE(m_messages.size(), message ? 1 : 0);
        QCOMPARE(document().photos().at(0).caption.text, captions.at(0));
        QCOMPARE(document().photos().at(1).caption.text, captions.at(1));
        const bool changed = captions != QStringList{QString(), QStringLiteral("mine")};
        QCOMPARE(document().undoStack()->index(), steps + (changed ? 1 : 0));
        if (changed) {
            trigger("actionUndo");
            QCOMPARE(document().photos().at(0).caption.text, QString());
            QCOMPARE(document().photos().at(1).caption.text, QStringLiteral("mine"));
        }
    }

    // A card has no file: opening an album with one reports nothing
    // missing and keeps the card.
    void cardSurvivesTheAlbumFile()
    {
        importPhotos({media("flower.jpg")});
        strip()->clearSelection();
        trigger("actionInsertTitleCard");
        Caption text = document().photos().at(1).caption;
        text.text = QStringLiteral("The End");
        document().setCaption(1, text);
        const QImage thumbnail = document().photos().at(1).thumbnail;
        QVERIFY(!thumbnail.isNull());
        const QString file = m_dir.filePath(QStringLiteral("card.reelwright"));
        QVERIFY(m_window->saveAlbum(file));
        trigger("actionNew");
        QCOMPARE(document().photos().size(), 0);
        QStringList dialogs;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&dialogs] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialogs << QString::fromLatin1(dialog->metaObject()->className());
                dialog->reject();
            }
        });
        closer.start(20);
        QVERIFY(m_window->openAlbum(file));
        // The photos' files are read again in the background; the card has
        // none, and keeps the thumbnail drawn for it.
        QTRY_VERIFY(!m_window->findChild<QProgressBar*>(QStringLiteral("probeBar")) ||
                    !m_window->findChild<QProgressBar*>(QStringLiteral("probeBar"))->isVisible());
        QTest::qWait(100);
        QVERIFY2(dialogs.isEmpty(), qPrintable(dialogs.join(u',')));
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
        QCOMPARE(document().photos().size(), 2);
        QVERIFY(document().photos().at(1).isTitleCard());
        QVERIFY(document().photos().at(1).thumbnail == thumbnail);
        QCOMPARE(document().photos().at(1).width, 0);
        QCOMPARE(document().photos().at(1).caption.text, QStringLiteral("The End"));
        selectPhoto(1);
        QCOMPARE(panel()->photo(), 1);
    }

    void noDragWhilePlaying()
    {
        importPhotos({media("flower.jpg")});
        Caption caption;
        caption.text = QStringLiteral("STAY");
        caption.size = 0.12;
        document().setCaption(0, caption, QStringLiteral("Caption"));
        m_window->seek(0);
        AVPlayer* player = m_window->player();
        const QSize frame = player->frameSize();
        const QRect shown = player->shownFrameRect();
        const QRect from = captionRect(caption, frame);
        const QPoint press(int(shown.x() + from.center().x() * shown.width() / frame.width()),
                           int(shown.y() + from.center().y() * shown.height() / frame.height()));
        trigger("actionPlayPause");
        QCOMPARE(m_window->currentPlayState(), 1);
        QTest::mousePress(player, Qt::LeftButton, {}, press);
        QTest::mouseMove(player, press - QPoint(0, shown.height() / 3));
        QTest::mouseRelease(player, Qt::LeftButton, {}, press - QPoint(0, shown.height() / 3));
        trigger("actionPlayPause");
        QCOMPARE(document().photos().at(0).caption.place, CaptionPlace::Bottom);
    }
};

std::unique_ptr<QObject> makeCaptionsTests() { return std::make_unique<TestCaptions>(); }

#include "tst_captions.moc"
