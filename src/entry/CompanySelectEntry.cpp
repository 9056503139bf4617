// Choosing and loading the current company.
#include "CompanySelectMgr.h"
#include "EntryExport.h"
#include "EntryParams.h"
#include "HostServices.h"

namespace {

constexpr const char* kInitFailed = "[70019504]系统初始化企业信息失败。";

TCompanySelectMgr OperatorManager() {
    const TDataVO* user = ModuleLib::GetUserInfoVO();
    return TCompanySelectMgr(user ? user->GetStrValue("CZY_DM") : QString(),
                             user ? user->GetStrValue("CZY_LB") : QString());
}

}  // namespace

ENTRY_POINT bool InitGlobalCompanyInfo(int count, char** buffers) {
    try {
        EntryParams params(count, buffers);
        if (!params.IsValid()) {
            return false;
        }
        TCompanySelectMgr manager(params.Get("CZY_DM"), params.Get("CZY_LB"));
        const QString companyId = params.Get("QYID");
        const bool loaded = !companyId.isEmpty() && manager.LoadCompanyInfo(companyId);
        if (!loaded) {
            params.Set("ResultMsgStr", QString::fromUtf8(kInitFailed));
            logQuery::Error("1", QString::fromUtf8(kInitFailed));
        }
        return loaded;
    } catch (...) {
        return false;
    }
}

ENTRY_POINT bool RefreshCurrentCompanyInfo() {
    try {
        TCompanySelectMgr manager = OperatorManager();
        const TDataVO* company = ModuleLib::GetCompanyInfoVO();
        const QString companyId = company ? company->GetStrValue("QYID") : QString();
        return !companyId.isEmpty() && manager.LoadCompanyInfo(companyId);
    } catch (...) {
        return false;
    }
}
