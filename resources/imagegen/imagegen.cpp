// Draws the program's built-in images at build time. One subcommand per set
// of images, each writing PNG files into the folder it is given:
//
//     reelwright-imagegen skin FOLDER                 slider/*.png, audioorder/*.png
//     reelwright-imagegen stripart FOLDER             audio item caps, getting-started pictures
//     reelwright-imagegen transition FOLDER           transition.png
//     reelwright-imagegen profileicons FOLDER NAME.png...

#include "imagegen.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainterPath>

#include <cstdio>

namespace imagegen {

QImage paint(int width, int height, QImage::Format format, QPainter::RenderHints hints, const Draw& draw)
{
    QImage image(width, height, format);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(hints);
        draw(painter);
    }
    return image;
}

void fillShape(QPainter& painter, std::initializer_list<QPointF> corners, const QColor& colour)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& corner : corners) {
        if (first)
            path.moveTo(corner);
        else
            path.lineTo(corner);
        first = false;
    }
    path.closeSubpath();
    painter.fillPath(path, colour);
}

QLinearGradient blend(QPointF start, QPointF end, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(start, end);
    gradient.setColorAt(0.0, from);
    gradient.setColorAt(1.0, to);
    return gradient;
}

bool savePng(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(QDir::toNativeSeparators(path)));
    return false;
}

bool makeFolder(const QString& path)
{
    if (QDir().mkpath(path))
        return true;
    std::fprintf(stderr, "imagegen: cannot create %s\n", qPrintable(QDir::toNativeSeparators(path)));
    return false;
}

} // namespace imagegen

namespace {

struct Subcommand {
    const char* name;
    const char* arguments;
    int minimumArguments;
    int maximumArguments; // -1: any number
    // Text needs a font database, which comes with an application object.
    // Without one, QImage records another resolution in the PNG, so only
    // the subcommands that draw text make one, and every file stays as it
    // always was.
    bool drawsText;
    int (*run)(const QStringList&);
};

const Subcommand kSubcommands[] = {
    {"skin", "FOLDER", 1, 1, false, imagegen::skinImages},
    {"stripart", "FOLDER", 1, 1, true, imagegen::stripArt},
    {"transition", "FOLDER", 1, 1, false, imagegen::transitionMarker},
    {"profileicons", "FOLDER NAME.png...", 2, -1, true, imagegen::profileIcons},
};

int usage()
{
    for (const Subcommand& command : kSubcommands)
        std::fprintf(stderr, "usage: reelwright-imagegen %s %s\n", command.name, command.arguments);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    QStringList rest;
    for (int i = 2; i < argc; ++i)
        rest << QString::fromLocal8Bit(argv[i]);
    for (const Subcommand& command : kSubcommands) {
        if (qstrcmp(argv[1], command.name) != 0)
            continue;
        if (rest.size() < command.minimumArguments ||
            (command.maximumArguments >= 0 && rest.size() > command.maximumArguments))
            return usage();
        if (!command.drawsText)
            return command.run(rest);
        // The fonts, not a screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return command.run(rest);
    }
    return usage();
}
