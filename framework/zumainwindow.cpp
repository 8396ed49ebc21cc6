#include "zumainwindow.h"

#include "settingskeys.h"
#include "zuappcontext.h"
#include "zulangitemmodel.h"
#include "zupref.h"
#include "zuskinitemmodel.h"

#include <QActionGroup>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

ZuMainWindow::ZuMainWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , ZuWidgetHelper(this)
{
    m_windowMenu = new QMenu(this);
    m_windowMenu->setObjectName(QStringLiteral("zufc_window_menu"));
    m_languageMenu = m_windowMenu->addMenu(QString());
    m_skinMenu = m_windowMenu->addMenu(QString());
    m_windowMenu->addSeparator();
    m_exitAction = m_windowMenu->addAction(QString());
    m_exitAction->setMenuRole(QAction::QuitRole);
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);
    // The program's own commands follow the exit command, so keep it last by
    // moving it whenever the menu is about to show.
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] {
        m_windowMenu->removeAction(m_exitAction);
        m_windowMenu->addAction(m_exitAction);
    });

    if (ZuAppContext* app = ZuAppContext::current()) {
        connect(app->langModel(), &ZuLangItemModel::currentLangChanged, this, &ZuMainWindow::rebuildLanguageMenu);
        connect(app->skinModel(), &ZuSkinItemModel::currentSkinChanged, this, [this] {
            rebuildSkinMenu();
            setSkin();
        });
    }
    rebuildLanguageMenu();
    rebuildSkinMenu();
    retranslate();
}

ZuMainWindow::~ZuMainWindow() = default;

void ZuMainWindow::initialize()
{
    if (m_initialized)
        return;
    m_initialized = true;
    menuBar()->addMenu(m_windowMenu);
    enableRestoreFrameGeometry(true);
    restoreFrameGeometry();
    setSkin();
    retranslate();
}

QWidget* ZuMainWindow::widgetFrame() { return this; }

void ZuMainWindow::show(bool activate)
{
    QMainWindow::show();
    if (activate) {
        raise();
        activateWindow();
    }
}

void ZuMainWindow::setAutoCheckUpdate(bool enable)
{
    ZuPref::instance()->setValue(SettingsKey::AutoCheckUpdateEnable, enable);
}

void ZuMainWindow::setAutoCheckUpdateInterval(int days)
{
    ZuPref::instance()->setValue(SettingsKey::AutoCheckUpdateInterval, days);
}

void ZuMainWindow::setMyFixedSize(const QSize& size)
{
    setFixedSize(size);
    setDefaultSize(size);
}

void ZuMainWindow::SetStatusBarVisible(bool visible) { statusBar()->setVisible(visible); }

void ZuMainWindow::retranslate()
{
    m_windowMenu->setTitle(tr("&Tools"));
    m_languageMenu->setTitle(tr("&Language"));
    m_skinMenu->setTitle(tr("&Skin"));
    m_exitAction->setText(tr("E&xit"));
}

void ZuMainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QMainWindow::changeEvent(event);
}

namespace {

// Fills `menu` with one checkable entry per row of `model`; choosing one
// calls `choose` with the row's name.
template <typename Model, typename Choose>
void fillChoiceMenu(QMenu* menu, Model* model, const QString& current, int nameRole, Choose choose)
{
    menu->clear();
    qDeleteAll(menu->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    auto* group = new QActionGroup(menu);
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        const QString name = model->data(index, nameRole).toString();
        QAction* action = menu->addAction(model->data(index, Qt::DisplayRole).toString());
        action->setCheckable(true);
        action->setChecked(name.compare(current, Qt::CaseInsensitive) == 0);
        action->setActionGroup(group);
        QObject::connect(action, &QAction::triggered, menu, [choose, name] { choose(name); });
    }
    menu->setEnabled(model->rowCount() > 1);
}

} // namespace

void ZuMainWindow::rebuildLanguageMenu()
{
    ZuAppContext* app = ZuAppContext::current();
    if (!app) {
        m_languageMenu->setEnabled(false);
        return;
    }
    ZuLangItemModel* model = app->langModel();
    fillChoiceMenu(m_languageMenu, model, model->currentLangName(), ZuLangItemModel::NameRole,
                   [model](const QString& name) { model->setCurrentLang(name); });
}

void ZuMainWindow::rebuildSkinMenu()
{
    ZuAppContext* app = ZuAppContext::current();
    if (!app) {
        m_skinMenu->setEnabled(false);
        return;
    }
    ZuSkinItemModel* model = app->skinModel();
    fillChoiceMenu(m_skinMenu, model, model->currentSkinName(), Qt::UserRole,
                   [model](const QString& name) { model->setCurrentSkin(name); });
}
