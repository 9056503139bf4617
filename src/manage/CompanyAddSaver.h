// Adding a company row: the checks of the add dialog and the insert, with the
// duplicate check and the insert serialised against every other desk.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <unordered_set>
#include <vector>

namespace CompanyAddSaver {

// The most characters each entry takes, in the dialog as from a file.
inline constexpr int kTaxIdMaxLength = 20;
inline constexpr int kNameMaxLength = 200;
inline constexpr int kPhoneMaxLength = 30;

enum class Outcome {
    Saved,
    MissingTaxId,    // the taxpayer id is empty after trimming
    InvisibleTaxId,  // the taxpayer id holds a control or invisible character
    TaxIdTooLong,
    NameTooLong,
    PhoneTooLong,
    InvalidPhone,  // the telephone holds more than digits, "(", ")" and "-"
    Duplicate,     // a company with that taxpayer id exists already
    Declined,      // similar ids exist and the operator chose not to add
    Failed,        // nothing could be checked or written; nothing was
    Unknown,       // the connection dropped during the commit: stored or not, nobody knows
};

struct Result {
    Outcome outcome = Outcome::Failed;
    QString taxId;      // the trimmed taxpayer id
    QString companyId;  // QYID of the new row, when saved
};

// The first entry the dialog refuses, in its order, without the database;
// Saved when none is.
Outcome CheckEntries(const QString& taxIdText, const QString& name, const QString& phone);

// What the operator reads about a refused entry, in the dialog and the
// import preview alike.
QString RefusalText(Outcome outcome);

// A company to add, its entries passed by CheckEntries, the taxpayer id trimmed.
struct Entry {
    QString taxId;
    QString name;
    QString phone;
};

// Which of taxIds are stored already, compared exactly. False when they
// could not be read. (The standard set: Qt's own ends the process when an
// insert finds no memory.)
using TaxIdSet = std::unordered_set<QString>;
bool FindStored(const QStringList& taxIds, TaxIdSet& stored);

// The row new companies are filed under: the agency's own QYID on an
// agency's installation, empty otherwise. False (and logged) when an agency's
// installation has no agency row.
bool AgencyOfNewCompanies(QString& agencyId);

// Inserts the entries with one statement, inside the serialised transaction
// the caller holds: class 10 under agencyId when one is given, class 0
// otherwise. companyIds gets each new row's QYID, in the entries' order.
// False when the database refused, an id came back missing or two entries
// share a taxpayer id; the caller's rollback then drops whatever was written.
bool Insert(const std::vector<Entry>& entries, const QString& agencyId, QStringList& companyIds);

// Checks the entries in the dialog's order and inserts the company: class 10
// under the agency's own row on an agency's installation (no row of class 19:
// Failed, and no statement runs), class 0 otherwise. The taxpayer id is
// stored trimmed, name and telephone as entered. The new row's id is the one
// the database gave it.
//
// After the exact duplicate check, confirmSimilar (when given) is asked about
// stored ids that differ only in case, blanks, hyphens, invisible characters
// or full-width forms; false declines the add. confirmCheckCharacter (when
// given) is asked next about a credit code whose check character is wrong.
// Both are asked before any lock is taken, so another desk never waits for
// the operator.
using ConfirmSimilar = std::function<bool(const QStringList& similar)>;
using ConfirmCheckCharacter = std::function<bool()>;
Result Save(const QString& taxIdText, const QString& name, const QString& phone,
            const ConfirmSimilar& confirmSimilar = {},
            const ConfirmCheckCharacter& confirmCheckCharacter = {});

}  // namespace CompanyAddSaver
