#pragma once
// The caption of one photo in a small dialog of its own (the photo strip's
// context menu). What it changes is one step of the album's history: OK
// keeps the step, Cancel (or closing) takes it back.

#include <QDialog>
#include <QPointer>
#include <QSize>

class AlbumDocument;
class CaptionEditor;
class QDialogButtonBox;

class CaptionDialog : public QDialog
{
    Q_OBJECT

public:
    CaptionDialog(AlbumDocument* document, int photo, QSize frameSize, QWidget* parent = nullptr);
    ~CaptionDialog() override;

    CaptionEditor* editor() const { return m_editor; }

    void done(int result) override;

signals:
    // Before the editor changes the album (the owner stops playback).
    void aboutToEdit();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Closes the step; takes it back unless `keep`.
    void finish(bool keep);
    void retranslate();

    QPointer<AlbumDocument> m_document;
    CaptionEditor* m_editor = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    int m_startIndex = 0;
    bool m_open = false;
};
