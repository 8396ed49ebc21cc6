#include "captiondialog.h"

#include "albumdocument.h"
#include "captioneditor.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QUndoStack>
#include <QVBoxLayout>

CaptionDialog::CaptionDialog(AlbumDocument* document, int photo, QSize frameSize, QWidget* parent)
    : QDialog(parent)
    , m_document(document)
{
    setObjectName(QStringLiteral("captionDialog"));
    auto* layout = new QVBoxLayout(this);
    m_editor = new CaptionEditor(this);
    m_editor->setObjectName(QStringLiteral("dialogCaptionEditor"));
    m_editor->setFrameSize(frameSize);
    layout->addWidget(m_editor);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_editor, &CaptionEditor::aboutToEdit, this, &CaptionDialog::aboutToEdit);
    resize(360, sizeHint().height());

    if (m_document) {
        m_startIndex = m_document->undoStack()->index();
        m_document->beginEdit(tr("Edit Caption"));
        m_open = true;
    }
    m_editor->setDocument(document);
    m_editor->setPhoto(photo);
    retranslate();
}

CaptionDialog::~CaptionDialog() { finish(false); }

void CaptionDialog::done(int result)
{
    finish(result == QDialog::Accepted);
    QDialog::done(result);
}

void CaptionDialog::finish(bool keep)
{
    if (!m_open)
        return;
    m_open = false;
    if (!m_document)
        return;
    m_document->endEdit();
    QUndoStack* stack = m_document->undoStack();
    // A dialog that changed nothing left no step to take back.
    if (!keep && stack->index() != m_startIndex && stack->canUndo())
        stack->undo();
}

void CaptionDialog::retranslate() { setWindowTitle(tr("Caption")); }

void CaptionDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}
