#include "WholeFile.h"

#include <QSaveFile>

namespace WholeFile {

bool Replace(const QString& path, const QByteArray& bytes, QString* errorText) {
    // Unbuffered, so a write the disk refuses shows in write()'s count: the
    // commit would flush a buffer without telling of a failure and rename a
    // cut file over the old one. Not committed, the file is discarded.
    QSaveFile file(path);
    const bool replaced = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                          file.write(bytes) == bytes.size() && file.commit();
    if (!replaced && errorText != nullptr) {
        *errorText = file.errorString();
    }
    return replaced;
}

}  // namespace WholeFile
