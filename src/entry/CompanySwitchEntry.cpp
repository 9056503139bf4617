// The agency's company switch: the host passes its parameter string and gets
// the chosen company's keys back in it.
#include "EntryExport.h"
#include "EntryParams.h"
#include "f_AdvSwitchCompay.h"

ENTRY_POINT bool LoadAdvSwitchCompanyForm(int count, char** buffers) {
    // Hosts pass any count here; only the first buffer is read.
    static_cast<void>(count);
    try {
        if (buffers == nullptr || buffers[0] == nullptr) {
            return false;
        }
        EntryParams params(1, buffers);
        TAgcyCompanyInfo chosen;
        if (!ChooseServedCompany(chosen)) {
            // Nothing set: the string goes back as it came.
            return params.Finish(false);
        }
        params.Set("QYID", chosen.QYID());
        params.Set("QYSBH", chosen.QYSBH());
        return params.Finish(true);
    } catch (...) {
        return false;
    }
}
