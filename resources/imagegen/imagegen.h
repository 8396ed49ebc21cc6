#pragma once
// Shared pieces of the build-time image program: every picture is painted on
// a transparent image and written as PNG, so the source tree holds no binary
// images and each one depends only on this code.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>

namespace imagegen {

using Draw = std::function<void(QPainter&)>;

// A transparent image of `width` x `height` with `draw` painted on it.
QImage paint(int width, int height, QImage::Format format, QPainter::RenderHints hints, const Draw& draw);

// Fills the closed outline through `corners` with `colour`, without an edge.
void fillShape(QPainter& painter, std::initializer_list<QPointF> corners, const QColor& colour);

// A two-colour gradient running from `start` to `end`.
QLinearGradient blend(QPointF start, QPointF end, const QColor& from, const QColor& to);

// Writes `image` as PNG; says on standard error which file failed.
bool savePng(const QImage& image, const QString& path);

// Creates `path` and its parents; says on standard error when it cannot.
bool makeFolder(const QString& path);

// The subcommands. `arguments` are those after the subcommand's name; the
// result is the program's exit status.
int skinImages(const QStringList& arguments);
int stripArt(const QStringList& arguments);
int transitionMarker(const QStringList& arguments);
int profileIcons(const QStringList& arguments);

} // namespace imagegen
