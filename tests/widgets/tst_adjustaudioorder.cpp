// The "Edit Audio" dialog on real files: reorder, delete, add through the
// file dialog, start and end points from the slider, accept and cancel, and
// playback (OpenAL's null device, a vanished file, no device at all).

#include "adjustaudioorder.h"
#include "audioreader.h"
#include "clipplayer.h"
#include "importprogress.h"
#include "widgetstests.h"
#include "zumessagebox.h"
#include "zupref.h"
#include "zuskinitemmodel.h"
#include "zusliderbar.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>

namespace {

AudioInfo probed(const QString& path)
{
    AudioInfo info;
    info.filePath = path;
    if (!AudioReader::parse(info))
        qFatal("cannot probe %s", qPrintable(path));
    return info;
}

// A 16-bit mono WAV file of `frames` samples of a quiet square wave.
bool writeWav(const QString& path, int rate, int frames)
{
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const qint16 v = (i / 50) % 2 ? 3000 : -3000;
        data.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    }
    auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out.append(char((value >> (8 * i)) & 0xFF));
        return out;
    };
    const QByteArray bytes = "RIFF" + le(36 + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
                             le(rate, 4) + le(rate * 2, 4) + le(2, 2) + le(16, 2) + "data" + le(data.size(), 4) + data;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The text a tool tip label shows, read the way the label reads it.
QString shownText(const QLabel* label)
{
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    return rich ? QTextDocumentFragment::fromHtml(label->text()).toPlainText() : label->text();
}

QLabel* visibleToolTip()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible())
            return qobject_cast<QLabel*>(widget);
    return nullptr;
}

QStringList names(const QList<AudioInfo>& list)
{
    QStringList result;
    for (const AudioInfo& info : list)
        result << QFileInfo(info.filePath).fileName();
    return result;
}

} // namespace

class AdjustAudioOrderTests : public QObject
{
    Q_OBJECT

private:
    QList<AudioInfo> three;
    std::unique_ptr<AdjustAudioOrder> dialog;

    QToolButton* button(const char* name) const { return dialog->findChild<QToolButton*>(name); }
    QTreeWidget* tree() const { return dialog->findChild<QTreeWidget*>("treeWidget"); }
    ZuSliderBar* slider() const { return dialog->findChild<ZuSliderBar*>("sliderClipping"); }
    QString label() const { return dialog->findChild<QLabel*>("label")->text(); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    // The pixel whose position truncates to `second`.
    int xOf(int second) const { return int(std::ceil(slider()->positionToX(second))); }
    void clickTrack(int second)
    {
        QTest::mouseClick(slider(), Qt::LeftButton, Qt::NoModifier, QPoint(xOf(second), 15));
    }
    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int column = 0; column < 4; ++column)
            texts << tree()->topLevelItem(row)->text(column);
        return texts;
    }
    void open(const QList<AudioInfo>& list)
    {
        dialog = std::make_unique<AdjustAudioOrder>(list);
        dialog->setStyleSheet(ZuSkin(QStringLiteral("Default"), QStringLiteral(":")).styleSheet());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Plays until the dialog stops by itself or `limitMs` passes; the time
    // it took.
    qint64 playUntilStopped(const char* start, int limitMs)
    {
        QElapsedTimer clock;
        clock.start();
        click(start);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!button("stop")->isEnabled(), limitMs); }();
        return clock.elapsed();
    }

private slots:
    void initTestCase()
    {
        three = {probed(mediaFile("elvish-15s.mp3")), probed(mediaFile("journeys-8s.m4a")),
                 probed(mediaFile("knolls-20s.ogg"))};
    }
    void cleanup()
    {
        dialog.reset();
        AdjustAudioOrder::setFileDialogHook({});
        ZuMessageBox::setAnswerHook({});
    }

    void rowsReorderDeleteAndAccept()
    {
        open(three);
        QCOMPARE(tree()->topLevelItemCount(), 3);
        QCOMPARE(rowTexts(1), QStringList({"journeys-8s.m4a", "00:00:08", "00:00:00", "00:00:08"}));
        QCOMPARE(tree()->currentItem(), tree()->topLevelItem(0));
        QVERIFY(!button("moveUp")->isEnabled());
        QCOMPARE(label(), QStringLiteral("00:00:00 / 00:00:15"));

        click("moveDown");
        QCOMPARE(tree()->topLevelItem(1)->text(0), QStringLiteral("elvish-15s.mp3"));
        QCOMPARE(tree()->currentItem(), tree()->topLevelItem(1));
        click("moveDown");
        QVERIFY(!button("moveDown")->isEnabled());
        click("moveUp");
        click("delete_2"); // elvish, now in the middle
        QCOMPARE(tree()->currentItem()->text(0), QStringLiteral("knolls-20s.ogg"));
        QCOMPARE(slider()->maximum(), 20);

        // Start and end points from the thumb, then by dragging the end tag.
        clickTrack(5);
        click("setInPoint");
        clickTrack(3);
        QVERIFY(button("setOutPoint")->isEnabled() == false); // not past start + 1
        click("setOutPoint");
        clickTrack(12);
        click("setOutPoint");
        QCOMPARE(rowTexts(1).mid(2), QStringList({"00:00:05", "00:00:12"}));
        const QPoint tag(int(slider()->positionToX(12)) + 3, slider()->clipTagTop() + 7);
        QTest::mousePress(slider(), Qt::LeftButton, Qt::NoModifier, tag);
        QTest::mouseMove(slider(), QPoint(xOf(3), tag.y())); // closer than 1 s: dropped
        QTest::mouseMove(slider(), QPoint(xOf(16), tag.y()));
        QTest::mouseRelease(slider(), Qt::LeftButton, Qt::NoModifier, QPoint(xOf(16), tag.y()));
        clickTrack(15);
        QVERIFY(!button("setInPoint")->isEnabled()); // within 1 s of the end point
        click("setInPoint");

        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const QList<AudioInfo> result = dialog->audioList();
        QCOMPARE(names(result), QStringList({"journeys-8s.m4a", "knolls-20s.ogg"}));
        QCOMPARE(result.at(1).startTime, 5.0);
        QCOMPARE(result.at(1).endTime, 16.0);
        QCOMPARE(result.at(0).endTime, three.at(1).endTime); // untouched records stay exact
        QCOMPARE(result.at(1).duration, three.at(2).duration);
    }

    void cancelAndEmpty()
    {
        open(three);
        click("moveDown");
        click("delete_2");
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel),
                          Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));

        open({three.at(0)});
        click("delete_2");
        QCOMPARE(tree()->topLevelItemCount(), 0);
        QCOMPARE(label(), QStringLiteral("00:00:00 / 00:00:00"));
        for (const char* name : {"delete_2", "play", "playSegment", "setInPoint", "setOutPoint"})
            QVERIFY2(!button(name)->isEnabled(), name);
        QVERIFY(!slider()->isEnabled());
        QVERIFY(dialog->audioList().isEmpty());
    }

    // Files are added exactly as an import adds them: what an import
    // refuses is refused here too, and the user is told why.
    void addThroughTheFileDialog()
    {
        QTemporaryDir dir;
        const QString bogus = dir.filePath("notes.mp3");
        QFile file(bogus);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not sound at all") > 0);
        file.close();
        // Its header still promises the whole 15 s.
        const QString cut = dir.filePath("cut <short> & co.mp3");
        QFile whole(mediaFile("elvish-15s.mp3"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile part(cut);
        QVERIFY(part.open(QIODevice::WriteOnly) && part.write(whole.read(100000)) == 100000);
        part.close();
        QString filterSeen;
        AdjustAudioOrder::setFileDialogHook([&](QWidget*, const QString&, const QString&, const QString& filter) {
            filterSeen = filter;
            return QStringList{bogus, mediaFile("sad-mono-22k.wav"), cut};
        });
        QString message;
        ZuMessageBox::setAnswerHook([&](QMessageBox& box) {
            message = box.text();
            return QMessageBox::Ok;
        });
        open({});
        click("add");
        QVERIFY(filterSeen.startsWith("All Supported Files (*.aac *.aif *.aiff *.ac3"));
        QVERIFY(filterSeen.contains(";;AIF Files (*.aif *.aiff);;"));
        QVERIFY(filterSeen.endsWith("M4A Files (*.m4a);;All Files(*.*);;"));
        QCOMPARE(ZuPref::instance()->value("AudioLastDir").toString(), dir.path());
        QCOMPARE(message,
                 ImportProgress::failureReport({{bogus, "It is not a sound file this program reads."},
                                                {cut, "The sound is cut short: 6.2 of its 15.0 seconds are there."}}));
        QVERIFY(message.contains("cut &lt;short&gt; &amp; co.mp3"));
        QCOMPARE(names(dialog->audioList()), QStringList({"sad-mono-22k.wav"}));
        QCOMPARE(tree()->currentItem(), tree()->topLevelItem(0));
        QVERIFY(button("play")->isEnabled());

        // Cancelling the file dialog changes nothing.
        AdjustAudioOrder::setFileDialogHook(
            [](QWidget*, const QString&, const QString&, const QString&) { return QStringList(); });
        click("add");
        QCOMPARE(dialog->audioList().size(), 1);
    }

    // A clip shorter than the least clip time (1 s) plays whole: its slider
    // has nothing to trim, whatever file was shown on it before.
    void shortClipPlaysWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("blip.wav");
        QVERIFY(writeWav(path, 22050, 11025));
        AudioInfo blip = probed(path);
        QCOMPARE(blip.duration, 0.5);
        blip.startTime = 0.1; // trimmed elsewhere: played whole all the same
        blip.endTime = 0.3;
        open({three.at(2), blip});
        QCOMPARE(slider()->maximum(), 20);
        tree()->setCurrentItem(tree()->topLevelItem(1));
        QCOMPARE(slider()->maximum(), 0);
        QCOMPARE(slider()->clipEndPos(), 0);
        QVERIFY(!slider()->isEnabled());
        QVERIFY(!button("setInPoint")->isEnabled() && !button("setOutPoint")->isEnabled());
        QVERIFY(button("play")->isEnabled());

        // The end tag dragged as on a longer file stays where it is.
        const QPoint tag(int(slider()->positionToX(0)) + 3, slider()->clipTagTop() + 7);
        QTest::mousePress(slider(), Qt::LeftButton, Qt::NoModifier, tag);
        QTest::mouseMove(slider(), QPoint(slider()->width() / 2, tag.y()));
        QTest::mouseRelease(slider(), Qt::LeftButton, Qt::NoModifier, QPoint(slider()->width() / 2, tag.y()));
        QCOMPARE(rowTexts(1).mid(1), QStringList({"00:00:00", "00:00:00", "00:00:00"}));

        // Back on the longer file, its slider works again.
        tree()->setCurrentItem(tree()->topLevelItem(0));
        QVERIFY(slider()->isEnabled());
        QCOMPARE(slider()->maximum(), 20);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        const AudioInfo kept = dialog->audioList().at(1);
        QCOMPARE(kept.startTime, 0.0);
        QCOMPARE(kept.endTime, 0.5);
    }

    // The file's path in the list's tool tip reads exactly as it is written,
    // whatever characters it holds.
    void toolTipShowsThePath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("ampersand") << "rock & roll.m4a";
        QTest::newRow("quotes") << "the \"best\" take.m4a";
        QTest::newRow("markup") << "<i>loud<i> &amp; clear.m4a";
        QTest::newRow("two spaces") << "a  b.m4a";
    }
    void toolTipShowsThePath()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(QFile::copy(mediaFile("journeys-8s.m4a"), path));
        open({probed(path)});
        QWidget* viewport = tree()->viewport();
        const QRect row = tree()->visualItemRect(tree()->topLevelItem(0));
        const QPoint at(tree()->header()->sectionViewportPosition(0) + 10, row.center().y()); // on the name
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        QTRY_VERIFY(visibleToolTip());
        QCOMPARE(shownText(visibleToolTip()), QDir::toNativeSeparators(path));
        QToolTip::hideText();
    }

    void playbackStopsAtTheEndPoint_data()
    {
        QTest::addColumn<bool>("vanished");
        QTest::newRow("file") << false;
        QTest::newRow("vanished file plays silence") << true;
    }
    void playbackStopsAtTheEndPoint()
    {
        QFETCH(bool, vanished);
        QTemporaryDir dir;
        const QString copy = dir.filePath("clip.ogg");
        QVERIFY(QFile::copy(mediaFile("knolls-20s.ogg"), copy));
        AudioInfo clip = probed(copy);
        clip.startTime = 2;
        clip.endTime = 3;
        if (vanished)
            QVERIFY(QFile::remove(copy));
        open({clip});
        const qint64 took = playUntilStopped("playSegment", 5000);
        QVERIFY2(took >= 900 && took < 2500, qPrintable(QString::number(took)));
        QCOMPARE(slider()->value(), 0);
        QVERIFY(button("play")->isVisible() && button("playSegment")->isVisible() && !button("pause")->isVisible());

        // Plain play from the thumb runs to the end of the file.
        clickTrack(18);
        const qint64 rest = playUntilStopped("play", 6000);
        QVERIFY2(rest >= 1500 && rest < 3500, qPrintable(QString::number(rest)));
    }

    void pauseKeepsThePosition()
    {
        open({three.at(1)});
        click("play");
        QVERIFY(button("pause")->isVisible() && !button("play")->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(slider()->value(), 1, 3000);
        click("pause");
        QCOMPARE(slider()->value(), 1);
        QTest::qWait(300);
        QCOMPARE(slider()->value(), 1);
        QVERIFY(button("stop")->isEnabled());
        click("stop");
        QCOMPARE(slider()->value(), 0);
    }

    // What the buffers get is the file's sound from the position on, in
    // order and unbroken, then silence.
    void feedIsTheFilesSoundThenSilence()
    {
        const QString path = mediaFile("knolls-20s.ogg"); // longer than the 256 buffers
        AudioReader reader;
        QVERIFY(reader.open(path, ClipPlayer::targetFormat()));
        reader.seek(1.5);
        SampleDecoding decoded;
        QVERIFY(decoded.allocate(1 << 20));
        QByteArray expected;
        while (!reader.endOfStream) {
            reader.decodeAudio(decoded, ClipPlayer::chunkBytes());
            expected.append(reinterpret_cast<const char*>(decoded.samples), decoded.length);
            decoded.length = 0;
        }
        QVERIFY(expected.size() > 10 * ClipPlayer::chunkBytes());

        ClipPlayer player("no such sound device");
        QVERIFY(player.open(path));
        player.reposition(1.5);
        QByteArray fed;
        while (fed.size() < expected.size() + 2 * ClipPlayer::chunkBytes()) {
            const QByteArray& chunk = player.nextChunk();
            QCOMPARE(chunk.size(), ClipPlayer::chunkBytes());
            fed += chunk;
        }
        QVERIFY(fed.startsWith(expected));
        QCOMPARE(fed.mid(expected.size()).count('\0'), fed.size() - expected.size());
    }

    void noDeviceKeepsTimeByTheClock()
    {
        ClipPlayer player("no such sound device");
        QVERIFY(!player.hasDevice());
        player.open(mediaFile("journeys-8s.m4a"));
        player.start(0);
        QElapsedTimer clock;
        clock.start();
        int played = 0;
        while (clock.elapsed() < 600) {
            played += player.update();
            QTest::qWait(5);
        }
        // 600 ms are 15 buffers of 40 ms.
        QVERIFY2(played >= 13 && played <= 16, qPrintable(QString::number(played)));
        player.stop();
        QTest::qWait(100);
        QCOMPARE(player.update(), 0);
    }
};

std::unique_ptr<QObject> makeAudioOrderTests() { return std::make_unique<AdjustAudioOrderTests>(); }

#include "tst_adjustaudioorder.moc"
