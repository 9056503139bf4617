#include <gtest/gtest.h>

#include <QDate>

#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "TestHost.h"
#include "WriteBackSql.h"

namespace {

QString Today() {
    return QDate::currentDate().toString("yyyy-MM-dd");
}

std::unique_ptr<TDataVO> Data(std::initializer_list<std::pair<const char*, const char*>> entries) {
    auto data = std::make_unique<TDataVO>();
    for (const auto& [key, value] : entries) {
        data->SetStrValue(QString::fromUtf8(key), QString::fromUtf8(value));
    }
    return data;
}

using WriteBackStatements = HostTest;

TEST_F(WriteBackStatements, LocalTaxInsertAndUpdateTexts) {
    const auto data = Data({{"KJYWRMC", "O'Hara"},
                            {"KJYWRBM", "K1"},
                            {"NSRSBH", "N1"},
                            {"SBYF", "12"},
                            {"GSGBZE", "12.5"},
                            {"SFSS", "0"},
                            {"GXSJ", "2026-01-02"},
                            {"GXBZ", "1"}});
    QString sql;
    QString error;
    ASSERT_TRUE(WriteBackSql::LocalTax("7", *data, false, sql, error));
    EXPECT_EQ(sql,
              "INSERT INTO XT_QYDSXX(QYID, KJYWRMC, KJYWRBM, NSRSBH,ZGSWJG,ZGSWJGMC,YZBM,DZ,DH,"
              "DZXX,CWFZR,FRDB,DJZCLX,DJZCLXMC,HY,HYMC,SBYF,GSGBZE,SFSS,GXSJ,GXBZ) "
              "VALUES(7,'O''Hara','K1','N1','','','','','','','','','','','','','12',"
              "              12.50,'0','2026-01-02',1)");
    ASSERT_TRUE(WriteBackSql::LocalTax("7", *data, true, sql, error));
    EXPECT_EQ(sql,
              "UPDATE XT_QYDSXX SET KJYWRMC='O''Hara', KJYWRBM ='K1', NSRSBH ='N1', ZGSWJG='', "
              "ZGSWJGMC='', YZBM='', DZ='', DH='', DZXX='', CWFZR='', FRDB='', DJZCLX='', "
              "DJZCLXMC='', HY='', HYMC='', SBYF='12', GSGBZE=              12.50, SFSS='0', "
              "GXSJ='2026-01-02', GXBZ=1 where QYID=7");
}

TEST_F(WriteBackStatements, StateTaxInsertAndUpdateTexts) {
    const auto data = Data({{"NSRSBH", "N1"},
                            {"NSRBM", "B1"},
                            {"NSRMC", "名"},
                            {"ICCARD", "ICBH=1"},
                            {"SSSWJG_MC", "局"}});
    QString sql;
    QString error;
    ASSERT_TRUE(WriteBackSql::StateTax("7", *data, false, sql, error));
    EXPECT_EQ(sql,
              "INSERT INTO XT_QYGSXX(QYID, NSRSBH, NSRBM, NSRMC,FDDBRMC,DHHM,YZBM,ZCDZ,YYDZ,SSHY,"
              "DJZCLX_DM,NSRZT,KKYH,YHZH,NSRLX,XYDJ,SSSWJG_DM,SSDLJG,JKBZ,ZDH,SQR,SMR,KSSCJYRQ,"
              "KSHLND,KJZG,ZJFMC,ZJGSWDJH,FZR,JBZH,FLZSH,ICCARD,QYLXDM,QYLXMC,SSHYMC,SSSWJG_MC,"
              "GXSJ,GXBZ) VALUES(7,'N1','B1','名','','','','','','',0,'','','','','','','','0',"
              "'','','','','','','','','','','','ICBH=1','','','','局','" +
                  Today() + "',0)");
    ASSERT_TRUE(WriteBackSql::StateTax("7", *data, true, sql, error));
    EXPECT_EQ(sql,
              "UPDATE XT_QYGSXX SET NSRSBH='N1', NSRBM ='B1', NSRMC ='名', FDDBRMC='', DHHM='', "
              "YZBM='', ZCDZ='', YYDZ='', SSHY='', DJZCLX_DM=0, NSRZT='', KKYH='', YHZH='', "
              "NSRLX='', XYDJ='', SSSWJG_DM='', SSDLJG='', JKBZ='0', ZDH='', SQR='', SMR='', "
              "KSSCJYRQ='', KSHLND='', KJZG='', ZJFMC='', ZJGSWDJH='', FZR='', JBZH='', FLZSH='', "
              "ICCARD='ICBH=1', QYLXDM='', QYLXMC='', SSHYMC='', SSSWJG_MC='局', GXSJ='" +
                  Today() + "', GXBZ=0 where QYID=7");
}

TEST_F(WriteBackStatements, BasicDataUpdateText) {
    const auto data = Data({{"QYMC", "甲'公司"}, {"CZY_DM", "0009"}});
    QString sql;
    QString error;
    ASSERT_TRUE(WriteBackSql::Basic("7", *data, sql, error));
    EXPECT_EQ(sql,
              "UPDATE XT_QYXX SET  QYMC='甲''公司', FDDBRMC='', CWFZR='', ZCDZ='', YYDZ='', "
              "YZBM='', EMAIL='', QYDHHM='', QYCZHM='', HYMC='', HYDM='', ZSID='', "
              "CZY_DM='0009' where QYID=7");
}

TEST_F(WriteBackStatements, UnquotedValuesMustBeNumbers) {
    QString sql;
    QString error;
    EXPECT_FALSE(WriteBackSql::LocalTax("7", *Data({{"GXBZ", "1); DELETE FROM XT_QYXX"}}), true,
                                        sql, error));
    EXPECT_TRUE(error.contains("GXBZ"));
    EXPECT_FALSE(WriteBackSql::StateTax("7", *Data({{"DJZCLX_DM", "1 or 1=1"}}), true, sql, error));
    EXPECT_FALSE(WriteBackSql::LocalTax("7", *Data({{"GSGBZE", "abc"}}), false, sql, error));
    EXPECT_TRUE(error.contains("GSGBZE[abc]"));
    EXPECT_FALSE(WriteBackSql::LocalTax("7 or 1=1", *Data({}), true, sql, error));
    EXPECT_FALSE(WriteBackSql::Basic("1;delete from XT_QYXX", *Data({}), sql, error));
}

class WriteBack : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        current_ = AddCompany("911100000000000001", "当前公司");
        other_ = AddCompany("911100000000000002", "其他公司");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
        ASSERT_TRUE(manager_.LoadCompanyInfo(current_));
    }
    const TDataVO* Child(const char* name) const {
        return dynamic_cast<const TDataVO*>(ModuleLib::GetCompanyInfoVO()->GetObjValue(name));
    }
    TCompanySelectMgr manager_{"0001", "0"};
    QString current_, other_;
};
INSTANTIATE_ON_ENGINES(WriteBack);

TEST_P(WriteBack, FirstLocalTaxWriteInsertsTheSecondUpdates) {
    QString error;
    EXPECT_FALSE(manager_.LocalTaxInfoExists(current_));
    ASSERT_TRUE(manager_.WriteLocalTaxInfo(
        current_, Data({{"KJYWRBM", "K1"}, {"GSGBZE", "12.5"}}).get(), error))
        << error.toStdString();
    EXPECT_TRUE(manager_.LocalTaxInfoExists(current_));
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("KJYWRBM"), "K1");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GSGBZE"), "12.50");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GXSJ"), Today());
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GXBZ"), "0");

    const auto second = Data({{"KJYWRBM", "K2"}, {"KJYWRMC", "O'Hara"}, {"GXBZ", "1"}});
    ASSERT_TRUE(manager_.WriteLocalTaxInfo(current_, second.get(), error)) << error.toStdString();
    EXPECT_EQ(Count("select count(*) from XT_QYDSXX"), 1);
    EXPECT_EQ(Scalar("select KJYWRMC from XT_QYDSXX where QYID=" + current_), "O'Hara");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("KJYWRBM"), "K2");
}

TEST_P(WriteBack, StateTaxWriteRefreshesTheCurrentCompany) {
    QString error;
    const auto data = Data({{"NSRSBH", "911100000000000001"}, {"JKBZ", ""}, {"ZDH", "0"}});
    ASSERT_TRUE(manager_.WriteStateTaxInfo(current_, data.get(), error)) << error.toStdString();
    EXPECT_TRUE(manager_.StateTaxInfoExists(current_));
    EXPECT_EQ(Child("QYGSXX")->GetStrValue("JKBZ"), "0");
    EXPECT_EQ(Child("QYGSXX")->GetStrValue("DJZCLX_DM"), "0");
    EXPECT_EQ(Scalar("select ZDH from XT_QYGSXX where QYID=" + current_), "0");
    // A flag that is given is written as it is.
    const auto paying = Data({{"NSRSBH", "911100000000000001"}, {"JKBZ", "1"}});
    ASSERT_TRUE(manager_.WriteStateTaxInfo(current_, paying.get(), error)) << error.toStdString();
    EXPECT_EQ(Child("QYGSXX")->GetStrValue("JKBZ"), "1");
    EXPECT_EQ(Scalar("select JKBZ from XT_QYGSXX where QYID=" + current_), "1");
}

TEST_P(WriteBack, OtherCompaniesLeaveTheCurrentCompanyUntouched) {
    const TDataVO* localBefore = Child("QYDSXX");
    const TDataVO* stateBefore = Child("QYGSXX");
    QString error;
    ASSERT_TRUE(manager_.WriteLocalTaxInfo(other_, Data({{"KJYWRBM", "K9"}}).get(), error));
    const auto state = Data({{"NSRSBH", "X"}});
    ASSERT_TRUE(manager_.WriteStateTaxInfo(other_, state.get(), error));
    const auto basic = Data({{"QYMC", "改名"}});
    ASSERT_TRUE(manager_.WriteBasicInfo(other_, basic.get(), error));
    EXPECT_EQ(Child("QYDSXX"), localBefore);
    EXPECT_EQ(Child("QYGSXX"), stateBefore);
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYMC"), "当前公司");
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + other_), "改名");
}

TEST_P(WriteBack, BasicDataReloadsTheCurrentCompany) {
    QString error;
    const auto basic = Data({{"QYMC", "新'名称"}, {"EMAIL", "x@y.cn"}, {"CZY_DM", "0009"}});
    ASSERT_TRUE(manager_.WriteBasicInfo(current_, basic.get(), error)) << error.toStdString();
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYMC"), "新'名称");
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("CZY_DM"), "0009");
    // The identification number is not among the columns the statement writes.
    EXPECT_EQ(Scalar("select QYSBH from XT_QYXX where QYID=" + current_), "911100000000000001");
}

// A role operator writes only his role's companies, and no operator writes
// the agency's or the tax officer's own row through a write-back.
TEST_P(WriteBack, EveryWriteBackAsksTheGrantAndSparesTheAgencyAndOfficerRows) {
    const QString agency = AddCompany("91AGENCY", "代理", 19);
    const QString officer = AddCompany("11010519491231002X", "办税员", 20);
    GrantToRole("R1", other_);
    const auto data = Data({{"KJYWRBM", "K"}, {"NSRSBH", "N"}, {"QYMC", "写回"}});
    using Write = bool (TCompanySelectMgr::*)(const QString&, const TDataVO*, QString&);
    const struct {
        const char* operatorClass;
        QString id;
        bool written;
    } cases[] = {{"R1", other_, true},  {"R1", current_, false}, {"0", agency, false},
                 {"0", officer, false}, {"R1", agency, false},   {"", current_, false}};
    for (const auto& c : cases) {
        TCompanySelectMgr manager("0002", c.operatorClass);
        for (const Write write :
             {&TCompanySelectMgr::WriteLocalTaxInfo, &TCompanySelectMgr::WriteStateTaxInfo,
              &TCompanySelectMgr::WriteBasicInfo}) {
            QString error;
            EXPECT_EQ((manager.*write)(c.id, data.get(), error), c.written)
                << c.operatorClass << " " << c.id.toStdString();
            EXPECT_EQ(error.contains(c.id), !c.written) << error.toStdString();
        }
        EXPECT_EQ(Count("select count(*) from XT_QYDSXX where QYID=" + c.id), c.written ? 1 : 0);
        EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + c.id) == "写回", c.written);
    }
}

// A tax row without its company would be an orphan no window ever shows.
TEST_P(WriteBack, TaxRowsAreNeverWrittenForAnUnknownCompany) {
    const auto data = Data({{"KJYWRBM", "K1"}, {"NSRSBH", "N1"}});
    using Write = bool (TCompanySelectMgr::*)(const QString&, const TDataVO*, QString&);
    for (const Write write :
         {&TCompanySelectMgr::WriteLocalTaxInfo, &TCompanySelectMgr::WriteStateTaxInfo}) {
        QString error;
        EXPECT_FALSE((manager_.*write)("424242", data.get(), error));
        EXPECT_TRUE(error.contains("424242")) << error.toStdString();
    }
    EXPECT_EQ(Count("select count(*) from XT_QYDSXX"), 0);
    EXPECT_EQ(Count("select count(*) from XT_QYGSXX"), 0);
}

// "0001" and " 1 " name company 1: the row is written under its plain id and
// the current-company object follows.
// The caller learns whether the id is no number, names no company, or could
// not be looked up at all.
TEST_P(WriteBack, WritesSayWhyTheCompanyIsNotConfirmed) {
    const struct {
        QString id;
        const char* before;
        const char* says;
    } cases[] = {
        {"1x", nullptr, "传入的企业ID[1x]不是有效的数字"},
        {"424242", nullptr, "企业信息中没有ID为[424242]的企业"},
        {current_, "ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY", "无法确认ID为"},
    };
    const auto data = Data({{"KJYWRBM", "K1"}, {"NSRSBH", "N1"}});
    using Write = bool (TCompanySelectMgr::*)(const QString&, const TDataVO*, QString&);
    for (const auto& c : cases) {
        if (c.before != nullptr) {
            ASSERT_TRUE(Exec(c.before));
        }
        for (const Write write :
             {&TCompanySelectMgr::WriteLocalTaxInfo, &TCompanySelectMgr::WriteStateTaxInfo,
              &TCompanySelectMgr::WriteBasicInfo}) {
            QString error;
            EXPECT_FALSE((manager_.*write)(c.id, data.get(), error));
            EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.says))) << error.toStdString();
        }
    }
    EXPECT_EQ(Count("select count(*) from XT_QYDSXX"), 0);
    EXPECT_EQ(Count("select count(*) from XT_QYGSXX"), 0);
}

TEST_P(WriteBack, IdsAreNumbersHoweverTheyAreSpelled) {
    const std::pair<QString, QString> cases[] = {{"000" + current_, "A"},
                                                 {" " + current_ + " ", "B"}};
    for (const auto& [id, mark] : cases) {
        SCOPED_TRACE(id.toStdString());
        const std::string text = mark.toStdString();
        QString error;
        ASSERT_TRUE(manager_.WriteLocalTaxInfo(id, Data({{"KJYWRBM", text.c_str()}}).get(), error))
            << error.toStdString();
        ASSERT_TRUE(manager_.WriteStateTaxInfo(id, Data({{"NSRSBH", text.c_str()}}).get(), error))
            << error.toStdString();
        ASSERT_TRUE(manager_.WriteBasicInfo(id, Data({{"QYMC", text.c_str()}}).get(), error))
            << error.toStdString();
        EXPECT_EQ(Child("QYDSXX")->GetStrValue("KJYWRBM"), mark);
        EXPECT_EQ(Child("QYGSXX")->GetStrValue("NSRSBH"), mark);
        EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYMC"), mark);
        EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYID"), current_);
    }
    EXPECT_EQ(Count("select count(*) from XT_QYDSXX where QYID=" + current_), 1);
    EXPECT_EQ(Count("select count(*) from XT_QYGSXX where QYID=" + current_), 1);
    // Anything but a number is not looked up at all.
    bool ran = true;
    EXPECT_FALSE(manager_.CompanyInfoExists(current_ + " or 1=1", &ran));
    EXPECT_FALSE(ran);
    EXPECT_FALSE(manager_.LocalTaxInfoExists(current_ + "x"));
}

TEST_P(WriteBack, RefusedWritesSayWhy) {
    QString error;
    EXPECT_FALSE(manager_.WriteLocalTaxInfo(current_, nullptr, error));
    EXPECT_EQ(error, "传入的DataVO为nil");
    const TDataVO empty;
    EXPECT_FALSE(manager_.WriteLocalTaxInfo(current_, &empty, error));
    EXPECT_EQ(error, "传入的企业ID或扣缴义务人编码为空");
    EXPECT_FALSE(manager_.WriteStateTaxInfo(current_, &empty, error));
    EXPECT_EQ(error, "传入的企业ID或纳税人识别号为空");
    EXPECT_FALSE(manager_.WriteBasicInfo("", &empty, error));
    EXPECT_EQ(error, "传入的企业ID为空");
    EXPECT_FALSE(manager_.WriteBasicInfo(current_, nullptr, error));
    EXPECT_EQ(error, "传入的DataVO为nil");
}

TEST_P(WriteBack, DatabaseErrorsComeBackAsTheErrorText) {
    Exec("DROP TABLE XT_QYDSXX");
    QString error;
    const auto data = Data({{"KJYWRBM", "K1"}});
    EXPECT_FALSE(manager_.WriteLocalTaxInfo(current_, data.get(), error));
    EXPECT_TRUE(error.contains("XT_QYDSXX", Qt::CaseInsensitive)) << error.toStdString();
}

}  // namespace
