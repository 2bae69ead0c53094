// velmora-resource-gen: redraws the window's pictures and rewrites its texts
// into a resources folder. The build runs it only on request, through the
// targets regenerate-pictures and regenerate-texts; the files it writes are
// committed. With --desktop-icons it draws the desktop's key icons instead,
// which the build makes every time for installing.

#include "tools/artwork.h"
#include "tools/picture_codecs.h"
#include "tools/resource_texts.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

using velmora::art::encodeGreyBmp;
using velmora::art::encodeIcon16;
using velmora::art::utf8File;

bool writeFile(const QDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "velmora-resource-gen: kunde inte skriva %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%lld byte)\n", qPrintable(path), static_cast<long long>(bytes.size()));
    return true;
}

QByteArray png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        return {};
    }
    return bytes;
}

void usage() {
    std::fprintf(stderr,
                 "Användning: velmora-resource-gen [--pictures] [--texts] [--desktop-icons] KATALOG\n"
                 "  --pictures       rita background.bmp, button.bmp, key.ico och wheel.ico\n"
                 "  --texts          skriv help_text.txt, label3_caption.txt och Info.txt\n"
                 "  --desktop-icons  rita skrivbordsikonerna velmora-16.png ... velmora-256.png\n"
                 "Utan val skrivs bilderna och texterna.\n");
}

}  // namespace

int main(int argc, char* argv[]) {
    bool pictures = false;
    bool texts = false;
    bool desktopIcons = false;
    QString target;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--pictures")) {
            pictures = true;
        } else if (arg == QLatin1String("--texts")) {
            texts = true;
        } else if (arg == QLatin1String("--desktop-icons")) {
            desktopIcons = true;
        } else if (!arg.startsWith(u'-') && target.isEmpty()) {
            target = arg;
        } else {
            usage();
            return 2;
        }
    }
    if (target.isEmpty()) {
        usage();
        return 2;
    }
    if (!pictures && !texts && !desktopIcons) {
        pictures = texts = true;
    }

    const QDir dir(target);
    if (!dir.exists()) {
        std::fprintf(stderr, "velmora-resource-gen: katalogen %s finns inte\n", qPrintable(target));
        return 1;
    }

    std::vector<std::pair<QString, QByteArray>> files;
    if (pictures) {
        files.emplace_back(QStringLiteral("background.bmp"), encodeGreyBmp(velmora::art::drawBackground()));
        files.emplace_back(QStringLiteral("button.bmp"), encodeGreyBmp(velmora::art::drawButton()));
        files.emplace_back(QStringLiteral("key.ico"), encodeIcon16(velmora::art::drawKeyIcon()));
        files.emplace_back(QStringLiteral("wheel.ico"), encodeIcon16(velmora::art::drawWheelIcon()));
    }
    if (texts) {
        files.emplace_back(QStringLiteral("help_text.txt"), utf8File(velmora::art::helpText()));
        files.emplace_back(QStringLiteral("label3_caption.txt"), utf8File(velmora::art::label3Caption()));
        files.emplace_back(QStringLiteral("Info.txt"), utf8File(velmora::art::infoText()));
    }
    if (desktopIcons) {
        for (const int size : velmora::art::kDesktopIconSizes) {
            files.emplace_back(QStringLiteral("velmora-%1.png").arg(size), png(velmora::art::drawKeyPicture(size)));
        }
    }

    bool ok = true;
    for (const auto& [name, bytes] : files) {
        ok = writeFile(dir, name, bytes) && ok;
    }
    return ok ? 0 : 1;
}
