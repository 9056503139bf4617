// The tax officer: the one row of XT_QYXX with class 20 (name in QYMC,
// identity-card number in QYSBH, region code in XZQHDM), its region list,
// checks and save.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "StoredRow.h"

namespace TaxOfficer {

// The items of the region drop-down from "AppComs/Dmzd/CantonCode.dat" under
// the application folder. False when the file cannot be read.
bool ReadRegions(const QString& appPath, QStringList& items);

// The region code of an item: its first four characters; empty for an empty
// item or a heading that begins with the full-width hyphen "－".
QString RegionCode(const QString& item);

struct TRow {
    QString Id;
    QString Name;
    QString IdNumber;
    QString RegionCode;
    // The whole row as read, for the save to compare with.
    std::optional<TStoredRow> Stored;
};
// The first officer row. False when there is none or it cannot be read.
bool ReadRow(TRow& row);

// The first failed check's text, in the order name, identity number, region;
// empty when everything passes. Texts of the identity check end with a
// carriage return.
enum class Field { None, Name, IdNumber, Region };
QString Validate(const QString& name, const QString& idNumber, const QString& regionCode,
                 Field& field);

// Writes into the officer row what the operator changed: the trimmed name,
// the trimmed region code; what is not given keeps what is stored, and the
// identity number is never written. Changed, with what changed in the
// columns it writes, when another desk changed them since loaded was read;
// Failed when the row is gone or the write failed.
enum class SaveResult { Saved, Failed, Changed, Unknown };
SaveResult Save(const TRow& loaded, const std::optional<QString>& name,
                const std::optional<QString>& regionCode, QStringList& changed);

}  // namespace TaxOfficer
