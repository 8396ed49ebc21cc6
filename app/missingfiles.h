#pragma once
// The report of the photos and songs an album names but the disk no longer
// holds. The user may point at folders where they are looked up by file
// name, open the album without what is still missing, or keep the album
// that is open now (the dialog is then rejected).

#include "albumfile.h"
#include "zudialog.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class MissingFilesClass;
}

class MissingFiles : public ZuDialog
{
    Q_OBJECT

public:
    // `album` and `missing` (both kept by reference) are what the album file
    // gave; accepted, `album` is complete or without the files left in
    // `missing`, which is then empty.
    MissingFiles(const QString& albumPath, AlbumContents& album, QStringList& missing, QWidget* parent = nullptr);
    ~MissingFiles() override;

public slots:
    void retranslate() override;

private slots:
    void lookInFolder();
    void openWithoutThem();

private:
    void showMissing();

    std::unique_ptr<Ui::MissingFilesClass> ui;
    QString albumPath;
    AlbumContents& album;
    QStringList& missing;
    QString lastFolder;
    // What the last look found, kept for a language change.
    int lastFound = -1;
};
