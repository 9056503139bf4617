#include "TaxRecords.h"

#include <QDate>
#include <QDateTime>

#include <array>

#include "CompanyRecord.h"
#include "HostServices.h"
#include "ShareCapital.h"
#include "SqlQuery.h"
#include "TableColumns.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace TaxRecords {

namespace {

// The statements name every column after the key, in the table's own order.
template <std::size_t N>
constexpr std::array<const char*, N - 1> ColumnsAfterKey(const TableColumns::Column (&table)[N]) {
    std::array<const char*, N - 1> names{};
    for (std::size_t i = 1; i < N; ++i) {
        names[i - 1] = table[i].name.data();  // literals: NUL-terminated
    }
    return names;
}

static_assert(TableColumns::kLocalTax[0].name == "QYID");
static_assert(TableColumns::kStateTax[0].name == "QYID");
constexpr auto kLocalTaxColumns = ColumnsAfterKey(TableColumns::kLocalTax);
constexpr auto kStateTaxColumns = ColumnsAfterKey(TableColumns::kStateTax);

constexpr const char* kStateTaxKeys[] = {
    "NSRSBH", "NSRBM",     "NSRMC", "FDDBRMC", "DHHM",  "YZBM",     "ZCDZ",   "YYDZ",
    "SSHY",   "DJZCLX_DM", "NSRZT", "KKYH",    "YHZH",  "NSRLX",    "XYDJ",   "SSSWJG_DM",
    "SSDLJG", "JKBZ",      "ZDH",   "SQR",     "SMR",   "KSSCJYRQ", "KSHLND", "KJZG",
    "ZJFMC",  "ZJGSWDJH",  "FZR",   "JBZH",    "FLZSH", "ICCARD",   "SSHYMC", "SSSWJG_MC",
    "QYLXDM", "QYLXMC",    "GXSJ",  "GXBZ",
};

enum class Conversion { Plain, ShareCapital, Date };

Conversion ConversionOf(const char* key) {
    const QLatin1String name(key);
    if (name == QLatin1String("GSGBZE")) {
        return Conversion::ShareCapital;
    }
    if (name == QLatin1String("GXSJ")) {
        return Conversion::Date;
    }
    return Conversion::Plain;
}

QString ReadValue(const TADOQuery& query, const char* key) {
    const QString text = query.FieldByName(QLatin1String(key));
    switch (ConversionOf(key)) {
        case Conversion::ShareCapital: {
            // An amount that cannot be read is kept as stored rather than shown as 0.00.
            QString shown;
            ReadStoredShareCapital(text, shown);
            return shown;
        }
        case Conversion::Date:
            return FormatUpdateDate(text);
        case Conversion::Plain:
            break;
    }
    return HostCopy(QLatin1String(key), text);
}

std::unique_ptr<TDataVO> LoadRow(const char* table, const QString& companyId,
                                 std::span<const char* const> keys) {
    auto child = std::make_unique<TDataVO>();
    if (!IsSqlInteger(companyId)) {
        return child;
    }
    const bool ok = SqlQuery::ReadRows(
        "load a company's tax row",
        QStringLiteral("select * from %1 where QYID=").arg(QLatin1String(table)) +
            companyId.trimmed(),
        [&](TADOQuery& query) {
            if (query.Eof()) {
                return;
            }
            for (const char* key : keys) {
                child->SetStrValue(QLatin1String(key), ReadValue(query, key));
            }
        });
    if (!ok) {
        child = std::make_unique<TDataVO>();
    }
    return child;
}

}  // namespace

std::span<const char* const> LocalTaxColumns() {
    return kLocalTaxColumns;
}

std::span<const char* const> StateTaxColumns() {
    return kStateTaxColumns;
}

std::span<const char* const> LocalTaxKeys() {
    return kLocalTaxColumns;
}

std::span<const char* const> StateTaxKeys() {
    return kStateTaxKeys;
}

std::unique_ptr<TDataVO> LoadLocalTax(const QString& companyId) {
    return LoadRow("XT_QYDSXX", companyId, LocalTaxKeys());
}

std::unique_ptr<TDataVO> LoadStateTax(const QString& companyId) {
    return LoadRow("XT_QYGSXX", companyId, StateTaxKeys());
}

QString HostCopy(const QString& column, const QString& text) {
    if (column == QLatin1String("ICCARD")) {
        return text;
    }
    return CutToLegacyBytes(text).toString();
}

QString FormatUpdateDate(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return QDate::currentDate().toString(Qt::ISODate);
    }
    QDateTime stamp = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!stamp.isValid()) {
        stamp = QDateTime::fromString(trimmed, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    if (stamp.isValid()) {
        return stamp.date().toString(Qt::ISODate);
    }
    const QDate date = QDate::fromString(trimmed.left(10), Qt::ISODate);
    if (date.isValid()) {
        return date.toString(Qt::ISODate);
    }
    // What was stored is still the best account of the update there is.
    return text;
}

}  // namespace TaxRecords
