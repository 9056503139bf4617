// The company list as a CSV file: one header row of column captions, then one
// row per record with every column, fields quoted where a comma, a quote or
// a line break needs it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "CompanyRecord.h"
#include "CsvText.h"
#include "TextCodec.h"

namespace CompanyCsv {

using Encoding = CsvText::Encoding;
using CsvText::DecodeField;
using CsvText::Encode;
using CsvText::EncodeField;

// The caption a file's header gives the field.
const char* Caption(CompanyField field);
// The header's column of the field, named by its caption, its column name or
// one of alsoNamed, in any letter case; -1 when none.
int FindColumn(const QStringList& header, CompanyField field, const QStringList& alsoNamed = {});

// The whole file's text: the header, then each row, its columns in field order.
QString Write(const std::vector<QStringList>& rows);
// False with the reason when the file cannot be written in full, or when a
// row holds what no file could give back (a NUL character, a broken UTF-16
// pair): the reason names those rows by taxpayer number, and nothing is written.
bool WriteFile(const QString& path, const std::vector<QStringList>& rows, Encoding encoding,
               QString& errorText);
// The listed companies, each with its texts whole as stored, not as cut for
// the list. False with the reason when they cannot be read or written.
bool WriteFile(const QString& path, const TCompanyRecordArray& records, Encoding encoding,
               QString& errorText);

// The rows of a CSV text, fields decoded. Line breaks may be CR LF, LF or CR;
// quoted fields may hold them. Blank lines are no rows. nullopt when a quoted
// field is never closed; unclosedLine, when given, gets the line (from 1)
// where it began. rowLines, when given, gets the line where each row begins.
std::optional<std::vector<QStringList>> Parse(const QString& text, int* unclosedLine = nullptr,
                                              std::vector<int>* rowLines = nullptr);
// A file's rows: its bytes decoded as UTF-8 or GBK, then parsed. False with
// the reason, naming the line, when they are neither or a quote is not closed.
bool ReadTable(const QByteArray& bytes, std::vector<QStringList>& table, QString& errorText,
               TextCodec::Encoding* encoding = nullptr, std::vector<int>* rowLines = nullptr);

}  // namespace CompanyCsv
