// One desk of an installation where several share a database: adds
// companies (each its own, and one that every desk tries to add), has other
// modules write their registrations back, saves the information page and
// deletes some of its companies again, printing one line per operation with
// what the module answered. The test that starts several desks at once
// checks the database against those lines afterwards.
//
//   companymgr_desk --app-dir DIR --desk NAME --rounds N
//   companymgr_desk --app-dir DIR --list
#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <QToolButton>

#include <cstdio>

#include "CompanyAddSaver.h"
#include "CompanyListLoader.h"
#include "CompanyRemoval.h"
#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"

namespace {

constexpr int kInfoSaved = 106019;

void Print(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QString OutcomeName(CompanyAddSaver::Outcome outcome) {
    switch (outcome) {
        case CompanyAddSaver::Outcome::Saved:
            return QStringLiteral("saved");
        case CompanyAddSaver::Outcome::Duplicate:
            return QStringLiteral("duplicate");
        case CompanyAddSaver::Outcome::MissingTaxId:
        case CompanyAddSaver::Outcome::InvisibleTaxId:
        case CompanyAddSaver::Outcome::TaxIdTooLong:
        case CompanyAddSaver::Outcome::NameTooLong:
        case CompanyAddSaver::Outcome::PhoneTooLong:
        case CompanyAddSaver::Outcome::InvalidPhone:
        case CompanyAddSaver::Outcome::Declined:
            return QStringLiteral("refused");
        case CompanyAddSaver::Outcome::Unknown:
            return QStringLiteral("unknown");
        case CompanyAddSaver::Outcome::Failed:
            break;
    }
    return QStringLiteral("failed");
}

QString Flag(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// The page as an operator uses it: the e-mail typed, Save pressed.
bool SaveEmail(const QString& companyId, const QString& email) {
    HostSetup::ClearRecorded();
    auto* page = new Tfrm_CompanyInfoInner();
    page->LoadCompany(companyId, false, true);
    page->show();
    page->findChild<QLineEdit*>(QStringLiteral("edtMail"))->setText(email);
    page->findChild<QToolButton*>(QStringLiteral("tbtnSave"))->click();
    delete page;
    for (const auto& message : HostSetup::RecordedMessages()) {
        if (message.code == kInfoSaved) {
            return true;
        }
    }
    return false;
}

void RunDesk(const QString& desk, int rounds) {
    TCompanySelectMgr writer(QStringLiteral("0001"), QStringLiteral("0"));
    QStringList added;  // QYID of this desk's companies, in order
    for (int round = 0; round < rounds; ++round) {
        const QString taxId = QStringLiteral("DESK-%1-%2").arg(desk).arg(round, 3, 10, QChar(u'0'));
        const auto own =
            CompanyAddSaver::Save(taxId, QStringLiteral("%1号'公司\\;-- %2").arg(round).arg(desk),
                                  QStringLiteral("010-1"));
        Print(QStringLiteral("add %1 %2 %3").arg(taxId, OutcomeName(own.outcome), own.companyId));

        const QString shared = QStringLiteral("SHARED-%1").arg(round, 3, 10, QChar(u'0'));
        const auto other = CompanyAddSaver::Save(shared, QStringLiteral("共用公司"), QString());
        Print(QStringLiteral("shared %1 %2 %3")
                  .arg(shared, OutcomeName(other.outcome), other.companyId));

        if (own.outcome != CompanyAddSaver::Outcome::Saved) {
            continue;
        }
        const QString id = own.companyId;
        added << id;
        TDataVO data;
        data.SetStrValue(QStringLiteral("NSRSBH"), taxId);
        data.SetStrValue(QStringLiteral("KJYWRBM"), taxId);
        data.SetStrValue(QStringLiteral("DZXX"), taxId + QStringLiteral("@ds.cn"));
        QString errorText;
        Print(QStringLiteral("local %1 %2")
                  .arg(id, Flag(writer.WriteLocalTaxInfo(id, &data, errorText))));
        Print(QStringLiteral("state %1 %2")
                  .arg(id, Flag(writer.WriteStateTaxInfo(id, &data, errorText))));
        const QString email = QStringLiteral("r%1@%2.cn").arg(round).arg(desk.toLower());
        Print(QStringLiteral("info %1 %2 %3").arg(id, email, Flag(SaveEmail(id, email))));
        // Every third round takes back the company of the round before.
        if (round % 3 == 2 && added.size() >= 2) {
            const QString gone = added.at(added.size() - 2);
            Print(QStringLiteral("delete %1 %2")
                      .arg(gone, Flag(CompanyRemoval::DeleteCompany(gone))));
        }
    }
}

void ListCompanies() {
    TCompanyRecordArray records;
    if (!CompanyListLoader::Load(QStringLiteral("0"), QString(), QString(), records)) {
        Print(QStringLiteral("list failed"));
        return;
    }
    for (const TCompanyRecord& record : records) {
        Print(QStringLiteral("sees ") + record.Field(CompanyField::QYSBH));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const auto value = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const QString appDir = value("--app-dir");
    const QString desk = value("--desk");
    const int rounds = value("--rounds").toInt();
    const bool list = args.contains(QStringLiteral("--list"));
    if (appDir.isEmpty() || (!list && (desk.isEmpty() || rounds <= 0))) {
        std::fputs("usage: companymgr_desk --app-dir DIR (--desk NAME --rounds N | --list)\n",
                   stderr);
        return 2;
    }
    QString errorText;
    if (!HostSetup::Start(appDir, errorText)) {
        std::fprintf(stderr, "%s\n", qPrintable(errorText));
        return 3;
    }
    HostSetup::SetRecording(true);
    HostSetup::SetMessageResponder([](const HostSetup::THostMessage&) { return 1; });
    ModuleLib::GetUserInfoVO()->SetStrValue(QStringLiteral("CZY_DM"), QStringLiteral("0001"));
    ModuleLib::GetUserInfoVO()->SetStrValue(QStringLiteral("CZY_LB"), QStringLiteral("0"));
    if (list) {
        ListCompanies();
    } else {
        RunDesk(desk, rounds);
    }
    HostSetup::Stop();
    return 0;
}
