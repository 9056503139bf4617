// The company information dialog, shown modally for one company.
#include <QString>

#include "EntryExport.h"
#include "ModuleForm.h"
#include "f_CompanyInfo.h"

ENTRY_POINT bool ShowComapnayInfoProc(const char* companyId, bool viewOnly) {
    try {
        if (!ModuleGuiAvailable() || companyId == nullptr) {
            return false;
        }
        return ShowCompanyInfoDialog(QString::fromUtf8(companyId), viewOnly);
    } catch (...) {
        // Nothing reaches the host.
        return false;
    }
}
