#include "stripdrag.h"

#include <QRandomGenerator>

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
