#include "tools/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace velmora::art {

namespace {

QColor grey(int level) { return QColor(level, level, level); }

// ---------------------------------------------------------------------------
// Background

// Level of the bare ground: white in the top left corner, falling evenly
// along the diagonal to this level in the bottom right corner.
constexpr double kGroundTopLeft = 255.0;
constexpr double kGroundBottomRight = 192.0;

// The word's box. The status line above it ends at y 37 and the label below
// it starts at y 108, so the word keeps clear of both.
constexpr double kWordLeft = 45.0;
constexpr double kWordTop = 55.0;
constexpr double kWordHeight = 45.0;
constexpr double kLetterWidth = 29.0;
constexpr double kStroke = 9.0;
constexpr double kLetterGap = 5.0;

// Spheres: two after the word, then a column down the right edge.
constexpr double kSphereRadius = 17.0;
constexpr double kFirstSphereX = 387.0;
constexpr double kColumnX = 434.0;
constexpr double kSphereY = kWordTop + kWordHeight / 2.0;
constexpr double kColumnStep = 38.0;
constexpr int kColumnSpheres = 8;  // below the one beside the word

// Shadows fall this far down and to the right, this soft and this dark.
constexpr double kShadowOffset = 5.0;
constexpr int kShadowBlurRadius = 2;
constexpr double kShadowStrength = 0.42;

double groundLevel(int x, int y) {
    constexpr double w = kBackgroundWidth - 1;
    constexpr double h = kBackgroundHeight - 1;
    // Projection onto the diagonal: 0 in the top left corner, 1 in the bottom right.
    const double t = (x * w + y * h) / (w * w + h * h);
    return kGroundTopLeft + (kGroundBottomRight - kGroundTopLeft) * t;
}

QPainterPath rect(double x, double y, double w, double h) {
    QPainterPath path;
    path.addRect(QRectF(x, y, w, h));
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A rounded-rectangle ring of the letters' stroke width.
QPainterPath roundedRing(const QRectF& outer, double radius) {
    QPainterPath out;
    out.addRoundedRect(outer, radius, radius);
    QPainterPath in;
    const double innerRadius = std::max(radius - kStroke, 1.5);
    in.addRoundedRect(outer.adjusted(kStroke, kStroke, -kStroke, -kStroke), innerRadius, innerRadius);
    return out.subtracted(in);
}

// The letters are squared, heavy capitals in a box kLetterWidth wide (the I
// is one stroke wide) and kWordHeight high, with the origin at the top left.
struct Glyph {
    QPainterPath path;
    double width;
};

Glyph letter(char c) {
    constexpr double w = kLetterWidth;
    constexpr double h = kWordHeight;
    constexpr double s = kStroke;
    constexpr double corner = 12.0;
    constexpr double bowlHeight = 26.0;  // height of the bowls of P and R
    switch (c) {
    case 'E':
        return {rect(0, 0, s, h)
                    .united(rect(0, 0, w, s))
                    .united(rect(0, (h - s) / 2, w - 4, s))
                    .united(rect(0, h - s, w, s)),
                w};
    case 'N':
        return {rect(0, 0, s, h)
                    .united(rect(w - s, 0, s, h))
                    .united(polygon({{0, 0}, {s + 1.5, 0}, {w, h}, {w - s - 1.5, h}})),
                w};
    case 'C':
        return {
            roundedRing(QRectF(0, 0, w, h), corner).subtracted(rect(w - s - 1, corner + 1, s + 2, h - 2 * corner - 2)),
            w};
    case 'O': return {roundedRing(QRectF(0, 0, w, h), corner), w};
    case 'P': return {rect(0, 0, s, h).united(roundedRing(QRectF(0, 0, w, bowlHeight), corner - 2)), w};
    case 'R':
        return {
            rect(0, 0, s, h)
                .united(roundedRing(QRectF(0, 0, w, bowlHeight), corner - 2))
                .united(polygon({{w - 2 * s - 1, bowlHeight - s}, {w - s, bowlHeight - s}, {w, h}, {w - s - 1, h}})),
            w};
    case 'Y':
        return {polygon({{0, 0}, {s + 1, 0}, {(w + s) / 2, h * 0.5}, {(w - s) / 2, h * 0.5}})
                    .united(polygon({{w, 0}, {w - s - 1, 0}, {(w - s) / 2, h * 0.5}, {(w + s) / 2, h * 0.5}}))
                    .united(rect((w - s) / 2, h * 0.45, s, h * 0.55)),
                w};
    case 'T': return {rect(0, 0, w, s).united(rect((w - s) / 2, 0, s, h)), w};
    case 'I': return {rect(0, 0, s, h), s};
    default: return {QPainterPath(), w};
    }
}

QPainterPath wordPath(const char* text, double left, double top) {
    QPainterPath word;
    double x = left;
    for (const char* c = text; *c != '\0'; ++c) {
        const Glyph glyph = letter(*c);
        word = word.united(glyph.path.translated(x, top));
        x += glyph.width + kLetterGap;
    }
    return word;
}

struct Sphere {
    QPointF centre;
    double opacity;
};

std::vector<Sphere> spheres() {
    std::vector<Sphere> all;
    all.push_back({QPointF(kFirstSphereX, kSphereY), 1.0});
    all.push_back({QPointF(kColumnX, kSphereY), 1.0});
    for (int i = 1; i <= kColumnSpheres; ++i) {
        // Each sphere further down stands out less from the ground.
        const double fade = 1.0 - static_cast<double>(i) / (kColumnSpheres + 1.5);
        all.push_back({QPointF(kColumnX, kSphereY + i * kColumnStep), fade * fade});
    }
    return all;
}

// Three passes of a box blur come close to a Gaussian.
void blur(std::vector<double>& v, int width, int height, int radius) {
    std::vector<double> tmp(v.size());
    const auto idx = [width](int x, int y) { return static_cast<std::size_t>(y * width + x); };
    const double span = 2.0 * radius + 1.0;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                double sum = 0;
                for (int d = -radius; d <= radius; ++d) {
                    sum += v[idx(std::clamp(x + d, 0, width - 1), y)];
                }
                tmp[idx(x, y)] = sum / span;
            }
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                double sum = 0;
                for (int d = -radius; d <= radius; ++d) {
                    sum += tmp[idx(x, std::clamp(y + d, 0, height - 1))];
                }
                v[idx(x, y)] = sum / span;
            }
        }
    }
}

void drawSphere(QPainter& painter, const Sphere& sphere) {
    const QPointF c = sphere.centre;
    constexpr double r = kSphereRadius;
    // Lit from the top left: a white highlight, shading to grey at the rim
    // with a little light thrown back from the ground at the bottom.
    QRadialGradient shade(c, r, c + QPointF(-0.38 * r, -0.42 * r));
    shade.setColorAt(0.00, grey(255));
    shade.setColorAt(0.30, grey(250));
    shade.setColorAt(0.70, grey(214));
    shade.setColorAt(0.92, grey(158));
    shade.setColorAt(1.00, grey(172));
    painter.setOpacity(sphere.opacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawEllipse(c, r, r);
}

void fillChrome(QPainter& painter, const QPainterPath& word) {
    // Chrome: a bright sky fading towards a dark horizon at the middle, a
    // light ground just below it that darkens again, and a bright reflected
    // edge at the foot.
    QLinearGradient chrome(0, kWordTop, 0, kWordTop + kWordHeight);
    chrome.setColorAt(0.00, grey(255));
    chrome.setColorAt(0.18, grey(238));
    chrome.setColorAt(0.47, grey(150));
    chrome.setColorAt(0.50, grey(40));
    chrome.setColorAt(0.54, grey(236));
    chrome.setColorAt(0.84, grey(118));
    chrome.setColorAt(1.00, grey(190));
    painter.setOpacity(1.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(chrome);
    painter.drawPath(word);

    // Bevel: a white line just inside the top and left edges, a dark one just
    // inside the bottom and right edges.
    painter.save();
    painter.setClipPath(word);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(grey(255), 1.6));
    painter.drawPath(word.translated(1.3, 1.3));
    painter.setPen(QPen(grey(70), 1.6));
    painter.drawPath(word.translated(-1.3, -1.3));
    painter.restore();

    painter.setPen(QPen(grey(30), 1.2));
    painter.drawPath(word);
}

}  // namespace

QImage drawBackground() {
    constexpr int W = kBackgroundWidth;
    constexpr int H = kBackgroundHeight;

    QImage canvas(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y) {
        auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = 0; x < W; ++x) {
            const int level = static_cast<int>(std::lround(groundLevel(x, y)));
            row[x] = qRgb(level, level, level);
        }
    }

    const QPainterPath word = wordPath("ENCRYPTION", kWordLeft, kWordTop);
    const std::vector<Sphere> all = spheres();

    // Soft shadows of the word and the spheres on the ground.
    {
        QImage cover(W, H, QImage::Format_ARGB32_Premultiplied);
        cover.fill(Qt::transparent);
        QPainter painter(&cover);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPath(word.translated(kShadowOffset, kShadowOffset));
        for (const Sphere& sphere : all) {
            painter.setOpacity(sphere.opacity);
            painter.drawEllipse(sphere.centre + QPointF(kShadowOffset, kShadowOffset), kSphereRadius, kSphereRadius);
        }
        painter.end();

        std::vector<double> shadow(static_cast<std::size_t>(W * H));
        for (int y = 0; y < H; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(cover.constScanLine(y));
            for (int x = 0; x < W; ++x) {
                shadow[static_cast<std::size_t>(y * W + x)] = qAlpha(row[x]) / 255.0;
            }
        }
        blur(shadow, W, H, kShadowBlurRadius);
        for (int y = 0; y < H; ++y) {
            auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(y));
            for (int x = 0; x < W; ++x) {
                const double darken = 1.0 - kShadowStrength * shadow[static_cast<std::size_t>(y * W + x)];
                const int level = static_cast<int>(std::lround(qGreen(row[x]) * darken));
                row[x] = qRgb(level, level, level);
            }
        }
    }

    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        for (const Sphere& sphere : all) {
            drawSphere(painter, sphere);
        }
        fillChrome(painter, word);
    }

    // Everything above is drawn in greys only, so any channel is the level.
    QImage result(W, H, QImage::Format_Grayscale8);
    for (int y = 0; y < H; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        uchar* out = result.scanLine(y);
        for (int x = 0; x < W; ++x) {
            out[x] = static_cast<uchar>(qGray(in[x]));
        }
    }
    return result;
}

QImage drawButton() {
    QImage result(kButtonWidth, kButtonHeight, QImage::Format_Grayscale8);
    for (int y = 0; y < kButtonHeight; ++y) {
        uchar* row = result.scanLine(y);
        for (int x = 0; x < kButtonWidth; ++x) {
            const double t = static_cast<double>(x) / (kButtonWidth - 1);
            row[x] = static_cast<uchar>(std::lround(kGroundTopLeft + (kGroundBottomRight - kGroundTopLeft) * t));
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// Icons

namespace {

// Which pixels of a size x size picture belong to a shape.
struct Mask {
    int size = 0;
    std::vector<bool> bits;
};

// A pixel belongs to a shape when at least half of a 4 x 4 grid of samples
// inside it lies in the shape.
Mask rasterize(const QPainterPath& shape, int size = Icon16::kSize) {
    Mask mask{size, std::vector<bool>(static_cast<std::size_t>(size) * static_cast<std::size_t>(size))};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    if (shape.contains(QPointF(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0))) {
                        ++inside;
                    }
                }
            }
            mask.bits[static_cast<std::size_t>(y * size + x)] = inside >= 8;
        }
    }
    return mask;
}

bool in(const Mask& mask, int x, int y) {
    if (x < 0 || y < 0 || x >= mask.size || y >= mask.size) {
        return false;
    }
    return mask.bits[static_cast<std::size_t>(y * mask.size + x)];
}

// True when a pixel of the shape lies within `reach` steps of (x, y) in
// direction (dx, dy), the step itself included.
bool anyWithin(const Mask& mask, int x, int y, int dx, int dy, int reach) {
    for (int step = 1; step <= reach; ++step) {
        if (in(mask, x + dx * step, y + dy * step)) {
            return true;
        }
    }
    return false;
}

// True when a pixel outside the shape lies within `radius` of (x, y): the
// outline is as wide along curves as along straight edges.
bool nearOutside(const Mask& mask, int x, int y, int radius) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (dx * dx + dy * dy <= radius * radius && !in(mask, x + dx, y + dy)) {
                return true;
            }
        }
    }
    return false;
}

bool allWithin(const Mask& mask, int x, int y, int dx, int dy, int reach) {
    for (int step = 1; step <= reach; ++step) {
        if (!in(mask, x + dx * step, y + dy * step)) {
            return false;
        }
    }
    return true;
}

QPainterPath disc(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// A straight bar of the given thickness from a to b.
QPainterPath bar(QPointF a, QPointF b, double thickness) {
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    const QPointF n(-d.y() / length * thickness / 2.0, d.x() / length * thickness / 2.0);
    return polygon({a + n, b + n, b - n, a - n});
}

}  // namespace

std::array<QRgb, 16> iconPalette() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),    qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128),  qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),    qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(96, 176, 255), qRgb(255, 255, 255)};
}

namespace {

// The key icon as palette indices, row by row. Drawn on a 32 x 32 grid and
// scaled as geometry, so every size is drawn afresh rather than enlarged
// pixels; outline, shading and shadow widths grow with the scale (one, two
// and two pixels at 32 x 32), never below one pixel.
std::vector<std::uint8_t> keyPaint(int size) {
    // The key, lying on its side: the bit with two teeth on the left, the
    // shaft, a collar and the round bow with its hole on the right.
    const double scale = size / static_cast<double>(Icon16::kSize);
    // Each part is scaled before the parts are joined: joining flattens
    // curves into as many segments as their drawn size needs.
    const QPointF bowCentre = QPointF(22.5, 14.5) * scale;
    const QTransform toSize = QTransform::fromScale(scale, scale);
    const QPainterPath key = disc(bowCentre, 7.6 * scale)
                                 .subtracted(disc(bowCentre, 2.7 * scale))
                                 .united(toSize.map(rect(2, 12, 15, 5)))
                                 .united(toSize.map(rect(12, 10, 3, 9)))
                                 .united(toSize.map(rect(2, 17, 8, 5)).subtracted(toSize.map(rect(5, 19, 2, 3))));
    const Mask shape = rasterize(key, size);
    const int line = std::max(1, static_cast<int>(std::lround(scale)));
    const int band = std::max(1, static_cast<int>(std::lround(2.0 * scale)));

    std::vector<std::uint8_t> paint(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), colour::kSilver);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint8_t& p = paint[static_cast<std::size_t>(y * size + x)];
            if (in(shape, x, y)) {
                const bool edge = nearOutside(shape, x, y, line);
                // Light falls from the top left: the bow gets a white gleam along
                // its upper left rim and a darker yellow along its lower right rim;
                // the shaft and the bit are darker along their underside.
                const bool inBow = x >= 16 * scale;
                const bool upperLeft = (x + 0.5 - bowCentre.x()) + (y + 0.5 - bowCentre.y()) < -2.0 * scale;
                const bool nearBelow = !allWithin(shape, x, y, 0, 1, band);
                const bool nearRight = !allWithin(shape, x, y, 1, 0, band);
                const bool nearAbove = !allWithin(shape, x, y, 0, -1, band);
                const bool nearLeft = !allWithin(shape, x, y, -1, 0, band);
                if (edge) {
                    p = colour::kBlack;
                } else if (inBow && upperLeft && (nearAbove || nearLeft)) {
                    p = colour::kWhite;
                } else if (nearBelow || (inBow && !upperLeft && nearRight)) {
                    p = colour::kOlive;
                } else {
                    p = colour::kYellow;
                }
            } else if (anyWithin(shape, x, y, -1, -1, band)) {
                p = colour::kGrey;
            }
        }
    }
    return paint;
}

}  // namespace

Icon16 drawKeyIcon() {
    const std::vector<std::uint8_t> paint = keyPaint(Icon16::kSize);
    Icon16 icon;
    icon.palette = iconPalette();
    std::copy(paint.begin(), paint.end(), icon.index.begin());
    return icon;
}

QImage drawKeyPicture(int size) {
    const std::vector<std::uint8_t> paint = keyPaint(size);
    std::array<QRgb, 16> palette = iconPalette();
    // Silver is the ground and grey the shadow, never part of the key. Black
    // at 85/255 over silver (192) gives grey (128) exactly.
    palette[colour::kSilver] = qRgba(0, 0, 0, 0);
    palette[colour::kGrey] = qRgba(0, 0, 0, 85);
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size; ++x) {
            row[x] = palette[paint[static_cast<std::size_t>(y * size + x)]];
        }
    }
    return image;
}

Icon16 drawWheelIcon() {
    // The wheel is centred on the corner between the four middle pixels so
    // that it comes out symmetric in both directions.
    const QPointF centre(16.0, 16.0);
    constexpr int kSpokes = 8;
    constexpr double kRimOuter = 10.6;
    constexpr double kRimInner = 7.4;
    constexpr double kHub = 3.4;
    constexpr double kHandleEnd = 14.8;

    QPainterPath wheel = disc(centre, kRimOuter).subtracted(disc(centre, kRimInner)).united(disc(centre, kHub));
    QPainterPath dots = disc(centre, 1.2);
    for (int i = 0; i < kSpokes; ++i) {
        const double angle = i * 2.0 * std::numbers::pi / kSpokes;
        const QPointF dir(std::cos(angle), std::sin(angle));
        wheel = wheel.united(bar(centre, centre + dir * kHandleEnd, 2.2));
        wheel = wheel.united(disc(centre + dir * 13.4, 1.5));
        dots = dots.united(disc(centre + dir * ((kRimOuter + kRimInner) / 2.0), 1.2));
    }
    const Mask shape = rasterize(wheel);
    const Mask dot = rasterize(dots);

    Icon16 icon;
    icon.palette = iconPalette();
    for (int y = 0; y < Icon16::kSize; ++y) {
        for (int x = 0; x < Icon16::kSize; ++x) {
            const auto i = static_cast<std::size_t>(Icon16::at(x, y));
            if (!in(shape, x, y)) {
                icon.transparent[i] = true;
                icon.index[i] = colour::kBlack;
                continue;
            }
            if (in(dot, x, y)) {
                icon.index[i] = colour::kLightBlue;
                continue;
            }
            // The rim, hub and handles are shaded on their lower right edges; the
            // thin spokes between hub and rim stay plain red.
            const double r = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            const bool thick = r <= kHub || r >= kRimInner;
            const bool shaded = thick && (!in(shape, x + 1, y) || !in(shape, x, y + 1));
            icon.index[i] = shaded ? colour::kMaroon : colour::kRed;
        }
    }
    return icon;
}

}  // namespace velmora::art
