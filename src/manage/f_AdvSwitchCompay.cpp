#include "f_AdvSwitchCompay.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

#include "AgencySettings.h"
#include "ColorNumber.h"
#include "CompanyListModel.h"
#include "FlatHeaderView.h"
#include "FormBase.h"
#include "HostServices.h"
#include "ModuleForm.h"
#include "RecentCompanies.h"
#include "f_CommonUnit.h"
#include "ui_f_AdvSwitchCompay.h"

namespace {

constexpr int kColumnWidths[] = {39, 150, 258};

bool IsKey(const QEvent* event, std::initializer_list<int> keys) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

TfrmAdvSwitchCompay::TfrmAdvSwitchCompay(QWidget* parent)
    : Tfrm_CustomDlgEx(parent),
      ui_(std::make_unique<Ui::frmAdvSwitchCompay>()),
      model_(new TCompanyListModel(
          {QStringLiteral("序号"), ReadCompanyCodeCaption(), QStringLiteral("单位名称")},
          [this] { return static_cast<int>(rows_.size()); },
          [this](int row, int column) {
              const TAgcyCompanyInfo& entry =
                  entries_[static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)])];
              switch (column) {
                  case 0:
                      return QString::number(row + 1);
                  case 1:
                      return entry.QYSBH();
                  default:
                      return entry.QYMC();
              }
          },
          this)) {
    model_->SetRowMarked(
        [this](int row) { return index_.RecentRank(rows_[static_cast<std::size_t>(row)]) >= 0; });
    ui_->setupUi(ClientArea());
    AddButton(ui_->btnSwitch);
    SetTitle(QStringLiteral("单位选择"), QStringLiteral("单位选择"));
    resize(500, 440);

    // The company manager's header: one painting for every list of the module.
    auto* header = new TFlatHeaderView(Qt::Horizontal, ui_->vstCompList);
    ui_->vstCompList->setHeader(header);
    ui_->vstCompList->setModel(model_);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidths)); ++column) {
        header->resizeSection(column, kColumnWidths[column]);
    }
    ui_->vstCompList->viewport()->installEventFilter(this);

    setTabOrder(ui_->edtSbh, ui_->edtName);
    setTabOrder(ui_->edtName, ui_->btnQuery);
    setTabOrder(ui_->btnQuery, ui_->vstCompList);
    setTabOrder(ui_->vstCompList, ui_->btnSwitch);
    setTabOrder(ui_->btnSwitch, sBtnClose());

    connect(ui_->btnQuery, &QPushButton::clicked, this, &TfrmAdvSwitchCompay::Search);
    ui_->edtSbh->installEventFilter(this);
    ui_->edtName->installEventFilter(this);
    connect(ui_->edtSbh, &QLineEdit::textChanged, this, &TfrmAdvSwitchCompay::Narrow);
    connect(ui_->edtName, &QLineEdit::textChanged, this, &TfrmAdvSwitchCompay::Narrow);
    connect(ui_->btnSwitch, &QPushButton::clicked, this, &TfrmAdvSwitchCompay::Switch);

    FormCreate();
}

TfrmAdvSwitchCompay::~TfrmAdvSwitchCompay() {
    // The base's destructor hides a visible dialog, and the list would then
    // read rows from entries that are already gone.
    delete model_;
}

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
    if (!loaded_) {
        loaded_ = true;
        recent_ = RecentCompanies::Read();
        queryLength_ = ReadQueryLength();
        Load(QString(), QString());
    }
}

bool TfrmAdvSwitchCompay::eventFilter(QObject* watched, QEvent* event) {
    // The filter fields keep the focus: the arrows move in the list, Enter
    // switches to the company the list has selected.
    if (watched == ui_->edtSbh || watched == ui_->edtName) {
        if (IsKey(event, {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown})) {
            QCoreApplication::sendEvent(ui_->vstCompList, event);
            return true;
        }
        if (IsKey(event, {Qt::Key_Return, Qt::Key_Enter})) {
            Switch();
            return true;
        }
    }
    if (watched == ui_->vstCompList->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Switch();
        return true;
    }
    return Tfrm_CustomDlgEx::eventFilter(watched, event);
}

void TfrmAdvSwitchCompay::Load(const QString& taxIdText, const QString& nameText) {
    TAgencyMgr* agency = AgencySettings::CurrentAgency();
    if (agency == nullptr) {
        // Not an agency installation (or no company loaded): nothing to list.
        model_->Reset([this] {
            entries_.clear();
            rows_.clear();
            index_.Assign(entries_);
            index_.PrepareSoon(this);
        });
        return;
    }
    TAgcyCompanyInfoList found;
    if (!agency->ListServedCompanies(taxIdText.trimmed(), nameText.trimmed(), found)) {
        return;  // the host's query service has reported it; the list stays
    }
    // A narrower listing replaces the full one: what the operator may choose
    // is kept from the full one first.
    KeepVisibleIds();
    model_->Reset([&] {
        entries_ = std::move(found);
        fullList_ = taxIdText.trimmed().isEmpty() && nameText.trimmed().isEmpty();
        index_.Assign(entries_);
        index_.PrepareSoon(this);
        index_.SetRecent(recent_);
        rows_ = index_.Filter(CurrentSearch());
    });
    if (!rows_.empty()) {
        ui_->vstCompList->setCurrentIndex(model_->index(0, 0));
    }
}

void TfrmAdvSwitchCompay::KeepVisibleIds() {
    // A narrower listing keeps the ids of the full one before it.
    if (!fullList_) {
        return;
    }
    visibleIds_.clear();
    for (const TAgcyCompanyInfo& entry : entries_) {
        visibleIds_.insert(entry.Field(CompanyField::QYID).trimmed());
    }
}

TCompanySearch TfrmAdvSwitchCompay::CurrentSearch() const {
    return {ui_->edtSbh->text(), ui_->edtName->text(), true, queryLength_};
}

void TfrmAdvSwitchCompay::Narrow() {
    if (!loaded_) {
        return;
    }
    // Typing searches every served company again, also after the query
    // button listed fewer: one query, then each key filters in memory.
    if (!fullList_) {
        Load(QString(), QString());
        return;
    }
    model_->Reset([&] { rows_ = index_.Filter(CurrentSearch()); });
    if (!rows_.empty()) {
        ui_->vstCompList->setCurrentIndex(model_->index(0, 0));
    }
}

void TfrmAdvSwitchCompay::Search() {
    Load(ui_->edtSbh->text().trimmed(), ui_->edtName->text().trimmed());
}

void TfrmAdvSwitchCompay::Switch() {
    if (rows_.empty()) {
        return;
    }
    // Selected rows are rows of the model, which shows rows_.
    const QModelIndexList rows = ui_->vstCompList->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        ModuleLib::InfoMsgBox(QStringLiteral("选择后再进行切换。"));
        return;
    }
    const int row = rows.first().row();
    choice_ = entries_[static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)])];
    KeepVisibleIds();
    RecentCompanies::Remember(choice_->QYID(), visibleIds_);
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
