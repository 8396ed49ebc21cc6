#include "zugroupitemview.h"

#include "zuprofilemodel.h"

#include <QHeaderView>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

namespace {

// Group headings in bold on a tinted band, so they read as titles and not
// as choices.
class GroupDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (ZuGroupItemView::isChoosable(index)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem heading(option);
        initStyleOption(&heading, index);
        heading.state &= ~(QStyle::State_Selected | QStyle::State_MouseOver | QStyle::State_HasFocus);
        heading.font.setBold(true);
        const QColor base = option.palette.color(QPalette::Base);
        const QColor tint = option.palette.color(QPalette::Highlight);
        QColor band = QColor::fromRgbF(base.redF() * 0.9 + tint.redF() * 0.1, base.greenF() * 0.9 + tint.greenF() * 0.1,
                                       base.blueF() * 0.9 + tint.blueF() * 0.1);
        painter->fillRect(option.rect, band);
        heading.backgroundBrush = Qt::NoBrush;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &heading, painter, widget);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), 22));
        return size;
    }
};

} // namespace

ZuGroupItemView::ZuGroupItemView(QWidget* parent, bool popup)
    : QTreeView(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(18);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setItemDelegate(new GroupDelegate(this));
    setMouseTracking(popup);
    setAllColumnsShowFocus(true);
}

void ZuGroupItemView::setModel(QAbstractItemModel* model)
{
    if (QAbstractItemModel* old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTreeView::setModel(model);
    if (!model)
        return;
    // Groups stay open: the list is one flat run of headings and profiles.
    connect(model, &QAbstractItemModel::modelReset, this, &ZuGroupItemView::expandGroups);
    connect(model, &QAbstractItemModel::rowsInserted, this, &ZuGroupItemView::expandGroups);
    connect(model, &QAbstractItemModel::layoutChanged, this, &ZuGroupItemView::expandGroups);
    expandGroups();
}

void ZuGroupItemView::expandGroups() { expandAll(); }

bool ZuGroupItemView::isChoosable(const QModelIndex& index)
{
    return index.isValid() && !index.data(ZuProfileModel::IsGroupRole).toBool() &&
           (index.flags() & Qt::ItemIsSelectable);
}

bool ZuGroupItemView::chooseIndex(const QModelIndex& index)
{
    auto* model = qobject_cast<QStandardItemModel*>(this->model());
    if (!model || !isChoosable(index))
        return false;
    emit itemChanged(model->itemFromIndex(index));
    return true;
}

int ZuGroupItemView::visibleRowCount() const
{
    int rows = 0;
    for (QModelIndex index = model() ? model()->index(0, 0) : QModelIndex(); index.isValid(); index = indexBelow(index))
        ++rows;
    return rows;
}
