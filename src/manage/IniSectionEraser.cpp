#include "IniSectionEraser.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

#include "IniText.h"
#include "TextCodec.h"
#include "WholeFile.h"

namespace {

// The line's text without its line end.
QByteArrayView Text(QByteArrayView line) {
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r')) {
        line.chop(1);
    }
    return line;
}

// The line in the file's encoding, or, in a file that is neither as a whole,
// in whichever reads the line. A line feed byte ends a line in both.
std::optional<QString> Decoded(QByteArrayView line,
                               std::optional<TextCodec::Encoding> fileEncoding) {
    if (fileEncoding) {
        return TextCodec::DecodeAs(line, *fileEncoding);
    }
    return TextCodec::DecodeUtf8OrGbk(line);
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
    std::optional<TextCodec::Encoding> encoding;
    if (const auto whole = TextCodec::Decode(QByteArrayView(content).sliced(begin))) {
        encoding = whole->encoding;
    }
    for (qsizetype start = begin; start < content.size();) {
        const qsizetype newline = content.indexOf('\n', start);
        const qsizetype end = newline < 0 ? content.size() : newline + 1;
        const QByteArrayView line(content.constData() + start, end - start);
        // Headers read as the host reads them; the name is compared exactly,
        // as two companies' numbers may differ in letter case only.
        if (const std::optional<QString> text = Decoded(Text(line), encoding)) {
            const IniText::Line read = IniText::Read(*text);
            if (read.kind == IniText::LineKind::Header) {
                skipping = read.name == section;
                found = found || skipping;
            }
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
