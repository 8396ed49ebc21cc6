#pragma once
// The album strip: photo thumbnails left to right with a transition marker
// between every two photos (photo i on row 2i, markers on odd rows). It owns
// the working copy of the album's photos and sends the whole list after every
// change.

#include "storyboard.h"
#include "stripdrag.h"

#include <QByteArray>
#include <QList>
#include <QPixmap>
#include <QListWidget>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <functional>

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

    // Inserts the photo at insertRow (with the marker before it when needed);
    // an imported photo gets its EXIF steps (when rotating while importing)
    // and its zoom path. Nothing is sent until finishItemsAdding().
    void addFile(ImageInfo& info, bool fromImport);
    const QList<ImageInfo>& photoList() const { return photos; }
    int pixelInRange() const;

    void determineImageType(ImageInfo& info);
    void setImageForItem(ImageInfo& info, QListWidgetItem* item);
    void setImageForTrans(QListWidgetItem* item);
    void setToolTip(const ImageInfo& info, QListWidgetItem* item);
    using QListWidget::setToolTip;

    // Replaces QDrag::exec() while set (tests answer drags with synthetic
    // drops); an empty function restores real drags.
    using DragHook = std::function<Qt::DropAction(QDrag& drag)>;
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

private:
    QList<int> selectedPhotoRows() const;
    QListWidgetItem* newTransItem();
    void refreshPhotoItem(int photoIndex);
    void forceRelayout();
    void selectRows(int first, int last);
    // Takes the selected photos out and adds them back `step` rows from where
    // the first of them stood; false when no photo is selected.
    bool moveSelection(int step, int& firstSelected, int& firstMoved, int& lastMoved);

    QList<ImageInfo> photos;
    bool rotateWhileImporting = true;
    QPoint pressPos;
    int insertRow = 0;

    StripDrag m_drag; // this strip's drag in progress, if any
    QString m_transPath;
    QPixmap m_transPicture;
};
