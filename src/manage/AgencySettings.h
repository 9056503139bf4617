// The agency settings: the fields of the agency's own row as the settings
// window edits them, their checks, and the save through the agency manager.
#pragma once

#include <QString>

class TAgencyMgr;

namespace AgencySettings {

struct TFields {
    QString Code;
    QString Name;
    QString TaxOffice;
    QString LegalRep;
    QString Phone;
    QString PostCode;
    QString Address;

    bool operator==(const TFields&) const = default;
};

enum class Check {
    Ok,
    MissingCode,  // the code is empty after trimming
    MissingName,  // the name is empty after trimming
    BadPostCode,  // a post code that is not exactly six characters, trimmed
};

// The agency manager the current-company object carries under "DLJGXX", or
// null. Asked each time: the host may replace the object.
TAgencyMgr* CurrentAgency();

TFields Read(const TAgencyMgr& agency);

// Stops at the first failure, in the order code, name, post code.
Check Validate(const TFields& fields);
// The text the operator reads for a failed check; empty for Ok.
QString CheckText(Check check);

// The field of a column of the agency row; null for another column.
QString* FieldOf(TFields& fields, const QString& column);
// Its text; empty for another column.
QString FieldText(const TFields& fields, const QString& column);

// Hands each field the operator changed (differs from what the window
// showed) to its setter as entered and saves; the others keep what is
// stored. When the save fails the setters have already changed the shared
// object, so it is loaded again from the database (or, when that read fails
// as well, given back the values it held) and no other window takes the
// unsaved values for saved.
bool Save(TAgencyMgr& agency, const TFields& shown, const TFields& fields);

}  // namespace AgencySettings
