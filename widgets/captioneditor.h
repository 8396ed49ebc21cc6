#pragma once
// The look of one photo's caption (or one title card's text and colours),
// edited in place: every change goes to the album document at once, so the
// preview follows as the user types, and the editor follows the document
// back (undo, redo, another view's edit) without echoing its own changes.

#include "caption.h"
#include "storyboard.h"

#include <QColor>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class AlbumDocument;
class QToolButton;
class Ui_CaptionEditor;

class CaptionEditor : public QWidget
{
    Q_OBJECT

public:
    explicit CaptionEditor(QWidget* parent = nullptr);
    ~CaptionEditor() override;

    void setDocument(AlbumDocument* document);
    AlbumDocument* document() const { return m_document; }
    // The photo edited, a position in the album; -1 (or an index outside
    // the album) leaves the editor empty and disabled.
    void setPhoto(int index);
    int photo() const { return m_photo; }
    // The frame the caption is placed in; a caption turned to the free
    // place keeps the centre it had in a frame of this shape.
    void setFrameSize(QSize size) { m_frameSize = size; }
    // The caption as the editor shows it.
    Caption caption() const { return m_caption; }

    // Stands in for the colour dialog while set (tests answer it); an invalid
    // colour is a cancelled dialog. An empty function restores the dialog.
    using ColourDialogHook = std::function<QColor(QWidget* parent, const QColor& initial, const QString& title)>;
    static void setColourDialogHook(ColourDialogHook hook);

    // The name a caption may take from the photo's file: its base name,
    // with the separators cameras and people put in names made spaces.
    static QString textFromFileName(const QString& filePath);

public slots:
    // Reads the photo's caption from the document again.
    void reload();
    void retranslate();

signals:
    // Right before the editor changes the document: whatever reads the
    // album on another thread (playback) must stop first.
    void aboutToEdit();
    // After the editor sent a change to the document.
    void captionEdited(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    void showCaption();
    void apply(const Caption& caption, const QString& actionText = {});
    void chooseColour(QToolButton* button, QColor initial, const QString& title, int which);
    void fillFromFileName();
    void fillFromExif();
    const ImageInfo* shownPhoto() const;
    static void showSwatch(QToolButton* button, const QColor& colour);

    std::unique_ptr<Ui_CaptionEditor> m_form;
    QPointer<AlbumDocument> m_document;
    int m_photo = -1;
    Caption m_caption;
    QSize m_frameSize{640, 480};
    bool m_applying = false;
};
