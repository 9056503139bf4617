#include "IniSectionEraser.h"

#include <QFile>
#include <QFileInfo>

#include "TextCodec.h"
#include "WholeFile.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The name between "[" and the last "]" of a header line, blanks trimmed;
// false for a line that is no header.
bool HeaderName(QByteArrayView line, QByteArrayView& name) {
    qsizetype start = 0;
    while (start < line.size() && IsBlank(line[start])) {
        ++start;
    }
    if (start >= line.size() || line[start] != '[') {
        return false;
    }
    const qsizetype close = line.lastIndexOf(']');
    if (close <= start) {
        return false;
    }
    name = line.sliced(start + 1, close - start - 1).trimmed();
    return true;
}

// The files are UTF-8 or the legacy code page; a name matches in either.
bool NameMatches(QByteArrayView name, const QString& section) {
    for (const auto encoding : {TextCodec::Encoding::Utf8, TextCodec::Encoding::Gbk}) {
        const std::optional<QString> text = TextCodec::DecodeAs(name, encoding);
        if (text && *text == section) {
            return true;
        }
    }
    return false;
}

// The line's text without its line end.
QByteArrayView Text(QByteArrayView line) {
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r')) {
        line.chop(1);
    }
    return line;
}

}  // namespace

namespace IniSectionEraser {

QByteArray Erase(const QByteArray& content, const QString& section, bool* erased) {
    QByteArray result;
    result.reserve(content.size());
    bool skipping = false;
    bool found = false;
    // A byte-order mark belongs to the file, not to the first line's header.
    const QByteArrayView mark("\xEF\xBB\xBF");
    const qsizetype begin = content.startsWith(mark) ? mark.size() : 0;
    result.append(content.first(begin));
    for (qsizetype start = begin; start < content.size();) {
        const qsizetype newline = content.indexOf('\n', start);
        const qsizetype end = newline < 0 ? content.size() : newline + 1;
        const QByteArrayView line(content.constData() + start, end - start);
        QByteArrayView name;
        if (HeaderName(Text(line), name)) {
            skipping = NameMatches(name, section);
            found = found || skipping;
        }
        if (!skipping) {
            result.append(line);
        }
        start = end;
    }
    if (erased != nullptr) {
        *erased = found;
    }
    return found ? result : content;
}

bool EraseFromFile(const QString& path, const QString& section) {
    const QFileInfo info(path);
    // A link could lead the write anywhere; it is not followed.
    if (info.isSymLink() || !info.isFile()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return false;
    }
    file.close();
    bool erased = false;
    const QByteArray rest = Erase(content, section, &erased);
    if (!erased) {
        return true;
    }
    return WholeFile::Replace(path, rest);
}

}  // namespace IniSectionEraser
