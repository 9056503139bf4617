#include "HalfWidth.h"

namespace {

constexpr char16_t kFullWidthFirst = 0xFF01;
constexpr char16_t kFullWidthLast = 0xFF5E;
constexpr char16_t kFullWidthOffset = 0xFEE0;
constexpr char16_t kIdeographicSpace = 0x3000;

}  // namespace

QString ToHalfWidth(QStringView text) {
    QString half;
    half.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= kFullWidthFirst && code <= kFullWidthLast) {
            half.append(QChar(static_cast<char16_t>(code - kFullWidthOffset)));
        } else if (code == kIdeographicSpace) {
            half.append(QLatin1Char(' '));
        } else {
            half.append(c);
        }
    }
    return half;
}

QString FoldForSearch(QStringView text) {
    return ToHalfWidth(text).toCaseFolded();
}
