#pragma once
// Small helpers shared by the dialogs and widgets: folder checks, user
// folders, text eliding and skinned image scaling.

#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

namespace Zu {

// True when a file can really be created in `path`, or, for a folder that
// does not exist yet, in the nearest folder above it that does (where the
// missing ones would be made). Creates nothing that stays.
bool isFolderWritable(const QString& path);
// `path` itself when it is an existing folder, otherwise the nearest existing
// folder above it; empty when that is a file or the name is blank.
QString nearestExistingFolder(const QString& path);
// False for empty names, names the file system cannot hold (characters, or
// components too long in the file-name encoding) and names of existing
// files that are not folders. With `requireAbsolute` relative names are
// refused too.
bool isFolderNameValid(const QString& path, bool requireAbsolute = true);

// `text` shortened in the middle so it fits the label's current width.
QString labelElidedText(const QLabel* label, const QString& text);
// Centres `widget` on its parent window, or on its screen when it has none.
void moveCenter(QWidget* widget);
// Stretches `pixmap` to `size`, keeping the given border widths unscaled.
QPixmap scaleBorderImage(const QPixmap& pixmap, const QSize& size, int left, int top, int right, int bottom);

// Per-user data folder of the program (created when missing).
QString appDataPath();
// The user's documents folder.
QString docPath();
// Last path component of a URL or local path, without query or fragment.
QString getFileName(const QString& path);

} // namespace Zu
