#include "SqlWriter.h"

namespace {

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// An amount as NUMERIC takes it: digits with an optional sign and fraction;
// blanks around it (the write-backs' right alignment) go in as they are.
bool IsSqlDecimal(const QString& text) {
    const QStringView number = QStringView(text).trimmed();
    qsizetype i = number.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype start = i;
    while (i < number.size() && IsDigit(number[i])) {
        ++i;
    }
    if (i == start) {
        return false;
    }
    if (i < number.size() && number[i] == QLatin1Char('.')) {
        const qsizetype fraction = ++i;
        while (i < number.size() && IsDigit(number[i])) {
            ++i;
        }
        if (i == fraction) {
            return false;
        }
    }
    return i == number.size();
}

const TableColumns::Table* FindTable(std::string_view table) {
    for (const TableColumns::Table& t : TableColumns::kTables) {
        if (t.name == table) {
            return &t;
        }
    }
    return nullptr;
}

}  // namespace

QString QuoteSqlValue(const QString& text) {
    if (text.isEmpty()) {
        return QString();
    }
    // Shared, not copied, when there is nothing to double.
    if (!text.contains(QLatin1Char('\''))) {
        return text;
    }
    QString quoted = text;
    return quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
}

bool IsSqlInteger(const QString& text) {
    const QStringView number = QStringView(text).trimmed();
    const qsizetype start = number.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (number.size() <= start || number.size() - start > 18) {
        return false;
    }
    for (qsizetype i = start; i < number.size(); ++i) {
        if (!IsDigit(number[i])) {
            return false;
        }
    }
    return true;
}

namespace SqlWriter {

std::optional<TableColumns::ColumnType> TypeOf(std::string_view table, const QString& column) {
    const TableColumns::Table* found = FindTable(table);
    if (found == nullptr) {
        return std::nullopt;
    }
    for (const TableColumns::Column& c : found->columns) {
        if (column.compare(TableColumns::Name(c.name), Qt::CaseInsensitive) == 0) {
            return c.type;
        }
    }
    return std::nullopt;
}

void AppendQuoted(QString& sql, const QString& text) {
    sql += QLatin1Char('\'');
    sql += QuoteSqlValue(text);
    sql += QLatin1Char('\'');
}

bool Spell(std::string_view table, const QString& column, const TSqlValue& value, QString& spelled,
           QString& errorText) {
    using TableColumns::ColumnType;
    spelled.clear();
    const auto type = TypeOf(table, column);
    if (!type) {
        errorText = QStringLiteral("未知的列%1.%2").arg(TableColumns::Name(table), column);
        return false;
    }
    switch (value.kind()) {
        case TSqlValue::Kind::Null:
            spelled = QStringLiteral("NULL");
            return true;
        case TSqlValue::Kind::Itself:
            spelled = column.toUpper();
            return true;
        case TSqlValue::Kind::Literal:
            spelled = value.text();
            return true;
        case TSqlValue::Kind::Value:
            break;
    }
    const QString& text = value.text();
    switch (*type) {
        case ColumnType::Key:
        case ColumnType::Integer:
            if (!IsSqlInteger(text)) {
                break;
            }
            spelled = text.trimmed();
            return true;
        case ColumnType::Money:
            if (!IsSqlDecimal(text)) {
                break;
            }
            spelled = text;
            return true;
        case ColumnType::Text:
        case ColumnType::Date:
            AppendQuoted(spelled, text);
            return true;
    }
    errorText = QStringLiteral("%1[%2]不是有效的数字").arg(column, text);
    return false;
}

bool Fill(std::string_view table, const QString& text, const std::map<QString, TSqlValue>& values,
          QString& sql, QString& errorText) {
    sql.clear();
    QString out;
    out.reserve(text.size() * 2);
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), from);
        if (open < 0) {
            out += QStringView(text).mid(from);
            break;
        }
        const qsizetype close = text.indexOf(QLatin1Char('}'), open);
        if (close < 0) {
            errorText = QStringLiteral("语句模板不完整");
            return false;
        }
        out += QStringView(text).mid(from, open - from);
        const QString column = text.mid(open + 1, close - open - 1);
        const auto found = values.find(column);
        if (found == values.end()) {
            errorText = QStringLiteral("没有给出%1的值").arg(column);
            return false;
        }
        QString spelled;
        if (!Spell(table, column, found->second, spelled, errorText)) {
            return false;
        }
        out += spelled;
        from = close + 1;
    }
    sql = std::move(out);
    return true;
}

}  // namespace SqlWriter
