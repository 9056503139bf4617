// The byte-preserving section eraser over any content and section name. The
// whole-file result must be what its own line-by-line verdicts give: a line
// that alone is erased opens the section, a header that is kept after it
// closes the section, and every other byte stays exactly as it was. A content
// with nothing erased comes back unchanged, and erasing twice erases nothing
// more. A header written in UTF-8 or in GBK for the name is always found.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "IniSectionEraser.h"
#include "TextCodec.h"

namespace {

std::vector<QByteArray> Lines(const QByteArray& content) {
    std::vector<QByteArray> lines;
    for (qsizetype start = 0; start < content.size();) {
        const qsizetype newline = content.indexOf('\n', start);
        const qsizetype end = newline < 0 ? content.size() : newline + 1;
        lines.push_back(content.mid(start, end - start));
        start = end;
    }
    return lines;
}

// After a line end, so that a byte-order mark it starts with is no file's.
bool ErasedAlone(const QByteArray& line, const QString& section) {
    bool erased = false;
    const QByteArray rest = IniSectionEraser::Erase("\n" + line, section, &erased);
    Require(erased ? rest == "\n" : rest == "\n" + line);
    return erased;
}

// A line the section's own header is followed by survives only when it
// starts another section.
bool StartsAnotherSection(const QByteArray& line, const QString& section) {
    const QByteArray header = "[" + section.toUtf8() + "]\n";
    return IniSectionEraser::Erase(header + line, section) == line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string name = input.ConsumeRandomLengthString(24);
    const QString section = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    const std::string raw = input.ConsumeRemainingBytesAsString();
    const QByteArray content(raw.data(), static_cast<qsizetype>(raw.size()));

    bool erased = false;
    const QByteArray result = IniSectionEraser::Erase(content, section, &erased);
    if (!erased) {
        Require(result == content);
    }
    bool again = true;
    Require(IniSectionEraser::Erase(result, section, &again) == result);
    Require(!again);

    // Names that a header line can carry whole: trimmed, on one line, text
    // (a NUL byte is no text in either encoding), without the "]" that ends it.
    if (section.isEmpty() || section != section.trimmed() || section.contains(QLatin1Char('\n')) ||
        section.contains(QLatin1Char(']')) || section.contains(QLatin1Char('\r')) ||
        section.contains(QChar::ReplacementCharacter) || section.contains(QChar(0))) {
        return 0;
    }
    // A byte-order mark belongs to the file and stays; the lines follow it.
    const QByteArray mark("\xEF\xBB\xBF");
    QByteArray expected = content.startsWith(mark) ? mark : QByteArray();
    bool inSection = false;
    bool anyMatch = false;
    for (const QByteArray& line : Lines(content.mid(expected.size()))) {
        if (ErasedAlone(line, section)) {
            inSection = true;
            anyMatch = true;
        } else if (inSection && StartsAnotherSection(line, section)) {
            inSection = false;
        }
        if (!inSection) {
            expected += line;
        }
    }
    Require(anyMatch == erased);
    Require(result == expected);

    // The section written in either encoding, after anything, is erased whole.
    const QByteArray separated =
        content.endsWith('\n') || content.isEmpty() ? content : content + "\n";
    for (const QByteArray& header :
         {"[" + section.toUtf8() + "]\r\n", " [ " + TextCodec::EncodeGbk(section) + " ] ;\n"}) {
        const QByteArray withSection = separated + header + "key=value\n";
        bool found = false;
        const QByteArray rest = IniSectionEraser::Erase(withSection, section, &found);
        Require(found);
        Require(rest == IniSectionEraser::Erase(separated, section));
    }
    return 0;
}
