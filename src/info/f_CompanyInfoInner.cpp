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

#include <utility>

#include "CharSetValidator.h"
#include "ContextValues.h"
#include "FlatHeaderView.h"
#include "FormBase.h"
#include "HistoryTab.h"
#include "HostServices.h"
#include "InfoSave.h"
#include "ParamString.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"
#include "ui_f_CompanyInfoInner.h"

namespace {

using T = InfoTable;

// Where the local-tax-only panel covers the basic fields.
constexpr int kPanelWidth = 633;
constexpr int kPanelHeight = 297;

QString YesNo(const QString& flag) {
    return flag == QLatin1String("0") ? QStringLiteral("否") : QStringLiteral("是");
}

}  // namespace

Tfrm_CompanyInfoInner::Tfrm_CompanyInfoInner(QWidget* parent)
    : Tfrm_CustomEx(parent), ui_(std::make_unique<Ui::frm_CompanyInfoInner>()) {
    setObjectName(QStringLiteral("frm_CompanyInfoInner"));
    ui_->setupUi(ClientArea());
    ui_->pnlMainOnlyDS->parentWidget()->installEventFilter(this);
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
    TCharSetValidator::Attach(ui_->edtYzbm, QStringLiteral("0123456789"), 0);
    // Any amount NUMERIC(19,2) holds: a sign, 17 digits, the point and cents.
    ui_->edtGsgbze->setMaxLength(21);
    ui_->edtGsgbze2->setMaxLength(21);
    FormBase::ShowReadOnlyFieldsAsSuch(ClientArea());

    DeclareFields();
    history_ = new THistoryTab(ui_->cbHistoryField, ui_->tvHistory, ui_->btnHistoryExport,
                               FieldCaptions(), this);
    connect(ui_->pgcInfo, &QTabWidget::currentChanged, this, [this] {
        if (ui_->pgcInfo->currentWidget() == ui_->tsHistory) {
            history_->Show();
        }
    });
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

void Tfrm_CompanyInfoInner::DeclareFields() {
    const auto add = [this](QLineEdit* edit, InfoTable table, const char* column, bool editable) {
        fields_.Add(edit, static_cast<int>(table), QLatin1String(column), editable);
    };
    const std::tuple<QLineEdit*, InfoTable, const char*, bool> fields[] = {
        {ui_->edtQysbh, T::Company, "QYSBH", false},
        {ui_->edtQymc, T::Company, "QYMC", true},
        {ui_->edtZcdz, T::Company, "ZCDZ", true},
        {ui_->edtYydz, T::Company, "YYDZ", true},
        {ui_->edtFddbr, T::Company, "FDDBRMC", true},
        {ui_->edtCwfzr, T::Company, "CWFZR", true},
        {ui_->edtDhhm, T::Company, "QYDHHM", true},
        {ui_->edtCzhm, T::Company, "QYCZHM", true},
        {ui_->edtMail, T::Company, "EMAIL", true},
        {ui_->edtYzbm, T::Company, "YZBM", true},
        {ui_->edtHymc, T::Company, "HYMC", true},
        // The local-tax-only panel.
        {ui_->edtQymc2, T::Company, "QYMC", false},
        {ui_->edtZcdz2, T::Company, "ZCDZ", false},
        {ui_->edtFddbr2, T::Company, "FDDBRMC", false},
        {ui_->edtCwfzr2, T::Company, "CWFZR", false},
        {ui_->edtDhhm2, T::Company, "QYDHHM", false},
        {ui_->edtMail2, T::Company, "EMAIL", true},
        {ui_->edtYzbm2, T::Company, "YZBM", false},
        {ui_->edtKjywrbm2, T::LocalTax, "KJYWRBM", false},
        {ui_->edtDsSwdjzHm2, T::LocalTax, "NSRSBH", false},
        {ui_->edtDsZgswjg2, T::LocalTax, "ZGSWJGMC", false},
        {ui_->edtDsSSHY2, T::LocalTax, "HYMC", false},
        {ui_->edtJjlx2, T::LocalTax, "DJZCLXMC", false},
        {ui_->edtGsgbze2, T::LocalTax, "GSGBZE", true},
        // The local-tax tab.
        {ui_->edtDsNsrsbh, T::LocalTax, "NSRSBH", false},
        {ui_->edtKjywrbm, T::LocalTax, "KJYWRBM", false},
        {ui_->edtDsSwdjzHm, T::LocalTax, "NSRSBH", true},
        {ui_->edtDsSSHY, T::LocalTax, "HYMC", false},
        {ui_->edtDsZgswjg, T::LocalTax, "ZGSWJGMC", false},
        {ui_->edtGsgbze, T::LocalTax, "GSGBZE", true},
        {ui_->edtJjlx, T::LocalTax, "DJZCLXMC", false},
        // The state-tax tab.
        {ui_->edtGsNsrsbh, T::StateTax, "NSRSBH", true},
        {ui_->edtGsNsrbm, T::StateTax, "NSRBM", true},
        {ui_->edtGsDjzclx, T::StateTax, "DJZCLX_DM", true},
        {ui_->edtGsNsrlx, T::StateTax, "NSRLX", true},
        {ui_->edtGsQylx, T::StateTax, "QYLXMC", true},
        {ui_->edtGsNsrzt, T::StateTax, "NSRZT", true},
        {ui_->edtGsZgswjg, T::StateTax, "SSSWJG_DM", true},
        {ui_->edtGsXydj, T::StateTax, "XYDJ", true},
        {ui_->edtGsSsdljg, T::StateTax, "SSDLJG", true},
        {ui_->edtGsKhyh, T::StateTax, "KKYH", true},
        {ui_->edtGsYhzh, T::StateTax, "YHZH", true},
        {ui_->edtGsJbzh, T::StateTax, "JBZH", true},
        {ui_->edtGsFlzsh, T::StateTax, "FLZSH", true},
    };
    for (const auto& [edit, table, column, editable] : fields) {
        add(edit, table, column, editable);
    }
    const auto industry = [this](bool code) {
        return [this, code] {
            QString industryCode, industryName;
            SelectedIndustry(ui_->cbxGsSSHY, industryCode, industryName);
            return code ? industryCode : industryName;
        };
    };
    fields_.Add(ui_->cbxGsSSHY, static_cast<int>(T::StateTax), QStringLiteral("SSHY"),
                industry(true));
    fields_.Add(ui_->cbxGsSSHY, static_cast<int>(T::StateTax), QStringLiteral("SSHYMC"),
                industry(false));
}

// "XT_QYXX.QYMC" -> the text of the label of the field that shows it.
QHash<QString, QString> Tfrm_CompanyInfoInner::FieldCaptions() const {
    QHash<QWidget*, QString> columns;
    fields_.ForEach([&](QWidget* control, int table, const QString& column) {
        columns.insert(control, QLatin1String(InfoTableName(static_cast<InfoTable>(table))) +
                                    QLatin1Char('.') + column);
    });
    QHash<QString, QString> captions;
    for (const QLabel* label : ClientArea()->findChildren<QLabel*>()) {
        const QString column = columns.value(label->buddy());
        if (!column.isEmpty() && !captions.contains(column)) {
            QString caption = label->text();
            caption.remove(QLatin1Char('&')).remove(QRegularExpression(QStringLiteral("[\\s：:]")));
            captions.insert(column, caption);
        }
    }
    return captions;
}

void Tfrm_CompanyInfoInner::ShowHistory() {
    // A page not shown yet opens on it.
    historyFirst_ = !isVisible();
    ui_->pgcInfo->setCurrentWidget(ui_->tsHistory);
    history_->Show();
}

void Tfrm_CompanyInfoInner::ShowTab(QWidget* tab, bool shown) {
    ui_->pgcInfo->setTabVisible(ui_->pgcInfo->indexOf(tab), shown);
    tab->setEnabled(shown);
}

bool Tfrm_CompanyInfoInner::LoadCompany(const QString& companyId, bool viewOnly, bool showBack) {
    const bool found = model_.Load(companyId) == TCompanyInfoModel::LoadResult::Loaded;
    ui_->pnlMainOnlyDS->setVisible(false);
    ui_->pnlMainOnlyDS->setEnabled(false);
    ui_->pnlBasic->setEnabled(true);
    if (!found) {
        ShowTab(ui_->tsGs, false);
        ShowTab(ui_->tsDs, false);
        return false;
    }
    companyId_ = model_.CompanyId();
    history_->SetCompany(companyId_);
    if (ui_->pgcInfo->currentWidget() == ui_->tsHistory) {
        history_->Show();
    }
    viewOnly_ = viewOnly;
    showBack_ = showBack;
    ui_->actBack->setVisible(showBack);
    backButton_->setVisible(showBack);
    config_.LoadAll();
    hasLocalTax_ = model_.HasRow(T::LocalTax);
    hasStateTax_ = model_.HasRow(T::StateTax);
    localTaxOnly_ = hasLocalTax_ && !hasStateTax_;
    fields_.Show([this](int table, const QString& column) {
        return model_.Shown(static_cast<InfoTable>(table), column);
    });
    SetEditable();
    if (localTaxOnly_) {
        // The panel covers the basic fields, which then take neither focus
        // nor typing: what the operator cannot see he cannot change.
        FitLocalTaxPanel();
        ui_->pnlMainOnlyDS->setVisible(true);
        ui_->pnlMainOnlyDS->setEnabled(true);
        ui_->pnlMainOnlyDS->raise();
        ui_->pnlBasic->setEnabled(false);
        FillLocalTax();
    }
    if (!hasStateTax_ && config_.StateTaxVisible()) {
        // Saving then writes the state-tax row the configuration asks for.
        hasStateTax_ = true;
    }
    model_.SetWritesStateTax(hasStateTax_);
    ShowTab(ui_->tsGs, hasStateTax_);
    if (hasStateTax_) {
        FillStateTax();
    }
    ShowTab(ui_->tsDs, hasLocalTax_ && !localTaxOnly_);
    if (hasLocalTax_ && !localTaxOnly_) {
        FillLocalTax();
    }
    return true;
}

void Tfrm_CompanyInfoInner::SetEditable() {
    const struct {
        QLineEdit* edit;
        const char* column;
    } basic[] = {
        {ui_->edtQymc, "QYMC"},     {ui_->edtZcdz, "ZCDZ"},   {ui_->edtYydz, "YYDZ"},
        {ui_->edtFddbr, "FDDBRMC"}, {ui_->edtCwfzr, "CWFZR"}, {ui_->edtDhhm, "QYDHHM"},
        {ui_->edtCzhm, "QYCZHM"},   {ui_->edtMail, "EMAIL"},  {ui_->edtYzbm, "YZBM"},
        {ui_->edtHymc, "HYMC"},
    };
    for (const auto& f : basic) {
        f.edit->setReadOnly(!config_.BasicFieldEditable(QLatin1String(f.column)));
    }
    ui_->cbxSFSS->setEnabled(false);
    ui_->cbxSFSS2->setEnabled(false);
}

void Tfrm_CompanyInfoInner::FillLocalTax() {
    if (!model_.HasRow(T::LocalTax)) {
        return;
    }
    const int listed =
        model_.Stored(T::LocalTax, QStringLiteral("SFSS")) == QLatin1String("0") ? 0 : 1;
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

void Tfrm_CompanyInfoInner::FitLocalTaxPanel() {
    // The panel covers what it sits on, and grows with it.
    const QSize size = ui_->pnlMainOnlyDS->sizeHint()
                           .expandedTo(QSize(kPanelWidth, kPanelHeight))
                           .expandedTo(ui_->pnlMainOnlyDS->parentWidget()->size());
    ui_->pnlMainOnlyDS->setGeometry(QRect(QPoint(0, 0), size));
}

bool Tfrm_CompanyInfoInner::eventFilter(QObject* watched, QEvent* event) {
    if (localTaxOnly_ && event->type() == QEvent::Resize &&
        watched == ui_->pnlMainOnlyDS->parentWidget()) {
        FitLocalTaxPanel();
    }
    return Tfrm_CustomEx::eventFilter(watched, event);
}

void Tfrm_CompanyInfoInner::showEvent(QShowEvent* event) {
    Tfrm_CustomEx::showEvent(event);
    ui_->labDisplayCompanyCodeName->setText(QStringLiteral("*") + CompanyCodeCaption() +
                                            QStringLiteral("："));
    ui_->pgcInfo->setCurrentWidget(std::exchange(historyFirst_, false) ? ui_->tsHistory
                                                                       : ui_->tsBasic);
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

bool Tfrm_CompanyInfoInner::SaveEdits() {
    ui_->actSave->setEnabled(false);
    struct Reenable {
        QAction* action;
        ~Reenable() { action->setEnabled(true); }
    } reenable{ui_->actSave};
    const TInfoSave save{model_,
                         fields_,
                         InfoWindow::Page,
                         HostContext().CompanyInfoVO,
                         [this] { LoadCompany(companyId_, viewOnly_, showBack_); },
                         [this] { TellHostSaved(); }};
    return SaveCompanyInfo(save) != InfoSaveOutcome::Stopped;
}

void Tfrm_CompanyInfoInner::Save() {
    // A save that found nothing changed leaves the page open.
    const bool changed = CollectInfoEdits(model_, fields_);
    if (SaveEdits() && changed) {
        CloseSaved();
    }
}

bool Tfrm_CompanyInfoInner::HasUnsavedEdits() {
    return !viewOnly_ && !companyId_.isEmpty() && CollectInfoEdits(model_, fields_);
}

void Tfrm_CompanyInfoInner::Back() {
    close();
}
