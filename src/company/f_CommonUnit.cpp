#include "f_CommonUnit.h"

#include <algorithm>

#include "HalfWidth.h"
#include "HostServices.h"
#include "SqlQuery.h"

namespace {

constexpr int kDefaultQueryLength = 6;
constexpr const char* kAgencyServedClass = "10";
constexpr const char* kOrdinaryClass = "0";
constexpr const char* kCompanyPermissionType = "10";
constexpr const char* kAgencyClass = "19";
constexpr const char* kTaxOfficerClass = "20";

// Length of a typed text as the tail match compares it: in characters, since
// the engines' substring functions count characters.
int TextLength(const QString& text) {
    int length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text[i].isLowSurrogate()) {
            ++length;
        }
    }
    return length;
}

// A contains condition that finds the typed text literally: "%" and "_" are
// no wildcards to the operator, and PostgreSQL would otherwise take a
// backslash in the pattern for its escape character, which SQLite does not.
// The host compares both sides folded as typing does (FoldForSearch), so the
// same text finds the same companies on every engine.
// A text compared with a company column ("QYSBH", "t2.QYMC"), as the
// statement writer spells it.
QString CompanyText(const QString& column, const QString& text) {
    QString spelled, ignored;
    SqlWriter::Spell("XT_QYXX", column.section(QLatin1Char('.'), -1), TSqlValue::Of(text), spelled,
                     ignored);
    return spelled;
}

QString ContainsFilter(const QString& column, const QString& text) {
    QString pattern;
    pattern.reserve(text.size());
    for (const QChar c : text) {
        // The database folds full-width forms before it compares: "％" is a "%" there.
        const QChar half = ToHalfWidth(QStringView(&c, 1)).at(0);
        if (half == QLatin1Char('!') || half == QLatin1Char('%') || half == QLatin1Char('_')) {
            pattern += QLatin1Char('!');
        }
        pattern += c;
    }
    return QStringLiteral(" and %1 like %2 escape '!'")
        .arg(column, CompanyText(column, QLatin1Char('%') + pattern + QLatin1Char('%')));
}

QString TaxIdFilter(const QString& column, const QString& taxIdText, bool tailMatch) {
    if (taxIdText.isEmpty()) {
        return QString();
    }
    if (!tailMatch) {
        return BuildTaxIdFilter(column, taxIdText, false, QString(), 0);
    }
    return BuildTaxIdFilter(column, taxIdText, true, ModuleLib::GetDBType(kMainConnection),
                            ReadQueryLength());
}

QString NameFilter(const QString& column, const QString& nameText) {
    if (nameText.isEmpty()) {
        return QString();
    }
    return ContainsFilter(column, nameText);
}

bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

QString BuildTaxIdFilter(const QString& column, const QString& taxIdText, bool tailMatch,
                         const QString& engine, int queryLength) {
    if (taxIdText.isEmpty()) {
        return QString();
    }
    const QString quoted = CompanyText(column, taxIdText);
    const int length = TextLength(taxIdText);
    if (!tailMatch || length > queryLength) {
        return ContainsFilter(column, taxIdText);
    }
    const QString dialect = engine.toUpper();
    if (dialect == QLatin1String("MSSQLSERVER")) {
        return QStringLiteral(" and SUBSTRING(right(%1,%2),1,%3)=%4")
            .arg(column)
            .arg(queryLength)
            .arg(length)
            .arg(quoted);
    }
    if (dialect == QLatin1String("ORACLE")) {
        return QStringLiteral(" and substr(%1,length(%1)-%2,%3)=%4")
            .arg(column)
            .arg(queryLength - 1)
            .arg(length)
            .arg(quoted);
    }
    return QStringLiteral(" and mid(right(%1,%2),1,%3)=%4")
        .arg(column)
        .arg(queryLength)
        .arg(length)
        .arg(quoted);
}

bool IsAllCompanyClass(const QString& operatorClass) {
    return operatorClass == QLatin1String("0") || operatorClass == QLatin1String("SYSTEM") ||
           operatorClass == QLatin1String("BUSINESS");
}

bool IsOwnRowClass(const QString& companyClass) {
    const QString trimmed = companyClass.trimmed();
    return trimmed == QLatin1String(kAgencyClass) || trimmed == QLatin1String(kTaxOfficerClass);
}

QString BuildCompanyListSql(const QString& taxIdText, const QString& nameText, bool countOnly,
                            bool tailMatch) {
    QString sql = countOnly ? QStringLiteral("select count(QYID) as cnt from XT_QYXX where 1=1")
                            : QStringLiteral("select * from XT_QYXX where 1=1");
    sql += QStringLiteral(" and LBDM=");
    sql += QLatin1String(ModuleLib::CheckAgencyExist() ? kAgencyServedClass : kOrdinaryClass);
    sql += TaxIdFilter(QStringLiteral("QYSBH"), taxIdText, tailMatch);
    sql += NameFilter(QStringLiteral("QYMC"), nameText);
    return sql;
}

QString BuildRoleCompanyListSql(const QString& roleCode, const QString& taxIdText,
                                const QString& nameText, bool countOnly, bool tailMatch) {
    // Several permissions may grant one company: it is listed and counted once.
    QString sql = countOnly
                      ? QStringLiteral("SELECT count(DISTINCT t2.QYID) as cnt FROM QX_ROLEPRMS")
                      : QStringLiteral("SELECT DISTINCT t2.* FROM QX_ROLEPRMS");
    sql += QStringLiteral(
        " t1, XT_QYXX t2, QX_PRMSMAP t3 WHERE t3.PRMS_DM=t1.PRMS_DM AND t2.QYID=t3.KZDM");
    // The role code comes from the host, but it is still text in quotes.
    QString role, ignored;
    SqlWriter::Spell("QX_ROLEPRMS", QStringLiteral("JS_DM"), TSqlValue::Of(roleCode), role,
                     ignored);
    sql += QStringLiteral(" AND t1.JS_DM=") + role + QStringLiteral(" AND t3.PRMS_TYPE='") +
           QLatin1String(kCompanyPermissionType) + QStringLiteral("'");
    // A grant naming the agency's or the tax officer's own row grants nothing:
    // those rows hold the agency's and a person's data, not a company to file for.
    sql += QStringLiteral(" AND t2.LBDM<>") + QLatin1String(kAgencyClass) +
           QStringLiteral(" AND t2.LBDM<>") + QLatin1String(kTaxOfficerClass);
    sql += TaxIdFilter(QStringLiteral("t2.QYSBH"), taxIdText, tailMatch);
    sql += NameFilter(QStringLiteral("t2.QYMC"), nameText);
    return sql;
}

QString BuildOperatorCompanyListSql(const QString& operatorClass, const QString& taxIdText,
                                    const QString& nameText, bool countOnly, bool tailMatch) {
    if (IsAllCompanyClass(operatorClass)) {
        return BuildCompanyListSql(taxIdText, nameText, countOnly, tailMatch);
    }
    return BuildRoleCompanyListSql(operatorClass, taxIdText, nameText, countOnly, tailMatch);
}

bool ReadCompanyList(const char* operation, const QString& sql,
                     std::span<const CompanyField> fields, TCompanyRecordArray& records,
                     std::size_t maxRows) {
    try {
        TCompanyRecordArray rows;
        const bool ok = SqlQuery::ReadRows(operation, sql, [&](TADOQuery& query) {
            std::vector<int> columns;
            columns.reserve(fields.size());
            for (const CompanyField field : fields) {
                columns.push_back(query.FieldIndex(QLatin1String(CompanyFieldName(field))));
            }
            if (query.SizeHint() > 0) {
                rows.reserve(std::min(static_cast<std::size_t>(query.SizeHint()), maxRows));
            }
            TCompanyRecordBuilder builder;
            for (; rows.size() < maxRows && !query.Eof(); query.Next()) {
                for (std::size_t i = 0; i < fields.size(); ++i) {
                    builder.SetUtf8(fields[i], query.FieldAsUtf8(columns[i]));
                }
                rows.push_back(builder.Take());
            }
        });
        if (ok) {
            records = std::move(rows);
        }
        return ok;
    } catch (...) {
        return false;
    }
}

int ReadQueryLength() {
    const QString text = ModuleLib::GetSysConfigParam(QStringLiteral("SysCofig"),
                                                      QStringLiteral("QueryLengthToSwithCompany"),
                                                      QString::number(kDefaultQueryLength));
    bool ok = false;
    const int length = text.trimmed().toInt(&ok);
    return ok ? length : kDefaultQueryLength;
}

bool IsValidEmail(const QString& text) {
    if (text.isEmpty()) {
        return true;
    }
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    if (at <= 0) {
        return false;
    }
    const QString domain = text.mid(at + 1);
    const qsizetype dot = domain.indexOf(QLatin1Char('.'));
    return dot > 0 && dot < domain.size() - 1;
}

bool IsValidPhone(const QString& text) {
    for (const QChar c : text) {
        if (!IsAsciiDigit(c) && c != QLatin1Char('(') && c != QLatin1Char(')') &&
            c != QLatin1Char('-')) {
            return false;
        }
    }
    return true;
}

bool IsValidPostCode(const QString& text) {
    const QString code = text.trimmed();
    return code.isEmpty() || TextLength(code) == 6;
}

QString EnsureTrailingBackslash(const QString& path) {
    QString result = path.trimmed();
    if (!result.isEmpty() && !result.endsWith(QLatin1Char('/'))) {
        result += QLatin1Char('/');
    }
    return result;
}

namespace {
QString& CaptionStore() {
    static QString caption;
    return caption;
}
}  // namespace

QString CompanyCodeCaption() {
    return CaptionStore();
}

QString ReadCompanyCodeCaption() {
    CaptionStore() = ModuleLib::GetSysConfigParam(QStringLiteral("SysCofig"),
                                                  QStringLiteral("DisplayCompanyCodeName"),
                                                  QStringLiteral("企业识别号"));
    return CaptionStore();
}
