#include "CompanyFilter.h"

#include <QTimer>

#include <algorithm>

#include "HalfWidth.h"

namespace {

bool MatchesTaxId(const QString& taxId, const QString& needle, const TCompanySearch& search) {
    if (needle.isEmpty()) {
        return true;
    }
    if (!search.tailMatch || needle.size() > search.queryLength) {
        return taxId.contains(needle);
    }
    const QStringView tail = QStringView(taxId).right(search.queryLength);
    return tail.startsWith(needle);
}

}  // namespace

void TCompanySearchIndex::Assign(const TCompanyRecordArray& records) {
    records_ = &records;
    count_ = static_cast<int>(records.size());
    folded_.clear();
    recentRank_.clear();
    recentRows_.clear();
}

void TCompanySearchIndex::PrepareSoon(QObject* owner) const {
    // The index may be assigned anew before the timer fires: Fold() then
    // folds what is assigned at that time.
    QTimer::singleShot(0, owner, [this] { Fold(); });
}

void TCompanySearchIndex::Fold() const {
    if (static_cast<int>(folded_.size()) == count_) {
        return;
    }
    folded_.clear();
    folded_.reserve(static_cast<std::size_t>(count_));
    for (int row = 0; row < count_; ++row) {
        const TCompanyRecord& record = (*records_)[static_cast<std::size_t>(row)];
        folded_.push_back({FoldForSearch(record.Field(CompanyField::QYSBH)),
                           FoldForSearch(record.Field(CompanyField::QYMC))});
    }
}

void TCompanySearchIndex::SetRecent(const QStringList& recentIds) {
    recentRank_.clear();
    recentRows_.clear();
    if (recentIds.isEmpty()) {
        return;
    }
    recentRank_.assign(static_cast<std::size_t>(count_), -1);
    std::vector<int> rowOfRank(static_cast<std::size_t>(recentIds.size()), -1);
    // Compared in UTF-8, as the records hold them: no text is made per row.
    std::vector<QByteArray> wanted;
    wanted.reserve(static_cast<std::size_t>(recentIds.size()));
    for (const QString& id : recentIds) {
        wanted.push_back(id.toUtf8());
    }
    for (int row = 0; row < count_; ++row) {
        const QByteArrayView id =
            (*records_)[static_cast<std::size_t>(row)].FieldUtf8(CompanyField::QYID).trimmed();
        const auto found = std::find(wanted.begin(), wanted.end(), id);
        const auto rank = static_cast<std::size_t>(found - wanted.begin());
        if (found != wanted.end() && rowOfRank[rank] < 0) {
            rowOfRank[rank] = row;
        }
    }
    for (const int row : rowOfRank) {
        if (row >= 0) {
            recentRank_[static_cast<std::size_t>(row)] = static_cast<int>(recentRows_.size());
            recentRows_.push_back(row);
        }
    }
}

QStringList TCompanySearchIndex::RecentIds() const {
    QStringList ids;
    for (const int row : recentRows_) {
        ids << (*records_)[static_cast<std::size_t>(row)].Field(CompanyField::QYID).trimmed();
    }
    return ids;
}

int TCompanySearchIndex::RecentRank(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < recentRank_.size()
               ? recentRank_[static_cast<std::size_t>(row)]
               : -1;
}

std::vector<int> TCompanySearchIndex::Filter(const TCompanySearch& search) const {
    const QString taxId = FoldForSearch(QStringView(search.taxIdText).trimmed());
    const QString name = FoldForSearch(QStringView(search.nameText).trimmed());
    const bool everything = taxId.isEmpty() && name.isEmpty();
    if (!everything) {
        Fold();
    }
    auto matches = [&](int row) {
        if (everything) {
            return true;
        }
        const Folded& folded = folded_[static_cast<std::size_t>(row)];
        return MatchesTaxId(folded.taxId, taxId, search) &&
               (name.isEmpty() || folded.name.contains(name));
    };
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(count_));
    for (const int row : recentRows_) {
        if (matches(row)) {
            rows.push_back(row);
        }
    }
    for (int row = 0; row < count_; ++row) {
        if (RecentRank(row) < 0 && matches(row)) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<int> FilterCompanies(const TCompanyRecordArray& records, const TCompanySearch& search,
                                 const QStringList& recentIds) {
    TCompanySearchIndex index;
    index.Assign(records);
    index.SetRecent(recentIds);
    return index.Filter(search);
}
