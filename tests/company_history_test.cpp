// A company's history: every writer's change is recorded by the database in
// the same transaction, one row per changed column, and nothing else.
#include <gtest/gtest.h>

#include <QDate>
#include <QSysInfo>

#include <functional>
#include <vector>

#include "AgencyMgrImpl.h"
#include "CompanyAddSaver.h"
#include "CompanyImport.h"
#include "CompanyInfoModel.h"
#include "CompanyRemoval.h"
#include "CompanySelectMgr.h"
#include "TaxOfficer.h"
#include "TestHost.h"
#include "f_DataVO.h"

namespace {

class CompanyHistoryTest : public EngineTest {
  public:
    using HostTest::AddCompany;
    void SetUp() override {
        EngineTest::SetUp();
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    }
    // One history row, as "BM.ZD old>new CZ", NULL as "-".
    QStringList Recorded(const QString& source) const {
        QStringList rows;
        TADOQuery query;
        QString error;
        EXPECT_TRUE(query.Open(kMainConnection,
                               "select BM, ZD, coalesce(JZ, '-'), coalesce(XZ, '-'), CZ, CZY_DM, "
                               "ZJM from XT_QYBGJL where LY='" +
                                   source + "' order by JLID",
                               error))
            << error.toStdString();
        for (; !query.Eof(); query.Next()) {
            EXPECT_EQ(query.FieldAsString(5), "0001");
            EXPECT_EQ(query.FieldAsString(6), QSysInfo::machineHostName());
            rows << QStringLiteral("%1.%2 %3>%4 %5")
                        .arg(query.FieldAsString(0), query.FieldAsString(1), query.FieldAsString(2),
                             query.FieldAsString(3), query.FieldAsString(4));
        }
        return rows;
    }
    bool WriteBack(bool (TCompanySelectMgr::*write)(const QString&, const TDataVO*, QString&),
                   const QString& id, const std::vector<std::pair<const char*, const char*>>& set) {
        TDataVO data;
        for (const auto& [key, value] : set) {
            data.SetStrValue(key, value);
        }
        QString error;
        return (TCompanySelectMgr("0001", "0").*write)(id, &data, error);
    }
    bool SavePage(InfoWindow window, const QString& id,
                  const std::vector<std::pair<const char*, const char*>>& edits) {
        TCompanyInfoModel model;
        if (model.Load(id) != TCompanyInfoModel::LoadResult::Loaded) {
            return false;
        }
        for (const auto& [column, text] : edits) {
            model.SetEdited(InfoTable::Company, column, text);
        }
        return model.Save(window, QDate::currentDate().toString("yyyy-MM-dd")) ==
               TCompanyInfoModel::SaveResult::Saved;
    }
};
INSTANTIATE_ON_ENGINES(CompanyHistoryTest);

struct HistoryCase {
    const char* source;
    // Writes into company id (taxpayer id 9111, 甲公司, telephone 010-1, no
    // e-mail, with a state-tax row); false when the write failed.
    std::function<bool(CompanyHistoryTest&, const QString& id)> write;
    QStringList recorded;  // a changed column, a NULL one; never an unchanged one
};

TEST_P(CompanyHistoryTest, EveryWriterRecordsWhatItChangedAndNothingElse) {
    using T = CompanyHistoryTest;
    const std::vector<HistoryCase> cases = {
        {"信息页",
         [](T& t, const QString& id) {
             return t.SavePage(InfoWindow::Page, id, {{"QYMC", "乙公司"}, {"EMAIL", "a@b.cn"}});
         },
         // The state-tax row takes the name too.
         {"XT_QYXX.QYMC 甲公司>乙公司 U", "XT_QYXX.EMAIL ->a@b.cn U",
          "XT_QYGSXX.NSRMC ->乙公司 U"}},
        {"信息对话框",
         [](T& t, const QString& id) {
             return t.SavePage(InfoWindow::Dialog, id, {{"QYDHHM", "010-2"}, {"EMAIL", "a@b.cn"}});
         },
         {"XT_QYXX.QYDHHM 010-1>010-2 U", "XT_QYXX.EMAIL ->a@b.cn U", "XT_QYGSXX.DHHM ->010-2 U"}},
        {"新增",
         [](T&, const QString&) {
             return CompanyAddSaver::Save("9112", "乙公司", "010-9").outcome ==
                    CompanyAddSaver::Outcome::Saved;
         },
         {"XT_QYXX.QYSBH ->9112 I", "XT_QYXX.QYMC ->乙公司 I", "XT_QYXX.QYDHHM ->010-9 I",
          "XT_QYXX.LBDM ->0 I"}},
        {"导入",
         [](T&, const QString&) {
             return CompanyImport::Run({{1, "9113", "丙公司", "010-3", {}, {}, {}}}).status ==
                    CompanyImport::Status::Done;
         },
         {"XT_QYXX.QYSBH ->9113 I", "XT_QYXX.QYMC ->丙公司 I", "XT_QYXX.QYDHHM ->010-3 I",
          "XT_QYXX.LBDM ->0 I"}},
        {"删除",
         [](T&, const QString& id) { return CompanyRemoval::DeleteCompany(id); },
         {"XT_QYGSXX.NSRSBH GS1>- D", "XT_QYXX.QYSBH 9111>- D", "XT_QYXX.QYMC 甲公司>- D",
          "XT_QYXX.QYDHHM 010-1>- D", "XT_QYXX.LBDM 0>- D"}},
        {"CallBackToWriteQYJCXX",
         [](T& t, const QString& id) {
             return t.WriteBack(&TCompanySelectMgr::WriteBasicInfo, id,
                                {{"QYMC", "甲公司"}, {"QYDHHM", "010-1"}, {"EMAIL", "w@b.cn"}});
         },
         {"XT_QYXX.EMAIL ->w@b.cn U"}},
        {"CallBackToWriteQYGSXX",
         [](T& t, const QString& id) {
             return t.WriteBack(&TCompanySelectMgr::WriteStateTaxInfo, id,
                                {{"NSRSBH", "GS2"}, {"NSRMC", "甲"}});
         },
         // A number not handed in is written as 0.
         {"XT_QYGSXX.NSRSBH GS1>GS2 U", "XT_QYGSXX.NSRMC ->甲 U", "XT_QYGSXX.DJZCLX_DM ->0 U",
          "XT_QYGSXX.JKBZ ->0 U"}},
        {"CallBackToWriteQYDSXX",
         [](T& t, const QString& id) {
             return t.WriteBack(&TCompanySelectMgr::WriteLocalTaxInfo, id,
                                {{"KJYWRBM", "K1"}, {"NSRSBH", "DS1"}});
         },
         {"XT_QYDSXX.KJYWRBM ->K1 I", "XT_QYDSXX.NSRSBH ->DS1 I", "XT_QYDSXX.GSGBZE ->{0} I"}},
        {"代理机构设置",
         [](T& t, const QString&) {
             const QString agency = t.AddCompany("9119", "代理", 19);
             TAgencyMgrImpl manager(agency);
             manager.SetName("新代理");
             return manager.SaveAgency();
         },
         {"XT_QYXX.QYMC 代理>新代理 U"}},
        {"办税员设置",
         [](T& t, const QString&) {
             t.AddCompany("", "旧办税员", 20);
             TaxOfficer::TRow row;
             QStringList changed;
             return TaxOfficer::ReadRow(row) &&
                    TaxOfficer::Save(row, QString("新办税员"), QString("1102"), changed) ==
                        TaxOfficer::SaveResult::Saved;
         },
         {"XT_QYXX.QYMC 旧办税员>新办税员 U", "XT_QYXX.XZQHDM ->1102 U"}},
    };
    for (const HistoryCase& c : cases) {
        ASSERT_TRUE(Exec("DELETE FROM XT_QYXX"));
        ASSERT_TRUE(Exec("DELETE FROM XT_QYGSXX"));
        const QString id = AddCompany("9111", "甲公司");
        ASSERT_TRUE(Exec("UPDATE XT_QYXX SET QYDHHM='010-1' where QYID=" + id));
        ASSERT_TRUE(Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + id + ", 'GS1')"));
        EXPECT_TRUE(c.write(*this, id)) << c.source;
        // An amount as each engine keeps it.
        QStringList expected = c.recorded;
        expected.replaceInStrings("{0}", GetParam() == "POSTGRESQL" ? "0.00" : "0");
        QStringList recorded = Recorded(c.source);
        recorded.sort();
        expected.sort();
        EXPECT_EQ(recorded.join(u'\n').toStdString(), expected.join(u'\n').toStdString())
            << c.source;
    }
}

// A delete whose company row is refused rolls back the dependent rows'
// deletes, and with them what the history recorded of them.
TEST_P(CompanyHistoryTest, AChangeRolledBackLeavesNoHistory) {
    const QString id = AddCompany("9111", "甲公司");
    ASSERT_TRUE(Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + id + ", 'GS1')"));
    RefuseRowChanges("DELETE", "XT_QYXX");
    EXPECT_FALSE(CompanyRemoval::DeleteCompany(id));
    EXPECT_EQ(Count("select count(*) from XT_QYGSXX"), 1);
    EXPECT_EQ(Recorded("删除"), QStringList());
}

}  // namespace
