#include "f_CompanyInfo.h"

#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

#include "ColorNumber.h"
#include "ContextValues.h"
#include "HostServices.h"
#include "ShareCapital.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"
#include "ui_f_CompanyInfo.h"

namespace {

constexpr int kSaveFailed = 106018;
constexpr const char* kSaveFailedDetail = "70019507";
constexpr int kSaved = 106019;
constexpr int kRefreshFailed = 106020;
constexpr const char* kRefreshFailedDetail = "70019508";
constexpr int kCompanyCodeMissing = 106021;
constexpr int kPhoneInvalid = 106022;
constexpr int kFaxInvalid = 106023;
constexpr int kEmailInvalid = 106024;
const QString kPostCodeInvalid = QStringLiteral("请输入的正确的邮政编码。");
const QString kIndustryFile = QStringLiteral("AppComs/Dmzd/hy.txt");

// The post code takes digits, backspace, Enter and Esc from the keyboard;
// focus keys still move on.
class TPostCodeKeys : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Backspace:
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                return false;
            default:
                break;
        }
        const QString text = key->text();
        const bool digit = text.size() == 1 && text[0] >= QLatin1Char('0') &&
                           text[0] <= QLatin1Char('9') && key->modifiers() == Qt::NoModifier;
        return !digit;
    }
};

// A stored text longer than its field stays whole: Qt would cut it to the
// field's maximum length, and the save would write the cut text back.
void SetWhole(QLineEdit* edit, const QString& text) {
    if (text.size() > edit->maxLength()) {
        edit->setMaxLength(static_cast<int>(text.size()));
    }
    edit->setText(text);
    edit->setCursorPosition(0);
}

void ClearAndFocus(QLineEdit* edit) {
    edit->clear();
    edit->setFocus();
}

// The industry file in UTF-8, or else in the legacy code page.
QStringList ReadIndustryLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder gbk("GB18030", QStringDecoder::Flag::Stateless);
        text = gbk.decode(bytes);
    }
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        while (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    return lines;
}

QString CodeOf(const QString& entry) {
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : entry.left(bar);
}

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
    tbtnSave_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    tbtnClose_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    for (QToolButton* button : {tbtnSave_, tbtnClose_}) {
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setMinimumWidth(75);
        band->addWidget(button);
    }
    band->addStretch(1);

    ui_->edtYzbm->installEventFilter(new TPostCodeKeys(ui_->edtYzbm));
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

void Tfrm_CompanyInfo::Load(const CompanyInfoDialog::TLoaded& company, bool viewOnly) {
    loaded_ = company;
    viewOnly_ = viewOnly;
    SetWhole(ui_->edtQysbh, loaded_.QYSBH);
    SetWhole(ui_->edtQymc, loaded_.QYMC);
    SetWhole(ui_->edtZcdz, loaded_.ZCDZ);
    SetWhole(ui_->edtYydz, loaded_.YYDZ);
    SetWhole(ui_->edtFddbr, loaded_.FDDBRMC);
    SetWhole(ui_->edtCwfzr, loaded_.CWFZR);
    SetWhole(ui_->edtDhhm, loaded_.QYDHHM);
    SetWhole(ui_->edtCzhm, loaded_.QYCZHM);
    SetWhole(ui_->edtMail, loaded_.EMAIL);
    SetWhole(ui_->edtYzbm, loaded_.YZBM);
    SetWhole(ui_->edtHymc, loaded_.HYMC);

    bool stateTaxFailed = false;
    bool localTaxFailed = false;
    CompanyInfoDialog::LoadTaxRows(loaded_, stateTaxFailed, localTaxFailed);
    loadedRows_.Take(loaded_.QYID);

    if (loaded_.hasStateTax) {
        ui_->gbStateTax->show();
        SetWhole(ui_->edtGsNsrsbh, loaded_.GsNSRSBH);
        SetWhole(ui_->edtGsNsrbm, loaded_.NSRBM);
        SetWhole(ui_->edtGsDjzclx, loaded_.DJZCLX_DM);
        SetWhole(ui_->edtNsrlx, loaded_.NSRLX);
        SetWhole(ui_->edtNsrzt, loaded_.NSRZT);
        SetWhole(ui_->edtGsZgswjg, loaded_.SSSWJG_DM);
        SetWhole(ui_->edtXydj, loaded_.XYDJ);
        SetWhole(ui_->edtYfzdh, loaded_.ZDH);
        const bool paidByBank = loaded_.JKBZ != QLatin1String("0");
        SetWhole(ui_->edtJkbz, QString::fromUtf8(paidByBank ? "是" : "否"));
        SetWhole(ui_->edtSsdljg, loaded_.SSDLJG);
        SetWhole(ui_->edtKhyh, loaded_.KKYH);
        SetWhole(ui_->edtYhzh, loaded_.YHZH);
        FillIndustries();
    } else if (!stateTaxFailed) {
        Shrink(ui_->gbStateTax);
    }
    if (loaded_.hasLocalTax) {
        ui_->gbLocalTax->show();
        SetWhole(ui_->edtKjywrbm, loaded_.KJYWRBM);
        SetWhole(ui_->edtDsNsrsbh, loaded_.DsNSRSBH);
        SetWhole(ui_->edtDsSwdjzHm, loaded_.DsNSRSBH);
        SetWhole(ui_->edtDsZgswjg, loaded_.ZGSWJGMC);
        SetWhole(ui_->edtJjlx, loaded_.DJZCLXMC);
        // Shown as on the page, so the two windows agree.
        SetWhole(ui_->edtDsSSHY, loaded_.DsHYMC);
        SetWhole(ui_->edtGsgbze, loaded_.shareCapital);
    } else if (!localTaxFailed) {
        Shrink(ui_->gbLocalTax);
    }

    if (viewOnly_) {
        tbtnSave_->hide();
        tbtnSave_->setEnabled(false);
        for (QLineEdit* edit : {ui_->edtQysbh, ui_->edtDhhm, ui_->edtCzhm, ui_->edtYzbm,
                                ui_->edtYydz, ui_->edtDsSwdjzHm, ui_->edtSsdljg}) {
            edit->setEnabled(false);
            edit->setReadOnly(true);
        }
        ui_->cbxGsSSHY->setEnabled(false);
    }
}

// The stored industry is matched exactly on its code. When no entry has it
// (or the file is missing) the stored code and name show as the first entry,
// so that a save writes the company's industry back unchanged.
void Tfrm_CompanyInfo::FillIndustries() {
    QComboBox* list = ui_->cbxGsSSHY;
    list->clear();
    list->addItems(
        ReadIndustryLines(EnsureTrailingBackslash(ModuleLib::GetAppPath()) + kIndustryFile));
    int match = -1;
    for (int i = 0; i < list->count() && !loaded_.SSHY.isEmpty(); ++i) {
        if (CodeOf(list->itemText(i)) == loaded_.SSHY) {
            match = i;
            break;
        }
    }
    if (match < 0) {
        QString stored;
        if (!loaded_.SSHY.isEmpty() || !loaded_.SSHYMC.isEmpty()) {
            stored = loaded_.SSHY + QLatin1Char('|') + loaded_.SSHYMC;
        }
        list->insertItem(0, stored);
        match = 0;
    }
    list->setCurrentIndex(match);
}

QString Tfrm_CompanyInfo::SelectedIndustryCode() const {
    if (ui_->cbxGsSSHY->currentIndex() < 0) {
        return QString();
    }
    return CodeOf(ui_->cbxGsSSHY->currentText());
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

CompanyInfoDialog::TEntered Tfrm_CompanyInfo::Entered() const {
    CompanyInfoDialog::TEntered entered;
    entered.QYSBH = ui_->edtQysbh->text();
    entered.QYDHHM = ui_->edtDhhm->text();
    entered.QYCZHM = ui_->edtCzhm->text();
    entered.YZBM = ui_->edtYzbm->text();
    entered.EMAIL = ui_->edtMail->text();
    entered.YYDZ = ui_->edtYydz->text();
    entered.taxRegistrationNumber = ui_->edtDsSwdjzHm->text();
    entered.shareCapital = ui_->edtGsgbze->text();
    entered.SSDLJG = ui_->edtSsdljg->text();
    entered.SSHY = SelectedIndustryCode();
    return entered;
}

void Tfrm_CompanyInfo::Save() {
    using CompanyInfoDialog::Check;
    tbtnSave_->setEnabled(false);
    struct Reenable {
        QToolButton* button;
        ~Reenable() { button->setEnabled(true); }
    } reenable{tbtnSave_};

    const CompanyInfoDialog::TEntered entered = Entered();
    switch (CompanyInfoDialog::CheckInput(entered, loaded_.hasLocalTax)) {
        case Check::Ok:
            break;
        case Check::MissingCompanyCode:
            ModuleLib::InforMsg(kCompanyCodeMissing, QString(), 1);
            ui_->edtQysbh->setFocus();
            return;
        case Check::BadPhone:
            ModuleLib::InforMsg(kPhoneInvalid, QString(), 1);
            ClearAndFocus(ui_->edtDhhm);
            return;
        case Check::BadFax:
            ModuleLib::InforMsg(kFaxInvalid, QString(), 1);
            ClearAndFocus(ui_->edtCzhm);
            return;
        case Check::BadEmail:
            ModuleLib::InforMsg(kEmailInvalid, QString(), 1);
            ClearAndFocus(ui_->edtMail);
            return;
        case Check::BadPostCode:
            ModuleLib::InfoMsgBox(kPostCodeInvalid);
            ClearAndFocus(ui_->edtYzbm);
            return;
        case Check::BadShareCapital:
            // Kept for correcting: an emptied field would save as 0.
            ModuleLib::InfoMsgBox(ShareCapitalInvalidMessage());
            ui_->edtGsgbze->setFocus();
            ui_->edtGsgbze->selectAll();
            return;
    }

    const CompanyInfoDialog::TChanges changes = CompanyInfoDialog::Compare(loaded_, entered);
    if (!changes.any) {
        done(mrOk);
        return;
    }
    if (!ConfirmRowsAsLoaded()) {
        return;
    }
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QString failed;
    const CompanyInfoDialog::SaveResult result = CompanyInfoDialog::RunStatements(
        CompanyInfoDialog::SaveStatements(loaded_, entered, today), failed);
    // What this dialog wrote is no other desk's change at the next save.
    loadedRows_.Take(loaded_.QYID);
    if (result != CompanyInfoDialog::SaveResult::Saved) {
        if (failed.isEmpty()) {
            failed = QStringLiteral("单位编号不是数字");
        }
        logQuery::Error(QStringLiteral("1"), QStringLiteral("单位信息保存失败：") + failed);
        ModuleLib::InforMsg(kSaveFailed, QString::fromLatin1(kSaveFailedDetail), 1);
        return;
    }
    TDataVO* current = HostContext().CompanyInfoVO;
    if (!ContextValues::IsCompany(current, loaded_.QYID)) {
        ModuleLib::InforMsg(kSaved, QString(), 1);
        done(mrOk);
        return;
    }
    if (!CompanyInfoDialog::RefreshCurrentCompany(current, loaded_, entered, changes.localTax,
                                                  today)) {
        ModuleLib::InforMsg(kRefreshFailed, QString::fromLatin1(kRefreshFailedDetail), 1);
        return;
    }
    ModuleLib::InforMsg(kSaved, QString(), 1);
    done(mrOk);
}

bool Tfrm_CompanyInfo::ConfirmRowsAsLoaded() {
    switch (CheckRowsAsLoaded(loadedRows_, loaded_.QYID)) {
        case RowsCheck::Write:
            return true;
        case RowsCheck::Reload:
            done(mrReload);
            return false;
        case RowsCheck::Unreadable:
            ModuleLib::InforMsg(kSaveFailed, QString::fromLatin1(kSaveFailedDetail), 1);
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
        CompanyInfoDialog::TLoaded company;
        if (CompanyInfoDialog::LoadCompany(companyId, company) ==
            CompanyInfoDialog::LoadResult::Failed) {
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
