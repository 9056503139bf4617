// A company's rows as a window loaded them, so that before writing it can
// tell whether another desk changed them in the meantime.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

class TStoredRows {
  public:
    // Reads the company row and its two tax rows. False when a read failed;
    // nothing is held then.
    bool Take(const QString& companyId);
    bool Taken() const { return !rows_.empty(); }
    // What differs between two readings, in table order: "TABLE.COLUMN" for a
    // changed value, the table name alone for a row that came or went.
    static QStringList Differences(const TStoredRows& before, const TStoredRows& now);

  private:
    using Row = std::map<QString, QString>;
    // Per table; no value when the company has no row there.
    std::map<QString, std::optional<Row>> rows_;
};

// Before a window writes: Write when the stored rows are as it loaded them
// (or nothing was loaded to compare with), or when the operator chose to
// overwrite another desk's changes; Reload or Wait as he chose otherwise;
// Unreadable when the rows could not be read now.
enum class RowsCheck { Write, Reload, Wait, Unreadable };
RowsCheck CheckRowsAsLoaded(const TStoredRows& loaded, const QString& companyId);
