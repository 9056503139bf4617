#include "f_Bsyxxsz.h"

#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QStyle>

#include "CommitOutcome.h"
#include "FormBase.h"
#include "HostServices.h"
#include "StoredRow.h"
#include "TaxOfficer.h"
#include "ui_f_Bsyxxsz.h"

Tfrm_Bsyxxsz::Tfrm_Bsyxxsz(QWidget* parent)
    : Tfrm_CustomEx(parent), ui_(std::make_unique<Ui::frm_Bsyxxsz>()) {
    setObjectName(QStringLiteral("frm_Bsyxxsz"));
    ui_->setupUi(ClientArea());
    setWindowTitle(QStringLiteral("frm_Bsyxxsz"));

    auto* save = new QAction(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("actSave"));
    save->setIcon(FormBase::StandardIcon(this, QStyle::SP_DialogSaveButton));
    save->setShortcut(QKeySequence::Save);
    AddToolAction(save, QStringLiteral("tbtnSave"));
    connect(save, &QAction::triggered, this, &Tfrm_Bsyxxsz::SaveEdits);

    // The style's own popup covers the screen and ignores the 20 visible
    // lines; a plain list drops down below the field instead.
    ui_->cbxCantonCode->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    MakeRegionsSearchable();
    fields_.Add(ui_->edtBsymc, 0, QStringLiteral("QYMC"));
    fields_.Add(ui_->edtSfzh, 0, QStringLiteral("QYSBH"), false);
    fields_.Add(ui_->cbxCantonCode, 0, QStringLiteral("XZQHDM"),
                [this] { return SelectedRegionCode(); });
    FormCreate();
}

Tfrm_Bsyxxsz::~Tfrm_Bsyxxsz() {
    // The field loses the focus as the page goes, when the page is no longer one.
    ui_->cbxCantonCode->lineEdit()->disconnect(this);
}

void Tfrm_Bsyxxsz::FormCreate() {
    Tfrm_CustomEx::FormCreate();
    LoadRegions();
}

void Tfrm_Bsyxxsz::showEvent(QShowEvent* event) {
    Tfrm_CustomEx::showEvent(event);
    // Read anew each time, so another desk's change shows; edits not yet
    // saved are kept, and the save asks about such a change.
    if (!HasUnsavedEdits()) {
        LoadOfficer();
    }
}

void Tfrm_Bsyxxsz::LoadRegions() {
    QStringList items;
    if (!TaxOfficer::ReadRegions(HostContext().AppPath, items)) {
        // The design-time item stays, and nothing is chosen.
        ui_->cbxCantonCode->setCurrentIndex(-1);
        return;
    }
    regions_ = items;
    ui_->cbxCantonCode->clear();
    for (const QString& item : regions_) {
        ui_->cbxCantonCode->addItem(item, TaxOfficer::RegionCode(item));
    }
    ui_->cbxCantonCode->setCurrentIndex(regions_.isEmpty() ? -1 : 0);
}

void Tfrm_Bsyxxsz::MakeRegionsSearchable() {
    // Typing finds a region by any part of its line, the name as well as the
    // code; only a line of the list can be chosen.
    QComboBox* list = ui_->cbxCantonCode;
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->completer()->setFilterMode(Qt::MatchContains);
    list->completer()->setCompletionMode(QCompleter::PopupCompletion);
    // Leaving the field shows the line that is chosen, never a text that is not.
    connect(list->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (!RegionTextIsChosenOne()) {
            ui_->cbxCantonCode->setEditText(
                ui_->cbxCantonCode->itemText(ui_->cbxCantonCode->currentIndex()));
        }
    });
}

bool Tfrm_Bsyxxsz::RegionTextIsChosenOne() const {
    const QComboBox* list = ui_->cbxCantonCode;
    return list->currentText() == list->itemText(list->currentIndex());
}

void Tfrm_Bsyxxsz::LoadOfficer() {
    officerRead_ = true;
    TaxOfficer::TRow row;
    if (TaxOfficer::ReadRow(row)) {
        officer_ = row;
        // Whole, whatever the typing limit: a save of the region alone
        // keeps the name as stored.
        fields_.Show([&row](int, const QString& column) {
            return column == QLatin1String("QYMC") ? row.Name : row.IdNumber;
        });
        SelectRegion(row.RegionCode.trimmed());
    }
    shownName_ = ui_->edtBsymc->text();
    shownRegion_ = SelectedRegionCode();
}

bool Tfrm_Bsyxxsz::HasUnsavedEdits() {
    return officerRead_ &&
           (ui_->edtBsymc->text() != shownName_ || SelectedRegionCode() != shownRegion_);
}

// A save of the name alone writes the region shown, so the one shown is the
// stored one, never a region the operator did not pick.
void Tfrm_Bsyxxsz::SelectRegion(const QString& code) {
    if (regions_.isEmpty()) {
        // No file to choose from: the operator picks before saving.
        return;
    }
    QComboBox* list = ui_->cbxCantonCode;
    // None stored finds a heading, if there is one, to prompt with.
    int index = list->findData(code);
    if (index < 0 && !code.isEmpty()) {
        // Not in the file: it stays as stored until the operator picks another.
        list->insertItem(0, code, code);
        index = 0;
    }
    list->setCurrentIndex(index);
}

QString Tfrm_Bsyxxsz::SelectedRegionCode() const {
    // The design-time item carries no code.
    return ui_->cbxCantonCode->currentData().toString();
}

bool Tfrm_Bsyxxsz::SaveEdits() {
    if (!RegionTextIsChosenOne()) {
        ModuleLib::InfoMsgBox(QStringLiteral("请从列表中选择所在地。"));
        ui_->cbxCantonCode->setFocus();
        return false;
    }
    const QString name = ui_->edtBsymc->text();
    const QString regionCode = SelectedRegionCode();
    TaxOfficer::Field field = TaxOfficer::Field::None;
    const QString failure = TaxOfficer::Validate(name, ui_->edtSfzh->text(), regionCode, field);
    if (!failure.isEmpty()) {
        ModuleLib::InfoMsgBox(failure);
        if (field == TaxOfficer::Field::Name) {
            ui_->edtBsymc->setFocus();
        } else if (field == TaxOfficer::Field::Region) {
            ui_->cbxCantonCode->setFocus();
        }
        return false;
    }
    // Only what the operator changed is written; the rest stays as stored.
    std::optional<QString> newName, newRegion;
    fields_.Collect([&](int, const QString& column, const QString& text) {
        if (column == QLatin1String("QYMC") && text != shownName_) {
            newName = text;
        } else if (column == QLatin1String("XZQHDM") && text != shownRegion_) {
            newRegion = text;
        }
    });
    QStringList changed;
    TaxOfficer::SaveResult result;
    while ((result = TaxOfficer::Save(officer_, newName, newRegion, changed)) ==
           TaxOfficer::SaveResult::Changed) {
        const OtherDeskChoice choice = AskAboutOtherDesk(changed);
        if (choice == OtherDeskChoice::Reload) {
            LoadOfficer();
            return false;
        }
        // What he was shown now is what the next round compares with.
        if (choice == OtherDeskChoice::Wait || !TaxOfficer::ReadRow(officer_)) {
            return false;
        }
    }
    if (result == TaxOfficer::SaveResult::Unknown) {
        CommitOutcome::TellUnknown();
        LoadOfficer();
        return false;
    }
    if (result != TaxOfficer::SaveResult::Saved) {
        ModuleLib::InfoMsgBox(QStringLiteral("办税员设置失败！"));
        return false;
    }
    TellHostSaved();
    ModuleLib::InfoMsgBox(QStringLiteral("办税员设置成功！"));
    LoadOfficer();
    return true;
}
