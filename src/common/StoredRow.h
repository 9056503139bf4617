// A row as a window loaded it, every column whole and NULL told apart from
// empty, and the one serialised step in which a save checks that the columns
// it writes still hold what was loaded and writes them.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "SqlWriter.h"

class TStoredRow {
  public:
    // Reads the row of table whose QYID is id, every column TableColumns
    // names (a column the database lacks reads as NULL). False when the read
    // failed or id is no number; row is empty when there is no such row.
    static bool Read(std::string_view table, const QString& id, std::optional<TStoredRow>& row);

    // A column's text, empty for NULL or an unknown column.
    QString Text(const QString& column) const;
    bool IsNull(const QString& column) const;
    // The same text and NULL-ness.
    bool Same(const TStoredRow& other, const QString& column) const;

  private:
    std::map<QString, QString> values_;
    std::set<QString> nulls_;
};

// What another desk changed among the columns a save writes: "TABLE.COLUMN"
// for a changed value, the table's name alone for a row that came or went.
QStringList ChangedMeanwhile(std::string_view table, const std::optional<TStoredRow>& loaded,
                             const std::optional<TStoredRow>& now, const QStringList& written);

// What the operator chose when another desk changed what he is saving.
enum class OtherDeskChoice { Overwrite, Reload, Wait };
OtherDeskChoice AskAboutOtherDesk(const QStringList& changed);

// A save of one row: the statement's text with a "{COLUMN}" for each value,
// the values (TSqlValue::Itself for what the operator left alone), and the
// columns whose new values it writes, which must hold what was loaded.
struct TRowSave {
    std::string_view table;
    QString id;
    QString statement;
    std::map<QString, TSqlValue> values;
    QStringList written;
};
// Unknown: the connection dropped during the commit, and whether the row
// was written nobody knows.
enum class RowSaveResult { Saved, Changed, Gone, Failed, Unknown };
// Runs in one serialised step of the row's own scope. Changed, with what
// changed, when another desk changed a written column since loaded was
// read; Gone when the row is no more (or the statement changed no row).
RowSaveResult SaveRow(const TRowSave& save, const TStoredRow& loaded, QStringList& changed,
                      QString& errorText);
