#include "TaxIdKey.h"

#include "HostServices.h"
#include "SqlQuery.h"

namespace {

constexpr char16_t kFullWidthFirst = 0xFF01;
constexpr char16_t kFullWidthLast = 0xFF5E;
constexpr char16_t kFullWidthOffset = 0xFEE0;

bool IsHyphen(char16_t c) {
    // ASCII hyphen, the Unicode hyphens and dashes, and the minus sign.
    return c == u'-' || (c >= 0x2010 && c <= 0x2015) || c == 0x2212;
}

}  // namespace

QString TaxIdKey(const QString& taxId) {
    QString key;
    key.reserve(taxId.size());
    for (QChar ch : taxId) {
        char16_t c = ch.unicode();
        if (c >= kFullWidthFirst && c <= kFullWidthLast) {
            c = static_cast<char16_t>(c - kFullWidthOffset);
        }
        if (QChar(c).isSpace() || IsHyphen(c)) {
            continue;
        }
        key.append(QChar(c).toUpper());
    }
    return key;
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
