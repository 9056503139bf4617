#include "TaxIdKey.h"

#include <algorithm>
#include <cstring>

#include "HalfWidth.h"
#include "HostServices.h"
#include "SqlQuery.h"

namespace {

bool IsHyphen(char32_t c) {
    // ASCII hyphen, the Unicode hyphens and dashes, and the minus sign.
    return c == u'-' || (c >= 0x2010 && c <= 0x2015) || c == 0x2212;
}

constexpr char kCodeAlphabet[] = "0123456789ABCDEFGHJKLMNPQRTUWXY";
constexpr int kCodeWeights[17] = {1, 3, 9, 27, 19, 26, 16, 17, 20, 29, 25, 13, 8, 24, 10, 30, 28};
constexpr qsizetype kCodeLength = 18;

int CodeValue(QChar ch) {
    const char* const found = ch.unicode() < 0x80 && ch.unicode() != 0
                                  ? std::strchr(kCodeAlphabet, ch.toLatin1())
                                  : nullptr;
    return found != nullptr ? static_cast<int>(found - kCodeAlphabet) : -1;
}

}  // namespace

bool IsInvisibleCharacter(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

bool HasInvisibleCharacter(const QString& text) {
    // Most numbers hold no surrogate: no code point list to build.
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSurrogate(); })) {
        return std::any_of(text.cbegin(), text.cend(),
                           [](QChar c) { return IsInvisibleCharacter(c.unicode()); });
    }
    const QList<uint> codePoints = text.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(),
                       [](uint c) { return IsInvisibleCharacter(c); });
}

QString TaxIdKey(const QString& taxId) {
    // A number typed plainly is its own key; it is shared, not copied.
    if (std::all_of(taxId.cbegin(), taxId.cend(), [](QChar c) {
            return c.unicode() > u' ' && c.unicode() < 0x7F && c != u'-' &&
                   !(c.unicode() >= u'a' && c.unicode() <= u'z');
        })) {
        return taxId;
    }
    QString key;
    key.reserve(taxId.size());
    // By code point, so that invisible characters beyond the first plane go too.
    for (const char32_t c : ToHalfWidth(taxId).toUcs4()) {
        if (QChar::isSpace(c) || IsHyphen(c) || IsInvisibleCharacter(c)) {
            continue;
        }
        key.append(QChar::fromUcs4(QChar::toUpper(c)));
    }
    return key;
}

bool HasValidCheckCharacter(const QString& taxId) {
    return KeyHasValidCheckCharacter(TaxIdKey(taxId));
}

bool KeyHasValidCheckCharacter(const QString& key) {
    if (key.size() != kCodeLength) {
        return true;
    }
    int sum = 0;
    for (int i = 0; i < kCodeLength - 1; ++i) {
        const int value = CodeValue(key[i]);
        if (value < 0) {
            return false;
        }
        sum += value * kCodeWeights[i];
    }
    const int check = (31 - sum % 31) % 31;
    return CodeValue(key[kCodeLength - 1]) == check;
}

bool FindSimilarTaxIds(const QString& taxId, QStringList& similar) {
    similar.clear();
    const QString key = TaxIdKey(taxId);
    if (key.isEmpty()) {
        return true;
    }
    // Every stored number is looked at: the forms a number may take cannot
    // all be written as one condition that every engine understands.
    return SqlQuery::ReadRows("look for similar taxpayer ids",
                              QStringLiteral("select QYSBH from XT_QYXX order by QYID"),
                              [&](TADOQuery& rows) {
                                  for (; !rows.Eof(); rows.Next()) {
                                      const QString stored = rows.FieldAsString(0);
                                      if (stored != taxId && TaxIdKey(stored) == key) {
                                          similar << stored;
                                      }
                                  }
                              });
}
