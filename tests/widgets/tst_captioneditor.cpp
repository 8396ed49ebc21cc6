// The caption editor over a real album document: what the fields change,
// that typing is one step of the history, that the editor follows undo and
// another photo without echoing its own edits, that text from file names
// stays text, and the caption dialog's one step that Cancel takes back.

#include "albumdocument.h"
#include "captiondialog.h"
#include "captioneditor.h"
#include "photolistwidget.h"
#include "widgetstests.h"
#include "zumexifinfo.h"

#include <QComboBox>
#include <QFontComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

namespace {

ImageInfo photo(const QString& path)
{
    ImageInfo info;
    info.filePath = path;
    info.width = 400;
    info.height = 300;
    info.depth = 24;
    info.thumbnail = QImage(80, 60, QImage::Format_RGB32);
    info.thumbnail.fill(Qt::gray);
    info.thumbnailTurned = info.thumbnail;
    return info;
}

} // namespace

class CaptionEditorTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<AlbumDocument> m_document;
    std::unique_ptr<CaptionEditor> m_editor;
    QColor m_colourAnswer;
    QStringList m_colourTitles;

    template <typename T>
    T* field(const char* name) const
    {
        T* widget = m_editor->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no field %s", name);
        return widget;
    }
    QUndoStack* history() const { return m_document->undoStack(); }
    const Caption& captionOf(int index) const { return m_document->photos().at(index).caption; }
    void type(const QString& text)
    {
        auto* edit = field<QPlainTextEdit>("captionText");
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }

private slots:
    void initTestCase()
    {
        CaptionEditor::setColourDialogHook([this](QWidget*, const QColor&, const QString& title) {
            m_colourTitles << title;
            return m_colourAnswer;
        });
    }
    void cleanupTestCase() { CaptionEditor::setColourDialogHook({}); }

    void init()
    {
        m_document = std::make_unique<AlbumDocument>();
        ImageInfo second = photo(QStringLiteral("/album/b.jpg"));
        second.caption.text = QStringLiteral("second");
        second.caption.place = CaptionPlace::Top;
        m_document->insertPhotos(0, {photo(QStringLiteral("/album/a.jpg")), second});
        m_document->undoStack()->clear();
        m_editor = std::make_unique<CaptionEditor>();
        m_editor->setDocument(m_document.get());
        m_editor->setPhoto(0);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
        m_colourAnswer = QColor();
        m_colourTitles.clear();
    }
    void cleanup()
    {
        m_editor.reset();
        m_document.reset();
    }

    void typingIsOneStep()
    {
        type(QStringLiteral("Hello"));
        QCOMPARE(captionOf(0).text, QStringLiteral("Hello"));
        QCOMPARE(history()->count(), 1);
        history()->undo();
        QCOMPARE(captionOf(0).text, QString());
        // The editor follows the undo.
        QCOMPARE(field<QPlainTextEdit>("captionText")->toPlainText(), QString());
        history()->redo();
        QCOMPARE(field<QPlainTextEdit>("captionText")->toPlainText(), QStringLiteral("Hello"));
    }

    // The document announces the editor's own edit back; were the text
    // written again, the cursor would jump and a letter typed mid-word
    // would land elsewhere.
    void typingMidTextKeepsTheCursor()
    {
        type(QStringLiteral("ac"));
        QTest::keyClick(field<QPlainTextEdit>("captionText"), Qt::Key_Left);
        type(QStringLiteral("b"));
        QCOMPARE(captionOf(0).text, QStringLiteral("abc"));
        QCOMPARE(history()->count(), 1);
    }

    void fieldsEditTheCaption_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("place");
        QTest::addColumn<double>("size");
        QTest::addColumn<int>("backdrop");
        const Caption plain;
        QTest::newRow("top") << "placeBox" << 1 << int(CaptionPlace::Top) << plain.size << int(plain.backdrop);
        QTest::newRow("centre") << "placeBox" << 2 << int(CaptionPlace::Centre) << plain.size << int(plain.backdrop);
        QTest::newRow("size 12 %") << "sizeBox" << 12 << int(plain.place) << 0.12 << int(plain.backdrop);
        QTest::newRow("size 30 %") << "sizeBox" << 30 << int(plain.place) << 0.30 << int(plain.backdrop);
        QTest::newRow("no backdrop") << "backdropBox" << 0 << int(plain.place) << plain.size
                                     << int(CaptionBackdrop::None);
        QTest::newRow("band") << "backdropBox" << 3 << int(plain.place) << plain.size << int(CaptionBackdrop::Band);
        QTest::newRow("outline") << "backdropBox" << 2 << int(plain.place) << plain.size
                                 << int(CaptionBackdrop::Outline);
    }
    void fieldsEditTheCaption()
    {
        QFETCH(QString, field);
        QFETCH(int, value);
        QFETCH(int, place);
        QFETCH(double, size);
        QFETCH(int, backdrop);
        const Caption before = captionOf(0);
        if (field == QLatin1String("sizeBox"))
            this->field<QSpinBox>("sizeBox")->setValue(value);
        else
            m_editor->findChild<QComboBox*>(field)->setCurrentIndex(value);
        QCOMPARE(int(captionOf(0).place), place);
        QCOMPARE(captionOf(0).size, size);
        QCOMPARE(int(captionOf(0).backdrop), backdrop);
        QCOMPARE(history()->count(), 1);
        history()->undo();
        QVERIFY(captionOf(0) == before);
        // The field shows the caption again.
        QVERIFY(m_editor->caption() == before);
    }

    void turnedFreeKeepsItsPlace()
    {
        m_editor->setFrameSize(QSize(640, 480));
        const QPointF centre = captionCentre(captionOf(0), QSize(640, 480));
        field<QComboBox>("placeBox")->setCurrentIndex(3);
        QCOMPARE(captionOf(0).place, CaptionPlace::Free);
        QCOMPARE(captionOf(0).point, centre);
    }

    void followsThePhotoShown()
    {
        type(QStringLiteral("first"));
        m_editor->setPhoto(1);
        QCOMPARE(field<QPlainTextEdit>("captionText")->toPlainText(), QStringLiteral("second"));
        QCOMPARE(field<QComboBox>("placeBox")->currentData().toInt(), int(CaptionPlace::Top));
        QVERIFY(m_editor->isEnabled());
        // Shown without an edit: nothing was sent back.
        QCOMPARE(history()->count(), 1);
        QCOMPARE(captionOf(1).text, QStringLiteral("second"));
        type(QStringLiteral("!"));
        QCOMPARE(captionOf(1).text, QStringLiteral("second!"));
        QCOMPARE(captionOf(0).text, QStringLiteral("first"));
        m_editor->setPhoto(-1);
        QVERIFY(!m_editor->isEnabled());
        QCOMPARE(field<QPlainTextEdit>("captionText")->toPlainText(), QString());
        // The photo removed under the editor leaves it empty.
        m_editor->setPhoto(1);
        m_document->removePhotos(1, 1);
        QVERIFY(!m_editor->isEnabled());
    }

    void fileNameStaysText_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::newRow("markup") << "/album/<b>x<b>.jpg"
                                << "<b>x<b>";
        QTest::newRow("entity") << "/album/a &amp; b.jpg"
                                << "a &amp; b";
        QTest::newRow("underscores") << "/album/by_the_sea.jpeg"
                                     << "by the sea";
        QTest::newRow("two dots") << "/album/2024.05 lake.JPG"
                                  << "2024.05 lake";
    }
    void fileNameStaysText()
    {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        m_document->insertPhotos(2, {photo(path)});
        m_editor->setPhoto(2);
        QTest::mouseClick(field<QPushButton>("fillFileName"), Qt::LeftButton);
        QCOMPARE(captionOf(2).text, caption);
        QCOMPARE(field<QPlainTextEdit>("captionText")->toPlainText(), caption);
    }

    void dateTakenFill()
    {
        auto* fill = field<QPushButton>("fillExif");
        QVERIFY(!fill->isEnabled()); // the photo has no EXIF date
        ImageInfo dated = photo(QStringLiteral("/album/c.jpg"));
        dated.exifProperties[ZumExifInfo::DateTaken] = QStringLiteral("2012-05-03 14:22:10");
        m_document->insertPhotos(2, {dated});
        m_editor->setPhoto(2);
        QVERIFY(fill->isEnabled());
        QTest::mouseClick(fill, Qt::LeftButton);
        QCOMPARE(captionOf(2).text, QStringLiteral("2012-05-03 14:22:10"));
        // A description the photo holds comes before its date.
        dated.exifProperties[ZumExifInfo::Description] = QStringLiteral("<i>Lake</i> at dawn");
        m_document->insertPhotos(3, {dated});
        m_editor->setPhoto(3);
        QTest::mouseClick(fill, Qt::LeftButton);
        QCOMPARE(captionOf(3).text, QStringLiteral("<i>Lake</i> at dawn"));
    }

    void colourFromTheDialog()
    {
        m_colourAnswer = QColor(); // cancelled
        QTest::mouseClick(field<QToolButton>("colourButton"), Qt::LeftButton);
        QCOMPARE(m_colourTitles.size(), 1);
        QCOMPARE(history()->count(), 0);
        m_colourAnswer = QColor(200, 30, 40);
        QTest::mouseClick(field<QToolButton>("colourButton"), Qt::LeftButton);
        QCOMPARE(captionOf(0).colour, QColor(200, 30, 40));
        QCOMPARE(history()->count(), 1);
    }

    void titleCardColours()
    {
        QVERIFY(!field<QToolButton>("cardTopButton")->isVisible());
        const int card = m_document->insertTitleCard(0, QStringLiteral("Title"));
        m_editor->setPhoto(card);
        QCOMPARE(field<QPlainTextEdit>("captionText")->toPlainText(), QStringLiteral("Title"));
        QVERIFY(field<QToolButton>("cardTopButton")->isVisible());
        QVERIFY(!field<QPushButton>("fillFileName")->isEnabled());
        const QColor bottom = m_document->photos().at(card).cardBottom;
        m_colourAnswer = QColor(10, 20, 30);
        QTest::mouseClick(field<QToolButton>("cardTopButton"), Qt::LeftButton);
        QCOMPARE(m_document->photos().at(card).cardTop, QColor(10, 20, 30));
        QCOMPARE(m_document->photos().at(card).cardBottom, bottom);
    }

    void dialogIsOneStep_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }
    void dialogIsOneStep()
    {
        QFETCH(bool, accept);
        type(QStringLiteral("kept"));
        const int steps = history()->count();
        const Caption before = captionOf(1);
        {
            CaptionDialog dialog(m_document.get(), 1, QSize(640, 480));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            auto* text = dialog.findChild<QPlainTextEdit*>(QStringLiteral("captionText"));
            QVERIFY(text);
            QCOMPARE(text->toPlainText(), QStringLiteral("second"));
            text->setFocus();
            QTest::keyClicks(text, QStringLiteral(" line"));
            dialog.findChild<QComboBox*>(QStringLiteral("backdropBox"))->setCurrentIndex(3);
            QCOMPARE(captionOf(1).text, QStringLiteral("second line")); // the preview follows at once
            if (accept)
                dialog.accept();
            else
                dialog.reject();
        }
        if (accept) {
            QCOMPARE(history()->count(), steps + 1);
            QCOMPARE(captionOf(1).text, QStringLiteral("second line"));
            QCOMPARE(captionOf(1).backdrop, CaptionBackdrop::Band);
            history()->undo();
        }
        QVERIFY(captionOf(1) == before);
        QCOMPARE(captionOf(0).text, QStringLiteral("kept"));
        QCOMPARE(history()->index(), steps);
    }

    // A card has no file: its tool tip is its text, escaped.
    void cardToolTip()
    {
        PhotoListWidget strip;
        strip.setDocument(m_document.get());
        m_document->insertTitleCard(0, QStringLiteral("<b>x</b>"));
        const QString tip = strip.item(0)->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("&lt;b&gt;x&lt;/b&gt;")), qPrintable(tip));
        QVERIFY2(!tip.contains(QStringLiteral("<b>x</b>")), qPrintable(tip));
        QVERIFY(!strip.item(0)->data(Qt::DecorationRole).isNull());
    }
};

std::unique_ptr<QObject> makeCaptionEditorTests() { return std::make_unique<CaptionEditorTest>(); }

#include "tst_captioneditor.moc"
