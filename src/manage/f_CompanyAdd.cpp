#include "f_CompanyAdd.h"

#include <QPushButton>

#include "CommitOutcome.h"
#include "CompanyAddSaver.h"
#include "HostServices.h"
#include "MessageCodes.h"
#include "f_CommonUnit.h"
#include "ui_f_CompanyAdd.h"

Tfrm_CompanyAdd::Tfrm_CompanyAdd(QWidget* parent)
    : Tfrm_CustomDlgEx(parent), ui_(std::make_unique<Ui::frm_CompanyAdd>()) {
    setObjectName(QStringLiteral("frm_CompanyAdd"));
    ui_->setupUi(ClientArea());
    AddButton(ui_->sBtnSave);
    sBtnClose()->setText(QStringLiteral("取消"));
    ui_->sBtnSave->setDefault(true);
    SetTitle(QStringLiteral("企业新增"), QStringLiteral("企业信息"));
    setTabOrder(ui_->edtlxdh, ui_->sBtnSave);
    setTabOrder(ui_->sBtnSave, sBtnClose());
    ui_->edtQysbh->setMaxLength(CompanyAddSaver::kTaxIdMaxLength);
    ui_->edtQymc->setMaxLength(CompanyAddSaver::kNameMaxLength);
    ui_->edtlxdh->setMaxLength(CompanyAddSaver::kPhoneMaxLength);
    resize(400, 190);
    connect(ui_->sBtnSave, &QPushButton::clicked, this, &Tfrm_CompanyAdd::Save);
    FormCreate();
}

Tfrm_CompanyAdd::~Tfrm_CompanyAdd() = default;

void Tfrm_CompanyAdd::showEvent(QShowEvent* event) {
    Tfrm_CustomDlgEx::showEvent(event);
    ui_->lblQysbh->setText(CompanyCodeCaption() + QStringLiteral("："));
    ui_->edtQysbh->setFocus();
}

void Tfrm_CompanyAdd::Save() {
    using CompanyAddSaver::Outcome;
    // Numbers the operator may not see are left out: the list may be empty.
    const auto confirmSimilar = [](const QStringList& similar) {
        const QString named = similar.isEmpty()
                                  ? QString()
                                  : QStringLiteral("：") + similar.join(QStringLiteral("、"));
        return ModuleLib::InfoMsgBox(QStringLiteral("已存在相似的纳税人识别号") + named +
                                         QStringLiteral("，仍要新增吗？"),
                                     1) == 1;
    };
    const auto confirmCheckCharacter = [] {
        return ModuleLib::InfoMsgBox(
                   QStringLiteral("纳税人识别号的校验位不正确，请核对。仍要新增吗？"), 1) == 1;
    };
    const CompanyAddSaver::Result result =
        CompanyAddSaver::Save(ui_->edtQysbh->text(), ui_->edtQymc->text(), ui_->edtlxdh->text(),
                              confirmSimilar, confirmCheckCharacter);
    switch (result.outcome) {
        case Outcome::MissingTaxId:
            ModuleLib::InforMsg(MessageCodes::kTaxIdMissing, QString(), 1);
            ui_->edtQysbh->setFocus();
            return;
        case Outcome::InvalidPhone:
            ModuleLib::InforMsg(MessageCodes::kAddPhoneInvalid, QString(), 1);
            ui_->edtlxdh->clear();
            ui_->edtlxdh->setFocus();
            return;
        case Outcome::InvisibleTaxId:
        case Outcome::TaxIdTooLong:
        case Outcome::NameTooLong:
        case Outcome::PhoneTooLong: {
            ModuleLib::InfoMsgBox(CompanyAddSaver::RefusalText(result.outcome));
            QLineEdit* const field = result.outcome == Outcome::NameTooLong    ? ui_->edtQymc
                                     : result.outcome == Outcome::PhoneTooLong ? ui_->edtlxdh
                                                                               : ui_->edtQysbh;
            field->setFocus();
            return;
        }
        case Outcome::Duplicate:
            ModuleLib::InfoMsgBox(QStringLiteral("该单位[") + result.taxId +
                                  QStringLiteral("]已经存在。"));
            ui_->edtQysbh->setFocus();
            return;
        case Outcome::Declined:
            ui_->edtQysbh->setFocus();
            return;
        case Outcome::Failed:
            ModuleLib::InforMsg(MessageCodes::kAddFailed,
                                QString::fromLatin1(MessageCodes::kAddFailedDetail), 1);
            return;
        case Outcome::Unknown:
            CommitOutcome::TellUnknown();
            return;
        case Outcome::Saved:
            companyId_ = result.companyId;
            taxId_ = result.taxId;
            done(mrOk);
            return;
    }
}

bool AddCompany(QWidget* parent, QString& companyId, QString& taxId) {
    Tfrm_CompanyAdd dialog(parent);
    if (dialog.exec() != Tfrm_CompanyAdd::mrOk) {
        return false;
    }
    companyId = dialog.CompanyId();
    taxId = dialog.TaxId();
    return true;
}
