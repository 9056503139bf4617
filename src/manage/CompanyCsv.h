// The company list as a CSV file: one header row of column names, then one
// row per record with every column, fields quoted where a comma, a quote or
// a line break needs it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "CompanyRecord.h"

namespace CompanyCsv {

enum class Encoding {
    Utf8Bom,  // what spreadsheets open without asking
    Gbk,      // the legacy code page (written as GB18030)
};

// A field as it goes into a row. A text a spreadsheet would run as a formula
// (starting with = + - or @) gets a single quote in front; a text that already
// starts with a quote and one of those gets one more, so reading gives back
// exactly what was written.
QString EncodeField(const QString& value);
// A field as read back: one such leading quote is taken off again.
QString DecodeField(const QString& value);

// The whole file's text: the header, then each record in all its columns.
QString Write(const TCompanyRecordArray& records);
QByteArray Encode(const QString& text, Encoding encoding);
// False with the reason when the file cannot be written in full.
bool WriteFile(const QString& path, const TCompanyRecordArray& records, Encoding encoding,
               QString& errorText);

// UTF-8 with or without a byte-order mark, else GBK; nullopt when the bytes
// are neither.
std::optional<QString> Decode(const QByteArray& bytes);
// The rows of a CSV text, fields decoded. Line breaks may be CR LF, LF or CR;
// quoted fields may hold them. Blank lines are no rows.
std::vector<QStringList> Parse(const QString& text);

}  // namespace CompanyCsv
