#include "missingfiles.h"

#include "ui_missingfiles.h"
#include "zufolderdialog.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

MissingFiles::MissingFiles(const QString& albumPath, AlbumContents& album, QStringList& missing, QWidget* parent)
    : ZuDialog(parent)
    , ui(std::make_unique<Ui::MissingFilesClass>())
    , albumPath(albumPath)
    , album(album)
    , missing(missing)
    // Moved albums usually sit beside the folders that moved with them.
    , lastFolder(QFileInfo(albumPath).absolutePath())
{
    ui->setupUi(this);
    connect(ui->lookInFolder, &QPushButton::clicked, this, &MissingFiles::lookInFolder);
    connect(ui->openWithout, &QPushButton::clicked, this, &MissingFiles::openWithoutThem);
    connect(ui->cancel, &QPushButton::clicked, this, &MissingFiles::reject);
    ui->lookInFolder->setDefault(true);
    retranslate();
    showMissing();
}

MissingFiles::~MissingFiles() = default;

void MissingFiles::retranslate()
{
    if (!ui)
        return;
    ui->retranslateUi(this);
    setAllWindowTitle(tr("Missing Files"));
    ui->intro->setText(tr("These files of the album %1 are missing. Look for them in a folder, or open the album "
                          "without them.")
                           .arg(QDir::toNativeSeparators(albumPath)));
    if (lastFound == 0)
        ui->outcome->setText(tr("None of the missing files is in %1.").arg(QDir::toNativeSeparators(lastFolder)));
    else if (lastFound > 0)
        ui->outcome->setText(tr("Files found in %1: %2.").arg(QDir::toNativeSeparators(lastFolder)).arg(lastFound));
}

void MissingFiles::showMissing()
{
    QStringList shown;
    shown.reserve(missing.size());
    for (const QString& file : missing)
        shown << QDir::toNativeSeparators(file);
    ui->missingList->setPlainText(shown.join(QLatin1Char('\n')));
}

void MissingFiles::lookInFolder()
{
    const QString folder = ZuFolderDialog::getExistingDirectory(this, tr("Look for the missing files in"), lastFolder);
    if (folder.isEmpty())
        return;
    lastFolder = folder;
    lastFound = AlbumFile::relink(album, missing, folder);
    if (missing.isEmpty()) {
        accept();
        return;
    }
    showMissing();
    retranslate();
}

void MissingFiles::openWithoutThem()
{
    AlbumFile::dropMissing(album, missing);
    missing.clear();
    accept();
}
