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
    ui_->edtYzbm->setValidator(new TCharSetValidator(QStringLiteral("0123456789"), 0, this));
    // Any amount NUMERIC(19,2) holds: a sign, 17 digits, the point and cents.
    ui_->edtGsgbze->setMaxLength(21);
    FormBase::ShowReadOnlyFieldsAsSuch(ClientArea());
    resize(640, sizeHint().height() + ui_->gbLocalTax->maximumHeight() +
                    ui_->gbStateTax->maximumHeight() + 12);
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

void Tfrm_CompanyInfo::Load(const TCompanyInfoModel& company, bool viewOnly) {
    model_ = company;
    viewOnly_ = viewOnly;
    const auto stored = [this](InfoTable table, const char* column) {
        return model_.Stored(table, QLatin1String(column));
    };
    const std::pair<QLineEdit*, const char*> basic[] = {
        {ui_->edtQysbh, "QYSBH"}, {ui_->edtQymc, "QYMC"},     {ui_->edtZcdz, "ZCDZ"},
        {ui_->edtYydz, "YYDZ"},   {ui_->edtFddbr, "FDDBRMC"}, {ui_->edtCwfzr, "CWFZR"},
        {ui_->edtDhhm, "QYDHHM"}, {ui_->edtCzhm, "QYCZHM"},   {ui_->edtMail, "EMAIL"},
        {ui_->edtYzbm, "YZBM"},   {ui_->edtHymc, "HYMC"},
    };
    for (const auto& [edit, column] : basic) {
        FormBase::ShowWhole(edit, stored(T::Company, column));
    }
    loadedRows_.Take(model_.CompanyId());

    if (model_.HasRow(T::StateTax)) {
        ui_->gbStateTax->show();
        const std::pair<QLineEdit*, const char*> fields[] = {
            {ui_->edtGsNsrsbh, "NSRSBH"},    {ui_->edtGsNsrbm, "NSRBM"},
            {ui_->edtGsDjzclx, "DJZCLX_DM"}, {ui_->edtNsrlx, "NSRLX"},
            {ui_->edtNsrzt, "NSRZT"},        {ui_->edtGsZgswjg, "SSSWJG_DM"},
            {ui_->edtXydj, "XYDJ"},          {ui_->edtYfzdh, "ZDH"},
            {ui_->edtSsdljg, "SSDLJG"},      {ui_->edtKhyh, "KKYH"},
            {ui_->edtYhzh, "YHZH"},
        };
        for (const auto& [edit, column] : fields) {
            FormBase::ShowWhole(edit, stored(T::StateTax, column));
        }
        const bool paidByBank = stored(T::StateTax, "JKBZ") != QLatin1String("0");
        FormBase::ShowWhole(ui_->edtJkbz, QString::fromUtf8(paidByBank ? "是" : "否"));
        FillIndustries(ui_->cbxGsSSHY, stored(T::StateTax, "SSHY"), stored(T::StateTax, "SSHYMC"));
    } else if (!model_.TaxRowFailed(T::StateTax)) {
        Shrink(ui_->gbStateTax);
    }
    if (model_.HasRow(T::LocalTax)) {
        ui_->gbLocalTax->show();
        const std::pair<QLineEdit*, const char*> fields[] = {
            {ui_->edtKjywrbm, "KJYWRBM"},
            {ui_->edtDsNsrsbh, "NSRSBH"},
            {ui_->edtDsSwdjzHm, "NSRSBH"},
            {ui_->edtDsZgswjg, "ZGSWJGMC"},
            {ui_->edtJjlx, "DJZCLXMC"},
            // Shown as on the page, so the two windows agree.
            {ui_->edtDsSSHY, "HYMC"},
        };
        for (const auto& [edit, column] : fields) {
            FormBase::ShowWhole(edit, stored(T::LocalTax, column));
        }
        FormBase::ShowWhole(ui_->edtGsgbze, model_.ShownShareCapital());
    } else if (!model_.TaxRowFailed(T::LocalTax)) {
        Shrink(ui_->gbLocalTax);
    }

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

bool Tfrm_CompanyInfo::Collect() {
    model_.ClearEdits();
    const std::pair<const char*, QLineEdit*> basic[] = {
        {"QYSBH", ui_->edtQysbh}, {"QYDHHM", ui_->edtDhhm}, {"QYCZHM", ui_->edtCzhm},
        {"YZBM", ui_->edtYzbm},   {"EMAIL", ui_->edtMail},  {"YYDZ", ui_->edtYydz},
    };
    for (const auto& [column, edit] : basic) {
        model_.SetEdited(T::Company, QLatin1String(column), edit->text());
    }
    if (model_.HasRow(T::LocalTax)) {
        model_.SetEdited(T::LocalTax, QStringLiteral("NSRSBH"), ui_->edtDsSwdjzHm->text());
        model_.SetEdited(T::LocalTax, QStringLiteral("GSGBZE"), ui_->edtGsgbze->text());
    }
    if (model_.HasRow(T::StateTax)) {
        model_.SetEdited(T::StateTax, QStringLiteral("SSDLJG"), ui_->edtSsdljg->text());
        QString code, name;
        SelectedIndustry(ui_->cbxGsSSHY, code, name);
        model_.SetEdited(T::StateTax, QStringLiteral("SSHY"), code);
    }
    return model_.IsChanged();
}

bool Tfrm_CompanyInfo::SaveEdits() {
    tbtnSave_->setEnabled(false);
    struct Reenable {
        QToolButton* button;
        ~Reenable() { button->setEnabled(true); }
    } reenable{tbtnSave_};

    const bool changed = Collect();
    if (const auto failure = model_.Check()) {
        QLineEdit* fields[] = {ui_->edtQysbh, ui_->edtDhhm, ui_->edtCzhm,
                               ui_->edtMail,  ui_->edtYzbm, ui_->edtGsgbze};
        const char* columns[] = {"QYSBH", "QYDHHM", "QYCZHM", "EMAIL", "YZBM", "GSGBZE"};
        QLineEdit* field = ui_->edtQysbh;
        for (int i = 0; i < 6; ++i) {
            field = failure->column == QLatin1String(columns[i]) ? fields[i] : field;
        }
        if (failure->clearField) {
            field->clear();
        }
        if (failure->messageCode != 0) {
            ModuleLib::InforMsg(failure->messageCode, QString(), 1);
        } else {
            ModuleLib::InfoMsgBox(failure->messageText);
        }
        field->setFocus();
        if (!failure->clearField) {
            // Kept for correcting: an emptied share capital would save as 0.
            field->selectAll();
        }
        return false;
    }
    if (!changed) {
        return true;
    }
    if (!ConfirmRowsAsLoaded()) {
        return false;
    }
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const bool written =
        model_.Save(InfoWindow::Dialog, today) == TCompanyInfoModel::SaveResult::Saved;
    // What this dialog wrote is no other desk's change at the next save.
    loadedRows_.Take(model_.CompanyId());
    if (!written) {
        ModuleLib::InforMsg(InfoMessages::kSaveFailed,
                            QString::fromLatin1(InfoMessages::kSaveFailedDetail), 1);
        return false;
    }
    TellHostSaved();
    TDataVO* current = HostContext().CompanyInfoVO;
    if (ContextValues::IsCompany(current, model_.CompanyId())) {
        try {
            model_.RefreshCurrentCompany(*current, InfoWindow::Dialog, today);
        } catch (...) {
            ModuleLib::InforMsg(InfoMessages::kRefreshFailed,
                                QString::fromLatin1(InfoMessages::kRefreshFailedDetail), 1);
            return false;
        }
    }
    ModuleLib::InforMsg(InfoMessages::kSaved, QString(), 1);
    return true;
}

void Tfrm_CompanyInfo::Save() {
    if (SaveEdits()) {
        done(mrOk);
    }
}

bool Tfrm_CompanyInfo::HasUnsavedEdits() {
    return !viewOnly_ && Collect();
}

bool Tfrm_CompanyInfo::ConfirmRowsAsLoaded() {
    switch (CheckRowsAsLoaded(loadedRows_, model_.CompanyId())) {
        case RowsCheck::Write:
            return true;
        case RowsCheck::Reload:
            done(mrReload);
            return false;
        case RowsCheck::Unreadable:
            ModuleLib::InforMsg(InfoMessages::kSaveFailed,
                                QString::fromLatin1(InfoMessages::kSaveFailedDetail), 1);
            return false;
        case RowsCheck::Wait:
            break;
    }
    return false;
}

bool ShowCompanyInfoDialog(const QString& companyId, bool viewOnly) {
    if (companyId.trimmed().isEmpty()) {
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
