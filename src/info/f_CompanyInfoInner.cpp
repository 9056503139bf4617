#include "f_CompanyInfoInner.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>

#include "CharSetValidator.h"
#include "ContextValues.h"
#include "FlatHeaderView.h"
#include "FormBase.h"
#include "HostServices.h"
#include "ParamString.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"
#include "ui_f_CompanyInfoInner.h"

namespace {

using T = InfoTable;

// Where the local-tax-only panel covers the basic fields.
constexpr int kPanelWidth = 633;
constexpr int kPanelHeight = 297;

QString Today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
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
    ui_->actSave->setIcon(FormBase::StandardIcon(this, QStyle::SP_DialogSaveButton));
    ui_->actBack->setIcon(FormBase::StandardIcon(this, QStyle::SP_ArrowBack));
    ui_->actSave->setShortcut(QKeySequence::Save);
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
    ui_->edtYzbm->setValidator(new TCharSetValidator(QStringLiteral("0123456789"), 0, this));
    // Any amount NUMERIC(19,2) holds: a sign, 17 digits, the point and cents.
    ui_->edtGsgbze->setMaxLength(21);
    ui_->edtGsgbze2->setMaxLength(21);
    FormBase::ShowReadOnlyFieldsAsSuch(ClientArea());

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

bool Tfrm_CompanyInfoInner::LoadCompany(const QString& companyId, bool viewOnly, bool showBack) {
    const bool found = model_.Load(companyId) == TCompanyInfoModel::LoadResult::Loaded;
    ui_->pnlMainOnlyDS->setVisible(false);
    if (found) {
        companyId_ = model_.CompanyId();
        viewOnly_ = viewOnly;
        showBack_ = showBack;
        ui_->actBack->setVisible(showBack);
        backButton_->setVisible(showBack);
        config_.LoadAll();
        hasLocalTax_ = model_.HasRow(T::LocalTax);
        hasStateTax_ = model_.HasRow(T::StateTax);
        localTaxOnly_ = hasLocalTax_ && !hasStateTax_;
        FillBasic();
        if (localTaxOnly_) {
            // Wide enough for its fields' minimum widths, so no text is cut.
            const QSize size =
                ui_->pnlMainOnlyDS->sizeHint().expandedTo(QSize(kPanelWidth, kPanelHeight));
            ui_->pnlMainOnlyDS->setGeometry(QRect(QPoint(0, 0), size));
            ui_->pnlMainOnlyDS->setVisible(true);
            ui_->pnlMainOnlyDS->raise();
            FillLocalTax();
        }
        if (!hasStateTax_ && config_.StateTaxVisible()) {
            // Saving then writes the state-tax row the configuration asks for.
            hasStateTax_ = true;
        }
        model_.SetWritesStateTax(hasStateTax_);
        ui_->pgcInfo->setTabVisible(ui_->pgcInfo->indexOf(ui_->tsGs), hasStateTax_);
        if (hasStateTax_) {
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
    if (!found || !loadedRows_.Take(companyId_)) {
        loadedRows_ = TStoredRows();
    }
    return found;
}

void Tfrm_CompanyInfoInner::FillBasic() {
    const auto stored = [this](const char* column) {
        return model_.Stored(T::Company, QLatin1String(column));
    };
    const struct {
        QLineEdit* edit;
        const char* column;
        bool editable;
    } fields[] = {
        {ui_->edtQysbh, "QYSBH", false},  {ui_->edtQymc, "QYMC", true},
        {ui_->edtZcdz, "ZCDZ", true},     {ui_->edtYydz, "YYDZ", true},
        {ui_->edtFddbr, "FDDBRMC", true}, {ui_->edtCwfzr, "CWFZR", true},
        {ui_->edtDhhm, "QYDHHM", true},   {ui_->edtCzhm, "QYCZHM", true},
        {ui_->edtMail, "EMAIL", true},    {ui_->edtYzbm, "YZBM", true},
        {ui_->edtHymc, "HYMC", true},
    };
    for (const auto& f : fields) {
        FormBase::ShowWhole(f.edit, stored(f.column));
        f.edit->setReadOnly(!f.editable || !config_.BasicFieldEditable(QLatin1String(f.column)));
    }
    const std::pair<QLineEdit*, const char*> copies[] = {
        {ui_->edtQymc2, "QYMC"},   {ui_->edtZcdz2, "ZCDZ"},   {ui_->edtFddbr2, "FDDBRMC"},
        {ui_->edtCwfzr2, "CWFZR"}, {ui_->edtDhhm2, "QYDHHM"}, {ui_->edtMail2, "EMAIL"},
        {ui_->edtYzbm2, "YZBM"},
    };
    for (const auto& [edit, column] : copies) {
        FormBase::ShowWhole(edit, stored(column));
        edit->setReadOnly(edit != ui_->edtMail2);
    }
    for (QLineEdit* fixed :
         {ui_->edtKjywrbm2, ui_->edtDsSwdjzHm2, ui_->edtDsZgswjg2, ui_->edtDsSSHY2, ui_->edtJjlx2,
          ui_->edtDsNsrsbh, ui_->edtKjywrbm, ui_->edtDsSSHY, ui_->edtDsZgswjg, ui_->edtJjlx}) {
        fixed->setReadOnly(true);
    }
    ui_->cbxSFSS->setEnabled(false);
    ui_->cbxSFSS2->setEnabled(false);
}

void Tfrm_CompanyInfoInner::FillLocalTax() {
    if (!model_.HasRow(T::LocalTax)) {
        return;
    }
    const auto stored = [this](const char* column) {
        return model_.Stored(T::LocalTax, QLatin1String(column));
    };
    const std::pair<const char*, std::vector<QLineEdit*>> fields[] = {
        {"KJYWRBM", {ui_->edtKjywrbm, ui_->edtKjywrbm2}},
        {"NSRSBH", {ui_->edtDsNsrsbh, ui_->edtDsSwdjzHm, ui_->edtDsSwdjzHm2}},
        {"ZGSWJGMC", {ui_->edtDsZgswjg, ui_->edtDsZgswjg2}},
        {"HYMC", {ui_->edtDsSSHY, ui_->edtDsSSHY2}},
        {"DJZCLXMC", {ui_->edtJjlx, ui_->edtJjlx2}},
    };
    for (const auto& [column, edits] : fields) {
        for (QLineEdit* edit : edits) {
            FormBase::ShowWhole(edit, stored(column));
        }
    }
    FormBase::ShowWhole(ui_->edtGsgbze, model_.ShownShareCapital());
    FormBase::ShowWhole(ui_->edtGsgbze2, model_.ShownShareCapital());
    const int listed = stored("SFSS") == QLatin1String("0") ? 0 : 1;
    ui_->cbxSFSS->setCurrentIndex(listed);
    ui_->cbxSFSS2->setCurrentIndex(listed);
}

void Tfrm_CompanyInfoInner::FillStateTax() {
    const auto stored = [this](const char* column) {
        return model_.Stored(T::StateTax, QLatin1String(column));
    };
    const std::pair<QLineEdit*, const char*> fields[] = {
        {ui_->edtGsNsrsbh, "NSRSBH"},    {ui_->edtGsNsrbm, "NSRBM"},
        {ui_->edtGsDjzclx, "DJZCLX_DM"}, {ui_->edtGsNsrlx, "NSRLX"},
        {ui_->edtGsQylx, "QYLXMC"},      {ui_->edtGsNsrzt, "NSRZT"},
        {ui_->edtGsZgswjg, "SSSWJG_DM"}, {ui_->edtGsXydj, "XYDJ"},
        {ui_->edtGsSsdljg, "SSDLJG"},    {ui_->edtGsKhyh, "KKYH"},
        {ui_->edtGsYhzh, "YHZH"},        {ui_->edtGsJbzh, "JBZH"},
        {ui_->edtGsFlzsh, "FLZSH"},
    };
    for (const auto& [edit, column] : fields) {
        FormBase::ShowWhole(edit, stored(column));
        edit->setReadOnly(!config_.StateTaxFieldEditable(QLatin1String(column)));
    }
    // A row that does not exist yet has no flags to tell.
    const bool hasRow = model_.HasRow(T::StateTax);
    ui_->edtGsYfzdh->setText(hasRow ? YesNo(stored("ZDH")) : QString());
    ui_->edtGsJkbz->setText(hasRow ? YesNo(stored("JKBZ")) : QString());
    ui_->edtGsYfzdh->setReadOnly(true);
    ui_->edtGsJkbz->setReadOnly(true);
    FillIndustries(ui_->cbxGsSSHY, stored("SSHY"), stored("SSHYMC"));
    ui_->cbxGsSSHY->setEnabled(config_.StateTaxFieldEditable(QStringLiteral("SSHY")));

    icCards_.clear();
    ui_->vstGsICCardList->clear();
    QStringList lines =
        stored("ICCARD").split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    // A closing line break ends the last card; it starts none.
    while (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (qsizetype line = 0; line < lines.size(); ++line) {
        const std::string params = lines[line].toStdString();
        const auto get = [&](const char* key) {
            return QString::fromStdString(ParamString::GetParamValue(params, key));
        };
        icCards_.push_back({static_cast<int>(line) + 1, get("ICBH"), get("ICLX"), get("KPJH")});
        const TICCardEntry& entry = icCards_.back();
        new QTreeWidgetItem(ui_->vstGsICCardList,
                            {QString::number(entry.sequence), entry.ICBH, entry.ICLX, entry.KPJH});
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
    FormBase::MakeFieldsReadOnly(ClientArea());
    for (QLineEdit* edit : {ui_->edtQysbh, ui_->edtDhhm, ui_->edtCzhm, ui_->edtYzbm, ui_->edtYydz,
                            ui_->edtDsSwdjzHm, ui_->edtGsSsdljg}) {
        edit->setEnabled(false);
    }
    ui_->cbxGsSSHY->setEnabled(false);
}

bool Tfrm_CompanyInfoInner::Collect() {
    model_.ClearEdits();
    const auto set = [this](InfoTable table, const char* column, const QLineEdit* edit) {
        model_.SetEdited(table, QLatin1String(column), edit->text());
    };
    set(T::Company, "QYSBH", ui_->edtQysbh);
    set(T::Company, "QYCZHM", ui_->edtCzhm);
    set(T::Company, "YYDZ", ui_->edtYydz);
    set(T::Company, "QYDHHM", localTaxOnly_ ? ui_->edtDhhm2 : ui_->edtDhhm);
    set(T::Company, "YZBM", localTaxOnly_ ? ui_->edtYzbm2 : ui_->edtYzbm);
    set(T::Company, "EMAIL", localTaxOnly_ ? ui_->edtMail2 : ui_->edtMail);
    if (!localTaxOnly_) {
        set(T::Company, "QYMC", ui_->edtQymc);
        set(T::Company, "HYMC", ui_->edtHymc);
        set(T::Company, "ZCDZ", ui_->edtZcdz);
        set(T::Company, "FDDBRMC", ui_->edtFddbr);
        set(T::Company, "CWFZR", ui_->edtCwfzr);
    }
    if (hasLocalTax_) {
        set(T::LocalTax, "NSRSBH", ui_->edtDsSwdjzHm);
        set(T::LocalTax, "GSGBZE", localTaxOnly_ ? ui_->edtGsgbze2 : ui_->edtGsgbze);
    }
    if (hasStateTax_) {
        const std::pair<const char*, QLineEdit*> fields[] = {
            {"NSRSBH", ui_->edtGsNsrsbh},    {"NSRBM", ui_->edtGsNsrbm},
            {"DJZCLX_DM", ui_->edtGsDjzclx}, {"NSRZT", ui_->edtGsNsrzt},
            {"KKYH", ui_->edtGsKhyh},        {"YHZH", ui_->edtGsYhzh},
            {"NSRLX", ui_->edtGsNsrlx},      {"XYDJ", ui_->edtGsXydj},
            {"SSSWJG_DM", ui_->edtGsZgswjg}, {"SSDLJG", ui_->edtGsSsdljg},
            {"JBZH", ui_->edtGsJbzh},        {"FLZSH", ui_->edtGsFlzsh},
            {"QYLXMC", ui_->edtGsQylx},
        };
        for (const auto& [column, edit] : fields) {
            set(T::StateTax, column, edit);
        }
        QString code, name;
        SelectedIndustry(ui_->cbxGsSSHY, code, name);
        model_.SetEdited(T::StateTax, QStringLiteral("SSHY"), code);
        model_.SetEdited(T::StateTax, QStringLiteral("SSHYMC"), name);
    }
    return model_.IsChanged();
}

QLineEdit* Tfrm_CompanyInfoInner::FieldOf(const QString& column) const {
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"QYSBH", ui_->edtQysbh},
        {"QYDHHM", localTaxOnly_ ? ui_->edtDhhm2 : ui_->edtDhhm},
        {"QYCZHM", ui_->edtCzhm},
        {"EMAIL", localTaxOnly_ ? ui_->edtMail2 : ui_->edtMail},
        {"YZBM", localTaxOnly_ ? ui_->edtYzbm2 : ui_->edtYzbm},
        {"DJZCLX_DM", ui_->edtGsDjzclx},
        {"GSGBZE", localTaxOnly_ ? ui_->edtGsgbze2 : ui_->edtGsgbze},
    };
    for (const auto& [name, edit] : fields) {
        if (column == QLatin1String(name)) {
            return edit;
        }
    }
    return ui_->edtQysbh;
}

bool Tfrm_CompanyInfoInner::SaveEdits() {
    ui_->actSave->setEnabled(false);
    struct Reenable {
        QAction* action;
        ~Reenable() { action->setEnabled(true); }
    } reenable{ui_->actSave};

    const bool changed = Collect();
    if (const auto failure = model_.Check()) {
        QLineEdit* field = FieldOf(failure->column);
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
        return false;
    }
    if (!changed) {
        return true;
    }
    if (!ConfirmRowsAsLoaded()) {
        return false;
    }
    const QString today = Today();
    const bool written =
        model_.Save(InfoWindow::Page, today) == TCompanyInfoModel::SaveResult::Saved;
    // What this page wrote is no other desk's change at the next save.
    loadedRows_.Take(companyId_);
    if (!written) {
        ModuleLib::InforMsg(InfoMessages::kSaveFailed,
                            QString::fromLatin1(InfoMessages::kSaveFailedDetail), 1);
        return false;
    }
    TellHostSaved();
    TDataVO* current = HostContext().CompanyInfoVO;
    if (ContextValues::IsCompany(current, companyId_)) {
        try {
            model_.RefreshCurrentCompany(*current, InfoWindow::Page, today);
        } catch (...) {
            ModuleLib::InforMsg(InfoMessages::kRefreshFailed,
                                QString::fromLatin1(InfoMessages::kRefreshFailedDetail), 1);
            return false;
        }
    }
    ModuleLib::InforMsg(InfoMessages::kSaved, QString(), 1);
    return true;
}

void Tfrm_CompanyInfoInner::Save() {
    // A save that found nothing changed leaves the page open.
    const bool changed = Collect();
    if (SaveEdits() && changed) {
        CloseSaved();
    }
}

bool Tfrm_CompanyInfoInner::ConfirmRowsAsLoaded() {
    switch (CheckRowsAsLoaded(loadedRows_, companyId_)) {
        case RowsCheck::Write:
            return true;
        case RowsCheck::Reload:
            LoadCompany(companyId_, viewOnly_, showBack_);
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

bool Tfrm_CompanyInfoInner::HasUnsavedEdits() {
    return !viewOnly_ && !companyId_.isEmpty() && Collect();
}

void Tfrm_CompanyInfoInner::Back() {
    close();
}
