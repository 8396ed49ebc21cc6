#include "zuwidgethelper.h"

#include "settingskeys.h"
#include "zuappcontext.h"
#include "zupref.h"
#include "zuskinitemmodel.h"

#include <QEvent>
#include <QStyle>
#include <QWidget>

// Saves the geometry when the window hides; a child object so it goes away
// with the widget.
class ZuWidgetHelper::GeometryWatcher : public QObject
{
public:
    GeometryWatcher(ZuWidgetHelper* helper, QWidget* widget)
        : QObject(widget)
        , m_helper(helper)
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched == parent())
            m_helper->saveFrameGeometry();
        return false;
    }

private:
    ZuWidgetHelper* m_helper;
};

ZuWidgetHelper::ZuWidgetHelper(QWidget* widget)
    : m_widget(widget)
{}

ZuWidgetHelper::~ZuWidgetHelper()
{
    // The widget part of the derived class dies after this helper part;
    // stop watching before the helper pointer dangles.
    if (m_watcher)
        m_widget->removeEventFilter(m_watcher);
}

void ZuWidgetHelper::setAllWindowTitle(const QString& text)
{
    m_widget->setWindowTitle(text);
    QWidget* top = m_widget->window();
    if (top != m_widget)
        top->setWindowTitle(text);
}

void ZuWidgetHelper::setDefaultSize(const QSize& size)
{
    m_defaultSize = size;
    if (size.isValid())
        m_widget->resize(size);
}

void ZuWidgetHelper::setSkin()
{
    if (ZuAppContext* app = ZuAppContext::current()) {
        const ZuSkin* skin = app->skinModel()->currentSkin();
        const bool translucent =
            skin && !skin->styleSheet().isEmpty() && ZuPref::instance()->tanslucentWhenSkin() && m_widget->isWindow();
        m_widget->setAttribute(Qt::WA_TranslucentBackground, translucent);
    }
    QStyle* style = m_widget->style();
    style->unpolish(m_widget);
    style->polish(m_widget);
    m_widget->update();
}

void ZuWidgetHelper::enableRestoreFrameGeometry(bool enable)
{
    if (enable && !m_watcher) {
        m_watcher = new GeometryWatcher(this, m_widget);
    } else if (!enable && m_watcher) {
        m_widget->removeEventFilter(m_watcher);
        delete m_watcher;
        m_watcher = nullptr;
    }
}

bool ZuWidgetHelper::restoreFrameGeometry()
{
    const QByteArray geometry = ZuPref::instance()->value(geometryKey()).toByteArray();
    if (geometry.isEmpty() || !m_widget->restoreGeometry(geometry)) {
        if (m_defaultSize.isValid())
            m_widget->resize(m_defaultSize);
        return false;
    }
    return true;
}

void ZuWidgetHelper::saveFrameGeometry() { ZuPref::instance()->setValue(geometryKey(), m_widget->saveGeometry()); }

QString ZuWidgetHelper::geometryKey() const
{
    QString name = m_widget->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(m_widget->metaObject()->className());
    return QString(SettingsKey::GeometryPrefix) + name;
}
