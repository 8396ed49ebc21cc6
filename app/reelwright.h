#pragma once
// The program's main window: the album with its two strips, the preview
// player, the album settings and commands, and the launch of a compile.
// Construction, enabling rules and the album-change refresh live in
// reelwright.cpp, playback and compile in reelwright_playback.cpp, album
// commands, imports and context menus in reelwright_commands.cpp, album
// files, the title and undo in reelwright_album.cpp.

#include "albumdocument.h"
#include "beatanalysis.h"
#include "storyboard.h"
#include "storyboardrender.h"
#include "zumainwindow.h"
#include "zumprofiledata.h"

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QStringList>

#include <functional>
#include <memory>

class AlbumProbe;
class AVPlayer;
class MediaInfoWidget;
class QAction;
class QLabel;
class QListWidgetItem;
class QMenu;
class QMimeData;
class QProgressBar;
class QTimer;
class QToolButton;
class Ui_ReelwrightClass;

class Reelwright : public ZuMainWindow
{
    Q_OBJECT

public:
    explicit Reelwright(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~Reelwright() override;

    // Stands in for the multiple-file open dialog of the imports while set
    // (tests answer it); an empty function restores the real dialog. The
    // folder import uses ZuFolderDialog and its own hook.
    using FileDialogHook =
        std::function<QStringList(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)>;
    static void setFileDialogHook(FileDialogHook hook);

    // Stand in for the file dialogs that choose an album file to open and a
    // file to save the album to while set; an empty function restores the
    // real dialog. An empty answer is a cancelled dialog.
    using AlbumDialogHook =
        std::function<QString(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)>;
    static void setOpenAlbumDialogHook(AlbumDialogHook hook);
    static void setSaveAlbumDialogHook(AlbumDialogHook hook);
    // Stands in for the file dialog that chooses a subtitle file to take
    // captions from while set; an empty answer is a cancelled dialog.
    static void setSubtitleDialogHook(AlbumDialogHook hook);

    // Opens an album file the way File > Open does (asks Save/Discard/Cancel
    // first when there are unsaved changes, reports a bad file and keeps the
    // current album, offers relinking of missing files); true when it opened.
    bool openAlbum(const QString& path);
    // Saves to `path` (the album's file from now on); false after telling the
    // user why.
    bool saveAlbum(const QString& path);
    // Empty for an album never saved.
    QString albumFilePath() const { return albumPath; }
    // Sets the album's file (the title follows) without reading or writing
    // anything: used by crash recovery.
    void setAlbumFilePath(const QString& path);
    // Asks Save/Discard/Cancel when there are unsaved changes; true when the
    // caller may go on.
    bool maybeSave();

    // The filter texts of the photo and audio file dialogs.
    static QString photoDialogFilter();
    static QString audioDialogFilter();

    // The per-photo duration in ms that makes `photoCount` photos fill
    // `audioSeconds` of sound, or -1 when it would fall outside 1..999 s.
    static int syncedPhotoMs(double audioSeconds, int photoCount, bool useTransition, double transitionSeconds,
                             double frameRate);

    // What the window shows and plays; for the program's tools and tests.
    const StoryBoardData& storyBoardData() const { return album; }
    AlbumDocument& albumDocument() { return document; }
    StoryBoardRender& storyBoardRender() { return render; }
    AVPlayer* player() const;
    int currentPlayState() const { return playState; }

    // Moves the preview to `frame` (clamped to the album), pausing first.
    void seek(int frame);

    // Opens what a command line or a file manager names: one album file
    // opens (openAlbum); photos, sounds and folders are imported through the
    // normal import path into the current album. What cannot be opened is
    // reported in one message.
    void openPaths(const QStringList& paths);

public slots:
    void retranslate() override;
    void updateProgress();
    void onStoryBoardDataChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void on_play_clicked();
    void on_pause_clicked();
    void on_stop_clicked();
    void on_previous_clicked();
    void on_next_clicked();
    void on_mute_clicked();
    void on_unmute_clicked();
    void on_volumePositionAction_triggered(int action);
    void on_importPicture_clicked();
    void on_importPictureDir_clicked();
    void on_importAudio_clicked();
    void on_deleteClip_clicked();
    void on_clear_clicked();
    void on_turnLeft_clicked();
    void on_turnRight_clicked();
    void on_mirror_clicked();
    void on_flip_clicked();
    void on_autoRotate_clicked();
    void on_autoRotateAll_clicked();
    void on_autoRotatewhileImporting_clicked(bool on);
    void on_restore_clicked();
    void on_moveLeft_clicked();
    void on_moveRight_clicked();
    void on_burn_clicked();
    void on_sliderPosition_presssed();
    void on_sliderPosition_released();
    void on_sliderPositionAction_triggered(int action);
    void on_sliderPosition_changed(int value);
    void on_fileProperty();
    void on_selectAll_clicked();
    void on_preferences_clicked();
    void on_adjustOrder_clicked();
    void on_photoListWidget_item_clicked();
    void on_audioListWidget_item_clicked();
    void on_photoListWidget_row_changed(int row);
    void on_audioListWidget_row_changed(int row);
    void on_AfterBurnAction();
    void on_sort();
    void on_sortOrder();
    void on_photoListContextMenu(bool onItem, QPoint pos);
    void on_audioListContextMenu(QPoint pos);
    void photoListChanged(const QList<ImageInfo>& list);
    void audioListChanged(const QList<AudioInfo>& list);
    void on_photoDur_changed(int ms);
    void on_sync_clicked();
    void on_transtionDur_changed(int ms);
    void on_transition_changed(int state);
    void on_dynamicZoom_changed(int state);
    void on_transitionType_changed();
    void on_audioSetting_changed();
    void on_fadeMs_changed(int ms);
    void changeScrollRange();
    void photoItemSelectChanged();
    void audioItemSelectChanged();
    void togglePlayPause();

private:
    void connectControls();
    void buildAutoRotateMenu();
    void applyInitialEnabling();
    void applyRunningEnabling();
    void mirrorAfterBurnAction();
    void showPlayState(bool playing);
    // Frames the audio strip spans at the output rate.
    quint32 audioStripFrames() const;
    // Runs the import dialog over `files` for the photo or the audio strip.
    void importFiles(const QStringList& files, bool photos);
    QStringList openFiles(const QString& dir, const QString& filter);
    void showMediaInfoNone();
    void sortFocusedStrip();
    // The output format of the last chosen profile, so that the preview frames
    // what the video will show; the built-in 640 x 480 when none can be read.
    static RenderParam chosenProfileParam();
    // Takes chosenProfileParam() for the preview when it differs.
    void followChosenProfile();
    // Sets the renderer and the preview up at renderParam, the player's size
    // kept, and shows the current frame again.
    void applyRenderParam();

    // Album files (reelwright_album.cpp).
    void connectAlbumCommands();
    void newAlbum();
    void chooseAndOpenAlbum();
    // Save, or Save As for an album never saved; false when nothing was saved.
    bool save();
    bool saveAs();
    // Opens `path` without asking about unsaved changes first.
    bool openAlbumFile(const QString& path);
    QString albumName() const;
    void updateTitle();
    void rebuildRecentMenu();
    void retranslateAlbumCommands();
    void undoOrRedo(bool redo);
    void showUndoTexts();
    // After the document changed behind the strips' backs (open, new, undo):
    // the preview, the time line, the enabling and the settings panel.
    void refreshAfterDocumentChange();
    void showAlbumSettings();
    void startProbe();
    void stopProbe();
    void showProbeProgress(int done, int total);
    // Loudness (reelwright_loudness.cpp): the controls, and measuring the
    // clips ahead while the album evens loudness out.
    void connectLoudness();
    void requestLoudness();
    void showLoudnessProgress(const QString& path, double fraction);
    QStringList loudnessRequested;
    // Beats (reelwright_beats.cpp): the analysis of the album's clips while
    // "Change photos on the beat" is on, its progress, and what it shows.
    void connectBeatAnalysis();
    void on_beatCuts_changed(int state);
    void requestBeats();
    void showBeatProgress(const QString& filePath, double done);
    void beatsFound(const QString& filePath);
    // Waits for the clips still being analysed, so a compile places its cuts
    // like the preview; false when the user cancelled.
    bool finishBeatAnalysis();
    // The beat marks and the steadiness note of the clip at `row`.
    void showClipBeats(int row);
    // Captions and title cards (reelwright_captions.cpp).
    void connectCaptions();
    void insertTitleCard();
    void editCaption();
    void importSubtitles();
    // The paused preview shows the album as it is now, once the events
    // queued with this edit are handled (typing edits once per key).
    void schedulePreviewRedraw();
    void redrawPausedPreview();
    // The photo whose caption lies on top at the shown frame, or -1.
    int photoOnScreen() const;
    // Dragging a caption in the paused preview; true when the event was
    // the drag's.
    bool captionDragEvent(QEvent* event);
    // The photo the caption editor of the panel shows: one selected photo.
    void showCaptionOfSelection(const QList<int>& photoRows);
    // The first album file among the local files of a drop, or empty.
    static QString droppedAlbum(const QMimeData* mime);

    std::unique_ptr<Ui_ReelwrightClass> form;
    int playState = 0;
    QTimer* progressTimer = nullptr;
    ZumProfileData profile;
    RenderParam renderParam;
    // Every edit goes to the document; `album` reads it.
    AlbumDocument document;
    const StoryBoardData& album = document.data();
    StoryBoardRender render;
    MediaInfoWidget* mediaInfo = nullptr;
    int focusList = -1;
    QMenu* autoRotateMenu = nullptr;
    QAction* autoRotateAction = nullptr;
    QAction* autoRotateAllAction = nullptr;
    double pixelsPerFrame = 1.0;
    QString albumPath;
    AlbumProbe* probe = nullptr;
    QLabel* probeLabel = nullptr;
    QProgressBar* probeBar = nullptr;
    BeatAnalyzer beatAnalyzer;
    QLabel* beatLabel = nullptr;
    QProgressBar* beatBar = nullptr;
    QToolButton* beatCancel = nullptr;
    QTimer* previewRedraw = nullptr;
    // The caption being dragged in the preview: its photo (-1: none) and
    // the pointer's offset from the caption's centre, in frame fractions.
    int dragPhoto = -1;
    QPointF dragOffset;
};
