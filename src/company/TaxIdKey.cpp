#include "TaxIdKey.h"

#include "HalfWidth.h"
#include "HostServices.h"
#include "SqlQuery.h"

namespace {

bool IsHyphen(char16_t c) {
    // ASCII hyphen, the Unicode hyphens and dashes, and the minus sign.
    return c == u'-' || (c >= 0x2010 && c <= 0x2015) || c == 0x2212;
}

}  // namespace

QString TaxIdKey(const QString& taxId) {
    QString key;
    key.reserve(taxId.size());
    for (const QChar ch : ToHalfWidth(taxId)) {
        if (ch.isSpace() || IsHyphen(ch.unicode())) {
            continue;
        }
        key.append(ch.toUpper());
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
