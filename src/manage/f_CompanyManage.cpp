#include "f_CompanyManage.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QSet>
#include <QSignalBlocker>
#include <QStyle>

#include "CompanyCsv.h"
#include "CompanyDelete.h"
#include "CompanyListLoader.h"
#include "CompanyListModel.h"
#include "ContextValues.h"
#include "CsvFileTypes.h"
#include "FlatHeaderView.h"
#include "HostServices.h"
#include "ParamString.h"
#include "f_CommonUnit.h"
#include "f_CompanyAdd.h"
#include "f_CompanyImport.h"
#include "f_DataVO.h"
#include "ui_f_CompanyManage.h"

namespace {

constexpr int kNothingSelected = 106004;
constexpr int kCompanyAdded = 106017;
// The host's company information pages.
constexpr const char* kCompanyInfoFunction = "01004-01-16-00-00";
constexpr int kTaxIdColumnWidth = 250;
constexpr int kNameColumnWidth = 500;

TPSession* Session(const TDataVO* user) {
    if (user == nullptr) {
        return nullptr;
    }
    return dynamic_cast<TPSession*>(user->GetObjValue("TPSession"));
}

QSet<QWidget*> OpenPages() {
    QSet<QWidget*> pages;
    for (QWidget* widget : QApplication::allWidgets()) {
        // By class name: a page of another module has a base of its own.
        if (widget->inherits("Tfrm_Custom")) {
            pages.insert(widget);
        }
    }
    return pages;
}

}  // namespace

Tfrm_CompanyManage::Tfrm_CompanyManage(QWidget* parent)
    : Tfrm_CustomEx(parent),
      ui_(std::make_unique<Ui::frm_CompanyManage>()),
      model_(new TCompanyListModel(
          {QStringLiteral("纳税人识别号"), QStringLiteral("单位名称")},
          [this] { return static_cast<int>(rows_.size()); },
          [this](int row, int column) {
              const TCompanyRecord& record =
                  companies_[static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)])];
              return record.Field(column == 0 ? CompanyField::QYSBH : CompanyField::QYMC);
          },
          this)) {
    setObjectName(QStringLiteral("frm_CompanyManage"));
    ui_->setupUi(ClientArea());
    setWindowTitle(QStringLiteral("企业管理"));

    QStyle* look = style();
    ui_->actQuery->setIcon(look->standardIcon(QStyle::SP_FileDialogContentsView));
    ui_->actCompanyAdd->setIcon(look->standardIcon(QStyle::SP_FileIcon));
    ui_->actCompanyDel->setIcon(look->standardIcon(QStyle::SP_TrashIcon));
    ui_->actCompanyInfoEdit->setIcon(look->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui_->actExport->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
    ui_->actImport->setIcon(look->standardIcon(QStyle::SP_DialogOpenButton));
    const std::pair<QAction*, const char*> buttons[] = {
        {ui_->actQuery, "tbtQuery"},           {ui_->actCompanyAdd, "tbtCompanyAdd"},
        {ui_->actCompanyDel, "tbtCompanyDel"}, {ui_->actCompanyInfoEdit, "tbtCompanyInfoEdit"},
        {ui_->actExport, "tbtExport"},         {ui_->actImport, "tbtImport"},
    };
    for (const auto& [action, name] : buttons) {
        AddToolAction(action, QLatin1String(name));
    }

    auto* header = new TFlatHeaderView(Qt::Horizontal, ui_->vstCompList);
    ui_->vstCompList->setHeader(header);
    ui_->vstCompList->setModel(model_);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->resizeSection(0, kTaxIdColumnWidth);
    header->resizeSection(1, kNameColumnWidth);

    connect(ui_->actQuery, &QAction::toggled, ui_->pnlFind, &QWidget::setVisible);
    ui_->pnlFind->installEventFilter(this);
    connect(ui_->sBtnFind, &QPushButton::clicked, this, &Tfrm_CompanyManage::Search);
    connect(ui_->sBtnClear, &QPushButton::clicked, this, &Tfrm_CompanyManage::Reset);
    connect(ui_->edtQysbh, &QLineEdit::returnPressed, this, &Tfrm_CompanyManage::Search);
    connect(ui_->edtQymc, &QLineEdit::returnPressed, this, &Tfrm_CompanyManage::Search);
    connect(ui_->edtQysbh, &QLineEdit::textChanged, this, &Tfrm_CompanyManage::Narrow);
    connect(ui_->edtQymc, &QLineEdit::textChanged, this, &Tfrm_CompanyManage::Narrow);
    ui_->edtQysbh->installEventFilter(this);
    ui_->edtQymc->installEventFilter(this);
    connect(ui_->actCompanyAdd, &QAction::triggered, this, &Tfrm_CompanyManage::Add);
    connect(ui_->actCompanyDel, &QAction::triggered, this, &Tfrm_CompanyManage::Delete);
    connect(ui_->actCompanyInfoEdit, &QAction::triggered, this, &Tfrm_CompanyManage::Modify);
    connect(ui_->actExport, &QAction::triggered, this, &Tfrm_CompanyManage::Export);
    connect(ui_->actImport, &QAction::triggered, this, &Tfrm_CompanyManage::Import);
    connect(ui_->vstCompList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex&) { Modify(); });
    QItemSelectionModel* selection = ui_->vstCompList->selectionModel();
    connect(selection, &QItemSelectionModel::selectionChanged, this,
            &Tfrm_CompanyManage::UpdateActions);
    connect(selection, &QItemSelectionModel::currentChanged, this,
            &Tfrm_CompanyManage::UpdateActions);

    FormCreate();
}

Tfrm_CompanyManage::~Tfrm_CompanyManage() = default;

void Tfrm_CompanyManage::FormCreate() {
    Tfrm_CustomEx::FormCreate();
    ui_->pnlFind->setVisible(ui_->actQuery->isChecked());
    ReadCompanyCodeCaption();
    LoadList(QString(), QString());
}

void Tfrm_CompanyManage::showEvent(QShowEvent* event) {
    Tfrm_CustomEx::showEvent(event);
    ui_->lblNsrsbh->setText(CompanyCodeCaption() + QStringLiteral("："));
}

bool Tfrm_CompanyManage::eventFilter(QObject* watched, QEvent* event) {
    // The toggle shows whether the panel is up, whoever hid or showed it.
    if (watched == ui_->pnlFind &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        ui_->actQuery->setChecked(event->type() == QEvent::ShowToParent);
    }
    // The arrows move in the list while the focus stays in the search field.
    if ((watched == ui_->edtQysbh || watched == ui_->edtQymc) &&
        event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                QCoreApplication::sendEvent(ui_->vstCompList, event);
                return true;
            default:
                break;
        }
    }
    return Tfrm_CustomEx::eventFilter(watched, event);
}

bool Tfrm_CompanyManage::LoadList(const QString& taxIdText, const QString& nameText) {
    const QString operatorClass = ContextValues::Text(HostContext().UserInfoVO, "CZY_LB");
    bool loaded = false;
    // The views let go of the old rows before the records change.
    model_->Reset([&] {
        loaded = CompanyListLoader::Load(operatorClass, taxIdText, nameText, companies_);
        if (loaded) {
            fullList_ = taxIdText.isEmpty() && nameText.isEmpty();
            index_.Assign(companies_);
            index_.PrepareSoon(this);
        }
        rows_ = index_.Filter(CurrentSearch());
    });
    ui_->actCompanyDel->setEnabled(false);
    ui_->actCompanyInfoEdit->setEnabled(false);
    return loaded;
}

void Tfrm_CompanyManage::Search() {
    LoadList(ui_->edtQysbh->text().trimmed(), ui_->edtQymc->text().trimmed());
}

TCompanySearch Tfrm_CompanyManage::CurrentSearch() const {
    return {ui_->edtQysbh->text(), ui_->edtQymc->text()};
}

void Tfrm_CompanyManage::Narrow() {
    // Typing searches every company again, also after a search listed fewer:
    // one query, then each key filters in memory.
    if (!fullList_) {
        LoadList(QString(), QString());
        return;
    }
    model_->Reset([&] { rows_ = index_.Filter(CurrentSearch()); });
    ui_->actCompanyDel->setEnabled(false);
    ui_->actCompanyInfoEdit->setEnabled(false);
}

void Tfrm_CompanyManage::Reset() {
    // Emptying the fields lists nothing anew; the search button does.
    const QSignalBlocker taxIdBlocker(ui_->edtQysbh);
    const QSignalBlocker nameBlocker(ui_->edtQymc);
    ui_->edtQysbh->clear();
    ui_->edtQymc->clear();
}

void Tfrm_CompanyManage::UpdateActions() {
    const bool focused = ui_->vstCompList->currentIndex().isValid();
    ui_->actCompanyDel->setEnabled(focused);
    ui_->actCompanyInfoEdit->setEnabled(focused);
}

int Tfrm_CompanyManage::SelectedRow() const {
    // Selected rows are rows of the model, which shows rows_.
    const QModelIndexList rows = ui_->vstCompList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows_[static_cast<std::size_t>(rows.first().row())];
}

void Tfrm_CompanyManage::Add() {
    QString companyId;
    QString taxId;
    if (!AddCompany(this, companyId, taxId)) {
        return;
    }
    ModuleLib::InforMsg(kCompanyAdded, QString(), 1);
    if (TPSession* session = Session(HostContext().UserInfoVO)) {
        session->CompanyAdded(companyId);
    }
    Search();
}

void Tfrm_CompanyManage::Delete() {
    const int row = SelectedRow();
    if (row < 0) {
        ModuleLib::InforMsg(kNothingSelected, QString(), 1);
        return;
    }
    // A copy: the list is read again before the work is done.
    const TCompanyRecord company = companies_[static_cast<std::size_t>(row)];
    const CompanyDelete::Outcome outcome =
        CompanyDelete::Run(company, HostContext().UserInfoVO, HostContext().CompanyInfoVO,
                           ModuleLib::GetAppPath() + QStringLiteral("CA/"));
    if (outcome == CompanyDelete::Outcome::Deleted) {
        Search();
    }
}

void Tfrm_CompanyManage::Modify() {
    const int row = SelectedRow();
    if (row < 0) {
        return;
    }
    std::string params;
    params = ParamString::SetParamValue(
        params, "QYID", companies_[static_cast<std::size_t>(row)].QYID().toStdString());
    params = ParamString::SetParamValue(params, "CLOSEPREV", "false");
    params = ParamString::SetParamValue(params, "TOVIEW", "false");
    ParamString::HostBuffer buffer(ParamString::kHostBufferSize);
    if (!buffer.IsValid()) {
        return;
    }
    buffer.Assign(params);

    const QSet<QWidget*> before = OpenPages();
    const QPointer<Tfrm_CompanyManage> self(this);
    const bool ran = ModuleLib::ExecuteFunc(
        parentWidget(), QString::fromLatin1(kCompanyInfoFunction), buffer.Data(), buffer.Size());
    if (self == nullptr) {
        return;
    }
    QList<QWidget*> opened;
    if (ran) {
        for (QWidget* page : OpenPages()) {
            if (page != this && !before.contains(page)) {
                opened.append(page);
            }
        }
    }
    RefreshAfter(opened);
}

void Tfrm_CompanyManage::Export() {
    const QString utf8Type = QLatin1String(CsvFileTypes::kUtf8);
    const QString gbkType = QLatin1String(CsvFileTypes::kGbk);
    QString type = utf8Type;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出企业"), QString(),
                                                utf8Type + QStringLiteral(";;") + gbkType, &type);
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".csv");
    }
    const CompanyCsv::Encoding encoding =
        type == gbkType ? CompanyCsv::Encoding::Gbk : CompanyCsv::Encoding::Utf8Bom;
    QString errorText;
    if (!CompanyCsv::WriteFile(path, companies_, encoding, errorText)) {
        ModuleLib::InfoMsgBox(QStringLiteral("导出失败：") + errorText);
        return;
    }
    ModuleLib::InfoMsgBox(QStringLiteral("已导出%1家企业。").arg(companies_.size()));
}

void Tfrm_CompanyManage::Import() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("导入企业"), QString(),
                                                      QLatin1String(CsvFileTypes::kImport));
    if (path.isEmpty()) {
        return;
    }
    const QStringList added = ImportCompanies(this, path);
    if (added.isEmpty()) {
        return;
    }
    ModuleLib::InfoMsgBox(QStringLiteral("已导入%1家企业。").arg(added.size()));
    // The host hears of each company as if added through the dialog.
    if (TPSession* session = Session(HostContext().UserInfoVO)) {
        for (const QString& companyId : added) {
            session->CompanyAdded(companyId);
        }
    }
    Search();
}

void Tfrm_CompanyManage::RefreshAfter(const QList<QWidget*>& pages) {
    if (pages.isEmpty()) {
        Search();
        return;
    }
    // The edited company shows as saved once the page that edited it is gone.
    for (QWidget* page : pages) {
        connect(page, &QObject::destroyed, this, [this] { Search(); });
    }
}
