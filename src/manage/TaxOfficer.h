// The tax officer: the one row of XT_QYXX with class 20 (name in QYMC,
// identity-card number in QYSBH, region code in XZQHDM), its region list,
// checks and save.
#pragma once

#include <QString>
#include <QStringList>

namespace TaxOfficer {

// The items of the region drop-down from "AppComs/Dmzd/CantonCode.dat" under
// the application folder. False when the file cannot be read.
bool ReadRegions(const QString& appPath, QStringList& items);

// The region code of an item: its first four characters; empty for an empty
// item or a heading that begins with the full-width hyphen "－".
QString RegionCode(const QString& item);

struct TRow {
    QString Name;
    QString IdNumber;
    QString RegionCode;
};
// The first officer row. False when there is none or it cannot be read.
bool ReadRow(TRow& row);

// The first failed check's text, in the order name, identity number, region;
// empty when everything passes. Texts of the identity check end with a
// carriage return.
enum class Field { None, Name, IdNumber, Region };
QString Validate(const QString& name, const QString& idNumber, const QString& regionCode,
                 Field& field);

// Writes the trimmed name and region code into the officer row; the identity
// number is never written. False, with no statement run, when there is no
// officer row.
bool Save(const QString& name, const QString& regionCode);

}  // namespace TaxOfficer
