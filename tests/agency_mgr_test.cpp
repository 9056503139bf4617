#include <gtest/gtest.h>

#include "AgencyMgrImpl.h"
#include "HostServices.h"
#include "TestHost.h"
#include "f_CommonUnit.h"

namespace {

class AgencyManager : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        Exec(
            "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM, SSSWJG, FDDBRMC, QYDHHM, YZBM, YYDZ) VALUES("
            "'91110108AG0001', '北京诚信税务师事务所', 19, '北京市海淀区税务局', '王五', "
            "'010-88886666', '100080', '海淀区中关村大街1号')");
        agencyId_ = Scalar("select QYID from XT_QYXX where LBDM=19");
    }
    QString agencyId_;
};
INSTANTIATE_ON_ENGINES(AgencyManager);

TEST_P(AgencyManager, LoadsTheAgencyAndTellsTheHost) {
    // Blanks around the id are no part of it.
    TAgencyMgrImpl agency(" " + agencyId_ + " ");
    EXPECT_EQ(agency.GetAgencyId(), agencyId_);
    EXPECT_EQ(agency.GetCode(), "91110108AG0001");
    EXPECT_EQ(agency.GetName(), "北京诚信税务师事务所");
    EXPECT_EQ(agency.GetTaxOffice(), "北京市海淀区税务局");
    EXPECT_EQ(agency.GetLegalRep(), "王五");
    EXPECT_EQ(agency.GetPhone(), "010-88886666");
    EXPECT_EQ(agency.GetPostCode(), "100080");
    EXPECT_EQ(agency.GetAddress(), "海淀区中关村大街1号");
    EXPECT_EQ(HostSetup::AgencyInfo(), "北京诚信税务师事务所");
    EXPECT_TRUE(HostSetup::AgencyVerExist());
}

TEST_P(AgencyManager, IdsThatNameNoAgencyKeepThePreviousData) {
    const QString company = AddCompany("91110000C1", "普通公司", 0);
    TAgencyMgrImpl agency(agencyId_);
    ModuleLib::SetgsAgencyInfo("");
    for (const QString& id : {company, QString("999999"), QString(""),
                              QString(agencyId_ + " or 1=1"), QString("1;delete from XT_QYXX")}) {
        agency.LoadAgency(id);
        EXPECT_EQ(agency.GetAgencyId(), agencyId_) << id.toStdString();
        EXPECT_EQ(agency.GetName(), "北京诚信税务师事务所");
    }
    EXPECT_EQ(HostSetup::AgencyInfo(), "");
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), 2);

    TAgencyMgrImpl empty("");
    EXPECT_EQ(empty.GetAgencyId(), "");
    EXPECT_FALSE(empty.SaveAgency());
    EXPECT_EQ(empty.CountServedCompanies(), 0);
}

TEST_P(AgencyManager, SettersWriteNothingUntilSaved) {
    TAgencyMgrImpl agency(agencyId_);
    agency.SetName("O'Brien 税务师事务所");
    agency.SetCode("CODE'1");
    agency.SetPhone("010-1");
    agency.SetPostCode("100000");
    agency.SetAddress("地址");
    agency.SetTaxOffice("税务局");
    agency.SetLegalRep("负责人");
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + agencyId_), "北京诚信税务师事务所");
    ASSERT_TRUE(agency.SaveAgency());
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + agencyId_), "O'Brien 税务师事务所");
    EXPECT_EQ(Scalar("select QYSBH from XT_QYXX where QYID=" + agencyId_), "CODE'1");
    EXPECT_EQ(Scalar("select SSSWJG from XT_QYXX where QYID=" + agencyId_), "税务局");

    TAgencyMgrImpl reloaded(agencyId_);
    EXPECT_EQ(reloaded.GetName(), "O'Brien 税务师事务所");
    EXPECT_EQ(reloaded.GetLegalRep(), "负责人");
}

TEST_P(AgencyManager, ExtraValuesStayInMemory) {
    TAgencyMgrImpl agency(agencyId_);
    QVariant value("old");
    agency.GetExtraValue("X", value);
    EXPECT_EQ(value, QVariant(0));
    agency.SetExtraValue("x", 42);
    agency.GetExtraValue("X", value);
    EXPECT_EQ(value.toInt(), 42);
}

TEST_P(AgencyManager, CountsAndListsServedCompanies) {
    HostSetup::SetAgencyExist(true);
    AddCompany("911100000000123456", "甲公司", 10, agencyId_);
    AddCompany("911100000000654321", "乙公司", 10, agencyId_);
    AddCompany("911100000000999999", "他人公司", 10, "424242");
    AddCompany("911100000000888888", "普通公司", 0);
    TAgencyMgrImpl agency(agencyId_);
    EXPECT_EQ(agency.CountServedCompanies(), 2);

    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
    TAgcyCompanyInfoList list;
    ASSERT_TRUE(agency.ListServedCompanies("", "", list));
    EXPECT_EQ(list.size(), 3u);  // every company of the agency kind
    ASSERT_TRUE(agency.ListServedCompanies("1234", "", list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].QYMC(), "甲公司");
    EXPECT_EQ(list[0].QYSBH(), "911100000000123456");
    EXPECT_TRUE(IsSqlInteger(list[0].QYID()));
    ASSERT_TRUE(agency.ListServedCompanies("", "乙", list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].QYMC(), "乙公司");
}

TEST_P(AgencyManager, RoleOperatorsListTheirGrants) {
    HostSetup::SetAgencyExist(true);
    const QString granted = AddCompany("911100000000123456", "甲公司", 10, agencyId_);
    AddCompany("911100000000654321", "乙公司", 10, agencyId_);
    GrantToRole("R01", granted);
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "R01");
    TAgencyMgrImpl agency(agencyId_);
    TAgcyCompanyInfoList list;
    ASSERT_TRUE(agency.ListServedCompanies("", "", list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].QYID(), granted);
}

TEST_P(AgencyManager, FailedListingKeepsTheList) {
    TAgencyMgrImpl agency(agencyId_);
    TAgcyCompanyInfoList list(2);
    list[0].SetField(CompanyField::QYMC, QStringLiteral("留下"));
    Exec("DROP TABLE XT_QYXX");
    EXPECT_FALSE(agency.ListServedCompanies("", "", list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].QYMC(), "留下");
    EXPECT_EQ(agency.CountServedCompanies(), 0);
}

TEST_P(AgencyManager, DeletesACompanyWithItsDependentRows) {
    const QString company = AddCompany("911100000000123456", "甲公司", 10, agencyId_);
    const QString other = AddCompany("911100000000654321", "乙公司", 10, agencyId_);
    for (const QString& id : {company, other}) {
        Exec("INSERT INTO QX_CZYQY(CZY_DM, QYID) VALUES('0001', " + id + ")");
        Exec("INSERT INTO QX_CZYZXT(CZY_DM, QYID) VALUES('0001', " + id + ")");
        Exec("INSERT INTO XT_QYDSXX(QYID, KJYWRBM) VALUES(" + id + ", 'K')");
        Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + id + ", 'N')");
    }
    TAgencyMgrImpl agency(agencyId_);
    EXPECT_FALSE(agency.DeleteCompany(company + " or 1=1"));
    EXPECT_FALSE(agency.DeleteCompany("1;delete from XT_QYXX"));
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), 3);

    EXPECT_TRUE(agency.DeleteCompany(" " + company));
    for (const char* table : {"XT_QYXX", "QX_CZYQY", "QX_CZYZXT", "XT_QYDSXX", "XT_QYGSXX"}) {
        EXPECT_EQ(
            Count(QStringLiteral("select count(*) from %1 where QYID=%2").arg(table, company)), 0)
            << table;
        EXPECT_EQ(Count(QStringLiteral("select count(*) from %1 where QYID=%2").arg(table, other)),
                  1)
            << table;
    }
    // Nothing left to delete: not reported as done.
    EXPECT_FALSE(agency.DeleteCompany(company));
}

TEST_P(AgencyManager, DependentTableFailuresDoNotStopTheDeletion) {
    const QString company = AddCompany("911100000000123456", "甲公司", 10, agencyId_);
    Exec("DROP TABLE QX_CZYZXT");
    TAgencyMgrImpl agency(agencyId_);
    EXPECT_TRUE(agency.DeleteCompany(company));
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYID=" + company), 0);
    EXPECT_GE(LogCount("Error"), 1);
}

// With the database gone no transaction opens: nothing is deleted, and
// the caller hears so.
TEST_P(AgencyManager, WithoutADatabaseNoCompanyIsDeleted) {
    const QString company = AddCompany("911100000000123456", "甲公司", 10, agencyId_);
    TAgencyMgrImpl agency(agencyId_);
    HostSetup::Stop();
    EXPECT_FALSE(agency.DeleteCompany(company));
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYID=" + company), 1);
}

}  // namespace
