// The audio strip on real files: widths against a known time scale, the
// pictures as shown, tool tips, sorting, the selection commands and drags.

#include "widgetstests.h"

#include "adjustaudioorder.h"
#include "audiolistwidget.h"
#include "audioreader.h"
#include "timefunctions.h"
#include "zumessagebox.h"

#include <QApplication>
#include <QDir>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDrag>
#include <QToolButton>
#include <QTreeWidget>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUrl>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace {

AudioInfo clip(const QString& name, double seconds)
{
    AudioInfo info;
    info.filePath = QStringLiteral("/music/") + name;
    info.duration = seconds;
    info.endTime = seconds;
    info.channels = 2;
    info.sampleRate = 44100;
    return info;
}

AudioInfo probed(const QString& name)
{
    AudioInfo info;
    info.filePath = mediaFile(name);
    if (!AudioReader::parse(info))
        qFatal("cannot probe %s", qPrintable(name));
    return info;
}

QStringList names(const QList<AudioInfo>& list)
{
    QStringList out;
    for (const AudioInfo& info : list)
        out << QFileInfo(info.filePath).fileName();
    return out;
}

// Hands the position of every drag event over the watched widget on.
class DragWatcher : public QObject
{
public:
    explicit DragWatcher(std::function<void(QPoint)> seen)
        : m_seen(std::move(seen))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)
            m_seen(static_cast<QDropEvent*>(event)->position().toPoint());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QPoint)> m_seen;
};

bool isGrey(QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c); }

const QStringList kMedia = {QStringLiteral("knolls-20s.ogg"), QStringLiteral("elvish-15s.mp3"),
                            QStringLiteral("sad-mono-22k.wav"), QStringLiteral("journeys-8s.m4a")};

// The sample sound files, probed, in the order of kMedia.
QList<AudioInfo> sampleClips()
{
    QList<AudioInfo> list;
    for (const QString& name : kMedia)
        list << probed(name);
    return list;
}

} // namespace

class TestAudioStrip : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        strip = std::make_unique<AudioListWidget>();
        strip->resize(1200, 36);
    }
    void cleanup() { strip.reset(); }

    void widths_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<double>("perPixel");
        QTest::addColumn<QList<double>>("seconds");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("greys");
        QTest::newRow("no pictures: all overhang")
            << 0 << 0.1 << QList<double>{3, 40} << QList<int>{220, 220} << QList<int>{220, 220};
        QTest::newRow("zero scale means 1/33 s")
            << 1000 << 0.0 << QList<double>{10, 20} << QList<int>{330, 660} << QList<int>{0, 0};
        QTest::newRow("crossing then past")
            << 300 << 0.1 << QList<double>{20, 30, 5} << QList<int>{200, 300, 220} << QList<int>{0, 200, 220};
        QTest::newRow("long clip cut 220 past")
            << 100 << 0.1 << QList<double>{100} << QList<int>{320} << QList<int>{220};
    }
    void widths()
    {
        QFETCH(int, range);
        QFETCH(double, perPixel);
        QFETCH(QList<double>, seconds);
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, greys);
        QList<AudioInfo> list;
        for (double s : seconds)
            list << clip(QStringLiteral("c%1.mp3").arg(list.size()), s);
        strip->adjustOrder(list);
        strip->setDurationPerPixel(range, perPixel);
        strip->show();
        QVERIFY(QTest::qWaitForWindowExposed(strip.get()));

        const QImage shown = strip->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int x = 0;
        for (int i = 0; i < widths.size(); ++i) {
            QCOMPARE(strip->item(i)->sizeHint(), QSize(widths[i], 32));
            QCOMPARE(strip->visualItemRect(strip->item(i)).x(), x);
            // Rows 3 and 28 are inside the picture's band; the outline sits
            // at x 1 and w - 5 and the text from x 30, so look at column w - 3.
            const int probeX = x + widths[i] - 3;
            if (greys[i] > 0) {
                QVERIFY2(isGrey(shown.pixel(probeX, 6)), qPrintable(QString::number(i)));
                if (greys[i] < widths[i] - 4)
                    QVERIFY(!isGrey(shown.pixel(x + widths[i] - greys[i] - 3, 6)));
            } else {
                QVERIFY(!isGrey(shown.pixel(probeX, 6)));
            }
            QCOMPARE(shown.pixel(x + 10, 1), qRgb(255, 255, 255)); // white above the band
            x += widths[i];
        }
        QCOMPARE(strip->pixelInRange(), x);
        // The dashed hint box starts 4 px after the last item.
        QVERIFY(x + 4 < shown.width());
        const QRgb white = qRgb(255, 255, 255);
        QVERIFY(shown.pixel(x + 4, 10) != white || shown.pixel(x + 4, 11) != white);
        QVERIFY(shown.pixel(x + 3, 10) == white && shown.pixel(x + 3, 11) == white);
    }

    void toolTips_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<bool>("trimmed");
        QTest::newRow("whole file") << 0.0 << 75.0 << false;
        QTest::newRow("later start") << 12.0 << 75.0 << true;
        QTest::newRow("earlier end") << 0.0 << 61.0 << true;
    }
    void toolTips()
    {
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(bool, trimmed);
        AudioInfo info = clip(QStringLiteral("<b>x<b> & y.mp3"), 75);
        info.startTime = start;
        info.endTime = end;
        strip->adjustOrder({info});
        const QString tip = strip->item(0)->toolTip();
        QVERIFY(tip.contains(QStringLiteral("#1&nbsp;<b>&lt;b&gt;x&lt;b&gt; &amp; y.mp3</b>")));
        QVERIFY(!tip.contains(QStringLiteral("<b>x")));
        QVERIFY(tip.contains(QStringLiteral("Duration:&nbsp;<b>") + secondToTimeString(int(end - start))));
        QCOMPARE(tip.contains(QStringLiteral("Start Point:&nbsp;<b>") + secondToTimeString(int(start))), trimmed);
        QCOMPARE(tip.contains(QStringLiteral("End Point:&nbsp;<b>") + secondToTimeString(int(end))), trimmed);
    }

    void sorting_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("name up") << int(SortByName) << true
                                 << QStringList{"elvish-15s.mp3", "journeys-8s.m4a", "knolls-20s.ogg",
                                                "sad-mono-22k.wav"};
        QTest::newRow("type down") << int(SortByType) << false
                                   << QStringList{"sad-mono-22k.wav", "knolls-20s.ogg", "elvish-15s.mp3",
                                                  "journeys-8s.m4a"};
        QTest::newRow("size up") << int(SortBySize) << true
                                 << QStringList{"journeys-8s.m4a", "knolls-20s.ogg", "elvish-15s.mp3",
                                                "sad-mono-22k.wav"};
    }
    void sorting()
    {
        QFETCH(int, type);
        QFETCH(bool, ascending);
        QFETCH(QStringList, order);
        strip->adjustOrder(sampleClips());
        QSignalSpy changed(strip.get(), &AudioListWidget::audioListChanged);
        strip->sort(SortType(type), ascending);
        QCOMPARE(names(strip->audios), order);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(names(changed.first().first().value<QList<AudioInfo>>()), order);
        // The pictures follow the records.
        QVERIFY(strip->item(0)->toolTip().contains(order.first()));
    }

    void moveAndDelete()
    {
        strip->adjustOrder(sampleClips());
        strip->show();
        QVERIFY(QTest::qWaitForWindowExposed(strip.get()));
        QSignalSpy changed(strip.get(), &AudioListWidget::audioListChanged);

        // Select the first two with the mouse: click, then shift-click.
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualItemRect(strip->item(0)).center());
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          strip->visualItemRect(strip->item(1)).center());
        strip->selectionMoveRight();
        QCOMPARE(names(strip->audios), (QStringList{kMedia[2], kMedia[0], kMedia[1], kMedia[3]}));
        QCOMPARE(strip->currentRow(), 2);
        QCOMPARE(strip->selectedItems().size(), 2);
        QVERIFY(strip->item(1)->isSelected() && strip->item(2)->isSelected());
        strip->selectionMoveLeft();
        QCOMPARE(names(strip->audios), kMedia);
        QCOMPARE(strip->currentRow(), 0);
        QVERIFY(strip->item(0)->isSelected() && strip->item(1)->isSelected());
        QCOMPARE(changed.count(), 2);
        QVERIFY(strip->item(1)->toolTip().startsWith(QStringLiteral("<nobr>#2&nbsp;<b>elvish")));

        strip->setCurrentRow(2);
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          strip->visualItemRect(strip->item(3)).center());
        strip->selectionDelete(false);
        QCOMPARE(names(strip->audios), kMedia.mid(0, 2));
        QCOMPARE(strip->count(), 2);
        QCOMPARE(strip->currentRow(), 1);
        QCOMPARE(changed.count(), 3);
        strip->selectAll();
        strip->selectionDelete(false);
        QCOMPARE(strip->count(), 0);
        QCOMPARE(strip->currentRow(), -1);
        QVERIFY(changed.last().first().value<QList<AudioInfo>>().isEmpty());
    }

    // A drag within the strip, run as a person does it: press, move past
    // the start distance, drop on another item (Control held to copy). A
    // moved clip lands where it was dropped: on the third, it becomes the
    // third.
    void dragWithin_data()
    {
        QTest::addColumn<int>("dragged");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("first onto third") << 0 << 2 << false << QStringList{kMedia[1], kMedia[2], kMedia[0], kMedia[3]};
        QTest::newRow("second onto last") << 1 << 3 << false << QStringList{kMedia[0], kMedia[2], kMedia[3], kMedia[1]};
        QTest::newRow("first onto second")
            << 0 << 1 << false << QStringList{kMedia[1], kMedia[0], kMedia[2], kMedia[3]};
        QTest::newRow("last onto first") << 3 << 0 << false << QStringList{kMedia[3], kMedia[0], kMedia[1], kMedia[2]};
        QTest::newRow("control copies") << 1 << 3 << true
                                        << QStringList{kMedia[0], kMedia[1], kMedia[2], kMedia[1], kMedia[3]};
    }
    void dragWithin()
    {
        QFETCH(int, dragged);
        QFETCH(int, target);
        QFETCH(bool, copy);
        QFETCH(QStringList, order);
        strip->adjustOrder(sampleClips());
        strip->show();
        strip->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(strip.get()));
        QVERIFY(QTest::qWaitForWindowActive(strip.get()));
        // Laid out: every item has its place before the pointer aims at one.
        QTRY_VERIFY(strip->visualItemRect(strip->item(strip->count() - 1)).right() > 0);

        const QPoint from = strip->visualItemRect(strip->item(dragged)).center();
        const QPoint to = strip->visualItemRect(strip->item(target)).center();
        QWindow* window = strip->window()->windowHandle();
        const QPoint inWindow = strip->viewport()->mapTo(strip->window(), to);
        const Qt::KeyboardModifiers mods = copy ? Qt::ControlModifier : Qt::NoModifier;

        // The strip reports where the drag is over it.
        QPoint over(-1, -1);
        DragWatcher watcher([&](QPoint at) { over = at; });
        strip->viewport()->installEventFilter(&watcher);

        // The drag runs its own event loop: once it is running, the pointer
        // moves and the button goes up inside it, through the window as the
        // platform would. Each step waits until the strip has seen the one
        // before, not for a fixed time.
        bool dropped = false;
        bool reached = false;
        QTimer driver;
        driver.setInterval(10);
        connect(&driver, &QTimer::timeout, strip.get(), [&] {
            if (!strip->findChild<QDrag*>())
                return;
            driver.stop();
            QTest::mouseMove(window, inWindow - QPoint(5, 0));
            // Only a step to wait for: the wait for the target row below decides.
            static_cast<void>(QTest::qWaitFor([&] { return over.x() >= 0; }, 10000));
            QTest::mouseMove(window, inWindow);
            reached = QTest::qWaitFor([&] { return strip->indexAt(over).row() == target; }, 10000);
            QTest::mouseRelease(window, Qt::LeftButton, mods, inWindow);
            dropped = true;
            if (!reached)
                QTest::keyClick(window, Qt::Key_Escape);
        });
        driver.start();
        QTest::mousePress(strip->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(strip->viewport(), from + QPoint(QApplication::startDragDistance() + 2, 0));
        driver.stop();
        QVERIFY(dropped);
        QVERIFY(reached);
        QCOMPARE(names(strip->audios), order);
    }

    // Payloads that are not the one this strip's running drag carries
    // (another program's, or one replayed from an earlier drag) are
    // refused: nothing is added and the source may remove nothing.
    void foreignPayloadRefused_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("other rows") << QByteArray("1\0"
                                                  "0\0",
                                                  4);
        QTest::newRow("row past the end") << QByteArray("1\0"
                                                        "7\0",
                                                        4);
        QTest::newRow("address-like") << QByteArray("1\0"
                                                    "140737488355328\0",
                                                    18);
        QTest::newRow("count too high") << QByteArray("2\0"
                                                      "1\0",
                                                      4);
        QTest::newRow("garbage") << QByteArray("x");
    }
    void foreignPayloadRefused()
    {
        QFETCH(QByteArray, payload);
        strip->adjustOrder({probed(kMedia[0]), probed(kMedia[1])});
        strip->show();
        QVERIFY(QTest::qWaitForWindowExposed(strip.get()));
        QSignalSpy changing(strip.get(), &AudioListWidget::audioListAboutToChange);
        QMimeData mime;
        mime.setData(QStringLiteral("AudioList"), payload);
        const QPoint at = strip->visualItemRect(strip->item(1)).center();

        QDragEnterEvent outside(at, Qt::MoveAction | Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(strip->viewport(), &outside);
        QVERIFY(!outside.isAccepted());

        // Inside the strip's own drag of row 1 the format is welcome, so the
        // drop itself must check the payload.
        bool dropAccepted = true;
        Qt::DropAction action = Qt::MoveAction;
        QTimer::singleShot(100, strip.get(), [&] {
            QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(strip->viewport(), &enter);
            QDropEvent drop(QPointF(at), Qt::MoveAction | Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(strip->viewport(), &drop);
            dropAccepted = enter.isAccepted() ? drop.isAccepted() : true;
            action = drop.dropAction();
            QTest::keyClick(strip->window()->windowHandle(), Qt::Key_Escape);
        });
        strip->setCurrentRow(1);
        const QPoint from = strip->visualItemRect(strip->item(1)).center();
        QTest::mousePress(strip->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(strip->viewport(), from + QPoint(QApplication::startDragDistance() + 2, 0));
        QVERIFY(!dropAccepted);
        QCOMPARE(action, Qt::IgnoreAction);
        QCOMPARE(names(strip->audios), kMedia.mid(0, 2));
        QCOMPARE(changing.count(), 0);
    }

    // Files and a folder dropped from outside go through the import dialog
    // and land, in order, before the item under the pointer; the report
    // names exactly the file that is not sound.
    void dropFromOutside()
    {
        QTemporaryDir dir;
        const QDir folder(dir.filePath(QStringLiteral("music")));
        QVERIFY(folder.mkpath(QStringLiteral(".")));
        QVERIFY(QFile::copy(mediaFile(kMedia[1]), folder.filePath(QStringLiteral("b tune.mp3"))));
        QVERIFY(QFile::copy(mediaFile(kMedia[3]), folder.filePath(QStringLiteral("a \u00e9t\u00e9.m4a"))));
        QFile text(folder.filePath(QStringLiteral("<c>.wav")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not sound\n") > 0);
        text.close();
        QStringList reports;
        ZuMessageBox::setAnswerHook([&](QMessageBox& box) {
            reports << box.text();
            return QMessageBox::Ok;
        });

        strip->adjustOrder({probed(kMedia[0]), probed(kMedia[2])});
        strip->show();
        QVERIFY(QTest::qWaitForWindowExposed(strip.get()));
        QSignalSpy changing(strip.get(), &AudioListWidget::audioListAboutToChange);
        QSignalSpy changed(strip.get(), &AudioListWidget::audioListChanged);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(folder.path()), QUrl::fromLocalFile(mediaFile(kMedia[2]))});
        const QPoint at = strip->visualItemRect(strip->item(1)).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(strip->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(strip->viewport(), &drop);
        ZuMessageBox::setAnswerHook({});

        QVERIFY(drop.isAccepted());
        QCOMPARE(names(strip->audios),
                 (QStringList{kMedia[0], "a \u00e9t\u00e9.m4a", "b tune.mp3", kMedia[2], kMedia[2]}));
        QCOMPARE(changing.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(strip->currentRow(), 1);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].contains(QStringLiteral("&lt;c&gt;.wav")));
        QVERIFY(!reports[0].contains(QStringLiteral("tune")));
        QVERIFY(strip->item(2)->toolTip().contains(QStringLiteral("#3&nbsp;<b>b tune.mp3</b>")));
    }

    // A double-click opens "Edit Audio" on the clicked file; only an
    // accepted dialog changes the strip.
    void doubleClickEditsOrder_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("accepted") << true << QStringList{kMedia[0], kMedia[2], kMedia[1], kMedia[3]};
        QTest::newRow("cancelled") << false << kMedia;
    }
    void doubleClickEditsOrder()
    {
        QFETCH(bool, accept);
        QFETCH(QStringList, order);
        strip->adjustOrder(sampleClips());
        strip->show();
        QVERIFY(QTest::qWaitForWindowExposed(strip.get()));
        QSignalSpy changed(strip.get(), &AudioListWidget::audioListChanged);
        QSignalSpy opening(strip.get(), &AudioListWidget::orderEditAboutToOpen);
        int currentInDialog = -1;
        int openingBeforeDialog = -1;
        QTimer::singleShot(200, strip.get(), [&] {
            auto* dialog = qobject_cast<AdjustAudioOrder*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            openingBeforeDialog = int(opening.count());
            auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
            currentInDialog = tree->indexOfTopLevelItem(tree->currentItem());
            QTest::mouseClick(dialog->findChild<QToolButton*>(QStringLiteral("moveUp")), Qt::LeftButton);
            auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            QTest::mouseClick(buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                              Qt::LeftButton);
        });
        const QPoint onItem = strip->viewport()->mapTo(strip->window(), strip->visualItemRect(strip->item(2)).center());
        QTest::mouseDClick(strip->window()->windowHandle(), Qt::LeftButton, {}, onItem);
        QCOMPARE(currentInDialog, 2);
        // Whoever plays must stop before the dialog plays the files itself.
        QCOMPARE(openingBeforeDialog, 1);
        QCOMPARE(names(strip->audios), order);
        QCOMPARE(changed.count(), accept ? 1 : 0);
    }

private:
    std::unique_ptr<AudioListWidget> strip;
};

std::unique_ptr<QObject> makeAudioStripTests() { return std::make_unique<TestAudioStrip>(); }

#include "tst_audiostrip.moc"
