#include "photolistwidget.h"

#include "albumdocument.h"
#include "filesfromurls.h"
#include "imagereader.h"
#include "importflow.h"
#include "zupref.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDebug>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QItemSelection>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

QStringList PhotoListWidget::m_nameFilters = photoNameFilters();
const QString PhotoListWidget::dragFormat = QStringLiteral("ImageList");

namespace {

PhotoListWidget::DragHook& dragHook()
{
    static PhotoListWidget::DragHook hook;
    return hook;
}

constexpr int StripHeight = 72;
constexpr int HintMinWidth = 240;
constexpr QSize TransPictureSize(PhotoListWidget::transItemSize.width() - 8,
                                 PhotoListWidget::transItemSize.height() - 6);

} // namespace

PhotoListWidget::PhotoListWidget(QWidget* parent)
    : QListWidget(parent)
{
    setFixedHeight(StripHeight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::DragDrop);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    setIconSize(QSize(ImageReader::ThumbnailWidth, ImageReader::ThumbnailHeight));
    setUniformItemSizes(false);
    setDocument(m_document.privateDocument());
}

PhotoListWidget::~PhotoListWidget() = default;

AlbumDocument* PhotoListWidget::document() const { return m_document.get(); }

void PhotoListWidget::setDocument(AlbumDocument* document)
{
    if (!m_document.switchTo(document, this))
        return;
    connect(document, &AlbumDocument::photosInserted, this, &PhotoListWidget::insertPhotoItems);
    connect(document, &AlbumDocument::photosRemoved, this, &PhotoListWidget::removePhotoItems);
    connect(document, &AlbumDocument::photosMoved, this, &PhotoListWidget::movePhotoItems);
    connect(document, &AlbumDocument::photosChanged, this, &PhotoListWidget::refreshPhotoItems);
    connect(document, &AlbumDocument::photosReset, this, &PhotoListWidget::rebuildItems);
    rebuildItems();
}

const QList<ImageInfo>& PhotoListWidget::photoList() const { return m_document->photos(); }

void PhotoListWidget::setDragHook(DragHook hook) { dragHook() = std::move(hook); }

void PhotoListWidget::determineImageType(ImageInfo& info) { info.imageType = imageTypeOf(info.procs); }

void PhotoListWidget::setImageForItem(ImageInfo& info, QListWidgetItem* item)
{
    determineImageType(info);
    // mirrored(horizontal, vertical): "flipped vertically" is upside down.
    QImage picture;
    switch (info.imageType) {
    case 0: picture = info.thumbnail; break;
    case 1: picture = info.thumbnail.mirrored(false, true); break;
    case 2: picture = info.thumbnail.mirrored(true, false); break;
    case 3: picture = info.thumbnail.mirrored(true, true); break;
    case 4: picture = info.thumbnailTurned.mirrored(false, true); break;
    case 5: picture = info.thumbnailTurned.mirrored(true, true); break;
    case 6: picture = info.thumbnailTurned; break;
    default: picture = info.thumbnailTurned.mirrored(true, false); break;
    }
    if (picture.isNull()) {
        // An opened album shows before its thumbnails are made: a plain
        // frame the size of one keeps the strip's layout until it arrives.
        picture = QImage(ImageReader::ThumbnailWidth, ImageReader::ThumbnailHeight, QImage::Format_RGB32);
        picture.fill(ImageReader::ThumbnailBackground);
    }
    item->setData(Qt::DecorationRole, QPixmap::fromImage(picture));
}

void PhotoListWidget::setImageForTrans(QListWidgetItem* item)
{
    // Loaded once per skin rather than once per marker.
    const QString path = ZuPref::skinDir() + QStringLiteral("/app_reelwright/transition.png");
    if (path != m_transPath || m_transPicture.isNull()) {
        m_transPicture =
            QPixmap::fromImage(QImage(path).scaled(TransPictureSize, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        m_transPath = path;
    }
    item->setData(Qt::DecorationRole, m_transPicture);
}

void PhotoListWidget::setToolTip(const ImageInfo& info, QListWidgetItem* item)
{
    if (info.isTitleCard()) {
        // A card is its text; the text is the user's, never markup.
        const QString text =
            info.caption.text.trimmed().toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br />"));
        item->setToolTip(QStringLiteral("<nobr>") + tr("Title Card") + QStringLiteral("</nobr>") +
                         (text.isEmpty() ? QString() : QStringLiteral("<br /><b>") + text + QStringLiteral("</b>")));
        return;
    }
    // File names come from outside: escaped, so markup in a name shows as
    // the characters it is made of.
    const QString name = QFileInfo(info.filePath).fileName().toHtmlEscaped();
    item->setToolTip(QStringLiteral("<nobr>") + tr("Name") + QStringLiteral(":&nbsp;<b>") + name +
                     QStringLiteral("</b><nobr/><br />") + QStringLiteral("<nobr>") + tr("Dimension") +
                     QStringLiteral(":&nbsp;<b>") + QStringLiteral("%1 x %2").arg(info.width).arg(info.height) +
                     QStringLiteral("</b><nobr/><br />") + QStringLiteral("<nobr>") + tr("Depth") +
                     QStringLiteral(":&nbsp;<b>") + QStringLiteral("%1").arg(info.depth) + tr("Bits") +
                     QStringLiteral("</b><nobr/>"));
}

QListWidgetItem* PhotoListWidget::newTransItem()
{
    auto* item = new QListWidgetItem;
    item->setSizeHint(transItemSize);
    item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled);
    setImageForTrans(item);
    return item;
}

QListWidgetItem* PhotoListWidget::newPhotoItem(int photoIndex)
{
    auto* item = new QListWidgetItem;
    item->setSizeHint(photoItemSize);
    item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled);
    ImageInfo photo = m_document->photos().at(photoIndex);
    setImageForItem(photo, item);
    setToolTip(photo, item);
    return item;
}

// The items always mirror the document: photo i on row 2i and a marker
// between every two photos.
void PhotoListWidget::insertPhotoItems(int first, int count)
{
    for (int index = first; index < first + count; ++index) {
        const int shown = (this->count() + 1) / 2;
        if (index < shown) {
            insertItem(2 * index, newPhotoItem(index));
            insertItem(2 * index + 1, newTransItem());
        } else {
            if (index > 0)
                insertItem(2 * index - 1, newTransItem());
            insertItem(2 * index, newPhotoItem(index));
        }
    }
}

void PhotoListWidget::removePhotoItems(int first, int count)
{
    // The run with the markers inside it, then the marker that joined it to
    // the photos before it, or to those after it when it started the strip.
    model()->removeRows(2 * first, 2 * count - 1);
    if (first > 0)
        model()->removeRows(2 * first - 1, 1);
    else if (this->count() > 0)
        model()->removeRows(0, 1);
}

void PhotoListWidget::movePhotoItems(int first, int count, int to)
{
    removePhotoItems(first, count);
    insertPhotoItems(to, count);
}

void PhotoListWidget::refreshPhotoItems(int first, int count)
{
    for (int index = first; index < first + count; ++index) {
        if (QListWidgetItem* photoItem = item(2 * index)) {
            ImageInfo photo = m_document->photos().at(index);
            setImageForItem(photo, photoItem);
            setToolTip(photo, photoItem);
        }
    }
}

void PhotoListWidget::rebuildItems()
{
    QListWidget::clear();
    insertPhotoItems(0, int(m_document->photos().size()));
    insertRow = count();
}

void PhotoListWidget::addFile(ImageInfo& info, bool fromImport)
{
    insertRow = std::clamp(insertRow, 0, count());
    // An odd row is a marker: the photo goes in after it.
    const int index = (insertRow + 1) / 2;
    if (fromImport)
        m_document->importPhotos(index, {info});
    else
        m_document->insertPhotos(index, {info});
    info = m_document->photos().at(index);
    insertRow = 2 * index + 1;
}

bool PhotoListWidget::importFiles(const QStringList& files)
{
    insertRow = std::clamp(insertRow, 0, count());
    const bool added = ImportFlow::importFiles(*m_document, true, (insertRow + 1) / 2, files, this);
    if (added)
        finishItemsAdding();
    return added;
}

void PhotoListWidget::finishItemsAdding()
{
    insertRow = count();
    emit photoListChanged(photoList());
}

void PhotoListWidget::clear()
{
    m_document->clearPhotos();
    QListWidget::clear();
    insertRow = 0;
}

QList<int> PhotoListWidget::selectedPhotoRows() const
{
    QList<int> rows;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected)
        if (index.row() % 2 == 0)
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<int> PhotoListWidget::selectedPhotoIndexes() const
{
    QList<int> indexes;
    for (int row : selectedPhotoRows())
        indexes << row / 2;
    return indexes;
}

void PhotoListWidget::forceRelayout()
{
    const QSize size = this->size();
    resize(0, 0);
    resize(size);
}

void PhotoListWidget::selectRows(int first, int last)
{
    if (first < 0 || last < first || last >= count())
        return;
    selectionModel()->select(QItemSelection(model()->index(first, 0), model()->index(last, 0)),
                             QItemSelectionModel::ClearAndSelect);
}

void PhotoListWidget::selectionDelete(bool quiet)
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows << index.row();
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    int first = rows.first();
    int last = rows.last();
    // Deleting every photo is still a deletion to the user, not a clear.
    const AlbumEditGroup group(m_document.get(), AlbumDocument::tr("Delete Photos"));
    const bool wasBlocked = blockSignals(true);
    if (first != 0 || last != count() - 1) {
        if (first % 2 == 1)
            ++first;
        if (last % 2 == 1)
            --last;
        if (first > last) { // markers only
            blockSignals(wasBlocked);
            return;
        }
        // The selection is contiguous, so the run first..last goes at once.
        m_document->removePhotos(first / 2, last / 2 - first / 2 + 1);
    } else {
        clear();
        setCurrentRow(-1);
    }
    insertRow = count();
    blockSignals(wasBlocked);
    if (quiet)
        return;
    emit photoListChanged(photoList());
    const int current = std::min(first, count() - 1);
    if (current >= 0) {
        setCurrentRow(current);
        scrollToItem(item(current));
    }
    forceRelayout();
}

bool PhotoListWidget::moveSelection(int step, int& firstSelected, int& firstMoved, int& lastMoved)
{
    const QList<int> rows = selectedPhotoRows();
    if (rows.isEmpty())
        return false;
    const int photoCount = int(photoList().size());
    const int moved = int(rows.size());
    firstSelected = rows.first();
    // Counted in the rows of the strip without the moved photos.
    const int rowsLeft = photoCount > moved ? 2 * (photoCount - moved) - 1 : 0;
    const int targetRow = std::clamp(firstSelected + step, 0, rowsLeft);
    const int to = (targetRow + 1) / 2;
    const bool wasBlocked = blockSignals(true);
    m_document->movePhotos(firstSelected / 2, moved, to);
    blockSignals(wasBlocked);
    firstMoved = 2 * to;
    lastMoved = 2 * (to + moved - 1);
    finishItemsAdding();
    return true;
}

void PhotoListWidget::selectionMoveRight()
{
    int firstSelected = 0, firstMoved = 0, lastMoved = 0;
    if (!moveSelection(2, firstSelected, firstMoved, lastMoved))
        return;
    scrollToItem(item(std::min(lastMoved + 1, count() - 1)));
    setCurrentRow(lastMoved, QItemSelectionModel::NoUpdate);
    selectRows(firstMoved, lastMoved);
    if (lastMoved == count() - 1)
        forceRelayout();
}

void PhotoListWidget::selectionMoveLeft()
{
    int firstSelected = 0, firstMoved = 0, lastMoved = 0;
    if (!moveSelection(-2, firstSelected, firstMoved, lastMoved))
        return;
    scrollToItem(item(std::max(0, firstSelected - 3)));
    setCurrentRow(firstMoved, QItemSelectionModel::NoUpdate);
    selectRows(firstMoved, lastMoved);
}

void PhotoListWidget::selectionAddProc(IMAGEPROC proc)
{
    const QList<int> rows = selectedPhotoRows();
    if (rows.isEmpty())
        return;
    m_document->addPhotoStep(selectedPhotoIndexes(), proc);
    emit photoListChanged(photoList());
    setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    setCurrentRow(rows.first(), QItemSelectionModel::NoUpdate);
}

void PhotoListWidget::autoRotateSelection(const QString& actionText)
{
    const QList<int> rows = selectedPhotoRows();
    if (rows.isEmpty())
        return;
    m_document->autoRotatePhotos(selectedPhotoIndexes(), actionText);
    emit photoListChanged(photoList());
    setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    setCurrentRow(rows.first(), QItemSelectionModel::NoUpdate);
}

void PhotoListWidget::selectionAutoRotate() { autoRotateSelection(AlbumDocument::tr("Auto Rotate")); }

// The same change as auto-rotating, under the name the user chose.
void PhotoListWidget::selectionRestore() { autoRotateSelection(AlbumDocument::tr("Restore")); }

void PhotoListWidget::autoRotateAll()
{
    m_document->autoRotateAllPhotos();
    emit photoListChanged(photoList());
}

void PhotoListWidget::autoRotatewhileImporting(bool on) { m_document->setRotateWhileImporting(on); }

void PhotoListWidget::sort(SortType type, bool ascending)
{
    m_document->sortPhotos(type, ascending);
    emit photoListChanged(photoList());
}

int PhotoListWidget::pixelInRange() const
{
    if (count() == 0)
        return 0;
    const QRect last = visualItemRect(item(count() - 1));
    return last.x() + last.width() + horizontalOffset();
}

void PhotoListWidget::retranslate()
{
    const QList<ImageInfo>& photos = photoList();
    for (int i = 0; i < photos.size(); ++i)
        if (QListWidgetItem* photoItem = item(2 * i))
            setToolTip(photos.at(i), photoItem);
    viewport()->update();
}

void PhotoListWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QListWidget::changeEvent(event);
}

void PhotoListWidget::contextMenuEvent(QContextMenuEvent* event)
{
    const int row = currentRow();
    emit contextMenu(row < 0 || row % 2 == 0, event->globalPos());
}

void PhotoListWidget::resizeEvent(QResizeEvent* event)
{
    emit sizeChanged();
    QListWidget::resizeEvent(event);
}

void PhotoListWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressPos = event->position().toPoint();
    QListWidget::mousePressEvent(event);
}

void PhotoListWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - pressPos).manhattanLength() <= QApplication::startDragDistance())
        return;
    const QList<int> rows = selectedPhotoRows();
    if (rows.isEmpty())
        return;

    QList<QListWidgetItem*> dragged;
    for (int row : rows)
        dragged << item(row);
    // The copies the drop puts in and the originals taken out here are one
    // step, named by the drop (a move or a copy).
    const AlbumEditGroup group(m_document.get(), QString());
    const Qt::DropAction action = m_drag.run(this, dragFormat, rows, QPixmap(), Qt::MoveAction, dragHook());

    if (action == Qt::MoveAction) {
        for (QListWidgetItem* source : std::as_const(dragged)) {
            const int r = row(source);
            if (r < 0)
                continue;
            m_document->removePhotos(r / 2, 1);
        }
        insertRow = count();
        emit photoListChanged(photoList());
    }
    clearSelection();
}

void PhotoListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (StripDrag::enters(event->mimeData(), m_nameFilters, dragFormat, true))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PhotoListWidget::dragMoveEvent(QDragMoveEvent* event) { event->accept(); }

void PhotoListWidget::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QModelIndex target = indexAt(event->position().toPoint());
    insertRow = target.isValid() ? target.row() + target.row() % 2 : count();
    const int dropRow = insertRow;

    Qt::DropAction action = Qt::CopyAction;
    if (data->hasFormat(dragFormat)) {
        const StripDrag::Drop drop = m_drag.drop(data, dragFormat, count(), event->modifiers(), insertRow, 2);
        if (drop.rows.isEmpty()) {
            insertRow = count();
            event->ignore();
            return;
        }
        action = drop.action;
        insertRow = drop.insertRow;
        QList<ImageInfo> copies;
        for (int row : drop.rows)
            copies << photoList().at(row / 2);
        emit photoListAboutToChange();
        {
            const AlbumEditGroup group(m_document.get(), action == Qt::MoveAction ? AlbumDocument::tr("Move Photos")
                                                                                  : AlbumDocument::tr("Copy Photos"));
            for (ImageInfo& copy : copies)
                addFile(copy, false);
        }
        finishItemsAdding();
    } else if (data->hasUrls()) {
        emit photoListAboutToChange();
        const QStringList files = filesFromUrls(data->urls(), m_nameFilters, true);
        if (!files.isEmpty())
            importFiles(files);
    } else {
        insertRow = count();
        event->ignore();
        return;
    }

    // A drop past the end lands after a new marker: the first dropped photo
    // is made current, never the marker.
    const int currentAfter = dropRow + dropRow % 2;
    if (currentAfter < count()) {
        const bool unchanged = currentRow() == currentAfter;
        setCurrentRow(currentAfter);
        if (unchanged)
            emit currentRowChanged(currentAfter);
    }
    event->setDropAction(action);
    event->accept();
    insertRow = count();
}

void PhotoListWidget::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    const QString text = tr("Drag Photo(s) Here");
    QPainter painter(viewport());
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = std::max(metrics.horizontalAdvance(text), HintMinWidth);
    int left = spacing() + 4 - horizontalOffset();
    if (count() > 0)
        left = visualItemRect(item(count() - 1)).right() + 1 + spacing() + 4;
    const QRect hint(left, 3, width, viewport()->height() - 5 - 3);
    QPen pen(palette().color(QPalette::Mid));
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(hint);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(hint, Qt::AlignCenter | Qt::TextWordWrap, text);
}
