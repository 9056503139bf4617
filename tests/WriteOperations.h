// Every operation that writes, each with what "done" looks like and a judge
// of a run that a fault broke: afterwards the file is sound, the operation
// happened whole or not at all (a save of several statements keeps each one
// it ran), the caller heard the truth and the host goes on working.
#pragma once

#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "AgencyMgrImpl.h"
#include "AgencySettings.h"
#include "CompanyAddSaver.h"
#include "CompanyDelete.h"
#include "CompanyImport.h"
#include "CompanyInfoModel.h"
#include "CompanyRecord.h"
#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "TaxOfficer.h"
#include "TestHost.h"
#include "TextCodec.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"

namespace WriteFaults {

using Tables = std::map<std::string, std::string>;

// What a connection of its own finds in the file.
struct FileState {
    std::string problem;  // empty when the file opened, passed the check and was read
    Tables tables;
};

inline std::string Column(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    return text == nullptr ? std::string("<null>")
                           : std::string(reinterpret_cast<const char*>(text));
}

// Rows of every table, in a fixed order; SQLite's own tables are left out
// (the key counter moves with a rolled-back insert as well).
inline FileState Inspect(const QString& path) {
    FileState state;
    sqlite3* db = nullptr;
    // Read-write: a journal left behind is rolled back, as the next start would.
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        state.problem = std::string("open: ") + sqlite3_errmsg(db);
        sqlite3_close(db);
        return state;
    }
    auto rows = [&](const std::string& sql, std::vector<std::string>& out) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            state.problem = sql + ": " + sqlite3_errmsg(db);
            return;
        }
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                row += Column(statement, i) + '|';
            }
            out.push_back(row);
        }
        if (rc != SQLITE_DONE) {
            state.problem = sql + ": " + sqlite3_errmsg(db);
        }
        sqlite3_finalize(statement);
    };
    std::vector<std::string> check;
    rows("PRAGMA integrity_check", check);
    if (state.problem.empty() && check != std::vector<std::string>{"ok|"}) {
        state.problem = "integrity_check: " + (check.empty() ? std::string() : check.front());
    }
    std::vector<std::string> names;
    rows(
        "select name from sqlite_master where type='table' and name not like 'sqlite_%' "
        "order by name",
        names);
    for (std::string name : names) {
        name.pop_back();
        std::vector<std::string> content;
        // A history row's time is its run's own.
        rows(name == "XT_QYBGJL" ? "select QYID, BM, ZD, JZ, XZ, CZY_DM, LY, CZ from XT_QYBGJL"
                                 : "select * from \"" + name + "\"",
             content);
        std::sort(content.begin(), content.end());
        for (const std::string& row : content) {
            state.tables[name] += row + '\n';
        }
    }
    sqlite3_close(db);
    return state;
}

class WriteOperations : public HostTest {
  protected:
    void SetUp() override {
        StartHost("SQLITE", "[SubApps]\nCodes=GS\n[SubApp_GS]\nPath=SubApps/GS/\n");
        AllowInfoEdits();
        WriteFile("AppComs/Dmzd/hy.txt",
                  TextCodec::EncodeGbk(QStringLiteral("1101|烟煤和无烟煤开采洗选\r\n")));
        companyA_ = AddCompany("110101000000001", QStringLiteral("甲公司"));
        companyB_ = AddCompany("110101000000002", QStringLiteral("乙公司"));
        companyC_ = AddCompany("110101000000003", QStringLiteral("丙公司"));
        for (const QString& id : {companyA_, companyB_}) {
            Exec("INSERT INTO XT_QYDSXX(QYID, NSRSBH, GSGBZE, SFSS) VALUES(" + id +
                 ", 'DS1', 12.5, '0')");
            Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH, SSHY, SSHYMC, JKBZ) VALUES(" + id +
                 ", 'GS1', '1101', 'x', '0')");
            Exec("INSERT INTO QX_CZYQY(QYID) VALUES(" + id + ")");
            Exec("INSERT INTO QX_CZYZXT(QYID) VALUES(" + id + ")");
        }
        Exec(
            "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM, YZBM) VALUES('91110108AG0001', '代理', 19, "
            "'100080')");
        agencyId_ = Scalar("select QYID from XT_QYXX where LBDM=19");
        Exec(
            "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM, XZQHDM) VALUES('110101199003070011', "
            "'办税员', 20, '1101')");
        HostSetup::Stop();
        ASSERT_TRUE(QFile::copy(DatabasePath(), Snapshot()));
    }
    void TearDown() override {
        delete page_.data();
        HostTest::TearDown();
    }

    QString DatabasePath() const { return dir_.path() + QStringLiteral("/Data/main.db"); }
    QString Snapshot() const { return dir_.path() + QStringLiteral("/snapshot.db"); }

    // The host started afresh on the file as it was before any operation ran.
    void Reset() {
        delete page_.data();
        HostSetup::Stop();
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
            QFile::remove(DatabasePath() + QLatin1String(suffix));
        }
        ASSERT_TRUE(QFile::copy(Snapshot(), DatabasePath()));
        QString error;
        ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
        HostSetup::SetRecording(true);
        HostSetup::ClearRecorded();
    }

    bool Told() const { return !Messages().empty() || !LogLines().empty(); }
    bool Shown(int code) const {
        for (const auto& message : Messages()) {
            if (message.code == code) {
                return true;
            }
        }
        return false;
    }

    // The information page of company A, loaded and edited on every tab.
    void OpenPage() {
        page_ = new Tfrm_CompanyInfoInner();
        ASSERT_TRUE(page_->LoadCompany(companyA_, false, true));
        page_->show();
        for (const auto& [name, text] :
             {std::pair{"edtDhhm", "010-99"}, std::pair{"edtDsSwdjzHm", "DS2"},
              std::pair{"edtGsSsdljg", "新代理"}}) {
            auto* edit = page_->findChild<QLineEdit*>(QLatin1String(name));
            ASSERT_NE(edit, nullptr) << name;
            edit->setText(QString::fromUtf8(text));
        }
    }

    struct Operation {
        const char* name;
        // Statements run one by one without a transaction, in this order of
        // tables; empty when the operation is one statement or one transaction.
        std::vector<std::string> order;
        std::function<void()> prepare;  // runs before the fault is armed
        std::function<bool()> run;      // true when the operation says it succeeded
    };

    std::vector<Operation> Operations() {
        auto data = [](std::initializer_list<std::pair<const char*, const char*>> entries) {
            auto vo = std::make_shared<TDataVO>();
            for (const auto& [key, value] : entries) {
                vo->SetStrValue(QString::fromUtf8(key), QString::fromUtf8(value));
            }
            return vo;
        };
        auto writeBack =
            [this](const QString& id, std::shared_ptr<TDataVO> vo,
                   bool (TCompanySelectMgr::*write)(const QString&, const TDataVO*, QString&)) {
                return [=, this] {
                    TCompanySelectMgr manager("0001", "0");
                    QString error;
                    const bool ok = (manager.*write)(id, vo.get(), error);
                    // The entry point logs this text: a failure must have one.
                    EXPECT_TRUE(ok || !error.isEmpty()) << "no reason given";
                    return ok;
                };
            };
        auto company = std::make_shared<TCompanyRecord>();
        auto dialog = std::make_shared<TCompanyInfoModel>();
        auto agency = std::make_shared<std::unique_ptr<TAgencyMgrImpl>>();
        return {
            {"add",
             {},
             [] {},
             [] {
                 return CompanyAddSaver::Save("91110108FAULT01", "新单位", "010-1").outcome ==
                        CompanyAddSaver::Outcome::Saved;
             }},
            {"delete",
             {},
             [this, company] {
                 *company = TCompanyRecord();
                 company->SetField(CompanyField::QYID, companyB_);
                 company->SetField(CompanyField::QYSBH, u"110101000000002");
             },
             [this, company] {
                 const auto outcome = CompanyDelete::Run(*company, nullptr, nullptr,
                                                         dir_.path() + QStringLiteral("/CA"));
                 EXPECT_TRUE(outcome == CompanyDelete::Outcome::Deleted || Shown(106010));
                 return outcome == CompanyDelete::Outcome::Deleted;
             }},
            {"local-tax write-back",
             {},
             [] {},
             writeBack(companyA_, data({{"KJYWRBM", "K9"}, {"NSRSBH", "DS9"}, {"GSGBZE", "7"}}),
                       &TCompanySelectMgr::WriteLocalTaxInfo)},
            {"state-tax write-back",
             {},
             [] {},
             writeBack(companyC_, data({{"NSRSBH", "GS9"}, {"NSRMC", "丙"}}),
                       &TCompanySelectMgr::WriteStateTaxInfo)},
            {"basic write-back",
             {},
             [] {},
             writeBack(companyA_, data({{"QYMC", "甲'新名"}, {"CZY_DM", "0002"}}),
                       &TCompanySelectMgr::WriteBasicInfo)},
            {"information page",
             {"XT_QYXX", "XT_QYDSXX", "XT_QYGSXX"},
             [this] { OpenPage(); },
             [this] {
                 page_->findChild<QToolButton*>(QStringLiteral("tbtnSave"))->click();
                 EXPECT_NE(Shown(106019), Shown(106018)) << "saved and failed both, or neither";
                 return Shown(106019);
             }},
            {"information dialog",
             {"XT_QYXX", "XT_QYDSXX", "XT_QYGSXX"},
             [this, dialog] {
                 *dialog = {};
                 ASSERT_EQ(dialog->Load(companyA_), TCompanyInfoModel::LoadResult::Loaded);
                 ASSERT_TRUE(dialog->HasRow(InfoTable::LocalTax) &&
                             dialog->HasRow(InfoTable::StateTax));
                 for (const auto& [table, column, text] :
                      {std::tuple{InfoTable::Company, "QYDHHM", "010-77"},
                       std::tuple{InfoTable::LocalTax, "NSRSBH", "DS7"},
                       std::tuple{InfoTable::LocalTax, "GSGBZE", "8"},
                       std::tuple{InfoTable::StateTax, "SSDLJG", "代理七"}}) {
                     dialog->SetEdited(table, QString::fromUtf8(column), QString::fromUtf8(text));
                 }
             },
             [dialog] {
                 return dialog->Save(InfoWindow::Dialog, "2026-01-02") ==
                        TCompanyInfoModel::SaveResult::Saved;
             }},
            {"agency settings",
             {},
             [this, agency] { *agency = std::make_unique<TAgencyMgrImpl>(agencyId_); },
             [agency] {
                 const bool ok = AgencySettings::Save(
                     **agency, AgencySettings::Read(**agency),
                     {"91110108AG0002", "新代理", "局", "王", "010-2", "100081", "路"});
                 // Other windows read the shared object: it holds what is stored.
                 EXPECT_EQ((*agency)->GetName(), ok ? QString("新代理") : QString("代理"));
                 return ok;
             }},
            {"import",
             {},
             [this] {
                 WriteFile("new.csv", "QYSBH,QYMC\r\n91110108IMP1,甲\r\n91110108IMP2,乙\r\n");
             },
             [this] {
                 std::vector<CompanyImport::Row> rows;
                 TextCodec::Encoding encoding{};
                 CompanyImport::Result result;
                 if (CompanyImport::Prepare(AppPath() + "new.csv", rows, encoding,
                                            result.errorText)) {
                     result = CompanyImport::Run(rows);
                 }
                 if (result.status != CompanyImport::Status::Done) {
                     ModuleLib::InfoMsgBox(result.errorText);  // as the manager shows it
                 }
                 return result.status == CompanyImport::Status::Done;
             }},
            {"tax officer",
             {},
             [] {},
             [] {
                 TaxOfficer::TRow row;
                 QStringList changed;
                 return TaxOfficer::ReadRow(row) &&
                        TaxOfficer::Save(row, QString("新办税员"), QString("1102"), changed) ==
                            TaxOfficer::SaveResult::Saved;
             }},
        };
    }

    // Checks one run; empty when it passed, else what went wrong.
    std::string Judge(const Operation& operation, bool ok, const Tables& before,
                      const Tables& after) {
        if (ModuleLib::TransactionDepth(kMainConnection) != 0) {
            return "a transaction level was left open";
        }
        const FileState state = Inspect(DatabasePath());
        if (!state.problem.empty()) {
            return state.problem;
        }
        if (!ok && !Told()) {
            return "false without a message or log line";
        }
        const Tables& found = state.tables;
        if (operation.order.empty()) {
            if (found != before && found != after) {
                std::string differ;
                for (const auto& [table, rows] : found) {
                    differ += rows != before.at(table) && rows != after.at(table) ? " " + table
                                                                                  : std::string();
                }
                return "partly done:" + differ;
            }
            if ((found == after) != ok) {
                return ok ? "reported success, not stored" : "stored, reported failure";
            }
        } else {
            for (const auto& [table, rows] : found) {
                const bool ordered = std::find(operation.order.begin(), operation.order.end(),
                                               table) != operation.order.end();
                // The history follows each table's statement as it went.
                if (!ordered && table != "XT_QYBGJL" && rows != before.at(table)) {
                    return table + " changed outside the save";
                }
            }
            // The statements that ran are a prefix of the save, and success
            // means all of them.
            bool stopped = false;
            for (const std::string& table : operation.order) {
                const std::string rows = found.count(table) ? found.at(table) : std::string();
                if (rows == after.at(table) && !stopped) {
                    continue;
                }
                if (rows != before.at(table)) {
                    return table + (stopped ? " written after an earlier statement failed"
                                            : " is neither as before nor as saved");
                }
                stopped = true;
            }
            if (stopped == ok) {
                return ok ? "reported success, not all stored" : "all stored, reported failure";
            }
        }
        // The host's connection works on after the fault.
        QString error;
        TADOQuery probe;
        if (!probe.Execute(kMainConnection,
                           "INSERT INTO QX_ROLEPRMS(JS_DM, PRMS_DM) VALUES('probe', 'probe')",
                           error)) {
            return "the host's next write failed: " + error.toStdString();
        }
        return std::string();
    }

    QString companyA_, companyB_, companyC_, agencyId_;
    QPointer<Tfrm_CompanyInfoInner> page_;
};

}  // namespace WriteFaults
