// Reading the application folder's data files for the module, which has no
// decoder of the legacy code page of its own.
#include <QFile>
#include <QRegularExpression>

#include "HostServices.h"
#include "TextCodec.h"

namespace ModuleLib {

bool ReadDataFileText(const QString& path, QString& text, QString& errorText) {
    text.clear();
    QFile file(path);
    if (!file.exists()) {
        errorText = QStringLiteral("文件不存在：") + path;
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        errorText =
            QStringLiteral("无法读取文件：") + path + QStringLiteral("，") + file.errorString();
        return false;
    }
    const std::optional<QString> decoded = TextCodec::DecodeUtf8OrGbk(file.readAll());
    if (!decoded) {
        errorText = QStringLiteral("文件既非UTF-8也非GBK编码：") + path;
        return false;
    }
    text = *decoded;
    return true;
}

bool ReadDataFileLines(const QString& path, QStringList& lines, QString& errorText) {
    QString text;
    // A file that cannot be read leaves what the caller had.
    if (!ReadDataFileText(path, text, errorText)) {
        return false;
    }
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\n|\\r"));
    QStringList read = text.split(lineEnd);
    if (!read.isEmpty() && read.last().isEmpty()) {
        read.removeLast();
    }
    lines = std::move(read);
    return true;
}

}  // namespace ModuleLib
