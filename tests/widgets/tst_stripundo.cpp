// The strips over an album whose edits are undone and redone show what
// strips built afresh for that album show; the strips' own edits are one
// named step each.

#include "albumdocument.h"
#include "audiolistwidget.h"
#include "importflow.h"
#include "importprogress.h"
#include "photolistwidget.h"
#include "widgetstests.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QHash>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <functional>
#include <map>

namespace {

// A thumbnail whose every turn and mirror shows: one coloured corner.
QImage cornerImage(int width, int height, QColor corner)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 3, height / 3, corner);
    return image;
}

ImageInfo photo(const QString& name, QColor corner, int exifRotation = 0)
{
    ImageInfo info;
    info.filePath = QStringLiteral("/album/%1.jpg").arg(name);
    info.width = 400;
    info.height = 300;
    info.depth = 24;
    info.exifRotation = exifRotation;
    info.thumbnail = cornerImage(80, 60, corner);
    info.thumbnailTurned = cornerImage(80, 60, corner.darker());
    return info;
}

AudioInfo clip(const QString& name, double duration)
{
    AudioInfo info;
    info.filePath = QStringLiteral("/music/%1.mp3").arg(name);
    info.duration = duration;
    info.endTime = duration;
    info.channels = 2;
    info.sampleRate = 44100;
    return info;
}

QImage pictureOf(const QListWidgetItem* item)
{
    const QVariant decoration = item->data(Qt::DecorationRole);
    return decoration.canConvert<QPixmap>() && decoration.typeId() == QMetaType::QPixmap
               ? decoration.value<QPixmap>().toImage()
               : decoration.value<QImage>();
}

constexpr int ScaleRange = 900;
constexpr double ScalePerPixel = 0.05;

// The first row where two strips differ; empty when they show the same.
QString stripDifference(const QListWidget& shown, const QListWidget& fresh)
{
    if (shown.count() != fresh.count())
        return QStringLiteral("%1 rows, a new strip has %2").arg(shown.count()).arg(fresh.count());
    for (int row = 0; row < shown.count(); ++row) {
        const QListWidgetItem* a = shown.item(row);
        const QListWidgetItem* b = fresh.item(row);
        if (a->sizeHint() != b->sizeHint() || a->toolTip() != b->toolTip() ||
            pictureOf(a).convertToFormat(QImage::Format_RGB32) != pictureOf(b).convertToFormat(QImage::Format_RGB32))
            return QStringLiteral("row %1 (%2)").arg(row).arg(a->toolTip());
    }
    return {};
}

// Both strips against strips built afresh for a copy of the album.
QString stripsDifference(const PhotoListWidget& photos, const AudioListWidget& clips)
{
    AlbumDocument copy;
    copy.insertPhotos(0, photos.document()->photos());
    copy.insertClips(0, clips.document()->clips());
    PhotoListWidget freshPhotos;
    freshPhotos.setDocument(&copy);
    AudioListWidget freshClips;
    freshClips.setDocument(&copy);
    freshClips.setDurationPerPixel(ScaleRange, ScalePerPixel);
    const QString photoDifference = stripDifference(photos, freshPhotos);
    const QString clipDifference = stripDifference(clips, freshClips);
    return photoDifference.isEmpty() && clipDifference.isEmpty()
               ? QString()
               : QStringLiteral("photo strip: %1; sound strip: %2").arg(photoDifference, clipDifference);
}

// Rows first..last of a strip selected; a photo takes two rows.
void select(QListWidget& strip, int first, int last, int rowsEach)
{
    strip.clearSelection();
    for (int row = rowsEach * first; row <= rowsEach * last; ++row)
        strip.item(row)->setSelected(true);
}

// One edit made the way the window makes it: through a strip, or on the
// document for what no strip does itself. "verb first last" selects first.
void applyEdit(PhotoListWidget& photos, AudioListWidget& clips, const QString& edit)
{
    const QStringList words = edit.split(QLatin1Char(' '));
    const QString verb = words.value(0);
    AlbumDocument& document = *photos.document();
    const bool onClips = verb.toLower().contains(QLatin1String("clips"));
    if (words.size() == 3)
        select(onClips ? static_cast<QListWidget&>(clips) : photos, words.at(1).toInt(), words.at(2).toInt(),
               onClips ? 1 : 2);
    const QList<ImageInfo> inserted{photo("x", Qt::cyan, 90), photo("y", Qt::magenta)};
    const QList<AudioInfo> insertedClip{clip("x", 7.0)};
    // The audio dialog's result: the order turned round, the last trimmed.
    QList<AudioInfo> edited = clips.audios;
    std::reverse(edited.begin(), edited.end());
    if (!edited.isEmpty())
        edited.last().startTime = 2.0;
    const std::map<QString, std::function<void()>> verbs{
        {"turnLeft", [&] { photos.selectionAddProc(TurnLeft); }},
        {"mirror", [&] { photos.selectionAddProc(Mirror); }},
        {"restore", [&] { photos.selectionRestore(); }},
        {"autoRotateAll", [&] { photos.autoRotateAll(); }},
        {"photosRight", [&] { photos.selectionMoveRight(); }},
        {"photosLeft", [&] { photos.selectionMoveLeft(); }},
        {"deletePhotos", [&] { photos.selectionDelete(); }},
        {"sortPhotos", [&] { photos.sort(SortByName, false); }},
        {"clearPhotos", [&] { photos.clear(); }},
        {"insertPhotos", [&] { document.insertPhotos(words.value(1).toInt(), inserted); }},
        {"clipsRight", [&] { clips.selectionMoveRight(); }},
        {"deleteClips", [&] { clips.selectionDelete(false); }},
        {"sortClips", [&] { clips.sort(SortByName, false); }},
        {"editAudio", [&] { clips.adjustOrder(edited); }},
        {"trim", [&] { document.setClipTrim(words.value(1).toInt(), 1.0, 3.0); }},
        {"clearClips", [&] { clips.clear(); }},
        {"insertClips", [&] { document.insertClips(words.value(1).toInt(), insertedClip); }}};
    const auto found = verbs.find(verb);
    if (found == verbs.end())
        QFAIL(qPrintable("unknown edit " + edit));
    found->second();
}

// The step each edit makes, as the Edit menu names it; a deletion of every
// photo is no clearing of the album.
QString stepName(const QString& edit)
{
    static const QHash<QString, QString> names{
        {"turnLeft", "Turn Left"},         {"mirror", "Mirror"},           {"restore", "Restore"},
        {"autoRotateAll", "Auto Rotate"},  {"photosRight", "Move Photos"}, {"photosLeft", "Move Photos"},
        {"deletePhotos", "Delete Photos"}, {"sortPhotos", "Sort Photos"},  {"clearPhotos", "Clear Album"},
        {"insertPhotos", "Add Photos"},    {"clipsRight", "Move Audio"},   {"deleteClips", "Delete Audio"},
        {"sortClips", "Sort Audio"},       {"editAudio", "Edit Audio"},    {"trim", "Trim Audio"},
        {"clearClips", "Clear Audio"},     {"insertClips", "Add Audio"}};
    return names.value(edit.section(QLatin1Char(' '), 0, 0));
}

class StripUndoTest : public QObject
{
    Q_OBJECT

    AlbumDocument* m_document = nullptr;
    PhotoListWidget* m_photos = nullptr;
    AudioListWidget* m_clips = nullptr;
    std::unique_ptr<QWidget> m_window;

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_document = new AlbumDocument(m_window.get());
        m_photos = new PhotoListWidget(m_window.get());
        m_clips = new AudioListWidget(m_window.get());
        m_photos->setGeometry(0, 0, 900, 72);
        m_clips->setGeometry(0, 80, 900, 36);
        m_photos->setDocument(m_document);
        m_clips->setDocument(m_document);
        m_clips->setDurationPerPixel(ScaleRange, ScalePerPixel);
        m_document->insertPhotos(
            0, {photo("a", Qt::red), photo("b", Qt::green, 90), photo("c", Qt::blue), photo("d", Qt::yellow, -90)});
        m_document->insertClips(0, {clip("a", 10.0), clip("b", 20.0), clip("c", 5.0)});
        m_clips->finishItemsAdding();
        m_document->undoStack()->clear();
        m_window->resize(900, 120);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    // Edits made through the strips, then every step undone and redone: the
    // strips show at each step what a new strip would show of that album,
    // and the menu's actions name the step ("Undo Turn Left").
    void stripsFollowUndoAndRedo_data()
    {
        QTest::addColumn<QStringList>("edits");

        QTest::newRow("photo steps") << QStringList{"turnLeft 0 1", "mirror 1 2", "restore 1 1", "autoRotateAll"};
        QTest::newRow("photo moves") << QStringList{"photosRight 0 1", "photosLeft 3 3", "sortPhotos",
                                                    "photosRight 1 1"};
        QTest::newRow("photo deletions") << QStringList{"deletePhotos 1 2", "insertPhotos 1", "deletePhotos 0 3",
                                                        "insertPhotos 0", "clearPhotos"};
        QTest::newRow("clips") << QStringList{"clipsRight 0 0", "trim 2",    "deleteClips 1 1", "insertClips 0",
                                              "sortClips",      "editAudio", "clearClips"};
        QTest::newRow("both strips") << QStringList{"turnLeft 2 3",   "deleteClips 0 0",  "photosRight 0 0",
                                                    "clipsRight 0 0", "deletePhotos 0 0", "editAudio"};
    }
    void stripsFollowUndoAndRedo()
    {
        QFETCH(QStringList, edits);

        QUndoStack* history = m_document->undoStack();
        QAction* undo = history->createUndoAction(m_window.get());
        QAction* redo = history->createRedoAction(m_window.get());
        QVERIFY(!undo->isEnabled());
        for (const QString& edit : edits) {
            applyEdit(*m_photos, *m_clips, edit);
            QCOMPARE(stripsDifference(*m_photos, *m_clips), QString());
            QCOMPARE(undo->text(), QStringLiteral("Undo ") + stepName(edit)); // one step each
        }
        QCOMPARE(history->count(), edits.size());
        const auto step = [&](bool back) {
            const QString name = stepName(edits.at(history->index() - (back ? 1 : 0)));
            QCOMPARE(back ? undo->text() : redo->text(),
                     (back ? QStringLiteral("Undo ") : QStringLiteral("Redo ")) + name);
            (back ? undo : redo)->trigger();
            const QString difference = stripsDifference(*m_photos, *m_clips);
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("%1 to step %2: %3")
                                                          .arg(back ? "undo" : "redo")
                                                          .arg(history->index())
                                                          .arg(difference)));
        };
        while (history->canUndo())
            step(true);
        QCOMPARE(m_photos->count(), 7);
        QCOMPARE(m_clips->count(), 3);
        QVERIFY(!m_document->isModified());
        while (history->canRedo())
            step(false);
        for (int i = 0; i < edits.size() / 2; ++i)
            step(true);
    }

    // A drag within the strip, moving or copying, is one step named after
    // the drop; undone, the strip is as before the drag.
    void dragIsOneStep_data()
    {
        QTest::addColumn<bool>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("move") << false << "Move Photos";
        QTest::newRow("copy") << true << "Copy Photos";
    }
    void dragIsOneStep()
    {
        QFETCH(bool, control);
        QFETCH(QString, name);

        const QStringList before = names();
        select(*m_photos, 0, 1, 2);
        PhotoListWidget::setDragHook([&](QDrag& drag) {
            const QPoint at = m_photos->visualItemRect(m_photos->item(6)).center();
            const Qt::KeyboardModifiers modifiers = control ? Qt::ControlModifier : Qt::NoModifier;
            QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, modifiers);
            QApplication::sendEvent(m_photos->viewport(), &enter);
            QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, modifiers);
            QApplication::sendEvent(m_photos->viewport(), &drop);
            return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        });
        const QPoint start = m_photos->visualItemRect(m_photos->item(0)).center();
        QTest::mousePress(m_photos->viewport(), Qt::LeftButton, Qt::NoModifier, start);
        QMouseEvent move(QEvent::MouseMove, start + QPoint(30, 0), m_photos->viewport()->mapToGlobal(start),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_photos->viewport(), &move);
        PhotoListWidget::setDragHook({});

        const QStringList after = control ? QStringList{"a", "b", "c", "a", "b", "d"} : QStringList{"c", "d", "a", "b"};
        QCOMPARE(names(), after);
        QCOMPARE(m_document->undoStack()->count(), 1);
        QCOMPARE(m_document->undoStack()->undoText(), name);
        m_document->undoStack()->undo();
        QCOMPARE(names(), before);
        QCOMPARE(stripsDifference(*m_photos, *m_clips), QString());
    }

    // An import is one step however many batches it arrives in; one
    // cancelled before anything arrived is none.
    void importIsOneStep_data()
    {
        QTest::addColumn<bool>("photos");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("photos") << true << QStringLiteral("flower.jpg") << QStringLiteral("Import Photos");
        QTest::newRow("sounds") << false << QStringLiteral("sad-mono-22k.wav") << QStringLiteral("Import Audio");
    }
    void importIsOneStep()
    {
        QFETCH(bool, photos);
        QFETCH(QString, file);
        QFETCH(QString, name);

        const QStringList files(12, mediaFile(file));
        QVERIFY(ImportFlow::importFiles(*m_document, photos, 1, files, m_window.get()));
        QCOMPARE(photos ? m_document->photos().size() : m_document->clips().size(), 12 + (photos ? 4 : 3));
        QCOMPARE(m_document->undoStack()->count(), 1);
        QCOMPARE(m_document->undoStack()->undoText(), name);
        m_document->undoStack()->undo();
        QCOMPARE(m_document->photos().size(), 4);
        QCOMPARE(m_document->clips().size(), 3);
        QVERIFY(!m_document->isModified());
        QVERIFY(m_document->undoStack()->canRedo());

        // Cancelled at once: nothing parsed reaches the album, and the step
        // undone above can still be redone.
        QTimer::singleShot(0, m_window.get(), [] {
            if (auto* dialog = qobject_cast<ImportProgress*>(QApplication::activeModalWidget()))
                QTest::mouseClick(dialog->findChild<QPushButton*>("Cancel"), Qt::LeftButton);
        });
        const bool added = ImportFlow::importFiles(*m_document, photos, 0, files, m_window.get());
        if (added) {
            QWARN("the import was quicker than its cancel");
            QCOMPARE(m_document->undoStack()->count(), 1);
            return;
        }
        QCOMPARE(m_document->photos().size(), 4);
        QVERIFY(!m_document->isModified());
        QVERIFY(m_document->undoStack()->canRedo());
    }

private:
    QStringList names() const
    {
        QStringList list;
        for (const ImageInfo& info : m_document->photos())
            list << info.filePath.section('/', -1).section('.', 0, 0);
        return list;
    }
};

} // namespace

std::unique_ptr<QObject> makeStripUndoTests() { return std::make_unique<StripUndoTest>(); }

#include "tst_stripundo.moc"
