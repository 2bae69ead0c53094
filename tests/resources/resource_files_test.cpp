// The committed pictures and texts: what the generator in tools/ makes
// today, what a user sees of them, and what the program carries.
#include "resources/velmora_resources.h"
#include "tools/artwork.h"
#include "tools/picture_codecs.h"
#include "tools/resource_texts.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QByteArray committed(const QString& name) {
    QFile file(QStringLiteral(VELMORA_RESOURCES_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Resources, CommittedFilesAreWhatTheGeneratorMakes) {
    using namespace velmora::art;
    EXPECT_EQ(committed("key.ico"), encodeIcon16(drawKeyIcon()));
    EXPECT_EQ(committed("wheel.ico"), encodeIcon16(drawWheelIcon()));
    EXPECT_EQ(committed("button.bmp"), encodeGreyBmp(drawButton()));
    EXPECT_EQ(committed("help_text.txt"), utf8File(helpText()));
    EXPECT_EQ(committed("label3_caption.txt"), utf8File(label3Caption()));
    EXPECT_EQ(committed("Info.txt"), utf8File(infoText()));
    // Antialiased drawing may round a level differently with another Qt
    // release, so the background is compared with a little slack.
    const QImage drawn = drawBackground(), stored = QImage::fromData(committed("background.bmp"), "bmp");
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

// On a panel of any colour: nothing but the key and its shadow covers it.
TEST(Resources, DesktopIconsAreTheKeyOnATransparentGround) {
    for (const int size : velmora::art::kDesktopIconSizes) {
        const QImage icon = velmora::art::drawKeyPicture(size);
        const int last = size - 1, shaft = size * 29 / 64;  // the row through the shaft's middle
        // Clear at the corners and left of the key, solid along the shaft and the bow.
        for (const QPoint clear :
             {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last), QPoint(0, shaft)})
            EXPECT_EQ(qAlpha(icon.pixel(clear)), 0) << size << ": " << clear.x() << "," << clear.y();
        int opaque = 0;
        for (int x = 0; x < size; ++x) opaque += qAlpha(icon.pixel(x, shaft)) == 255 ? 1 : 0;
        EXPECT_GE(opaque, size / 2) << size << ": the key's shaft and bow across row " << shaft;
    }
}

TEST(Resources, PicturesAndTextsAsTheProgramShowsThem) {
    const std::pair<const char*, QSize> pictures[] = {{velmora::resources::kBackground, {468, 404}},
                                                      {velmora::resources::kButton, {66, 26}},
                                                      {velmora::resources::kKeyIcon, {32, 32}},
                                                      {velmora::resources::kWheelIcon, {32, 32}}};
    for (const auto& [name, size] : pictures) EXPECT_EQ(QImage(name).size(), size) << name;
    EXPECT_TRUE(QImage(velmora::resources::kBackground).isGrayscale());
    for (const char* name :
         {velmora::resources::kHelpText, velmora::resources::kLabel3Caption, velmora::resources::kInfoText}) {
        const QString text = velmora::resources::text(name);
        EXPECT_EQ(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\r\n"))) << name;  // CRLF kept
    }
    EXPECT_EQ(velmora::resources::text(velmora::resources::kHelpText).size(), 788);
}

}  // namespace
