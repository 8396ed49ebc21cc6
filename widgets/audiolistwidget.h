#pragma once
// The sound strip: the album document's audio files drawn to the photo
// strip's time scale, reordered by drag and drop or the move commands, fed by
// drops of outside files through the import dialog. Edits go to the document.

#include <QList>
#include <QListWidget>
#include <QPoint>
#include <QStringList>

#include "storyboard.h"
#include "stripdocument.h"
#include "stripdrag.h"

class AlbumDocument;
class AudioListWidget;

// The strip's clips under their long-standing member name: a read-only view
// of its document's list, usable wherever that list is.
class AudioClipsView
{
public:
    explicit AudioClipsView(const AudioListWidget& strip)
        : m_strip(strip)
    {}
    AudioClipsView(const AudioClipsView&) = delete;
    AudioClipsView& operator=(const AudioClipsView&) = delete;

    const QList<AudioInfo>& list() const;
    operator const QList<AudioInfo>&() const { return list(); }
    qsizetype size() const { return list().size(); }
    bool isEmpty() const { return list().isEmpty(); }
    const AudioInfo& at(qsizetype i) const { return list().at(i); }
    QList<AudioInfo>::const_iterator begin() const { return list().cbegin(); }
    QList<AudioInfo>::const_iterator end() const { return list().cend(); }

private:
    const AudioListWidget& m_strip;
};

class AudioListWidget : public QListWidget
{
    Q_OBJECT
public:
    explicit AudioListWidget(QWidget* parent = nullptr);
    ~AudioListWidget() override;

    // Accepted audio name patterns; every drop and folder expansion uses them.
    static QStringList m_nameFilters;

    // The album shown and edited. A strip starts with a document of its own;
    // the window hands it the album's. Not owned unless it is that first one.
    void setDocument(AlbumDocument* document);
    AlbumDocument* document() const;

    // Inserts at insertRow without repainting or announcing; a batch ends
    // with finishItemsAdding().
    void addFile(const AudioInfo& info);
    // Imports `files` at insertRow through the import dialog and finishes
    // the batch; true when any clip was added.
    bool importFiles(const QStringList& files);
    // Content x where the strip's items end; 0 when empty.
    int pixelInRange() const;

    void setImageForItem(int row, int grayWidth);

    // Small ticks on the clip at `row`, one per beat, each at its share
    // (0..1) of the clip's length; an empty list or row -1 shows none.
    void setBeatMarks(int row, const QVector<double>& shares);
    int beatMarkRow() const { return m_beatRow; }
    const QVector<double>& beatMarks() const { return m_beatShares; }
    void setToolTipForItem(int row);

    // The records in strip order.
    const AudioClipsView audios{*this};
    // Seconds of audio per horizontal pixel, shared with the photo strip.
    double durationPerPixel;

public slots:
    void finishItemsAdding();
    void clear();
    void setDurationPerPixel(int pixelRange, double durationPerPixel);
    void updateItemsView();
    void sort(SortType type, bool ascending);
    void adjustOrder(const QList<AudioInfo>& list);
    void selectionDelete(bool keepView);
    void selectionMoveLeft();
    void selectionMoveRight();
    // Opens "Edit Audio" on the strip's clips with `row` current, and takes
    // its list if it is accepted. Every way of editing comes through here.
    void editOrder(int row);
    virtual void retranslate();

signals:
    // Sent before "Edit Audio" opens: it plays the files itself, so any
    // other playback must stop first.
    void orderEditAboutToOpen();
    void audioListAboutToChange();
    void audioListChanged(const QList<AudioInfo>& audioList);
    void contextMenu(QPoint pos);
    void sizeChanged();

protected slots:
    void on_itemDoubleClicked(QListWidgetItem* item);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    QPoint pressPos;
    int m_beatRow = -1;
    QVector<double> m_beatShares;
    int insertRow = 0;
    int pixelRange = 0;

private slots:
    void insertClipItems(int first, int count);
    void removeClipItems(int first, int count);
    void moveClipItems(int first, int count, int to);
    void rebuildItems();

private:
    QList<int> selectedRows() const;
    // Moves the selected run to `to` (an index without the run), selects it
    // there and scrolls the way it went.
    void moveSelectionTo(int first, int count, int to, bool right);
    void runDrag(const QList<int>& rows);

    StripDrag m_drag;
    StripDocument m_document;
};
