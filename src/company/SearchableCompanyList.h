// The searchable company list of the selection dialog, the switch and the
// company manager: the loaded records, the instant search over them, the
// operator's recent companies first, and the arrow keys that move in the list
// while the focus stays in a filter field. A window adds its columns, its
// buttons and what Enter does.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "CompanyFilter.h"
#include "CompanyRecord.h"

class QLineEdit;
class QTreeView;
class TCompanyListModel;

class TSearchableCompanyList : public QObject {
    Q_OBJECT

  public:
    // Replaces records with the companies matching the filters (empty: no
    // condition); false when the listing failed, records then untouched.
    using Loader = std::function<bool(const QString& taxIdText, const QString& nameText,
                                      TCompanyRecordArray& records)>;
    // The text of a cell; shownRow counts the rows as they are shown.
    using CellText = std::function<QString(const TCompanyRecord& record, int shownRow, int column)>;

    // Shows the list in view; both belong to owner, the window.
    TSearchableCompanyList(QTreeView* view, QStringList headers, CellText cellText, Loader loader,
                           QObject* owner);

    // Typing in the fields narrows the list; the arrows move in it.
    void SetFilterFields(QLineEdit* taxIdField, QLineEdit* nameField);
    // The switch's rule for short numbers (see TCompanySearch).
    void SetTailMatch(int queryLength);
    // Lists the operator's recent companies first, marked, and makes
    // Remember() keep his choices.
    void UseRecent(const QString& operatorCode);
    // After each listing the first row is current, and Enter (in a filter
    // field or the list, with a row selected) or a left double-click anywhere
    // on the list emits ChooseAsked.
    void UseForChoosing();

    // Lists the companies matching the texts, then narrows by the fields. A
    // failed listing tells the operator and keeps the list as it was.
    bool Load(const QString& taxIdText, const QString& nameText);
    // Shows the loaded records that match the fields; lists every company
    // again first when the loaded ones are fewer.
    void Narrow();

    bool Loaded() const { return loaded_; }
    int ShownCount() const { return static_cast<int>(rows_.size()); }
    // The record of the first selected row, or null.
    const TCompanyRecord* Selected() const;
    // The rows the operator sees, in their order.
    TCompanyRecordArray Shown() const;
    // Scrolls the company's row into view, selecting nothing until the list
    // takes the focus; false when it is not shown.
    bool ScrollToCompany(const QString& companyId);
    // Scrolls the row into view, or the last one when fewer are shown.
    void ScrollToRow(int row);
    // Focuses the list on the row the keys work, as reaching it by Tab does.
    void TakeFocus();
    // The shown row of the first selected record, or -1.
    int SelectedRow() const;
    // Puts the company first among the operator's recent ones once the host
    // has loaded it (RecentCompanies::Propose).
    void Remember(const TCompanyRecord& record);

  signals:
    // The rows were replaced; nothing is selected unless the first row is made current.
    void Listed();
    void ChooseAsked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TCompanySearch CurrentSearch() const;
    void ChooseFocusedRow();
    void Show(const std::function<void()>& change);

    QTreeView* view_;
    QObject* viewport_ = nullptr;
    TCompanyListModel* model_;
    Loader loader_;
    QLineEdit* taxIdField_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    bool tailMatch_ = false;
    int queryLength_ = 6;
    bool useRecent_ = false;
    QString operatorCode_;
    QStringList recent_;
    bool choosing_ = false;

    TCompanyRecordArray records_;
    TCompanySearchIndex index_;
    std::vector<int> rows_;  // shown rows of records_
    bool loaded_ = false;
    int placeRow_ = -1;  // the row last scrolled to since the latest listing
    bool foldAfterPaint_ = false;
    bool fullList_ = false;     // records_ is every company, no query filter
    QStringList recentListed_;  // the ids of recent_ that the latest full listing held
};
