// The company information page, docked into a host container or shown on its own.
#include <cstdint>
#include <string>

#include "CompanySelectMgr.h"
#include "ContextValues.h"
#include "EntryExport.h"
#include "ModuleForm.h"
#include "PageEntry.h"
#include "ParamString.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"

namespace {

// "true" or "false" in any letter case; anything else keeps the default.
bool ReadFlag(const std::string& params, const char* key, bool defaultValue) {
    const QString value = QString::fromStdString(ParamString::GetParamValue(params, key)).trimmed();
    if (value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    return defaultValue;
}

}  // namespace

ENTRY_POINT void ShowComapnayInfoInnerProc(std::uintptr_t appHandle, std::uintptr_t parentHandle,
                                           char** paramString) {
    // Host and module share one application object already.
    static_cast<void>(appHandle);
    try {
        if (!ModuleGuiAvailable()) {
            return;
        }
        const std::string params = PageParams(paramString);
        QString companyId = QString::fromStdString(ParamString::GetParamValue(params, "QYID"));
        if (companyId.isEmpty()) {
            companyId = ContextValues::Text(ModuleLib::GetCompanyInfoVO(), "QYID");
        }
        // A company the operator may not work for gets no page.
        if (!TCompanySelectMgr::ForLoggedInOperator().MayWorkFor(companyId)) {
            return;
        }
        Tfrm_CompanyInfoInner::ClosePrevious() = ReadFlag(params, "CLOSEPREV", true);
        auto* form = new Tfrm_CompanyInfoInner();
        form->LoadCompany(companyId, ReadFlag(params, "TOVIEW", false),
                          !Tfrm_CompanyInfoInner::ClosePrevious());
        // PAGE=BGJL opens on the company's changes.
        if (ParamString::GetParamValue(params, "PAGE") == "BGJL") {
            form->ShowHistory();
        }
        // Unlike the settings pages, the information page is announced with the
        // flag off.
        DockPage(parentHandle, form, params, false);
    } catch (...) {
        // Nothing reaches the host.
    }
}
