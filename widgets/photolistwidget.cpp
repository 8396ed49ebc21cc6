#include "photolistwidget.h"

#include "filesfromurls.h"
#include "imagereader.h"
#include "importprogress.h"
#include "logcategories.h"
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
#include <QTransform>

#include <algorithm>
#include <cmath>

QStringList PhotoListWidget::m_nameFilters = photoNameFilters();
const QString PhotoListWidget::dragFormat = QStringLiteral("ImageList");

namespace {

PhotoListWidget::DragHook& dragHook()
{
    static PhotoListWidget::DragHook hook;
    return hook;
}

// One per imported photo for the whole run of the program, so successive
// imports keep cycling through the eight zoom paths.
int g_importIndex = 0;

constexpr int StripHeight = 72;
constexpr int HintMinWidth = 240;
constexpr QSize TransPictureSize(PhotoListWidget::transItemSize.width() - 8,
                                 PhotoListWidget::transItemSize.height() - 6);

bool near(qreal value, qreal wanted)
{
    return std::abs(value - wanted) < 0.0001;
}

} // namespace

PhotoListWidget::PhotoListWidget(QWidget* parent) : QListWidget(parent)
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
}

PhotoListWidget::~PhotoListWidget() = default;

void PhotoListWidget::setDragHook(DragHook hook)
{
    dragHook() = std::move(hook);
}

void PhotoListWidget::determineImageType(ImageInfo& info)
{
    QTransform transform;
    for (IMAGEPROC proc : std::as_const(info.procs)) {
        switch (proc) {
        case Mirror: transform.rotate(180, Qt::YAxis); break;
        case Flip: transform.rotate(180, Qt::XAxis); break;
        case TurnLeft: transform.rotate(90); break;
        case TurnRight: transform.rotate(-90); break;
        }
    }
    const qreal m11 = transform.m11(), m12 = transform.m12(), m21 = transform.m21(), m22 = transform.m22();
    if (near(m11, 1) && near(m22, 1))
        info.imageType = 0;
    else if (near(m11, 1) && near(m22, -1))
        info.imageType = 1;
    else if (near(m11, -1) && near(m22, 1))
        info.imageType = 2;
    else if (near(m11, -1) && near(m22, -1))
        info.imageType = 3;
    else if (near(m12, 1) && near(m21, 1))
        info.imageType = 4;
    else if (near(m12, 1) && near(m21, -1))
        info.imageType = 5;
    else if (near(m12, -1) && near(m21, 1))
        info.imageType = 6;
    else if (near(m12, -1) && near(m21, -1))
        info.imageType = 7;
    else {
        qCDebug(lcImport) << "I Don't think this will happen!";
        info.imageType = 0;
    }
}

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
    item->setData(Qt::DecorationRole, QPixmap::fromImage(picture));
}

void PhotoListWidget::setImageForTrans(QListWidgetItem* item)
{
    // Loaded once per skin rather than once per marker.
    const QString path = ZuPref::skinDir() + QStringLiteral("/app_reelwright/transition.png");
    if (path != m_transPath || m_transPicture.isNull()) {
        m_transPicture = QPixmap::fromImage(
            QImage(path).scaled(TransPictureSize, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        m_transPath = path;
    }
    item->setData(Qt::DecorationRole, m_transPicture);
}

void PhotoListWidget::setToolTip(const ImageInfo& info, QListWidgetItem* item)
{
    // File names come from outside: escaped, so markup in a name shows as
    // the characters it is made of.
    const QString name = QFileInfo(info.filePath).fileName().toHtmlEscaped();
    item->setToolTip(QStringLiteral("<nobr>") + tr("Name") + QStringLiteral(":&nbsp;<b>") + name
                     + QStringLiteral("</b><nobr/><br />") + QStringLiteral("<nobr>") + tr("Dimension")
                     + QStringLiteral(":&nbsp;<b>") + QStringLiteral("%1 x %2").arg(info.width).arg(info.height)
                     + QStringLiteral("</b><nobr/><br />") + QStringLiteral("<nobr>") + tr("Depth")
                     + QStringLiteral(":&nbsp;<b>") + QStringLiteral("%1").arg(info.depth) + tr("Bits")
                     + QStringLiteral("</b><nobr/>"));
}

QListWidgetItem* PhotoListWidget::newTransItem()
{
    auto* item = new QListWidgetItem;
    item->setSizeHint(transItemSize);
    item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled);
    setImageForTrans(item);
    return item;
}

void PhotoListWidget::addFile(ImageInfo& info, bool fromImport)
{
    insertRow = std::clamp(insertRow, 0, count());
    if (insertRow % 2 == 1) {
        insertItem(insertRow, newTransItem());
        ++insertRow;
    }
    if (fromImport) {
        if (rotateWhileImporting)
            info.procs = exifSteps(info);
        applyImportZoomPath(info, g_importIndex);
        ++g_importIndex;
    }
    determineImageType(info);
    photos.insert(insertRow / 2, info);
    auto* item = new QListWidgetItem;
    item->setSizeHint(photoItemSize);
    item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled);
    insertItem(insertRow, item);
    ++insertRow;
    setImageForItem(info, item);
    setToolTip(info, item);
}

void PhotoListWidget::finishItemsAdding()
{
    if (insertRow < count() && insertRow % 2 == 1)
        insertItem(insertRow, newTransItem());
    insertRow = count();
    emit photoListChanged(photos);
}

void PhotoListWidget::clear()
{
    QListWidget::clear();
    photos.clear();
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
        photos.erase(photos.begin() + first / 2, photos.begin() + last / 2 + 1);
        model()->removeRows(first, last - first + 1);
        if (first > 0)
            model()->removeRows(first - 1, 1);
        else if (count() > 0)
            model()->removeRows(0, 1);
    } else {
        clear();
        setCurrentRow(-1);
    }
    insertRow = count();
    blockSignals(wasBlocked);
    if (quiet)
        return;
    emit photoListChanged(photos);
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
    QList<ImageInfo> copies;
    for (int row : rows)
        copies << photos.at(row / 2);
    selectionDelete(true);
    const bool wasBlocked = blockSignals(true);
    firstSelected = rows.first();
    insertRow = std::clamp(firstSelected + step, 0, count());
    firstMoved = insertRow + insertRow % 2;
    for (ImageInfo& copy : copies)
        addFile(copy, false);
    lastMoved = insertRow - 1;
    blockSignals(wasBlocked);
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

void PhotoListWidget::refreshPhotoItem(int photoIndex)
{
    QListWidgetItem* photoItem = item(photoIndex * 2);
    if (photoItem)
        setImageForItem(photos[photoIndex], photoItem);
}

void PhotoListWidget::selectionAddProc(IMAGEPROC proc)
{
    const QList<int> rows = selectedPhotoRows();
    if (rows.isEmpty())
        return;
    for (int row : rows) {
        photos[row / 2].procs.prepend(proc);
        refreshPhotoItem(row / 2);
    }
    emit photoListChanged(photos);
    setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    setCurrentRow(rows.first(), QItemSelectionModel::NoUpdate);
}

void PhotoListWidget::selectionAutoRotate()
{
    const QList<int> rows = selectedPhotoRows();
    if (rows.isEmpty())
        return;
    for (int row : rows) {
        photos[row / 2].procs = exifSteps(photos[row / 2]);
        refreshPhotoItem(row / 2);
    }
    emit photoListChanged(photos);
    setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    setCurrentRow(rows.first(), QItemSelectionModel::NoUpdate);
}

void PhotoListWidget::selectionRestore()
{
    selectionAutoRotate();
}

void PhotoListWidget::autoRotateAll()
{
    for (int i = 0; i < photos.size(); ++i) {
        photos[i].procs = exifSteps(photos[i]);
        refreshPhotoItem(i);
    }
    emit photoListChanged(photos);
}

void PhotoListWidget::autoRotatewhileImporting(bool on)
{
    rotateWhileImporting = on;
}

void PhotoListWidget::sort(SortType type, bool ascending)
{
    setPhotoSortOrder(type, ascending);
    std::sort(photos.begin(), photos.end(),
              [](const ImageInfo& a, const ImageInfo& b) { return lessThan(a, b); });
    for (int i = 0; i < photos.size(); ++i) {
        if (QListWidgetItem* photoItem = item(2 * i)) {
            setImageForItem(photos[i], photoItem);
            setToolTip(photos[i], photoItem);
        }
    }
    emit photoListChanged(photos);
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
    auto* data = new QMimeData;
    data->setData(dragFormat, m_drag.begin(rows));
    // On the heap: Qt deletes a drag it has run itself, later.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    Qt::DropAction action;
    if (dragHook()) {
        action = dragHook()(*drag);
        drag->deleteLater();
    } else {
        action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    }
    m_drag.end();

    if (action == Qt::MoveAction) {
        for (QListWidgetItem* source : std::as_const(dragged)) {
            const int r = row(source);
            if (r < 0)
                continue;
            photos.removeAt(r / 2);
            model()->removeRows(r, 1);
            if (r < count())
                model()->removeRows(r, 1);
            else if (r > 0)
                model()->removeRows(r - 1, 1);
        }
        insertRow = count();
        emit photoListChanged(photos);
    }
    clearSelection();
}

void PhotoListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasUrls()) {
        if (!filesFromUrls(data->urls(), m_nameFilters, true).isEmpty())
            event->acceptProposedAction();
        else
            event->ignore();
        return;
    }
    if (data->hasFormat(dragFormat))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PhotoListWidget::dragMoveEvent(QDragMoveEvent* event)
{
    event->accept();
}

void PhotoListWidget::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QModelIndex target = indexAt(event->position().toPoint());
    insertRow = target.isValid() ? target.row() + target.row() % 2 : count();
    const int dropRow = insertRow;

    Qt::DropAction action = Qt::CopyAction;
    if (data->hasFormat(dragFormat)) {
        const QList<int> rows = m_drag.rows(data->data(dragFormat), count());
        if (rows.isEmpty()) {
            insertRow = count();
            event->ignore();
            return;
        }
        action = (event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
        if (action == Qt::MoveAction && rows.last() < insertRow)
            insertRow = std::min(insertRow + 2, count());
        QList<ImageInfo> copies;
        for (int row : rows)
            copies << photos.at(row / 2);
        emit photoListAboutToChange();
        for (ImageInfo& copy : copies)
            addFile(copy, false);
        finishItemsAdding();
    } else if (data->hasUrls()) {
        emit photoListAboutToChange();
        const QStringList files = filesFromUrls(data->urls(), m_nameFilters, true);
        if (!files.isEmpty()) {
            ImportProgress progress(true, this);
            progress.parseFileList(files);
            progress.exec();
            if (progress.added)
                finishItemsAdding();
        }
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
