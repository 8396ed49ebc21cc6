#pragma once
// Base of both main windows: the framework's "Tools" menu (language, skin,
// exit), status bar control, update-check settings and remembered geometry.

#include "zuwidgethelper.h"

#include <QMainWindow>

class QActionGroup;
class QMenu;

class ZuMainWindow : public QMainWindow, public ZuWidgetHelper
{
    Q_OBJECT
public:
    explicit ZuMainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~ZuMainWindow() override;

    // Call once the subclass has built its widgets: adds the framework menu
    // behind the subclass's menus and restores the geometry.
    void initialize();
    // The window that frames the program, the parent for its dialogs.
    QWidget* widgetFrame();
    // The framework menu; the program appends its own commands to it.
    QMenu* windowMenu() const { return m_windowMenu; }

    using QMainWindow::show;
    // Shows the window; with `activate` it is also raised and focused.
    void show(bool activate);

    void setAutoCheckUpdate(bool enable);
    void setAutoCheckUpdateInterval(int days);
    void setMyFixedSize(const QSize& size);
    void setMyFixedSize(int width, int height) { setMyFixedSize(QSize(width, height)); }
    void SetStatusBarVisible(bool visible);

public slots:
    virtual void retranslate();

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildLanguageMenu();
    void rebuildSkinMenu();

    QMenu* m_windowMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QMenu* m_skinMenu = nullptr;
    QAction* m_exitAction = nullptr;
    bool m_initialized = false;
};
