#include "SearchableCompanyList.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeView>

#include <algorithm>

#include "CompanyListModel.h"
#include "HostServices.h"
#include "RecentCompanies.h"
#include "f_Status.h"

TSearchableCompanyList::TSearchableCompanyList(QTreeView* view, QStringList headers,
                                               CellText cellText, Loader loader, QObject* owner)
    : QObject(owner), view_(view), loader_(std::move(loader)) {
    model_ = new TCompanyListModel(
        std::move(headers), [this] { return static_cast<int>(rows_.size()); },
        [this, cellText = std::move(cellText)](int row, int column) {
            const auto record = static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)]);
            return cellText(records_[record], row, column);
        },
        this);
    model_->SetRowMarked(
        [this](int row) { return index_.RecentRank(rows_[static_cast<std::size_t>(row)]) >= 0; });
    view_->setModel(model_);
    view_->installEventFilter(this);
}

void TSearchableCompanyList::SetFilterFields(QLineEdit* taxIdField, QLineEdit* nameField) {
    taxIdField_ = taxIdField;
    nameField_ = nameField;
    for (QLineEdit* field : {taxIdField, nameField}) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, &TSearchableCompanyList::Narrow);
    }
}

void TSearchableCompanyList::SetTailMatch(int queryLength) {
    tailMatch_ = true;
    queryLength_ = queryLength;
}

void TSearchableCompanyList::UseForChoosing() {
    choosing_ = true;
    viewport_ = view_->viewport();
    viewport_->installEventFilter(this);
}

void TSearchableCompanyList::UseRecent(const QString& operatorCode) {
    useRecent_ = true;
    operatorCode_ = operatorCode;
    recent_ = RecentCompanies::Read(operatorCode);
}

TCompanySearch TSearchableCompanyList::CurrentSearch() const {
    TCompanySearch search{taxIdField_ != nullptr ? taxIdField_->text() : QString(),
                          nameField_ != nullptr ? nameField_->text() : QString()};
    search.tailMatch = tailMatch_;
    search.queryLength = queryLength_;
    return search;
}

void TSearchableCompanyList::Show(const std::function<void()>& change) {
    model_->Reset([&] {
        change();
        rows_ = index_.Filter(CurrentSearch());
    });
    placeRow_ = -1;
    if (choosing_ && !rows_.empty()) {
        view_->setCurrentIndex(model_->index(0, 0));
    }
    emit Listed();
}

bool TSearchableCompanyList::Load(const QString& taxIdText, const QString& nameText) {
    loaded_ = true;
    TCompanyRecordArray found;
    if (!loader_(taxIdText, nameText, found)) {
        // The host only logs database errors: without a word the operator
        // would take the old list for the answer. The waiting window would
        // cover the message.
        HideStatus();
        ModuleLib::InfoMsgBox(QStringLiteral("读取单位列表失败，列表未更新。"));
        return false;
    }
    Show([&] {
        records_ = std::move(found);
        fullList_ = taxIdText.isEmpty() && nameText.isEmpty();
        index_.Assign(records_);
        foldAfterPaint_ = true;
        index_.SetRecent(recent_);
        if (fullList_) {
            recentListed_ = index_.RecentIds();
        }
    });
    return true;
}

void TSearchableCompanyList::Narrow() {
    if (!loaded_) {
        return;  // the first listing applies what was typed before it
    }
    // Typing searches every company again, also after a query listed fewer:
    // one query, then each key filters in memory.
    if (!fullList_) {
        Load(QString(), QString());
        return;
    }
    Show([] {});
}

const TCompanyRecord* TSearchableCompanyList::Selected() const {
    // Selected rows are rows of the model, which shows rows_; both change
    // only inside a reset, which clears the selection.
    const QModelIndexList selected = view_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return nullptr;
    }
    const auto row = static_cast<std::size_t>(selected.first().row());
    return &records_[static_cast<std::size_t>(rows_[row])];
}

int TSearchableCompanyList::SelectedRow() const {
    const QModelIndexList selected = view_->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

bool TSearchableCompanyList::ScrollToCompany(const QString& companyId) {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (records_[static_cast<std::size_t>(rows_[row])].QYID() == companyId) {
            ScrollToRow(static_cast<int>(row));
            return true;
        }
    }
    return false;
}

void TSearchableCompanyList::ScrollToRow(int row) {
    const int last = model_->rowCount() - 1;
    if (last >= 0 && row >= 0) {
        placeRow_ = std::min(row, last);
        view_->scrollTo(model_->index(placeRow_, 0), QAbstractItemView::EnsureVisible);
    }
}

void TSearchableCompanyList::TakeFocus() {
    view_->setFocus(Qt::ShortcutFocusReason);
    ChooseFocusedRow();
}

void TSearchableCompanyList::ChooseFocusedRow() {
    // Reached by keyboard, the list would show a focused row that Del and
    // Enter do not count as chosen: the row under the focus is the chosen one,
    // by default the one last scrolled to.
    if (!view_->selectionModel()->hasSelection() && model_->rowCount() > 0) {
        const QModelIndex current = view_->currentIndex();
        view_->setCurrentIndex(current.isValid() ? current
                                                 : model_->index(std::max(placeRow_, 0), 0));
    }
}

TCompanyRecordArray TSearchableCompanyList::Shown() const {
    TCompanyRecordArray shown;
    shown.reserve(rows_.size());
    for (const int row : rows_) {
        shown.push_back(records_[static_cast<std::size_t>(row)]);
    }
    return shown;
}

void TSearchableCompanyList::Remember(const TCompanyRecord& record) {
    if (!useRecent_) {
        return;
    }
    // A recent company the latest full listing did not hold is gone or no
    // longer the operator's; one remembered elsewhere meanwhile is kept.
    const auto visible = [this](const QString& id) {
        return recentListed_.contains(id) || !recent_.contains(id);
    };
    RecentCompanies::Propose(record.QYID(), visible, operatorCode_);
}

bool TSearchableCompanyList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::FocusIn) {
        ChooseFocusedRow();
    }
    const bool field = watched == taxIdField_ || watched == nameField_;
    if ((field || watched == view_) && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                // The focus stays in the field while the arrows move in the list.
                if (field) {
                    QCoreApplication::sendEvent(view_, event);
                    return true;
                }
                break;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (choosing_) {
                    if (Selected() != nullptr) {
                        emit ChooseAsked();
                    }
                    return true;
                }
                break;
            default:
                break;
        }
    }
    // The search texts are folded once the list is on the screen, not before:
    // a key typed sooner folds them itself.
    if (foldAfterPaint_ && watched == viewport_ && event->type() == QEvent::Paint) {
        foldAfterPaint_ = false;
        index_.PrepareSoon(this);
    }
    // A double-click anywhere on the list, rows or empty space, asks too.
    // The viewport as it was when the filter went on: while the view is being
    // destroyed its events still come here, and it is no view any more.
    if (choosing_ && watched == viewport_ && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit ChooseAsked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
