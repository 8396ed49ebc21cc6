// The album document's undo history: edits undone and redone in any pattern
// give back exactly the album of each step and announce their change as the
// edit did; steps are named, durations merge, groups make one step.

#include "albumdocument.h"
#include "albumfile.h"
#include "modeltests.h"
#include "signallog.h"

#include <QDataStream>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <functional>
#include <map>
#include <utility>

namespace {

ImageInfo photo(const QString& name, qint64 size, int day, int exifRotation = 0, bool exifMirror = false)
{
    ImageInfo info;
    info.filePath = QStringLiteral("/album/%1.jpg").arg(name);
    info.suffix = QStringLiteral("jpg");
    info.width = 400 + int(size);
    info.height = 300;
    info.fileSize = size;
    info.lastModified = QDateTime(QDate(2024, 1, day), QTime(12, 0));
    info.exifRotation = exifRotation;
    info.exifMirror = exifMirror;
    info.exifProperties[0] = name;
    info.thumbnail = QImage(8, 6, QImage::Format_RGB32);
    info.thumbnail.fill(QColor(int(size) % 256, day * 10, 0));
    return info;
}

AudioInfo clip(const QString& name, double duration)
{
    AudioInfo info;
    info.filePath = QStringLiteral("/music/%1.mp3").arg(name);
    info.duration = duration;
    info.endTime = duration;
    info.sampleRate = 44100;
    return info;
}

// The album as its file holds it, then what the file leaves out.
QByteArray snapshot(const AlbumDocument& document)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("album.reelwright"));
    QString error;
    if (!AlbumFile::write(path, document.contents(), &error))
        return error.toUtf8();
    QByteArray bytes = fileBytes(path);
    QDataStream out(&bytes, QIODevice::Append);
    for (const ImageInfo& photo : document.photos()) {
        out << photo.thumbnail << photo.thumbnailTurned << photo.imageType;
        for (const QString& property : photo.exifProperties)
            out << property;
    }
    out << document.data().photoSeconds << document.data().transitionSeconds << document.data().patternFiles;
    return bytes;
}

QList<int> numbers(const QString& list)
{
    QList<int> values;
    for (const QString& value : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        values << value.toInt();
    return values;
}

// Photos a..d (d turned by its EXIF, b mirrored) and clips a, b, c.
void fillAlbum(AlbumDocument& document)
{
    document.insertPhotos(0, {photo("a", 30, 2), photo("b", 10, 3, 0, true), photo("c", 20, 1), photo("d", 40, 4, 90)});
    document.insertClips(0, {clip("a", 10.0), clip("b", 20.0), clip("c", 30.0)});
    document.undoStack()->clear();
}

// Runs one edit written as "verb arguments", e.g. "movePhotos 0 2 1".
void applyEdit(AlbumDocument& document, const QString& edit)
{
    const QStringList words = edit.split(QLatin1Char(' '));
    const auto n = [&words](int i) { return words.value(i).toInt(); };
    const auto d = [&words](int i) { return words.value(i).toDouble(); };
    const auto rows = [&words] { return numbers(words.value(1)); };
    QUndoStack& history = *document.undoStack();
    const QList<ImageInfo> inserted{photo("x", 5, 9, -90), photo("y", 6, 8)};
    const QList<ImageInfo> imported{photo("i", 7, 7, 90), photo("j", 8, 6, 0, true)};
    const QList<AudioInfo> clips{clip("x", 3.0), clip("y", 4.0)};
    // The audio dialog's result: the order turned round, the first trimmed.
    QList<AudioInfo> edited(document.clips().crbegin(), document.clips().crend());
    if (!edited.isEmpty())
        edited.first().startTime = 1.5;
    const AlbumOutput output{QStringLiteral("profile:%1").arg(n(1)), QStringLiteral("group"), QStringLiteral("/videos"),
                             QStringLiteral("holiday")};
    const std::map<QString, std::function<void()>> verbs{
        {"insertPhotos", [&] { document.insertPhotos(n(1), inserted); }},
        {"importPhotos", [&] { document.importPhotos(n(1), imported); }},
        {"removePhotos", [&] { document.removePhotos(n(1), n(2)); }},
        {"movePhotos", [&] { document.movePhotos(n(1), n(2), n(3)); }},
        {"sortPhotos", [&] { document.sortPhotos(SortType(n(1)), n(2) != 0); }},
        {"clearPhotos", [&] { document.clearPhotos(); }},
        {"turnLeft", [&] { document.addPhotoStep(rows(), TurnLeft); }},
        {"turnRight", [&] { document.addPhotoStep(rows(), TurnRight); }},
        {"mirror", [&] { document.addPhotoStep(rows(), Mirror); }},
        {"flip", [&] { document.addPhotoStep(rows(), Flip); }},
        {"autoRotate", [&] { document.autoRotatePhotos(rows()); }},
        {"restore", [&] { document.autoRotatePhotos(rows(), AlbumDocument::tr("Restore")); }},
        {"autoRotateAll", [&] { document.autoRotateAllPhotos(); }},
        {"insertClips", [&] { document.insertClips(n(1), clips); }},
        {"removeClips", [&] { document.removeClips(n(1), n(2)); }},
        {"moveClips", [&] { document.moveClips(n(1), n(2), n(3)); }},
        {"sortClips", [&] { document.sortClips(SortType(n(1)), n(2) != 0); }},
        {"clearClips", [&] { document.clearClips(); }},
        {"setClips", [&] { document.setClips(edited); }},
        {"sameClips", [&] { document.setClips(document.clips()); }},
        {"trim", [&] { document.setClipTrim(n(1), d(2), d(3)); }},
        {"photoMs", [&] { document.setPhotoMs(n(1)); }},
        {"sync", [&] { document.setPhotoMs(n(1), AlbumDocument::tr("Sync with Audio")); }},
        {"transitionMs", [&] { document.setTransitionMs(n(1)); }},
        {"useTransition", [&] { document.setUseTransition(n(1) != 0); }},
        {"dissolveOnly", [&] { document.setDissolveOnly(n(1) != 0); }},
        {"useZoom", [&] { document.setUseZoom(n(1) != 0); }},
        {"loopAudio", [&] { document.setLoopAudio(n(1) != 0); }},
        {"fadeAudio", [&] { document.setFadeAudio(n(1) != 0); }},
        {"evenLoudness", [&] { document.setEvenLoudness(n(1) != 0); }},
        {"fadeMs", [&] { document.setFadeMs(n(1)); }},
        {"output", [&] { document.setOutput(output); }},
        {"rotateWhileImporting", [&] { document.setRotateWhileImporting(n(1) != 0); }},
        // "caption 1 Hello there": the caption's text as typed so far.
        {"caption",
         [&] {
             Caption caption = document.photos().value(n(1)).caption;
             caption.text = words.mid(2).join(QLatin1Char(' '));
             document.setCaption(n(1), caption);
         }},
        {"captionBand",
         [&] {
             Caption caption = document.photos().value(n(1)).caption;
             caption.backdrop = CaptionBackdrop::Band;
             document.setCaption(n(1), caption, AlbumDocument::tr("Caption Style"));
         }},
        {"captions",
         [&] {
             QList<Caption> captions;
             for (int row : rows()) {
                 captions << Caption();
                 captions.last().text = QStringLiteral("line %1").arg(row);
             }
             document.setCaptions(rows(), captions, AlbumDocument::tr("Import Captions"));
         }},
        {"titleCard", [&] { document.insertTitleCard(n(1), QStringLiteral("Summer")); }},
        {"cardColours", [&] { document.setCardColours(n(1), QColor(200, 0, 0), QColor(0, 0, 200)); }},
        {"save", [&] { document.markSaved(); }},
        {"undo", [&] { history.undo(); }},
        {"redo", [&] { history.redo(); }},
        {"begin", [&] { document.beginEdit(words.mid(1).join(QLatin1Char(' '))); }},
        {"end", [&] { document.endEdit(); }},
    };
    const auto verb = verbs.find(words.value(0));
    if (verb == verbs.end())
        QFAIL(qPrintable("unknown edit " + edit));
    verb->second();
}

class AlbumUndoTest : public QObject
{
    Q_OBJECT

private slots:
    // Each row: edits, then a pattern of undos (u) and redos (r). After
    // every edit the album is noted for the step the history stands on;
    // every undo and redo must give back exactly the album of its step.
    void undoRedoSequences_data()
    {
        QTest::addColumn<QString>("edits"); // separated by ";"
        QTest::addColumn<int>("steps");     // the history's length after the edits
        QTest::addColumn<QString>("pattern");

        QTest::newRow("photo list edits")
            << "insertPhotos 1;removePhotos 0 2;movePhotos 0 2 2;importPhotos 9;clearPhotos" << 5
            << "uuuuurrrrruurruuuuu";
        QTest::newRow("moves and sorts")
            << "sortPhotos 3 1;movePhotos 3 1 0;sortPhotos 0 0;sortPhotos 1 1;movePhotos 0 3 1" << 5
            << "uuurruuuurrrrr";
        QTest::newRow("steps on photos")
            << "turnLeft 0,2;mirror 2;turnRight 1,2,3;flip 3;autoRotate 0,3;restore 2;autoRotateAll" << 7
            << "uuuuuuurrrrrrruuururr";
        QTest::newRow("a photo named twice takes the step twice") << "turnLeft 1,1;turnLeft 1" << 2 << "uurrur";
        QTest::newRow("steps after moves keep to their photos")
            << "turnLeft 0;movePhotos 0 1 3;mirror 3;sortPhotos 0 1;flip 0" << 5 << "uuuuurrrrr";
        QTest::newRow("clips")
            << "insertClips 1;removeClips 0 1;moveClips 0 2 2;sortClips 0 0;trim 1 2 5;setClips;trim 0 0 1;clearClips"
            << 8 << "uuuuuuuurrrrrrrruuuurr";
        QTest::newRow("settings") << "photoMs 3000;transitionMs 800;useTransition 0;dissolveOnly 1;useZoom 0;"
                                     "loopAudio 1;fadeAudio 1;useTransition 1;sync 4100;output 1;output 2;output 2"
                                  << 11 << "uuuuuuuuuuurrrrrrrrrrruuur";
        QTest::newRow("edits that change nothing leave no step")
            << "mirror 2;removePhotos 3 4;movePhotos 1 1 1;sortPhotos 0 1;sortClips 0 1;turnLeft 7;autoRotate 0;"
               "sameClips;trim 0 0 10;trim 5 1 2;photoMs 5000;useZoom 1;rotateWhileImporting 0;begin Nothing;end"
            << 1 << "ur";
        QTest::newRow("a group is one step")
            << "turnLeft 0;begin Import Photos;importPhotos 1;importPhotos 3;end;movePhotos 0 1 2" << 3 << "uuurrrur";
        QTest::newRow("a new edit after undos drops the steps undone")
            << "turnLeft 0;mirror 1;flip 2;undo;undo;redo;undo;turnRight 3;photoMs 100" << 3 << "uuurrr";
        QTest::newRow("everything")
            << "insertPhotos 2;turnLeft 2,3;insertClips 0;sortPhotos 1 0;photoMs 2500;photoMs 2600;setClips;"
               "removePhotos 1 2;autoRotateAll;transitionMs 900;clearPhotos;clearClips"
            << 11 << QString("u").repeated(11) + QString("r").repeated(11) + "uuuuuurrrrrr";
        // Spinning a duration box is one step; another setting, a synced
        // length or a save in between starts a new one; spinning back to
        // where it started leaves none.
        const auto row = [](const char* tag, const char* edits, int steps, const char* pattern) {
            QTest::newRow(tag) << QString(edits) << steps << QString(pattern);
        };
        row("one spin", "photoMs 5100;photoMs 5200;photoMs 5300", 1, "ur");
        row("two durations", "photoMs 5100;transitionMs 1600;photoMs 5200", 3, "uuurrr");
        row("transition spin", "transitionMs 1600;transitionMs 1700;photoMs 4000", 2, "uurr");
        row("sync between spins", "photoMs 5100;sync 6000;photoMs 6100", 3, "uuurrr");
        row("another setting between spins", "photoMs 5100;useZoom 0;photoMs 5200", 3, "uuu");
        row("saved between spins", "photoMs 4000;save;photoMs 3000", 2, "uu");
        row("loudness and fade", "evenLoudness 0;fadeMs 500;fadeMs 800;fadeAudio 1;fadeMs 0;evenLoudness 1", 5,
            "uuuuurrrrruur");
        row("fade spun back", "useZoom 0;fadeMs 2500;fadeMs 2000", 1, "ur");
        row("fade beyond the longest", "fadeMs 70000;fadeMs 60000", 1, "ur");
        row("spun back to the start", "photoMs 5100;photoMs 5000", 0, "");
        // Typing a caption is one step per photo; a style change or a card
        // colour is a step of its own; a card keeps its looks through moves.
        row("typing", "caption 1 H;caption 1 Hi;caption 1 Hi there", 1, "urur");
        row("typing on two photos", "caption 1 A;caption 2 B;caption 1 AB", 3, "uuurrr");
        row("typed back to nothing", "caption 1 A;caption 1 ", 0, "");
        row("style between typing", "caption 1 A;captionBand 1;caption 1 AB", 3, "uuurrru");
        row("cards and captions",
            "titleCard 1;caption 1 Welcome;cardColours 1;captions 0,2,0;movePhotos 1 1 3;cardColours 0;titleCard 9", 6,
            "uuuuuurrrrrruurr");
        row("colours of a photo are no step", "cardColours 0;cardColours 9", 0, "");
        row("spun back after another step", "mirror 0;photoMs 5100;photoMs 5000", 1, "ur");
    }
    void undoRedoSequences()
    {
        QFETCH(QString, edits);
        QFETCH(int, steps);
        QFETCH(QString, pattern);

        AlbumDocument document;
        fillAlbum(document);
        QUndoStack* history = document.undoStack();
        QMap<int, QByteArray> albums{{0, snapshot(document)}}; // by the step the history stands on
        int openGroups = 0;
        for (const QString& edit : edits.split(QLatin1Char(';'))) {
            applyEdit(document, edit);
            openGroups += edit.startsWith("begin") ? 1 : edit == "end" ? -1 : 0;
            if (edit == "undo" || edit == "redo")
                QCOMPARE(snapshot(document), albums.value(history->index()));
            else if (openGroups == 0) // a group's step is on the history once it ends
                albums[history->index()] = snapshot(document);
        }
        QCOMPARE(history->count(), steps);
        QCOMPARE(history->index(), steps);
        QCOMPARE(document.isModified(), steps > 0);

        for (QChar move : pattern) {
            const int before = history->index();
            QVERIFY2(move == 'u' ? history->canUndo() : history->canRedo(), "the pattern overruns the history");
            move == 'u' ? history->undo() : history->redo();
            QCOMPARE(history->index(), move == 'u' ? before - 1 : before + 1);
            QVERIFY2(snapshot(document) == albums.value(history->index()),
                     qPrintable(QStringLiteral("after %1 at step %2").arg(move).arg(history->index())));
        }
    }

    // An undo announces the reverse change the way the edit announces its
    // own, and a redo repeats exactly what the edit announced.
    void undoAndRedoAnnounceLikeEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("undoLines");

        const std::pair<const char*, const char*> rows[] = {
            {"insertPhotos 1", "photosRemoved 1 2"},
            {"removePhotos 2 2", "photosInserted 2 2"},
            {"movePhotos 0 2 1", "photosMoved 1 2 0"},
            {"movePhotos 3 1 0", "photosMoved 0 1 3"},
            {"sortPhotos 0 0", "photosChanged 0 4"},
            {"clearPhotos", "photosReset"},
            {"turnLeft 3,1", "photosChanged 3 1,photosChanged 1 1"},
            {"autoRotateAll", "photosChanged 0 1,photosChanged 1 1,photosChanged 2 1,photosChanged 3 1"},
            {"insertClips 3", "clipsRemoved 3 2"},
            {"removeClips 0 2", "clipsInserted 0 2"},
            {"moveClips 2 1 0", "clipsMoved 0 1 2"},
            {"sortClips 0 0", "clipsChanged 0 3"},
            {"setClips", "clipsReset"},
            {"trim 2 1 2", "clipsChanged 2 1"},
            {"clearClips", "clipsReset"},
            {"photoMs 700", "settingsChanged"},
            {"fadeAudio 1", "settingsChanged"},
            {"evenLoudness 0", "settingsChanged"},
            {"fadeMs 300", "settingsChanged"},
            {"output 3", ""}};
        for (const auto& [edit, lines] : rows)
            QTest::newRow(edit) << QString(edit)
                                << QString(lines).split(',', Qt::SkipEmptyParts) + QStringList{"changed"};
    }
    void undoAndRedoAnnounceLikeEdits()
    {
        QFETCH(QString, edit);
        QFETCH(QStringList, undoLines);

        AlbumDocument document;
        fillAlbum(document);
        SignalLog log(document);
        applyEdit(document, edit);
        const QStringList editLines = log.take();
        document.undoStack()->undo();
        QCOMPARE(log.take(), undoLines);
        document.undoStack()->redo();
        QCOMPARE(log.take(), editLines);
    }

    // Each step is named after what the user did; a group after its
    // outermost name given before its first edit, or after that edit.
    void stepNames_data()
    {
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QString>("name");

        const std::pair<const char*, const char*> rows[] = {
            {"turnLeft 0", "Turn Left"},
            {"turnRight 0", "Turn Right"},
            {"mirror 0", "Mirror"},
            {"flip 0", "Flip"},
            {"autoRotate 3", "Auto Rotate"},
            {"restore 3", "Restore"},
            {"importPhotos 0", "Import Photos"},
            {"insertPhotos 0", "Add Photos"},
            {"removePhotos 0 1", "Delete Photos"},
            {"removeClips 0 1", "Delete Audio"},
            {"clearPhotos", "Clear Album"},
            {"clearClips", "Clear Audio"},
            {"movePhotos 0 1 1", "Move Photos"},
            {"sortPhotos 0 0", "Sort Photos"},
            {"photoMs 1000", "Photo Duration"},
            {"sync 1000", "Sync with Audio"},
            {"transitionMs 1000", "Transition Duration"},
            {"useTransition 0", "Transition"},
            {"dissolveOnly 1", "Dissolve Only"},
            {"useZoom 0", "Zoom"},
            {"loopAudio 1", "Loop Audio"},
            {"fadeAudio 1", "Fade Audio"},
            {"evenLoudness 0", "Even Out Loudness"},
            {"fadeMs 100", "Fade Length"},
            {"setClips", "Edit Audio"},
            {"trim 0 1 2", "Trim Audio"},
            {"output 1", "Output Settings"},
            {"caption 0 Hello", "Caption"},
            {"captions 0,1", "Import Captions"},
            {"titleCard 2", "Insert Title Card"},
            {"begin ;caption 0 A;captionBand 0;end", "Caption"},
            {"begin Import Audio;insertClips 0;insertClips 2;end", "Import Audio"},
            {"begin Import Photos;begin Move Photos;movePhotos 0 1 1;end;end", "Import Photos"},
            {"begin ;begin Move Photos;insertPhotos 2;end;removePhotos 0 1;end", "Move Photos"},
            {"begin ;flip 1;turnLeft 0;end", "Flip"},
        };
        for (const auto& [edits, name] : rows)
            QTest::newRow(edits) << QString(edits) << QString(name);
    }
    void stepNames()
    {
        QFETCH(QString, edits);
        QFETCH(QString, name);

        AlbumDocument document;
        fillAlbum(document);
        for (const QString& part : edits.split(QLatin1Char(';')))
            applyEdit(document, part);
        QCOMPARE(document.undoStack()->count(), 1);
        QCOMPARE(document.undoStack()->undoText(), name);
        document.undoStack()->undo();
        QCOMPARE(document.undoStack()->redoText(), name);
    }

    // The modified state follows the history's saved step, whichever way the
    // history gets there.
    void modifiedFollowsTheSavedStep()
    {
        AlbumDocument document;
        QSignalSpy spy(&document, &AlbumDocument::modifiedChanged);
        // Each edit, and whether the album is modified after it. A preference
        // is no edit; a saved step undone and replaced has no way back; an
        // import cancelled before anything arrived changes nothing.
        const QStringList edits = QStringLiteral("rotateWhileImporting 0;insertPhotos 0;turnLeft 0;save;undo;undo;"
                                                 "redo;redo;undo;flip 0;undo;save;begin Import Photos;end")
                                      .split(QLatin1Char(';'));
        const QString modifiedAfter = QStringLiteral("01101110111000");
        for (int i = 0; i < edits.size(); ++i) {
            spy.clear();
            applyEdit(document, edits.at(i));
            const bool expected = modifiedAfter.at(i) == QLatin1Char('1');
            QVERIFY2(document.isModified() == expected, qPrintable(edits.at(i)));
            // Announced when it changes, and only then.
            QCOMPARE(spy.size(), expected == (i > 0 && modifiedAfter.at(i - 1) == QLatin1Char('1')) ? 0 : 1);
            QVERIFY(spy.isEmpty() || spy.first().at(0).toBool() == expected);
        }
    }

    // While a group holds edits the history cannot be undone under it; a
    // group without edits neither leaves a step nor loses the redo steps.
    void groups()
    {
        AlbumDocument document;
        fillAlbum(document);
        QUndoStack* history = document.undoStack();
        document.addPhotoStep({0}, Mirror);
        document.addPhotoStep({1}, Flip);
        history->undo();
        const QByteArray mirrored = snapshot(document);

        document.beginEdit(AlbumDocument::tr("Import Photos"));
        document.endEdit();
        QCOMPARE(history->count(), 2);
        QVERIFY(history->canRedo());

        document.beginEdit(AlbumDocument::tr("Import Photos"));
        document.importPhotos(0, {photo("n", 1, 1)});
        QVERIFY(!history->canUndo());
        history->undo(); // refused while the group is open
        QCOMPARE(document.photos().size(), 5);
        document.importPhotos(1, {photo("m", 1, 1)});
        document.endEdit();
        document.endEdit(); // one too many: ignored
        QCOMPARE(history->count(), 2);
        QVERIFY(!history->canRedo());
        QCOMPARE(document.photos().size(), 6);
        history->undo();
        QCOMPARE(snapshot(document), mirrored);
        history->redo();
        QCOMPARE(document.photos().at(0).filePath, QStringLiteral("/album/n.jpg"));
        QCOMPARE(document.photos().at(1).filePath, QStringLiteral("/album/m.jpg"));
    }

    // Another album loaded: nothing before it can be undone, and it is
    // unmodified already for whoever hears of the change.
    void loadingStartsAFreshHistory()
    {
        AlbumDocument document;
        fillAlbum(document);
        document.addPhotoStep({0}, Flip);
        QVERIFY(document.isModified());
        AlbumContents other = document.contents();
        other.photos.removeFirst();
        other.output.fileName = QStringLiteral("trip");
        QSignalSpy modified(&document, &AlbumDocument::modifiedChanged);
        bool modifiedWhenAnnounced = true;
        connect(&document, &AlbumDocument::changed, this, [&] { modifiedWhenAnnounced = document.isModified(); });

        document.loadContents(other);
        QVERIFY(!modifiedWhenAnnounced);
        QCOMPARE(modified.count(), 1);
        QCOMPARE(modified.first().at(0).toBool(), false);
        QCOMPARE(document.undoStack()->count(), 0);
        QCOMPARE(document.photos().size(), 3);
    }

    // Details probed for a photo that was deleted in the meantime reach it
    // where the history keeps it: undone, the deletion gives it back
    // complete. Probed details are no edit.
    void probedDetailsReachDeletedPhotos()
    {
        AlbumDocument document;
        AlbumContents album;
        for (const char* name : {"a", "b", "c"}) {
            ImageInfo bare;
            bare.filePath = QStringLiteral("/album/%1.jpg").arg(QLatin1String(name));
            album.photos << bare;
        }
        document.loadContents(album);
        document.removePhotos(1, 1);
        document.clearPhotos();
        const ImageInfo probed = photo("b", 10, 3, 90);
        document.fillPhotoDetails(probed);
        QCOMPARE(document.undoStack()->count(), 2);
        document.undoStack()->undo();
        document.undoStack()->undo();
        QCOMPARE(document.photos().size(), 3);
        QCOMPARE(document.photos().at(1).thumbnail, probed.thumbnail);
        QCOMPARE(document.photos().at(1).exifRotation, 90);
        QCOMPARE(document.photos().at(1).width, probed.width);
        QVERIFY(document.photos().at(0).thumbnail.isNull());
        QVERIFY(!document.isModified());
    }

    // A large album stays cheap to edit: the history keeps the records an
    // edit took out of the album, never copies of the album.
    void historyHoldsOnlyWhatIsOutside()
    {
        AlbumDocument document;
        QList<ImageInfo> many;
        for (int i = 0; i < 1000; ++i)
            many << photo(QStringLiteral("p%1").arg(i, 4, 10, QLatin1Char('0')), 1000 - i, 1 + i % 28, i % 3 * 90);
        document.insertPhotos(0, many);
        document.insertClips(0, {clip("a", 10.0), clip("b", 20.0), clip("c", 30.0)});
        QCOMPARE(document.undoHeldRecords(), 0);
        const QByteArray before = snapshot(document);

        int removed = 0;
        for (int round = 0; round < 5; ++round) {
            document.addPhotoStep({round, 500, 999}, TurnLeft);
            document.movePhotos(10 * round, 3, 900);
            document.sortPhotos(round % 2 ? SortBySize : SortByName, round % 2);
            document.removePhotos(100 + round, 2);
            removed += 2;
            document.setPhotoMs(3000 + round);
            document.setUseZoom(round % 2);
            document.autoRotateAllPhotos();
            document.addPhotoStep({7}, Mirror);
            document.setClipTrim(0, 0.5 + round, 5.0 + round);
            document.moveClips(0, 1, 2);
        }
        QCOMPARE(document.undoStack()->count(), 2 + 50);
        QCOMPARE(document.undoHeldRecords(), removed);

        while (document.undoStack()->index() > 2)
            document.undoStack()->undo();
        QCOMPARE(document.undoHeldRecords(), 0);
        QCOMPARE(snapshot(document), before);
        // Undoing the insertion itself holds what it took out, and no more.
        document.undoStack()->undo();
        document.undoStack()->undo();
        QCOMPARE(document.undoHeldRecords(), 1003);
    }
};

} // namespace

std::unique_ptr<QObject> makeAlbumUndoTests() { return std::make_unique<AlbumUndoTest>(); }

#include "tst_albumundo.moc"
