// What a desk of the load run was told, one line per operation, and what the
// database holds afterwards: the checker compares the two.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <set>
#include <vector>

namespace LoadJournal {

// Outcomes: "ok" (read) or "stored" (written); "conflict", "duplicate" and
// "gone" when the operator was told truthfully that another desk got there
// first; "failed" or "refused" for an error told as such; "incomplete" for a
// list that lacked a company the desk had stored, which is a loss. A write
// whose connection dropped during its COMMIT is "doubt-stored" or
// "doubt-failed" as the host found it after reconnecting, "unknown" when it
// could not find out (and told the operator so).
struct TEntry {
    int desk = 0;
    qint64 startUs = 0;  // wall clock, shared by the desks of one machine
    qint64 endUs = 0;
    QString action;  // list, search, select, info, add, delete, local, state, basic
    QString outcome;
    QString companyId;
    QString value;    // the taxpayer id of an add, the text a write stored
    QString message;  // what the operator or the caller read
};

QString Format(const TEntry& entry);
// False for a line that is no entry (a desk cut off while writing it).
bool Parse(const QString& line, TEntry& entry);

bool IsSuccess(const TEntry& entry);
bool IsUnknown(const TEntry& entry);
// Cut off during its COMMIT: any of the three outcomes above.
bool InDoubt(const TEntry& entry);
// A conflict told truthfully: counted, but no loss.
bool IsConflict(const TEntry& entry);

// The rows the checker compares with, read through the host's query service.
struct TDatabase {
    std::map<QString, int> taxIdRows;      // QYSBH -> rows of XT_QYXX
    std::map<QString, QString> companies;  // QYID -> QYSBH
    std::map<QString, QString> cells;      // CellKey -> value
    std::set<QString> localRows, stateRows;
};
bool ReadDatabase(TDatabase& database, QString& errorText);
QString CellKey(const QString& action, const QString& companyId);

// What a desk listed after the run, as taxpayer ids.
using TListing = std::set<QString>;

// Every way the database or a listing differs from what the desks were told;
// empty when nothing was lost and nothing stored against a desk's word.
QStringList Check(const std::vector<TEntry>& entries, const TDatabase& database,
                  const std::vector<TListing>& listings);

}  // namespace LoadJournal
