#include "WriteBackSql.h"

#include <QDate>

#include "HostServices.h"
#include "ShareCapital.h"
#include "TaxRecords.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace WriteBackSql {

namespace {

constexpr const char* kBasicColumns[] = {"QYMC", "FDDBRMC", "CWFZR",  "ZCDZ",   "YYDZ",
                                         "YZBM", "EMAIL",   "QYDHHM", "QYCZHM", "HYMC",
                                         "HYDM", "ZSID",    "CZY_DM"};

enum class Form { Quoted, Date, Number, Money };

struct Value {
    Form form;
    QString text;  // ready for the statement
};

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

// Values written without quotes must be numbers; "0" stands in for an empty one.
bool NumberOrZero(const TDataVO& data, const char* key, QString& value, QString& errorText) {
    value = Entry(data, key).trimmed();
    if (value.isEmpty()) {
        value = QStringLiteral("0");
    }
    return IsSqlInteger(value) || RefuseNoNumber(key, value, errorText);
}

// Every column of a row with the form its value takes in the statement.
bool CollectValues(const TDataVO& data, std::span<const char* const> columns,
                   std::vector<Value>& values, QString& errorText) {
    for (const char* column : columns) {
        const QLatin1String name(column);
        if (name == QLatin1String("GXSJ")) {
            values.push_back({Form::Date, DateExpression(Entry(data, column))});
        } else if (name == QLatin1String("GXBZ") || name == QLatin1String("DJZCLX_DM")) {
            QString number;
            if (!NumberOrZero(data, column, number, errorText)) {
                return false;
            }
            values.push_back({Form::Number, number});
        } else if (name == QLatin1String("GSGBZE")) {
            // Written as 0, an amount no one can read would pass for nothing paid in.
            QString amount;
            if (!ShareCapital(Entry(data, column), amount)) {
                return RefuseNoNumber(column, Entry(data, column), errorText);
            }
            values.push_back({Form::Money, amount});
        } else if (name == QLatin1String("JKBZ")) {
            const QString flag = Entry(data, column);
            values.push_back({Form::Quoted, QuoteSqlValue(flag.isEmpty() ? "0" : flag)});
        } else {
            values.push_back({Form::Quoted, QuoteSqlValue(Entry(data, column))});
        }
    }
    return true;
}

bool IsQuoted(const Value& value) {
    return value.form == Form::Quoted;
}

void AppendValue(QString& sql, const Value& value) {
    if (IsQuoted(value)) {
        sql += QLatin1Char('\'') + value.text + QLatin1Char('\'');
    } else {
        sql += value.text;
    }
}

// "INSERT INTO T(QYID, A, B, C,D,...) VALUES(id,'a','b',...)": the first three
// columns after QYID are separated by ", ", the rest by ",".
QString InsertSql(const char* table, const QString& companyId, std::span<const char* const> columns,
                  const std::vector<Value>& values) {
    QString sql = QStringLiteral("INSERT INTO %1(QYID").arg(QLatin1String(table));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += QLatin1String(i < 3 ? ", " : ",");
        sql += QLatin1String(columns[i]);
    }
    sql += QStringLiteral(") VALUES(") + companyId;
    for (const Value& value : values) {
        sql += QLatin1Char(',');
        AppendValue(sql, value);
    }
    return sql + QLatin1Char(')');
}

// "UPDATE T SET A='a', B ='b', C ='c', D='d', N=5, ... where QYID=id": a
// blank before the equals sign of the second and third column only.
QString UpdateSql(const char* table, const QString& companyId, std::span<const char* const> columns,
                  const std::vector<Value>& values) {
    QString sql = QStringLiteral("UPDATE %1 SET ").arg(QLatin1String(table));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) {
            sql += QStringLiteral(", ");
        }
        sql += QLatin1String(columns[i]);
        sql += QLatin1String((i == 1 || i == 2) ? " =" : "=");
        AppendValue(sql, values[i]);
    }
    return sql + QStringLiteral(" where QYID=") + companyId;
}

bool TaxRowSql(const char* table, std::span<const char* const> columns, const QString& companyId,
               const TDataVO& data, bool rowExists, QString& sql, QString& errorText) {
    if (!IsSqlInteger(companyId)) {
        errorText = QStringLiteral("传入的企业ID[%1]不是有效的数字").arg(companyId);
        return false;
    }
    std::vector<Value> values;
    if (!CollectValues(data, columns, values, errorText)) {
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
        sql += QLatin1String(i == 0 ? " " : "', ");
        sql += QLatin1String(kBasicColumns[i]) + QStringLiteral("='") +
               QuoteSqlValue(Entry(data, kBasicColumns[i]));
    }
    sql += QStringLiteral("' where QYID=") + companyId.trimmed();
    return true;
}

}  // namespace WriteBackSql
