#include "zuprofilecombobox.h"

#include "zugroupitemview.h"
#include "zuprofilemodel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStandardItemModel>
#include <QWheelEvent>

ZuProfileComboBox::ZuProfileComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
    setIconSize(QSize(16, 16));
    // Whatever else moves the current row (a model rebuilt under it, the
    // style's own keys), the box goes back to a profile.
    connect(this, &QComboBox::currentIndexChanged, this, &ZuProfileComboBox::keepCurrent);
}

ZuProfileModel* ZuProfileComboBox::profileModel() const { return qobject_cast<ZuProfileModel*>(model()); }

void ZuProfileComboBox::setMaxViewHeight(int pixels) { m_maxViewHeight = std::max(pixels, 60); }

void ZuProfileComboBox::setPopupDirection(const QString& direction) { m_direction = direction; }

void ZuProfileComboBox::setLang(const QString& language)
{
    m_lang = language;
    if (ZuProfileModel* m = profileModel())
        m->setLang(language);
}

bool ZuProfileComboBox::select(const QModelIndex& index)
{
    if (!ZuGroupItemView::isChoosable(index))
        return false;
    // QComboBox counts rows under its root; a profile sits one level down.
    const QSignalBlocker block(this);
    setRootModelIndex(index.parent());
    setCurrentIndex(index.row());
    setRootModelIndex(QModelIndex());
    return currentData(ZuProfileModel::IdRole).toString() == index.data(ZuProfileModel::IdRole).toString();
}

bool ZuProfileComboBox::changeProfile(const QString& identifier, const QString& group, bool silent)
{
    ZuProfileModel* m = profileModel();
    if (!m)
        return false;
    QModelIndex index = m->profileIndex(identifier, group);
    if (!index.isValid())
        index = m->profileIndex(identifier);
    if (!index.isValid() || !select(index))
        return false;
    const QString id = index.data(ZuProfileModel::IdRole).toString();
    const QString ownGroup = index.parent().data(ZuProfileModel::GroupRole).toString();
    const bool changed = id != m_id || ownGroup != m_group;
    m_id = id;
    m_group = ownGroup;
    if (!silent)
        emit currentProfileChanged(m_id, m_group);
    Q_UNUSED(changed)
    return true;
}

void ZuProfileComboBox::slotCurrentIndexChanged(const QStandardItem* item)
{
    if (!item || !ZuGroupItemView::isChoosable(item->index()))
        return;
    hidePopup();
    // A profile picked among the recent ones is the same profile as in its
    // own group; the box shows it there, where it stays put.
    const QString id = item->data(ZuProfileModel::IdRole).toString();
    const QString group = item->data(ZuProfileModel::GroupRole).toString();
    if (id == m_id && group == m_group) {
        select(profileModel()->profileIndex(m_id, m_group));
        return;
    }
    changeProfile(id, group);
}

void ZuProfileComboBox::keepCurrent()
{
    if (!profileModel() || m_id.isEmpty())
        return;
    if (currentData(ZuProfileModel::IdRole).toString() == m_id && !currentData(ZuProfileModel::IsGroupRole).toBool())
        return;
    const QModelIndex index = profileModel()->profileIndex(m_id, m_group);
    if (index.isValid())
        select(index);
}

void ZuProfileComboBox::step(int delta)
{
    ZuProfileModel* m = profileModel();
    if (!m)
        return;
    QList<QModelIndex> profiles;
    for (int row = 0; row < m->rowCount(); ++row) {
        const QModelIndex group = m->index(row, 0);
        if (group.data(ZuProfileModel::GroupRole).toString() == ZuProfileModel::recentGroup())
            continue;
        for (int child = 0; child < m->rowCount(group); ++child)
            profiles << m->index(child, 0, group);
    }
    if (profiles.isEmpty())
        return;
    qsizetype at = profiles.indexOf(m->profileIndex(m_id, m_group));
    at = at < 0 ? 0 : std::clamp<qsizetype>(at + delta, 0, profiles.size() - 1);
    const QModelIndex target = profiles.at(at);
    changeProfile(target.data(ZuProfileModel::IdRole).toString(),
                  target.parent().data(ZuProfileModel::GroupRole).toString());
}

void ZuProfileComboBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (event->modifiers() & Qt::AltModifier)
            break;
        step(event->key() == Qt::Key_Up ? -1 : 1);
        return;
    case Qt::Key_PageUp: step(-10); return;
    case Qt::Key_PageDown: step(10); return;
    case Qt::Key_Home: step(-100000); return;
    case Qt::Key_End: step(100000); return;
    default: break;
    }
    QComboBox::keyPressEvent(event);
}

void ZuProfileComboBox::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta != 0)
        step(delta > 0 ? -1 : 1);
    event->accept();
}

void ZuProfileComboBox::showPopup()
{
    auto* list = qobject_cast<ZuGroupItemView*>(view());
    if (list) {
        // Ahead of the popup's own filter, which would take any row.
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
        list->expandAll();
    }
    QComboBox::showPopup();
    QWidget* popup = view()->parentWidget();
    if (!popup)
        return;
    const int rowHeight = std::max(view()->sizeHintForRow(0), 1);
    const int rows = std::min(list ? list->visibleRowCount() : count(), maxVisibleItems());
    const int frame = popup->height() - view()->viewport()->height();
    const int height = std::min(rows * rowHeight + std::max(frame, 0), m_maxViewHeight);
    QRect geometry = popup->geometry();
    geometry.setHeight(height);
    geometry.setWidth(std::max(geometry.width(), width()));
    if (m_direction == QLatin1String("down")) {
        const QPoint below = mapToGlobal(QPoint(0, this->height()));
        const QScreen* screen = this->screen();
        if (!screen || below.y() + height <= screen->availableGeometry().bottom())
            geometry.moveTopLeft(below);
    }
    popup->setGeometry(geometry);
    const QModelIndex current = profileModel() ? profileModel()->profileIndex(m_id, m_group) : QModelIndex();
    if (current.isValid()) {
        view()->setCurrentIndex(current);
        view()->scrollTo(current, QAbstractItemView::PositionAtCenter);
    }
}

bool ZuProfileComboBox::eventFilter(QObject* watched, QEvent* event)
{
    auto* list = qobject_cast<ZuGroupItemView*>(view());
    if (!list || (watched != list && watched != list->viewport()))
        return QComboBox::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched != list->viewport() || mouse->button() != Qt::LeftButton)
            break;
        const QModelIndex index = list->indexAt(mouse->position().toPoint());
        if (!index.isValid())
            break;
        // A heading is no choice: the list stays open.
        list->chooseIndex(index);
        return true;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            break;
        list->chooseIndex(list->currentIndex());
        return true;
    }
    default: break;
    }
    return QComboBox::eventFilter(watched, event);
}
