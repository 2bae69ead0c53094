#include "tools/picture_codecs.h"

#include <cstddef>

namespace velmora::art {

namespace {

// Sizes of the fixed headers of the Windows bitmap formats.
constexpr int kFileHeaderSize = 14;    // BITMAPFILEHEADER
constexpr int kInfoHeaderSize = 40;    // BITMAPINFOHEADER
constexpr int kIconDirSize = 6;        // ICONDIR
constexpr int kIconEntrySize = 16;     // ICONDIRENTRY
constexpr int kPixelsPerMetre = 3780;  // 96 dots per inch

void put16(QByteArray& out, int value) {
    const auto v = static_cast<std::uint32_t>(value);
    out.append(static_cast<char>(v & 0xFFU));
    out.append(static_cast<char>((v >> 8U) & 0xFFU));
}

void put32(QByteArray& out, int value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (unsigned shift = 0; shift < 32; shift += 8) {
        out.append(static_cast<char>((v >> shift) & 0xFFU));
    }
}

void putByte(QByteArray& out, unsigned value) { out.append(static_cast<char>(value & 0xFFU)); }

// Palette entries are stored blue, green, red, reserved.
void putColour(QByteArray& out, QRgb colour) {
    putByte(out, static_cast<unsigned>(qBlue(colour)));
    putByte(out, static_cast<unsigned>(qGreen(colour)));
    putByte(out, static_cast<unsigned>(qRed(colour)));
    putByte(out, 0);
}

// Rows of a DIB are padded to a multiple of four bytes.
constexpr int rowStride(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

void putInfoHeader(QByteArray& out, int width, int height, int bitsPerPixel, int imageSize, int pixelsPerMetre,
                   int coloursUsed) {
    put32(out, kInfoHeaderSize);
    put32(out, width);
    put32(out, height);  // positive: rows are stored bottom-up
    put16(out, 1);       // planes
    put16(out, bitsPerPixel);
    put32(out, 0);  // BI_RGB, no compression
    put32(out, imageSize);
    put32(out, pixelsPerMetre);
    put32(out, pixelsPerMetre);
    put32(out, coloursUsed);
    put32(out, 0);  // all colours important
}

}  // namespace

QImage Icon16::toImage() const {
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const auto i = static_cast<std::size_t>(at(x, y));
            image.setPixel(x, y, transparent[i] ? qRgba(0, 0, 0, 0) : palette[index[i] & 0x0FU]);
        }
    }
    return image;
}

QByteArray encodeIcon16(const Icon16& icon) {
    constexpr int kSide = Icon16::kSize;
    constexpr int kColourStride = rowStride(kSide, 4);
    constexpr int kMaskStride = rowStride(kSide, 1);
    constexpr int kPaletteSize = 16 * 4;
    constexpr int kBitsSize = kColourStride * kSide + kMaskStride * kSide;
    constexpr int kImageSize = kInfoHeaderSize + kPaletteSize + kBitsSize;

    QByteArray out;
    out.reserve(kIconDirSize + kIconEntrySize + kImageSize);

    // ICONDIR: reserved, type 1 = icon, one image.
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);

    // ICONDIRENTRY.
    putByte(out, kSide);
    putByte(out, kSide);
    putByte(out, 16);  // colours
    putByte(out, 0);   // reserved
    put16(out, 1);     // planes
    put16(out, 4);     // bits per pixel
    put32(out, kImageSize);
    put32(out, kIconDirSize + kIconEntrySize);

    // The image's header counts the colour bitmap and the mask together,
    // hence twice the height.
    putInfoHeader(out, kSide, 2 * kSide, 4, kBitsSize, 0, 0);
    for (const QRgb colour : icon.palette) {
        putColour(out, colour);
    }

    // Colour bitmap, two pixels per byte, the left one in the high nibble.
    for (int y = kSide - 1; y >= 0; --y) {
        for (int x = 0; x < kSide; x += 2) {
            const auto left = static_cast<unsigned>(icon.index[static_cast<std::size_t>(Icon16::at(x, y))]) & 0x0FU;
            const auto right =
                static_cast<unsigned>(icon.index[static_cast<std::size_t>(Icon16::at(x + 1, y))]) & 0x0FU;
            putByte(out, (left << 4U) | right);
        }
    }

    // AND mask, one bit per pixel, most significant bit first; 1 = transparent.
    for (int y = kSide - 1; y >= 0; --y) {
        for (int x = 0; x < kSide; x += 8) {
            unsigned bits = 0;
            for (int b = 0; b < 8; ++b) {
                bits <<= 1U;
                if (icon.transparent[static_cast<std::size_t>(Icon16::at(x + b, y))]) {
                    bits |= 1U;
                }
            }
            putByte(out, bits);
        }
    }
    return out;
}

QByteArray encodeGreyBmp(const QImage& grey) {
    if (grey.format() != QImage::Format_Grayscale8 || grey.isNull()) {
        return {};
    }
    const int width = grey.width();
    const int height = grey.height();
    const int stride = rowStride(width, 8);
    const int headersSize = kFileHeaderSize + kInfoHeaderSize + 256 * 4;
    const int imageSize = stride * height;

    QByteArray out;
    out.reserve(headersSize + imageSize);

    // BITMAPFILEHEADER.
    out.append("BM", 2);
    put32(out, headersSize + imageSize);
    put16(out, 0);
    put16(out, 0);
    put32(out, headersSize);

    putInfoHeader(out, width, height, 8, imageSize, kPixelsPerMetre, 256);
    for (int level = 0; level < 256; ++level) {
        putColour(out, qRgb(level, level, level));
    }

    for (int y = height - 1; y >= 0; --y) {
        const uchar* row = grey.constScanLine(y);
        out.append(reinterpret_cast<const char*>(row), width);
        for (int pad = width; pad < stride; ++pad) {
            putByte(out, 0);
        }
    }
    return out;
}

}  // namespace velmora::art
