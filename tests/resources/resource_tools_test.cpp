// The writers and the drawing code in tools/, and the resource library that
// carries the committed files into the program.

#include "artwork.h"
#include "picture_codecs.h"
#include "resource_texts.h"
#include "velmora_resources.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <cstdlib>
#include <cstdint>
#include <cstddef>

namespace {

using velmora::art::Icon16;

QByteArray committed(const char* name) {
  QFile file(QStringLiteral(VELMORA_RESOURCES_DIR "/") + QLatin1String(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Equal bytes, or where the first difference lies.
::testing::AssertionResult sameBytes(const QByteArray& stored, const QByteArray& made) {
  if (stored == made) return ::testing::AssertionSuccess();
  qsizetype at = 0;
  while (at < stored.size() && at < made.size() && stored[at] == made[at]) ++at;
  return ::testing::AssertionFailure() << "sizes " << stored.size() << " and " << made.size()
                                       << ", first difference at byte " << at;
}

QImage decode(const QByteArray& bytes, const char* format) {
  QBuffer buffer;
  buffer.setData(bytes);
  QImageReader reader(&buffer, format);
  return reader.read();
}

// An icon using every colour, both nibbles of a byte with different
// colours, and transparent pixels in an irregular pattern.
Icon16 patternIcon() {
  Icon16 icon;
  icon.palette = velmora::art::iconPalette();
  for (int y = 0; y < Icon16::kSize; ++y) {
    for (int x = 0; x < Icon16::kSize; ++x) {
      const auto i = static_cast<std::size_t>(Icon16::at(x, y));
      icon.index[i] = static_cast<std::uint8_t>((x + 3 * y) % 16);
      icon.transparent[i] = (x * 7 + y * 3) % 5 == 0;
    }
  }
  return icon;
}

TEST(IconWriter, WritesOneFourBitImageThatQtReadsBackPixelForPixel) {
  const Icon16 icon = patternIcon();
  const QByteArray bytes = velmora::art::encodeIcon16(icon);
  ASSERT_EQ(bytes.size(), 766);

  const QImage image = decode(bytes, "ico");
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.size(), QSize(32, 32));
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const auto i = static_cast<std::size_t>(Icon16::at(x, y));
      const QRgb pixel = image.pixel(x, y);
      if (icon.transparent[i]) {
        EXPECT_EQ(qAlpha(pixel), 0) << x << "," << y;
      } else {
        EXPECT_EQ(pixel, icon.palette[icon.index[i]] | 0xFF000000U) << x << "," << y;
      }
    }
  }
}

TEST(IconWriter, AnIconWithoutTransparencyIsOpaqueEverywhere) {
  Icon16 icon = patternIcon();
  icon.transparent.fill(false);
  const QImage image = decode(velmora::art::encodeIcon16(icon), "ico").convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(image.size(), QSize(32, 32));
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << x << "," << y;
  }
}

TEST(GreyBmpWriter, PadsRowsAndKeepsEveryLevel) {
  // Width 5 needs three bytes of padding per row; every level appears once.
  QImage grey(5, 52, QImage::Format_Grayscale8);
  for (int y = 0; y < grey.height(); ++y) {
    for (int x = 0; x < grey.width(); ++x) {
      grey.scanLine(y)[x] = static_cast<uchar>((y * 5 + x) % 256);
    }
  }
  const QByteArray bytes = velmora::art::encodeGreyBmp(grey);
  EXPECT_EQ(bytes.size(), 14 + 40 + 1024 + 8 * 52);

  const QImage back = decode(bytes, "bmp");
  ASSERT_EQ(back.size(), grey.size());
  for (int y = 0; y < grey.height(); ++y) {
    for (int x = 0; x < grey.width(); ++x) {
      ASSERT_EQ(qGray(back.pixel(x, y)), grey.scanLine(y)[x]) << x << "," << y;
    }
  }
}

TEST(GreyBmpWriter, RefusesImagesThatAreNotGrey) {
  EXPECT_TRUE(velmora::art::encodeGreyBmp(QImage(4, 4, QImage::Format_RGB32)).isEmpty());
  EXPECT_TRUE(velmora::art::encodeGreyBmp(QImage()).isEmpty());
}

// The committed files are what the generator makes today: a change to the
// drawing or the texts without regenerating the files shows up here.
TEST(CommittedResources, AreWhatTheGeneratorMakes) {
  using namespace velmora::art;
  EXPECT_TRUE(sameBytes(committed("key.ico"), encodeIcon16(drawKeyIcon()))) << "key.ico";
  EXPECT_TRUE(sameBytes(committed("wheel.ico"), encodeIcon16(drawWheelIcon()))) << "wheel.ico";
  EXPECT_TRUE(sameBytes(committed("button.bmp"), encodeGreyBmp(drawButton()))) << "button.bmp";
  EXPECT_TRUE(sameBytes(committed("help_text.txt"), utf8File(helpText()))) << "help_text.txt";
  EXPECT_TRUE(sameBytes(committed("label3_caption.txt"), utf8File(label3Caption()))) << "label3_caption.txt";
  EXPECT_TRUE(sameBytes(committed("Info.txt"), utf8File(infoText()))) << "Info.txt";
}

TEST(CommittedResources, BackgroundIsWhatTheGeneratorDraws) {
  // Antialiased drawing may round a level differently with another Qt
  // release, so the background is compared with a little slack.
  const QImage drawn = velmora::art::drawBackground();
  const QImage stored = decode(committed("background.bmp"), "bmp");
  ASSERT_EQ(stored.size(), drawn.size());
  int differing = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) {
      const int difference = std::abs(qGray(stored.pixel(x, y)) - drawn.scanLine(y)[x]);
      ASSERT_LE(difference, 3) << x << "," << y;
      differing += difference > 0 ? 1 : 0;
    }
  }
  EXPECT_LT(differing, drawn.width() * drawn.height() / 200);
}

TEST(ResourceLibrary, CarriesTheCommittedFiles) {
  for (const char* name : {"background.bmp", "button.bmp", "key.ico", "wheel.ico", "help_text.txt",
                           "label3_caption.txt", "Info.txt"}) {
    QFile embedded(QStringLiteral(":/velmora/") + QLatin1String(name));
    ASSERT_TRUE(embedded.open(QIODevice::ReadOnly)) << name;
    EXPECT_EQ(embedded.readAll(), committed(name)) << name;
  }
  EXPECT_EQ(QImage(QString::fromLatin1(velmora::resources::kBackground)).size(), QSize(468, 404));
  EXPECT_EQ(QImage(QString::fromLatin1(velmora::resources::kButton)).size(), QSize(66, 26));
  EXPECT_EQ(QImage(QString::fromLatin1(velmora::resources::kKeyIcon)).size(), QSize(32, 32));
  EXPECT_EQ(QImage(QString::fromLatin1(velmora::resources::kWheelIcon)).size(), QSize(32, 32));
}

TEST(ResourceLibrary, GivesTextsBackWithTheirLineEnds) {
  const QString help = velmora::resources::text(velmora::resources::kHelpText);
  EXPECT_EQ(help.size(), 788);
  EXPECT_EQ(help.count(QStringLiteral("\r\n")), 37);
  EXPECT_TRUE(help.endsWith(QStringLiteral("Quenlot\r\n")));
  EXPECT_TRUE(help.contains(QStringLiteral("sv\u00e5rkn\u00e4ckt")));
  EXPECT_EQ(velmora::resources::text(velmora::resources::kLabel3Caption).size(), 148);
  EXPECT_EQ(velmora::resources::text(velmora::resources::kInfoText).toUtf8(), committed("Info.txt"));
  EXPECT_TRUE(velmora::resources::text(":/velmora/no_such_file.txt").isEmpty());
}

}  // namespace
