// Checks the committed picture and text files byte by byte. The Windows
// bitmap formats and UTF-8 are read here with nothing but the standard
// library, so the checks share no code with the program that wrote the files.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readResource(const std::string& name) {
  std::ifstream in(std::string(VELMORA_RESOURCES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t u16(const Bytes& b, std::size_t at) { return b.at(at) | static_cast<std::uint32_t>(b.at(at + 1)) << 8U; }
std::uint32_t u32(const Bytes& b, std::size_t at) { return u16(b, at) | u16(b, at + 2) << 16U; }

// BITMAPINFOHEADER at `at`: size, width, height (positive: rows bottom-up),
// planes, bits per pixel, no compression.
void expectInfoHeader(const Bytes& b, std::size_t at, std::uint32_t width, std::uint32_t height, std::uint32_t bits) {
  EXPECT_EQ(u32(b, at), 40U);
  EXPECT_EQ(u32(b, at + 4), width);
  EXPECT_EQ(u32(b, at + 8), height);
  EXPECT_EQ(u16(b, at + 12), 1U);
  EXPECT_EQ(u16(b, at + 14), bits);
  EXPECT_EQ(u32(b, at + 16), 0U);
}

// ---------------------------------------------------------------------------
// 8-bit grey bitmaps

struct GreyPicture {
  int width = 0;
  std::vector<std::uint8_t> level;  // row by row from the top
  [[nodiscard]] int at(int x, int y) const { return level.at(static_cast<std::size_t>(y * width + x)); }
};

// Checks every header field and the grey-ramp palette, then decodes the pixels.
GreyPicture readGreyBmp(const std::string& name, int width, int height) {
  const Bytes b = readResource(name);
  const auto stride = static_cast<std::size_t>((width + 3) / 4 * 4);
  const std::size_t size = 1078 + stride * static_cast<std::size_t>(height);
  if (b.size() != size) {
    ADD_FAILURE() << name << " has " << b.size() << " bytes, not " << size;
    return {};
  }
  EXPECT_TRUE(b[0] == 'B' && b[1] == 'M');
  EXPECT_EQ(u32(b, 2), size) << "file size";
  EXPECT_EQ(u32(b, 6), 0U) << "reserved";
  EXPECT_EQ(u32(b, 10), 1078U) << "offset of the pixels";
  expectInfoHeader(b, 14, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 8);
  EXPECT_TRUE(u32(b, 46) == 0U || u32(b, 46) == 256U) << "colours used";
  for (std::uint32_t i = 0; i < 256; ++i) {
    if (u32(b, 54 + 4 * i) != (i | i << 8U | i << 16U)) {
      ADD_FAILURE() << "palette entry " << i << " is not grey level " << i;
      return {};
    }
  }
  GreyPicture picture{width, {}};
  for (int y = height - 1; y >= 0; --y) {
    const auto row = b.begin() + static_cast<std::ptrdiff_t>(1078 + stride * static_cast<std::size_t>(y));
    picture.level.insert(picture.level.end(), row, row + width);
  }
  return picture;
}

struct Box {
  int left, top, right, bottom;  // inclusive
};

int count(const GreyPicture& p, Box box, const std::function<bool(int)>& test) {
  int n = 0;
  for (int y = box.top; y <= box.bottom; ++y)
    for (int x = box.left; x <= box.right; ++x) n += test(p.at(x, y)) ? 1 : 0;
  return n;
}

int contrast(const GreyPicture& p, Box box) {
  int low = 255, high = 0;
  count(p, box, [&](int v) { return low = std::min(low, v), high = std::max(high, v), false; });
  return high - low;
}

// Largest step between neighbouring pixels inside a box.
int largestStep(const GreyPicture& p, Box box) {
  int step = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      step = std::max({step, std::abs(p.at(x, y) - p.at(x + 1, y)), std::abs(p.at(x, y) - p.at(x, y + 1))});
    }
  }
  return step;
}

TEST(BackgroundPicture, ShadesDiagonallyFromWhiteToLightGrey) {
  EXPECT_EQ(readResource("background.bmp").size(), 190150U);
  const GreyPicture p = readGreyBmp("background.bmp", 468, 404);
  ASSERT_EQ(p.level.size(), 468U * 404U);
  EXPECT_GE(p.at(0, 0), 253);
  EXPECT_NEAR(p.at(467, 403), 192, 4);
  for (const int corner : {p.at(467, 0), p.at(0, 403)}) {
    EXPECT_LT(corner, p.at(0, 0) - 20) << "the other corners lie between";
    EXPECT_GT(corner, p.at(467, 403) + 20);
  }
  // Nothing is drawn along the top and left edges: they only darken.
  for (int x = 1; x < 468; ++x) ASSERT_LE(p.at(x, 0), p.at(x - 1, 0)) << "x " << x;
  for (int y = 1; y < 404; ++y) ASSERT_LE(p.at(0, y), p.at(0, y - 1)) << "y " << y;
}

TEST(BackgroundPicture, WordHasStrongContrastWhereNoControlCoversIt) {
  const GreyPicture p = readGreyBmp("background.bmp", 468, 404);
  ASSERT_FALSE(p.level.empty());
  const Box word{45, 55, 360, 100};
  EXPECT_GT(count(p, word, [](int v) { return v <= 60; }), 500) << "dark outlines and horizon";
  EXPECT_GT(count(p, word, [](int v) { return v >= 245; }), 500) << "bright chrome";
  // The word fills its box: dark strokes at both ends.
  EXPECT_GT(count(p, Box{45, 55, 60, 100}, [](int v) { return v <= 80; }), 20);
  EXPECT_GT(count(p, Box{345, 55, 360, 100}, [](int v) { return v <= 80; }), 20);
  // Bare, smooth ground under the status line, the panel, the buttons and
  // along the left edge.
  EXPECT_LE(largestStep(p, Box{0, 0, 467, 45}), 1);
  EXPECT_LE(largestStep(p, Box{0, 120, 380, 403}), 1);
  EXPECT_LE(largestStep(p, Box{0, 0, 35, 403}), 1);
}

TEST(BackgroundPicture, SpheresFollowTheWordAndFadeDownTheRightEdge) {
  const GreyPicture p = readGreyBmp("background.bmp", 468, 404);
  ASSERT_FALSE(p.level.empty());
  // Two spheres beside the word, each with a white highlight brighter than
  // the ground there.
  EXPECT_GT(count(p, Box{366, 55, 408, 100}, [](int v) { return v >= 248; }), 10);
  EXPECT_GT(count(p, Box{412, 55, 455, 100}, [](int v) { return v >= 248; }), 10);
  EXPECT_LT(p.at(410, 50), 240);
  // Down the right edge the spheres stand out less and less.
  const int upper = contrast(p, Box{400, 110, 467, 200});
  const int middle = contrast(p, Box{400, 200, 467, 300});
  const int lower = contrast(p, Box{400, 300, 467, 403});
  EXPECT_GT(upper, 50);
  EXPECT_GT(upper, middle);
  EXPECT_GT(middle, lower);
  EXPECT_GT(lower, 2) << "the last spheres are faint but there";
}

TEST(ButtonPicture, ShadesFromWhiteAtTheLeftToLightGreyAtTheRight) {
  EXPECT_EQ(readResource("button.bmp").size(), 2846U);
  const GreyPicture p = readGreyBmp("button.bmp", 66, 26);
  ASSERT_EQ(p.level.size(), 66U * 26U);
  for (int y = 0; y < 26; ++y) {
    EXPECT_GE(p.at(0, y), 250) << "row " << y;
    EXPECT_NEAR(p.at(65, y), 192, 4) << "row " << y;
    for (int x = 1; x < 66; ++x) ASSERT_LE(p.at(x, y), p.at(x - 1, y)) << x << "," << y;
  }
}

// ---------------------------------------------------------------------------
// 32 x 32 icons in 16 colours

struct Rgb {
  int r, g, b;
  [[nodiscard]] bool neutral() const { return r == g && g == b; }
  [[nodiscard]] bool yellowish() const { return r >= 100 && g >= 100 && b * 2 < std::min(r, g); }
  [[nodiscard]] bool reddish() const { return r >= 100 && g * 2 < r && b * 2 < r; }
  [[nodiscard]] bool lightBlue() const { return b >= 180 && b > r + 60 && g >= 100; }
  bool operator==(const Rgb&) const = default;
};

struct Icon {
  std::array<Rgb, 1024> colour{};
  std::array<bool, 1024> transparent{};
  [[nodiscard]] const Rgb& at(int x, int y) const { return colour.at(static_cast<std::size_t>(y * 32 + x)); }
  [[nodiscard]] bool clear(int x, int y) const { return transparent.at(static_cast<std::size_t>(y * 32 + x)); }
};

Icon readIcon(const std::string& name) {
  const Bytes b = readResource(name);
  Icon icon;
  if (b.size() != 766U) {
    ADD_FAILURE() << name << " has " << b.size() << " bytes, not 766";
    return icon;
  }
  // ICONDIR: reserved, type icon, one image.
  EXPECT_TRUE(u16(b, 0) == 0U && u16(b, 2) == 1U && u16(b, 4) == 1U);
  // ICONDIRENTRY: 32 x 32, 16 colours, reserved, 1 plane, 4 bpp, size, offset.
  EXPECT_TRUE(b[6] == 32U && b[7] == 32U && b[8] == 16U && b[9] == 0U);
  EXPECT_TRUE(u16(b, 10) == 1U && u16(b, 12) == 4U);
  EXPECT_EQ(u32(b, 14), 744U);
  EXPECT_EQ(u32(b, 18), 22U);
  // The colour bitmap and the mask stacked, hence height 64.
  expectInfoHeader(b, 22, 32, 64, 4);
  EXPECT_TRUE(u32(b, 54) == 0U || u32(b, 54) == 16U) << "colours used";

  std::array<Rgb, 16> palette{};
  for (std::size_t i = 0; i < 16; ++i) {
    palette[i] = Rgb{b[64 + 4 * i], b[63 + 4 * i], b[62 + 4 * i]};
    EXPECT_EQ(b[65 + 4 * i], 0U) << "reserved byte of palette entry " << i;
  }
  for (std::size_t y = 0; y < 32; ++y) {
    const std::size_t colourRow = 126 + 16 * (31 - y);
    const std::size_t maskRow = 638 + 4 * (31 - y);
    for (std::size_t x = 0; x < 32; ++x) {
      const std::uint8_t pair = b[colourRow + x / 2];
      icon.colour[y * 32 + x] = palette[x % 2 == 0 ? pair >> 4U : pair & 0x0FU];
      icon.transparent[y * 32 + x] = ((b[maskRow + x / 8] >> (7U - x % 8U)) & 1U) != 0;
    }
  }
  return icon;
}

TEST(KeyIcon, IsAnOutlinedYellowKeyWithItsShadowOnOpaqueLightGrey) {
  const Icon key = readIcon("key.ico");
  EXPECT_EQ(std::count(key.transparent.begin(), key.transparent.end(), true), 0) << "opaque";
  const Rgb ground = key.at(0, 0);
  EXPECT_TRUE(ground.neutral() && ground.r >= 160 && ground.r <= 224) << "light grey ground";
  for (const Rgb& corner : {key.at(31, 0), key.at(0, 31), key.at(31, 31)}) EXPECT_EQ(corner, ground);

  int yellow = 0, otherColour = 0, shadow = 0;
  long shadowX = 0, shadowY = 0, keyX = 0, keyY = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Rgb& c = key.at(x, y);
      if (c.neutral()) {
        if (c.r > 40 && c.r < ground.r) ++shadow, shadowX += x, shadowY += y;
        continue;
      }
      (c.yellowish() ? yellow : otherColour) += 1;
      keyX += x, keyY += y;
      // The outline closes the key: its colours never touch the ground.
      for (const auto& [nx, ny] : {std::pair{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}) {
        if (nx >= 0 && ny >= 0 && nx < 32 && ny < 32) {
          EXPECT_NE(key.at(nx, ny), ground) << x << "," << y;
        }
      }
    }
  }
  EXPECT_GT(yellow, 150) << "a key of some size";
  EXPECT_EQ(otherColour, 0) << "all the key's colours are shades of yellow";
  ASSERT_GT(shadow, 30);
  EXPECT_GT(shadowX * yellow, keyX * shadow) << "shadow falls to the right";
  EXPECT_GT(shadowY * yellow, keyY * shadow) << "and downwards";
}

TEST(KeyIcon, LiesOnItsSideWithTheBitLeftAndTheBowRight) {
  const Icon key = readIcon("key.ico");
  const Rgb ground = key.at(0, 0);
  const auto isKey = [&](int x, int y) {
    const Rgb& c = key.at(x, y);
    return !c.neutral() || c.r <= 40 || c.r > ground.r;  // not ground, not shadow
  };
  // Top and bottom of the key in each column.
  std::array<int, 32> top{}, bottom{};
  int first = -1, last = -1;
  for (int x = 0; x < 32; ++x) {
    const auto ux = static_cast<std::size_t>(x);
    top[ux] = 32, bottom[ux] = -1;
    for (int y = 0; y < 32; ++y) {
      if (isKey(x, y)) top[ux] = std::min(top[ux], y), bottom[ux] = y, first = first < 0 ? x : first, last = x;
    }
  }
  ASSERT_GE(first, 0);
  const auto height = [&](int x) { return bottom[static_cast<std::size_t>(x)] - top[static_cast<std::size_t>(x)]; };
  int tallest = first, narrowest = first, lowestTooth = -1;
  for (int x = first; x <= last; ++x) tallest = height(x) > height(tallest) ? x : tallest;
  for (int x = first; x < tallest; ++x) narrowest = height(x) < height(narrowest) ? x : narrowest;
  for (int x = first; x < first + 8; ++x) lowestTooth = std::max(lowestTooth, bottom[static_cast<std::size_t>(x)]);

  EXPECT_GE(last - first, 24) << "lying on its side across the icon";
  EXPECT_GE(tallest, 16) << "the bow is on the right";
  EXPECT_LT(2 * height(narrowest), height(tallest)) << "a slim shaft leads to the bow";
  EXPECT_GT(lowestTooth, bottom[static_cast<std::size_t>(narrowest)] + 2) << "teeth below the shaft at the left";
  // The bow is a ring: along its middle row the ground shows through.
  const int middle = (top[static_cast<std::size_t>(tallest)] + bottom[static_cast<std::size_t>(tallest)]) / 2;
  int changes = 0;
  for (int x = first + 1; x <= last; ++x) changes += isKey(x, middle) != isKey(x - 1, middle) ? 1 : 0;
  EXPECT_GE(changes, 2) << "a hole in the bow";
}

TEST(WheelIcon, IsTransparentAroundAnOpaqueWheel) {
  const Icon wheel = readIcon("wheel.ico");
  for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}, {2, 2}, {29, 29}, {29, 2}, {2, 29}}) {
    EXPECT_TRUE(wheel.clear(x, y)) << "corner " << x << "," << y;
  }
  for (int y = 14; y < 18; ++y)
    for (int x = 14; x < 18; ++x) EXPECT_FALSE(wheel.clear(x, y)) << "hub " << x << "," << y;
  // Transparent pixels are black in the colour bitmap, so that drawing the
  // icon by AND and XOR leaves the screen untouched there.
  for (std::size_t i = 0; i < 1024; ++i) {
    if (wheel.transparent[i]) {
      ASSERT_EQ(wheel.colour[i], (Rgb{0, 0, 0})) << "pixel " << i;
    }
  }
}

TEST(WheelIcon, IsARedWheelWithLightBlueDotsAtHubAndRim) {
  const Icon wheel = readIcon("wheel.ico");
  int red = 0, other = 0, hub = 0, elsewhere = 0;
  std::array<int, 8> rim{};  // light-blue pixels at the rim, per spoke
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Rgb& c = wheel.at(x, y);
      if (wheel.clear(x, y)) continue;
      if (!c.lightBlue()) {
        (c.reddish() ? red : other) += 1;
        continue;
      }
      const double dx = x + 0.5 - 16.0, dy = y + 0.5 - 16.0, r = std::hypot(dx, dy);
      const double eighths = std::atan2(dy, dx) / std::atan(1.0);
      const long spoke = std::lround(eighths);
      if (r < 3.0) {
        ++hub;
      } else if (r > 7.0 && r < 11.0 && std::abs(eighths - static_cast<double>(spoke)) < 0.25) {
        ++rim[static_cast<std::size_t>((spoke + 8) % 8)];
      } else {
        ++elsewhere;
      }
    }
  }
  EXPECT_GT(red, 200);
  EXPECT_LT(other * 10, red) << "mostly red";
  EXPECT_GT(hub, 0) << "a dot at the hub";
  for (std::size_t k = 0; k < 8; ++k) EXPECT_GT(rim[k], 0) << "a dot where spoke " << k << " meets the rim";
  EXPECT_EQ(elsewhere, 0);
}

TEST(WheelIcon, HasEightSpokesWithHandlesPastTheRim) {
  const Icon wheel = readIcon("wheel.ico");
  // Opaque stretches met going once round a circle about the centre.
  const auto stretches = [&](double radius) {
    int starts = 0;
    bool before = !wheel.clear(static_cast<int>(16.0 + radius * std::cos(-0.01)),
                               static_cast<int>(16.0 + radius * std::sin(-0.01)));
    for (int step = 0; step < 720; ++step) {
      const double angle = step * std::atan(1.0) / 90.0;
      const bool solid = !wheel.clear(static_cast<int>(16.0 + radius * std::cos(angle)),
                                      static_cast<int>(16.0 + radius * std::sin(angle)));
      starts += solid && !before ? 1 : 0;
      before = solid;
    }
    return starts;
  };
  EXPECT_EQ(stretches(5.5), 8) << "spokes between hub and rim";
  EXPECT_EQ(stretches(13.0), 8) << "handles outside the rim";
  EXPECT_EQ(stretches(9.0), 0) << "the rim itself is closed";
}

// ---------------------------------------------------------------------------
// Texts

// Strict UTF-8: nothing for a malformed, overlong or surrogate sequence.
std::optional<std::u32string> decodeUtf8(const Bytes& b) {
  std::u32string out;
  for (std::size_t i = 0; i < b.size();) {
    const std::uint8_t lead = b[i];
    std::size_t extra = 4;  // continuation bytes after the lead byte
    if (lead < 0x80U) extra = 0;
    else if ((lead & 0xE0U) == 0xC0U) extra = 1;
    else if ((lead & 0xF0U) == 0xE0U) extra = 2;
    else if ((lead & 0xF8U) == 0xF0U) extra = 3;
    if (extra == 4 || b.size() - i <= extra) return std::nullopt;
    char32_t cp = lead & (0x7FU >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((b[i + k] & 0xC0U) != 0x80U) return std::nullopt;
      cp = (cp << 6U) | (b[i + k] & 0x3FU);
    }
    constexpr std::array<char32_t, 4> smallest{0, 0x80, 0x800, 0x10000};
    if (cp < smallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    out.push_back(cp);
    i += 1 + extra;
  }
  return out;
}

std::size_t utf16Length(const std::u32string& text) {
  return text.size() + static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char32_t c) { return c >= 0x10000; }));
}

// Splits at CR LF; nothing if a CR or LF stands alone or the last line is
// not ended.
std::optional<std::vector<std::u32string>> crlfLines(const std::u32string& text) {
  std::vector<std::u32string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, U"\r\n") == 0) {
      lines.emplace_back();
      ++i;
    } else if (text[i] == U'\r' || text[i] == U'\n') {
      return std::nullopt;
    } else {
      lines.back().push_back(text[i]);
    }
  }
  if (!lines.back().empty()) return std::nullopt;
  lines.pop_back();
  return lines;
}

bool hasBom(const Bytes& b) { return b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF; }
bool contains(const std::u32string& text, const std::u32string& piece) { return text.find(piece) != text.npos; }

TEST(HelpText, Is788CharactersOfUtf8In37CrLfLinesKeepingItsBlanks) {
  const Bytes bytes = readResource("help_text.txt");
  EXPECT_FALSE(hasBom(bytes));
  const auto text = decodeUtf8(bytes);
  ASSERT_TRUE(text.has_value()) << "valid UTF-8";
  EXPECT_EQ(utf16Length(*text), 788U);
  EXPECT_TRUE(contains(*text, U"sv\u00e5rkn\u00e4ckt")) << "Swedish letters came through";
  const auto lines = crlfLines(*text);
  ASSERT_TRUE(lines.has_value()) << "only CR LF line ends, the last line ended too";
  ASSERT_EQ(lines->size(), 37U);
  EXPECT_EQ(std::count(lines->begin(), lines->end(), U""), 15);
  EXPECT_EQ(lines->front(), U"Detta program krypterar din emailtext");
  EXPECT_EQ(lines->back(), U"Quenlot");

  EXPECT_EQ((*lines)[14], U"Klipp Ut  Ctrl + x.") << "two blanks before Ctrl";
  const std::u32string& line27 = (*lines)[26];
  EXPECT_TRUE(line27.size() > 2 && line27.back() == U' ' && line27[line27.size() - 2] != U' ') << "one blank at the end";
  EXPECT_TRUE(contains((*lines)[31], U"ocx    bifogas.")) << "four blanks before bifogas";
  EXPECT_FALSE(contains((*lines)[31], U"     bifogas."));
  for (std::size_t i = 0; i < lines->size(); ++i) {
    if (i != 26 && !(*lines)[i].empty()) {
      EXPECT_NE((*lines)[i].back(), U' ') << "line " << i + 1;
    }
  }
}

TEST(Label3Caption, Is148CharactersWithItsRunsOfBlanks) {
  const Bytes bytes = readResource("label3_caption.txt");
  EXPECT_FALSE(hasBom(bytes));
  const auto text = decodeUtf8(bytes);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(utf16Length(*text), 148U);
  EXPECT_EQ(text->find_first_of(U"\r\n"), std::u32string::npos) << "one line, no line end";

  // Split at runs of two blanks or more; single blanks belong to the words.
  std::vector<std::size_t> runs;
  std::vector<std::u32string> words;
  for (std::size_t from = 0; from < text->size();) {
    const std::size_t run = std::min(text->find(U"  ", from), text->size());
    if (run > from) words.push_back(text->substr(from, run - from));
    from = std::min(text->find_first_not_of(U' ', run), text->size());
    if (from > run) runs.push_back(from - run);
  }
  EXPECT_EQ(runs, (std::vector<std::size_t>{2, 32, 10, 33, 2}));
  EXPECT_EQ(words, (std::vector<std::u32string>{U"Klipp och Klistra", U"Krypter och", U"Dekryptera",
                                                 U"Markera text som", U"skall behandlas"}));
  EXPECT_EQ(text->substr(0, 2), U"  ") << "the caption starts with its blanks";
}

TEST(InfoText, IsSwedishUtf8WithCrLfLinesAndSaysWhatUsersMustKnow) {
  const Bytes bytes = readResource("Info.txt");
  EXPECT_FALSE(hasBom(bytes));
  const auto text = decodeUtf8(bytes);
  ASSERT_TRUE(text.has_value()) << "valid UTF-8";
  const auto lines = crlfLines(*text);
  ASSERT_TRUE(lines.has_value()) << "only CR LF line ends";
  for (const auto& line : *lines) EXPECT_LE(line.size(), 80U) << "fits an editor window";

  const std::vector<std::u32string> musts{U"Velmora", U"samma l\u00f6senord", U"Windows-1252", U"Klistra In",
                                          U"Ctrl+V", U"Kryptera / Dekryptera", U"Enter", U"Markera Allt",
                                          U"Kopiera", U"Ctrl+C", U"XOR", U"2^24", U"OpenPGP", U"S/MIME"};
  for (std::size_t i = 0; i < musts.size(); ++i) EXPECT_TRUE(contains(*text, musts[i])) << "phrase " << i;
}

}  // namespace
