#include "f_Bsyxxsz.h"

#include <QAction>
#include <QStyle>

#include "HostServices.h"
#include "TaxOfficer.h"
#include "ui_f_Bsyxxsz.h"

Tfrm_Bsyxxsz::Tfrm_Bsyxxsz(QWidget* parent)
    : Tfrm_CustomEx(parent), ui_(std::make_unique<Ui::frm_Bsyxxsz>()) {
    setObjectName(QStringLiteral("frm_Bsyxxsz"));
    ui_->setupUi(ClientArea());
    setWindowTitle(QStringLiteral("frm_Bsyxxsz"));

    auto* save = new QAction(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("actSave"));
    save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    AddToolAction(save, QStringLiteral("tbtnSave"));
    connect(save, &QAction::triggered, this, &Tfrm_Bsyxxsz::Save);

    FormCreate();
}

Tfrm_Bsyxxsz::~Tfrm_Bsyxxsz() = default;

void Tfrm_Bsyxxsz::FormCreate() {
    Tfrm_CustomEx::FormCreate();
    LoadRegions();
}

void Tfrm_Bsyxxsz::showEvent(QShowEvent* event) {
    Tfrm_CustomEx::showEvent(event);
    if (!officerRead_) {
        LoadOfficer();
    }
}

void Tfrm_Bsyxxsz::LoadRegions() {
    QStringList items;
    if (!TaxOfficer::ReadRegions(HostContext().AppPath, items)) {
        // The design-time item stays, and nothing is chosen.
        ui_->cbxCantonCode->setCurrentIndex(-1);
        return;
    }
    regions_ = items;
    ui_->cbxCantonCode->clear();
    ui_->cbxCantonCode->addItems(regions_);
    ui_->cbxCantonCode->setCurrentIndex(regions_.isEmpty() ? -1 : 0);
}

void Tfrm_Bsyxxsz::LoadOfficer() {
    officerRead_ = true;
    TaxOfficer::TRow row;
    if (!TaxOfficer::ReadRow(row)) {
        return;
    }
    ui_->edtBsymc->setText(row.Name);
    ui_->edtSfzh->setText(row.IdNumber);
    const int region = TaxOfficer::FindRegion(regions_, row.RegionCode.trimmed());
    if (region >= 0) {
        ui_->cbxCantonCode->setCurrentIndex(region);
    }
}

QString Tfrm_Bsyxxsz::SelectedRegionCode() const {
    const int index = ui_->cbxCantonCode->currentIndex();
    if (index < 0 || index >= regions_.size()) {
        return QString();
    }
    return TaxOfficer::RegionCode(regions_.at(index));
}

void Tfrm_Bsyxxsz::Save() {
    const QString name = ui_->edtBsymc->text();
    const QString regionCode = SelectedRegionCode();
    TaxOfficer::Field field = TaxOfficer::Field::None;
    const QString failure = TaxOfficer::Validate(name, ui_->edtSfzh->text(), regionCode, field);
    if (!failure.isEmpty()) {
        ModuleLib::InfoMsgBox(failure);
        if (field == TaxOfficer::Field::Name) {
            ui_->edtBsymc->setFocus();
        } else if (field == TaxOfficer::Field::Region) {
            ui_->cbxCantonCode->setFocus();
        }
        return;
    }
    if (!TaxOfficer::Save(name, regionCode)) {
        ModuleLib::InfoMsgBox(QStringLiteral("办税员设置失败！"));
        return;
    }
    ModuleLib::InfoMsgBox(QStringLiteral("办税员设置成功！"));
    LoadOfficer();
}
