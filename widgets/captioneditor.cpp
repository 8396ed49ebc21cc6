#include "captioneditor.h"

#include "albumdocument.h"
#include "ui_captioneditor.h"
#include "zumexifinfo.h"

#include <QColorDialog>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace {

// What the photo says about itself: its description, or else when it was
// taken. Plain text, as the caption is.
QString exifText(const ImageInfo& photo)
{
    const QString description = photo.exifProperties[ZumExifInfo::Description].trimmed();
    return description.isEmpty() ? photo.exifProperties[ZumExifInfo::DateTaken].trimmed() : description;
}

CaptionEditor::ColourDialogHook& colourDialogHook()
{
    static CaptionEditor::ColourDialogHook hook;
    return hook;
}

} // namespace

void CaptionEditor::setColourDialogHook(ColourDialogHook hook) { colourDialogHook() = std::move(hook); }

QString CaptionEditor::textFromFileName(const QString& filePath)
{
    QString name = QFileInfo(filePath).completeBaseName();
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    return name.simplified();
}

CaptionEditor::CaptionEditor(QWidget* parent)
    : QWidget(parent)
    , m_form(std::make_unique<Ui_CaptionEditor>())
{
    m_form->setupUi(this);
    Ui_CaptionEditor& f = *m_form;
    f.sizeBox->setRange(int(std::lround(Caption::MinSize * 100)), int(std::lround(Caption::MaxSize * 100)));
    retranslate();

    connect(f.captionText, &QPlainTextEdit::textChanged, this, [this] {
        Caption changed = m_caption;
        changed.text = m_form->captionText->toPlainText();
        apply(changed);
    });
    connect(f.placeBox, &QComboBox::currentIndexChanged, this, [this] {
        Caption changed = m_caption;
        changed.place = CaptionPlace(m_form->placeBox->currentData().toInt());
        // Turned free, the text stays where it was until it is dragged.
        if (changed.place == CaptionPlace::Free && m_caption.place != CaptionPlace::Free)
            changed.point = captionCentre(m_caption, m_frameSize);
        apply(changed, tr("Caption Place"));
    });
    connect(f.sizeBox, &QSpinBox::valueChanged, this, [this](int percent) {
        Caption changed = m_caption;
        changed.size = std::clamp(percent / 100.0, Caption::MinSize, Caption::MaxSize);
        apply(changed);
    });
    connect(f.fontBox, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
        Caption changed = m_caption;
        changed.family = font.family();
        apply(changed, tr("Caption Font"));
    });
    connect(f.backdropBox, &QComboBox::currentIndexChanged, this, [this] {
        Caption changed = m_caption;
        changed.backdrop = CaptionBackdrop(m_form->backdropBox->currentData().toInt());
        apply(changed, tr("Caption Backdrop"));
    });
    connect(f.colourButton, &QToolButton::clicked, this,
            [this] { chooseColour(m_form->colourButton, m_caption.colour, tr("Caption Colour"), 0); });
    connect(f.cardTopButton, &QToolButton::clicked, this, [this] {
        if (const ImageInfo* card = shownPhoto())
            chooseColour(m_form->cardTopButton, card->cardTop, tr("Card Colour at the Top"), 1);
    });
    connect(f.cardBottomButton, &QToolButton::clicked, this, [this] {
        if (const ImageInfo* card = shownPhoto())
            chooseColour(m_form->cardBottomButton, card->cardBottom, tr("Card Colour at the Bottom"), 2);
    });
    connect(f.fillFileName, &QPushButton::clicked, this, &CaptionEditor::fillFromFileName);
    connect(f.fillExif, &QPushButton::clicked, this, &CaptionEditor::fillFromExif);
    showCaption();
}

CaptionEditor::~CaptionEditor() = default;

void CaptionEditor::setDocument(AlbumDocument* document)
{
    if (m_document == document)
        return;
    if (m_document)
        disconnect(m_document, nullptr, this, nullptr);
    m_document = document;
    if (document) {
        connect(document, &AlbumDocument::photosChanged, this, [this](int first, int count) {
            if (m_photo >= first && m_photo < first + count)
                reload();
        });
        // Rows that move under the editor: the owner points it at the
        // photo it should show; until then it shows what stands there.
        for (auto signal : {&AlbumDocument::photosInserted, &AlbumDocument::photosRemoved})
            connect(document, signal, this, &CaptionEditor::reload);
        connect(document, &AlbumDocument::photosMoved, this, &CaptionEditor::reload);
        connect(document, &AlbumDocument::photosReset, this, &CaptionEditor::reload);
    }
    reload();
}

void CaptionEditor::setPhoto(int index)
{
    m_photo = index;
    reload();
}

const ImageInfo* CaptionEditor::shownPhoto() const
{
    if (!m_document || m_photo < 0 || m_photo >= m_document->photos().size())
        return nullptr;
    return &m_document->photos().at(m_photo);
}

void CaptionEditor::reload()
{
    // The document announces the editor's own change too; the fields
    // already show it, and rewriting the text would move the cursor.
    if (m_applying)
        return;
    const ImageInfo* photo = shownPhoto();
    m_caption = photo ? photo->caption : Caption();
    showCaption();
}

void CaptionEditor::showCaption()
{
    Ui_CaptionEditor& f = *m_form;
    const ImageInfo* photo = shownPhoto();
    setEnabled(photo != nullptr);
    const QSignalBlocker textBlocker(f.captionText);
    const QSignalBlocker placeBlocker(f.placeBox);
    const QSignalBlocker sizeBlocker(f.sizeBox);
    const QSignalBlocker fontBlocker(f.fontBox);
    const QSignalBlocker backdropBlocker(f.backdropBox);
    if (f.captionText->toPlainText() != m_caption.text) {
        f.captionText->setPlainText(m_caption.text);
        f.captionText->moveCursor(QTextCursor::End);
    }
    f.placeBox->setCurrentIndex(std::max(0, f.placeBox->findData(int(m_caption.place))));
    f.sizeBox->setValue(int(std::lround(m_caption.size * 100)));
    f.fontBox->setCurrentFont(m_caption.family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont)
                                                         : QFont(m_caption.family));
    f.backdropBox->setCurrentIndex(std::max(0, f.backdropBox->findData(int(m_caption.backdrop))));
    showSwatch(f.colourButton, m_caption.colour);

    const bool card = photo && photo->isTitleCard();
    f.cardLabel->setVisible(card);
    f.cardTopButton->setVisible(card);
    f.cardBottomButton->setVisible(card);
    if (card) {
        showSwatch(f.cardTopButton, photo->cardTop);
        showSwatch(f.cardBottomButton, photo->cardBottom);
    }
    f.fillFileName->setEnabled(photo && !card && !photo->filePath.isEmpty());
    f.fillExif->setEnabled(photo && !card && !exifText(*photo).isEmpty());
}

void CaptionEditor::apply(const Caption& caption, const QString& actionText)
{
    const ImageInfo* photo = shownPhoto();
    if (!photo || photo->caption == caption) {
        m_caption = caption;
        return;
    }
    emit aboutToEdit();
    m_applying = true;
    m_document->setCaption(m_photo, caption, actionText);
    m_applying = false;
    // What the document made of it (it keeps values within their limits).
    if (const ImageInfo* edited = shownPhoto())
        m_caption = edited->caption;
    emit captionEdited(m_photo);
}

void CaptionEditor::chooseColour(QToolButton* button, QColor initial, const QString& title, int which)
{
    if (!initial.isValid())
        initial = Qt::white;
    const QColor chosen =
        colourDialogHook() ? colourDialogHook()(this, initial, title) : QColorDialog::getColor(initial, this, title);
    const ImageInfo* photo = shownPhoto();
    if (!chosen.isValid() || !photo)
        return;
    showSwatch(button, chosen);
    if (which == 0) {
        Caption changed = m_caption;
        changed.colour = chosen;
        apply(changed, tr("Caption Colour"));
        return;
    }
    const QColor top = which == 1 ? chosen : photo->cardTop;
    const QColor bottom = which == 2 ? chosen : photo->cardBottom;
    emit aboutToEdit();
    m_document->setCardColours(m_photo, top, bottom);
    emit captionEdited(m_photo);
}

void CaptionEditor::fillFromFileName()
{
    const ImageInfo* photo = shownPhoto();
    if (!photo || photo->filePath.isEmpty())
        return;
    Caption changed = m_caption;
    changed.text = textFromFileName(photo->filePath);
    apply(changed, tr("Caption from File Name"));
    showCaption();
}

void CaptionEditor::fillFromExif()
{
    const ImageInfo* photo = shownPhoto();
    if (!photo)
        return;
    const QString text = exifText(*photo);
    if (text.isEmpty())
        return;
    Caption changed = m_caption;
    changed.text = text;
    apply(changed, tr("Caption from the Photo"));
    showCaption();
}

void CaptionEditor::showSwatch(QToolButton* button, const QColor& colour)
{
    QPixmap swatch(16, 16);
    swatch.fill(colour.isValid() ? colour : QColor(Qt::transparent));
    {
        QPainter painter(&swatch);
        painter.setPen(QColor(0, 0, 0, 128));
        painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    }
    button->setIcon(QIcon(swatch));
    button->setProperty("swatch", colour);
}

void CaptionEditor::retranslate()
{
    Ui_CaptionEditor& f = *m_form;
    f.retranslateUi(this);
    const QSignalBlocker placeBlocker(f.placeBox);
    const QSignalBlocker backdropBlocker(f.backdropBox);
    f.placeBox->clear();
    f.placeBox->addItem(tr("Bottom"), int(CaptionPlace::Bottom));
    f.placeBox->addItem(tr("Top"), int(CaptionPlace::Top));
    f.placeBox->addItem(tr("Centre"), int(CaptionPlace::Centre));
    f.placeBox->addItem(tr("Free"), int(CaptionPlace::Free));
    f.backdropBox->clear();
    f.backdropBox->addItem(tr("None"), int(CaptionBackdrop::None));
    f.backdropBox->addItem(tr("Shadow"), int(CaptionBackdrop::Shadow));
    f.backdropBox->addItem(tr("Outline"), int(CaptionBackdrop::Outline));
    f.backdropBox->addItem(tr("Band"), int(CaptionBackdrop::Band));
    f.placeBox->setCurrentIndex(std::max(0, f.placeBox->findData(int(m_caption.place))));
    f.backdropBox->setCurrentIndex(std::max(0, f.backdropBox->findData(int(m_caption.backdrop))));
}

void CaptionEditor::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
