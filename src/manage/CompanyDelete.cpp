#include "CompanyDelete.h"

#include "CertificateCleaner.h"
#include "CompanyRecord.h"
#include "CompanyRemoval.h"
#include "ContextValues.h"
#include "HostServices.h"
#include "f_DataVO.h"

namespace {

constexpr int kCurrentCompany = 106007;
constexpr int kConfirmDelete = 106008;
constexpr int kDeleted = 106009;
constexpr int kDeleteFailed = 106010;
constexpr const char* kDeleteFailedDetail = "70019505";
constexpr int kConfirmed = 1;

}  // namespace

namespace CompanyDelete {

Outcome Run(const TCompanyRecord& company, TDataVO* user, const TDataVO* currentCompany,
            const QString& caFolder) {
    const QString companyId = company.QYID();
    if (ContextValues::IsCompany(currentCompany, companyId)) {
        ModuleLib::InforMsg(kCurrentCompany, QString(), 1);
        return Outcome::Refused;
    }
    if (ModuleLib::InforMsg(kConfirmDelete, company.QYSBH(), 1) != kConfirmed) {
        return Outcome::Declined;
    }
    if (!CompanyRemoval::DeleteCompany(companyId)) {
        ModuleLib::InforMsg(kDeleteFailed, QString::fromLatin1(kDeleteFailedDetail), 1);
        return Outcome::Failed;
    }
    if (user != nullptr) {
        if (auto* session = dynamic_cast<TPSession*>(user->GetObjValue("TPSession"))) {
            session->CompanyRemoved(companyId);
        }
    }
    ModuleLib::InforMsg(kDeleted, QString(), 1);
    CertificateCleaner::CleanUp(caFolder, company.QYSBH());
    return Outcome::Deleted;
}

}  // namespace CompanyDelete
