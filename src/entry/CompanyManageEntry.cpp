// The company manager, docked into a host container or shown on its own.
#include <cstdint>

#include "EntryExport.h"
#include "PageEntry.h"
#include "f_CompanyManage.h"

ENTRY_POINT void ShowCompanyMgrProc(std::uintptr_t appHandle, std::uintptr_t parentHandle,
                                    char** paramString) {
    // Host and module share one process and one application object, so the
    // host's application is the module's already.
    static_cast<void>(appHandle);
    try {
        ShowPage<Tfrm_CompanyManage>(parentHandle, paramString);
    } catch (...) {
        // Nothing reaches the host.
    }
}
