// The tax officer settings: the officer's name and the region of the
// competent tax authority. The host docks it into its main window
// (ShowBsyxxszProc).
#pragma once

#include <QStringList>

#include <memory>

#include "FieldTable.h"
#include "TaxOfficer.h"
#include "f_CustomFormEx.h"

namespace Ui {
class frm_Bsyxxsz;
}

class Tfrm_Bsyxxsz : public Tfrm_CustomEx {
    Q_OBJECT

  public:
    explicit Tfrm_Bsyxxsz(QWidget* parent = nullptr);
    ~Tfrm_Bsyxxsz() override;

    // The base's creation, then the region list.
    void FormCreate() override;
    bool HasUnsavedEdits() override;
    bool SaveEdits() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void LoadRegions();
    void MakeRegionsSearchable();
    // The field shows the chosen line, not a text typed over it.
    bool RegionTextIsChosenOne() const;
    void LoadOfficer();
    void SelectRegion(const QString& code);
    QString SelectedRegionCode() const;

    std::unique_ptr<Ui::frm_Bsyxxsz> ui_;
    TFieldTable fields_;
    QStringList regions_;
    TaxOfficer::TRow officer_;
    // Read on the first show and after a save; other shows keep what the
    // operator typed.
    bool officerRead_ = false;
    // The name and region as shown when read: what an edit differs from.
    QString shownName_;
    QString shownRegion_;
};
