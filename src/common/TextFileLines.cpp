#include "TextFileLines.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace {

std::optional<QString> Decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF))) {
            text.remove(0, 1);
        }
        return text;
    }
    QStringDecoder gbk("GB18030", QStringDecoder::Flag::Stateless);
    if (!gbk.isValid()) {
        return std::nullopt;
    }
    text = gbk.decode(bytes);
    if (gbk.hasError()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

bool ReadTextFileLines(const QString& path, QStringList& lines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const std::optional<QString> text = Decode(file.readAll());
    if (!text) {
        return false;
    }
    QStringList read;
    for (QString line : text->split(QLatin1Char('\n'))) {
        while (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        read << line;
    }
    // The line end of the last line opens no line of its own.
    if (!read.isEmpty() && read.last().isEmpty()) {
        read.removeLast();
    }
    lines = read;
    return true;
}
