#include "resources/velmora_resources.h"

#include <QFile>

namespace velmora::resources {

QString text(const char* path) {
    QFile file(QString::fromLatin1(path));
    // Opened without QIODevice::Text: the CR LF pairs belong to the text.
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace velmora::resources
