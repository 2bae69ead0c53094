// velmora-icon-png: writes the key icon, a Windows .ico, as the PNG the
// desktop's icon theme takes. Run at build time.
//
// Usage: velmora-icon-png INPUT.ico OUTPUT.png SIZE
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

#include <cstdio>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "velmora-icon-png: %s\n", message.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // loads the image format plugins
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) return fail(QStringLiteral("usage: velmora-icon-png INPUT.ico OUTPUT.png SIZE"));

    bool sizeOk = false;
    const int size = args.at(3).toInt(&sizeOk);
    if (!sizeOk || size <= 0) return fail(QStringLiteral("not a size: ") + args.at(3));

    QImageReader reader(args.at(1), "ico");
    QImage image = reader.read();
    if (image.isNull()) return fail(args.at(1) + QStringLiteral(": ") + reader.errorString());
    // The icon is drawn for exactly this size; a different one means a
    // different file, not something to scale.
    if (image.size() != QSize(size, size)) {
        return fail(QStringLiteral("%1 is %2x%3, expected %4x%4")
                        .arg(args.at(1))
                        .arg(image.width())
                        .arg(image.height())
                        .arg(size));
    }
    image = image.convertToFormat(QImage::Format_ARGB32);

    QSaveFile out(args.at(2));
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit()) {
        return fail(args.at(2) + QStringLiteral(": ") + out.errorString());
    }
    return 0;
}
