// The strips as views of one album document: edits made on the document
// elsewhere show in them row for row (photo, marker, photo...), their own
// edits land in the document they were given, the drag rules both strips
// share, and imported records going into the document batch after batch.

#include "albumdocument.h"
#include "audiolistwidget.h"
#include "imagereader.h"
#include "importflow.h"
#include "importprogress.h"
#include "photolistwidget.h"
#include "stripdrag.h"
#include "widgetstests.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

ImageInfo photo(const QString& name)
{
    ImageInfo info;
    info.filePath = QStringLiteral("/album/%1.jpg").arg(name);
    info.width = 400;
    info.height = 300;
    return info;
}

AudioInfo clip(const QString& name)
{
    AudioInfo info;
    info.filePath = QStringLiteral("/music/%1.mp3").arg(name);
    info.duration = 4.0;
    info.endTime = 4.0;
    return info;
}

// The strip's rows as shown: each photo's name from its tool tip, "|" for a
// marker. Any row that is not where the layout puts it reads "?".
QString shownRows(const PhotoListWidget& strip)
{
    static const QRegularExpression bold(QStringLiteral("<b>([^<]*)\\.jpg</b>"));
    QString shown;
    for (int row = 0; row < strip.count(); ++row) {
        const QListWidgetItem* item = strip.item(row);
        const bool marker = item->sizeHint() == PhotoListWidget::transItemSize;
        if (row % 2 == 1) {
            shown += marker ? QStringLiteral("|") : QStringLiteral("?");
            continue;
        }
        const QRegularExpressionMatch match = bold.match(item->toolTip());
        shown += !marker && match.hasMatch() ? match.captured(1) : QStringLiteral("?");
    }
    return shown;
}

QString clipNames(const AudioListWidget& strip)
{
    QStringList names;
    for (const AudioInfo& info : strip.audios)
        names << QFileInfo(info.filePath).baseName();
    return names.join(QString());
}

} // namespace

class StripDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void documentEditsShowInTheStrips_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("rows");  // photo strip, starting from a|b|c
        QTest::addColumn<QString>("clips"); // sound strip, starting from abc

        QTest::newRow("insert at the start") << "insert 0"
                                             << "x|y|a|b|c"
                                             << "xabc";
        QTest::newRow("insert in the middle") << "insert 1"
                                              << "a|x|y|b|c"
                                              << "axbc";
        QTest::newRow("insert at the end") << "insert 3"
                                           << "a|b|c|x|y"
                                           << "abcx";
        QTest::newRow("remove the first") << "remove 0 1"
                                          << "b|c"
                                          << "bc";
        QTest::newRow("remove the last") << "remove 2 1"
                                         << "a|b"
                                         << "ab";
        QTest::newRow("remove the middle") << "remove 1 1"
                                           << "a|c"
                                           << "ac";
        QTest::newRow("remove two at the start") << "remove 0 2"
                                                 << "c"
                                                 << "c";
        QTest::newRow("remove all") << "remove 0 3"
                                    << ""
                                    << "";
        QTest::newRow("move the first to the end") << "move 0 1 2"
                                                   << "b|c|a"
                                                   << "bca";
        QTest::newRow("move two to the start") << "move 1 2 0"
                                               << "b|c|a"
                                               << "bca";
        QTest::newRow("move the last one left") << "move 2 1 1"
                                                << "a|c|b"
                                                << "acb";
        QTest::newRow("sort descending") << "sort"
                                         << "c|b|a"
                                         << "cba";
        QTest::newRow("clear") << "clear"
                               << ""
                               << "";
    }
    void documentEditsShowInTheStrips()
    {
        QFETCH(QString, edit);
        QFETCH(QString, rows);
        QFETCH(QString, clips);

        AlbumDocument document;
        document.insertPhotos(0, {photo("a"), photo("b"), photo("c")});
        document.insertClips(0, {clip("a"), clip("b"), clip("c")});
        PhotoListWidget photos;
        AudioListWidget sounds;
        photos.setDocument(&document);
        sounds.setDocument(&document);
        QCOMPARE(shownRows(photos), QStringLiteral("a|b|c"));
        QCOMPARE(clipNames(sounds), QStringLiteral("abc"));

        const QStringList words = edit.split(' ');
        const auto n = [&words](int i) { return words.value(i).toInt(); };
        if (words[0] == "insert") {
            document.insertPhotos(n(1), {photo("x"), photo("y")});
            document.insertClips(n(1), {clip("x")});
        } else if (words[0] == "remove") {
            document.removePhotos(n(1), n(2));
            document.removeClips(n(1), n(2));
        } else if (words[0] == "move") {
            document.movePhotos(n(1), n(2), n(3));
            document.moveClips(n(1), n(2), n(3));
        } else if (words[0] == "sort") {
            document.sortPhotos(SortByName, false);
            document.sortClips(SortByName, false);
        } else {
            document.clearPhotos();
            document.clearClips();
        }
        QCOMPARE(shownRows(photos), rows);
        QCOMPARE(sounds.count(), int(document.clips().size()));
        QCOMPARE(clipNames(sounds), clips);
    }

    // A strip handed a document that already holds an album shows it, and
    // leaves the document it had before alone.
    void stripShowsTheDocumentItIsGiven()
    {
        PhotoListWidget strip;
        ImageInfo own = photo("own");
        strip.addFile(own, false);
        strip.finishItemsAdding();
        AlbumDocument* first = strip.document();
        QCOMPARE(first->photos().size(), 1);

        AlbumDocument album;
        album.insertPhotos(0, {photo("a"), photo("b")});
        strip.setDocument(&album);
        QCOMPARE(strip.document(), &album);
        QCOMPARE(shownRows(strip), QStringLiteral("a|b"));
        QCOMPARE(strip.photoList().size(), 2);
    }

    // The strips' own edits (add, move, turn, delete) are made on the
    // document they share with the window.
    void stripEditsReachTheDocument()
    {
        AlbumDocument document;
        PhotoListWidget photos;
        AudioListWidget sounds;
        photos.setDocument(&document);
        sounds.setDocument(&document);
        for (const QString& name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
            ImageInfo info = photo(name);
            photos.addFile(info, false);
            sounds.addFile(clip(name));
        }
        photos.finishItemsAdding();
        sounds.finishItemsAdding();
        QCOMPARE(document.photos().size(), 3);
        QCOMPARE(document.clips().size(), 3);

        photos.setCurrentRow(0);
        photos.selectionMoveRight();
        QCOMPARE(shownRows(photos), QStringLiteral("b|a|c"));
        QCOMPARE(QFileInfo(document.photos().at(1).filePath).baseName(), QStringLiteral("a"));
        QCOMPARE(photos.selectedItems().size(), 1);
        QCOMPARE(photos.row(photos.selectedItems().first()), 2);

        photos.selectionAddProc(TurnRight);
        QCOMPARE(document.photos().at(1).procs, QVector<IMAGEPROC>{TurnRight});
        QCOMPARE(document.photos().at(1).imageType, 6);

        sounds.setCurrentRow(2);
        sounds.selectionMoveLeft();
        QCOMPARE(clipNames(sounds), QStringLiteral("acb"));
        QCOMPARE(sounds.currentRow(), 1);
        sounds.setCurrentRow(1);
        sounds.selectionDelete(false);
        QCOMPARE(clipNames(sounds), QStringLiteral("ab"));

        photos.setCurrentRow(4);
        photos.selectionDelete(false);
        QCOMPARE(shownRows(photos), QStringLiteral("b|a"));
        QCOMPARE(document.photos().size(), 2);

        photos.clear();
        QVERIFY(document.photos().isEmpty());
        QCOMPARE(document.clips().size(), 2);
    }

    // An opened album shows at once with plain frames for its photos; each
    // thumbnail replaces its frame as it arrives, turned by the photo's steps.
    void openedAlbumShowsThumbnailsAsTheyArrive()
    {
        AlbumDocument document;
        PhotoListWidget strip;
        strip.setDocument(&document);
        strip.resize(600, 140);
        strip.show();
        AlbumContents album;
        album.photos = {photo("a"), photo("b"), photo("a")};
        album.photos[2].procs = {Mirror};
        document.loadContents(album);
        QCOMPARE(shownRows(strip), QStringLiteral("a|b|a"));
        const auto shown = [&strip](int photoIndex) {
            return strip.item(2 * photoIndex)->data(Qt::DecorationRole).value<QPixmap>().toImage();
        };
        for (int i = 0; i < 3; ++i) {
            const QImage frame = shown(i);
            QCOMPARE(frame.size(), QSize(ImageReader::ThumbnailWidth, ImageReader::ThumbnailHeight));
            QCOMPARE(frame.pixel(5, 5), ImageReader::ThumbnailBackground);
            QCOMPARE(frame.pixel(75, 55), ImageReader::ThumbnailBackground);
        }
        QVERIFY(!strip.grab().isNull()); // painting the frames

        ImageInfo probed = photo("a");
        probed.thumbnail = QImage(ImageReader::ThumbnailWidth, ImageReader::ThumbnailHeight, QImage::Format_RGB32);
        probed.thumbnail.fill(Qt::red);
        for (int x = 0; x < ImageReader::ThumbnailWidth / 2; ++x)
            for (int y = 0; y < ImageReader::ThumbnailHeight; ++y)
                probed.thumbnail.setPixel(x, y, qRgb(0, 0, 255));
        probed.thumbnailTurned = probed.thumbnail.transformed(QTransform().rotate(90));
        document.fillPhotoDetails(probed);
        QCOMPARE(shown(0).pixel(5, 5), qRgb(0, 0, 255));
        QCOMPARE(shown(0).pixel(75, 5), qRgb(255, 0, 0));
        QCOMPARE(shown(1).pixel(5, 5), ImageReader::ThumbnailBackground);
        QCOMPARE(shown(2).pixel(5, 5), qRgb(255, 0, 0)); // mirrored
        QVERIFY(!strip.grab().isNull());
    }
};

class StripDragRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void enters_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("payloadWelcome");
        QTest::addColumn<bool>("taken");
        QTest::newRow("a matching file") << "file:flower.jpg" << false << true;
        QTest::newRow("a folder with photos") << "folder:samples" << false << true;
        QTest::newRow("a folder without any") << "folder:empty" << true << false;
        QTest::newRow("the strip's payload") << "payload" << true << true;
        QTest::newRow("the payload from elsewhere") << "payload" << false << false;
        QTest::newRow("plain text") << "text" << true << false;
    }
    void enters()
    {
        QFETCH(QString, content);
        QFETCH(bool, payloadWelcome);
        QFETCH(bool, taken);
        QMimeData mime;
        const QTemporaryDir empty;
        if (content.startsWith("file:"))
            mime.setUrls({QUrl::fromLocalFile(mediaFile(content.mid(5)))});
        else if (content == "folder:samples")
            mime.setUrls({QUrl::fromLocalFile(QFileInfo(mediaFile("flower.jpg")).absolutePath())});
        else if (content == "folder:empty")
            mime.setUrls({QUrl::fromLocalFile(empty.path())});
        else if (content == "payload")
            mime.setData("ImageList", "1");
        else
            mime.setText(content);
        QCOMPARE(StripDrag::enters(&mime, {"*.jpg"}, "ImageList", payloadWelcome), taken);
    }

    // Where a drop of the strip's own rows puts the copies; the rows lie in
    // a strip of 9 rows.
    void drop_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("ownPayload");
        QTest::addColumn<bool>("control");
        QTest::addColumn<int>("dropRow");
        QTest::addColumn<int>("rowsPerRecord");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("insertRow");

        QTest::newRow("move forward past a photo")
            << QList<int>{0, 2} << true << false << 4 << 2 << int(Qt::MoveAction) << 6;
        QTest::newRow("move forward past a clip")
            << QList<int>{0} << true << false << 4 << 1 << int(Qt::MoveAction) << 5;
        QTest::newRow("move forward onto the last")
            << QList<int>{2} << true << false << 8 << 2 << int(Qt::MoveAction) << 9;
        QTest::newRow("move back") << QList<int>{6} << true << false << 2 << 2 << int(Qt::MoveAction) << 2;
        QTest::newRow("copy forward stays") << QList<int>{0} << true << true << 4 << 2 << int(Qt::CopyAction) << 4;
        QTest::newRow("an earlier drag's payload")
            << QList<int>{0} << false << false << 4 << 2 << int(Qt::IgnoreAction) << 4;
        QTest::newRow("rows past the strip") << QList<int>{10} << true << false << 4 << 2 << int(Qt::IgnoreAction) << 4;
    }
    void drop()
    {
        QFETCH(QList<int>, rows);
        QFETCH(bool, ownPayload);
        QFETCH(bool, control);
        QFETCH(int, dropRow);
        QFETCH(int, rowsPerRecord);
        QFETCH(int, action);
        QFETCH(int, insertRow);

        StripDrag drag;
        const QByteArray payload = drag.begin(rows);
        QMimeData mime;
        mime.setData("AudioList", ownPayload ? payload : StripDrag().begin(rows));
        const StripDrag::Drop drop =
            drag.drop(&mime, "AudioList", 9, control ? Qt::ControlModifier : Qt::NoModifier, dropRow, rowsPerRecord);
        QCOMPARE(int(drop.action), action);
        QCOMPARE(drop.insertRow, insertRow);
        QCOMPARE(drop.rows, action == int(Qt::IgnoreAction) ? QList<int>() : rows);
        drag.end();
        QVERIFY(drag.drop(&mime, "AudioList", 9, Qt::NoModifier, dropRow, rowsPerRecord).rows.isEmpty());
    }

    // Each parsed batch goes in after the one before it, from where the
    // import started; photos get their import preparation on the way.
    void importedBatchesKeepTheirOrder()
    {
        AlbumDocument document;
        ImageInfo a = photo("a"), b = photo("b");
        document.insertPhotos(0, {a, b});
        document.insertClips(0, {clip("a"), clip("b")});
        ImportProgress photos(true, nullptr);
        ImportProgress clips(false, nullptr);
        ImportFlow::feedAlbum(photos, document, 1);
        ImportFlow::feedAlbum(clips, document, 2);

        ImageInfo turned = photo("x");
        turned.exifRotation = 90;
        emit photos.photosParsed({turned});
        emit photos.photosParsed({photo("y"), photo("z")});
        emit clips.clipsParsed({clip("x"), clip("y")});
        emit clips.clipsParsed({clip("z")});

        QStringList names;
        for (const ImageInfo& info : document.photos())
            names << QFileInfo(info.filePath).baseName();
        QCOMPARE(names.join(QString()), QStringLiteral("axyzb"));
        names.clear();
        for (const AudioInfo& info : document.clips())
            names << QFileInfo(info.filePath).baseName();
        QCOMPARE(names.join(QString()), QStringLiteral("abxyz"));
        QCOMPARE(document.photos().at(1).procs, QVector<IMAGEPROC>{TurnRight});
        QCOMPARE(document.photos().at(1).imageType, 6);
        QCOMPARE(document.photos().at(1).fxEnd.value[2] + document.photos().at(1).fxStart.value[2], 150.0f);
    }
};

std::unique_ptr<QObject> makeStripDragRulesTests() { return std::make_unique<StripDragRulesTest>(); }

std::unique_ptr<QObject> makeStripDocumentTests() { return std::make_unique<StripDocumentTest>(); }

#include "tst_stripdocument.moc"
