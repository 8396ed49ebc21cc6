#include "zumessagebox.h"

#include "zupref.h"

#include <QMutex>

namespace {

QMutex g_hookMutex;
ZuMessageBox::AnswerHook g_hook;

} // namespace

void ZuMessageBox::info(const QString& text, const QString& title, QWidget* parent, bool productTitle)
{
    run(QMessageBox::Information, text, title, QMessageBox::Ok, parent, QMessageBox::Ok, productTitle);
}

void ZuMessageBox::alert(const QString& text, const QString& title, QWidget* parent, bool productTitle)
{
    run(QMessageBox::Warning, text, title, QMessageBox::Ok, parent, QMessageBox::Ok, productTitle);
}

QMessageBox::StandardButton ZuMessageBox::question(const QString& text, const QString& title,
                                                   QMessageBox::StandardButtons buttons, QWidget* parent,
                                                   QMessageBox::StandardButton defaultButton, bool productTitle)
{
    return run(QMessageBox::Question, text, title, buttons, parent, defaultButton, productTitle);
}

void ZuMessageBox::setAnswerHook(AnswerHook hook)
{
    QMutexLocker lock(&g_hookMutex);
    g_hook = std::move(hook);
}

QMessageBox::StandardButton ZuMessageBox::run(QMessageBox::Icon icon, const QString& text, const QString& title,
                                              QMessageBox::StandardButtons buttons, QWidget* parent,
                                              QMessageBox::StandardButton defaultButton, bool productTitle)
{
    const QString shownTitle = (title.isEmpty() && productTitle) ? ZuPref::product_name() : title;
    QMessageBox box(icon, shownTitle, text, buttons, parent);
    // Messages quote file names and service answers; none of that may turn
    // into markup (an image tag would make the box load a local file).
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return exec(box);
}

QMessageBox::StandardButton ZuMessageBox::exec(QMessageBox& box)
{
    AnswerHook hook;
    {
        QMutexLocker lock(&g_hookMutex);
        hook = g_hook;
    }
    if (hook)
        return hook(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
