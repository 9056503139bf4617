#include "IniText.h"

namespace IniText {

Line Read(QStringView line) {
    Line read;
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty()) {
        return read;
    }
    if (trimmed.front() == QLatin1Char(';') || trimmed.front() == QLatin1Char('#')) {
        read.kind = LineKind::Comment;
        return read;
    }
    if (trimmed.front() == QLatin1Char('[')) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0) {
            read.kind = LineKind::Other;
            return read;
        }
        read.kind = LineKind::Header;
        read.name = trimmed.sliced(1, close - 1).trimmed().toString();
        return read;
    }
    const qsizetype mark = trimmed.indexOf(QLatin1Char('='));
    if (mark <= 0) {
        read.kind = LineKind::Other;
        return read;
    }
    read.kind = LineKind::Entry;
    read.name = trimmed.first(mark).trimmed().toString();
    read.value = trimmed.sliced(mark + 1);
    return read;
}

}  // namespace IniText
