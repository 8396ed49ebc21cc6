#include "transportkeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

TransportKeys::TransportKeys(QWidget* window, const QList<QWidget*>& widgets)
    : QObject(window)
{
    for (QWidget* widget : widgets)
        transport.append(widget);
    window->installEventFilter(this);
}

bool TransportKeys::controlUsesKey(const QWidget* widget, int key)
{
    if (!widget)
        return false;
    // Text, lists and drop-down boxes use both keys: typed, selecting the
    // current item, opening the list; and Home moves to the start of each.
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
        qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractItemView*>(widget) ||
        qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget))
        return key == Qt::Key_Space || key == Qt::Key_Home;
    if (key == Qt::Key_Space)
        return qobject_cast<const QAbstractButton*>(widget) != nullptr;
    if (key == Qt::Key_Home)
        return qobject_cast<const QAbstractSlider*>(widget) != nullptr;
    return false;
}

bool TransportKeys::inTransport(const QWidget* widget) const
{
    for (const QPointer<QWidget>& area : transport)
        if (area && (area == widget || area->isAncestorOf(widget)))
            return true;
    return false;
}

bool TransportKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier || (key->key() != Qt::Key_Space && key->key() != Qt::Key_Home))
        return false;
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || inTransport(focus) || !controlUsesKey(focus, key->key()))
        return false;
    key->accept();
    return true;
}
