// Narrowing a loaded company list as the operator types: texts are compared
// with full-width forms and letter case folded, over the records already in
// memory, so no keystroke goes to the database. The operator's recent
// companies come first, in the order he last chose them.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

#include "CompanyRecord.h"

// FoldForSearch, the rule every search compares by.
#include "HalfWidth.h"

// What the filter fields hold. With tailMatch a number of at most
// queryLength characters must start the last queryLength characters of the
// taxpayer number (the switch's rule); a longer one, or any number without
// tailMatch, may stand anywhere in it. The name may stand anywhere.
struct TCompanySearch {
    QString taxIdText;
    QString nameText;
    bool tailMatch = false;
    int queryLength = 6;
};

// Folded numbers and names of one record array, so each keystroke only
// compares. They are folded at the first search that needs them: opening a
// window lists its companies without that cost. The records must outlive the
// index, and Assign must be called again after they change.
class TCompanySearchIndex {
  public:
    void Assign(const TCompanyRecordArray& records);
    // Ids of the operator's recent companies, most recent first; ids not in
    // the records are passed over.
    void SetRecent(const QStringList& recentIds);

    int Size() const { return count_; }
    // Rank among the recent companies (0 = most recent), or -1.
    int RecentRank(int row) const;
    // The ids of the recent companies the records hold, most recent first.
    QStringList RecentIds() const;

    // Rows of the records that match, the recent ones first by rank, then the
    // rest in the records' order.
    std::vector<int> Filter(const TCompanySearch& search) const;
    // Folds the texts now, so the first key is as quick as the others; the
    // windows call it once they have shown their list.
    void Prepare() const { Fold(); }
    // Prepare() on a zero timer of owner: after the list is on the screen.
    void PrepareSoon(QObject* owner) const;

  private:
    struct Folded {
        QString taxId;
        QString name;
    };
    void Fold() const;

    const TCompanyRecordArray* records_ = nullptr;
    int count_ = 0;
    mutable std::vector<Folded> folded_;  // empty until a search needs it
    std::vector<int> recentRank_;         // per row; empty without recent companies
    std::vector<int> recentRows_;         // rows by rank
};

// The rows of records that match search, recent ones first, in one call: the
// index is built and used once. Windows keep their index between keystrokes.
std::vector<int> FilterCompanies(const TCompanyRecordArray& records, const TCompanySearch& search,
                                 const QStringList& recentIds = {});
