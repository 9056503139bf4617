// A company's rows as a window loaded them, so that before writing it can
// tell whether another desk changed them in the meantime.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

class TStoredRows {
  public:
    // Reads the company row and its two tax rows. False when a read failed.
    bool Take(const QString& companyId);
    // What differs between two readings, in table order: "TABLE.COLUMN" for a
    // changed value, the table name alone for a row that came or went.
    static QStringList Differences(const TStoredRows& before, const TStoredRows& now);

  private:
    using Row = std::map<QString, QString>;
    // Per table; no value when the company has no row there.
    std::map<QString, std::optional<Row>> rows_;
};

// Asks the operator about rows another desk changed since they were loaded.
enum class ChangedRowsAnswer { Overwrite, Reload, Cancel };
ChangedRowsAnswer AskAboutChangedRows(const QStringList& differences);
