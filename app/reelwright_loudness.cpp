// The window's part in evening out loudness: the album's loudness and fade
// controls, and measuring the clips on the store's worker while the user
// edits, so that the preview and the compile seldom wait for a measurement.

#include "reelwright.h"

#include "avplayer.h"
#include "loudness.h"
#include "ui_reelwright.h"

#include <QFileInfo>

void Reelwright::connectLoudness()
{
    Ui_ReelwrightClass& f = *form;
    f.loudnessStatus->hide();
    connect(f.checkBoxEvenLoudness, &QCheckBox::released, this, &Reelwright::on_audioSetting_changed);
    connect(f.spinBoxFadeMs, &QSpinBox::valueChanged, this, &Reelwright::on_fadeMs_changed);
    LoudnessStore& store = LoudnessStore::shared();
    connect(&store, &LoudnessStore::progress, this, &Reelwright::showLoudnessProgress);
    const auto done = [this] {
        if (!LoudnessStore::shared().busy())
            form->loudnessStatus->hide();
    };
    connect(&store, &LoudnessStore::measured, this, done);
    connect(&store, &LoudnessStore::failed, this, done);
}

void Reelwright::on_fadeMs_changed(int ms)
{
    on_pause_clicked();
    document.setFadeMs(ms);
    onStoryBoardDataChanged();
    seek(int(form->avPlayer->currentFrame));
}

void Reelwright::requestLoudness()
{
    QStringList wanted;
    if (album.evenLoudness) {
        for (const AudioInfo& clip : album.audios)
            if (!wanted.contains(clip.filePath))
                wanted << clip.filePath;
    }
    LoudnessStore& store = LoudnessStore::shared();
    // A clip that left the album, or loudness turned off: what is still
    // queued is not needed now.
    const bool dropped = std::any_of(loudnessRequested.cbegin(), loudnessRequested.cend(),
                                     [&](const QString& path) { return !wanted.contains(path); });
    if (dropped) {
        store.cancel();
        loudnessRequested.clear();
    }
    QStringList fresh;
    for (const QString& path : wanted) {
        if (!loudnessRequested.contains(path))
            fresh << path;
    }
    loudnessRequested << fresh;
    if (!fresh.isEmpty())
        store.request(fresh);
    if (!store.busy())
        form->loudnessStatus->hide();
}

void Reelwright::showLoudnessProgress(const QString& path, double fraction)
{
    if (!LoudnessStore::shared().busy())
        return;
    form->loudnessStatus->setText(
        tr("Measuring loudness: %1 (%2 %)").arg(QFileInfo(path).fileName()).arg(int(fraction * 100.0)));
    form->loudnessStatus->show();
}
