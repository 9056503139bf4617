// One company's information as the page and the dialog edit it: the three
// rows as stored, every text whole, and what the operator has in the fields.
// The checks, the change test, the statements and the refresh of the host's
// current-company object all work on these two, so a save writes what was
// edited and keeps what was stored.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

#include "StoredRow.h"

class TDataVO;

enum class InfoTable { Company, LocalTax, StateTax };
// "XT_QYXX", "XT_QYDSXX" or "XT_QYGSXX".
const char* InfoTableName(InfoTable table);

// The page writes every column it shows; the dialog its few, and never adds
// a state-tax row.
enum class InfoWindow { Page, Dialog };

// The first failed check: a numbered host message (messageCode) or a plain
// text (messageText), the column whose field it concerns, and whether that
// field is emptied before it gets the focus.
struct TInfoCheckFailure {
    InfoTable table = InfoTable::Company;
    QString column;
    int messageCode = 0;
    QString messageText;
    bool clearField = false;
};

class TCompanyInfoModel {
  public:
    enum class LoadResult { Loaded, NoRow, Failed };
    // Unknown: the connection dropped during the commit and nobody knows
    // whether it was stored.
    enum class SaveResult { Saved, Failed, Changed, Unknown };

    // The company row; an id that is no number finds no row. The tax rows
    // are read after it; a tax row that cannot be read counts as missing and
    // is told by TaxRowFailed.
    LoadResult Load(const QString& companyId);
    bool TaxRowFailed(InfoTable table) const;

    const QString& CompanyId() const { return companyId_; }
    bool HasRow(InfoTable table) const;
    // The page writes a state-tax row its configuration shows, adding it when
    // the company has none.
    void SetWritesStateTax(bool writes) { writesStateTax_ = writes; }
    bool WritesStateTax() const { return writesStateTax_; }

    // A stored column, whole; a missing row or column reads as empty.
    QString Stored(InfoTable table, const QString& column) const;
    // The share capital as the fields show it: two places when the stored
    // value can be read, otherwise the stored text as it is.
    QString ShownShareCapital() const;
    // What a column's field shows: the stored text, the share capital so.
    QString Shown(InfoTable table, const QString& column) const;

    // What the field of a column holds now; columns never set count as
    // unedited. The share capital is set as typed.
    void SetEdited(InfoTable table, const QString& column, const QString& text);
    void ClearEdits() { edited_.clear(); }

    // The checks, in the order the operator meets them, of what he changed:
    // a field he could not reach or left as stored fails no save. The
    // company code always counts.
    std::optional<TInfoCheckFailure> Check() const;
    // Whether any edited column differs from what was stored (the share
    // capital by its amount).
    bool IsChanged() const;
    bool IsChanged(InfoTable table, const QString& column) const;

    // Runs the window's statements in one serialised step. It first reads
    // the rows again: when another desk changed a column this save writes
    // (or a row it writes came or went) nothing runs, the result is Changed
    // and ChangedMeanwhile says what. Then the statements in order: the first
    // that fails stops the rest (the earlier ones stay). A column the
    // operator did not change is written as itself. Nothing runs when a
    // statement could not be stored at all.
    SaveResult Save(InfoWindow window, const QString& today);
    const QStringList& ChangedMeanwhile() const { return changedMeanwhile_; }
    // Reads the rows as stored now, keeping the edits: what the next save
    // compares with (the operator chose to overwrite, or a save ended).
    bool Reread();

    // Copies what the save wrote into the current-company object: its texts
    // cut as the host's copies are, the local-tax child when it has one (the
    // dialog only when the e-mail or the share capital changed), and the
    // state-tax child (the page adds it when missing).
    void RefreshCurrentCompany(TDataVO& current, InfoWindow window, const QString& today) const;

  private:
    using Rows = std::map<InfoTable, std::optional<TStoredRow>>;
    struct Statement {
        InfoTable table;
        QString sql;
        QStringList written;
    };
    LoadResult LoadRows(const QString& companyId);
    SaveResult RunStatements(InfoWindow window, const QString& today);
    bool ReadRow(InfoTable table, std::optional<TStoredRow>& row) const;
    // The value a column gets: the edit when it changed, else nothing.
    std::optional<QString> NewValue(InfoTable table, const QString& column) const;
    // How a statement spells a column: its new value, else itself (or, in a
    // row that is added, what it will hold).
    TSqlValue ValueOf(InfoTable table, const QString& column, bool inserting,
                      const QString& today) const;
    // What the column holds after the save.
    QString Saved(InfoTable table, const QString& column) const;
    // The share capital after the save, as the host's copy shows it.
    QString SavedShareCapital() const;
    // The statements the window runs, filled; false when a value cannot go
    // into one (the reason in errorText).
    bool Statements(InfoWindow window, const QString& today, std::vector<Statement>& statements,
                    QString& errorText) const;

    QString companyId_;
    Rows rows_;
    QStringList changedMeanwhile_;
    std::set<InfoTable> failed_;
    std::map<std::pair<InfoTable, QString>, QString> edited_;
    bool writesStateTax_ = false;
};
