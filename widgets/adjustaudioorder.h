#pragma once
// The modal "Edit Audio" dialog: reorders, adds and removes the album's
// audio files and sets each file's start and end point while listening to
// it. It edits a copy of the list; the caller takes audioList() only after
// exec() returned accepted.

#include "clipplayer.h"
#include "storyboard.h"
#include "zudialog.h"

#include <QList>
#include <QTimer>

#include <functional>
#include <memory>

class QTreeWidgetItem;
class Ui_AdjustAudioOrderClass;

class AdjustAudioOrder : public ZuDialog
{
    Q_OBJECT
public:
    AdjustAudioOrder(const QList<AudioInfo>& list, QWidget* parent = nullptr);
    ~AdjustAudioOrder() override;

    // Makes that top-level row current.
    void setCurrentIndex(int row);
    // The edited list; what the caller takes once the dialog was accepted.
    QList<AudioInfo> audioList() const { return m_audioList; }

    // The filter text of the add dialog: every audio name filter, then one
    // entry per format, then all files.
    static QString fileDialogFilter();

    // Stands in for the multi-file open dialog while set (tests); an empty
    // function restores the real dialog.
    using FileDialogHook =
        std::function<QStringList(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)>;
    static void setFileDialogHook(FileDialogHook hook);

    // A press on the volume slider's groove moves it to the pressed point
    // (connected to its actionTriggered).
    void on_volumePositionAction_triggered();

public slots:
    void retranslate() override;

private slots:
    void on_add_clicked();
    void on_delete_2_clicked();
    void on_moveUp_clicked();
    void on_moveDown_clicked();
    void on_play_clicked();
    void on_pause_clicked();
    void on_playSegment_clicked();
    void on_stop_clicked();
    void on_setInPoint_clicked();
    void on_setOutPoint_clicked();
    void on_mute_clicked();
    void on_unmute_clicked();
    void setVolume(int value);
    void onClipStartChanged(int value);
    void onClipEndChanged(int value);
    void onThumbMouseRelease(int value);
    void updateAudioBuffer();
    void on_treeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AudioInfo* currentRecord();
    QTreeWidgetItem* makeItem(const AudioInfo& info) const;
    // Moves the current row by `offset` rows, keeping it current.
    void moveCurrent(int offset);
    // Makes `row` current without the intermediate selections a moving
    // or removed item would cause, then refreshes as a selection does.
    void selectRowQuietly(int row);
    void startPlayback();
    void showPlayingButtons();
    void updatePointButtons();
    void updateTimeLabel();
    void setIcons();

    std::unique_ptr<Ui_AdjustAudioOrderClass> ui;
    QList<AudioInfo> m_audioList;
    int m_currentRow = -1;
    double m_position = 0.0;
    ClipPlayer m_player;
    bool m_playing = false;
    bool m_segmentMode = false;
    QTimer m_timer;
    int m_volumeMouseX = -1; // pointer x on the volume slider while the left button is down, else -1
};
