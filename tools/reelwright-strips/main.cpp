// A developer's window onto the album strips before the main window exists:
// the photo strip and the sound strip on one time scale with one shared
// scroll bar, the property panel beside them, the getting-started picture
// while the album is empty, and the strip commands on buttons. Files and
// folders named on the command line are imported through the import dialog.

#include "audiolistwidget.h"
#include "filesfromurls.h"
#include "gettingstartlabel.h"
#include "mediainfowidget.h"
#include "photolistwidget.h"
#include "storyboard.h"
#include "timefunctions.h"
#include "zumexifinfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>

namespace {

QString kilobytes(qint64 bytes) { return QStringLiteral("%1KB").arg(bytes / 1024); }

class StripsWindow : public QWidget
{
public:
    StripsWindow()
        : photoStrip(new PhotoListWidget(this))
        , audioStrip(new AudioListWidget(this))
        , gettingStart(new GettingStartLabel(this))
        , scrollBar(new QScrollBar(Qt::Horizontal, this))
        , status(new QLabel(this))
        , panel(new MediaInfoWidget(this))
    {
        setWindowTitle(QStringLiteral("Reelwright strips"));
        photoStrip->setFixedHeight(72);
        photoStrip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        photoStrip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        photoStrip->setDragDropMode(QAbstractItemView::DragDrop);
        photoStrip->setSelectionMode(QAbstractItemView::ContiguousSelection);
        photoStrip->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        photoStrip->setFlow(QListView::LeftToRight);
        photoStrip->setWrapping(false);
        gettingStart->setMinimumHeight(290);

        auto* photoSeconds = new QDoubleSpinBox(this);
        photoSeconds->setRange(0.04, 60);
        photoSeconds->setValue(album.photoSeconds);
        photoSeconds->setSuffix(QStringLiteral(" s per photo"));
        auto* transitionSeconds = new QDoubleSpinBox(this);
        transitionSeconds->setRange(0, 10);
        transitionSeconds->setValue(album.transitionSeconds);
        transitionSeconds->setSuffix(QStringLiteral(" s transition"));
        auto* sortKey = new QComboBox(this);
        sortKey->addItems(
            {QStringLiteral("Name"), QStringLiteral("Date"), QStringLiteral("Type"), QStringLiteral("Size")});
        auto* ascending = new QCheckBox(QStringLiteral("Ascending"), this);
        ascending->setChecked(true);

        auto* commands = new QHBoxLayout;
        auto button = [this, commands](const QString& text, std::function<void()> action) {
            auto* b = new QPushButton(text, this);
            b->setFocusPolicy(Qt::NoFocus); // keep the focus, and so the target, on a strip
            connect(b, &QPushButton::clicked, this, action);
            commands->addWidget(b);
        };
        button(QStringLiteral("Import photos..."), [this] { importChosen(true); });
        button(QStringLiteral("Import audio..."), [this] { importChosen(false); });
        button(QStringLiteral("Move left"), [this] {
            if (photoFocused)
                photoStrip->selectionMoveLeft();
            else
                audioStrip->selectionMoveLeft();
        });
        button(QStringLiteral("Move right"), [this] {
            if (photoFocused)
                photoStrip->selectionMoveRight();
            else
                audioStrip->selectionMoveRight();
        });
        button(QStringLiteral("Delete"), [this] {
            if (photoFocused)
                photoStrip->selectionDelete(false);
            else
                audioStrip->selectionDelete(false);
        });
        button(QStringLiteral("Turn left"), [this] { photoStrip->selectionAddProc(TurnLeft); });
        button(QStringLiteral("Turn right"), [this] { photoStrip->selectionAddProc(TurnRight); });
        button(QStringLiteral("Property"), [this] { showPanel(); });
        commands->addWidget(sortKey);
        commands->addWidget(ascending);
        button(QStringLiteral("Sort"), [this, sortKey, ascending] {
            const auto type = SortType(sortKey->currentIndex());
            if (photoFocused)
                photoStrip->sort(type, ascending->isChecked());
            else
                audioStrip->sort(type, ascending->isChecked());
        });
        commands->addWidget(photoSeconds);
        commands->addWidget(transitionSeconds);
        commands->addStretch();

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(gettingStart, 1);
        layout->addWidget(photoStrip);
        layout->addWidget(audioStrip);
        layout->addWidget(scrollBar);
        layout->addLayout(commands);
        layout->addWidget(status);

        connect(photoSeconds, &QDoubleSpinBox::valueChanged, this, [this](double s) {
            album.photoSeconds = s;
            album.photoMs = int(s * 1000);
            updateScale();
        });
        connect(transitionSeconds, &QDoubleSpinBox::valueChanged, this, [this](double s) {
            album.transitionSeconds = s;
            album.transitionMs = int(s * 1000);
            album.useTransition = s > 0;
            updateScale();
        });
        connect(photoStrip, &PhotoListWidget::photoListChanged, this, [this](const QList<ImageInfo>& list) {
            album.photos = list;
            updateScale();
        });
        connect(audioStrip, &AudioListWidget::audioListChanged, this, [this](const QList<AudioInfo>& list) {
            album.audios = list;
            updateScale();
        });
        connect(photoStrip, &PhotoListWidget::sizeChanged, this,
                [this] { QTimer::singleShot(0, this, [this] { updateScroll(); }); });
        connect(audioStrip, &AudioListWidget::sizeChanged, this,
                [this] { QTimer::singleShot(0, this, [this] { updateScroll(); }); });
        connect(scrollBar, &QScrollBar::valueChanged, this, [this](int x) {
            photoStrip->horizontalScrollBar()->setValue(x);
            audioStrip->horizontalScrollBar()->setValue(x);
        });
        connect(photoStrip, &QListWidget::currentRowChanged, this, [this](int row) {
            photoFocused = true;
            describePhoto(row);
        });
        connect(audioStrip, &QListWidget::currentRowChanged, this, [this](int row) {
            photoFocused = false;
            describeAudio(row);
        });
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now == photoStrip)
                photoFocused = true;
            else if (now == audioStrip)
                photoFocused = false;
        });

        gettingStart->retranslate();
        panel->retranslate();
        updateScale();
        resize(1240, 520);
    }

    void importFiles(const QStringList& files, bool photos)
    {
        if (files.isEmpty())
            return;
        if (photos)
            photoStrip->importFiles(files);
        else
            audioStrip->importFiles(files);
    }

    void importPaths(const QStringList& paths)
    {
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        // Each file goes to the strip whose names it matches; folders give
        // their photos and their sound files.
        QList<QUrl> photoUrls;
        QList<QUrl> audioUrls;
        for (const QUrl& url : urls) {
            const QString name = QFileInfo(url.toLocalFile()).fileName();
            if (QFileInfo(url.toLocalFile()).isDir()) {
                photoUrls << url;
                audioUrls << url;
            } else if (QDir::match(AudioListWidget::m_nameFilters, name)) {
                audioUrls << url;
            } else {
                photoUrls << url;
            }
        }
        importFiles(filesFromUrls(photoUrls, PhotoListWidget::m_nameFilters, true), true);
        importFiles(filesFromUrls(audioUrls, AudioListWidget::m_nameFilters, true), false);
    }

    void showPanel()
    {
        panel->move(frameGeometry().topRight() + QPoint(8, 0));
        panel->show();
    }

private:
    void importChosen(bool photos)
    {
        const QStringList filters = photos ? PhotoListWidget::m_nameFilters : AudioListWidget::m_nameFilters;
        const QStringList files =
            QFileDialog::getOpenFileNames(this, QStringLiteral("Select one or more files"), QDir::homePath(),
                                          importDialogFilter(filters, photos ? g_strPhotoFiles : g_strAudioFiles));
        importFiles(files, photos);
    }

    // What the main window does on every change: the sound strip follows
    // the photo strip's time scale.
    void updateScale()
    {
        const int range = photoStrip->pixelInRange();
        const double total = album.totalPhotoDuration();
        audioStrip->setDurationPerPixel(range, total > 0 && range > 0 ? total / range : 1.0 / 33);
        if (gettingStart->isVisibleTo(this) != album.photos.isEmpty()) {
            gettingStart->setVisible(album.photos.isEmpty());
            // Without the picture the window shrinks to the strips.
            QTimer::singleShot(0, this, [this] { resize(width(), sizeHint().height()); });
        }
        status->setText(QStringLiteral("%1 photos, album %2 (%3 s per pixel); %4 sound files, %5 of sound")
                            .arg(album.photos.size())
                            .arg(secondToTimeString(int(total)))
                            .arg(audioStrip->durationPerPixel, 0, 'f', 4)
                            .arg(album.audios.size())
                            .arg(secondToTimeString(int(album.totalAudioDuration()))));
        updateScroll();
    }

    void updateScroll()
    {
        const int content = std::max(photoStrip->pixelInRange(), audioStrip->pixelInRange()) + 260;
        const int page = photoStrip->viewport()->width();
        scrollBar->setRange(0, std::max(0, content - page));
        scrollBar->setPageStep(page);
        photoStrip->horizontalScrollBar()->setRange(0, scrollBar->maximum());
        audioStrip->horizontalScrollBar()->setRange(0, scrollBar->maximum());
    }

    void describePhoto(int row)
    {
        const QList<ImageInfo>& photos = photoStrip->photoList();
        if (row < 0 || row % 2 != 0 || row / 2 >= photos.size()) {
            panel->setFileInfo(MediaInfoWidget::NoFile);
        } else {
            const ImageInfo& p = photos.at(row / 2);
            const auto& e = p.exifProperties;
            panel->setFileInfo(MediaInfoWidget::ImageFile, QFileInfo(p.filePath).fileName(), p.suffix.toUpper(),
                               QStringLiteral("%1x%2").arg(p.width).arg(p.height), kilobytes(p.fileSize),
                               p.lastModified.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                               e[ZumExifInfo::EquipmentMake], e[ZumExifInfo::CameraModel], e[ZumExifInfo::Software],
                               e[ZumExifInfo::CompressedBitsPerPixel], e[ZumExifInfo::ExposureTime],
                               e[ZumExifInfo::FNumber], e[ZumExifInfo::ExposureMode], e[ZumExifInfo::ExposureBias],
                               e[ZumExifInfo::MaxAperture]);
        }
        panel->setHtml();
    }

    void describeAudio(int row)
    {
        if (row < 0 || row >= audioStrip->audios.size()) {
            panel->setFileInfo(MediaInfoWidget::NoFile);
        } else {
            const AudioInfo& a = audioStrip->audios.at(row);
            panel->setFileInfo(MediaInfoWidget::AudioFile, QFileInfo(a.filePath).fileName(), a.suffix.toUpper(),
                               kilobytes(a.fileSize), {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
                               QString::number(a.channels), QStringLiteral("%1Hz").arg(a.sampleRate),
                               secondToTimeString(int(a.duration)));
        }
        panel->setHtml();
    }

    StoryBoardData album;
    PhotoListWidget* photoStrip;
    AudioListWidget* audioStrip;
    GettingStartLabel* gettingStart;
    QScrollBar* scrollBar;
    QLabel* status;
    MediaInfoWidget* panel;
    bool photoFocused = true;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("reelwright-strips"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the photo strip, the sound strip and the property panel on real files."));
    parser.addHelpOption();
    const QCommandLineOption panelOption(QStringLiteral("panel"), QStringLiteral("Show the property panel at once."));
    const QCommandLineOption selectOption(QStringLiteral("select"),
                                          QStringLiteral("Make this audio row current at start (0 is the first)."),
                                          QStringLiteral("row"));
    const QCommandLineOption selectPhotoOption(QStringLiteral("select-photo"),
                                               QStringLiteral("Make this photo current at start (0 is the first)."),
                                               QStringLiteral("photo"));
    parser.addOptions({panelOption, selectOption, selectPhotoOption});
    parser.addPositionalArgument(QStringLiteral("paths"), QStringLiteral("Photos, sound files and folders."),
                                 QStringLiteral("path..."));
    parser.process(app);

    StripsWindow window;
    window.show();
    const QStringList paths = parser.positionalArguments();
    QTimer::singleShot(0, &window, [&] {
        window.importPaths(paths);
        if (parser.isSet(selectOption))
            window.findChild<AudioListWidget*>()->setCurrentRow(parser.value(selectOption).toInt());
        if (parser.isSet(selectPhotoOption))
            window.findChild<PhotoListWidget*>()->setCurrentRow(2 * parser.value(selectPhotoOption).toInt());
        if (parser.isSet(panelOption))
            window.showPanel();
    });
    return app.exec();
}
