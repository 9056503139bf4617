// The agency and the tax officer settings, docked into a host container or
// shown on their own.
#include <cstdint>

#include "EntryExport.h"
#include "PageEntry.h"
#include "f_Bsyxxsz.h"
#include "f_Dljgsz.h"

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
