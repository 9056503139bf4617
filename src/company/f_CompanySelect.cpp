#include "f_CompanySelect.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "ColorNumber.h"
#include "CompanyListModel.h"
#include "CompanySelectMgr.h"
#include "FormBase.h"
#include "HostServices.h"
#include "ModuleForm.h"
#include "RecentCompanies.h"
#include "f_CommonUnit.h"
#include "f_Status.h"
#include "ui_f_CompanySelect.h"

namespace {

constexpr int kNoCompanySelected = 106004;
constexpr const char* kSingleCompanyEdition = "10";

bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Keys a filter field passes to the list, so the focus stays where he types.
bool IsListMoveKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    switch (static_cast<const QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

bool IsLeftDoubleClick(const QEvent* event) {
    return event->type() == QEvent::MouseButtonDblClick &&
           static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
}

}  // namespace

Tfrm_CompanySelect::Tfrm_CompanySelect(TCompanySelectMgr& manager, QWidget* parent)
    : Tfrm_CustomDlgEx(parent),
      ui_(std::make_unique<Ui::frm_CompanySelect>()),
      manager_(manager),
      model_(new TCompanyListModel(
          {QStringLiteral("纳税人识别号"), QStringLiteral("单位名称")},
          [this] { return static_cast<int>(rows_.size()); },
          [this](int row, int column) {
              const TCompanyRecord& record =
                  *records_[static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)])];
              return column == 0 ? record.QYSBH() : record.QYMC();
          },
          this)) {
    model_->SetRowMarked(
        [this](int row) { return index_.RecentRank(rows_[static_cast<std::size_t>(row)]) >= 0; });
    ui_->setupUi(ClientArea());
    AddButton(ui_->sBtnConfirm);
    sBtnClose()->setText(QStringLiteral("取消"));
    sBtnClose()->setAutoDefault(false);
    SetTitle(QStringLiteral("单位选择"), QStringLiteral("单位选择"));
    resize(480, 440);

    ui_->vstCompList->setModel(model_);
    // The name column takes what the number column leaves, so both always
    // fit beside the vertical scroll bar.
    QHeaderView* header = ui_->vstCompList->header();
    header->setSectionsMovable(false);
    header->setStretchLastSection(true);
    header->resizeSection(0, 170);
    ui_->vstCompList->installEventFilter(this);
    ui_->vstCompList->viewport()->installEventFilter(this);

    setTabOrder(ui_->sBtnConfirm, sBtnClose());
    setTabOrder(sBtnClose(), ui_->edtSbh);
    setTabOrder(ui_->edtSbh, ui_->edtName);
    setTabOrder(ui_->edtName, ui_->btnQuery);
    setTabOrder(ui_->btnQuery, ui_->vstCompList);

    ui_->edtSbh->installEventFilter(this);
    ui_->edtName->installEventFilter(this);
    connect(ui_->edtSbh, &QLineEdit::textChanged, this, &Tfrm_CompanySelect::Narrow);
    connect(ui_->edtName, &QLineEdit::textChanged, this, &Tfrm_CompanySelect::Narrow);
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
    if (filled_) {
        return;
    }
    filled_ = true;
    recent_ = RecentCompanies::Read(manager_.OperatorCode());
    Fill(QString(), QString());
    HideStatus();
    ui_->vstCompList->setFocus();
}

bool Tfrm_CompanySelect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->edtSbh || watched == ui_->edtName) {
        if (IsListMoveKey(event)) {
            QCoreApplication::sendEvent(ui_->vstCompList, event);
            return true;
        }
        if (IsEnterKey(event)) {
            if (SelectedRecord() != nullptr) {
                Accept();
            }
            return true;
        }
    }
    if (watched == ui_->vstCompList && IsEnterKey(event)) {
        if (SelectedRecord() != nullptr) {
            Accept();
        }
        return true;
    }
    // A double-click anywhere on the list, rows or empty space, is the
    // confirm button's click.
    if (watched == ui_->vstCompList->viewport() && IsLeftDoubleClick(event)) {
        Accept();
        return true;
    }
    return Tfrm_CustomDlgEx::eventFilter(watched, event);
}

void Tfrm_CompanySelect::KeepVisibleIds() {
    // A narrower listing keeps the ids of the full one before it.
    if (!fullList_) {
        return;
    }
    visibleIds_.clear();
    for (const auto& record : records_) {
        visibleIds_.insert(record->Field(CompanyField::QYID).trimmed());
    }
}

TCompanySearch Tfrm_CompanySelect::CurrentSearch() const {
    return {ui_->edtSbh->text(), ui_->edtName->text()};
}

void Tfrm_CompanySelect::Fill(const QString& taxIdText, const QString& nameText) {
    // A narrower listing replaces the full one: what the operator may choose
    // is kept from the full one first.
    KeepVisibleIds();
    model_->Reset([&] {
        const bool listed = manager_.FillCompanyList(&records_, taxIdText, nameText);
        fullList_ = listed && taxIdText.isEmpty() && nameText.isEmpty();
        index_.Assign(records_);
        index_.PrepareSoon(this);
        index_.SetRecent(recent_);
        rows_ = index_.Filter(CurrentSearch());
    });
    // As on opening: the first row (the last company chosen) is current and selected.
    if (!rows_.empty()) {
        ui_->vstCompList->setCurrentIndex(model_->index(0, 0));
    }
}

void Tfrm_CompanySelect::Narrow() {
    if (!filled_) {
        return;  // the first listing comes when the dialog shows
    }
    // Typing searches every company again, also after the query button
    // listed fewer: one query, then each key filters in memory.
    if (!fullList_) {
        Fill(QString(), QString());
        return;
    }
    model_->Reset([&] { rows_ = index_.Filter(CurrentSearch()); });
    if (!rows_.empty()) {
        ui_->vstCompList->setCurrentIndex(model_->index(0, 0));
    }
}

void Tfrm_CompanySelect::Search() {
    Fill(ui_->edtSbh->text().trimmed(), ui_->edtName->text().trimmed());
}

const TCompanyRecord* Tfrm_CompanySelect::SelectedRecord() const {
    // The selection holds rows of the model, which has as many as rows_: both
    // change only inside a reset, which clears the selection.
    const QModelIndexList selected = ui_->vstCompList->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return nullptr;
    }
    const auto row = static_cast<std::size_t>(selected.first().row());
    return records_[static_cast<std::size_t>(rows_[row])].get();
}

void Tfrm_CompanySelect::Accept() {
    ui_->sBtnConfirm->setEnabled(false);
    if (const TCompanyRecord* record = SelectedRecord()) {
        result_ = *record;
        KeepVisibleIds();
        RecentCompanies::Remember(result_.QYID(), visibleIds_, manager_.OperatorCode());
        ui_->sBtnConfirm->setEnabled(true);
        done(mrOk);
        return;
    }
    ModuleLib::InforMsg(kNoCompanySelected, QString(), 1);
    ui_->sBtnConfirm->setEnabled(true);
}

SelectOutcome ChooseCompany(TCompanySelectMgr& manager, TCompanyRecord& chosen) {
    int count = manager.CountCompanies(QString(), QString());
    if (ModuleLib::gsAppVerTypeCode() == QLatin1String(kSingleCompanyEdition) && count > 1) {
        count = 1;
    }
    if (count <= 0) {
        return SelectOutcome::NoCompany;
    }
    if (count == 1) {
        TCompanyRecordArray records;
        // The company may have gone between counting and listing.
        if (!manager.ListCompanies(QString(), QString(), records) || records.empty()) {
            return SelectOutcome::NoCompany;
        }
        chosen = records.front();
        // Taken without the dialog, it is still the operator's last company.
        QSet<QString> visible;
        for (const TCompanyRecord& record : records) {
            visible.insert(record.Field(CompanyField::QYID).trimmed());
        }
        RecentCompanies::Remember(chosen.QYID(), visible, manager.OperatorCode());
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
