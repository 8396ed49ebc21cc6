#include "reelwright.h"

#include "audiolistwidget.h"
#include "avplayer.h"
#include "captioneditor.h"
#include "filesfromurls.h"
#include "gettingstartlabel.h"
#include "logcategories.h"
#include "mediainfowidget.h"
#include "photolistwidget.h"
#include "settingskeys.h"
#include "timefunctions.h"
#include "transportkeys.h"
#include "ui_reelwright.h"
#include "zu.h"
#include "zupref.h"

#include <QDebug>
#include <QLoggingCategory>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

namespace {

// Many command slots follow the on_<name>_<signal> scheme without a widget
// of that name (menu commands, strip notifications); they are connected by
// hand, so the form's automatic connection would only warn about each one.
QLoggingCategory::CategoryFilter previousLogFilter = nullptr;

void quietSlotsByName(QLoggingCategory* category)
{
    if (previousLogFilter)
        previousLogFilter(category);
    if (qstrcmp(category->categoryName(), "qt.core.qmetaobject.connectslotsbyname") == 0)
        category->setEnabled(QtWarningMsg, false);
}

} // namespace

Reelwright::Reelwright(QWidget* parent, Qt::WindowFlags flags)
    : ZuMainWindow(parent, flags)
    , form(std::make_unique<Ui_ReelwrightClass>())
    , document(ZuPref::appDir() + QStringLiteral("/pattern"))
{
    previousLogFilter = QLoggingCategory::installFilter(quietSlotsByName);
    form->setupUi(this);
    QLoggingCategory::installFilter(previousLogFilter);
    mediaInfo = new MediaInfoWidget(this);
    mediaInfo->hide();
    Zu::moveCenter(mediaInfo);

    renderParam = chosenProfileParam();
    render.init(renderParam);
    render.setStoryBoard(document.storyBoard());
    form->photoListWidget->setDocument(&document);
    form->audioListWidget->setDocument(&document);
    form->avPlayer->init(renderParam);
    form->avPlayer->render = &render;
    form->gettingStart->show();
    form->avPlayer->hide();
    form->avPlayer->clear();

    connectControls();
    connectAlbumCommands();
    connectCaptions();
    buildAutoRotateMenu();
    // A click on the preview gives it the keys, so Space plays from there.
    form->avPlayer->setFocusPolicy(Qt::ClickFocus);
    new TransportKeys(this, {form->playerFrame, form->position, form->previous, form->play, form->pause, form->stop,
                             form->next, form->mute, form->unmute});

    initialize();
    windowMenu()->addSeparator();
    QAction* preferences = windowMenu()->addAction(tr("&Preferences..."));
    preferences->setObjectName(QStringLiteral("actionPreferences"));
    preferences->setMenuRole(QAction::PreferencesRole);
    connect(preferences, &QAction::triggered, this, &Reelwright::on_preferences_clicked);

    form->timeCode->setText(QStringLiteral("00:00:00 / 00:00:00"));
    applyInitialEnabling();
    mirrorAfterBurnAction();
    showPlayState(false);
    applyRunningEnabling();
    changeScrollRange();

    ZuPref* pref = ZuPref::instance();
    if (pref->value(SettingsKey::FirstStart, SettingsDefault::FirstStart).toBool()) {
        setAutoCheckUpdate(true);
        setAutoCheckUpdateInterval(1);
        pref->setValue(SettingsKey::FirstStart, false);
    }

    form->checkBox_3->hide();
    form->menuPostTaskActions->menuAction()->setVisible(false);
    form->menuActions->removeAction(form->menuPostTaskActions->menuAction());

    PhotoListWidget::m_nameFilters = photoNameFilters();
    AudioListWidget::m_nameFilters = audioNameFilters();

    // Album first, then the settings panel, the strips and the tool row.
    setTabOrder(form->spinBox, form->spinBox_2);
    retranslate();
    onStoryBoardDataChanged();
}

Reelwright::~Reelwright()
{
    stopProbe();
    beatAnalyzer.cancel();
    on_pause_clicked();
    // The player's renderer pointer must not outlive the renderer member,
    // which goes before the form's widgets.
    form->avPlayer->render = nullptr;
}

AVPlayer* Reelwright::player() const { return form->avPlayer; }

void Reelwright::connectControls()
{
    Ui_ReelwrightClass& f = *form;
    showAlbumSettings();
    f.radioButton_2->setEnabled(!album.patternFiles.isEmpty());
    connect(f.spinBox, &QSpinBox::valueChanged, this, &Reelwright::on_photoDur_changed);
    connect(f.spinBox_2, &QSpinBox::valueChanged, this, &Reelwright::on_transtionDur_changed);
    connect(f.checkBox, &QCheckBox::stateChanged, this, &Reelwright::on_transition_changed);
    connect(f.radioButton, &QRadioButton::toggled, this, &Reelwright::on_transitionType_changed);
    connect(f.checkBoxUseDynamicZoom, &QCheckBox::stateChanged, this, &Reelwright::on_dynamicZoom_changed);
    connect(f.checkBox_2, &QCheckBox::released, this, &Reelwright::on_audioSetting_changed);
    connect(f.checkBox_3, &QCheckBox::released, this, &Reelwright::on_audioSetting_changed);
    connect(f.syncAlbum, &QToolButton::released, this, &Reelwright::on_sync_clicked);
    connectLoudness();
    connectBeatAnalysis();

    f.position->setMaximum(0);
    f.position->setValue(0);
    connect(f.position, &QSlider::sliderPressed, this, &Reelwright::on_sliderPosition_presssed);
    connect(f.position, &QSlider::sliderReleased, this, &Reelwright::on_sliderPosition_released);
    connect(f.position, &QSlider::actionTriggered, this, &Reelwright::on_sliderPositionAction_triggered);
    connect(f.position, &QSlider::valueChanged, this, &Reelwright::on_sliderPosition_changed);
    f.mute->show();
    f.unmute->hide();
    f.volume->setMaximum(100);
    f.volume->setValue(100);
    connect(f.volume, &QSlider::valueChanged, f.avPlayer, &AVPlayer::setVolume);
    connect(f.volume, &QSlider::actionTriggered, this, &Reelwright::on_volumePositionAction_triggered);

    progressTimer = new QTimer(this);
    connect(progressTimer, &QTimer::timeout, this, &Reelwright::updateProgress);

    PhotoListWidget* photos = f.photoListWidget;
    connect(photos, &PhotoListWidget::photoListAboutToChange, this, &Reelwright::on_pause_clicked);
    connect(photos, &PhotoListWidget::photoListChanged, this, &Reelwright::photoListChanged);
    connect(photos, &QListWidget::itemSelectionChanged, this, &Reelwright::photoItemSelectChanged);
    connect(photos, &QListWidget::currentRowChanged, this, &Reelwright::on_photoListWidget_row_changed);
    connect(photos, &QListWidget::itemClicked, this, &Reelwright::on_photoListWidget_item_clicked);
    connect(photos, &PhotoListWidget::sizeChanged, this, &Reelwright::changeScrollRange);
    connect(photos, &PhotoListWidget::contextMenu, this, &Reelwright::on_photoListContextMenu);
    AudioListWidget* audios = f.audioListWidget;
    connect(audios, &AudioListWidget::audioListAboutToChange, this, &Reelwright::on_pause_clicked);
    connect(audios, &AudioListWidget::orderEditAboutToOpen, this, &Reelwright::on_pause_clicked);
    connect(audios, &AudioListWidget::audioListChanged, this, &Reelwright::audioListChanged);
    connect(audios, &QListWidget::itemSelectionChanged, this, &Reelwright::audioItemSelectChanged);
    connect(audios, &QListWidget::currentRowChanged, this, &Reelwright::on_audioListWidget_row_changed);
    connect(audios, &QListWidget::itemClicked, this, &Reelwright::on_audioListWidget_item_clicked);
    connect(audios, &AudioListWidget::sizeChanged, this, &Reelwright::changeScrollRange);
    connect(audios, &AudioListWidget::contextMenu, this, &Reelwright::on_audioListContextMenu);
    for (QAbstractItemModel* model : {photos->model(), audios->model()}) {
        connect(model, &QAbstractItemModel::rowsRemoved, this, &Reelwright::changeScrollRange);
        connect(model, &QAbstractItemModel::rowsInserted, this, &Reelwright::changeScrollRange);
    }

    // The two strips scroll as one; setValue does nothing on an equal value,
    // so the three bars do not echo each other for ever.
    for (QScrollBar* bar : {photos->horizontalScrollBar(), audios->horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, f.horizontalScrollBar, &QScrollBar::setValue);
        connect(f.horizontalScrollBar, &QScrollBar::valueChanged, bar, &QScrollBar::setValue);
    }

    connect(f.actionImportPhotos, &QAction::triggered, this, &Reelwright::on_importPicture_clicked);
    connect(f.actionImportPhotoFolder, &QAction::triggered, this, &Reelwright::on_importPictureDir_clicked);
    connect(f.actionImportAudio, &QAction::triggered, this, &Reelwright::on_importAudio_clicked);
    connect(f.actionCreateVideo, &QAction::triggered, this, &Reelwright::on_burn_clicked);
    connect(f.actionSelectAll, &QAction::triggered, this, &Reelwright::on_selectAll_clicked);
    connect(f.actionDelete, &QAction::triggered, this, &Reelwright::on_deleteClip_clicked);
    connect(f.actionClear, &QAction::triggered, this, &Reelwright::on_clear_clicked);
    connect(f.actionTurnLeft, &QAction::triggered, this, &Reelwright::on_turnLeft_clicked);
    connect(f.actionTurnRight, &QAction::triggered, this, &Reelwright::on_turnRight_clicked);
    connect(f.actionMirror, &QAction::triggered, this, &Reelwright::on_mirror_clicked);
    connect(f.actionFlip, &QAction::triggered, this, &Reelwright::on_flip_clicked);
    connect(f.actionRestore, &QAction::triggered, this, &Reelwright::on_restore_clicked);
    connect(f.actionAutoRotateAll, &QAction::triggered, this, &Reelwright::on_autoRotateAll_clicked);
    connect(f.actionMoveLeft, &QAction::triggered, this, &Reelwright::on_moveLeft_clicked);
    connect(f.actionMoveRight, &QAction::triggered, this, &Reelwright::on_moveRight_clicked);
    connect(f.actionProperties, &QAction::triggered, this, &Reelwright::on_fileProperty);
    connect(f.actionAutoRotateWhileImporting, &QAction::triggered, this,
            &Reelwright::on_autoRotatewhileImporting_clicked);
    for (QAction* action : {f.actionSortName, f.actionSortDate, f.actionSortType, f.actionSortSize})
        connect(action, &QAction::triggered, this, &Reelwright::on_sort);
    for (QAction* action : {f.actionAscending, f.actionDescending})
        connect(action, &QAction::triggered, this, &Reelwright::on_sortOrder);
    connect(f.actionPlayPause, &QAction::triggered, this, &Reelwright::togglePlayPause);
    connect(f.actionGoToStart, &QAction::triggered, this, [this] {
        seek(0);
        form->horizontalScrollBar->setValue(0);
    });
    for (QAction* action :
         {f.actionDoNothing, f.actionExitProgram, f.actionShutDown, f.actionHibernate, f.actionStandBy})
        connect(action, &QAction::triggered, this, &Reelwright::on_AfterBurnAction);
}

void Reelwright::buildAutoRotateMenu()
{
    autoRotateMenu = new QMenu(this);
    autoRotateAction = autoRotateMenu->addAction(tr("Auto Rotate"));
    autoRotateAllAction = autoRotateMenu->addAction(tr("Auto Rotate All Photos"));
    connect(autoRotateAction, &QAction::triggered, this, &Reelwright::on_autoRotate_clicked);
    connect(autoRotateAllAction, &QAction::triggered, this, &Reelwright::on_autoRotateAll_clicked);
    autoRotateMenu->addSeparator();
    autoRotateMenu->addAction(form->actionAutoRotateWhileImporting);
    form->autoRotate->setMenu(autoRotateMenu);
}

void Reelwright::applyInitialEnabling()
{
    Ui_ReelwrightClass& f = *form;
    for (QWidget* w : std::initializer_list<QWidget*>{f.burn, f.play, f.stop, f.previous, f.next, f.moveLeft,
                                                      f.moveRight, f.deleteClip, f.turnLeft, f.turnRight, f.mirror,
                                                      f.flip, f.autoRotate, f.restore})
        w->setEnabled(false);
    for (QAction* a :
         {f.actionCreateVideo, f.actionSelectAll, f.actionDelete, f.actionTurnLeft, f.actionTurnRight, f.actionMirror,
          f.actionFlip, f.actionRestore, f.actionAutoRotateAll, f.actionMoveLeft, f.actionMoveRight, f.actionPlayPause})
        a->setEnabled(false);
    f.actionEditCaption->setEnabled(false);
    f.pause->hide();
}

void Reelwright::applyRunningEnabling()
{
    Ui_ReelwrightClass& f = *form;
    const bool playing = playState == 1;
    const bool photos = !album.photos.isEmpty();
    const bool clips = !album.audios.isEmpty();
    const bool patterns = !album.patternFiles.isEmpty();
    f.play->setEnabled(photos && !playing && form->avPlayer->currentFrame < render.totalFrames);
    f.pause->setEnabled(photos && playing);
    f.stop->setEnabled(photos && playState != 0);
    f.actionPlayPause->setEnabled(photos);
    f.actionGoToStart->setEnabled(photos);
    for (QWidget* w : std::initializer_list<QWidget*>{f.spinBox, f.spinBox_2, f.checkBox, f.checkBoxUseDynamicZoom,
                                                      f.checkBox_3, f.adjustOrder})
        w->setEnabled(!playing);
    f.checkBoxEvenLoudness->setEnabled(!playing);
    f.spinBoxFadeMs->setEnabled(!playing);
    f.groupCaption->setEnabled(!playing);
    f.radioButton->setEnabled(f.checkBox->isChecked() && !playing);
    f.radioButton_2->setEnabled(f.checkBox->isChecked() && patterns && !playing);
    f.checkBox_2->setEnabled(clips && !playing);
    f.syncAlbum->setEnabled(photos && clips && !playing);
}

void Reelwright::photoItemSelectChanged()
{
    Ui_ReelwrightClass& f = *form;
    focusList = 0;
    {
        const QSignalBlocker blocker(f.audioListWidget);
        f.audioListWidget->clearSelection();
        f.audioListWidget->setCurrentRow(-1);
    }
    QList<int> rows;
    for (const QModelIndex& index : f.photoListWidget->selectionModel()->selectedIndexes())
        if (index.row() % 2 == 0)
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    const bool any = !rows.isEmpty();
    const bool left = any && rows.first() != 0;
    const bool right = any && rows.last() != f.photoListWidget->count() - 1;
    f.moveLeft->setEnabled(left);
    f.actionMoveLeft->setEnabled(left);
    f.moveRight->setEnabled(right);
    f.actionMoveRight->setEnabled(right);
    f.actionSelectAll->setEnabled(f.photoListWidget->count() > 0);
    for (QWidget* w : std::initializer_list<QWidget*>{f.deleteClip, f.turnLeft, f.turnRight, f.mirror, f.flip,
                                                      f.autoRotate, f.restore})
        w->setEnabled(any);
    for (QAction* a :
         {f.actionDelete, f.actionTurnLeft, f.actionTurnRight, f.actionMirror, f.actionFlip, f.actionRestore})
        a->setEnabled(any);
    showCaptionOfSelection(rows);
}

void Reelwright::audioItemSelectChanged()
{
    Ui_ReelwrightClass& f = *form;
    focusList = 1;
    {
        const QSignalBlocker blocker(f.photoListWidget);
        f.photoListWidget->clearSelection();
        f.photoListWidget->setCurrentRow(-1);
    }
    QList<int> rows;
    for (const QModelIndex& index : f.audioListWidget->selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    const bool any = !rows.isEmpty();
    const bool left = any && rows.first() != 0;
    const bool right = any && rows.last() != f.audioListWidget->count() - 1;
    f.moveLeft->setEnabled(left);
    f.actionMoveLeft->setEnabled(left);
    f.moveRight->setEnabled(right);
    f.actionMoveRight->setEnabled(right);
    f.actionSelectAll->setEnabled(f.audioListWidget->count() > 0);
    f.deleteClip->setEnabled(any);
    f.actionDelete->setEnabled(any);
    for (QWidget* w :
         std::initializer_list<QWidget*>{f.turnLeft, f.turnRight, f.mirror, f.flip, f.autoRotate, f.restore})
        w->setEnabled(false);
    for (QAction* a : {f.actionTurnLeft, f.actionTurnRight, f.actionMirror, f.actionFlip, f.actionRestore})
        a->setEnabled(false);
    showCaptionOfSelection({});
}

void Reelwright::onStoryBoardDataChanged()
{
    Ui_ReelwrightClass& f = *form;
    const bool photos = !album.photos.isEmpty();
    const bool clips = !album.audios.isEmpty();
    f.burn->setEnabled(photos);
    f.actionCreateVideo->setEnabled(photos);

    requestBeats();
    render.onStoryBoardDataChanged();
    requestLoudness();
    const int total = int(render.totalFrames);
    {
        // The range change may clamp the value; the preview is re-sought by
        // the caller, not by the slider.
        const QSignalBlocker blocker(f.position);
        f.position->setRange(0, total);
        f.position->setSingleStep(std::max(1, int(render.slotFrames)));
        f.position->setPageStep(total / 10);
    }
    const double photoSeconds = album.totalPhotoDuration();
    f.photoLength->setText(secondToTimeString(int(photoSeconds)));
    f.audioLength->setText(secondToTimeString(int(album.totalAudioDuration())));

    f.play->setEnabled(photos);
    f.syncAlbum->setEnabled(photos && clips);
    f.checkBox_2->setEnabled(clips);
    f.actionAutoRotateAll->setEnabled(photoSeconds > 0.01);
    autoRotateAllAction->setEnabled(photoSeconds > 0.01);

    if (album.empty()) {
        f.avPlayer->hide();
        f.gettingStart->show();
        f.avPlayer->clear();
        f.timeCode->setText(QStringLiteral("00:00:00 / 00:00:00"));
    } else {
        f.gettingStart->hide();
        f.avPlayer->show();
    }

    if (focusList == 0)
        f.actionSelectAll->setEnabled(photos);
    else if (focusList == 1)
        f.actionSelectAll->setEnabled(clips);

    const int p = f.photoListWidget->pixelInRange();
    if (photoSeconds > 0.0 && p > 0)
        f.audioListWidget->setDurationPerPixel(p, photoSeconds / p);
    else
        f.audioListWidget->setDurationPerPixel(p, 1.0 / 33.0);

    changeScrollRange();
    applyRunningEnabling();
}

quint32 Reelwright::audioStripFrames() const
{
    const AudioListWidget* audios = form->audioListWidget;
    return secondToFrame(double(qint64(audios->pixelInRange() * audios->durationPerPixel)), renderParam.frameRate);
}

void Reelwright::changeScrollRange()
{
    Ui_ReelwrightClass& f = *form;
    const int w = f.horizontalScrollBar->width();
    QScrollBar* bars[] = {f.horizontalScrollBar, f.photoListWidget->horizontalScrollBar(),
                          f.audioListWidget->horizontalScrollBar()};
    const int pixels = std::max(f.photoListWidget->pixelInRange(), f.audioListWidget->pixelInRange());
    pixelsPerFrame = 1.0;
    const int maximum = std::max(0, pixels - w / 2);
    for (QScrollBar* bar : bars) {
        bar->setPageStep(w);
        bar->setRange(0, maximum);
    }
    if (!album.empty()) {
        const quint32 frames = std::max(render.totalFrames, audioStripFrames());
        if (frames > 0)
            pixelsPerFrame = double(pixels) / double(frames);
    }
    qCDebug(lcUi).noquote() << QStringLiteral("maximum=%1").arg(maximum);
}

void Reelwright::mirrorAfterBurnAction()
{
    const int code = ZuPref::instance()->value(SettingsKey::AfterBurnAction, SettingsDefault::AfterBurnAction).toInt();
    const std::pair<QAction*, int> actions[] = {{form->actionDoNothing, 5},
                                                {form->actionExitProgram, 0},
                                                {form->actionStandBy, 1},
                                                {form->actionHibernate, 2},
                                                {form->actionShutDown, 4}};
    for (const auto& [action, value] : actions)
        action->setChecked(value == code);
}

void Reelwright::retranslate()
{
    if (!form)
        return;
    form->retranslateUi(this);
    ZuMainWindow::retranslate();
    if (autoRotateAction) {
        autoRotateAction->setText(tr("Auto Rotate"));
        autoRotateAllAction->setText(tr("Auto Rotate All Photos"));
    }
    if (QAction* preferences = windowMenu()->findChild<QAction*>(QStringLiteral("actionPreferences")))
        preferences->setText(tr("&Preferences..."));
    // The form's texts include the start values of the time displays.
    form->photoLength->setText(secondToTimeString(int(album.totalPhotoDuration())));
    form->audioLength->setText(secondToTimeString(int(album.totalAudioDuration())));
    updateProgress();
    form->photoListWidget->retranslate();
    form->audioListWidget->retranslate();
    form->gettingStart->retranslate();
    if (mediaInfo)
        mediaInfo->retranslate();
    retranslateAlbumCommands();
}

void Reelwright::resizeEvent(QResizeEvent* event)
{
    ZuMainWindow::resizeEvent(event);
    changeScrollRange();
}
