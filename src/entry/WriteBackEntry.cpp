// Registration data fetched by other modules, stored for one company.
#include "CompanySelectMgr.h"
#include "EntryExport.h"
#include "HostServices.h"

namespace {

using WriteOperation = bool (TCompanySelectMgr::*)(const QString&, const TDataVO*, QString&);

bool WriteBack(const char* companyId, const TDataVO* data, WriteOperation write) {
    try {
        TCompanySelectMgr manager = TCompanySelectMgr::ForLoggedInOperator();
        const QString id = companyId ? QString::fromUtf8(companyId) : QString();
        if (id.isEmpty()) {
            return false;
        }
        QString errorText;
        const bool written = (manager.*write)(id, data, errorText);
        if (!written) {
            logQuery::Warn("1", errorText);
        }
        return written;
    } catch (...) {
        return false;
    }
}

}  // namespace

ENTRY_POINT bool CallBackToWriteQYDSXX(const char* companyId, TDataVO* data) {
    return WriteBack(companyId, data, &TCompanySelectMgr::WriteLocalTaxInfo);
}

ENTRY_POINT bool CallBackToWriteQYGSXX(const char* companyId, TDataVO* data) {
    return WriteBack(companyId, data, &TCompanySelectMgr::WriteStateTaxInfo);
}

ENTRY_POINT bool CallBackToWriteQYJCXX(const char* companyId, TDataVO* data) {
    return WriteBack(companyId, data, &TCompanySelectMgr::WriteBasicInfo);
}
