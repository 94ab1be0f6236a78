#include "ui/FileDrops.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace zorl::ui {

std::vector<std::string> DroppedFiles(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        // A folder cannot be sent; the file name's bytes as the disk has them.
        if (QFileInfo(path).isFile()) paths.push_back(QFile::encodeName(path).toStdString());
    }
    return paths;
}

}  // namespace zorl::ui
