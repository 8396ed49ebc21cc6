#pragma once
// A strip's drag and drop, shared by the photo and the sound strip: which
// drags a strip takes, the drag of its own rows, and what a drop of them
// means. The payload carries the dragged row numbers and a key of this one
// drag, never record addresses. Only a drop that carries exactly the payload
// of the drag in progress names rows; another program's data, an earlier
// drag's or a forged one names none.

#include <QByteArray>
#include <QList>
#include <QPixmap>
#include <QStringList>

#include <functional>

class QDrag;
class QMimeData;
class QWidget;

class StripDrag
{
public:
    // Answers a drag in place of QDrag::exec() (tests).
    using Hook = std::function<Qt::DropAction(QDrag& drag)>;

    // Where a drop of the strip's own rows puts their copies.
    struct Drop {
        QList<int> rows; // empty: not this strip's drag
        Qt::DropAction action = Qt::IgnoreAction;
        int insertRow = 0;
    };

    // Whether a strip takes a drag that enters it: local files or folders
    // its name filters match, or, when `payloadWelcome`, a payload of its
    // own format (checked row by row only at the drop).
    static bool enters(const QMimeData* mime, const QStringList& nameFilters, const QString& format,
                       bool payloadWelcome);

    // Starts a drag of `rows` and gives the payload to put in its mime data.
    QByteArray begin(const QList<int>& rows);
    void end();
    // The rows of the drag in progress when `payload` is its own and every
    // row is below `rowCount`; empty otherwise.
    QList<int> rows(const QByteArray& payload, int rowCount) const;

    // Runs the whole drag of `rows` out of `source` (begin, exec or `hook`,
    // end) and gives the action it ended with.
    Qt::DropAction run(QWidget* source, const QString& format, const QList<int>& rows, const QPixmap& pixmap,
                       Qt::DropAction defaultAction, const Hook& hook = {});

    // A drop of `mime` at `insertRow`: a copy with Control held, a move
    // otherwise. Moved forward, the copies go in after the record dropped
    // on, which spans `rowsPerRecord` rows (once the originals are gone they
    // stand where it stood).
    Drop drop(const QMimeData* mime, const QString& format, int rowCount, Qt::KeyboardModifiers modifiers,
              int insertRow, int rowsPerRecord) const;

private:
    QByteArray m_payload;
    QList<int> m_rows;
};
