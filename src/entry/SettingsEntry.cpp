// The agency and the tax officer settings, docked into a host container or
// shown on their own.
#include <QWidget>

#include <cstdint>
#include <string>

#include "EntryExport.h"
#include "ModuleForm.h"
#include "ParamString.h"
#include "f_Bsyxxsz.h"
#include "f_Dljgsz.h"

namespace {

template <typename Form>
void ShowPage(std::uintptr_t parentHandle, char** paramString) {
    if (!ModuleGuiAvailable()) {
        return;
    }
    const std::string params =
        paramString != nullptr && *paramString != nullptr ? *paramString : std::string();
    const QString modalFormMsg =
        QString::fromStdString(ParamString::GetParamValue(params, "ModalFormMsg"));
    auto* form = new Form();
    if (!ShowModuleForm(parentHandle, form, modalFormMsg, false, QString(), QString(), true)) {
        // Not taken by the host: still ours.
        delete form;
    }
}

}  // namespace

ENTRY_POINT void ShowGljgszProc(std::uintptr_t appHandle, std::uintptr_t parentHandle,
                                char** paramString) {
    // Host and module share one process and one application object.
    static_cast<void>(appHandle);
    try {
        ShowPage<TfrmGljgsz>(parentHandle, paramString);
    } catch (...) {
        // Nothing reaches the host.
    }
}

ENTRY_POINT void ShowBsyxxszProc(std::uintptr_t appHandle, std::uintptr_t parentHandle,
                                 char** paramString) {
    static_cast<void>(appHandle);
    try {
        ShowPage<Tfrm_Bsyxxsz>(parentHandle, paramString);
    } catch (...) {
        // Nothing reaches the host.
    }
}
