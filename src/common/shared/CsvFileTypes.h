// The file types the company manager's export and import dialogs offer. A
// host that answers those dialogs for the operator picks a type by its text,
// so both sides take it from here.
#pragma once

namespace CsvFileTypes {

inline constexpr char kUtf8[] = "CSV UTF-8 (*.csv)";
inline constexpr char kGbk[] = "CSV GBK (*.csv)";
// What the import dialog offers: CSV files first, any file as the fallback.
inline constexpr char kImport[] = "CSV (*.csv);;* (*)";

}  // namespace CsvFileTypes
