#pragma once
// The popup list of the profile combo box: the groups of a profile model as
// headings with their icons, each followed by its profiles. Only profiles
// can be chosen; choosing one emits itemChanged().

#include <QTreeView>

class QStandardItem;

class ZuGroupItemView : public QTreeView
{
    Q_OBJECT

public:
    // `popup`: shown as a combo box's drop-down list (hover highlights).
    explicit ZuGroupItemView(QWidget* parent = nullptr, bool popup = true);

    void setModel(QAbstractItemModel* model) override;
    // Whether `index` is a profile (not a group heading).
    static bool isChoosable(const QModelIndex& index);
    // Emits itemChanged() for a profile; false for anything else.
    bool chooseIndex(const QModelIndex& index);
    // Number of rows the view shows with every group open.
    int visibleRowCount() const;

signals:
    void itemChanged(const QStandardItem* item);

private:
    void expandGroups();
};
