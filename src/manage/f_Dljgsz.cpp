#include "f_Dljgsz.h"

#include <QAction>
#include <QStyle>

#include "AgencySettings.h"
#include "CharSetValidator.h"
#include "FormBase.h"
#include "HostServices.h"
#include "f_AgencyMgr.h"
#include "ui_f_Gljgsz.h"

namespace {

constexpr int kPostCodeLength = 6;

}  // namespace

TfrmGljgsz::TfrmGljgsz(QWidget* parent)
    : Tfrm_CustomEx(parent), ui_(std::make_unique<Ui::frmGljgsz>()) {
    setObjectName(QStringLiteral("frmGljgsz"));
    ui_->setupUi(ClientArea());
    setWindowTitle(QStringLiteral("代理机构设置"));

    auto* save = new QAction(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("actSave"));
    save->setIcon(FormBase::StandardIcon(this, QStyle::SP_DialogSaveButton));
    save->setShortcut(QKeySequence::Save);
    AddToolAction(save, QStringLiteral("tbtnSave"));
    connect(save, &QAction::triggered, this, &TfrmGljgsz::SaveEdits);

    ui_->edtPhone->setValidator(
        new TCharSetValidator(QStringLiteral("0123456789-"), 0, ui_->edtPhone));
    ui_->edtPostCode->setValidator(
        new TCharSetValidator(QStringLiteral("0123456789"), kPostCodeLength, ui_->edtPostCode));

    FormCreate();
}

TfrmGljgsz::~TfrmGljgsz() = default;

void TfrmGljgsz::FormCreate() {
    Tfrm_CustomEx::FormCreate();
    Load();
}

void TfrmGljgsz::Load() {
    TAgencyMgr* agency = AgencySettings::CurrentAgency();
    if (agency == nullptr) {
        return;
    }
    const AgencySettings::TFields fields = AgencySettings::Read(*agency);
    stored_ = fields;
    ui_->edtAgentCode->setText(fields.Code);
    ui_->edtAgentName->setText(fields.Name);
    ui_->edtTaxAuthorities->setText(fields.TaxOffice);
    ui_->edtLegalRepresentative->setText(fields.LegalRep);
    ui_->edtPhone->setText(fields.Phone);
    ui_->edtPostCode->setText(fields.PostCode);
    ui_->edtAddr->setText(fields.Address);
    ui_->edtCount->setText(QString::number(agency->CountServedCompanies()));
}

AgencySettings::TFields TfrmGljgsz::Shown() const {
    AgencySettings::TFields fields;
    fields.Code = ui_->edtAgentCode->text();
    fields.Name = ui_->edtAgentName->text();
    fields.TaxOffice = ui_->edtTaxAuthorities->text();
    fields.LegalRep = ui_->edtLegalRepresentative->text();
    fields.Phone = ui_->edtPhone->text();
    fields.PostCode = ui_->edtPostCode->text();
    fields.Address = ui_->edtAddr->text();
    return fields;
}

bool TfrmGljgsz::HasUnsavedEdits() {
    // Without an agency there is nothing to save them to.
    return AgencySettings::CurrentAgency() != nullptr && Shown() != stored_;
}

bool TfrmGljgsz::SaveEdits() {
    const AgencySettings::TFields fields = Shown();

    const AgencySettings::Check check = AgencySettings::Validate(fields);
    if (check != AgencySettings::Check::Ok) {
        ModuleLib::InfoMsgBox(AgencySettings::CheckText(check));
        if (check == AgencySettings::Check::MissingName) {
            ui_->edtAgentName->setFocus();
        } else if (check == AgencySettings::Check::BadPostCode) {
            ui_->edtPostCode->setFocus();
        }
        return false;
    }
    TAgencyMgr* agency = AgencySettings::CurrentAgency();
    if (agency == nullptr) {
        return false;
    }
    if (!AgencySettings::Save(*agency, fields)) {
        // The fields keep what the operator typed, for another try.
        ModuleLib::InfoMsgBox(QStringLiteral("代理机构设置保存失败！"));
        return false;
    }
    stored_ = fields;
    ModuleLib::SetgsAgencyInfo(agency->GetName());
    TellHostSaved();
    return true;
}
