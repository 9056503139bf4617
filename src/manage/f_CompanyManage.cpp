#include "f_CompanyManage.h"

#include <QAction>
#include <QDate>
#include <QFileDialog>
#include <QPointer>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>

#include "CompanyCsv.h"
#include "CompanyDelete.h"
#include "CompanyListLoader.h"
#include "ContextValues.h"
#include "CsvFileTypes.h"
#include "FlatHeaderView.h"
#include "FormBase.h"
#include "HostServices.h"
#include "MessageCodes.h"
#include "ModuleForm.h"
#include "ParamString.h"
#include "SearchableCompanyList.h"
#include "f_CommonUnit.h"
#include "f_CompanyAdd.h"
#include "f_CompanyImport.h"
#include "f_DataVO.h"
#include "ui_f_CompanyManage.h"

namespace {

// The host's company information pages.
constexpr const char* kCompanyInfoFunction = "01004-01-16-00-00";
// Qt's own file dialog, in the host's language and translations, whatever
// the desktop's; a desktop's native one also escapes the host's scripted
// runs.
constexpr QFileDialog::Options kOwnFileDialog = QFileDialog::DontUseNativeDialog;
constexpr int kTaxIdColumnWidth = 250;
constexpr int kNameColumnWidth = 500;

TPSession* Session(const TDataVO* user) {
    if (user == nullptr) {
        return nullptr;
    }
    return dynamic_cast<TPSession*>(user->GetObjValue("TPSession"));
}

}  // namespace

Tfrm_CompanyManage::Tfrm_CompanyManage(QWidget* parent)
    : Tfrm_CustomEx(parent), ui_(std::make_unique<Ui::frm_CompanyManage>()) {
    setObjectName(QStringLiteral("frm_CompanyManage"));
    ui_->setupUi(ClientArea());
    setWindowTitle(QStringLiteral("企业管理"));

    ui_->actQuery->setIcon(FormBase::StandardIcon(this, QStyle::SP_FileDialogContentsView));
    ui_->actCompanyAdd->setIcon(FormBase::StandardIcon(this, QStyle::SP_FileIcon));
    ui_->actCompanyDel->setIcon(FormBase::StandardIcon(this, QStyle::SP_TrashIcon));
    ui_->actCompanyInfoEdit->setIcon(
        FormBase::StandardIcon(this, QStyle::SP_FileDialogDetailedView));
    ui_->actExport->setIcon(FormBase::StandardIcon(this, QStyle::SP_DialogSaveButton));
    ui_->actImport->setIcon(FormBase::StandardIcon(this, QStyle::SP_DialogOpenButton));
    ui_->actHistory->setIcon(FormBase::StandardIcon(this, QStyle::SP_FileDialogInfoView));
    ui_->actCompanyAdd->setShortcut(Qt::Key_Insert);
    ui_->actCompanyDel->setShortcut(Qt::Key_Delete);
    // Enter works the row as a double click does, in the list only: in the
    // search fields it searches.
    ui_->actCompanyInfoEdit->setShortcuts({Qt::Key_Enter, Qt::Key_Return});
    ui_->actCompanyInfoEdit->setShortcutContext(Qt::WidgetShortcut);
    ui_->vstCompList->addAction(ui_->actCompanyInfoEdit);
    const std::pair<QAction*, const char*> buttons[] = {
        {ui_->actQuery, "tbtQuery"},           {ui_->actCompanyAdd, "tbtCompanyAdd"},
        {ui_->actCompanyDel, "tbtCompanyDel"}, {ui_->actCompanyInfoEdit, "tbtCompanyInfoEdit"},
        {ui_->actExport, "tbtExport"},         {ui_->actImport, "tbtImport"},
        {ui_->actHistory, "tbtHistory"},
    };
    for (const auto& [action, name] : buttons) {
        AddToolAction(action, QLatin1String(name));
    }
    // Ctrl+F goes to the search, F5 lists again; neither has a button.
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    AddPageShortcut(find);
    ui_->actQuery->setToolTip(
        FormBase::ShortcutToolTip(ui_->actQuery->iconText(), find->shortcut()));
    connect(find, &QAction::triggered, this, [this] {
        ui_->actQuery->setChecked(true);
        ui_->edtQysbh->setFocus(Qt::ShortcutFocusReason);
    });
    auto* refresh = new QAction(this);
    refresh->setShortcut(Qt::Key_F5);
    AddPageShortcut(refresh);
    connect(refresh, &QAction::triggered, this, &Tfrm_CompanyManage::Search);

    auto* header = new TFlatHeaderView(Qt::Horizontal, ui_->vstCompList);
    ui_->vstCompList->setHeader(header);
    list_ = new TSearchableCompanyList(
        ui_->vstCompList, {QStringLiteral("纳税人识别号"), QStringLiteral("单位名称")},
        [](const TCompanyRecord& record, int, int column) {
            return record.Field(column == 0 ? CompanyField::QYSBH : CompanyField::QYMC);
        },
        [this](const QString& taxIdText, const QString& nameText, TCompanyRecordArray& records) {
            const QString operatorClass = ContextValues::Text(HostContext().UserInfoVO, "CZY_LB");
            return CompanyListLoader::Load(operatorClass, taxIdText, nameText, records);
        },
        this);
    list_->SetFilterFields(ui_->edtQysbh, ui_->edtQymc);
    // Esc brings the focus back to the list from a field or a button.
    auto* toList = new QAction(this);
    toList->setShortcut(Qt::Key_Escape);
    AddPageShortcut(toList);
    connect(toList, &QAction::triggered, list_, &TSearchableCompanyList::TakeFocus);
    // Nothing is selected after a listing.
    connect(list_, &TSearchableCompanyList::Listed, this, [this] {
        ui_->actCompanyDel->setEnabled(false);
        ui_->actCompanyInfoEdit->setEnabled(false);
        ui_->actHistory->setEnabled(false);
    });
    // The name takes what width the list has beyond the set widths.
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    header->resizeSection(0, kTaxIdColumnWidth);
    header->resizeSection(1, kNameColumnWidth);

    connect(ui_->actQuery, &QAction::toggled, this, &Tfrm_CompanyManage::ShowSearch);
    ui_->pnlFind->installEventFilter(this);
    connect(ui_->sBtnFind, &QPushButton::clicked, this, &Tfrm_CompanyManage::Search);
    connect(ui_->sBtnClear, &QPushButton::clicked, this, &Tfrm_CompanyManage::Reset);
    // Enter in a search field opens the row the arrows highlighted, else searches.
    for (QLineEdit* field : {ui_->edtQysbh, ui_->edtQymc}) {
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (list_->Selected() != nullptr) {
                Modify();
            } else {
                Search();
            }
        });
    }
    connect(ui_->actCompanyAdd, &QAction::triggered, this, &Tfrm_CompanyManage::Add);
    connect(ui_->actCompanyDel, &QAction::triggered, this, &Tfrm_CompanyManage::Delete);
    connect(ui_->actCompanyInfoEdit, &QAction::triggered, this, &Tfrm_CompanyManage::Modify);
    connect(ui_->actExport, &QAction::triggered, this, &Tfrm_CompanyManage::Export);
    connect(ui_->actImport, &QAction::triggered, this, &Tfrm_CompanyManage::Import);
    connect(ui_->actHistory, &QAction::triggered, this, &Tfrm_CompanyManage::History);
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
    list_->Load(QString(), QString());
    list_->ScrollToCompany(CurrentCompanyId());
}

void Tfrm_CompanyManage::showEvent(QShowEvent* event) {
    Tfrm_CustomEx::showEvent(event);
    ui_->lblNsrsbh->setText(CompanyCodeCaption() + QStringLiteral("："));
    if (!shownOnce_) {
        shownOnce_ = true;
        // Once laid out, the scroll to the current company's row takes.
        QTimer::singleShot(0, this, [this] { list_->ScrollToCompany(CurrentCompanyId()); });
    }
}

QString Tfrm_CompanyManage::CurrentCompanyId() const {
    return ContextValues::Text(HostContext().CompanyInfoVO, "QYID");
}

bool Tfrm_CompanyManage::eventFilter(QObject* watched, QEvent* event) {
    // The toggle shows whether the panel is up, whoever hid or showed it.
    if (watched == ui_->pnlFind &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        ui_->actQuery->setChecked(event->type() == QEvent::ShowToParent);
    }
    return Tfrm_CustomEx::eventFilter(watched, event);
}

void Tfrm_CompanyManage::ShowSearch(bool shown) {
    ui_->pnlFind->setVisible(shown);
    // Typing goes where the operator just turned: into the search, or back
    // to the list from a search that went away.
    if (shown) {
        ui_->edtQysbh->setFocus(Qt::OtherFocusReason);
    } else {
        ui_->vstCompList->setFocus(Qt::OtherFocusReason);
    }
}

void Tfrm_CompanyManage::Search() {
    list_->Load(ui_->edtQysbh->text().trimmed(), ui_->edtQymc->text().trimmed());
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
    ui_->actHistory->setEnabled(focused);
}

void Tfrm_CompanyManage::Add() {
    QString companyId;
    QString taxId;
    if (!AddCompany(this, companyId, taxId)) {
        return;
    }
    ModuleLib::InforMsg(MessageCodes::kCompanyAdded, QString(), 1);
    if (TPSession* session = Session(HostContext().UserInfoVO)) {
        session->CompanyAdded(companyId);
    }
    Search();
    list_->ScrollToCompany(companyId);
}

void Tfrm_CompanyManage::Delete() {
    const TCompanyRecord* selected = list_->Selected();
    if (selected == nullptr) {
        ModuleLib::InforMsg(MessageCodes::kNothingSelected, QString(), 1);
        return;
    }
    // A copy: the list is read again before the work is done.
    const TCompanyRecord company = *selected;
    const int row = list_->SelectedRow();
    const CompanyDelete::Outcome outcome =
        CompanyDelete::Run(company, HostContext().UserInfoVO, HostContext().CompanyInfoVO,
                           ModuleLib::GetAppPath() + QStringLiteral("CA/"));
    if (outcome == CompanyDelete::Outcome::Deleted) {
        Search();
        list_->ScrollToRow(row);  // the row after the deleted one
    } else if (outcome == CompanyDelete::Outcome::Unknown) {
        // The list shows what is stored, as far as the database answers.
        Search();
        list_->ScrollToRow(row);  // the row after the deleted one
    }
}

void Tfrm_CompanyManage::Modify() {
    OpenPage(false);
}

void Tfrm_CompanyManage::History() {
    OpenPage(true);
}

void Tfrm_CompanyManage::OpenPage(bool history) {
    const TCompanyRecord* selected = list_->Selected();
    if (selected == nullptr) {
        return;
    }
    std::string params;
    params = ParamString::SetParamValue(params, "QYID", selected->QYID().toStdString());
    params = ParamString::SetParamValue(params, "CLOSEPREV", "false");
    params = ParamString::SetParamValue(params, "TOVIEW", "false");
    if (history) {
        params = ParamString::SetParamValue(params, "PAGE", "BGJL");
    }
    ParamString::HostBuffer buffer(ParamString::kHostBufferSize);
    if (!buffer.IsValid()) {
        return;
    }
    buffer.Assign(params);
    const QString companyId = selected->QYID();

    const QList<QWidget*> before = ShownModuleForms();
    const QPointer<Tfrm_CompanyManage> self(this);
    const bool ran = ModuleLib::ExecuteFunc(
        parentWidget(), QString::fromLatin1(kCompanyInfoFunction), buffer.Data(), buffer.Size());
    if (self == nullptr) {
        return;
    }
    QList<QWidget*> opened;
    if (ran) {
        for (QWidget* page : ShownModuleForms()) {
            if (page != this && !before.contains(page)) {
                opened.append(page);
            }
        }
    }
    RefreshAfter(opened, companyId);
}

QString Tfrm_CompanyManage::ExportFileName() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name = QStringLiteral("单位列表-%1.csv")
                             .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

void Tfrm_CompanyManage::Export() {
    const QString utf8Type = QLatin1String(CsvFileTypes::kUtf8);
    const QString gbkType = QLatin1String(CsvFileTypes::kGbk);
    QString type = utf8Type;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出企业"), ExportFileName(),
                                                utf8Type + QStringLiteral(";;") + gbkType, &type,
                                                kOwnFileDialog);
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".csv");
    }
    const CompanyCsv::Encoding encoding =
        type == gbkType ? CompanyCsv::Encoding::Gbk : CompanyCsv::Encoding::Utf8Bom;
    // What the instant search shows, not every loaded company.
    const TCompanyRecordArray shown = list_->Shown();
    QString errorText;
    if (!CompanyCsv::WriteFile(path, shown, encoding, errorText)) {
        ModuleLib::InfoMsgBox(QStringLiteral("导出失败：") + errorText);
        return;
    }
    ModuleLib::InfoMsgBox(QStringLiteral("已导出%1家企业。").arg(shown.size()));
}

void Tfrm_CompanyManage::Import() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("导入企业"), QString(),
                                     QLatin1String(CsvFileTypes::kImport), nullptr, kOwnFileDialog);
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
    list_->ScrollToCompany(added.first());
}

void Tfrm_CompanyManage::RefreshAfter(const QList<QWidget*>& pages, const QString& companyId) {
    const auto refresh = [this, companyId] {
        Search();
        list_->ScrollToCompany(companyId);
    };
    if (pages.isEmpty()) {
        refresh();
        return;
    }
    // The edited company shows as saved once the page that edited it is gone.
    for (QWidget* page : pages) {
        connect(page, &QObject::destroyed, this, refresh);
    }
}
