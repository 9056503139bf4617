// CSV as the module writes it: fields quoted where a comma, a quote or a
// line break needs it, and never a text a spreadsheet would run as a formula.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace CsvText {

enum class Encoding {
    Utf8Bom,  // what spreadsheets open without asking
    Gbk,      // the legacy code page (written as GB18030)
};

// A field as it goes into a row. A text a spreadsheet would run as a formula
// (starting with = + - @, a tab or a carriage return) gets a single quote in front; a text that
// already starts with a quote and one of those gets one more, so reading gives back exactly what
// was written.
QString EncodeField(const QString& value);
// A field as read back: one such leading quote is taken off again.
QString DecodeField(const QString& value);
// One row, its fields encoded, ending in CR LF.
QString Row(const QStringList& fields);
QByteArray Encode(const QString& text, Encoding encoding);

}  // namespace CsvText
