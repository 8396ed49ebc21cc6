#pragma once
// Keeps the main window's single-key playback shortcuts (Space for play and
// pause, Home for the start) from taking those keys away from the focused
// control that uses them: a check box or button clicks on Space, a list,
// slider or spin box moves on Home, text boxes type both. The shortcuts
// still act while the preview, the transport controls or a control that
// has no use for the key holds the focus.
//
// Installed as an event filter on the window: Qt asks the focused widget
// and then each of its parents whether a key is meant for them (the
// ShortcutOverride event) before it looks for a shortcut, and a widget that
// accepts the question gets the key press instead.

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

class TransportKeys : public QObject
{
public:
    // `transport`: the widgets (with their children) in which the keys
    // always belong to the shortcuts.
    TransportKeys(QWidget* window, const QList<QWidget*>& transport);

    // True when `widget`, outside the transport, does something of its own
    // with an unmodified press of `key` (Qt::Key_Space or Qt::Key_Home).
    static bool controlUsesKey(const QWidget* widget, int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inTransport(const QWidget* widget) const;

    QList<QPointer<QWidget>> transport;
};
