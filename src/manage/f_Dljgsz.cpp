#include "f_Dljgsz.h"

#include <QAction>
#include <QLineEdit>
#include <QStyle>

#include "AgencySettings.h"
#include "CharSetValidator.h"
#include "CommitOutcome.h"
#include "FormBase.h"
#include "HostServices.h"
#include "StoredRow.h"
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

    TCharSetValidator::Attach(ui_->edtPhone, QStringLiteral("0123456789-"), 0);
    TCharSetValidator::Attach(ui_->edtPostCode, QStringLiteral("0123456789"), kPostCodeLength);

    const std::tuple<QLineEdit*, const char*, bool> fields[] = {
        {ui_->edtAgentCode, "QYSBH", false},
        {ui_->edtAgentName, "QYMC", true},
        {ui_->edtTaxAuthorities, "SSSWJG", true},
        {ui_->edtLegalRepresentative, "FDDBRMC", true},
        {ui_->edtPhone, "QYDHHM", true},
        {ui_->edtPostCode, "YZBM", true},
        {ui_->edtAddr, "YYDZ", true},
    };
    for (const auto& [edit, column, editable] : fields) {
        fields_.Add(edit, 0, QLatin1String(column), editable);
    }
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
    stored_ = AgencySettings::Read(*agency);
    Show(stored_);
    ui_->edtCount->setText(QString::number(agency->CountServedCompanies()));
}

void TfrmGljgsz::Show(const AgencySettings::TFields& fields) {
    fields_.Show([&fields](int, const QString& column) {
        return AgencySettings::FieldText(fields, column);
    });
}

AgencySettings::TFields TfrmGljgsz::Shown() const {
    // What the operator can change is taken from its field, the rest as shown.
    AgencySettings::TFields fields = stored_;
    fields_.Collect([&fields](int, const QString& column, const QString& text) {
        if (QString* field = AgencySettings::FieldOf(fields, column)) {
            *field = text;
        }
    });
    return fields;
}

void TfrmGljgsz::KeepEditsOver(const AgencySettings::TFields& stored) {
    AgencySettings::TFields shown = Shown();
    for (const char* column : {"QYSBH", "QYMC", "SSSWJG", "FDDBRMC", "QYDHHM", "YZBM", "YYDZ"}) {
        QString* field = AgencySettings::FieldOf(shown, QLatin1String(column));
        if (*field == AgencySettings::FieldText(stored_, QLatin1String(column))) {
            *field = AgencySettings::FieldText(stored, QLatin1String(column));
        }
    }
    stored_ = stored;
    Show(shown);
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
    while (!AgencySettings::Save(*agency, stored_, fields)) {
        const QStringList changed = agency->ChangedElsewhere();
        const OtherDeskChoice choice =
            changed.isEmpty() ? OtherDeskChoice::Wait : AskAboutOtherDesk(changed);
        if (choice == OtherDeskChoice::Overwrite) {
            // The manager holds the row as stored now; his edits go over it.
            continue;
        }
        if (choice == OtherDeskChoice::Reload) {
            Load();
            return false;
        }
        if (agency->SaveOutcomeUnknown()) {
            CommitOutcome::TellUnknown();
            Load();
            return false;
        }
        if (changed.isEmpty()) {
            ModuleLib::InfoMsgBox(QStringLiteral("代理机构设置保存失败！"));
        }
        // The fields keep what the operator typed, for another try.
        KeepEditsOver(AgencySettings::Read(*agency));
        return false;
    }
    stored_ = AgencySettings::Read(*agency);
    Show(stored_);
    ModuleLib::SetgsAgencyInfo(agency->GetName());
    TellHostSaved();
    return true;
}
