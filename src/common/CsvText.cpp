#include "CsvText.h"

#include <QStringEncoder>

namespace {

// A tab or carriage return before a formula start is skipped by some
// spreadsheets, so a field starting with one is a formula start too.
bool IsFormulaStart(QChar c) {
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           c == QLatin1Char('@') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// A single quote before a formula start, however many quotes came before.
bool IsQuotedFormula(const QString& value) {
    qsizetype i = 0;
    while (i < value.size() && value[i] == QLatin1Char('\'')) {
        ++i;
    }
    return i > 0 && i < value.size() && IsFormulaStart(value[i]);
}

}  // namespace

namespace CsvText {

QString EncodeField(const QString& value) {
    QString field = value;
    if ((!field.isEmpty() && IsFormulaStart(field[0])) || IsQuotedFormula(field)) {
        field.prepend(QLatin1Char('\''));
    }
    const bool quote = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                       field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
    if (!quote) {
        return field;
    }
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString DecodeField(const QString& value) {
    return IsQuotedFormula(value) ? value.mid(1) : value;
}

QString Row(const QStringList& fields) {
    QString text;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            text += QLatin1Char(',');
        }
        text += EncodeField(fields[i]);
    }
    return text + QLatin1String("\r\n");
}

QByteArray Encode(const QString& text, Encoding encoding) {
    if (encoding == Encoding::Gbk) {
        QStringEncoder gbk("GB18030");
        if (gbk.isValid()) {
            return gbk.encode(text);
        }
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

}  // namespace CsvText
