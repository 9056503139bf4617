// What the information page and dialog do when the operator saves, written
// once: collect, check and focus, ask when another desk changed what he is
// saving, save, tell him, and refresh the host's copy of the company.
#pragma once

#include <QString>

#include <functional>

#include "CompanyInfoModel.h"

class TDataVO;
class TFieldTable;

enum class InfoSaveOutcome {
    Saved,           // written and told (106019)
    NothingChanged,  // no field differs from what is stored
    Stopped,         // a check failed, the operator waits or reads anew, or it failed
};

struct TInfoSave {
    TCompanyInfoModel& model;
    const TFieldTable& fields;
    InfoWindow window;
    // The host's current-company object, refreshed when it is this company.
    TDataVO* current = nullptr;
    // The operator chose to read the company anew.
    std::function<void()> reload;
    // A save tells the host.
    std::function<void()> tellHost;
};

// Hands what the reachable fields hold to the model; true when it differs
// from what was stored.
bool CollectInfoEdits(TCompanyInfoModel& model, const TFieldTable& fields);

InfoSaveOutcome SaveCompanyInfo(const TInfoSave& save);
