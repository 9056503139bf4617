#include "f_CompanySelect.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include "ColorNumber.h"
#include "CompanySelectMgr.h"
#include "FormBase.h"
#include "HostServices.h"
#include "MessageCodes.h"
#include "ModuleForm.h"
#include "RecentCompanies.h"
#include "SearchableCompanyList.h"
#include "f_CommonUnit.h"
#include "f_Status.h"
#include "ui_f_CompanySelect.h"

namespace {

constexpr const char* kSingleCompanyEdition = "10";

}  // namespace

Tfrm_CompanySelect::Tfrm_CompanySelect(TCompanySelectMgr& manager, QWidget* parent)
    : Tfrm_CustomDlgEx(parent), ui_(std::make_unique<Ui::frm_CompanySelect>()), manager_(manager) {
    ui_->setupUi(ClientArea());
    list_ = new TSearchableCompanyList(
        ui_->vstCompList, {QStringLiteral("纳税人识别号"), QStringLiteral("单位名称")},
        [](const TCompanyRecord& record, int, int column) {
            return column == 0 ? record.QYSBH() : record.QYMC();
        },
        [this](const QString& taxIdText, const QString& nameText, TCompanyRecordArray& records) {
            return manager_.ListCompanies(taxIdText, nameText, records);
        },
        this);
    list_->SetFilterFields(ui_->edtSbh, ui_->edtName);
    list_->UseForChoosing();
    connect(list_, &TSearchableCompanyList::ChooseAsked, this, &Tfrm_CompanySelect::Accept);
    AddButton(ui_->sBtnConfirm);
    sBtnClose()->setText(QStringLiteral("取消"));
    ui_->sBtnConfirm->setDefault(true);
    SetTitle(QStringLiteral("单位选择"), QStringLiteral("单位选择"));
    resize(480, 440);

    // The name column takes what the number column leaves, so both always
    // fit beside the vertical scroll bar.
    QHeaderView* header = ui_->vstCompList->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(true);
    header->resizeSection(0, 170);

    setTabOrder(ui_->sBtnConfirm, sBtnClose());
    setTabOrder(sBtnClose(), ui_->edtSbh);
    setTabOrder(ui_->edtSbh, ui_->edtName);
    setTabOrder(ui_->edtName, ui_->btnQuery);
    setTabOrder(ui_->btnQuery, ui_->vstCompList);

    connect(ui_->btnQuery, &QPushButton::clicked, this, &Tfrm_CompanySelect::Search);
    connect(ui_->sBtnConfirm, &QPushButton::clicked, this, &Tfrm_CompanySelect::Accept);

    ReadCompanyCodeCaption();
    FormCreate();
}

Tfrm_CompanySelect::~Tfrm_CompanySelect() = default;

void Tfrm_CompanySelect::ApplySkin() {
    Tfrm_CustomDlgEx::ApplySkin();
    const QColor background = ColorFromTColor(ModuleLib::gclModuleBackColor());
    for (QFrame* panel : findChildren<QFrame*>()) {
        if (panel->property("tag").toInt() == -1) {
            FormBase::SetBackgroundColor(panel, background);
        }
    }
}

void Tfrm_CompanySelect::showEvent(QShowEvent* event) {
    Tfrm_CustomDlgEx::showEvent(event);
    if (list_->Loaded()) {
        return;
    }
    list_->UseRecent(manager_.OperatorCode());
    list_->Load(QString(), QString());
    HideStatus();
    // Typing narrows the list at once; Enter there still takes the selected row.
    ui_->edtSbh->setFocus();
}

void Tfrm_CompanySelect::Search() {
    list_->Load(ui_->edtSbh->text().trimmed(), ui_->edtName->text().trimmed());
}

void Tfrm_CompanySelect::Accept() {
    ui_->sBtnConfirm->setEnabled(false);
    if (const TCompanyRecord* record = list_->Selected()) {
        result_ = *record;
        list_->Remember(result_);
        ui_->sBtnConfirm->setEnabled(true);
        done(mrOk);
        return;
    }
    ModuleLib::InforMsg(MessageCodes::kNothingSelected, QString(), 1);
    ui_->sBtnConfirm->setEnabled(true);
}

SelectOutcome ChooseCompany(TCompanySelectMgr& manager, TCompanyRecord& chosen) {
    const int count = manager.CountCompanies(QString(), QString());
    if (count <= 0) {
        return SelectOutcome::NoCompany;
    }
    if (count == 1 || ModuleLib::gsAppVerTypeCode() == QLatin1String(kSingleCompanyEdition)) {
        // The first row is all that is taken; it may have gone since the count.
        if (!manager.FirstCompany(chosen)) {
            return SelectOutcome::NoCompany;
        }
        // Taken without the dialog, it is still the operator's last company.
        // With one company counted no other is the operator's; of several,
        // the other recent ids are kept rather than looked up among them.
        const bool onlyOne = count == 1;
        const auto visible = [onlyOne](const QString&) { return !onlyOne; };
        RecentCompanies::Propose(chosen.QYID(), visible, manager.OperatorCode());
        return SelectOutcome::Chosen;
    }
    if (!ModuleGuiAvailable()) {
        return SelectOutcome::NotChosen;
    }
    if (count > kStatusWindowThreshold) {
        ShowStatus(QStringLiteral("正在读取单位信息，请稍候 ..."));
    }
    Tfrm_CompanySelect dialog(manager);
    const int result = dialog.exec();
    HideStatus();
    if (result != Tfrm_CompanySelect::mrOk) {
        return SelectOutcome::NotChosen;
    }
    chosen = dialog.Result();
    return SelectOutcome::Chosen;
}
