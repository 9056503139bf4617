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
#include <set>

class TDataVO;

namespace InfoMessages {
inline constexpr int kSaveFailed = 106018;
inline constexpr const char* kSaveFailedDetail = "70019507";
inline constexpr int kSaved = 106019;
inline constexpr int kRefreshFailed = 106020;
inline constexpr const char* kRefreshFailedDetail = "70019508";
inline constexpr int kCompanyCodeEmpty = 106021;
inline constexpr int kPhoneInvalid = 106022;
inline constexpr int kFaxInvalid = 106023;
inline constexpr int kEmailInvalid = 106024;
}  // namespace InfoMessages

enum class InfoTable { Company, LocalTax, StateTax };

// The page writes every column it shows; the dialog its few, and never adds
// a state-tax row.
enum class InfoWindow { Page, Dialog };

// The first failed check: a numbered host message (messageCode) or a plain
// text (messageText), the column whose field it concerns, and whether that
// field is emptied before it gets the focus.
struct TInfoCheckFailure {
    QString column;
    int messageCode = 0;
    QString messageText;
    bool clearField = false;
};

class TCompanyInfoModel {
  public:
    enum class LoadResult { Loaded, NoRow, Failed };
    enum class SaveResult { Saved, Failed };

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

    // What the field of a column holds now; columns never set count as
    // unedited. The share capital is set as typed.
    void SetEdited(InfoTable table, const QString& column, const QString& text);
    void ClearEdits() { edited_.clear(); }

    // The checks, in the order the operator meets them.
    std::optional<TInfoCheckFailure> Check() const;
    // Whether any edited column differs from what was stored (the share
    // capital by its amount).
    bool IsChanged() const;
    bool IsChanged(InfoTable table, const QString& column) const;

    // Runs the window's statements in order; the first that fails stops the
    // rest (the earlier ones stay), and so does a failed test for the state-
    // tax row. Nothing runs when a statement could not be stored at all.
    SaveResult Save(InfoWindow window, const QString& today);

    // Copies what the save wrote into the current-company object: its texts
    // cut as the host's copies are, the local-tax child when it has one (the
    // dialog only when the e-mail or the share capital changed), and the
    // state-tax child (the page adds it when missing).
    void RefreshCurrentCompany(TDataVO& current, InfoWindow window, const QString& today) const;

  private:
    struct Row {
        std::map<QString, QString> values;
        std::set<QString> nulls;
    };
    LoadResult LoadRows(const QString& companyId);
    SaveResult RunStatements(InfoWindow window, const QString& today);
    bool ReadRow(InfoTable table, std::optional<Row>& row) const;
    // The value a column gets: the edit when it changed, else nothing.
    std::optional<QString> NewValue(InfoTable table, const QString& column) const;
    // What the column holds after the save.
    QString Saved(InfoTable table, const QString& column) const;
    // The share capital after the save, as the host's copy shows it.
    QString SavedShareCapital() const;
    QStringList Statements(InfoWindow window, const QString& today, bool stateTaxExists) const;

    QString companyId_;
    std::map<InfoTable, std::optional<Row>> rows_;
    std::set<InfoTable> failed_;
    std::map<std::pair<InfoTable, QString>, QString> edited_;
    bool writesStateTax_ = false;
};
