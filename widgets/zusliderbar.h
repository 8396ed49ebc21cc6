#pragma once
// A horizontal slider drawn entirely from skin images: a thumb, and a clip
// region between a start tag and an end tag the user drags to choose an in
// and an out point.

#include <QPixmap>
#include <QString>
#include <QWidget>

class QPainter;

class ZuSliderBar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int horiMargin READ horiMargin WRITE setHoriMargin)
    Q_PROPERTY(int foreTop READ foreTop WRITE setForeTop)
    Q_PROPERTY(QString fore READ fore WRITE setFore)
    Q_PROPERTY(int clipForeTop READ clipForeTop WRITE setClipForeTop)
    Q_PROPERTY(QString clipFore READ clipFore WRITE setClipFore)
    Q_PROPERTY(QString clipForeSelected READ clipForeSelected WRITE setClipForeSelected)
    Q_PROPERTY(QString diableclipFore READ diableclipFore WRITE setDisableClipFore)
    Q_PROPERTY(int goneTop READ goneTop WRITE setGoneTop)
    Q_PROPERTY(QString gone READ gone WRITE setGone)
    Q_PROPERTY(int clipTagTop READ clipTagTop WRITE setClipTagTop)
    Q_PROPERTY(QString clipStart READ clipStart WRITE setClipStart)
    Q_PROPERTY(QString clipEnd READ clipEnd WRITE setClipEnd)
    Q_PROPERTY(int thumbTop READ thumbTop WRITE setThumbTop)
    Q_PROPERTY(QString thumb READ thumb WRITE setThumb)
    Q_PROPERTY(QString disableThumb READ disableThumb WRITE setDisabaleThumb)
    Q_PROPERTY(bool isThumbCenter READ isThumbCenter WRITE setIsThumbCenter)

public:
    // What setType() shows; the bits combine.
    enum TypeBits {
        ShowThumb = 1,
        ShowClipRegion = 2,
        ShowClipTags = 4
    };
    enum DragMode {
        DragNone = 0,
        DragThumb = 1,
        DragStartTag = 2,
        DragEndTag = 3
    };

    explicit ZuSliderBar(QWidget* parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // Tag positions; -1 until set here or by setRange().
    int clipStartPos() const { return m_clipStart; }
    int clipEndPos() const { return m_clipEnd; }
    // The owner moves the tags without a signal; the least clip time is not
    // enforced here, because the owner's values come from saved edits.
    void setClipStartPos(int position);
    void setClipEndPos(int position);

    void setValue(int value);
    // Takes any range with 0 <= minimum <= maximum, an empty one too, and
    // brings the value and tags into it; others are ignored.
    void setRange(int minimum, int maximum);
    void setLeastClipTime(int time) { m_leastClipTime = time; }
    int leastClipTime() const { return m_leastClipTime; }
    int type() const { return m_type; }
    int dragMode() const { return m_dragMode; }
    bool isThumbHeld() const { return m_thumbHeld; }

    int horiMargin() const { return m_horiMargin; }
    int foreTop() const { return m_foreTop; }
    QString fore() const { return m_forePath; }
    int clipForeTop() const { return m_clipForeTop; }
    QString clipFore() const { return m_clipForePath; }
    QString clipForeSelected() const { return m_clipForeSelectedPath; }
    QString diableclipFore() const { return m_disableClipForePath; }
    int goneTop() const { return m_goneTop; }
    QString gone() const { return m_gonePath; }
    int clipTagTop() const { return m_clipTagTop; }
    QString clipStart() const { return m_clipStartPath; }
    QString clipEnd() const { return m_clipEndPath; }
    int thumbTop() const { return m_thumbTop; }
    QString thumb() const { return m_thumbPath; }
    QString disableThumb() const { return m_disableThumbPath; }
    bool isThumbCenter() const { return m_isThumbCenter; }

    QSize sizeHint() const override { return QSize(200, 30); }
    QSize minimumSizeHint() const override { return QSize(200, 20); }

    // Where a position is drawn, and the position under a pointer x, in
    // widget coordinates; for tests and owners that place things beside it.
    double positionToX(int position) const;
    int xToPosition(int x) const;

public slots:
    void setHoriMargin(int margin);
    void setForeTop(int top);
    void setFore(const QString& path);
    void setClipForeTop(int top);
    void setClipFore(const QString& path);
    void setClipForeSelected(const QString& path);
    void setDisableClipFore(const QString& path);
    void setGoneTop(int top);
    void setGone(const QString& path);
    void setClipTagTop(int top);
    void setClipStart(const QString& path);
    void setClipEnd(const QString& path);
    void setThumbTop(int top);
    void setThumb(const QString& path);
    void setDisabaleThumb(const QString& path);
    void setIsThumbCenter(bool center);
    void setType(int type);

signals:
    void valueChanged(int value);
    void clipStartChanged(int value);
    void clipEndChanged(int value);
    void thumbMouseRelease(int value);
    void startTagMouseRelease(int value);
    void endTagMouseRelease(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int trackLeft() const;
    int trackRight() const;
    int trackWidth() const;
    QRect thumbRect() const;
    QRect startTagRect() const;
    QRect endTagRect() const;
    void paintThumb(QPainter& painter);
    // Logs a missing image once per image, so a skin without it does not
    // flood the log on every repaint.
    void logMissing(const QPixmap& pixmap, int image);

    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 1000;
    int m_clipStart = -1;
    int m_clipEnd = -1;
    int m_horiMargin = 0;
    int m_foreTop = -1;
    bool m_isThumbCenter = false;
    QString m_forePath;
    QPixmap m_fore;
    int m_clipForeTop = -1;
    QString m_clipForePath;
    QPixmap m_clipFore;
    QString m_clipForeSelectedPath;
    QPixmap m_clipForeSelected;
    QString m_disableClipForePath;
    QPixmap m_disableClipFore;
    int m_goneTop = -1;
    QString m_gonePath;
    QPixmap m_gone;
    int m_clipTagTop = -1;
    QString m_clipStartPath;
    QString m_clipEndPath;
    QPixmap m_clipStartTag;
    QPixmap m_clipEndTag;
    int m_thumbTop = -1;
    QString m_thumbPath;
    QString m_disableThumbPath;
    QPixmap m_thumb;
    QPixmap m_disableThumb;
    int m_type = ShowThumb | ShowClipRegion;
    int m_dragMode = DragNone;
    bool m_thumbHeld = false;
    int m_leastClipTime = 0;
    unsigned m_loggedMissing = 0; // one bit per image
};
