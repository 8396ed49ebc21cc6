// The beats of the album's clips: analysed on the analyzer's worker while
// "Change photos on the beat" is on, shown on the sound strip and in the
// media panel, waited for before a compile.

#include "reelwright.h"

#include "audiolistwidget.h"
#include "avplayer.h"
#include "mediainfowidget.h"
#include "ui_reelwright.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

void Reelwright::connectBeatAnalysis()
{
    Ui_ReelwrightClass& f = *form;
    connect(f.checkBoxBeatCuts, &QCheckBox::stateChanged, this, &Reelwright::on_beatCuts_changed);
    connect(&beatAnalyzer, &BeatAnalyzer::progress, this, &Reelwright::showBeatProgress);
    connect(&beatAnalyzer, &BeatAnalyzer::analysed, this, &Reelwright::beatsFound);
    connect(&beatAnalyzer, &BeatAnalyzer::idle, this, [this] {
        if (beatBar && !probe)
            statusBar()->hide();
        if (beatBar) {
            beatLabel->hide();
            beatBar->hide();
            beatCancel->hide();
        }
    });
}

void Reelwright::on_beatCuts_changed(int state)
{
    on_pause_clicked();
    // Ticking the box again is how a user asks for a cancelled analysis.
    beatAnalyzer.retry();
    document.setBeatCuts(state == Qt::Checked);
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::requestBeats()
{
    if (!album.beatCuts)
        return;
    QStringList files;
    for (const AudioInfo& clip : album.audios)
        if (!files.contains(clip.filePath))
            files << clip.filePath;
    beatAnalyzer.request(files);
}

void Reelwright::showBeatProgress(const QString& filePath, double done)
{
    if (!beatBar) {
        beatLabel = new QLabel(this);
        beatLabel->setObjectName(QStringLiteral("beatLabel"));
        beatBar = new QProgressBar(this);
        beatBar->setObjectName(QStringLiteral("beatBar"));
        beatBar->setMaximumWidth(240);
        beatBar->setRange(0, 100);
        beatBar->setTextVisible(false);
        beatCancel = new QToolButton(this);
        beatCancel->setObjectName(QStringLiteral("beatCancel"));
        connect(beatCancel, &QToolButton::clicked, &beatAnalyzer, &BeatAnalyzer::cancel);
        statusBar()->addWidget(beatLabel);
        statusBar()->addPermanentWidget(beatBar);
        statusBar()->addPermanentWidget(beatCancel);
    }
    beatLabel->setText(tr("Finding the beats of %1").arg(QFileInfo(filePath).fileName()));
    beatCancel->setText(tr("Cancel"));
    beatBar->setValue(int(done * 100.0));
    beatLabel->show();
    beatBar->show();
    beatCancel->show();
    statusBar()->show();
}

void Reelwright::beatsFound(const QString& filePath)
{
    bool inAlbum = false;
    for (const AudioInfo& clip : album.audios)
        inAlbum = inAlbum || clip.filePath == filePath;
    if (!inAlbum)
        return;
    const bool playing = playState != 0;
    if (!playing) {
        render.onStoryBoardDataChanged();
        seek(int(form->avPlayer->currentFrame));
    }
    showClipBeats(form->audioListWidget->currentRow());
}

bool Reelwright::finishBeatAnalysis()
{
    if (!album.beatCuts)
        return true;
    requestBeats();
    if (!beatAnalyzer.busy())
        return true;
    // The analysis reports its progress through the event loop; wait there,
    // so the status bar moves and its Cancel button works.
    QEventLoop loop;
    bool cancelled = false;
    const QMetaObject::Connection done = connect(&beatAnalyzer, &BeatAnalyzer::idle, &loop, &QEventLoop::quit);
    const QMetaObject::Connection stopped =
        beatCancel ? connect(beatCancel, &QToolButton::clicked, &loop, [&] { cancelled = true; })
                   : QMetaObject::Connection();
    if (beatAnalyzer.busy()) {
        // Only the status bar's Cancel stays usable meanwhile.
        centralWidget()->setEnabled(false);
        menuBar()->setEnabled(false);
        loop.exec();
        centralWidget()->setEnabled(true);
        menuBar()->setEnabled(true);
    }
    disconnect(done);
    disconnect(stopped);
    return !cancelled;
}

void Reelwright::showClipBeats(int row)
{
    if (row < 0 || row >= album.audios.size()) {
        form->audioListWidget->setBeatMarks(-1, {});
        return;
    }
    const AudioInfo& clip = album.audios.at(row);
    const std::optional<BeatTrack> track = beatAnalyzer.beats(clip.filePath);
    if (!track) {
        form->audioListWidget->setBeatMarks(-1, {});
        if (album.beatCuts)
            beatAnalyzer.request({clip.filePath});
        return;
    }
    const BeatTrack part = track->within(clip.startTime, clip.endTime);
    const double length = clip.endTime - clip.startTime;
    QVector<double> shares;
    if (length > 0.0)
        for (const double beat : part.beats)
            shares.append((beat - clip.startTime) / length);
    form->audioListWidget->setBeatMarks(row, shares);
    mediaInfo->setBeatNote(part.steady ? tr("%1 beats per minute").arg(qRound(part.bpm))
                                       : tr("No steady beat: the photos keep their lengths here"));
}
