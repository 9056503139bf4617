// Choosing and loading the current company.
#include "CompanySelectMgr.h"
#include "ContextValues.h"
#include "EntryExport.h"
#include "EntryParams.h"
#include "HostServices.h"
#include "MessageCodes.h"
#include "RecentCompanies.h"
#include "f_CompanySelect.h"

namespace {

constexpr const char* kInitFailed = "[70019504]系统初始化企业信息失败。";
constexpr const char* kNoOperator =
    "[70019503]选择对应企业失败：无法获取到操作员名称或操作员类别。";

// Every way InitGlobalCompanyInfo can fail leaves this line in the log.
void LogInitFailed() noexcept {
    try {
        logQuery::Error("1", QString::fromUtf8(kInitFailed));
    } catch (...) {
    }
}

}  // namespace

ENTRY_POINT bool LoadSelectCompanyForm(int count, char** buffers) {
    try {
        EntryParams params(count, buffers);
        if (!params.IsValid()) {
            return false;
        }
        const QString operatorCode = params.Get("CZY_DM");
        const QString operatorClass = params.Get("CZY_LB");
        if (operatorCode.isEmpty() || operatorClass.isEmpty()) {
            params.Set("ResultMsgStr", QString::fromUtf8(kNoOperator));
            logQuery::Error("1", QString::fromUtf8(kNoOperator));
            return params.Finish(false);
        }
        TCompanySelectMgr manager(operatorCode, operatorClass);
        TCompanyRecord chosen;
        switch (ChooseCompany(manager, chosen)) {
            case SelectOutcome::Chosen:
                params.Set("QYID", chosen.QYID());
                params.Set("QYSBH", chosen.QYSBH());
                return params.Finish(true);
            case SelectOutcome::NoCompany:
                ModuleLib::InforMsg(MessageCodes::kNoCompany, QString(), 1);
                break;
            case SelectOutcome::NotChosen:
                break;
        }
        return params.Finish(false);
    } catch (...) {
        return false;
    }
}

ENTRY_POINT bool InitGlobalCompanyInfo(int count, char** buffers) {
    try {
        EntryParams params(count, buffers);
        if (!params.IsValid()) {
            LogInitFailed();
            return false;
        }
        TCompanySelectMgr manager(params.Get("CZY_DM"), params.Get("CZY_LB"));
        const QString companyId = params.Get("QYID");
        const bool loaded = !companyId.isEmpty() && manager.MayWorkFor(companyId) &&
                            manager.LoadCompanyInfo(companyId);
        if (!loaded) {
            params.Set("ResultMsgStr", QString::fromUtf8(kInitFailed));
            LogInitFailed();
        } else {
            // The operator's choice has taken effect only now.
            RecentCompanies::Confirm(companyId);
        }
        return params.Finish(loaded);
    } catch (...) {
        LogInitFailed();
        return false;
    }
}

ENTRY_POINT bool RefreshCurrentCompanyInfo() {
    try {
        TCompanySelectMgr manager = TCompanySelectMgr::ForLoggedInOperator();
        const TDataVO* company = ModuleLib::GetCompanyInfoVO();
        const QString companyId = ContextValues::Text(company, "QYID");
        return !companyId.isEmpty() && manager.LoadCompanyInfo(companyId);
    } catch (...) {
        return false;
    }
}
