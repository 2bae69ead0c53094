#pragma once
// Byte-exact writers for the window's picture files.
//
// Qt's own writers are not used for the committed pictures: its ICO writer
// only produces 32-bit images, and writing the BMP headers ourselves keeps
// every header field under this program's control.

#include <QByteArray>
#include <QImage>
#include <QRgb>

#include <array>
#include <cstdint>

namespace velmora::art {

// A 32 x 32 icon in 16 colours with a transparency mask, the classic
// Windows icon format.
struct Icon16 {
    static constexpr int kSize = 32;
    static constexpr int kPixels = kSize * kSize;

    std::array<QRgb, 16> palette{};
    // Palette index of each pixel, row by row from the top, left to right.
    std::array<std::uint8_t, kPixels> index{};
    // True where the pixel is transparent (mask bit 1).
    std::array<bool, kPixels> transparent{};

    [[nodiscard]] static constexpr int at(int x, int y) { return y * kSize + x; }

    // The icon as Qt would show it: ARGB32, transparent pixels fully clear.
    [[nodiscard]] QImage toImage() const;
};

// An .ico file holding one 32 x 32, 4 bits-per-pixel image with its AND
// mask: 766 bytes.
[[nodiscard]] QByteArray encodeIcon16(const Icon16& icon);

// A .bmp file of an 8 bits-per-pixel image whose palette is the grey ramp
// (entry i = grey level i). The image must be QImage::Format_Grayscale8.
// Returns an empty array for any other format.
[[nodiscard]] QByteArray encodeGreyBmp(const QImage& grey);

}  // namespace velmora::art
