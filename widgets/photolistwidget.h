#pragma once
// The album strip: photo thumbnails left to right with a transition marker
// between every two photos (photo i on row 2i, markers on odd rows). It shows
// the photos of an album document, sends its edits to that document, and
// sends the whole list after every change it made.

#include "storyboard.h"
#include "stripdocument.h"
#include "stripdrag.h"

#include <QByteArray>
#include <QList>
#include <QPixmap>
#include <QListWidget>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <functional>

class AlbumDocument;
class QDrag;

class PhotoListWidget : public QListWidget
{
    Q_OBJECT

public:
    static constexpr QSize photoItemSize{88, 66};
    static constexpr QSize transItemSize{44, 33};
    // Photo file patterns of folder imports and drops, matched ignoring case.
    static QStringList m_nameFilters;
    // MIME type of drags within the strip.
    static const QString dragFormat;

    explicit PhotoListWidget(QWidget* parent = nullptr);
    ~PhotoListWidget() override;

    // The album shown and edited. A strip starts with a document of its own;
    // the window hands it the album's. Not owned unless it is that first one.
    void setDocument(AlbumDocument* document);
    AlbumDocument* document() const;

    // Inserts the photo at insertRow (with the marker before it when needed);
    // an imported photo gets its EXIF steps (when rotating while importing)
    // and its zoom path, and `info` is given back as inserted. Nothing is
    // sent until finishItemsAdding().
    void addFile(ImageInfo& info, bool fromImport);
    const QList<ImageInfo>& photoList() const;
    // Imports `files` at insertRow through the import dialog and finishes
    // the batch; true when any photo was added.
    bool importFiles(const QStringList& files);
    int pixelInRange() const;

    void determineImageType(ImageInfo& info);
    void setImageForItem(ImageInfo& info, QListWidgetItem* item);
    void setImageForTrans(QListWidgetItem* item);
    void setToolTip(const ImageInfo& info, QListWidgetItem* item);
    using QListWidget::setToolTip;

    // Replaces QDrag::exec() while set (tests answer drags with synthetic
    // drops); an empty function restores real drags.
    using DragHook = StripDrag::Hook;
    static void setDragHook(DragHook hook);

public slots:
    void finishItemsAdding();
    void clear();
    void selectionDelete(bool quiet = false);
    void selectionMoveLeft();
    void selectionMoveRight();
    void selectionAddProc(IMAGEPROC proc);
    void selectionAutoRotate();
    void selectionRestore();
    void autoRotateAll();
    void autoRotatewhileImporting(bool on);
    void sort(SortType type, bool ascending);
    void retranslate();

signals:
    void photoListAboutToChange();
    void photoListChanged(QList<ImageInfo> photoList);
    void contextMenu(bool isPhoto, QPoint pos);
    void sizeChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void insertPhotoItems(int first, int count);
    void removePhotoItems(int first, int count);
    void movePhotoItems(int first, int count, int to);
    void refreshPhotoItems(int first, int count);
    void rebuildItems();

private:
    void autoRotateSelection(const QString& actionText);
    QList<int> selectedPhotoRows() const;
    QList<int> selectedPhotoIndexes() const;
    QListWidgetItem* newTransItem();
    QListWidgetItem* newPhotoItem(int photoIndex);
    void forceRelayout();
    void selectRows(int first, int last);
    // Takes the selected photos out and adds them back `step` rows from where
    // the first of them stood; false when no photo is selected.
    bool moveSelection(int step, int& firstSelected, int& firstMoved, int& lastMoved);

    StripDocument m_document;
    QPoint pressPos;
    int insertRow = 0;

    StripDrag m_drag; // this strip's drag in progress, if any
    QString m_transPath;
    QPixmap m_transPicture;
};
