// The photo strip: its row layout through mixed edits, sorting, turn and
// flip steps as shown on screen, drags within the strip, drops from outside
// through the import dialog, escaped tool tips and the empty-place hint.

#include "imagereader.h"
#include "photolistwidget.h"
#include "widgetstests.h"
#include "zumessagebox.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

constexpr QRgb TopLeft = 0xFFFF0000, TopRight = 0xFF00FF00, BottomLeft = 0xFF0000FF, BottomRight = 0xFFFFFFFF;

QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor::fromRgb(TopLeft));
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor::fromRgb(TopRight));
    painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor::fromRgb(BottomLeft));
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor::fromRgb(BottomRight));
    return image;
}

bool sameColour(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40 && qAbs(qBlue(a) - qBlue(b)) < 40;
}

QString names(const PhotoListWidget& strip)
{
    QStringList list;
    for (const ImageInfo& photo : strip.photoList())
        list << QFileInfo(photo.filePath).baseName();
    return list.join(' ');
}

// Sends a drag entering the strip and a drop of `data` onto its item at
// `row` (-1: past the end); Qt delivers a drop only where a drag entered.
Qt::DropAction dropOn(PhotoListWidget& strip, const QMimeData* data, int row, Qt::KeyboardModifiers modifiers)
{
    const QPoint at =
        row < 0 ? QPoint(strip.viewport()->width() - 2, 30) : strip.visualItemRect(strip.item(row)).center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(strip.viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(strip.viewport(), &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

} // namespace

class PhotoListWidgetTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<ImageInfo> m_photos; // p0 .. p5, 400 x 300 quadrants
    QStringList m_reports;

    // Adds photos p<first> .. p<first + n - 1> as an import would.
    void add(PhotoListWidget& strip, int first, int n)
    {
        for (int i = first; i < first + n; ++i) {
            ImageInfo info = m_photos.at(i % m_photos.size());
            strip.addFile(info, true);
        }
        strip.finishItemsAdding();
    }

    // Photos on even rows (with their own tool tips), markers on odd rows.
    static void verifyLayout(const PhotoListWidget& strip)
    {
        const int n = int(strip.photoList().size());
        QCOMPARE(strip.count(), n == 0 ? 0 : 2 * n - 1);
        for (int row = 0; row < strip.count(); ++row) {
            const QListWidgetItem* item = strip.item(row);
            QCOMPARE(item->sizeHint(), row % 2 ? PhotoListWidget::transItemSize : PhotoListWidget::photoItemSize);
            if (row % 2 == 0)
                QVERIFY(item->toolTip().contains(
                    QFileInfo(strip.photoList().at(row / 2).filePath).fileName().toHtmlEscaped()));
        }
    }

private slots:
    void initTestCase()
    {
        for (int i = 0; i < 6; ++i) {
            const QString path = QDir(m_dir.path()).filePath(QStringLiteral("p%1.png").arg(i));
            QVERIFY(quadrants(400, 300).save(path));
            ImageInfo info;
            info.filePath = path;
            QVERIFY(ImageReader::parse(info));
            m_photos << info;
        }
        ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
            m_reports << box.text();
            return QMessageBox::Ok;
        });
    }
    void cleanupTestCase()
    {
        ZuMessageBox::setAnswerHook({});
        PhotoListWidget::setDragHook({});
    }

    void editsKeepTheRows_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("selectedFirst"); // rows selected afterwards, -1: none checked
        QTest::newRow("three photos") << 3 << "" << 0 << 0 << "p0 p1 p2" << -1;
        QTest::newRow("delete middle") << 3 << "delete" << 2 << 2 << "p0 p2" << -1;
        QTest::newRow("delete middle with markers") << 3 << "delete" << 1 << 3 << "p0 p2" << -1;
        QTest::newRow("delete first") << 3 << "delete" << 0 << 1 << "p1 p2" << -1;
        QTest::newRow("delete last") << 3 << "delete" << 4 << 4 << "p0 p1" << -1;
        QTest::newRow("delete all") << 3 << "delete" << 0 << 4 << "" << -1;
        QTest::newRow("markers only") << 3 << "delete" << 1 << 1 << "p0 p1 p2" << -1;
        QTest::newRow("second right") << 3 << "right" << 2 << 2 << "p0 p2 p1" << 4;
        QTest::newRow("two left") << 4 << "left" << 3 << 6 << "p0 p2 p3 p1" << 2;
        QTest::newRow("to the start") << 3 << "left" << 2 << 2 << "p1 p0 p2" << 0;
        QTest::newRow("all but last right") << 4 << "right" << 0 << 4 << "p3 p0 p1 p2" << 2;
        QTest::newRow("clear") << 3 << "clear" << 0 << 0 << "" << -1;
    }
    void editsKeepTheRows()
    {
        QFETCH(int, photos);
        QFETCH(QString, op);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, order);
        QFETCH(int, selectedFirst);
        PhotoListWidget strip;
        add(strip, 0, photos);
        QSignalSpy changed(&strip, &PhotoListWidget::photoListChanged);
        strip.selectionModel()->select(QItemSelection(strip.model()->index(first, 0), strip.model()->index(last, 0)),
                                       QItemSelectionModel::ClearAndSelect);
        if (op == "delete")
            strip.selectionDelete(false);
        else if (op == "right")
            strip.selectionMoveRight();
        else if (op == "left")
            strip.selectionMoveLeft();
        else if (op == "clear")
            strip.clear();
        QCOMPARE(names(strip), order);
        verifyLayout(strip);
        if (op == "delete" && order.isEmpty())
            QCOMPARE(strip.currentRow(), -1);
        if (op == "delete" || op == "right" || op == "left") {
            QCOMPARE(changed.count(), order == "p0 p1 p2" && photos == 3 ? 0 : 1);
            if (changed.count())
                QCOMPARE(changed.last().first().value<QList<ImageInfo>>().size(), strip.photoList().size());
        }
        if (selectedFirst >= 0) {
            const int moved = (last - first) / 2 + 1;
            QList<int> rows;
            for (const QModelIndex& index : strip.selectionModel()->selectedIndexes())
                rows << index.row();
            std::sort(rows.begin(), rows.end());
            QCOMPARE(rows.first(), selectedFirst);
            QCOMPARE(rows.last(), selectedFirst + 2 * (moved - 1));
        }
        // Adding after the edit still gives a whole strip.
        add(strip, 5, 1);
        verifyLayout(strip);
    }

    // Records p0 (size 30, png, oldest), p1 (10, jpg, newest), p2 (20, bmp);
    // p2 is turned half way round, so a picture left behind shows.
    void sortMovesPicturesWithRecords_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("order");
        QTest::newRow("name up") << int(SortByName) << true << "p0 p1 p2";
        QTest::newRow("name down") << int(SortByName) << false << "p2 p1 p0";
        QTest::newRow("date up") << int(SortByDate) << true << "p0 p2 p1";
        QTest::newRow("type up") << int(SortByType) << true << "p2 p1 p0";
        QTest::newRow("size down") << int(SortBySize) << false << "p0 p2 p1";
    }
    void sortMovesPicturesWithRecords()
    {
        QFETCH(int, type);
        QFETCH(bool, ascending);
        QFETCH(QString, order);
        PhotoListWidget strip;
        for (int i : {1, 2, 0}) {
            ImageInfo info = m_photos.at(i);
            info.fileSize = QList<qint64>{30, 10, 20}.at(i);
            info.suffix = QStringList{"png", "jpg", "bmp"}.at(i);
            info.lastModified = QDateTime(QDate(2024, 5, 1 + QList<int>{0, 2, 1}.at(i)), QTime(12, 0));
            info.procs = {i == 2 ? Mirror : Flip, Flip};
            strip.addFile(info, false);
        }
        strip.finishItemsAdding();
        strip.sort(SortType(type), ascending);
        QCOMPARE(names(strip), order);
        verifyLayout(strip);
        const int mirrored = int(order.split(' ').indexOf("p2"));
        const QImage shown = strip.item(2 * mirrored)->data(Qt::DecorationRole).value<QPixmap>().toImage();
        QVERIFY(sameColour(shown.pixel(20, 15), BottomRight));
    }

    // What the strip shows after each step, read back from the screen:
    // the colour in the top left and bottom right of the picture.
    void stepsAsShown_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("imageType");
        QTest::addColumn<QRgb>("shownTopLeft");
        QTest::addColumn<QRgb>("shownBottomRight");
        QTest::newRow("none") << "" << 0 << TopLeft << BottomRight;
        QTest::newRow("left then right") << "LR" << 0 << TopLeft << BottomRight;
        QTest::newRow("flip twice") << "FF" << 0 << TopLeft << BottomRight;
        QTest::newRow("flip") << "F" << 1 << BottomLeft << TopRight;
        QTest::newRow("mirror") << "M" << 2 << TopRight << BottomLeft;
        QTest::newRow("mirror flip") << "MF" << 3 << BottomRight << TopLeft;
        QTest::newRow("turn right") << "R" << 6 << BottomLeft << TopRight;
        QTest::newRow("turn left") << "L" << 5 << TopRight << BottomLeft;
        QTest::newRow("turn right, mirror") << "RM" << 7 << TopLeft << BottomRight;
        QTest::newRow("restore") << "LLMx" << 0 << TopLeft << BottomRight;
    }
    void stepsAsShown()
    {
        QFETCH(QString, steps);
        QFETCH(int, imageType);
        QFETCH(QRgb, shownTopLeft);
        QFETCH(QRgb, shownBottomRight);
        PhotoListWidget strip;
        strip.resize(400, 72);
        add(strip, 0, 1);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        QSignalSpy changed(&strip, &PhotoListWidget::photoListChanged);
        strip.item(0)->setSelected(true);
        for (QChar step : steps) {
            if (step == 'x')
                strip.selectionRestore();
            else
                strip.selectionAddProc(step == 'L' ? TurnLeft : step == 'R' ? TurnRight : step == 'M' ? Mirror : Flip);
        }
        QCOMPARE(changed.count(), int(steps.size()));
        QCOMPARE(strip.photoList().first().imageType, imageType);
        strip.clearSelection();
        strip.setCurrentRow(-1);
        QCoreApplication::processEvents();
        const QImage shown = strip.viewport()->grab().toImage();
        const QPoint centre = strip.visualItemRect(strip.item(0)).center();
        const QPoint corner = imageType >= 4 ? QPoint(10, 15) : QPoint(20, 15);
        QVERIFY(sameColour(shown.pixel(centre - corner), shownTopLeft));
        QVERIFY(sameColour(shown.pixel(centre + corner), shownBottomRight));
    }

    // EXIF orientations from real camera files: auto rotate, restore and
    // rotation while importing all give the same steps.
    void exifSteps_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("imageType");
        QTest::newRow("orientation 6") << "bird-exif6.jpg" << 6;
        QTest::newRow("orientation 3") << "clock-portrait-exif3.jpg" << 3;
        QTest::newRow("no EXIF") << "flower.jpg" << 0;
    }
    void exifSteps()
    {
        QFETCH(QString, file);
        QFETCH(int, imageType);
        ImageInfo info;
        info.filePath = mediaFile(file);
        QVERIFY(ImageReader::parse(info));
        PhotoListWidget strip;
        ImageInfo imported = info;
        strip.addFile(imported, true);
        strip.autoRotatewhileImporting(false);
        ImageInfo plain = info;
        strip.addFile(plain, true);
        strip.finishItemsAdding();
        QCOMPARE(strip.photoList().at(0).imageType, imageType);
        QCOMPARE(strip.photoList().at(1).imageType, 0);
        strip.item(0)->setSelected(true);
        strip.selectionAddProc(TurnLeft);
        strip.selectionAutoRotate();
        QCOMPARE(strip.photoList().at(0).imageType, imageType);
        strip.autoRotateAll();
        QCOMPARE(strip.photoList().at(1).imageType, imageType);
    }

    // Eight zoom paths in turn; clearing does not start them again.
    void zoomPathCounter()
    {
        PhotoListWidget strip;
        add(strip, 0, 8);
        const QList<ImageInfo> firstRound = strip.photoList();
        strip.clear();
        add(strip, 0, 8);
        for (int i = 0; i < 8; ++i) {
            const ImageInfo& a = firstRound.at(i);
            const ImageInfo& b = strip.photoList().at(i);
            QCOMPARE(QByteArray((const char*)a.fxStart.value, 16), QByteArray((const char*)b.fxStart.value, 16));
            for (int j = 0; j < i; ++j)
                QVERIFY(memcmp(a.fxStart.value, firstRound.at(j).fxStart.value, 16) != 0);
        }
    }

    // A press and a drag on the strip; the drop is answered on the strip
    // itself, with or without Control.
    void dragWithinStrip_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("control");
        QTest::addColumn<QString>("order");
        QTest::newRow("move first onto last") << 0 << 4 << false << "p1 p2 p0";
        QTest::newRow("move last to front") << 4 << 0 << false << "p2 p0 p1";
        QTest::newRow("copy with control") << 2 << 0 << true << "p1 p0 p1 p2";
    }
    void dragWithinStrip()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, control);
        QFETCH(QString, order);
        PhotoListWidget strip;
        strip.resize(600, 72);
        add(strip, 0, 3);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        QByteArray payload;
        PhotoListWidget::setDragHook([&](QDrag& drag) {
            payload = drag.mimeData()->data("ImageList");
            return dropOn(strip, drag.mimeData(), to, control ? Qt::ControlModifier : Qt::NoModifier);
        });
        const QPoint start = strip.visualItemRect(strip.item(from)).center();
        QTest::mousePress(strip.viewport(), Qt::LeftButton, Qt::NoModifier, start);
        QMouseEvent move(QEvent::MouseMove, start + QPoint(30, 0), strip.viewport()->mapToGlobal(start + QPoint(30, 0)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip.viewport(), &move);
        PhotoListWidget::setDragHook({});
        QCOMPARE(names(strip), order);
        verifyLayout(strip);
        QVERIFY(payload.startsWith(QByteArray("1\0", 2) + QByteArray::number(from) + '\0'));

        // The same payload after its drag, or one made up elsewhere, is refused.
        for (const QByteArray& bytes : {payload, QByteArray("1\0"
                                                            "0\0",
                                                            4)}) {
            QMimeData stale;
            stale.setData("ImageList", bytes);
            QCOMPARE(dropOn(strip, &stale, 0, Qt::NoModifier), Qt::IgnoreAction);
            QCOMPARE(names(strip), order);
        }
    }

    // A folder and a file dropped together: the folder's photos (one level,
    // any case, TIFF and WebP too) then the file; the report lists exactly
    // the bad files, names as written.
    void dropFilesAndFolder()
    {
        QTemporaryDir drop;
        QDir dir(drop.path());
        QVERIFY(dir.mkpath("trip/deeper.jpg"));
        QVERIFY(QFile::copy(m_photos.at(1).filePath, dir.filePath("trip/b \u00e9t\u00e9.PNG")));
        QVERIFY(QFile::copy(m_photos.at(0).filePath, dir.filePath("trip/a.png")));
        QVERIFY(QFile::copy(m_photos.at(2).filePath, dir.filePath("trip/notes.txt")));
        QVERIFY(quadrants(40, 30).save(dir.filePath("trip/c.Tif"), "TIFF"));
        QVERIFY(quadrants(40, 30).save(dir.filePath("trip/d.webp"), "WEBP"));
        QFile text(dir.filePath("trip/<b>bold<b>.jpg"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a photo\n") > 0);
        text.close();
        QVERIFY(QFile::copy(m_photos.at(3).filePath, dir.filePath("<i>single<i> & co.png")));
        PhotoListWidget strip;
        add(strip, 4, 1);
        QSignalSpy about(&strip, &PhotoListWidget::photoListAboutToChange);
        QSignalSpy changed(&strip, &PhotoListWidget::photoListChanged);
        m_reports.clear();

        QMimeData files;
        files.setUrls(
            {QUrl::fromLocalFile(dir.filePath("trip")), QUrl::fromLocalFile(dir.filePath("<i>single<i> & co.png"))});
        QCOMPARE(dropOn(strip, &files, -1, Qt::NoModifier), Qt::CopyAction);
        QCOMPARE(about.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(names(strip), QStringLiteral("p4 a b \u00e9t\u00e9 c d <i>single<i> & co"));
        QCOMPARE(strip.currentRow(), 2);
        verifyLayout(strip);

        QCOMPARE(m_reports.size(), 1);
        QTextDocument report;
        report.setHtml(m_reports.first());
        QStringList lines = report.toPlainText().split('\n', Qt::SkipEmptyParts);
        for (QString& line : lines)
            line = line.trimmed();
        QCOMPARE(lines, QStringList({"Some files have not been added to the list:", dir.filePath("trip/<b>bold<b>.jpg"),
                                     "It is not a photo in a format this program reads.",
                                     dir.filePath("trip/deeper.jpg"), "It is a folder, not a file."}));
        QTextDocument tip;
        tip.setHtml(strip.item(10)->toolTip());
        QVERIFY(tip.toPlainText().contains("<i>single<i> & co.png"));

        QMimeData empty;
        QVERIFY(dir.mkpath("nothing"));
        empty.setUrls({QUrl::fromLocalFile(dir.filePath("nothing"))});
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &empty, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip.viewport(), &refused);
        QVERIFY(!refused.isAccepted());
    }

    // The hint box sits after the last item; the width counts every item.
    void hintAndWidth()
    {
        PhotoListWidget strip;
        strip.resize(700, 72);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        const auto hintLeft = [&] {
            QCoreApplication::processEvents();
            const QImage shown = strip.viewport()->grab().toImage();
            const QRgb background = strip.palette().color(QPalette::Base).rgb();
            int x = strip.pixelInRange() + 1;
            while (x < shown.width() && shown.pixel(x, shown.height() / 2) == background)
                ++x;
            return x;
        };
        QCOMPARE(strip.pixelInRange(), 0);
        QVERIFY(qAbs(hintLeft() - (strip.spacing() + 4)) <= 1);
        add(strip, 0, 3);
        QCOMPARE(strip.pixelInRange(), 3 * 88 + 2 * 44);
        QVERIFY(qAbs(hintLeft() - (strip.pixelInRange() + strip.spacing() + 4)) <= 1);
    }
};

std::unique_ptr<QObject> makePhotoListWidgetTests() { return std::make_unique<PhotoListWidgetTest>(); }

#include "tst_photolistwidget.moc"
