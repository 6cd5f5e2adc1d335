// kolvar-make-images: paints the texture images of the default world
// (maps/basicMap.xml and its includes) and writes them as PNG files.
//
// Re-run it from the repository root after changing a picture, then commit
// the PNGs it writes:
//     cmake --build build --target kolvar-make-images
//     ./build/kolvar-make-images maps/textures
// The output is the same on every run (fixed random seeds), so unchanged
// pictures give unchanged files. The program's icon (desktop/kolvar.png) is
// painted the same way:
//     ./build/kolvar-make-images --icon desktop
//
// Conventions the pictures follow (see the map files):
// - Every texel is fully opaque: the program draws textured surfaces with an
//   alpha test that drops any texel whose alpha is below 1.0.
// - Road pieces and quads map the image onto the ground with the image's
//   left edge at -x and its TOP edge at +z (the image's bottom row is GL's
//   first row, texture t = 0, which lies at the piece's lowest z). Quads lay
//   texture coordinates from 0.01 to 0.99 across a piece, so the road
//   geometry is painted inside that band and butts exactly at the joints.
// - Box sides show the whole image once, upright.
#include "console/commandline.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <QtMath>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double kRoadHalfWidth = 4.0;  // world units; straights are 8 wide
constexpr double kEdgeLineIn = 0.5;     // world units from the road edge to the edge line
constexpr double kEdgeLineWidth = 0.25; // world units
constexpr double kCentreLineWidth = 0.2;
constexpr double kTexMargin = 0.01; // quads lay texture coordinates from 0.01 to 0.99
// Road outlines are built in world units times this factor: Qt flattens
// curves for path boolean operations at a fixed tolerance in path units, so
// small world-unit circles would come out as visible polygons.
constexpr double kPathScale = 64.0;

const QColor kEdgeWhite(236, 236, 230);
const QColor kCentreYellow(232, 188, 48);
const QColor kZenith(58, 108, 196); // sky colour at the top of the walls and on the roof

// Small deterministic generator, so every run paints the same pictures.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state(seed ? seed : 1u) {}
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double uniform() { return (next() & 0xffffff) / double(0x1000000); }      // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); } // [lo, hi)

private:
    std::uint32_t state;
};

int clamp255(double v) {
    return v < 0 ? 0 : v > 255 ? 255 : int(v + 0.5);
}

// Forces alpha to 255 everywhere (the alpha test would cut holes otherwise).
QImage opaque(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            row[x] = qRgba(qRed(row[x]), qGreen(row[x]), qBlue(row[x]), 255);
    }
    return out;
}

QImage blank(int w, int h, const QColor& c) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(c);
    return image;
}

// Periodic value noise in [0, 1]: `cells` random values a side, smoothly
// interpolated and wrapping at the image border so the result tiles.
class TileNoise {
public:
    TileNoise(int cells, std::uint32_t seed) : n(cells), values(size_t(cells) * size_t(cells)) {
        Rng rng(seed);
        for (double& v : values)
            v = rng.uniform();
    }
    // u, v in image fractions [0, 1).
    double at(double u, double v) const {
        double x = u * n, y = v * n;
        int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        double fx = smooth(x - x0), fy = smooth(y - y0);
        double a = cell(x0, y0), b = cell(x0 + 1, y0), c = cell(x0, y0 + 1),
               d = cell(x0 + 1, y0 + 1);
        return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    double cell(int x, int y) const {
        x = ((x % n) + n) % n;
        y = ((y % n) + n) % n;
        return values[size_t(y) * size_t(n) + size_t(x)];
    }
    int n;
    std::vector<double> values;
};

// Adds per-texel grain of +-amount to every channel.
void grain(QImage& image, double amount, std::uint32_t seed) {
    Rng rng(seed);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            double d = rng.range(-amount, amount);
            row[x] = qRgb(clamp255(qRed(row[x]) + d), clamp255(qGreen(row[x]) + d),
                          clamp255(qBlue(row[x]) + d));
        }
    }
}

// Grass: mottled green with short blades; tiles seamlessly. pxPerUnit sets
// the blade size so grass drawn at different scales looks alike.
QImage grass(int size, double pxPerUnit, std::uint32_t seed) {
    QImage image(size, size, QImage::Format_ARGB32);
    TileNoise patches(6, seed), fine(24, seed + 1);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double u = double(x) / size, v = double(y) / size;
            double p = patches.at(u, v), f = fine.at(u, v);
            image.setPixel(x, y,
                           qRgb(clamp255(62 + 30 * p + 10 * f), clamp255(110 + 36 * p + 16 * f),
                                clamp255(40 + 14 * p)));
        }
    grain(image, 7, seed + 2);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Rng rng(seed + 3);
    const int blades = int(size * size / 18);
    const double length = 0.22 * pxPerUnit;
    for (int i = 0; i < blades; ++i) {
        double x = rng.range(0, size), y = rng.range(0, size);
        double angle = rng.range(-0.9, 0.9) - M_PI / 2;
        double shade = rng.uniform();
        QColor c = shade < 0.5 ? QColor(44, 88, 30) : QColor(120, 168, 70);
        painter.setPen(QPen(c, std::max(1.0, 0.03 * pxPerUnit), Qt::SolidLine, Qt::RoundCap));
        QPointF d(std::cos(angle) * length, std::sin(angle) * length);
        // Drawn at every wrapped offset so blades crossing a border tile.
        for (int ox = -size; ox <= size; ox += size)
            for (int oy = -size; oy <= size; oy += size)
                painter.drawLine(QPointF(x + ox, y + oy), QPointF(x + ox, y + oy) + d);
    }
    painter.end();
    return image;
}

// Asphalt: dark grey with fine grain and faint patches; tiles seamlessly.
QImage asphalt(int size, std::uint32_t seed) {
    QImage image(size, size, QImage::Format_ARGB32);
    TileNoise patches(4, seed);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double p = patches.at(double(x) / size, double(y) / size);
            int g = clamp255(70 + 14 * p);
            image.setPixel(x, y, qRgb(g, g, g + 3));
        }
    grain(image, 9, seed + 1);
    return image;
}

// Gravel: a light, brownish shoulder; tiles seamlessly.
QImage gravel(int size, std::uint32_t seed) {
    QImage image = asphalt(size, seed);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int g = qRed(image.pixel(x, y));
            image.setPixel(x, y, qRgb(clamp255(g + 80), clamp255(g + 68), clamp255(g + 44)));
        }
    return image;
}

// Blends `over` onto `base` where `mask` (its red channel) is set.
QImage blendByMask(const QImage& base, const QImage& over, const QImage& mask) {
    QImage out = base.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const QRgb* o = reinterpret_cast<const QRgb*>(over.constScanLine(y));
        const QRgb* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            double a = qRed(m[x]) / 255.0;
            row[x] = qRgb(clamp255(qRed(row[x]) * (1 - a) + qRed(o[x]) * a),
                          clamp255(qGreen(row[x]) * (1 - a) + qGreen(o[x]) * a),
                          clamp255(qBlue(row[x]) * (1 - a) + qBlue(o[x]) * a));
        }
    }
    return out;
}

// Painter transform from piece coordinates (world units, origin at the
// piece's centre, x to the right, z towards the image top) to the pixels of
// a size x size image of a piece `extentX` by `extentZ` units, honouring the
// 0.01 texture-coordinate margin.
// Paths given to it are in world units times kPathScale (see fine()).
QTransform pieceTransform(int size, double extentX, double extentZ) {
    const double span = 1.0 - 2 * kTexMargin;
    QTransform t;
    t.translate(size / 2.0, size / 2.0);
    t.scale(size * span / extentX / kPathScale, -size * span / extentZ / kPathScale);
    return t;
}

// A path in world units scaled to path units.
QPainterPath fine(const QPainterPath& path) {
    return QTransform::fromScale(kPathScale, kPathScale).map(path);
}

// Paints a mask image: `paint` draws white on black in piece coordinates.
QImage mask(int size, const QTransform& transform, const std::function<void(QPainter&)>& paint) {
    QImage image = blank(size, size, Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(transform);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    paint(painter);
    painter.end();
    return image;
}

// Difference of two masks (red channels), clamped at 0.
QImage maskMinus(const QImage& a, const QImage& b) {
    QImage out = a;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const QRgb* s = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            int v = std::max(0, qRed(row[x]) - qRed(s[x]));
            row[x] = qRgb(v, v, v);
        }
    }
    return out;
}

// A road piece: grass (or, with `shoulder`, gravel), the asphalt of `outline` (which reaches past
// the image border where the road leaves the piece, so no edge line is painted across a joint),
// white edge lines kEdgeLineIn inside every curb of the outline, and the yellow centre lines
// `centre`.
QImage roadPiece(int size, double extentX, double extentZ, const QPainterPath& outline,
                 const QPainterPath& centre, std::uint32_t seed, bool shoulder = false) {
    const QTransform t = pieceTransform(size, extentX, extentZ);
    const double pxPerUnit = size * (1 - 2 * kTexMargin) / std::max(extentX, extentZ);
    QImage ground = shoulder ? gravel(size, seed) : grass(size, pxPerUnit, seed);
    QImage road = asphalt(size, seed + 10);
    QImage roadMask = mask(size, t, [&](QPainter& p) { p.drawPath(outline); });
    QImage picture = blendByMask(ground, road, roadMask);

    // The edge line is the band between kEdgeLineIn and kEdgeLineIn + width
    // inside the curb: two clipped strokes of the outline, subtracted.
    auto band = [&](double inset) {
        return mask(size, t, [&](QPainter& p) {
            p.setClipPath(outline);
            p.setBrush(Qt::NoBrush);
            p.setPen(
                QPen(Qt::white, 2 * inset * kPathScale, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
            p.drawPath(outline);
        });
    };
    QImage lines = maskMinus(band(kEdgeLineIn + kEdgeLineWidth), band(kEdgeLineIn));
    picture = blendByMask(picture, blank(size, size, kEdgeWhite), lines);

    QImage centreMask = mask(size, t, [&](QPainter& p) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, kCentreLineWidth * kPathScale, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(centre);
    });
    return blendByMask(picture, blank(size, size, kCentreYellow), centreMask);
}

// A straight 8-unit road; alongZ chooses which image axis the road follows.
QImage straightRoad(int size, bool alongZ) {
    const double h = kRoadHalfWidth, far = 100; // far: well past the image
    QPainterPath outline, centre;
    if (alongZ) {
        outline.addRect(QRectF(-h, -far, 2 * h, 2 * far));
        centre.moveTo(0, -far);
        centre.lineTo(0, far);
    } else {
        outline.addRect(QRectF(-far, -h, 2 * far, 2 * h));
        centre.moveTo(-far, 0);
        centre.lineTo(far, 0);
    }
    // The length axis is laid with its own repeat, so only the cross axis
    // needs the piece's true 8 units.
    return roadPiece(size, 2 * h, 2 * h, fine(outline), fine(centre), alongZ ? 101 : 102);
}

// A quarter turn on a square piece `extent` units a side. The road enters
// at the middle of two neighbouring edges; (cornerX, cornerZ), each +1 or -1,
// names the corner between them, around which the road bends.
QImage turnRoad(int size, double extent, int cornerX, int cornerZ, std::uint32_t seed) {
    const double half = extent / 2, h = kRoadHalfWidth, far = 10;
    const QPointF corner(cornerX * half, cornerZ * half);
    const double r = half; // centre-line radius: from the corner to an edge middle
    QPainterPath outer, inner;
    outer.addEllipse(corner, r + h, r + h);
    inner.addEllipse(corner, r - h, r - h);
    QPainterPath square;
    square.addRect(QRectF(-half, -half, extent, extent));
    QPainterPath outline = fine(outer).subtracted(fine(inner)).intersected(fine(square));
    // Stubs past the two edges the road leaves through.
    QPainterPath stubs;
    stubs.addRect(QRectF(cornerX > 0 ? half - 0.5 : -half - far, -h, far + 0.5, 2 * h));
    stubs.addRect(QRectF(-h, cornerZ > 0 ? half - 0.5 : -half - far, 2 * h, far + 0.5));
    outline = outline.united(fine(stubs));

    QPainterPath centre;
    const QRectF circle(corner.x() - r, corner.y() - r, 2 * r, 2 * r);
    // The quarter of the circle that lies inside the square.
    // Qt's angles run counter-clockwise from +x with y pointing down the
    // unflipped page: the arc must head away from the corner on both axes.
    double start = cornerX > 0 ? (cornerZ > 0 ? 90 : 180) : (cornerZ > 0 ? 0 : 270);
    centre.arcMoveTo(circle, start);
    centre.arcTo(circle, start, 90);
    // A car may stand anywhere on the square (the road test takes the whole
    // piece), so what is not asphalt is a gravel shoulder, not grass.
    return roadPiece(size, extent, extent, outline, fine(centre), seed, true);
}

enum Arm { North = 1, South = 2, East = 4, West = 8 }; // north is -z, east is +x

// A junction on a 16-unit square: the roads of `arms` meet in the middle,
// with rounded curbs (radius 2) between neighbouring arms.
QImage junction(int size, int arms, std::uint32_t seed) {
    const double half = 8, h = kRoadHalfWidth, far = 12, curb = 2;
    QPainterPath outline;
    outline.addRect(QRectF(-h, -h, 2 * h, 2 * h));
    outline = fine(outline);
    auto arm = [&](int which, QRectF rect) {
        if (arms & which) {
            QPainterPath p;
            p.addRect(rect);
            outline = outline.united(fine(p));
        }
    };
    arm(North, QRectF(-h, -far, 2 * h, far));
    arm(South, QRectF(-h, 0, 2 * h, far));
    arm(East, QRectF(0, -h, far, 2 * h));
    arm(West, QRectF(-far, -h, far, 2 * h));
    // Fillets: the corner square between two arms minus a circle.
    auto fillet = [&](int a, int b, double sx, double sz) {
        if ((arms & a) && (arms & b)) {
            QPainterPath square, disc;
            square.addRect(QRectF(sx > 0 ? h : -h - curb, sz > 0 ? h : -h - curb, curb, curb));
            disc.addEllipse(QPointF(sx * (h + curb), sz * (h + curb)), curb, curb);
            outline = outline.united(fine(square).subtracted(fine(disc)));
        }
    };
    fillet(North, East, 1, -1);
    fillet(North, West, -1, -1);
    fillet(South, East, 1, 1);
    fillet(South, West, -1, 1);

    // Centre lines stop short of the crossing area.
    const double stop = h + 1;
    QPainterPath centre;
    auto line = [&](int which, QPointF from, QPointF to) {
        if (arms & which) {
            centre.moveTo(from);
            centre.lineTo(to);
        }
    };
    line(North, QPointF(0, -far), QPointF(0, -stop));
    line(South, QPointF(0, stop), QPointF(0, far));
    line(East, QPointF(stop, 0), QPointF(far, 0));
    line(West, QPointF(-far, 0), QPointF(-stop, 0));
    return roadPiece(size, 2 * half, 2 * half, outline, fine(centre), seed, true);
}

// Sky gradient with soft clouds, `w` x `h`, horizon at the bottom.
QImage sky(int w, int h, std::uint32_t seed, double cloudiness) {
    QImage image(w, h, QImage::Format_ARGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, h);
    gradient.setColorAt(0.0, kZenith);
    gradient.setColorAt(0.7, QColor(130, 172, 224));
    gradient.setColorAt(1.0, QColor(196, 214, 232));
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Rng rng(seed);
    const int clouds = int(cloudiness * w / 16);
    for (int i = 0; i < clouds; ++i) {
        double cx = rng.range(0, w), cy = rng.range(0.05, 0.6) * h;
        double cw = rng.range(0.06, 0.16) * w;
        for (int puff = 0; puff < 7; ++puff) {
            double px = cx + rng.range(-0.5, 0.5) * cw, py = cy + rng.range(-0.12, 0.12) * cw;
            double pr = rng.range(0.15, 0.3) * cw;
            painter.setBrush(QColor(255, 255, 255, 60 + int(rng.range(0, 60))));
            painter.drawEllipse(QPointF(px, py), pr, pr * 0.55);
        }
    }
    painter.end();
    return image;
}

// Skyline along the bottom of a sky wall: `height(x)` gives the silhouette
// top in pixels from the bottom; ends fall to the common horizon band.
void silhouette(QImage& image, const QColor& colour, const std::function<double(double)>& height) {
    const int w = image.width(), h = image.height();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF shape;
    shape << QPointF(0, h);
    for (int x = 0; x <= w; ++x) {
        double fade = std::min(1.0, std::min(x, w - x) / (0.08 * w)); // meets the next wall low
        shape << QPointF(x, h - 3 - fade * height(double(x) / w));
    }
    shape << QPointF(w, h);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(shape);
    // The common horizon band where every wall meets the ground.
    painter.fillRect(QRectF(0, h - 3, w, 3), QColor(104, 128, 100));
    painter.end();
}

QImage skyNorthMountains() {
    QImage image = sky(256, 64, 11, 1.0);
    struct Peak {
        double at, height, slope; // image fraction, pixels, pixels per image width
    };
    Rng rng(12);
    std::vector<Peak> peaks;
    for (int i = 0; i < 9; ++i)
        peaks.push_back({rng.range(0.05, 0.95), rng.range(14, 30), rng.range(120, 260)});
    auto ridge = [&](double u) {
        double v = 0;
        for (const Peak& p : peaks)
            v = std::max(v, p.height - std::abs(u - p.at) * p.slope);
        return v;
    };
    silhouette(image, QColor(120, 136, 162), ridge);
    // Snow on what stands higher than the snow line, painted over the rock.
    const int h = image.height(), w = image.width();
    const double snowLine = 19;
    for (int x = 0; x < w; ++x) {
        double fade = std::min(1.0, std::min(x, w - x) / (0.08 * w));
        double top = fade * ridge(double(x) / w);
        for (double y = snowLine; y < top; y += 1)
            image.setPixel(x, h - 3 - int(y) - 1, qRgb(234, 238, 244));
    }
    silhouette(image, QColor(84, 108, 96),
               [&](double u) { return 4 + 6 * (0.5 + 0.5 * std::sin(u * 19)); });
    return image;
}

QImage skyEastCity() {
    QImage image = sky(256, 64, 21, 0.7);
    Rng rng(22);
    QPainter painter(&image);
    int x = 22;
    while (x < 234) {
        int bw = int(rng.range(6, 14)), bh = int(rng.range(8, 30));
        QColor wall(int(rng.range(90, 120)), int(rng.range(96, 124)), int(rng.range(112, 140)));
        QRect r(x, 64 - 3 - bh, bw, bh);
        painter.fillRect(r, wall);
        for (int wy = r.top() + 2; wy < r.bottom() - 1; wy += 3)
            for (int wx = r.left() + 1; wx < r.right(); wx += 2)
                if (rng.uniform() < 0.35)
                    painter.fillRect(QRect(wx, wy, 1, 1), QColor(250, 226, 150));
        x += bw + int(rng.range(0, 3));
    }
    painter.end();
    silhouette(image, QColor(96, 120, 96), [](double u) { return 2 + 2 * std::sin(u * 31); });
    return image;
}

QImage skySouthHills() {
    QImage image = sky(256, 64, 31, 1.2);
    silhouette(image, QColor(118, 150, 108),
               [](double u) { return 10 + 7 * std::sin(u * 9.0) + 4 * std::sin(u * 23 + 1); });
    silhouette(image, QColor(86, 126, 76),
               [](double u) { return 4 + 4 * std::sin(u * 14 + 2) + 2 * std::sin(u * 37); });
    return image;
}

QImage skyWestForest() {
    QImage image = sky(256, 64, 41, 0.9);
    Rng rng(42);
    std::vector<std::pair<double, double>> trees;
    for (int i = 0; i < 70; ++i)
        trees.push_back({rng.range(0.03, 0.97), rng.range(6, 16)});
    silhouette(image, QColor(48, 84, 52), [&](double u) {
        double v = 3;
        for (const auto& t : trees)
            v = std::max(v, t.second - std::abs(u - t.first) * 256 * 2.2);
        return v;
    });
    return image;
}

// The roof of the sky box: the colour the walls have at their top edge, so
// the seam does not show, with a few clouds.
QImage skyTop() {
    QImage image = blank(128, 128, kZenith);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Rng rng(51);
    for (int i = 0; i < 60; ++i) {
        double x = rng.range(12, 116), y = rng.range(12, 116), r = rng.range(4, 12);
        painter.setBrush(QColor(255, 255, 255, 30 + int(rng.range(0, 40))));
        painter.drawEllipse(QPointF(x, y), r, r * 0.6);
    }
    painter.end();
    return image;
}

// Running-bond bricks of bw x bh pixels over the whole image.
void bricks(QImage& image, int bw, int bh, std::uint32_t seed) {
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(190, 182, 168)); // mortar
    Rng rng(seed);
    for (int row = 0; row * bh < image.height(); ++row)
        for (int x = -(row % 2) * bw / 2; x < image.width(); x += bw) {
            int shade = int(rng.range(-18, 18));
            painter.fillRect(
                QRect(x + 1, row * bh + 1, bw - 1, bh - 1),
                QColor(clamp255(156 + shade), clamp255(74 + shade / 2), clamp255(54 + shade / 3)));
        }
    painter.end();
    grain(image, 6, seed + 1);
}

// A window: frame, two panes with a reflection.
void window(QPainter& p, QRectF r) {
    p.fillRect(r, QColor(236, 232, 222));
    QRectF glass = r.adjusted(2, 2, -2, -2);
    QLinearGradient g(glass.topLeft(), glass.bottomRight());
    g.setColorAt(0, QColor(120, 160, 200));
    g.setColorAt(0.5, QColor(60, 90, 130));
    g.setColorAt(1, QColor(40, 60, 90));
    p.fillRect(glass, g);
    p.fillRect(QRectF(r.center().x() - 1, r.top(), 2, r.height()), QColor(236, 232, 222));
}

QImage houseFront() { // 12 x 6 units: door in the middle, a window each side
    QImage image(128, 64, QImage::Format_ARGB32);
    bricks(image, 12, 5, 61);
    QPainter p(&image);
    p.fillRect(QRect(52, 22, 24, 42), QColor(236, 232, 222));
    p.fillRect(QRect(55, 25, 18, 39), QColor(118, 64, 36));
    p.fillRect(QRect(57, 28, 14, 15), QColor(104, 56, 30));
    p.fillRect(QRect(57, 46, 14, 15), QColor(104, 56, 30));
    p.fillRect(QRect(67, 44, 2, 2), QColor(220, 196, 90)); // handle
    window(p, QRectF(14, 18, 24, 22));
    window(p, QRectF(90, 18, 24, 22));
    p.end();
    return image;
}

QImage houseSide() { // 10 x 6 units: one window
    QImage image(128, 64, QImage::Format_ARGB32);
    bricks(image, 12, 5, 62);
    QPainter p(&image);
    window(p, QRectF(48, 18, 32, 22));
    p.end();
    return image;
}

QImage brickWall() {
    QImage image(128, 128, QImage::Format_ARGB32);
    bricks(image, 16, 8, 63);
    return image;
}

QImage roofTiles() {
    QImage image(128, 64, QImage::Format_ARGB32);
    QPainter p(&image);
    Rng rng(64);
    for (int row = 0; row < 8; ++row)
        for (int x = -(row % 2) * 8; x < 128; x += 16) {
            int shade = int(rng.range(-16, 16));
            QRect r(x, row * 8, 16, 8);
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, QColor(clamp255(150 + shade), clamp255(58 + shade / 2), 40));
            g.setColorAt(1, QColor(clamp255(110 + shade), clamp255(40 + shade / 2), 30));
            p.fillRect(r, g);
            p.fillRect(QRect(x, row * 8, 1, 8), QColor(80, 30, 22));
        }
    p.end();
    grain(image, 5, 65);
    return image;
}

QImage gravelRoof() {
    QImage image = blank(64, 64, QColor(128, 126, 120));
    grain(image, 22, 71);
    return image;
}

QImage facade() { // tower sides: 4 columns x 10 floors of windows
    QImage image(128, 256, QImage::Format_ARGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(196, 190, 176));
    Rng rng(81);
    for (int floor = 0; floor < 10; ++floor)
        for (int col = 0; col < 4; ++col) {
            QRect r(8 + col * 30, 10 + floor * 24, 22, 16);
            bool lit = rng.uniform() < 0.25;
            p.fillRect(r.adjusted(-1, -1, 1, 1), QColor(120, 116, 108));
            if (lit) {
                p.fillRect(r, QColor(244, 214, 132));
            } else {
                QLinearGradient g(r.topLeft(), r.bottomRight());
                g.setColorAt(0, QColor(150, 186, 214));
                g.setColorAt(1, QColor(52, 78, 112));
                p.fillRect(r, g);
            }
        }
    p.fillRect(QRect(0, 246, 128, 10), QColor(120, 116, 108)); // plinth
    p.end();
    grain(image, 4, 82);
    return image;
}

// Paving stones in running bond; a 2-unit quad cell shows the image once,
// so a stone is 1 x 0.5 units.
QImage paving() {
    QImage image(64, 64, QImage::Format_ARGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(118, 114, 108)); // joints
    Rng rng(91);
    for (int row = 0; row < 4; ++row)
        for (int x = -(row % 2) * 16; x < 64; x += 32) {
            int shade = int(rng.range(-14, 14));
            p.fillRect(QRect(x + 1, row * 16 + 1, 30, 14),
                       QColor(clamp255(188 + shade), clamp255(180 + shade), clamp255(166 + shade)));
        }
    p.end();
    grain(image, 6, 92);
    return image;
}

QImage water() {
    QImage image(128, 128, QImage::Format_ARGB32);
    TileNoise waves(8, 101), ripples(32, 102);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            double u = x / 128.0, v = y / 128.0;
            double w = waves.at(u, v), r = ripples.at(u, v);
            double crest = std::pow(std::max(0.0, std::sin((v * 6 + w * 2.5) * 2 * M_PI)), 14);
            image.setPixel(x, y,
                           qRgb(clamp255(34 + 20 * w + 120 * crest * r),
                                clamp255(88 + 30 * w + 110 * crest * r),
                                clamp255(132 + 40 * w + 90 * crest * r)));
        }
    return image;
}

QImage crate() {
    QImage image(64, 64, QImage::Format_ARGB32);
    QPainter p(&image);
    for (int i = 0; i < 8; ++i) // planks
        p.fillRect(QRect(0, i * 8, 64, 8), QColor(176 + (i % 3) * 8, 128 + (i % 2) * 6, 72));
    for (int i = 0; i < 8; ++i)
        p.fillRect(QRect(0, i * 8 + 7, 64, 1), QColor(110, 76, 40));
    QColor frame(132, 90, 48);
    p.fillRect(QRect(0, 0, 64, 7), frame);
    p.fillRect(QRect(0, 57, 64, 7), frame);
    p.fillRect(QRect(0, 0, 7, 64), frame);
    p.fillRect(QRect(57, 0, 7, 64), frame);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(frame, 7));
    p.drawLine(QPointF(6, 58), QPointF(58, 6));
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.drawRect(QRectF(0.5, 0.5, 63, 63));
    p.end();
    grain(image, 6, 111);
    return image;
}

// The program's icon, side x side pixels: a red car on a road through the
// grass under a blue sky, on a rounded square whose corners are transparent.
QImage icon(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = side / 16.0; // the picture is drawn on a 16 x 16 grid
    QPainterPath frame;
    frame.addRoundedRect(QRectF(0, 0, side, side), 3 * s, 3 * s);
    painter.setClipPath(frame);
    QLinearGradient sky(0, 0, 0, 9 * s);
    sky.setColorAt(0, QColor(70, 130, 210));
    sky.setColorAt(1, QColor(175, 210, 240));
    painter.fillRect(QRectF(0, 0, side, 9 * s), sky);
    painter.fillRect(QRectF(0, 9 * s, side, 7 * s), QColor(80, 150, 60));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 90, 95)); // the road narrows towards the horizon
    painter.drawPolygon(
        QPolygonF({{7 * s, 9 * s}, {9 * s, 9 * s}, {15 * s, 16 * s}, {1 * s, 16 * s}}));
    painter.setBrush(QColor(235, 235, 225));
    painter.drawPolygon(
        QPolygonF({{7.9 * s, 9.5 * s}, {8.1 * s, 9.5 * s}, {8.3 * s, 11 * s}, {7.7 * s, 11 * s}}));
    painter.setBrush(QColor(205, 25, 20)); // the car, seen from behind
    painter.drawRoundedRect(QRectF(4.5 * s, 11 * s, 7 * s, 3 * s), s, s);
    painter.drawRoundedRect(QRectF(5.5 * s, 9.3 * s, 5 * s, 2.2 * s), s, s);
    painter.setBrush(QColor(40, 50, 70));
    painter.drawRoundedRect(QRectF(6 * s, 9.8 * s, 4 * s, 1.4 * s), 0.4 * s, 0.4 * s);
    painter.setBrush(QColor(255, 200, 60));
    painter.drawEllipse(QRectF(5.2 * s, 12 * s, 1.2 * s, 0.8 * s));
    painter.drawEllipse(QRectF(9.6 * s, 12 * s, 1.2 * s, 0.8 * s));
    painter.setBrush(QColor(25, 25, 25));
    painter.drawRect(QRectF(5 * s, 14 * s, 1.5 * s, 1 * s));
    painter.drawRect(QRectF(9.5 * s, 14 * s, 1.5 * s, 1 * s));
    return image;
}

bool save(const QString& dir, const QString& name, const QImage& image) {
    const QString path = dir + "/" + name;
    if (!opaque(image).save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line("kolvar-make-images", "[DIR]",
                     "Schrijft de beelden van de standaardwereld als PNG in DIR (standaard "
                     "maps/textures).");
    line.addOption(QCommandLineOption(
        "icon", "schrijft alleen het pictogram kolvar.png (256 x 256) in DIR (standaard desktop)"));
    int status = 0;
    if (!line.parse(argc, argv, status))
        return status;
    if (line.arguments().size() > 1)
        return line.refuse("slechts een map DIR");
    const bool iconOnly = line.isSet("icon");
    const QString dir = !line.arguments().isEmpty() ? QFile::decodeName(line.arguments()[0])
                        : iconOnly                  ? QString("desktop")
                                                    : QString("maps/textures");
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
        return 1;
    }
    if (iconOnly) {
        const QString path = dir + "/kolvar.png";
        if (!icon(256).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s (256x256)\n", qPrintable(path));
        return 0;
    }
    struct Item {
        const char* file;
        std::function<QImage()> make;
    };
    const std::vector<Item> items = {
        // Sky box: one wall per compass direction, and the roof.
        {"sky_north.png", skyNorthMountains},
        {"sky_east.png", skyEastCity},
        {"sky_south.png", skySouthHills},
        {"sky_west.png", skyWestForest},
        {"sky_top.png", skyTop},
        // Ground: laid every 20 units by a 200-unit quad.
        {"grass.png", [] { return grass(256, 256 / 20.0, 1); }},
        // Roads. Straights are 8 units across; turns and junctions are squares.
        {"road_z.png", [] { return straightRoad(128, true); }},
        {"road_x.png", [] { return straightRoad(128, false); }},
        {"road_turn_nw.png", [] { return turnRoad(256, 16, 1, 1, 201); }},
        {"road_turn_ne.png", [] { return turnRoad(256, 16, -1, 1, 202); }},
        {"road_turn_se.png", [] { return turnRoad(256, 16, -1, -1, 203); }},
        {"road_turnlarge_sw.png", [] { return turnRoad(256, 32, 1, -1, 205); }},
        {"road_cross.png", [] { return junction(256, North | South | East | West, 301); }},
        {"road_t_north.png", [] { return junction(256, South | East | West, 302); }},
        {"road_t_south.png", [] { return junction(256, North | East | West, 303); }},
        {"road_t_west.png", [] { return junction(256, North | South | East, 304); }},
        {"road_t_east.png", [] { return junction(256, North | South | West, 305); }},
        // Buildings and props.
        {"house_front.png", houseFront},
        {"house_side.png", houseSide},
        {"brick.png", brickWall},
        {"roof_tiles.png", roofTiles},
        {"roof_gravel.png", gravelRoof},
        {"facade.png", facade},
        {"paving.png", paving},
        {"water.png", water},
        {"crate.png", crate},
    };
    bool ok = true;
    for (const Item& item : items)
        ok = save(dir, item.file, item.make()) && ok;
    return ok ? 0 : 1;
}
