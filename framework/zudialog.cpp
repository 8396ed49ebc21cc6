#include "zudialog.h"

#include <QEvent>

ZuDialog::ZuDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , ZuWidgetHelper(this)
{}

void ZuDialog::retranslate() {}

void ZuDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}
