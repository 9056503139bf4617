#include "f_AdvSwitchCompay.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

#include "AgencySettings.h"
#include "ColorNumber.h"
#include "FlatHeaderView.h"
#include "FormBase.h"
#include "HostServices.h"
#include "ModuleForm.h"
#include "SearchableCompanyList.h"
#include "f_CommonUnit.h"
#include "ui_f_AdvSwitchCompay.h"

namespace {

constexpr int kColumnWidths[] = {39, 150, 258};

}  // namespace

TfrmAdvSwitchCompay::TfrmAdvSwitchCompay(QWidget* parent)
    : Tfrm_CustomDlgEx(parent), ui_(std::make_unique<Ui::frmAdvSwitchCompay>()) {
    ui_->setupUi(ClientArea());
    AddButton(ui_->btnSwitch);
    ui_->btnSwitch->setDefault(true);
    SetTitle(QStringLiteral("单位选择"), QStringLiteral("单位选择"));
    resize(500, 440);

    // The company manager's header: one painting for every list of the module.
    auto* header = new TFlatHeaderView(Qt::Horizontal, ui_->vstCompList);
    ui_->vstCompList->setHeader(header);
    list_ = new TSearchableCompanyList(
        ui_->vstCompList,
        {QStringLiteral("序号"), ReadCompanyCodeCaption(), QStringLiteral("单位名称")},
        [](const TCompanyRecord& entry, int shownRow, int column) {
            switch (column) {
                case 0:
                    return QString::number(shownRow + 1);
                case 1:
                    return entry.QYSBH();
                default:
                    return entry.QYMC();
            }
        },
        [](const QString& taxIdText, const QString& nameText, TAgcyCompanyInfoList& entries) {
            TAgencyMgr* agency = AgencySettings::CurrentAgency();
            if (agency == nullptr) {
                // Not an agency installation (or no company loaded): nothing to list.
                entries.clear();
                return true;
            }
            return agency->ListServedCompanies(taxIdText, nameText, entries);
        },
        this);
    list_->SetFilterFields(ui_->edtSbh, ui_->edtName);
    list_->UseForChoosing();
    connect(list_, &TSearchableCompanyList::ChooseAsked, this, &TfrmAdvSwitchCompay::Switch);
    // The name takes what width the list has beyond the set widths.
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidths)); ++column) {
        header->resizeSection(column, kColumnWidths[column]);
    }

    setTabOrder(ui_->edtSbh, ui_->edtName);
    setTabOrder(ui_->edtName, ui_->btnQuery);
    setTabOrder(ui_->btnQuery, ui_->vstCompList);
    setTabOrder(ui_->vstCompList, ui_->btnSwitch);
    setTabOrder(ui_->btnSwitch, sBtnClose());

    connect(ui_->btnQuery, &QPushButton::clicked, this, &TfrmAdvSwitchCompay::Search);
    connect(ui_->btnSwitch, &QPushButton::clicked, this, &TfrmAdvSwitchCompay::Switch);

    FormCreate();
    // Whole taxpayer numbers, in the skin's font: up to 20 characters, in
    // bold for the recent companies, and a character's room to spare.
    QFont bold = ui_->vstCompList->font();
    bold.setBold(true);
    const int numberWidth = QFontMetrics(bold).horizontalAdvance(QString(21, QLatin1Char('8')));
    const int grow = numberWidth - header->sectionSize(1);
    if (grow > 0) {
        header->resizeSection(1, numberWidth);
        resize(width() + grow, height());
    }
}

TfrmAdvSwitchCompay::~TfrmAdvSwitchCompay() = default;

void TfrmAdvSwitchCompay::ApplySkin() {
    Tfrm_CustomDlgEx::ApplySkin();
    // The search panel (tag -1) sits on the dialog's frame in the module colour.
    const QColor background = ColorFromTColor(ModuleLib::gclModuleBackColor());
    for (QFrame* panel : findChildren<QFrame*>()) {
        if (panel->property("tag").toInt() == -1) {
            FormBase::SetBackgroundColor(panel, background);
        }
    }
}

void TfrmAdvSwitchCompay::showEvent(QShowEvent* event) {
    Tfrm_CustomDlgEx::showEvent(event);
    if (!list_->Loaded()) {
        list_->UseRecent(QString());
        queryLength_ = ReadQueryLength();
        list_->SetTailMatch(queryLength_);
        // Where he types, the operator sees that a short number is the end of one.
        ui_->edtSbh->setPlaceholderText(
            QStringLiteral("输入纳税人识别号后%1位（或其开头几位）").arg(queryLength_));
        ui_->edtSbh->setToolTip(TailMatchRule());
        list_->Load(QString(), QString());
        // As in the selection dialog.
        ui_->edtSbh->setFocus();
    }
}

void TfrmAdvSwitchCompay::Search() {
    const QString taxId = ui_->edtSbh->text().trimmed();
    const QString name = ui_->edtName->text().trimmed();
    if (!list_->Load(taxId, name) || list_->ShownCount() > 0 ||
        (taxId.isEmpty() && name.isEmpty())) {
        return;
    }
    ModuleLib::InfoMsgBox(taxId.isEmpty() ? QStringLiteral("未找到。")
                                          : QStringLiteral("未找到。") + TailMatchRule());
}

QString TfrmAdvSwitchCompay::TailMatchRule() const {
    return QStringLiteral("不超过%1位的识别号与号码后%1位的开头比对，更长的在整个号码中查找。")
        .arg(queryLength_);
}

void TfrmAdvSwitchCompay::Switch() {
    if (list_->ShownCount() == 0) {
        return;
    }
    const TAgcyCompanyInfo* selected = list_->Selected();
    if (selected == nullptr) {
        ModuleLib::InfoMsgBox(QStringLiteral("选择后再进行切换。"));
        return;
    }
    choice_ = *selected;
    list_->Remember(*choice_);
    done(mrOk);
}

bool ChooseServedCompany(TAgcyCompanyInfo& chosen) {
    if (!ModuleGuiAvailable()) {
        return false;
    }
    TfrmAdvSwitchCompay dialog;
    if (dialog.exec() != TfrmAdvSwitchCompay::mrOk || !dialog.Choice()) {
        return false;
    }
    chosen = *dialog.Choice();
    return true;
}
