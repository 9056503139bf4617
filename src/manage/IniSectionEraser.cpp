#include "IniSectionEraser.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "WholeFile.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char AsciiLower(QChar c) {
    const char16_t u = c.unicode();
    return static_cast<char>(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
}

bool EqualsIgnoringAsciiCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) {
            continue;
        }
        if (a[i].unicode() >= 0x80 || b[i].unicode() >= 0x80 ||
            AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
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
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(name);
    if (!utf8.hasError() && EqualsIgnoringAsciiCase(asUtf8, section)) {
        return true;
    }
    QStringDecoder gbk("GB18030", QStringDecoder::Flag::Stateless);
    if (!gbk.isValid()) {
        return false;
    }
    const QString asGbk = gbk.decode(name);
    return !gbk.hasError() && EqualsIgnoringAsciiCase(asGbk, section);
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
    for (qsizetype start = 0; start < content.size();) {
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
