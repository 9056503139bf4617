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

// Whether the line is a header as the host reads one, in UTF-8 or in GBK (the
// files are either), and whether such a header names the section, compared
// exactly: another company's number may differ in letter case only. Each line
// is read on its own, so what one line says never depends on another.
struct Header {
    bool header = false;
    bool named = false;
};

Header ReadHeader(QByteArrayView line, const QString& section) {
    Header found;
    for (const auto encoding : {TextCodec::Encoding::Utf8, TextCodec::Encoding::Gbk}) {
        if (const std::optional<QString> text = TextCodec::DecodeAs(line, encoding)) {
            const IniText::Line read = IniText::Read(*text);
            if (read.kind == IniText::LineKind::Header) {
                found.header = true;
                found.named = found.named || read.name == section;
            }
        }
    }
    return found;
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
        if (const Header header = ReadHeader(Text(line), section); header.header) {
            skipping = header.named;
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
