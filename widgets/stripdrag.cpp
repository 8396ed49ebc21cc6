#include "stripdrag.h"

#include "filesfromurls.h"

#include <QDrag>
#include <QMimeData>
#include <QRandomGenerator>
#include <QWidget>

#include <algorithm>

bool StripDrag::enters(const QMimeData* mime, const QStringList& nameFilters, const QString& format,
                       bool payloadWelcome)
{
    if (mime->hasUrls())
        return !filesFromUrls(mime->urls(), nameFilters, true).isEmpty();
    return payloadWelcome && mime->hasFormat(format);
}

QByteArray StripDrag::begin(const QList<int>& rows)
{
    m_payload = QByteArray::number(rows.size()) + '\0';
    for (int row : rows)
        m_payload += QByteArray::number(row) + '\0';
    m_payload += QByteArray::number(QRandomGenerator::global()->generate64()) + '\0';
    m_rows = rows;
    return m_payload;
}

void StripDrag::end()
{
    m_payload.clear();
    m_rows.clear();
}

QList<int> StripDrag::rows(const QByteArray& payload, int rowCount) const
{
    if (m_payload.isEmpty() || payload != m_payload)
        return {};
    for (int row : m_rows)
        if (row < 0 || row >= rowCount)
            return {};
    return m_rows;
}

Qt::DropAction StripDrag::run(QWidget* source, const QString& format, const QList<int>& rows, const QPixmap& pixmap,
                              Qt::DropAction defaultAction, const Hook& hook)
{
    auto* mime = new QMimeData;
    mime->setData(format, begin(rows));
    // On the heap: Qt deletes a drag it has run itself, later.
    auto* drag = new QDrag(source);
    drag->setMimeData(mime);
    if (!pixmap.isNull())
        drag->setPixmap(pixmap);
    Qt::DropAction action;
    if (hook) {
        action = hook(*drag);
        drag->deleteLater();
    } else {
        action = drag->exec(Qt::CopyAction | Qt::MoveAction, defaultAction);
    }
    end();
    return action;
}

StripDrag::Drop StripDrag::drop(const QMimeData* mime, const QString& format, int rowCount,
                                Qt::KeyboardModifiers modifiers, int insertRow, int rowsPerRecord) const
{
    Drop result;
    result.insertRow = insertRow;
    if (!mime->hasFormat(format))
        return result;
    result.rows = rows(mime->data(format), rowCount);
    if (result.rows.isEmpty())
        return result;
    result.action = (modifiers & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
    if (result.action == Qt::MoveAction && result.rows.last() < insertRow)
        result.insertRow = std::min(insertRow + rowsPerRecord, rowCount);
    return result;
}
