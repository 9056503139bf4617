#include <gtest/gtest.h>

#include "HostServices.h"
#include "TestHost.h"
#include "f_CommonUnit.h"

namespace {

using CompanyListSql = HostTest;

TEST_F(CompanyListSql, AllCompanyClassesShareOneStatement) {
    EXPECT_TRUE(IsAllCompanyClass("0"));
    EXPECT_TRUE(IsAllCompanyClass("SYSTEM"));
    EXPECT_TRUE(IsAllCompanyClass("BUSINESS"));
    EXPECT_FALSE(IsAllCompanyClass("system"));
    EXPECT_FALSE(IsAllCompanyClass(""));
    EXPECT_FALSE(IsAllCompanyClass(" 0"));

    EXPECT_EQ(BuildOperatorCompanyListSql("0", "", "", true, false),
              "select count(QYID) as cnt from XT_QYXX where 1=1 and LBDM=0");
    EXPECT_EQ(BuildOperatorCompanyListSql("SYSTEM", "", "", true, false),
              BuildOperatorCompanyListSql("BUSINESS", "", "", true, false));
    EXPECT_EQ(BuildOperatorCompanyListSql("system", "", "", false, false),
              "SELECT DISTINCT t2.* FROM QX_ROLEPRMS t1, XT_QYXX t2, QX_PRMSMAP t3 WHERE "
              "t3.PRMS_DM=t1.PRMS_DM AND t2.QYID=t3.KZDM AND t1.JS_DM='system' AND "
              "t3.PRMS_TYPE='10' AND t2.LBDM<>19 AND t2.LBDM<>20");
}

TEST_F(CompanyListSql, AgencyInstallationListsServedCompanies) {
    HostSetup::SetAgencyExist(true);
    EXPECT_EQ(BuildCompanyListSql("", "", false, false),
              "select * from XT_QYXX where 1=1 and LBDM=10");
    HostSetup::SetAgencyExist(false);
    EXPECT_EQ(BuildCompanyListSql("", "", false, false),
              "select * from XT_QYXX where 1=1 and LBDM=0");
}

TEST_F(CompanyListSql, FiltersAreQuotedContainsConditions) {
    EXPECT_EQ(BuildCompanyListSql("123", "O'Hara", false, false),
              "select * from XT_QYXX where 1=1 and LBDM=0 and QYSBH like '%123%' escape '!' and "
              "QYMC like '%O''Hara%' escape '!'");
    EXPECT_EQ(BuildRoleCompanyListSql("R1", "9'9", "甲", true, false),
              "SELECT count(DISTINCT t2.QYID) as cnt FROM QX_ROLEPRMS t1, XT_QYXX t2, QX_PRMSMAP "
              "t3 WHERE t3.PRMS_DM=t1.PRMS_DM AND t2.QYID=t3.KZDM AND t1.JS_DM='R1' AND "
              "t3.PRMS_TYPE='10' AND t2.LBDM<>19 AND t2.LBDM<>20 and t2.QYSBH like '%9''9%' escape "
              "'!' and t2.QYMC like '%甲%' "
              "escape '!'");
    // Typed text is found literally: the pattern characters are escaped.
    EXPECT_EQ(BuildCompanyListSql("", "5%_!\\", false, false),
              "select * from XT_QYXX where 1=1 and LBDM=0 and QYMC like '%5!%!_!!\\%' escape '!'");
}

TEST_F(CompanyListSql, RoleCodeCannotEndTheStatement) {
    const QString sql = BuildRoleCompanyListSql("x' OR '1'='1", "", "", false, false);
    EXPECT_TRUE(sql.contains("t1.JS_DM='x'' OR ''1''=''1'"));
}

TEST_F(CompanyListSql, TailMatchFollowsTheEngineDialect) {
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", "1234", true, "MSSQLSERVER", 6),
              " and SUBSTRING(right(QYSBH,6),1,4)='1234'");
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", "1234", true, "oracle", 6),
              " and substr(QYSBH,length(QYSBH)-5,4)='1234'");
    EXPECT_EQ(BuildTaxIdFilter("t2.QYSBH", "1234", true, "ORACLE", 6),
              " and substr(t2.QYSBH,length(t2.QYSBH)-5,4)='1234'");
    EXPECT_EQ(BuildTaxIdFilter("t2.QYSBH", "12", true, "SQLITE", 6),
              " and mid(right(t2.QYSBH,6),1,2)='12'");
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", "1234567", true, "MSSQLSERVER", 6),
              " and QYSBH like '%1234567%' escape '!'");
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", "1'", true, "MSSQLSERVER", 6),
              " and SUBSTRING(right(QYSBH,6),1,2)='1'''");
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", "", true, "MSSQLSERVER", 6), "");
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", "1", true, "MSSQLSERVER", 0),
              " and QYSBH like '%1%' escape '!'");
}

TEST_F(CompanyListSql, QueryLengthComesFromTheSettings) {
    EXPECT_EQ(ReadQueryLength(), 6);
    EXPECT_EQ(BuildCompanyListSql("1234", "", false, true),
              "select * from XT_QYXX where 1=1 and LBDM=0 and mid(right(QYSBH,6),1,4)='1234'");
    HostSetup::OverrideSysConfig("SysCofig", "QueryLengthToSwithCompany", "4");
    EXPECT_EQ(BuildCompanyListSql("12", "", false, true),
              "select * from XT_QYXX where 1=1 and LBDM=0 and mid(right(QYSBH,4),1,2)='12'");
    HostSetup::OverrideSysConfig("SysCofig", "QueryLengthToSwithCompany", "abc");
    EXPECT_EQ(ReadQueryLength(), 6);
    HostSetup::OverrideSysConfig("SysCofig", "QueryLengthToSwithCompany", "0");
    EXPECT_EQ(BuildCompanyListSql("1", "", false, true),
              "select * from XT_QYXX where 1=1 and LBDM=0 and QYSBH like '%1%' escape '!'");
    EXPECT_EQ(BuildCompanyListSql("", "", false, true),
              "select * from XT_QYXX where 1=1 and LBDM=0");
}

TEST(SqlQuoting, DoublesEverySingleQuote) {
    EXPECT_EQ(QuoteSqlValue(""), "");
    EXPECT_EQ(QuoteSqlValue("plain"), "plain");
    EXPECT_EQ(QuoteSqlValue("'"), "''");
    EXPECT_EQ(QuoteSqlValue("a'b''c"), "a''b''''c");
    EXPECT_EQ(QuoteSqlValue("张'三"), "张''三");
}

TEST(SqlQuoting, OnlyPlainIntegersGoInWithoutQuotes) {
    // Blanks around the digits are accepted; the caller splices the trimmed text.
    for (const char* good : {"0", "15", "-3", "123456789012345678", " 15", "15 ", "\t-3 "}) {
        EXPECT_TRUE(IsSqlInteger(good)) << good;
    }
    for (const char* bad : {"", " ", "-", "- 1", "1 5", "1 or 1=1", "1;delete from XT_QYXX", "1.5",
                            "0x10", "１２", "1234567890123456789"}) {
        EXPECT_FALSE(IsSqlInteger(bad)) << bad;
    }
}

struct CheckCase {
    const char* text;
    bool valid;
};

class EmailCheck : public ::testing::TestWithParam<CheckCase> {};
TEST_P(EmailCheck, Decides) {
    EXPECT_EQ(IsValidEmail(GetParam().text), GetParam().valid) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Cases, EmailCheck,
                         ::testing::Values(CheckCase{"", true}, CheckCase{"a@b.c", true},
                                           CheckCase{"tax@example.com.cn", true},
                                           CheckCase{"a.b@c.d", true}, CheckCase{"abc", false},
                                           CheckCase{"@b.c", false}, CheckCase{"a@.bc", false},
                                           CheckCase{"a@bc", false}, CheckCase{"a@bc.", false},
                                           CheckCase{"a@b@c.d", true}));

class PhoneCheck : public ::testing::TestWithParam<CheckCase> {};
TEST_P(PhoneCheck, Decides) {
    EXPECT_EQ(IsValidPhone(GetParam().text), GetParam().valid) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Cases, PhoneCheck,
                         ::testing::Values(CheckCase{"", true}, CheckCase{"(010)8888-1234", true},
                                           CheckCase{"010 8888", false}, CheckCase{"8888a", false},
                                           CheckCase{"+86", false}, CheckCase{"１２３", false}));

class PostCodeCheck : public ::testing::TestWithParam<CheckCase> {};
TEST_P(PostCodeCheck, Decides) {
    EXPECT_EQ(IsValidPostCode(GetParam().text), GetParam().valid) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Cases, PostCodeCheck,
                         ::testing::Values(CheckCase{"", true}, CheckCase{"100000", true},
                                           CheckCase{"10000", false}, CheckCase{"1000000", false}));

TEST(FolderPaths, EndWithOneSeparator) {
    EXPECT_EQ(EnsureTrailingBackslash(""), "");
    EXPECT_EQ(EnsureTrailingBackslash("   "), "");
    EXPECT_EQ(EnsureTrailingBackslash(" /opt/app "), "/opt/app/");
    EXPECT_EQ(EnsureTrailingBackslash("/opt/app/"), "/opt/app/");
}

}  // namespace
