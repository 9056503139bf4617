// The agency settings: the agency's own data, shown and corrected through the
// agency manager the current-company object carries. The host docks it into
// its main window (ShowGljgszProc).
#pragma once

#include <memory>

#include "AgencySettings.h"
#include "FieldTable.h"
#include "f_CustomFormEx.h"

namespace Ui {
class frmGljgsz;
}

class TfrmGljgsz : public Tfrm_CustomEx {
    Q_OBJECT

  public:
    explicit TfrmGljgsz(QWidget* parent = nullptr);
    ~TfrmGljgsz() override;

    // The base's creation, then the fields from the agency manager.
    void FormCreate() override;
    bool HasUnsavedEdits() override;
    bool SaveEdits() override;

  private:
    void Load();
    // Shows fields in the fields' controls, whole.
    void Show(const AgencySettings::TFields& fields);
    AgencySettings::TFields Shown() const;
    // After a save that failed: the fields the operator left alone show what
    // is stored now, and his edits stay.
    void KeepEditsOver(const AgencySettings::TFields& stored);

    std::unique_ptr<Ui::frmGljgsz> ui_;
    TFieldTable fields_;
    // As loaded or last saved: what an edit differs from.
    AgencySettings::TFields stored_;
};
