#include "WriteBackSql.h"

#include <QDate>

#include "HostServices.h"
#include "ShareCapital.h"
#include "SqlWriter.h"
#include "TaxRecords.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace WriteBackSql {

namespace {

constexpr const char* kBasicColumns[] = {"QYMC", "FDDBRMC", "CWFZR",  "ZCDZ",   "YYDZ",
                                         "YZBM", "EMAIL",   "QYDHHM", "QYCZHM", "HYMC",
                                         "HYDM", "ZSID",    "CZY_DM"};

QString Entry(const TDataVO& data, const char* key) {
    return data.GetStrValue(QLatin1String(key));
}

QString DateExpression(const QString& text) {
    const QString date = text.isEmpty() ? QDate::currentDate().toString(Qt::ISODate) : text;
    return ModuleLib::GetSQLDataTime(kMainConnection, date);
}

bool RefuseNoNumber(const char* key, const QString& value, QString& errorText) {
    errorText = QStringLiteral("传入的%1[%2]不是有效的数字").arg(QLatin1String(key), value);
    return false;
}

// Every column of a row as the statement spells it: the number columns
// "0" when empty, the share capital right-aligned, the date the host's literal.
bool CollectValues(const char* table, const TDataVO& data, std::span<const char* const> columns,
                   std::vector<QString>& values, QString& errorText) {
    for (const char* column : columns) {
        const QLatin1String name(column);
        const QString entry = Entry(data, column);
        TSqlValue value = TSqlValue::Of(entry);
        if (name == QLatin1String("GXSJ")) {
            value = TSqlValue::Literal(DateExpression(entry));
        } else if (name == QLatin1String("GXBZ") || name == QLatin1String("DJZCLX_DM")) {
            value = TSqlValue::Of(entry.trimmed().isEmpty() ? QStringLiteral("0") : entry);
        } else if (name == QLatin1String("JKBZ")) {
            value = TSqlValue::Of(entry.isEmpty() ? QStringLiteral("0") : entry);
        } else if (name == QLatin1String("GSGBZE")) {
            // Written as 0, an amount no one can read would pass for nothing paid in.
            QString amount;
            if (!ShareCapital(entry, amount)) {
                return RefuseNoNumber(column, entry, errorText);
            }
            value = TSqlValue::Of(amount);
        }
        QString spelled, ignored;
        if (!SqlWriter::Spell(table, name, value, spelled, ignored)) {
            return RefuseNoNumber(column, value.text().trimmed(), errorText);
        }
        values.push_back(spelled);
    }
    return true;
}

// "INSERT INTO T(QYID, A, B, C,D,...) VALUES(id,'a','b',...)": the first three
// columns after QYID are separated by ", ", the rest by ",".
QString InsertSql(const char* table, const QString& companyId, std::span<const char* const> columns,
                  const std::vector<QString>& values) {
    QString sql = QStringLiteral("INSERT INTO %1(QYID").arg(QLatin1String(table));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += QLatin1String(i < 3 ? ", " : ",");
        sql += QLatin1String(columns[i]);
    }
    sql += QStringLiteral(") VALUES(") + companyId;
    for (const QString& value : values) {
        sql += QLatin1Char(',') + value;
    }
    return sql + QLatin1Char(')');
}

// "UPDATE T SET A='a', B ='b', C ='c', D='d', N=5, ... where QYID=id": a
// blank before the equals sign of the second and third column only.
QString UpdateSql(const char* table, const QString& companyId, std::span<const char* const> columns,
                  const std::vector<QString>& values) {
    QString sql = QStringLiteral("UPDATE %1 SET ").arg(QLatin1String(table));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) {
            sql += QStringLiteral(", ");
        }
        sql += QLatin1String(columns[i]);
        sql += QLatin1String((i == 1 || i == 2) ? " =" : "=");
        sql += values[i];
    }
    return sql + QStringLiteral(" where QYID=") + companyId;
}

bool TaxRowSql(const char* table, std::span<const char* const> columns, const QString& companyId,
               const TDataVO& data, bool rowExists, QString& sql, QString& errorText) {
    if (!IsSqlInteger(companyId)) {
        errorText = QStringLiteral("传入的企业ID[%1]不是有效的数字").arg(companyId);
        return false;
    }
    std::vector<QString> values;
    if (!CollectValues(table, data, columns, values, errorText)) {
        return false;
    }
    sql = rowExists ? UpdateSql(table, companyId.trimmed(), columns, values)
                    : InsertSql(table, companyId.trimmed(), columns, values);
    return true;
}

}  // namespace

bool ShareCapital(const QString& text, QString& value) {
    QString amount;
    if (!ParseShareCapital(text, amount)) {
        return false;
    }
    value = amount.rightJustified(19, QLatin1Char(' '));
    return true;
}

bool LocalTax(const QString& companyId, const TDataVO& data, bool rowExists, QString& sql,
              QString& errorText) {
    return TaxRowSql("XT_QYDSXX", TaxRecords::LocalTaxColumns(), companyId, data, rowExists, sql,
                     errorText);
}

bool StateTax(const QString& companyId, const TDataVO& data, bool rowExists, QString& sql,
              QString& errorText) {
    return TaxRowSql("XT_QYGSXX", TaxRecords::StateTaxColumns(), companyId, data, rowExists, sql,
                     errorText);
}

bool Basic(const QString& companyId, const TDataVO& data, QString& sql, QString& errorText) {
    if (!IsSqlInteger(companyId)) {
        errorText = QStringLiteral("传入的企业ID[%1]不是有效的数字").arg(companyId);
        return false;
    }
    sql = QStringLiteral("UPDATE XT_QYXX SET ");
    for (std::size_t i = 0; i < std::size(kBasicColumns); ++i) {
        sql += QLatin1String(i == 0 ? " " : ", ");
        sql += QLatin1String(kBasicColumns[i]) + QLatin1Char('=');
        SqlWriter::AppendQuoted(sql, Entry(data, kBasicColumns[i]));
    }
    sql += QStringLiteral(" where QYID=") + companyId.trimmed();
    return true;
}

}  // namespace WriteBackSql
