#include "zu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <QWidget>
#include <qdrawutil.h>

namespace {

// Longest single name most file systems accept, in bytes of the file-name
// encoding.
constexpr int kMaxNameBytes = 255;
constexpr int kMaxPathBytes = 4095;

bool hasForbiddenCharacter(const QString& path)
{
#ifdef Q_OS_WIN
    static const QString forbidden = QStringLiteral("<>\"|?*");
    for (int i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (c.unicode() < 0x20 || forbidden.contains(c))
            return true;
        // A colon is only allowed right after the drive letter.
        if (c == QLatin1Char(':') && i != 1)
            return true;
    }
    return false;
#else
    return path.contains(QChar(0));
#endif
}

} // namespace

namespace Zu {

QString nearestExistingFolder(const QString& path)
{
    if (path.trimmed().isEmpty())
        return QString();
    QString existing = QDir::cleanPath(QDir(path).absolutePath());
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing)
            return QString();
        existing = parent;
    }
    return QFileInfo(existing).isDir() ? existing : QString();
}

bool isFolderWritable(const QString& path)
{
    // A folder that is not there yet is judged by the folder it would be
    // made in; making it is left to whoever writes into it, so a check that
    // is answered "no" or a dialog that is cancelled leaves nothing behind.
    const QString existing = nearestExistingFolder(path);
    if (existing.isEmpty())
        return false;
    // Permission bits lie on read-only mounts and for root, so only a file
    // that was really created counts.
    QTemporaryFile probe(QDir(existing).absoluteFilePath(QStringLiteral(".zu_write_probe_XXXXXX")));
    if (!probe.open())
        return false;
    if (probe.write("x", 1) != 1)
        return false;
    probe.close();
    return true;
}

bool isFolderNameValid(const QString& path, bool requireAbsolute)
{
    if (path.trimmed().isEmpty())
        return false;
    if (hasForbiddenCharacter(path))
        return false;
    // A name that cannot survive the trip into the file-name encoding would
    // land on disk under another name.
    const QByteArray encoded = QFile::encodeName(path);
    if (QFile::decodeName(encoded) != path)
        return false;
    if (encoded.size() > kMaxPathBytes)
        return false;
    if (requireAbsolute && QDir::isRelativePath(path))
        return false;
    const QStringList parts = QDir::fromNativeSeparators(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (QFile::encodeName(part).size() > kMaxNameBytes)
            return false;
    }
    const QFileInfo info(path);
    if (info.exists() && !info.isDir())
        return false;
    return true;
}

QString labelElidedText(const QLabel* label, const QString& text)
{
    if (!label)
        return text;
    const int width = label->contentsRect().width() - 2 * label->margin() - 2 * label->indent();
    return label->fontMetrics().elidedText(text, Qt::ElideMiddle, qMax(0, width));
}

void moveCenter(QWidget* widget)
{
    if (!widget)
        return;
    QRect area;
    QWidget* parent = widget->isWindow() ? widget->parentWidget() : nullptr;
    if (parent) {
        QWidget* top = parent->window();
        area = top->frameGeometry();
    } else if (!widget->isWindow() && widget->parentWidget()) {
        area = widget->parentWidget()->rect();
    } else {
        QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    QRect frame = widget->frameGeometry();
    frame.moveCenter(area.center());
    widget->move(frame.topLeft());
}

QPixmap scaleBorderImage(const QPixmap& pixmap, const QSize& size, int left, int top, int right, int bottom)
{
    if (pixmap.isNull() || size.isEmpty())
        return QPixmap();
    QPixmap result(size);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    const QMargins margins(left, top, right, bottom);
    qDrawBorderPixmap(&painter, QRect(QPoint(0, 0), size), margins, pixmap, pixmap.rect(), margins);
    painter.end();
    return result;
}

QString appDataPath()
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (path.isEmpty())
        path = QDir::homePath();
    path += QLatin1Char('/') + QStringLiteral("Reelwright");
    QDir().mkpath(path);
    return path;
}

QString docPath()
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return path.isEmpty() ? QDir::homePath() : path;
}

QString getFileName(const QString& path)
{
    QString p = path;
    const QUrl url(path);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        p = url.path();
    else
        p = p.section(QLatin1Char('?'), 0, 0).section(QLatin1Char('#'), 0, 0);
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p.section(QLatin1Char('/'), -1);
}

} // namespace Zu
