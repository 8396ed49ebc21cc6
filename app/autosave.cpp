#include "autosave.h"

#include "albumdocument.h"
#include "albumfile.h"
#include "logcategories.h"
#include "recentalbums.h"
#include "reelwright.h"
#include "zuapplication.h"
#include "zulangitemmodel.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUndoStack>

namespace {

constexpr int kDefaultIntervalMs = 60 * 1000;

const QString kAlbumCopyName = QStringLiteral("album.reelwright");
// When the copy was written and whose album it is: the album file itself
// holds neither.
const QString kNoteName = QStringLiteral("album.note.json");
const QString kSavedAtKey = QStringLiteral("savedAt");
const QString kAlbumFileKey = QStringLiteral("albumFile");

bool sameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString Autosave::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/autosave");
}

int Autosave::intervalMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("REELWRIGHT_AUTOSAVE_MS", &ok);
    return ok && ms > 0 ? ms : kDefaultIntervalMs;
}

Autosave::Autosave(AlbumDocument& document, std::function<QString()> albumFile, const QString& folder, QObject* parent)
    : QObject(parent)
    , document(document)
    , albumFile(std::move(albumFile))
    , dir(folder)
    , timer(new QTimer(this))
{
    timer->setInterval(intervalMs());
    connect(timer, &QTimer::timeout, this, &Autosave::save);
    connect(&document, &AlbumDocument::modifiedChanged, this, &Autosave::onModifiedChanged);
    if (document.isModified())
        timer->start();
}

QString Autosave::albumCopyPath() const { return dir + QLatin1Char('/') + kAlbumCopyName; }

QString Autosave::notePath() const { return dir + QLatin1Char('/') + kNoteName; }

void Autosave::onModifiedChanged(bool modified)
{
    if (modified) {
        if (!timer->isActive())
            timer->start();
        return;
    }
    // Saved, or undone back to what was saved: the copy has nothing to add.
    timer->stop();
    remove();
}

bool Autosave::save()
{
    if (!document.isModified())
        return false;
    const QString ownFile = albumFile ? albumFile() : QString();
    if (sameFile(ownFile, albumCopyPath())) {
        qCWarning(lcUi).noquote() << "autosave skipped: the album's own file is the copy" << ownFile;
        return false;
    }
    if (!QDir().mkpath(dir)) {
        qCWarning(lcUi).noquote() << "autosave: cannot create" << dir;
        return false;
    }
    QString error;
    if (!AlbumFile::write(albumCopyPath(), document.contents(), &error)) {
        qCWarning(lcUi).noquote() << "autosave:" << error;
        return false;
    }
    QJsonObject note;
    note.insert(kSavedAtKey, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    note.insert(kAlbumFileKey, ownFile);
    QSaveFile file(notePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(note).toJson()) < 0 || !file.commit()) {
        qCWarning(lcUi).noquote() << "autosave: cannot write" << notePath() << file.errorString();
        return false;
    }
    return true;
}

void Autosave::remove()
{
    QFile::remove(albumCopyPath());
    QFile::remove(notePath());
}

Autosave::Found Autosave::find(const QString& folder)
{
    Found found;
    const QFileInfo copy(folder + QLatin1Char('/') + kAlbumCopyName);
    if (!copy.isFile())
        return found;
    found.albumCopy = copy.absoluteFilePath();
    // A run that ended between writing the copy and its note still left
    // the copy; its file time is the nearest answer then.
    found.savedAt = copy.lastModified();
    QFile noteFile(folder + QLatin1Char('/') + kNoteName);
    if (noteFile.open(QIODevice::ReadOnly)) {
        const QJsonObject note = QJsonDocument::fromJson(noteFile.readAll()).object();
        const QDateTime savedAt = QDateTime::fromString(note.value(kSavedAtKey).toString(), Qt::ISODateWithMs);
        if (savedAt.isValid())
            found.savedAt = savedAt;
        found.albumFile = note.value(kAlbumFileKey).toString();
    }
    return found;
}

namespace {

// Dates in the language the window speaks, not the system's: a German window
// on an English system should not name the day in English.
QLocale windowLocale()
{
    const auto* app = qobject_cast<const ZuApplication*>(QCoreApplication::instance());
    const ZuLang* lang = app && app->langModel() ? app->langModel()->currentLang() : nullptr;
    return lang ? QLocale(lang->name()) : QLocale();
}

} // namespace

bool offerRecovery(Reelwright& window, Autosave& autosave)
{
    const Autosave::Found found = Autosave::find(autosave.folder());
    if (!found.exists())
        return false;

    QMessageBox box(QMessageBox::Question, ZuPref::product_name(),
                    Autosave::tr("Restore the album you were working on?"), QMessageBox::Yes | QMessageBox::No,
                    &window);
    box.setTextFormat(Qt::PlainText);
    QString when = Autosave::tr("It was saved automatically on %1.")
                       .arg(windowLocale().toString(found.savedAt.toLocalTime(), QLocale::LongFormat));
    if (!found.albumFile.isEmpty())
        when += QLatin1Char('\n') + Autosave::tr("Its file: %1").arg(QDir::toNativeSeparators(found.albumFile));
    box.setInformativeText(when);
    box.setDefaultButton(QMessageBox::Yes);
    const QMessageBox::StandardButton answer = ZuMessageBox::exec(box);
    if (answer == QMessageBox::No)
        autosave.remove();
    // A box that closed without an answer (the session ended meanwhile)
    // keeps the copy for the next start.
    if (answer != QMessageBox::Yes)
        return false;

    // Opening reads the copy as File > Open reads an album, so photos that
    // have gone are reported and can be looked for.
    // When it does not open (the user cancelled the missing-files report,
    // or the copy is damaged and said so), it stays: the next start asks
    // again, and No removes it.
    if (!window.openAlbum(found.albumCopy))
        return false;
    // The copy is no album the user chose; Save writes the user's own file
    // (or asks for one), and the album stays unsaved until then.
    RecentAlbums::remove(found.albumCopy);
    window.setAlbumFilePath(found.albumFile);
    window.albumDocument().undoStack()->resetClean();
    // The copy now names the album's own file; a crash before the next
    // interval keeps what was restored.
    autosave.save();
    return true;
}
