#include "f_CompanyInfoInner.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>

#include "ContextValues.h"
#include "FlatHeaderView.h"
#include "HostServices.h"
#include "ParamString.h"
#include "ShareCapital.h"
#include "SqlQuery.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"
#include "ui_f_CompanyInfoInner.h"

namespace {

namespace Save = CompanyInfoInnerSave;

constexpr int kSaveFailed = 106018;
constexpr const char* kSaveFailedDetail = "70019507";
constexpr int kSaved = 106019;
constexpr int kCurrentUpdateFailed = 106020;
constexpr const char* kCurrentUpdateFailedDetail = "70019508";
// Where the local-tax-only panel covers the basic fields.
constexpr int kPanelWidth = 633;
constexpr int kPanelHeight = 297;
// Marks the drop-down entry that holds a stored industry the file lacks.
constexpr int kStoredIndustryRole = Qt::UserRole + 1;

QString Today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

// The columns of the first row of a statement, by name.
bool ReadFirstRow(const char* operation, const QString& sql, const QStringList& columns,
                  std::map<QString, QString>& row) {
    bool found = false;
    const bool ran = SqlQuery::ReadRows(operation, sql, [&](TADOQuery& rows) {
        if (rows.Eof()) {
            return;
        }
        found = true;
        for (const QString& column : columns) {
            row[column] = rows.FieldByName(column);
        }
    });
    return ran && found;
}

bool HasRow(const char* operation, const QString& sql) {
    bool found = false;
    const bool ran =
        SqlQuery::ReadRows(operation, sql, [&](TADOQuery& rows) { found = !rows.Eof(); });
    return ran && found;
}

QString YesNo(const QString& flag) {
    return flag == QLatin1String("0") ? QStringLiteral("否") : QStringLiteral("是");
}

}  // namespace

Tfrm_CompanyInfoInner::Tfrm_CompanyInfoInner(QWidget* parent)
    : Tfrm_CustomEx(parent), ui_(std::make_unique<Ui::frm_CompanyInfoInner>()) {
    setObjectName(QStringLiteral("frm_CompanyInfoInner"));
    ui_->setupUi(ClientArea());
    setWindowTitle(QStringLiteral("单位信息"));
    ui_->actSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ui_->actBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    saveButton_ = AddToolAction(ui_->actSave, QStringLiteral("tbtnSave"));
    backButton_ = AddToolAction(ui_->actBack, QStringLiteral("btnBack"));
    backButton_->setVisible(false);
    ui_->actBack->setVisible(false);

    auto* header = new TFlatHeaderView(Qt::Horizontal, ui_->vstGsICCardList);
    ui_->vstGsICCardList->setHeader(header);
    header->setStretchLastSection(false);
    const int widths[] = {40, 100, 80, 120};
    for (int column = 0; column < 4; ++column) {
        header->resizeSection(column, widths[column]);
    }
    ui_->vstGsICCardList->setStyleSheet(
        QStringLiteral("QTreeView::item { border: 1px solid #d0d0d0; }"));

    // The post code takes digits only.
    ui_->edtYzbm->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));

    connect(ui_->actSave, &QAction::triggered, this, &Tfrm_CompanyInfoInner::Save);
    connect(ui_->actBack, &QAction::triggered, this, &Tfrm_CompanyInfoInner::Back);
    FormCreate();
}

Tfrm_CompanyInfoInner::~Tfrm_CompanyInfoInner() = default;

bool& Tfrm_CompanyInfoInner::ClosePrevious() {
    static bool closePrevious = true;
    return closePrevious;
}

void Tfrm_CompanyInfoInner::ApplySkin() {
    Tfrm_CustomEx::ApplySkin();
    FormBase::SetBackgroundColor(this, FormBase::BackgroundColor(this));
    FormBase::SetBackgroundColor(ui_->pnlMainOnlyDS,
                                 ui_->tsBasic->palette().color(QPalette::Window));
}

void Tfrm_CompanyInfoInner::ShowText(QLineEdit* edit, const QString& text) {
    // setText cuts to the maximum length; a stored value stays whole.
    if (text.size() > edit->maxLength()) {
        edit->setMaxLength(static_cast<int>(text.size()));
    }
    edit->setText(text);
}

void Tfrm_CompanyInfoInner::SetEditable(QLineEdit* edit, bool editable) {
    edit->setReadOnly(!editable);
}

bool Tfrm_CompanyInfoInner::LoadCompany(const QString& companyId, bool viewOnly, bool showBack) {
    bool found = false;
    if (IsSqlInteger(companyId)) {
        QStringList columns;
        for (int i = 0; i < kCompanyFieldCount; ++i) {
            columns << QLatin1String(CompanyFieldName(static_cast<CompanyField>(i)));
        }
        std::map<QString, QString> row;
        found =
            ReadFirstRow("单位信息读取",
                         QStringLiteral("select * from XT_QYXX where QYID=") + companyId.trimmed(),
                         columns, row);
        if (found) {
            for (int i = 0; i < kCompanyFieldCount; ++i) {
                company_.SetField(static_cast<CompanyField>(i), row[columns[i]]);
            }
        }
    }
    ui_->pnlMainOnlyDS->setVisible(false);
    if (found) {
        companyId_ = companyId.trimmed();
        viewOnly_ = viewOnly;
        showBack_ = showBack;
        ui_->actBack->setVisible(showBack);
        backButton_->setVisible(showBack);
        config_.LoadAll();
        LoadRegistrationFlags();
        FillBasic();
        if (localTaxOnly_) {
            ui_->pnlMainOnlyDS->setGeometry(0, 0, kPanelWidth, kPanelHeight);
            ui_->pnlMainOnlyDS->setVisible(true);
            ui_->pnlMainOnlyDS->raise();
            FillLocalTax();
        }
        if (!hasStateTax_ && config_.StateTaxVisible()) {
            // Saving then writes the state-tax row the configuration asks for.
            hasStateTax_ = true;
        }
        ui_->pgcInfo->setTabVisible(ui_->pgcInfo->indexOf(ui_->tsGs), hasStateTax_);
        if (hasStateTax_) {
            FillIndustries();
            FillStateTax();
        }
        ui_->pgcInfo->setTabVisible(ui_->pgcInfo->indexOf(ui_->tsDs),
                                    hasLocalTax_ && !localTaxOnly_);
        if (hasLocalTax_ && !localTaxOnly_) {
            FillLocalTax();
        }
    } else {
        ui_->pgcInfo->setTabVisible(ui_->pgcInfo->indexOf(ui_->tsGs), false);
        ui_->pgcInfo->setTabVisible(ui_->pgcInfo->indexOf(ui_->tsDs), false);
    }
    // Once, after loading: a docked page hidden and shown again keeps its edits.
    fingerprint_ = Fingerprint();
    if (!found || !loadedRows_.Take(companyId_)) {
        loadedRows_ = TStoredRows();
    }
    return found;
}

void Tfrm_CompanyInfoInner::LoadRegistrationFlags() {
    hasLocalTax_ = HasRow("单位地税信息读取",
                          QStringLiteral("select * from XT_QYDSXX where QYID=") + companyId_);
    hasStateTax_ = HasRow("单位国税信息读取",
                          QStringLiteral("select * from XT_QYGSXX where QYID=") + companyId_);
    localTaxOnly_ = hasLocalTax_ && !hasStateTax_;
}

void Tfrm_CompanyInfoInner::FillBasic() {
    using F = CompanyField;
    const struct {
        QLineEdit* edit;
        F field;
        const char* key;
    } fields[] = {
        {ui_->edtQysbh, F::QYSBH, nullptr},     {ui_->edtQymc, F::QYMC, "QYMC"},
        {ui_->edtZcdz, F::ZCDZ, "ZCDZ"},        {ui_->edtYydz, F::YYDZ, "YYDZ"},
        {ui_->edtFddbr, F::FDDBRMC, "FDDBRMC"}, {ui_->edtCwfzr, F::CWFZR, "CWFZR"},
        {ui_->edtDhhm, F::QYDHHM, "QYDHHM"},    {ui_->edtCzhm, F::QYCZHM, "QYCZHM"},
        {ui_->edtMail, F::EMAIL, "EMAIL"},      {ui_->edtYzbm, F::YZBM, "YZBM"},
        {ui_->edtHymc, F::HYMC, "HYMC"},
    };
    for (const auto& f : fields) {
        ShowText(f.edit, company_.Field(f.field));
        SetEditable(f.edit, f.key != nullptr && config_.BasicFieldEditable(QLatin1String(f.key)));
    }
    const std::pair<QLineEdit*, F> copies[] = {
        {ui_->edtQymc2, F::QYMC},   {ui_->edtZcdz2, F::ZCDZ},   {ui_->edtFddbr2, F::FDDBRMC},
        {ui_->edtCwfzr2, F::CWFZR}, {ui_->edtDhhm2, F::QYDHHM}, {ui_->edtMail2, F::EMAIL},
        {ui_->edtYzbm2, F::YZBM},
    };
    for (const auto& [edit, field] : copies) {
        ShowText(edit, company_.Field(field));
        SetEditable(edit, edit == ui_->edtMail2);
    }
    for (QLineEdit* fixed :
         {ui_->edtKjywrbm2, ui_->edtDsSwdjzHm2, ui_->edtDsZgswjg2, ui_->edtDsSSHY2, ui_->edtJjlx2,
          ui_->edtDsNsrsbh, ui_->edtKjywrbm, ui_->edtDsSSHY, ui_->edtDsZgswjg, ui_->edtJjlx}) {
        SetEditable(fixed, false);
    }
    ui_->cbxSFSS->setEnabled(false);
    ui_->cbxSFSS2->setEnabled(false);
}

void Tfrm_CompanyInfoInner::FillLocalTax() {
    std::map<QString, QString> row;
    if (!ReadFirstRow(
            "单位地税信息读取", QStringLiteral("select * from XT_QYDSXX where QYID=") + companyId_,
            {"KJYWRBM", "NSRSBH", "ZGSWJGMC", "HYMC", "DJZCLXMC", "GSGBZE", "SFSS"}, row)) {
        return;
    }
    ShowText(ui_->edtKjywrbm, row["KJYWRBM"]);
    ShowText(ui_->edtKjywrbm2, row["KJYWRBM"]);
    for (QLineEdit* edit : {ui_->edtDsNsrsbh, ui_->edtDsSwdjzHm, ui_->edtDsSwdjzHm2}) {
        ShowText(edit, row["NSRSBH"]);
    }
    taxRegistrationNumber_ = ui_->edtDsSwdjzHm->text();
    ShowText(ui_->edtDsZgswjg, row["ZGSWJGMC"]);
    ShowText(ui_->edtDsZgswjg2, row["ZGSWJGMC"]);
    ShowText(ui_->edtDsSSHY, row["HYMC"]);
    ShowText(ui_->edtDsSSHY2, row["HYMC"]);
    ShowText(ui_->edtJjlx, row["DJZCLXMC"]);
    ShowText(ui_->edtJjlx2, row["DJZCLXMC"]);
    shareCapital_ = FormatStoredShareCapital(row["GSGBZE"]);
    ui_->edtGsgbze->setText(shareCapital_);
    ui_->edtGsgbze2->setText(shareCapital_);
    const int listed = row["SFSS"] == QLatin1String("0") ? 0 : 1;
    ui_->cbxSFSS->setCurrentIndex(listed);
    ui_->cbxSFSS2->setCurrentIndex(listed);
}

void Tfrm_CompanyInfoInner::FillIndustries() {
    ui_->cbxGsSSHY->clear();
    QStringList lines;
    QString errorText;
    if (!ModuleLib::ReadDataFileLines(EnsureTrailingBackslash(ModuleLib::GetAppPath()) +
                                          QStringLiteral("AppComs/Dmzd/hy.txt"),
                                      lines, errorText)) {
        logQuery::Warn(QStringLiteral("1"), QStringLiteral("行业代码：") + errorText);
        return;
    }
    ui_->cbxGsSSHY->addItems(lines);
    ui_->cbxGsSSHY->setCurrentIndex(lines.isEmpty() ? -1 : 0);
}

void Tfrm_CompanyInfoInner::SelectIndustry(const QString& code, const QString& name) {
    if (code.isEmpty()) {
        return;
    }
    for (int i = 0; i < ui_->cbxGsSSHY->count(); ++i) {
        // The whole code before "|": "01" is not "1101".
        if (ui_->cbxGsSSHY->itemText(i).section(QLatin1Char('|'), 0, 0) == code) {
            ui_->cbxGsSSHY->setCurrentIndex(i);
            return;
        }
    }
    // Unknown here: shown and written back as stored, never replaced by another.
    ui_->cbxGsSSHY->insertItem(0, name.isEmpty() ? code : code + QLatin1Char('|') + name);
    ui_->cbxGsSSHY->setItemData(0, QStringList{code, name}, kStoredIndustryRole);
    ui_->cbxGsSSHY->setCurrentIndex(0);
}

void Tfrm_CompanyInfoInner::SelectedIndustry(QString& code, QString& name) const {
    const int index = ui_->cbxGsSSHY->currentIndex();
    code.clear();
    name.clear();
    if (index < 0) {
        return;
    }
    const QStringList stored = ui_->cbxGsSSHY->itemData(index, kStoredIndustryRole).toStringList();
    if (stored.size() == 2) {
        code = stored[0];
        name = stored[1];
        return;
    }
    const QString entry = ui_->cbxGsSSHY->itemText(index);
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        name = entry;
    } else {
        code = entry.left(bar);
        name = entry.mid(bar + 1);
    }
}

void Tfrm_CompanyInfoInner::FillStateTax() {
    ReadFirstRow("单位国税信息读取",
                 QStringLiteral("select * from XT_QYGSXX where QYID=") + companyId_,
                 Save::StateTaxRecordColumns(), stateTax_);
    const auto value = [this](const char* column) {
        return Save::StateTaxValue(stateTax_, column);
    };
    const struct {
        QLineEdit* edit;
        const char* column;
    } fields[] = {
        {ui_->edtGsNsrsbh, "NSRSBH"},    {ui_->edtGsNsrbm, "NSRBM"},
        {ui_->edtGsDjzclx, "DJZCLX_DM"}, {ui_->edtGsNsrlx, "NSRLX"},
        {ui_->edtGsQylx, "QYLXMC"},      {ui_->edtGsNsrzt, "NSRZT"},
        {ui_->edtGsZgswjg, "SSSWJG_DM"}, {ui_->edtGsXydj, "XYDJ"},
        {ui_->edtGsSsdljg, "SSDLJG"},    {ui_->edtGsKhyh, "KKYH"},
        {ui_->edtGsYhzh, "YHZH"},        {ui_->edtGsJbzh, "JBZH"},
        {ui_->edtGsFlzsh, "FLZSH"},
    };
    const char* keyOf[] = {"NSRSBH", "NSRBM",  "DJZCLX_DM", "NSRLX", "QYLXMC", "NSRZT", "SSSWJG_DM",
                           "XYDJ",   "SSDLJG", "KKYH",      "YHZH",  "JBZH",   "FLZSH"};
    int i = 0;
    for (const auto& f : fields) {
        ShowText(f.edit, value(f.column));
        SetEditable(f.edit, config_.StateTaxFieldEditable(QLatin1String(keyOf[i++])));
    }
    ui_->edtGsYfzdh->setText(YesNo(value("ZDH")));
    ui_->edtGsJkbz->setText(YesNo(value("JKBZ")));
    SetEditable(ui_->edtGsYfzdh, false);
    SetEditable(ui_->edtGsJkbz, false);
    SelectIndustry(value("SSHY"), value("SSHYMC"));
    ui_->cbxGsSSHY->setEnabled(config_.StateTaxFieldEditable(QStringLiteral("SSHY")));

    const QString cards = value("ICCARD");
    icCards_.clear();
    ui_->vstGsICCardList->clear();
    if (!cards.isEmpty()) {
        const QStringList lines = cards.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
        for (qsizetype line = 0; line < lines.size(); ++line) {
            const std::string params = lines[line].toStdString();
            const auto get = [&](const char* key) {
                return QString::fromStdString(ParamString::GetParamValue(params, key));
            };
            icCards_.push_back({static_cast<int>(line) + 1, get("ICBH"), get("ICLX"), get("KPJH")});
            const TICCardEntry& entry = icCards_.back();
            new QTreeWidgetItem(ui_->vstGsICCardList, {QString::number(entry.sequence), entry.ICBH,
                                                       entry.ICLX, entry.KPJH});
        }
    }
}

void Tfrm_CompanyInfoInner::showEvent(QShowEvent* event) {
    Tfrm_CustomEx::showEvent(event);
    ui_->labDisplayCompanyCodeName->setText(QStringLiteral("*") + CompanyCodeCaption() +
                                            QStringLiteral("："));
    ui_->pgcInfo->setCurrentWidget(ui_->tsBasic);
    if (viewOnly_) {
        ApplyViewOnly();
    }
}

void Tfrm_CompanyInfoInner::ApplyViewOnly() {
    ui_->actSave->setVisible(false);
    ui_->actSave->setEnabled(false);
    // A button made for an action does not follow the action's visibility.
    saveButton_->setVisible(false);
    for (QLineEdit* edit : {ui_->edtQysbh, ui_->edtDhhm, ui_->edtCzhm, ui_->edtYzbm, ui_->edtYydz,
                            ui_->edtDsSwdjzHm, ui_->edtGsSsdljg}) {
        edit->setEnabled(false);
        edit->setReadOnly(true);
    }
    ui_->cbxGsSSHY->setEnabled(false);
}

QStringList Tfrm_CompanyInfoInner::Fingerprint() const {
    // Field by field, in the order of the page's controls; a control counts
    // when it is not hidden itself, whether or not its tab is showing.
    QStringList texts;
    for (QWidget* widget : ClientArea()->findChildren<QWidget*>()) {
        if (widget->isHidden()) {
            continue;
        }
        // No list on the page is editable, so no field here belongs to a list.
        if (const auto* edit = qobject_cast<QLineEdit*>(widget)) {
            texts << edit->text();
        } else if (const auto* combo = qobject_cast<QComboBox*>(widget)) {
            texts << combo->currentText();
        } else if (const auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().startsWith(QLatin1String("lb"), Qt::CaseInsensitive)) {
                texts << label->text();
            }
        }
    }
    return texts;
}

bool Tfrm_CompanyInfoInner::IsChanged() const {
    return Fingerprint() != fingerprint_;
}

void Tfrm_CompanyInfoInner::CollectCompany() {
    using F = CompanyField;
    company_.SetField(F::QYCZHM, ui_->edtCzhm->text());
    company_.SetField(F::YYDZ, ui_->edtYydz->text());
    if (localTaxOnly_) {
        company_.SetField(F::QYDHHM, ui_->edtDhhm2->text().trimmed());
        company_.SetField(F::YZBM, ui_->edtYzbm2->text());
        company_.SetField(F::EMAIL, ui_->edtMail2->text());
        return;
    }
    company_.SetField(F::QYMC, ui_->edtQymc->text());
    company_.SetField(F::HYMC, ui_->edtHymc->text());
    company_.SetField(F::ZCDZ, ui_->edtZcdz->text());
    company_.SetField(F::FDDBRMC, ui_->edtFddbr->text());
    company_.SetField(F::CWFZR, ui_->edtCwfzr->text());
    company_.SetField(F::QYDHHM, ui_->edtDhhm->text().trimmed());
    company_.SetField(F::EMAIL, ui_->edtMail->text());
    company_.SetField(F::YZBM, ui_->edtYzbm->text());
}

void Tfrm_CompanyInfoInner::CollectStateTax() {
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"NSRSBH", ui_->edtGsNsrsbh}, {"NSRBM", ui_->edtGsNsrbm}, {"DJZCLX_DM", ui_->edtGsDjzclx},
        {"NSRZT", ui_->edtGsNsrzt},   {"KKYH", ui_->edtGsKhyh},   {"YHZH", ui_->edtGsYhzh},
        {"NSRLX", ui_->edtGsNsrlx},   {"XYDJ", ui_->edtGsXydj},   {"SSSWJG_DM", ui_->edtGsZgswjg},
        {"SSDLJG", ui_->edtGsSsdljg}, {"JBZH", ui_->edtGsJbzh},   {"FLZSH", ui_->edtGsFlzsh},
        {"QYLXMC", ui_->edtGsQylx},
    };
    for (const auto& [column, edit] : fields) {
        stateTax_[QLatin1String(column)] = edit->text();
    }
    QString& registerType = stateTax_[QStringLiteral("DJZCLX_DM")];
    registerType = registerType.trimmed();
    if (registerType.isEmpty()) {
        registerType = QStringLiteral("0");
    }
    SelectedIndustry(stateTax_[QStringLiteral("SSHY")], stateTax_[QStringLiteral("SSHYMC")]);
}

void Tfrm_CompanyInfoInner::Save() {
    ui_->actSave->setEnabled(false);
    struct Reenable {
        QAction* action;
        ~Reenable() { action->setEnabled(true); }
    } reenable{ui_->actSave};

    Save::TCheckInput input;
    input.companyCode = ui_->edtQysbh->text();
    input.phone = ui_->edtDhhm->text();
    input.fax = ui_->edtCzhm->text();
    input.email = ui_->edtMail->text();
    input.localTaxEmail = ui_->edtMail2->text();
    input.postCode = ui_->edtYzbm->text();
    input.writesStateTax = hasStateTax_;
    input.registerType = ui_->edtGsDjzclx->text();
    if (const auto failure = Save::CheckInput(input)) {
        QLineEdit* fields[] = {ui_->edtQysbh, ui_->edtDhhm, ui_->edtCzhm,    ui_->edtMail,
                               ui_->edtMail2, ui_->edtYzbm, ui_->edtGsDjzclx};
        QLineEdit* field = fields[static_cast<int>(failure->field)];
        if (failure->clearField) {
            field->clear();
        }
        if (failure->messageCode != 0) {
            ModuleLib::InforMsg(failure->messageCode, QString(), 1);
        } else {
            ModuleLib::InfoMsgBox(failure->messageText);
        }
        if (field->isEnabled() && field->isVisibleTo(this)) {
            field->setFocus();
        }
        return;
    }
    if (!IsChanged()) {
        return;
    }
    QLineEdit* capitalField = localTaxOnly_ ? ui_->edtGsgbze2 : ui_->edtGsgbze;
    if (hasLocalTax_) {
        QString capital;
        if (!ParseShareCapital(capitalField->text(), capital)) {
            ModuleLib::InfoMsgBox(ShareCapitalInvalidMessage());
            capitalField->setFocus();
            return;
        }
        taxRegistrationNumber_ = ui_->edtDsSwdjzHm->text();
        shareCapital_ = capital;
    }
    CollectCompany();
    if (hasStateTax_) {
        CollectStateTax();
    }
    if (!ConfirmRowsAsLoaded()) {
        return;
    }
    const bool written = WriteRows();
    // What this page wrote is no other desk's change at the next save.
    loadedRows_.Take(companyId_);
    if (!written) {
        ModuleLib::InforMsg(kSaveFailed, QString::fromLatin1(kSaveFailedDetail), 1);
        return;
    }
    TDataVO* current = HostContext().CompanyInfoVO;
    if (!ContextValues::IsCompany(current, companyId_)) {
        ModuleLib::InforMsg(kSaved, QString(), 1);
        close();
        return;
    }
    try {
        CollectCompany();
        const QString today = Today();
        Save::UpdateCurrentCompany(
            *current,
            {&company_, hasLocalTax_, shareCapital_,
             ui_->pgcInfo->isTabVisible(ui_->pgcInfo->indexOf(ui_->tsGs)), &stateTax_, today});
    } catch (...) {
        ModuleLib::InforMsg(kCurrentUpdateFailed, QString::fromLatin1(kCurrentUpdateFailedDetail),
                            1);
        return;
    }
    ModuleLib::InforMsg(kSaved, QString(), 1);
    close();
}

bool Tfrm_CompanyInfoInner::ConfirmRowsAsLoaded() {
    switch (CheckRowsAsLoaded(loadedRows_, companyId_)) {
        case RowsCheck::Write:
            return true;
        case RowsCheck::Reload:
            LoadCompany(companyId_, viewOnly_, showBack_);
            return false;
        case RowsCheck::Unreadable:
            ModuleLib::InforMsg(kSaveFailed, QString::fromLatin1(kSaveFailedDetail), 1);
            return false;
        case RowsCheck::Wait:
            break;
    }
    return false;
}

bool Tfrm_CompanyInfoInner::WriteRows() {
    const QString today = Today();
    const QString companySql = Save::CompanyUpdateSql(company_);
    const QString localTaxSql =
        hasLocalTax_
            ? Save::LocalTaxUpdateSql(companyId_, taxRegistrationNumber_,
                                      company_.Field(CompanyField::EMAIL), shareCapital_, today)
            : QString();
    const QString stateTaxUpdateSql =
        hasStateTax_ ? Save::StateTaxUpdateSql(company_, stateTax_, today) : QString();
    const QString stateTaxInsertSql =
        hasStateTax_ ? Save::StateTaxInsertSql(
                           company_, stateTax_,
                           ModuleLib::GetSQLDataTime(QString::fromLatin1(kMainConnection), today))
                     : QString();
    // The statements run without a transaction: one that no engine can store
    // stops the save before the first, or the earlier tables would be written.
    for (const QString* sql : {&companySql, &localTaxSql, &stateTaxUpdateSql, &stateTaxInsertSql}) {
        if (!SqlQuery::Storable(*sql)) {
            logQuery::Error(QStringLiteral("1"),
                            QStringLiteral("保存单位信息：内容含有空字符(U+0000)，未保存"));
            return false;
        }
    }
    const auto run = [](const char* operation, const QString& sql) {
        // An empty statement is an id or code that may not go into SQL.
        if (sql.isEmpty()) {
            logQuery::Error(QStringLiteral("1"), QString::fromUtf8(operation) +
                                                     QStringLiteral("：编号不是数字，未保存"));
            return false;
        }
        return SqlQuery::Execute(operation, sql);
    };
    if (!run("保存单位信息 XT_QYXX", companySql)) {
        return false;
    }
    if (hasLocalTax_ && !run("保存单位地税信息 XT_QYDSXX", localTaxSql)) {
        return false;
    }
    if (!hasStateTax_) {
        return true;
    }
    if (HasRow("单位国税信息读取", Save::StateTaxExistsSql(companyId_))) {
        return run("保存单位国税信息 XT_QYGSXX", stateTaxUpdateSql);
    }
    return run("新增单位国税信息 XT_QYGSXX", stateTaxInsertSql);
}

void Tfrm_CompanyInfoInner::Back() {
    if (!viewOnly_ && IsChanged()) {
        const int answer = ModuleLib::InfoMsgBox(
            QStringLiteral("单位信息已修改但尚未保存，确定放弃修改并返回吗？"), 1);
        if (answer != 1) {
            return;
        }
    }
    close();
}
