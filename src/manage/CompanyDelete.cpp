#include "CompanyDelete.h"

#include "CertificateCleaner.h"
#include "CommitOutcome.h"
#include "CompanyRecord.h"
#include "CompanyRemoval.h"
#include "CompanySelectMgr.h"
#include "ContextValues.h"
#include "HostServices.h"
#include "MessageCodes.h"
#include "SqlQuery.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace {

constexpr int kConfirmed = 1;

// The whole stored number: the listed record's may have been cut.
bool StoredTaxId(const QString& companyId, QString& taxId) {
    return IsSqlInteger(companyId) &&
           SqlQuery::ReadValue(
               "read the taxpayer number of a company to delete",
               QStringLiteral("select QYSBH from XT_QYXX where QYID=") + companyId.trimmed(),
               "QYSBH", taxId);
}

// The folders and sections are named by the trimmed number, so another
// stored company whose number trims to it ("X" and " X") uses them too.
// Unreadable counts as yes.
bool NamedByAnother(const QString& storedTaxId) {
    const QString name = storedTaxId.trimmed();
    bool named = false;
    // Only rows holding the name can trim to it: the filter keeps the read short.
    const bool read =
        SqlQuery::ReadRows("read the taxpayer numbers before a certificate clean-up",
                           QStringLiteral("select QYSBH from XT_QYXX where 1=1") +
                               BuildTaxIdFilter(QStringLiteral("QYSBH"), name, false, QString(), 0),
                           [&](TADOQuery& query) {
                               const int column = query.FieldIndex(QStringLiteral("QYSBH"));
                               for (; !query.Eof() && !named; query.Next()) {
                                   named = query.FieldAsString(column).trimmed() == name;
                               }
                           });
    return !read || named;
}

}  // namespace

namespace CompanyDelete {

Outcome Run(const TCompanyRecord& company, TDataVO* user, const TDataVO* currentCompany,
            const QString& caFolder) {
    const QString companyId = company.QYID();
    if (ContextValues::IsCompany(currentCompany, companyId)) {
        ModuleLib::InforMsg(MessageCodes::kDeleteCurrentCompany, QString(), 1);
        return Outcome::Refused;
    }
    // The list may be older than the operator's grants.
    if (!TCompanySelectMgr::ForLoggedInOperator().MayWorkFor(companyId)) {
        ModuleLib::InforMsg(MessageCodes::kDeleteFailed,
                            QString::fromLatin1(MessageCodes::kDeleteFailedDetail), 1);
        return Outcome::Failed;
    }
    if (ModuleLib::InforMsg(MessageCodes::kConfirmDelete, company.QYSBH(), 1) != kConfirmed) {
        return Outcome::Declined;
    }
    QString storedTaxId;
    const bool taxIdKnown = StoredTaxId(companyId, storedTaxId);
    bool unknown = false;
    if (!CompanyRemoval::DeleteCompany(companyId, &unknown)) {
        if (unknown) {
            CommitOutcome::TellUnknown();
            return Outcome::Unknown;
        }
        ModuleLib::InforMsg(MessageCodes::kDeleteFailed,
                            QString::fromLatin1(MessageCodes::kDeleteFailedDetail), 1);
        return Outcome::Failed;
    }
    if (user != nullptr) {
        if (auto* session = dynamic_cast<TPSession*>(user->GetObjValue("TPSession"))) {
            session->CompanyRemoved(companyId);
        }
    }
    ModuleLib::InforMsg(MessageCodes::kDeleted, QString(), 1);
    if (taxIdKnown && !NamedByAnother(storedTaxId)) {
        CertificateCleaner::CleanUp(caFolder, storedTaxId);
    }
    return Outcome::Deleted;
}

}  // namespace CompanyDelete
