#include "f_CompanyInfo.h"

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

#include "CharSetValidator.h"
#include "ColorNumber.h"
#include "ContextValues.h"
#include "FormBase.h"
#include "HostServices.h"
#include "InfoSave.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"
#include "ui_f_CompanyInfo.h"

namespace {

using T = InfoTable;

}  // namespace

Tfrm_CompanyInfo::Tfrm_CompanyInfo(QWidget* parent)
    : Tfrm_CustomDlg(parent), ui_(std::make_unique<Ui::frm_CompanyInfo>()) {
    setObjectName(QStringLiteral("frm_CompanyInfo"));
    ui_->setupUi(ClientArea());
    SetTitle(QStringLiteral("单位信息"), QString());
    // F1 pressed in any field asks the host for help, not only on the dialog.
    SetKeyPreview(true);

    // The base's title band carries the dialog's toolbar; its own close
    // button and line go, so only "保存" and "关闭(&X)" show.
    lbBusinessName()->hide();
    Bevel1()->hide();
    sBtnClose()->hide();
    for (int i = 0; i < ButtonRow()->count(); ++i) {
        if (QSpacerItem* spacer = ButtonRow()->itemAt(i)->spacerItem()) {
            spacer->changeSize(0, 0);
        }
    }
    ButtonRow()->setContentsMargins(0, 0, 0, 0);
    auto* band = qobject_cast<QHBoxLayout*>(pnlTop()->layout());
    tbtnSave_ = new QToolButton(pnlTop());
    tbtnSave_->setObjectName(QStringLiteral("tbtnSave"));
    tbtnSave_->setText(QStringLiteral("保存"));
    tbtnClose_ = new QToolButton(pnlTop());
    tbtnClose_->setObjectName(QStringLiteral("tbtnClose"));
    tbtnClose_->setText(QStringLiteral("关闭(&X)"));
    tbtnSave_->setIcon(FormBase::StandardIcon(this, QStyle::SP_DialogSaveButton));
    tbtnSave_->setShortcut(QKeySequence::Save);
    tbtnSave_->setToolTip(FormBase::ShortcutToolTip(tbtnSave_->text(), tbtnSave_->shortcut()));
    tbtnClose_->setIcon(FormBase::StandardIcon(this, QStyle::SP_DialogCloseButton));
    for (QToolButton* button : {tbtnSave_, tbtnClose_}) {
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setMinimumWidth(75);
        band->addWidget(button);
    }
    band->addStretch(1);

    // The post code takes digits only, as on the page.
    TCharSetValidator::Attach(ui_->edtYzbm, QStringLiteral("0123456789"), 0);
    // Any amount NUMERIC(19,2) holds: a sign, 17 digits, the point and cents.
    ui_->edtGsgbze->setMaxLength(21);
    FormBase::ShowReadOnlyFieldsAsSuch(ClientArea());
    resize(640, sizeHint().height() + ui_->gbLocalTax->maximumHeight() +
                    ui_->gbStateTax->maximumHeight() + 12);
    DeclareFields();
    connect(tbtnSave_, &QToolButton::clicked, this, &Tfrm_CompanyInfo::Save);
    connect(tbtnClose_, &QToolButton::clicked, this, &Tfrm_CompanyInfo::reject);
    FormCreate();
}

Tfrm_CompanyInfo::~Tfrm_CompanyInfo() = default;

void Tfrm_CompanyInfo::ApplySkin() {
    Tfrm_CustomDlg::ApplySkin();
    FormBase::SetBackgroundColor(this, ColorFromTColor(ModuleLib::gclModuleBackColor()));
    FormBase::SetBackgroundColor(pnlTop(), ColorFromTColor(ModuleLib::gclModuleToolBarColor()));
}

void Tfrm_CompanyInfo::Shrink(QWidget* group) {
    resize(width(), height() - group->maximumHeight());
    group->setFixedHeight(0);
    group->hide();
}

void Tfrm_CompanyInfo::DeclareFields() {
    const std::tuple<QLineEdit*, InfoTable, const char*, bool> fields[] = {
        {ui_->edtQysbh, T::Company, "QYSBH", true},
        {ui_->edtQymc, T::Company, "QYMC", false},
        {ui_->edtZcdz, T::Company, "ZCDZ", false},
        {ui_->edtYydz, T::Company, "YYDZ", true},
        {ui_->edtFddbr, T::Company, "FDDBRMC", false},
        {ui_->edtCwfzr, T::Company, "CWFZR", false},
        {ui_->edtDhhm, T::Company, "QYDHHM", true},
        {ui_->edtCzhm, T::Company, "QYCZHM", true},
        {ui_->edtMail, T::Company, "EMAIL", true},
        {ui_->edtYzbm, T::Company, "YZBM", true},
        {ui_->edtHymc, T::Company, "HYMC", false},
        {ui_->edtGsNsrsbh, T::StateTax, "NSRSBH", false},
        {ui_->edtGsNsrbm, T::StateTax, "NSRBM", false},
        {ui_->edtGsDjzclx, T::StateTax, "DJZCLX_DM", false},
        {ui_->edtNsrlx, T::StateTax, "NSRLX", false},
        {ui_->edtNsrzt, T::StateTax, "NSRZT", false},
        {ui_->edtGsZgswjg, T::StateTax, "SSSWJG_DM", false},
        {ui_->edtXydj, T::StateTax, "XYDJ", false},
        {ui_->edtYfzdh, T::StateTax, "ZDH", false},
        {ui_->edtSsdljg, T::StateTax, "SSDLJG", true},
        {ui_->edtKhyh, T::StateTax, "KKYH", false},
        {ui_->edtYhzh, T::StateTax, "YHZH", false},
        {ui_->edtKjywrbm, T::LocalTax, "KJYWRBM", false},
        {ui_->edtDsNsrsbh, T::LocalTax, "NSRSBH", false},
        {ui_->edtDsSwdjzHm, T::LocalTax, "NSRSBH", true},
        {ui_->edtDsZgswjg, T::LocalTax, "ZGSWJGMC", false},
        {ui_->edtJjlx, T::LocalTax, "DJZCLXMC", false},
        // Shown as on the page, so the two windows agree.
        {ui_->edtDsSSHY, T::LocalTax, "HYMC", false},
        {ui_->edtGsgbze, T::LocalTax, "GSGBZE", true},
    };
    for (const auto& [edit, table, column, editable] : fields) {
        fields_.Add(edit, static_cast<int>(table), QLatin1String(column), editable);
    }
    fields_.Add(ui_->cbxGsSSHY, static_cast<int>(T::StateTax), QStringLiteral("SSHY"), [this] {
        QString code, name;
        SelectedIndustry(ui_->cbxGsSSHY, code, name);
        return code;
    });
}

void Tfrm_CompanyInfo::Load(const TCompanyInfoModel& company, bool viewOnly) {
    model_ = company;
    viewOnly_ = viewOnly;
    fields_.Show([this](int table, const QString& column) {
        return model_.Shown(static_cast<InfoTable>(table), column);
    });
    const auto stored = [this](InfoTable table, const char* column) {
        return model_.Stored(table, QLatin1String(column));
    };
    if (model_.HasRow(T::StateTax)) {
        ui_->gbStateTax->show();
        const bool paidByBank = stored(T::StateTax, "JKBZ") != QLatin1String("0");
        FormBase::ShowWhole(ui_->edtJkbz, QString::fromUtf8(paidByBank ? "是" : "否"));
        FillIndustries(ui_->cbxGsSSHY, stored(T::StateTax, "SSHY"), stored(T::StateTax, "SSHYMC"));
    } else if (!model_.TaxRowFailed(T::StateTax)) {
        Shrink(ui_->gbStateTax);
    }
    if (model_.HasRow(T::LocalTax)) {
        ui_->gbLocalTax->show();
    } else if (!model_.TaxRowFailed(T::LocalTax)) {
        Shrink(ui_->gbLocalTax);
    }
    // A group without its row holds nothing to change.
    ui_->gbStateTax->setEnabled(model_.HasRow(T::StateTax));
    ui_->gbLocalTax->setEnabled(model_.HasRow(T::LocalTax));

    if (viewOnly_) {
        tbtnSave_->hide();
        tbtnSave_->setEnabled(false);
        FormBase::MakeFieldsReadOnly(ClientArea());
        for (QLineEdit* edit : {ui_->edtQysbh, ui_->edtDhhm, ui_->edtCzhm, ui_->edtYzbm,
                                ui_->edtYydz, ui_->edtDsSwdjzHm, ui_->edtSsdljg}) {
            edit->setEnabled(false);
        }
        ui_->cbxGsSSHY->setEnabled(false);
    }
}

void Tfrm_CompanyInfo::showEvent(QShowEvent* event) {
    ui_->labDisplayCompanyCodeName->setText(CompanyCodeCaption() + QStringLiteral("："));
    if (!placed_) {
        placed_ = true;
        if (QScreen* desktop = screen()) {
            const QRect area = desktop->availableGeometry();
            move(area.x() + (area.width() - width()) / 2,
                 area.y() + (desktop->geometry().height() - height()) / 2);
        }
        if (!viewOnly_) {
            ui_->edtYydz->setFocus();
        }
    }
    Tfrm_CustomDlg::showEvent(event);
}

bool Tfrm_CompanyInfo::SaveEdits() {
    tbtnSave_->setEnabled(false);
    struct Reenable {
        QToolButton* button;
        ~Reenable() { button->setEnabled(true); }
    } reenable{tbtnSave_};
    const TInfoSave save{model_,
                         fields_,
                         InfoWindow::Dialog,
                         HostContext().CompanyInfoVO,
                         [this] { done(mrReload); },
                         [this] { TellHostSaved(); }};
    return SaveCompanyInfo(save) != InfoSaveOutcome::Stopped;
}

void Tfrm_CompanyInfo::Save() {
    if (SaveEdits()) {
        done(mrOk);
    }
}

bool Tfrm_CompanyInfo::HasUnsavedEdits() {
    return !viewOnly_ && CollectInfoEdits(model_, fields_);
}

bool ShowCompanyInfoDialog(const QString& companyId, bool viewOnly) {
    // An id that is not a number names no row the company's query could read.
    if (!IsSqlInteger(companyId)) {
        return false;
    }
    for (;;) {
        TCompanyInfoModel company;
        if (company.Load(companyId) == TCompanyInfoModel::LoadResult::Failed) {
            return false;
        }
        // A reload opens the dialog anew, laid out for the rows as they are now.
        Tfrm_CompanyInfo dialog;
        dialog.Load(company, viewOnly);
        const int result = dialog.exec();
        if (result != Tfrm_CompanyInfo::mrReload) {
            return result == Tfrm_CompanyInfo::mrOk;
        }
    }
}
