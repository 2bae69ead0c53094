#pragma once
// The window's pictures, drawn from geometry so that they can be redrawn
// exactly at any time.

#include "tools/picture_codecs.h"

#include <QImage>

#include <QRgb>

#include <array>
#include <cstdint>

namespace velmora::art {

// The icons' 16 colours: the standard VGA palette in Windows order, except
// that entry 14 is a light blue instead of light cyan.
[[nodiscard]] std::array<QRgb, 16> iconPalette();

// Index of each named colour in iconPalette().
namespace colour {
inline constexpr std::uint8_t kBlack = 0;
inline constexpr std::uint8_t kMaroon = 1;
inline constexpr std::uint8_t kGreen = 2;
inline constexpr std::uint8_t kOlive = 3;
inline constexpr std::uint8_t kNavy = 4;
inline constexpr std::uint8_t kPurple = 5;
inline constexpr std::uint8_t kTeal = 6;
inline constexpr std::uint8_t kSilver = 7;
inline constexpr std::uint8_t kGrey = 8;
inline constexpr std::uint8_t kRed = 9;
inline constexpr std::uint8_t kLime = 10;
inline constexpr std::uint8_t kYellow = 11;
inline constexpr std::uint8_t kBlue = 12;
inline constexpr std::uint8_t kFuchsia = 13;
inline constexpr std::uint8_t kLightBlue = 14;
inline constexpr std::uint8_t kWhite = 15;
}  // namespace colour

// Window background, 468 x 404 greys: a diagonal shading with the chrome
// word ENCRYPTION and a column of spheres down the right edge.
inline constexpr int kBackgroundWidth = 468;
inline constexpr int kBackgroundHeight = 404;
[[nodiscard]] QImage drawBackground();

// Button face, 66 x 26 greys, white at the left to light grey at the right.
inline constexpr int kButtonWidth = 66;
inline constexpr int kButtonHeight = 26;
[[nodiscard]] QImage drawButton();

// Window and desktop icon: a yellow key lying on its side, the bit to the
// left and the bow to the right, on an opaque light-grey ground.
[[nodiscard]] Icon16 drawKeyIcon();

// The same key drawn for the desktop at size x size pixels (ARGB32), from
// the same geometry, on a transparent ground so that it suits a panel of any
// colour; its shadow is black at one third. Laid on the window icon's silver,
// the 32 x 32 one is drawKeyIcon() pixel for pixel.
[[nodiscard]] QImage drawKeyPicture(int size);

// The icon sizes of the desktop's hicolor theme that the package installs.
inline constexpr std::array<int, 7> kDesktopIconSizes = {16, 24, 32, 48, 64, 128, 256};

// Picture icon: a red ship's wheel with eight spokes on a transparent ground.
[[nodiscard]] Icon16 drawWheelIcon();

}  // namespace velmora::art
