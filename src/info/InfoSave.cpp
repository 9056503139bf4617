#include "InfoSave.h"

#include <QDate>
#include <QLineEdit>

#include "CommitOutcome.h"
#include "ContextValues.h"
#include "FieldTable.h"
#include "HostServices.h"
#include "MessageCodes.h"

namespace {

void TellSaveFailed() {
    ModuleLib::InforMsg(MessageCodes::kSaveFailed,
                        QString::fromLatin1(MessageCodes::kSaveFailedDetail), 1);
}

// A failed check's message; the field it names, when the operator can reach
// it, is emptied if the check says so and focused.
void TellCheckFailed(const TInfoCheckFailure& failure, const TFieldTable& fields) {
    QWidget* field = fields.Editable(static_cast<int>(failure.table), failure.column);
    auto* edit = qobject_cast<QLineEdit*>(field);
    if (failure.clearField && edit != nullptr) {
        edit->clear();
    }
    if (failure.messageCode != 0) {
        ModuleLib::InforMsg(failure.messageCode, QString(), 1);
    } else {
        ModuleLib::InfoMsgBox(failure.messageText);
    }
    if (field != nullptr) {
        field->setFocus();
        if (!failure.clearField && edit != nullptr) {
            // Kept for correcting: an emptied share capital would save as 0.
            edit->selectAll();
        }
    }
}

}  // namespace

bool CollectInfoEdits(TCompanyInfoModel& model, const TFieldTable& fields) {
    model.ClearEdits();
    fields.Collect([&](int table, const QString& column, const QString& text) {
        model.SetEdited(static_cast<InfoTable>(table), column, text);
    });
    return model.IsChanged();
}

InfoSaveOutcome SaveCompanyInfo(const TInfoSave& save) {
    TCompanyInfoModel& model = save.model;
    const bool changed = CollectInfoEdits(model, save.fields);
    if (const auto failure = model.Check()) {
        TellCheckFailed(*failure, save.fields);
        return InfoSaveOutcome::Stopped;
    }
    if (!changed) {
        return InfoSaveOutcome::NothingChanged;
    }
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    TCompanyInfoModel::SaveResult result;
    while ((result = model.Save(save.window, today)) == TCompanyInfoModel::SaveResult::Changed) {
        switch (AskAboutOtherDesk(model.ChangedMeanwhile())) {
            case OtherDeskChoice::Overwrite:
                // What he was shown is what the next round compares with.
                if (model.Reread()) {
                    continue;
                }
                TellSaveFailed();
                return InfoSaveOutcome::Stopped;
            case OtherDeskChoice::Reload:
                save.reload();
                return InfoSaveOutcome::Stopped;
            case OtherDeskChoice::Wait:
                break;
        }
        return InfoSaveOutcome::Stopped;
    }
    if (result == TCompanyInfoModel::SaveResult::Unknown) {
        CommitOutcome::TellUnknown();
        // What is stored, as far as the database answers again.
        save.reload();
        return InfoSaveOutcome::Stopped;
    }
    if (result != TCompanyInfoModel::SaveResult::Saved) {
        // What this save did write is no other desk's change at the next.
        model.Reread();
        TellSaveFailed();
        return InfoSaveOutcome::Stopped;
    }
    save.tellHost();
    if (ContextValues::IsCompany(save.current, model.CompanyId())) {
        try {
            model.RefreshCurrentCompany(*save.current, save.window, today);
        } catch (...) {
            model.Reread();
            ModuleLib::InforMsg(MessageCodes::kRefreshFailed,
                                QString::fromLatin1(MessageCodes::kRefreshFailedDetail), 1);
            return InfoSaveOutcome::Stopped;
        }
    }
    model.Reread();
    ModuleLib::InforMsg(MessageCodes::kSaved, QString(), 1);
    return InfoSaveOutcome::Saved;
}
