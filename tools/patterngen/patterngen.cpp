// Makes the wipe pattern files "*.wpt": 8-bit grey PNG images whose grey
// level is the moment at which a wipe reaches each pixel, 255 first and 0
// last. The build runs it; the output depends only on the pattern names, so
// every build writes the same bytes.
//
// Usage: reelwright-patterngen <folder> <name>...   writes <folder>/<name>.wpt
//        reelwright-patterngen --list                prints the known names

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr int Width = 720;
constexpr int Height = 540;
constexpr double Pi = std::numbers::pi;

// Where a pixel lies, with the origin in the top left corner of the screen.
// u runs 0..1 to the right and v 0..1 down; x and y are the same point in
// pixels measured from the centre, so round shapes stay round.
struct Point {
    double u, v, x, y;
};

// The moment (any scale; only the order matters) at which the wipe reaches
// a point.
using Moment = std::function<double(const Point&)>;

double fraction(double value) { return value - std::floor(value); }

// Clockwise angle from twelve o'clock, 0..1 of a full turn.
double clockAngle(const Point& p)
{
    const double angle = std::atan2(p.x, -p.y);
    return (angle < 0.0 ? angle + 2.0 * Pi : angle) / (2.0 * Pi);
}

double cornerDistance() { return std::hypot(Width / 2.0, Height / 2.0); }

// Three box blurs in a row, as good as a Gaussian for this.
void blur(std::vector<double>& field, int radius)
{
    std::vector<double> scratch(field.size());
    auto pass = [&](int length, int lines, auto index) {
        for (int line = 0; line < lines; ++line) {
            for (int i = 0; i < length; ++i) {
                double sum = 0.0;
                for (int k = -radius; k <= radius; ++k)
                    sum += field[index(line, std::clamp(i + k, 0, length - 1))];
                scratch[index(line, i)] = sum / (2 * radius + 1);
            }
        }
        field.swap(scratch);
    };
    for (int round = 0; round < 3; ++round) {
        pass(Width, Height, [](int row, int column) { return std::size_t(row) * Width + std::size_t(column); });
        pass(Height, Width, [](int column, int row) { return std::size_t(row) * Width + std::size_t(column); });
    }
}

// Soft clouds: value noise over lattices of seeded random values, three
// octaves blended with a smoothstep, then blurred so no lattice shows.
Moment softNoise(unsigned seed)
{
    constexpr int Octaves = 3;
    constexpr double BaseCell = 120.0;
    std::mt19937 random(seed);
    auto field = std::make_shared<std::vector<double>>(std::size_t(Width) * std::size_t(Height), 0.0);
    double weight = 1.0;
    for (int octave = 0; octave < Octaves; ++octave) {
        const double cell = BaseCell / double(1 << octave);
        const int columns = int(std::ceil(Width / cell)) + 2;
        const int rows = int(std::ceil(Height / cell)) + 2;
        std::vector<double> lattice(std::size_t(columns) * std::size_t(rows));
        // Raw engine output scaled by hand: the standard fixes the engine's
        // sequence but not what the distributions make of it.
        for (double& value : lattice)
            value = double(random() >> 8) / double(1u << 24);
        auto at = [&](int column, int row) {
            return lattice[std::size_t(row) * std::size_t(columns) + std::size_t(column)];
        };
        auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const double gx = (x + 0.5) / cell, gy = (y + 0.5) / cell;
                const int cx = int(gx), cy = int(gy);
                const double fx = smooth(gx - cx), fy = smooth(gy - cy);
                const double top = at(cx, cy) + (at(cx + 1, cy) - at(cx, cy)) * fx;
                const double bottom = at(cx, cy + 1) + (at(cx + 1, cy + 1) - at(cx, cy + 1)) * fx;
                (*field)[std::size_t(y) * Width + std::size_t(x)] += weight * (top + (bottom - top) * fy);
            }
        }
        weight *= 0.5;
    }
    blur(*field, 8);
    return [field](const Point& p) {
        const int column = std::min(Width - 1, int(p.u * Width));
        const int row = std::min(Height - 1, int(p.v * Height));
        return (*field)[std::size_t(row) * Width + std::size_t(column)];
    };
}

const std::map<QString, Moment>& patterns()
{
    static const std::map<QString, Moment> table = {
        {QStringLiteral("01-wipe-right"), [](const Point& p) { return p.u; }},
        {QStringLiteral("02-iris-circle"), [](const Point& p) { return std::hypot(p.x, p.y) / cornerDistance(); }},
        {QStringLiteral("03-barn-doors-horizontal"), [](const Point& p) { return std::abs(p.u - 0.5); }},
        {QStringLiteral("04-clock-sweep"), clockAngle},
        {QStringLiteral("05-wipe-down"), [](const Point& p) { return p.v; }},
        {QStringLiteral("06-diamond"), [](const Point& p) { return std::abs(p.u - 0.5) + std::abs(p.v - 0.5); }},
        {QStringLiteral("07-blinds-horizontal"), [](const Point& p) { return fraction(p.v * 8.0); }},
        {QStringLiteral("08-checkerboard"),
         [](const Point& p) {
             // One colour of an 8 x 6 board wipes in from the left, then the other.
             const int column = int(p.u * 8.0), row = int(p.v * 6.0);
             return double((column + row) % 2) + fraction(p.u * 8.0);
         }},
        {QStringLiteral("09-wipe-left"), [](const Point& p) { return 1.0 - p.u; }},
        {QStringLiteral("10-spiral"),
         [](const Point& p) {
             // Three turns outward: the reached edge follows r ~ angle.
             constexpr double Turns = 3.0;
             return std::hypot(p.x, p.y) / cornerDistance() * Turns + clockAngle(p);
         }},
        {QStringLiteral("11-barn-doors-vertical"), [](const Point& p) { return std::abs(p.v - 0.5); }},
        {QStringLiteral("12-soft-noise"), softNoise(20240229u)},
        {QStringLiteral("13-wipe-up"), [](const Point& p) { return 1.0 - p.v; }},
        {QStringLiteral("14-box"),
         [](const Point& p) { return std::max(std::abs(p.x) / (Width / 2.0), std::abs(p.y) / (Height / 2.0)); }},
        {QStringLiteral("15-blinds-vertical"), [](const Point& p) { return fraction(p.u * 10.0); }},
        {QStringLiteral("16-diagonal"), [](const Point& p) { return p.u * Width + p.v * Height; }},
    };
    return table;
}

// Grey levels from moments. Levels are handed out by rank, so every level
// covers about the same area and a wipe uncovers the picture at an even
// pace whatever the shape; pixels reached at the same moment share a level.
QImage greyImage(const Moment& moment)
{
    const std::size_t count = std::size_t(Width) * std::size_t(Height);
    std::vector<double> moments(count);
    for (int row = 0; row < Height; ++row) {
        for (int column = 0; column < Width; ++column) {
            const Point p{(column + 0.5) / Width, (row + 0.5) / Height, column + 0.5 - Width / 2.0,
                          row + 0.5 - Height / 2.0};
            moments[std::size_t(row) * Width + std::size_t(column)] = moment(p);
        }
    }
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&moments](std::size_t a, std::size_t b) { return moments[a] < moments[b]; });

    QImage image(Width, Height, QImage::Format_Grayscale8);
    for (std::size_t first = 0; first < count;) {
        std::size_t last = first;
        while (last + 1 < count && moments[order[last + 1]] == moments[order[first]])
            ++last;
        const double middle = (double(first) + double(last)) / 2.0 + 0.5;
        const int level = std::min(255, int(middle * 256.0 / double(count)));
        const auto grey = static_cast<uchar>(255 - level);
        for (std::size_t i = first; i <= last; ++i) {
            const std::size_t pixel = order[i];
            image.scanLine(int(pixel / Width))[pixel % Width] = grey;
        }
        first = last + 1;
    }
    // The compositor lays the pattern's first row on the bottom row of the
    // frame, so the file holds the pattern upside down to wipe as named.
    image = image.mirrored(false, true);
    // Fixed facts in the file, so the bytes never depend on the machine.
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--list")) {
        for (const auto& entry : patterns())
            std::printf("%s\n", qPrintable(entry.first));
        return 0;
    }
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: reelwright-patterngen <folder> <name>...\n"
                             "       reelwright-patterngen --list\n");
        return 2;
    }
    const QDir folder(arguments.first());
    if (!QDir().mkpath(folder.absolutePath())) {
        std::fprintf(stderr, "reelwright-patterngen: cannot create %s\n", qPrintable(folder.absolutePath()));
        return 1;
    }
    for (const QString& name : arguments.mid(1)) {
        const auto found = patterns().find(name);
        if (found == patterns().end()) {
            std::fprintf(stderr, "reelwright-patterngen: no pattern named %s (see --list)\n", qPrintable(name));
            return 1;
        }
        const QString path = folder.filePath(name + QStringLiteral(".wpt"));
        QImageWriter writer(path, "png");
        if (!writer.write(greyImage(found->second))) {
            std::fprintf(stderr, "reelwright-patterngen: cannot write %s: %s\n", qPrintable(path),
                         qPrintable(writer.errorString()));
            return 1;
        }
    }
    return 0;
}
