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
    lines.clear();
    QString text;
    if (!ReadDataFileText(path, text, errorText)) {
        return false;
    }
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\n|\\r"));
    lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return true;
}

}  // namespace ModuleLib
