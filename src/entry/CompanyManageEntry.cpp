// The company manager, docked into a host container or shown on its own.
#include <cstdint>
#include <string>

#include "EntryExport.h"
#include "ModuleForm.h"
#include "ParamString.h"
#include "f_CompanyManage.h"

ENTRY_POINT void ShowCompanyMgrProc(std::uintptr_t appHandle, std::uintptr_t parentHandle,
                                    char** paramString) {
    // Host and module share one process and one application object, so the
    // host's application is the module's already.
    static_cast<void>(appHandle);
    try {
        if (!ModuleGuiAvailable()) {
            return;
        }
        const std::string params =
            paramString != nullptr && *paramString != nullptr ? *paramString : std::string();
        const QString modalFormMsg =
            QString::fromStdString(ParamString::GetParamValue(params, "ModalFormMsg"));
        auto* form = new Tfrm_CompanyManage();
        if (!ShowModuleForm(parentHandle, form, modalFormMsg, false, QString(), QString(), true)) {
            // Not taken by the host: still ours.
            delete form;
        }
    } catch (...) {
        // Nothing reaches the host.
    }
}
