#pragma once
// The payload of a strip's drag within itself: the dragged row numbers and a
// key of this one drag, never record addresses. Only a drop that carries
// exactly the payload of the drag in progress names rows; another program's
// data, an earlier drag's or a forged one names none.

#include <QByteArray>
#include <QList>

class StripDrag
{
public:
    // Starts a drag of `rows` and gives the payload to put in its mime data.
    QByteArray begin(const QList<int>& rows);
    void end();
    // The rows of the drag in progress when `payload` is its own and every
    // row is below `rowCount`; empty otherwise.
    QList<int> rows(const QByteArray& payload, int rowCount) const;

private:
    QByteArray m_payload;
    QList<int> m_rows;
};
