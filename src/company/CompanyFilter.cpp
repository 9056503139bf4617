#include "CompanyFilter.h"

namespace {

constexpr char16_t kFullWidthFirst = 0xFF01;
constexpr char16_t kFullWidthLast = 0xFF5E;
constexpr char16_t kFullWidthOffset = 0xFEE0;
constexpr char16_t kIdeographicSpace = 0x3000;

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

QString FoldForSearch(QStringView text) {
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= kFullWidthFirst && code <= kFullWidthLast) {
            folded.append(QChar(static_cast<char16_t>(code - kFullWidthOffset)));
        } else if (code == kIdeographicSpace) {
            folded.append(QLatin1Char(' '));
        } else {
            folded.append(c);
        }
    }
    return folded.toCaseFolded();
}

void TCompanySearchIndex::Add(const TCompanyRecord& record) {
    entries_.push_back({record.Field(CompanyField::QYID).trimmed(),
                        FoldForSearch(record.Field(CompanyField::QYSBH)),
                        FoldForSearch(record.Field(CompanyField::QYMC)), -1});
}

void TCompanySearchIndex::Assign(const TCompanyRecordArray& records) {
    entries_.clear();
    recentRows_.clear();
    entries_.reserve(records.size());
    for (const TCompanyRecord& record : records) {
        Add(record);
    }
}

void TCompanySearchIndex::Assign(const TCompanyRecordList& records) {
    entries_.clear();
    recentRows_.clear();
    entries_.reserve(records.size());
    for (const auto& record : records) {
        Add(*record);
    }
}

void TCompanySearchIndex::SetRecent(const QStringList& recentIds) {
    for (const int row : recentRows_) {
        entries_[static_cast<std::size_t>(row)].recentRank = -1;
    }
    recentRows_.clear();
    if (recentIds.isEmpty()) {
        return;
    }
    for (const QString& id : recentIds) {
        for (std::size_t row = 0; row < entries_.size(); ++row) {
            Entry& entry = entries_[row];
            if (entry.recentRank < 0 && entry.id == id) {
                entry.recentRank = static_cast<int>(recentRows_.size());
                recentRows_.push_back(static_cast<int>(row));
                break;
            }
        }
    }
}

int TCompanySearchIndex::RecentRank(int row) const {
    return row >= 0 && row < Size() ? entries_[static_cast<std::size_t>(row)].recentRank : -1;
}

std::vector<int> TCompanySearchIndex::Filter(const TCompanySearch& search) const {
    const QString taxId = FoldForSearch(QStringView(search.taxIdText).trimmed());
    const QString name = FoldForSearch(QStringView(search.nameText).trimmed());
    auto matches = [&](const Entry& entry) {
        return MatchesTaxId(entry.taxId, taxId, search) &&
               (name.isEmpty() || entry.name.contains(name));
    };
    std::vector<int> rows;
    rows.reserve(entries_.size());
    for (const int row : recentRows_) {
        if (matches(entries_[static_cast<std::size_t>(row)])) {
            rows.push_back(row);
        }
    }
    for (std::size_t row = 0; row < entries_.size(); ++row) {
        const Entry& entry = entries_[row];
        if (entry.recentRank < 0 && matches(entry)) {
            rows.push_back(static_cast<int>(row));
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
