#include "zufolderdialog.h"

#include <QFileDialog>
#include <QMutex>

namespace {

QMutex g_hookMutex;
ZuFolderDialog::AnswerHook g_hook;

} // namespace

QString ZuFolderDialog::getExistingDirectory(QWidget* parent, const QString& caption, const QString& folder)
{
    AnswerHook hook;
    {
        QMutexLocker lock(&g_hookMutex);
        hook = g_hook;
    }
    if (hook)
        return hook(folder);
    return QFileDialog::getExistingDirectory(parent, caption, folder,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void ZuFolderDialog::setAnswerHook(AnswerHook hook)
{
    QMutexLocker lock(&g_hookMutex);
    g_hook = std::move(hook);
}
