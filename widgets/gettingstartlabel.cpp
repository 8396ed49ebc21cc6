#include "gettingstartlabel.h"

#include "zuapplication.h"
#include "zulangitemmodel.h"
#include "zupref.h"

#include <QFileInfo>
#include <QPainter>

GettingStartLabel::GettingStartLabel(QWidget* parent, Qt::WindowFlags f)
    : QLabel(parent, f)
    // A skin without its own picture still greets the user.
    , m_gettingStart(ZuPref::skinDir() + QStringLiteral("/app_reelwright/gettingstart.png"))
{}

void GettingStartLabel::retranslate()
{
    ZuLangItemModel* model = m_langModel ? m_langModel : (zuApp ? zuApp->langModel() : nullptr);
    const ZuLang* lang = model ? model->currentLang() : nullptr;
    const QString language = lang ? lang->localeName() : QStringLiteral("en_US");

    QString path = m_gettingStart;
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (language.compare(QStringLiteral("en_US"), Qt::CaseInsensitive) != 0 && dot >= 0) {
        const QString localized = path.left(dot) + QLatin1Char('_') + language + path.mid(dot);
        if (QFileInfo::exists(localized))
            path = localized;
    }
    m_image = QImage(path);
    update();
}

void GettingStartLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_image.isNull())
        return;
    QPainter painter(this);
    const int x = (width() - m_image.width()) / 2;
    const int y = std::min((height() - m_image.height()) / 2, 20);
    painter.drawImage(x, y, m_image);
}
