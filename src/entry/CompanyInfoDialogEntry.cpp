// The company information dialog, shown modally for one company.
#include <QString>

#include "CompanySelectMgr.h"
#include "EntryExport.h"
#include "ModuleForm.h"
#include "f_CompanyInfo.h"

ENTRY_POINT bool ShowComapnayInfoProc(const char* companyId, bool viewOnly) {
    try {
        if (!ModuleGuiAvailable() || companyId == nullptr) {
            return false;
        }
        const QString id = QString::fromUtf8(companyId);
        return TCompanySelectMgr::ForLoggedInOperator().MayWorkFor(id) &&
               ShowCompanyInfoDialog(id, viewOnly);
    } catch (...) {
        // Nothing reaches the host.
        return false;
    }
}
