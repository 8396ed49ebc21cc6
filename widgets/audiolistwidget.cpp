#include "audiolistwidget.h"

#include "adjustaudioorder.h"
#include "albumdocument.h"
#include "filesfromurls.h"
#include "importflow.h"
#include "timefunctions.h"
#include "zupref.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

const QString kAudioListFormat = QStringLiteral("AudioList");
constexpr double kDefaultDurationPerPixel = 1.0 / 33.0;
// Widths of two photos and one transition marker: how far audio may be
// shown past the end of the pictures.
constexpr int kOverhangWidth = 88 + 88 + 44;
constexpr int kItemHeight = 32;

// Draws each item's picture exactly over its cell, so the strip shows the
// time scale pixel for pixel, and tints the selection.
class AudioItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QImage image = index.data(Qt::DecorationRole).value<QImage>();
        if (!image.isNull())
            painter->drawImage(option.rect.topLeft(), image);
        if (option.state & QStyle::State_Selected) {
            QColor tint = option.palette.color(QPalette::Highlight);
            tint.setAlpha(90);
            painter->fillRect(option.rect, tint);
        }
    }
};

// The skin's cap images, read once per path: a long strip repaints every
// item on each change of the time scale.
QImage skinImage(const QString& name)
{
    static QHash<QString, QImage> cache;
    const QString path = ZuPref::skinDir() + QStringLiteral("/app_reelwright/") + name;
    auto found = cache.constFind(path);
    if (found == cache.constEnd())
        found = cache.insert(path, QImage(path));
    return found.value();
}

QString fileNameOf(const AudioInfo& info) { return QDir::toNativeSeparators(QFileInfo(info.filePath).fileName()); }

QString clipLength(const AudioInfo& info) { return secondToTimeString(int(info.endTime - info.startTime)); }

QString toolTipLine(const QString& label, const QString& value)
{
    return QStringLiteral("<br /><nobr>") + label + QStringLiteral(":&nbsp;<b>") + value +
           QStringLiteral("</b><nobr/>");
}

} // namespace

QStringList AudioListWidget::m_nameFilters = audioNameFilters();

const QList<AudioInfo>& AudioClipsView::list() const { return m_strip.document()->clips(); }

AudioListWidget::AudioListWidget(QWidget* parent)
    : QListWidget(parent)
    , durationPerPixel(kDefaultDurationPerPixel)
{
    setSpacing(0);
    setDropIndicatorShown(true);
    setFixedHeight(36);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::DragDrop);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setItemDelegate(new AudioItemDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this, &AudioListWidget::on_itemDoubleClicked);
    setDocument(m_document.privateDocument());
}

AudioListWidget::~AudioListWidget() = default;

AlbumDocument* AudioListWidget::document() const { return m_document.get(); }

void AudioListWidget::setDocument(AlbumDocument* document)
{
    if (!m_document.switchTo(document, this))
        return;
    connect(document, &AlbumDocument::clipsInserted, this, &AudioListWidget::insertClipItems);
    connect(document, &AlbumDocument::clipsRemoved, this, &AudioListWidget::removeClipItems);
    connect(document, &AlbumDocument::clipsMoved, this, &AudioListWidget::moveClipItems);
    connect(document, &AlbumDocument::clipsChanged, this, &AudioListWidget::updateItemsView);
    connect(document, &AlbumDocument::clipsReset, this, &AudioListWidget::rebuildItems);
    // The pictures show each clip's place and length on the time scale, so
    // every change of the track redraws them, whoever made it (an undo too).
    const auto redraw = [this] { updateItemsView(); };
    connect(document, &AlbumDocument::clipsInserted, this, redraw);
    connect(document, &AlbumDocument::clipsRemoved, this, redraw);
    connect(document, &AlbumDocument::clipsMoved, this, redraw);
    connect(document, &AlbumDocument::clipsReset, this, redraw);
    rebuildItems();
    updateItemsView();
}

// Row i of the view is clip i of the document; the items get their pictures
// from updateItemsView(), which needs the whole strip laid out.
void AudioListWidget::insertClipItems(int first, int count)
{
    for (int row = first; row < first + count; ++row)
        insertItem(row, new QListWidgetItem);
}

void AudioListWidget::removeClipItems(int first, int count)
{
    for (int i = 0; i < count && first < this->count(); ++i)
        delete takeItem(first);
}

void AudioListWidget::moveClipItems(int first, int count, int to)
{
    removeClipItems(first, count);
    insertClipItems(to, count);
}

void AudioListWidget::rebuildItems()
{
    QListWidget::clear();
    insertClipItems(0, int(m_document->clips().size()));
    insertRow = count();
}

void AudioListWidget::addFile(const AudioInfo& info)
{
    insertRow = std::clamp(insertRow, 0, count());
    m_document->insertClips(insertRow, {info});
    ++insertRow;
}

void AudioListWidget::finishItemsAdding()
{
    insertRow = count();
    updateItemsView();
    emit audioListChanged(audios);
}

void AudioListWidget::clear()
{
    m_document->clearClips();
    QListWidget::clear();
    insertRow = 0;
}

void AudioListWidget::setDurationPerPixel(int pixelRange, double durationPerPixel)
{
    this->pixelRange = pixelRange;
    // Also refuses NaN, which an album of no duration could produce.
    this->durationPerPixel = durationPerPixel >= 0.001 ? durationPerPixel : kDefaultDurationPerPixel;
    updateItemsView();
}

int AudioListWidget::pixelInRange() const
{
    if (count() == 0)
        return 0;
    const QRect last = visualItemRect(item(count() - 1));
    return last.x() + last.width() + horizontalOffset();
}

void AudioListWidget::updateItemsView()
{
    const int range = pixelRange;
    const double perPixel = durationPerPixel;
    qint64 x = 0;
    for (int i = 0; i < count(); ++i) {
        setToolTipForItem(i);
        const AudioInfo& info = audios.at(i);
        // Clamped so that a huge duration on a tiny scale cannot overflow.
        const qint64 n = qint64(std::clamp((info.endTime - info.startTime) / perPixel, 0.0, 1.0e9));
        qint64 width = 0;
        qint64 gray = 0;
        if (x >= range) {
            width = kOverhangWidth;
            gray = kOverhangWidth;
            x += kOverhangWidth;
        } else if (x + n <= range) {
            width = n;
            x += n;
        } else {
            width = std::min<qint64>(n, range + kOverhangWidth - x);
            x += width;
            gray = std::min<qint64>(width, x - range);
        }
        item(i)->setSizeHint(QSize(int(width), kItemHeight));
        setImageForItem(i, int(gray));
    }
    if (count() > 0)
        doItemsLayout();
}

void AudioListWidget::setImageForItem(int row, int grayWidth)
{
    QListWidgetItem* it = item(row);
    if (!it || row >= audios.size())
        return;
    const int w = it->sizeHint().width();
    const int h = it->sizeHint().height();
    if (w <= 0 || h <= 0) {
        it->setData(Qt::DecorationRole, QImage());
        return;
    }
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);

    const QImage head = skinImage(QStringLiteral("head.png"));
    if (head.width() > 0)
        painter.drawImage(QRect(0, 3, head.width(), h - 6), head);
    if (head.width() < w) {
        const QImage body = skinImage(QStringLiteral("body.png"));
        if (body.width() > 0) {
            for (int x = head.width(); x < w; x += body.width())
                painter.drawImage(QRect(x, 3, body.width(), h - 6), body);
        }
    }

    if (grayWidth > 0) {
        painter.end();
        const int from = std::max(0, w - grayWidth);
        for (int y = 3; y < h - 3; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = from; x < w; ++x) {
                const QRgb c = line[x];
                const int level = int(0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c));
                line[x] = qRgb(level, level, level);
            }
        }
        painter.begin(&image);
    }

    painter.setFont(font());
    painter.drawRect(1, 3, w - 5, h - 6);
    const AudioInfo& info = audios.at(row);
    painter.drawText(QRect(30, 0, w - 30, h), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("#%1 %2 | %3").arg(row + 1).arg(fileNameOf(info), clipLength(info)));
    painter.end();
    it->setData(Qt::DecorationRole, image);
}

void AudioListWidget::setToolTipForItem(int row)
{
    QListWidgetItem* it = item(row);
    if (!it || row >= audios.size())
        return;
    const AudioInfo& info = audios.at(row);
    QString tip = QStringLiteral("<nobr>#%1&nbsp;<b>").arg(row + 1) + fileNameOf(info).toHtmlEscaped() +
                  QStringLiteral("</b><nobr/>");
    tip += toolTipLine(tr("Duration"), clipLength(info));
    tip += toolTipLine(tr("Channels"), QString::number(info.channels));
    tip += toolTipLine(tr("Sample Rate"), QString::number(info.sampleRate));
    if (info.startTime != 0.0 || info.endTime != info.duration) {
        tip += toolTipLine(tr("Start Point"), secondToTimeString(int(info.startTime)));
        tip += toolTipLine(tr("End Point"), secondToTimeString(int(info.endTime)));
    }
    it->setToolTip(tip);
}

void AudioListWidget::sort(SortType type, bool ascending)
{
    m_document->sortClips(type, ascending);
    finishItemsAdding();
}

void AudioListWidget::adjustOrder(const QList<AudioInfo>& list)
{
    m_document->setClips(list);
    finishItemsAdding();
}

QList<int> AudioListWidget::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    for (const QModelIndex& index : indexes)
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void AudioListWidget::selectionDelete(bool keepView)
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const int first = rows.first();
    const int last = std::min(rows.last(), count() - 1);
    m_document->removeClips(first, last - first + 1);
    if (keepView)
        return;
    finishItemsAdding();
    const int current = std::min(first, count() - 1);
    if (current >= 0) {
        scrollToItem(item(current));
        setCurrentRow(current);
    } else {
        setCurrentRow(-1);
    }
    const QSize old = size();
    resize(0, 0);
    resize(old);
}

void AudioListWidget::moveSelectionTo(int first, int count, int to, bool right)
{
    // The view alone is silenced: its model must still report the new rows
    // so the selection and layout stay in step.
    blockSignals(true);
    m_document->moveClips(first, count, to);
    blockSignals(false);
    finishItemsAdding();

    const int start = to;
    const int end = to + count;
    if (right)
        scrollToItem(item(std::min(end, this->count() - 1)));
    else
        scrollToItem(item(std::max(first - 1, 0)));
    setCurrentRow(right ? std::min(end - 1, this->count() - 1) : first - 1);
    const QRect from = visualItemRect(item(start));
    const QRect last = visualItemRect(item(end - 1));
    setSelection(QRect(QPoint(from.left(), 0), QPoint(last.right(), height())), QItemSelectionModel::ClearAndSelect);
}

void AudioListWidget::selectionMoveRight()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const int first = rows.first();
    const int moved = rows.last() - first + 1;
    const int left = count() - moved;
    moveSelectionTo(first, moved, first + 1 < left ? first + 1 : left, true);
}

void AudioListWidget::selectionMoveLeft()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || rows.first() == 0)
        return;
    const int first = rows.first();
    moveSelectionTo(first, rows.last() - first + 1, first - 1, false);
}

void AudioListWidget::retranslate()
{
    for (int row = 0; row < count(); ++row)
        setToolTipForItem(row);
    viewport()->update();
}

void AudioListWidget::on_itemDoubleClicked(QListWidgetItem* item) { editOrder(row(item)); }

void AudioListWidget::editOrder(int row)
{
    emit orderEditAboutToOpen();
    AdjustAudioOrder dialog(audios, this);
    dialog.setCurrentIndex(std::max(0, row));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The preview plays from the album's list: it must stop before the
    // list it plays from is replaced.
    emit audioListAboutToChange();
    adjustOrder(dialog.audioList());
}

void AudioListWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressPos = event->position().toPoint();
    QListWidget::mousePressEvent(event);
}

void AudioListWidget::mouseMoveEvent(QMouseEvent* event)
{
    // The base class would start its own drag; ours carries the payload.
    if (!(event->buttons() & Qt::LeftButton)) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    if ((event->position().toPoint() - pressPos).manhattanLength() <= QApplication::startDragDistance())
        return;
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty())
        runDrag(rows);
}

void AudioListWidget::runDrag(const QList<int>& rows)
{
    QList<QListWidgetItem*> dragged;
    for (int row : rows)
        dragged << item(row);
    const QImage picture = dragged.first()->data(Qt::DecorationRole).value<QImage>();
    QPixmap pixmap;
    if (!picture.isNull())
        pixmap = QPixmap::fromImage(picture.copy(0, 0, std::min(picture.width(), 200), picture.height()));
    // The copies the drop puts in and the originals taken out here are one
    // step, named by the drop (a move or a copy).
    const AlbumEditGroup group(m_document.get(), QString());
    const Qt::DropAction action = m_drag.run(this, kAudioListFormat, rows, pixmap, Qt::IgnoreAction);

    if (action == Qt::MoveAction) {
        // Items are looked up by address among the live rows, never
        // dereferenced: the list may have been rebuilt during the drag.
        for (QListWidgetItem* gone : dragged) {
            for (int row = 0; row < count(); ++row) {
                if (item(row) == gone) {
                    m_document->removeClips(row, 1);
                    break;
                }
            }
        }
    }
    insertRow = count();
    updateItemsView();
    emit audioListChanged(audios);
    clearSelection();
}

void AudioListWidget::setBeatMarks(int row, const QVector<double>& shares)
{
    if (row == m_beatRow && shares == m_beatShares)
        return;
    m_beatRow = shares.isEmpty() ? -1 : row;
    m_beatShares = m_beatRow < 0 ? QVector<double>() : shares;
    viewport()->update();
}

void AudioListWidget::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);

    if (m_beatRow >= 0 && m_beatRow < count()) {
        QPainter ticks(viewport());
        const QRect clip = visualItemRect(item(m_beatRow));
        ticks.setPen(QPen(palette().color(QPalette::Highlight), 1));
        const int bottom = clip.bottom() - 1;
        for (const double share : std::as_const(m_beatShares)) {
            const int x = clip.left() + int(std::lround(std::clamp(share, 0.0, 1.0) * (clip.width() - 1)));
            ticks.drawLine(x, bottom - 5, x, bottom);
        }
    }

    const QString text = tr("Drag Audio File(s) Here");
    QPainter painter(viewport());
    painter.setFont(font());
    const int width = std::max(240, painter.fontMetrics().boundingRect(text).width());
    int left = spacing() + 4 - horizontalOffset();
    if (count() > 0) {
        const QRect last = visualItemRect(item(count() - 1));
        left = last.x() + last.width() + spacing() + 4;
    }
    const QRect box(QPoint(left, 3), QPoint(left + width - 1, viewport()->height() - 5));
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    painter.drawRect(box);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void AudioListWidget::resizeEvent(QResizeEvent* event)
{
    emit sizeChanged();
    QListWidget::resizeEvent(event);
}

void AudioListWidget::contextMenuEvent(QContextMenuEvent* event) { emit contextMenu(event->globalPos()); }

void AudioListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    // Another strip's or program's payload names rows that are not ours.
    if (StripDrag::enters(event->mimeData(), m_nameFilters, kAudioListFormat, event->source() == this))
        event->acceptProposedAction();
    else
        event->ignore();
}

void AudioListWidget::dragMoveEvent(QDragMoveEvent* event) { event->accept(); }

void AudioListWidget::dropEvent(QDropEvent* event)
{
    const QModelIndex target = indexAt(event->position().toPoint());
    insertRow = target.isValid() ? target.row() : count();
    const int dropRow = insertRow;
    const QMimeData* mime = event->mimeData();
    Qt::DropAction action = Qt::IgnoreAction;

    if (event->source() == this) {
        // One row per clip: this strip has no transition markers.
        const StripDrag::Drop drop = m_drag.drop(mime, kAudioListFormat, count(), event->modifiers(), insertRow, 1);
        if (!drop.rows.isEmpty()) {
            action = drop.action;
            insertRow = drop.insertRow;
            QList<AudioInfo> copies;
            for (int row : drop.rows)
                copies << audios.at(row);
            emit audioListAboutToChange();
            {
                const AlbumEditGroup group(m_document.get(), action == Qt::MoveAction
                                                                 ? AlbumDocument::tr("Move Audio")
                                                                 : AlbumDocument::tr("Copy Audio"));
                for (const AudioInfo& info : copies)
                    addFile(info);
            }
            finishItemsAdding();
        }
    } else if (mime->hasUrls()) {
        const QStringList files = filesFromUrls(mime->urls(), m_nameFilters, true);
        if (!files.isEmpty()) {
            emit audioListAboutToChange();
            importFiles(files);
            action = Qt::CopyAction;
        }
    }

    insertRow = count();
    if (action == Qt::IgnoreAction) {
        // A refused payload must not let its source delete the originals.
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    const bool sameRow = currentRow() == dropRow;
    setCurrentRow(dropRow);
    if (sameRow)
        emit currentRowChanged(dropRow);
    event->setDropAction(action);
    event->accept();
}

bool AudioListWidget::importFiles(const QStringList& files)
{
    insertRow = std::clamp(insertRow, 0, count());
    const bool added = ImportFlow::importFiles(*m_document, false, insertRow, files, this);
    if (added)
        finishItemsAdding();
    return added;
}
