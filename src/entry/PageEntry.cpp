#include "PageEntry.h"

#include "EntryExport.h"
#include "ParamString.h"
#include "WindowMessage.h"

// The codes the public header gives hosts are the ones the windows send.
static_assert(COMPANYMGR_MSG_CLOSE_PAGE == HostMsg::kClosePage);
static_assert(COMPANYMGR_MSG_FORM_SHOWN == HostMsg::kFormShown);
static_assert(COMPANYMGR_MSG_HELP == HostMsg::kHelp);
static_assert(COMPANYMGR_MSG_FORM_DESTROYED == HostMsg::kFormDestroyed);
static_assert(COMPANYMGR_MSG_APPLY_SKIN == HostMsg::kApplySkin);
static_assert(COMPANYMGR_MSG_PAGE_STATE == HostMsg::kPageState);
static_assert(COMPANYMGR_MSG_ACTIVATED == HostMsg::kNcActivate);

std::string PageParams(char** paramString) {
    return paramString != nullptr && *paramString != nullptr ? std::string(*paramString)
                                                             : std::string();
}

void DockPage(std::uintptr_t parentHandle, QWidget* form, const std::string& params) {
    const QString modalFormMsg =
        QString::fromStdString(ParamString::GetParamValue(params, "ModalFormMsg"));
    if (!ShowModuleForm(parentHandle, form, modalFormMsg, false, QString(), QString(), true)) {
        // Not taken by the host: still ours.
        delete form;
    }
}
