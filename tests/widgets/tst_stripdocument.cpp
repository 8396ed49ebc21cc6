// The strips as views of one album document: edits made on the document
// elsewhere show in them row for row (photo, marker, photo...), and their own
// edits land in the document they were given.

#include "albumdocument.h"
#include "audiolistwidget.h"
#include "photolistwidget.h"
#include "widgetstests.h"

#include <QFileInfo>
#include <QRegularExpression>
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
        QTest::addColumn<QString>("rows");   // photo strip, starting from a|b|c
        QTest::addColumn<QString>("clips");  // sound strip, starting from abc

        QTest::newRow("insert at the start") << "insert 0" << "x|y|a|b|c" << "xabc";
        QTest::newRow("insert in the middle") << "insert 1" << "a|x|y|b|c" << "axbc";
        QTest::newRow("insert at the end") << "insert 3" << "a|b|c|x|y" << "abcx";
        QTest::newRow("remove the first") << "remove 0 1" << "b|c" << "bc";
        QTest::newRow("remove the last") << "remove 2 1" << "a|b" << "ab";
        QTest::newRow("remove the middle") << "remove 1 1" << "a|c" << "ac";
        QTest::newRow("remove two at the start") << "remove 0 2" << "c" << "c";
        QTest::newRow("remove all") << "remove 0 3" << "" << "";
        QTest::newRow("move the first to the end") << "move 0 1 2" << "b|c|a" << "bca";
        QTest::newRow("move two to the start") << "move 1 2 0" << "b|c|a" << "bca";
        QTest::newRow("move the last one left") << "move 2 1 1" << "a|c|b" << "acb";
        QTest::newRow("sort descending") << "sort" << "c|b|a" << "cba";
        QTest::newRow("clear") << "clear" << "" << "";
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
};

std::unique_ptr<QObject> makeStripDocumentTests()
{
    return std::make_unique<StripDocumentTest>();
}

#include "tst_stripdocument.moc"
