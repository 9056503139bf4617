#include "CompanyImport.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <unordered_map>

#include "ChangeSource.h"
#include "CommitOutcome.h"
#include "CompanyAddSaver.h"
#include "CompanyCsv.h"
#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "SqlQuery.h"
#include "TaxIdKey.h"
#include "Transaction.h"

namespace {

QString At(const QStringList& fields, int column) {
    return column >= 0 && column < fields.size() ? fields[column] : QString();
}

}  // namespace

namespace CompanyImport {

QString ActionText(Action action) {
    switch (action) {
        case Action::Add:
            return QStringLiteral("新增");
        case Action::Duplicate:
            return QStringLiteral("重复");
        case Action::Similar:
            return QStringLiteral("相似");
        case Action::CheckCharacter:
            return QStringLiteral("校验位不符");
        case Action::Refused:
            return QStringLiteral("不符合要求");
    }
    return QString();
}

bool ReadFile(const QString& path, QByteArray& bytes, QString& errorText) {
    // Opened without waiting for a writer, and asked of the handle, not the
    // name: what is read is what was checked.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errorText = QStringLiteral("无法打开文件：") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        errorText = QStringLiteral("无法打开文件：") + file.errorString();
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        errorText = QStringLiteral("无法打开文件：不是普通文件");
        return false;
    }
    if (status.st_size > kMaxFileBytes) {
        errorText = QStringLiteral("文件超过%1 MB，不能导入").arg(kMaxFileBytes / (1024 * 1024));
        return false;
    }
    // No more than was checked; a file that changed meanwhile is read again.
    // A failed allocation is Prepare's to report.
    bytes = file.read(status.st_size);
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        errorText = QStringLiteral("无法读取文件：") + file.errorString();
        return false;
    }
    if (bytes.size() != status.st_size || !file.atEnd()) {
        bytes.clear();
        errorText = QStringLiteral("文件在读取时被改动，请重新导入");
        return false;
    }
    return true;
}

bool Read(const QByteArray& bytes, std::vector<Row>& rows, QString& errorText,
          TextCodec::Encoding* encoding) {
    std::vector<QStringList> table;
    std::vector<int> lines;
    if (!CompanyCsv::ReadTable(bytes, table, errorText, encoding, &lines)) {
        return false;
    }
    if (table.empty()) {
        errorText = QStringLiteral("文件是空的");
        return false;
    }
    const QStringList& header = table.front();
    // An export's captions or column names, or the words other programs use.
    const int taxIdColumn = CompanyCsv::FindColumn(header, CompanyField::QYSBH);
    const int nameColumn =
        CompanyCsv::FindColumn(header, CompanyField::QYMC, {QStringLiteral("企业名称")});
    const int phoneColumn =
        CompanyCsv::FindColumn(header, CompanyField::QYDHHM, {QStringLiteral("电话")});
    if (taxIdColumn < 0) {
        errorText = QStringLiteral("没有纳税人识别号（QYSBH）列");
        return false;
    }
    std::vector<Row> read;
    read.reserve(table.size() - 1);
    for (std::size_t i = 1; i < table.size(); ++i) {
        Row& row = read.emplace_back();
        // The file's line, which a quoted line break or a blank line moves.
        row.line = lines[i];
        row.taxId = At(table[i], taxIdColumn).trimmed();
        row.name = At(table[i], nameColumn);
        row.phone = At(table[i], phoneColumn);
    }
    rows = std::move(read);
    return true;
}

bool Classify(std::vector<Row>& rows, QString& errorText) {
    QStringList storedIds;
    const bool ok =
        SqlQuery::ReadRows("read the taxpayer numbers", QStringLiteral("select QYSBH from XT_QYXX"),
                           [&](TADOQuery& query) {
                               const int column = query.FieldIndex(QStringLiteral("QYSBH"));
                               for (; !query.Eof(); query.Next()) {
                                   storedIds << query.FieldAsString(column).trimmed();
                               }
                           });
    if (!ok) {
        errorText = QStringLiteral("读取已有的纳税人识别号失败");
        return false;
    }
    // One lookup by key answers both questions: equal numbers share a key.
    // A key names the last stored number with it; numbers it named before
    // are kept aside, still taken.
    // The standard containers: Qt's end the process when an insert finds no
    // memory, and an import of a large file may well not.
    std::unordered_map<QString, QString> takenKeys;
    takenKeys.reserve(static_cast<std::size_t>(storedIds.size()) + rows.size());
    CompanyAddSaver::TaxIdSet takenAside;
    for (const QString& taxId : storedIds) {
        const auto [named, added] = takenKeys.try_emplace(TaxIdKey(taxId), taxId);
        if (!added && named->second != taxId) {
            takenAside.insert(named->second);
            named->second = taxId;
        }
    }
    // Stored numbers of companies the operator may not see are not named.
    const QStringList nameable = TCompanySelectMgr::ForLoggedInOperator().NameableTaxIds(storedIds);
    CompanyAddSaver::TaxIdSet hidden;
    if (nameable.size() != storedIds.size()) {
        const CompanyAddSaver::TaxIdSet shown(nameable.cbegin(), nameable.cend());
        for (const QString& taxId : storedIds) {
            if (!shown.contains(taxId)) {
                hidden.insert(taxId);
            }
        }
    }
    for (Row& row : rows) {
        row.match.clear();
        row.reason.clear();
        if (const auto refusal = CompanyAddSaver::CheckEntries(row.taxId, row.name, row.phone);
            refusal != CompanyAddSaver::Outcome::Saved) {
            row.action = Action::Refused;
            row.reason = CompanyAddSaver::RefusalText(refusal);
            continue;
        }
        const QString key = TaxIdKey(row.taxId);
        const auto similar = takenKeys.find(key);
        if (similar != takenKeys.end() &&
            (similar->second == row.taxId || takenAside.contains(row.taxId))) {
            row.action = Action::Duplicate;
            row.match = row.taxId;
        } else if (similar != takenKeys.end()) {
            row.action = Action::Similar;
            row.match = hidden.contains(similar->second) ? QString() : similar->second;
        } else if (!KeyHasValidCheckCharacter(key)) {
            row.action = Action::CheckCharacter;
        } else {
            row.action = Action::Add;
            // Later rows are measured against this one as if stored.
            takenKeys.emplace(key, row.taxId);
        }
    }
    return true;
}

bool Prepare(const QString& path, std::vector<Row>& rows, TextCodec::Encoding& encoding,
             QString& errorText) {
    try {
        QByteArray content;
        return ReadFile(path, content, errorText) && Read(content, rows, errorText, &encoding) &&
               Classify(rows, errorText);
    } catch (const std::bad_alloc&) {
        errorText = QStringLiteral("内存不足，无法读取文件，没有新增任何企业。");
    } catch (...) {
        errorText = QStringLiteral("读取文件时出现异常，没有新增任何企业。");
    }
    rows.clear();
    return false;
}

Result Run(const std::vector<Row>& rows, const Progress& progress) {
    const TChangeSource source(ChangeSources::kImport);
    Result result;
    const auto refuse = [&result](const Row& row) {
        result.errorText =
            QStringLiteral("第%1行（%2）未能新增，全部未导入").arg(row.line).arg(row.taxId);
        logQuery::Warn("1", QStringLiteral("导入企业：") + result.errorText);
        return result;
    };
    try {
        std::vector<const Row*> toAdd;
        for (const Row& row : rows) {
            if (row.action == Action::Add) {
                toAdd.push_back(&row);
            }
        }
        const int total = static_cast<int>(toAdd.size());
        // Serialised like a single add, so no other desk adds a number between
        // the checks and the inserts.
        TTransaction transaction(ModuleLib::TransactionMode::Serialized);
        if (!transaction.IsActive()) {
            result.errorText = transaction.ErrorText();
            return result;
        }
        QString agencyId;
        if (total > 0 && !CompanyAddSaver::AgencyOfNewCompanies(agencyId)) {
            // No row is at fault: the companies would have no agency to belong to.
            result.errorText = QStringLiteral("找不到代理机构的企业信息，全部未导入");
            return result;
        }
        QStringList companyIds;
        companyIds.reserve(total);
        for (std::size_t first = 0; first < toAdd.size(); first += kImportBatchRows) {
            const std::size_t end = std::min(toAdd.size(), first + kImportBatchRows);
            std::vector<CompanyAddSaver::Entry> entries;
            entries.reserve(end - first);
            QStringList taxIds;
            taxIds.reserve(static_cast<qsizetype>(end - first));
            for (std::size_t i = first; i < end; ++i) {
                const Row& row = *toAdd[i];
                // A row the add dialog or the engines refuse fails by its own
                // line, not by the first of its statement.
                if (CompanyAddSaver::CheckEntries(row.taxId, row.name, row.phone) !=
                        CompanyAddSaver::Outcome::Saved ||
                    !SqlQuery::Storable(row.name)) {
                    return refuse(row);
                }
                entries.push_back({row.taxId, row.name, row.phone});
                taxIds << row.taxId;
            }
            // Another desk may have added a number since the preview.
            CompanyAddSaver::TaxIdSet stored;
            if (!CompanyAddSaver::FindStored(taxIds, stored)) {
                return refuse(*toAdd[first]);
            }
            for (std::size_t i = first; i < end; ++i) {
                if (stored.contains(toAdd[i]->taxId)) {
                    return refuse(*toAdd[i]);
                }
            }
            QStringList ids;
            if (!CompanyAddSaver::Insert(entries, agencyId, ids)) {
                return refuse(*toAdd[first]);
            }
            companyIds += ids;
            if (progress && !progress(static_cast<int>(companyIds.size()), total)) {
                result.status = Status::Cancelled;
                return result;
            }
        }
        if (!transaction.Commit()) {
            // Shown as it is: never "nothing was imported" when nobody knows.
            result.errorText = transaction.OutcomeUnknown() ? CommitOutcome::UnknownText()
                                                            : transaction.ErrorText();
            return result;
        }
        result.status = Status::Done;
        result.added = static_cast<int>(companyIds.size());
        result.companyIds = std::move(companyIds);
        return result;
    } catch (...) {
        result.errorText = QStringLiteral("导入企业时出现异常，全部未导入");
        return result;
    }
}

}  // namespace CompanyImport
