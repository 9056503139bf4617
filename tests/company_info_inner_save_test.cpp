// The save rules of the company information page, without the page.
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "CompanyInfoInnerSave.h"
#include "f_DataVO.h"

namespace {

using namespace CompanyInfoInnerSave;

TCheckInput Valid() {
    TCheckInput input;
    input.companyCode = "110101000000001";
    input.phone = "(010)8888-1234";
    input.fax = "";
    input.email = "a@b.c";
    input.localTaxEmail = "";
    input.postCode = "100000";
    input.writesStateTax = true;
    input.registerType = " 159 ";
    return input;
}

TEST(CompanyInfoInnerSaveTest, ChecksInOrderWithTheirMessages) {
    const struct {
        const char* name;
        void (*spoil)(TCheckInput&);
        CheckedField field;
        int code;
        bool clear;
    } cases[] = {
        {"code blank", [](TCheckInput& i) { i.companyCode = "  "; }, CheckedField::CompanyCode,
         106021, false},
        {"phone blank inside", [](TCheckInput& i) { i.phone = "010 1234"; }, CheckedField::Phone,
         106022, true},
        {"phone letter", [](TCheckInput& i) { i.phone = "12a"; }, CheckedField::Phone, 106022,
         true},
        {"fax", [](TCheckInput& i) { i.fax = "x"; }, CheckedField::Fax, 106023, true},
        {"no at", [](TCheckInput& i) { i.email = "ab.c"; }, CheckedField::Email, 106024, true},
        {"at first", [](TCheckInput& i) { i.email = "@b.c"; }, CheckedField::Email, 106024, true},
        {"dot after at", [](TCheckInput& i) { i.email = "a@.c"; }, CheckedField::Email, 106024,
         true},
        {"no dot", [](TCheckInput& i) { i.email = "a@bc"; }, CheckedField::Email, 106024, true},
        {"dot last", [](TCheckInput& i) { i.email = "a@bc."; }, CheckedField::Email, 106024, true},
        {"panel mail", [](TCheckInput& i) { i.localTaxEmail = "x@"; }, CheckedField::LocalTaxEmail,
         106024, true},
        {"post code 5", [](TCheckInput& i) { i.postCode = "10000"; }, CheckedField::PostCode, 0,
         true},
        {"register type", [](TCheckInput& i) { i.registerType = "1 OR 1=1"; },
         CheckedField::RegisterType, 0, false},
        // Earlier checks win over later ones.
        {"phone before mail",
         [](TCheckInput& i) {
             i.phone = "x";
             i.email = "x";
         },
         CheckedField::Phone, 106022, true},
    };
    for (const auto& c : cases) {
        TCheckInput input = Valid();
        c.spoil(input);
        const auto failure = CheckInput(input);
        ASSERT_TRUE(failure.has_value()) << c.name;
        EXPECT_EQ(failure->field, c.field) << c.name;
        EXPECT_EQ(failure->messageCode, c.code) << c.name;
        EXPECT_EQ(failure->clearField, c.clear) << c.name;
        EXPECT_EQ(failure->messageCode == 0, !failure->messageText.isEmpty()) << c.name;
    }
    const auto postCode = CheckInput([] {
        TCheckInput i = Valid();
        i.postCode = "1";
        return i;
    }());
    EXPECT_EQ(postCode->messageText, QStringLiteral("请输入的正确的邮政编码。"));

    EXPECT_FALSE(CheckInput(Valid()).has_value());
    TCheckInput empties = Valid();
    empties.phone = empties.email = empties.postCode = empties.registerType = "";
    EXPECT_FALSE(CheckInput(empties).has_value());
    // Without a state-tax write the register type is not looked at.
    TCheckInput noStateTax = Valid();
    noStateTax.writesStateTax = false;
    noStateTax.registerType = "abc";
    EXPECT_FALSE(CheckInput(noStateTax).has_value());
}

TCompanyRecord Company() {
    TCompanyRecord c;
    c.SetField(CompanyField::QYID, u"7");
    c.SetField(CompanyField::QYMC, u"O'Brien 公司");
    c.SetField(CompanyField::FDDBRMC, u"张三");
    c.SetField(CompanyField::CWFZR, u"李四");
    c.SetField(CompanyField::ZCDZ, u"注册");
    c.SetField(CompanyField::YYDZ, u"营业");
    c.SetField(CompanyField::YZBM, u"100000");
    c.SetField(CompanyField::EMAIL, u"a@b.c");
    c.SetField(CompanyField::QYDHHM, u"123");
    c.SetField(CompanyField::QYCZHM, u"456");
    c.SetField(CompanyField::HYMC, u"行业");
    c.SetField(CompanyField::HYDM, u"01");
    c.SetField(CompanyField::ZSID, u"9");
    return c;
}

TStateTaxRecord StateTax() {
    TStateTaxRecord s;
    for (const QString& column : StateTaxRecordColumns()) {
        s[column] = column.toLower();
    }
    s["DJZCLX_DM"] = "";
    s["SSDLJG"] = "代'理";
    return s;
}

TEST(CompanyInfoInnerSaveTest, StatementsAsSpelled) {
    EXPECT_EQ(CompanyUpdateSql(Company()),
              QStringLiteral("UPDATE XT_QYXX SET QYMC='O''Brien 公司', FDDBRMC='张三', "
                             "CWFZR='李四', ZCDZ='注册', YYDZ='营业', YZBM='100000', "
                             "EMAIL='a@b.c', QYDHHM='123', QYCZHM='456', HYMC='行业', "
                             "HYDM='01', ZSID='9' where QYID=7"));
    EXPECT_EQ(LocalTaxUpdateSql(" 7 ", "A'1", "a@b.c", "12.50", "2024-05-06"),
              "UPDATE XT_QYDSXX SET Nsrsbh='A''1',DZXX='a@b.c', GSGBZE =12.50,"
              "GXSJ='2024-05-06', Gxbz=1 where QYID=7");
    EXPECT_EQ(StateTaxExistsSql("7"), "select 1 from XT_QYGSXX where QYID=7");
    EXPECT_EQ(StateTaxUpdateSql(Company(), StateTax(), "2024-05-06"),
              QStringLiteral(
                  "UPDATE XT_QYGSXX SET NSRSBH='nsrsbh', NSRBM ='nsrbm', NSRMC ='O''Brien 公司', "
                  "FDDBRMC='张三', DHHM='123', YZBM='100000', ZCDZ='注册', YYDZ='营业', "
                  "SSHY='sshy', DJZCLX_DM=0, NSRZT='nsrzt', KKYH='kkyh', YHZH='yhzh', "
                  "NSRLX='nsrlx', XYDJ='xydj', SSSWJG_DM='ssswjg_dm', SSDLJG='代''理', "
                  "JKBZ='jkbz', ZDH='zdh', JBZH='jbzh', FLZSH='flzsh', QYLXMC='qylxmc', "
                  "SSHYMC='sshymc', SSSWJG_MC='ssswjg_mc', GXSJ='2024-05-06', GXBZ=1 "
                  "where QYID=7"));
    TStateTaxRecord typed = StateTax();
    typed["DJZCLX_DM"] = " 159 ";
    EXPECT_EQ(StateTaxInsertSql(Company(), typed, "DATE('2024-05-06')"),
              QStringLiteral(
                  "INSERT INTO XT_QYGSXX(QYID, NSRSBH, NSRBM, NSRMC,FDDBRMC,DHHM,YZBM,ZCDZ,YYDZ,"
                  "SSHY,DJZCLX_DM,NSRZT,KKYH,YHZH,NSRLX,XYDJ,SSSWJG_DM,SSDLJG,JKBZ,ZDH,JBZH,"
                  "FLZSH,QYLXMC,SSHYMC,SSSWJG_MC,GXSJ,GXBZ) VALUES(7,'nsrsbh','nsrbm',"
                  "'O''Brien 公司','张三','123','100000','注册','营业','sshy',159,'nsrzt','kkyh',"
                  "'yhzh','nsrlx','xydj','ssswjg_dm','代''理','jkbz','zdh','jbzh','flzsh',"
                  "'qylxmc','sshymc','ssswjg_mc',DATE('2024-05-06'),1)"));
}

TEST(CompanyInfoInnerSaveTest, NoStatementForAnUnsafeIdOrRegisterType) {
    TCompanyRecord company = Company();
    company.SetField(CompanyField::QYID, u"7 or 1=1");
    EXPECT_TRUE(CompanyUpdateSql(company).isEmpty());
    EXPECT_TRUE(StateTaxUpdateSql(company, StateTax(), "2024-05-06").isEmpty());
    EXPECT_TRUE(StateTaxInsertSql(company, StateTax(), "d").isEmpty());
    EXPECT_TRUE(LocalTaxUpdateSql("7;", "", "", "0.00", "").isEmpty());
    EXPECT_TRUE(StateTaxExistsSql("").isEmpty());
    TStateTaxRecord bad = StateTax();
    bad["DJZCLX_DM"] = "1,NSRZT='x'";
    EXPECT_TRUE(StateTaxUpdateSql(Company(), bad, "2024-05-06").isEmpty());
    EXPECT_TRUE(StateTaxInsertSql(Company(), bad, "d").isEmpty());
}

TEST(CompanyInfoInnerSaveTest, CurrentCompanyReceivesTextsAndChildren) {
    TDataVO current;
    auto* localTax = new TDataVO();
    current.SetObjValue("QYDSXX", localTax);
    const TCompanyRecord company = Company();
    const TStateTaxRecord stateTax = StateTax();
    UpdateCurrentCompany(current, {&company, true, "1234.50", true, &stateTax, "2024-05-06"});
    EXPECT_EQ(current.GetStrValue("QYMC"), QStringLiteral("O'Brien 公司"));
    EXPECT_EQ(current.GetStrValue("HYDM"), "01");
    EXPECT_EQ(localTax->GetStrValue("GSGBZE"), "1234.50");
    EXPECT_EQ(localTax->GetStrValue("DZXX"), "a@b.c");
    EXPECT_EQ(localTax->GetStrValue("GXSJ"), "2024-05-06");
    EXPECT_EQ(localTax->GetStrValue("GXBZ"), "1");
    auto* attached = dynamic_cast<TDataVO*>(current.GetObjValue("QYGSXX"));
    ASSERT_NE(attached, nullptr);
    EXPECT_EQ(attached->GetStrValue("SSDLJG"), QStringLiteral("代'理"));
    EXPECT_EQ(attached->GetStrValue("ICCARD"), "iccard");

    // Without a local-tax row the share capital is empty; a hidden state-tax
    // tab leaves the object without a "QYGSXX" child.
    TDataVO plain;
    auto* plainLocal = new TDataVO();
    plain.SetObjValue("QYDSXX", plainLocal);
    UpdateCurrentCompany(plain, {&company, false, "99.00", false, &stateTax, "2024-05-06"});
    EXPECT_EQ(plainLocal->GetStrValue("GSGBZE", "unset"), "");
    EXPECT_EQ(plain.GetObjValue("QYGSXX"), nullptr);
    // Nor does a visible tab without a state-tax row.
    UpdateCurrentCompany(plain, {&company, false, "", true, nullptr, "2024-05-06"});
    EXPECT_EQ(plain.GetObjValue("QYGSXX"), nullptr);

    // A "QYGSXX" child held already is filled in, not replaced.
    TStateTaxRecord changed = stateTax;
    changed["SSDLJG"] = "新代理";
    UpdateCurrentCompany(current, {&company, true, "1234.50", true, &changed, "2024-05-07"});
    EXPECT_EQ(current.GetObjValue("QYGSXX"), attached);
    EXPECT_EQ(attached->GetStrValue("SSDLJG"), QStringLiteral("新代理"));
}

}  // namespace
