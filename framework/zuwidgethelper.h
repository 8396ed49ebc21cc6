#pragma once
// Window chores shared by the framework's window and dialog bases: titles,
// default size, skin refresh and remembered geometry.

#include <QSize>
#include <QString>

class QWidget;

class ZuWidgetHelper
{
public:
    explicit ZuWidgetHelper(QWidget* widget);
    virtual ~ZuWidgetHelper();
    ZuWidgetHelper(const ZuWidgetHelper&) = delete;
    ZuWidgetHelper& operator=(const ZuWidgetHelper&) = delete;

    // Titles the widget and, when it sits inside another window, that
    // window too.
    void setAllWindowTitle(const QString& text);
    // Size used on first show when no remembered geometry applies.
    void setDefaultSize(const QSize& size);
    QSize defaultSize() const { return m_defaultSize; }
    // Re-reads the skin's style sheet so skin properties reach the widget.
    void setSkin();
    // Remember the window geometry in the preference store when it hides.
    void enableRestoreFrameGeometry(bool enable = true);
    // Puts the remembered geometry back; false when none is stored.
    bool restoreFrameGeometry();
    void saveFrameGeometry();

protected:
    QString geometryKey() const;

private:
    QWidget* m_widget;
    QSize m_defaultSize;
    class GeometryWatcher;
    GeometryWatcher* m_watcher = nullptr; // child of m_widget
};
