#include "devalbum.h"

#include "reelwright.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QScrollArea>
#include <QRegularExpression>
#include <QTimer>

namespace {

bool matchesFilter(const QString& file, const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QString suffix = QFileInfo(file).suffix();
    for (auto it = pattern.globalMatch(filter); it.hasNext();) {
        if (it.next().captured(1).compare(suffix, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// REELWRIGHT_DEV_CAPTION captions the first photo; REELWRIGHT_DEV_TITLE
// puts a title card before it. The first photo is then selected, so the
// preview and the caption panel show it.
void addDeveloperCaptions(Reelwright& window)
{
    AlbumDocument& document = window.albumDocument();
    const QString caption = qEnvironmentVariable("REELWRIGHT_DEV_CAPTION");
    const QString title = qEnvironmentVariable("REELWRIGHT_DEV_TITLE");
    if (document.photos().isEmpty() || (caption.isEmpty() && title.isEmpty()))
        return;
    if (!caption.isEmpty()) {
        Caption text = document.photos().first().caption;
        text.text = caption;
        text.backdrop = CaptionBackdrop::Band;
        document.setCaption(0, text);
    }
    int first = 0;
    if (!title.isEmpty())
        first = document.insertTitleCard(0, title) + 1;
    window.onStoryBoardDataChanged();
    if (auto* strip = window.findChild<QListWidget*>(QStringLiteral("photoListWidget")))
        strip->setCurrentRow(2 * first);
    // The caption's fields in view, once the panel has its size.
    QTimer::singleShot(0, &window, [&window] {
        auto* settings = window.findChild<QScrollArea*>(QStringLiteral("settingsScroll"));
        auto* group = window.findChild<QWidget*>(QStringLiteral("groupCaption"));
        if (settings && group)
            settings->ensureWidgetVisible(group, 0, 0);
    });
}

} // namespace

void loadDeveloperAlbum(Reelwright& window)
{
    const QString list = qEnvironmentVariable("REELWRIGHT_DEV_ALBUM");
    if (list.isEmpty())
        return;
    QStringList photos, sounds;
    for (const QString& file : list.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString path = QFileInfo(file).absoluteFilePath();
        if (matchesFilter(path, Reelwright::photoDialogFilter()))
            photos << path;
        else if (matchesFilter(path, Reelwright::audioDialogFilter()))
            sounds << path;
    }
    // Once the loop runs, the way a person's clicks would arrive.
    QTimer::singleShot(0, &window, [&window, photos, sounds] {
        Reelwright::setFileDialogHook([&](QWidget*, const QString&, const QString&, const QString& filter) {
            return filter == Reelwright::photoDialogFilter() ? photos : sounds;
        });
        if (!photos.isEmpty())
            window.findChild<QAction*>(QStringLiteral("actionImportPhotos"))->trigger();
        if (!sounds.isEmpty())
            window.findChild<QAction*>(QStringLiteral("actionImportAudio"))->trigger();
        Reelwright::setFileDialogHook({});
        addDeveloperCaptions(window);
    });
}
