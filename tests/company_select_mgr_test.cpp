#include <gtest/gtest.h>

#include <QDate>
#include <QSet>

#include <dlfcn.h>

#include <string>
#include <tuple>
#include <vector>

#include "AgencyMgrImpl.h"
#include "CompanyFilter.h"
#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "RecentCompanies.h"
#include "TaxRecords.h"
#include "TestHost.h"

// A host may have no operator or company object to hand. The module's parts,
// linked into this program, call these instead of the host library's; they
// pass the call on unless a test says the objects are missing.
namespace {
bool g_hostObjectsMissing = false;

template <typename Function>
Function FromHostLibrary(const char* symbol) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, symbol));
}
}  // namespace

namespace ModuleLib {
TDataVO* GetUserInfoVO() {
    static const auto real = FromHostLibrary<TDataVO* (*)()>("_ZN9ModuleLib13GetUserInfoVOEv");
    return g_hostObjectsMissing || real == nullptr ? nullptr : real();
}
TDataVO* GetCompanyInfoVO() {
    static const auto real = FromHostLibrary<TDataVO* (*)()>("_ZN9ModuleLib16GetCompanyInfoVOEv");
    return g_hostObjectsMissing || real == nullptr ? nullptr : real();
}
}  // namespace ModuleLib

namespace {

const TDataVO* Child(const char* name) {
    return dynamic_cast<const TDataVO*>(ModuleLib::GetCompanyInfoVO()->GetObjValue(name));
}

QString Current(const char* key) {
    return ModuleLib::GetCompanyInfoVO()->GetStrValue(key);
}

class CompanyData : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        first_ = AddCompany("911100000000000001", "北京甲公司");
        second_ = AddCompany("911100000000000002", "上海乙公司");
        third_ = AddCompany("911100000000000003", "广州丙公司");
        AddCompany("911100000000000010", "代理户", 10);
    }
    QString first_, second_, third_;
};
INSTANTIATE_ON_ENGINES(CompanyData);

TEST_P(CompanyData, AllCompanyClassesCountEveryCompanyOfTheKind) {
    for (const char* operatorClass : {"0", "SYSTEM", "BUSINESS"}) {
        TCompanySelectMgr manager("0001", operatorClass);
        EXPECT_EQ(manager.CountCompanies("", ""), 3) << operatorClass;
        EXPECT_EQ(manager.CountCompanies("0002", ""), 1);
        EXPECT_EQ(manager.CountCompanies("", "公司"), 3);
    }
    HostSetup::SetAgencyExist(true);
    EXPECT_EQ(TCompanySelectMgr("0001", "0").CountCompanies("", ""), 1);
}

TEST_P(CompanyData, RolesCountAndListTheirGrantsOnly) {
    GrantToRole("R01", first_);
    GrantToRole("R01", third_);
    // A second grant of one company, and grants of the agency's and the tax officer's rows.
    GrantToRole("R01", first_);
    GrantToRole("R01", AddCompany("AGENCY", "某事务所", 19));
    GrantToRole("R01", AddCompany("110101199001011234", "办税员", 20));
    TCompanySelectMgr manager("0002", "R01");
    EXPECT_EQ(manager.CountCompanies("", ""), 2);
    TCompanyRecordArray records;
    ASSERT_TRUE(manager.ListCompanies("", "", records));
    ASSERT_EQ(records.size(), 2u);
    QStringList ids{records[0].QYID(), records[1].QYID()};
    ids.sort();
    QStringList expected{first_, third_};
    expected.sort();
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(manager.CountCompanies("", "广州"), 1);

    EXPECT_EQ(TCompanySelectMgr("0003", "R02").CountCompanies("", ""), 0);
    EXPECT_EQ(TCompanySelectMgr("0003", "system").CountCompanies("", ""), 0);
    // A role code with a quote stays a role code.
    EXPECT_EQ(TCompanySelectMgr("0003", "R01' OR '1'='1").CountCompanies("", ""), 0);
}

// 查找 finds what typing finds, on every engine: letter case and full-width
// forms are folded on both sides, and a folded "％" is no wildcard.
TEST_P(CompanyData, SearchFoldsCaseAndWidthAsTypingDoes) {
    const QString latin = AddCompany("91110000000000000A", "Acme 贸易");
    const QString wide = AddCompany("91110000000000000b", "ＡＣＭＥ商店");
    const std::tuple<const char*, const char*, QStringList> cases[] = {
        {"", "acme", {latin, wide}},
        {"", "ＡｃＭｅ", {latin, wide}},
        {"0b", "", {wide}},
        {"０Ａ", "", {latin}},
        {"", "％", {}},
        {"", "ｍｅ商", {wide}},
        {"00000B", "", {wide}}};
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
    TCompanySelectMgr manager("0001", "0");
    TCompanyRecordArray all, records;
    ASSERT_TRUE(manager.ListCompanies("", "", all));
    for (const auto& [taxId, name, expected] : cases) {
        SCOPED_TRACE(std::string(taxId) + "|" + name);
        ASSERT_TRUE(manager.ListCompanies(taxId, name, records));
        QSet<QString> found, typed;
        for (const TCompanyRecord& record : records) {
            found << record.QYID();
        }
        for (const int row : FilterCompanies(all, {taxId, name})) {
            typed << all[static_cast<std::size_t>(row)].QYID();
        }
        EXPECT_EQ(found, QSet<QString>(expected.begin(), expected.end()));
        EXPECT_EQ(typed, found);
        // The switch's tail match: the same rule on the number's last six characters.
        TAgcyCompanyInfoList served;
        ASSERT_TRUE(TAgencyMgrImpl("").ListServedCompanies(taxId, name, served));
        QSet<QString> servedIds, tailTyped;
        for (const TCompanyRecord& record : served) {
            servedIds << record.QYID();
        }
        for (const int row : FilterCompanies(all, {taxId, name, true})) {
            tailTyped << all[static_cast<std::size_t>(row)].QYID();
        }
        EXPECT_EQ(servedIds, tailTyped);
    }
}

TEST_P(CompanyData, ListsCarryIdNumberAndNameOnly) {
    Exec("UPDATE XT_QYXX SET FDDBRMC='张三' where QYID=" + first_);
    TCompanySelectMgr manager("0001", "0");
    TCompanyRecordArray records(5);
    ASSERT_TRUE(manager.ListCompanies("0001", "", records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].QYID(), first_);
    EXPECT_EQ(records[0].QYSBH(), "911100000000000001");
    EXPECT_EQ(records[0].QYMC(), "北京甲公司");
    EXPECT_TRUE(records[0].Field(CompanyField::FDDBRMC).isEmpty());

    ASSERT_TRUE(manager.ListCompanies("nothing", "", records));
    EXPECT_TRUE(records.empty());
}

TEST_P(CompanyData, RefillingTheDialogListReplacesItsRecords) {
    TCompanySelectMgr manager("0001", "0");
    EXPECT_FALSE(manager.FillCompanyList(nullptr, "", ""));
    TCompanyRecordList list;
    ASSERT_TRUE(manager.FillCompanyList(&list, "", ""));
    ASSERT_EQ(list.size(), 3u);
    ASSERT_TRUE(manager.FillCompanyList(&list, "", "上海"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->QYMC(), "上海乙公司");
}

TEST_P(CompanyData, FailedQueriesCountNothing) {
    Exec("DROP TABLE XT_QYXX");
    TCompanySelectMgr manager("0001", "0");
    EXPECT_EQ(manager.CountCompanies("", ""), 0);
    TCompanyRecordArray records(2);
    EXPECT_FALSE(manager.ListCompanies("", "", records));
    EXPECT_EQ(records.size(), 2u);
    EXPECT_FALSE(manager.LoadCompanyInfo(first_));
}

TEST_P(CompanyData, LoadsACompanyWithItsTaxRows) {
    Exec("UPDATE XT_QYXX SET FDDBRMC='张三', EMAIL='a@b.cn', XZQHDM='1101', ZSID='Z9' where QYID=" +
         first_);
    Exec("INSERT INTO XT_QYDSXX(QYID, KJYWRBM, GSGBZE, GXSJ, GXBZ) VALUES(" + first_ +
         ", 'K001', 1234.5, '2025-06-30', 1)");
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH, ICCARD) VALUES(" + first_ +
         ", '911100000000000001', 'ICBH=1;ICLX=A\r\nICBH=2;ICLX=B')");
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    EXPECT_EQ(Current("QYID"), first_);
    EXPECT_EQ(Current("qysbh"), "911100000000000001");
    EXPECT_EQ(Current("FDDBRMC"), "张三");
    EXPECT_EQ(Current("XZQHDM"), "1101");
    EXPECT_EQ(Current("ZSID"), "Z9");
    ASSERT_NE(Child("QYDSXX"), nullptr);
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("KJYWRBM"), "K001");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GSGBZE"), "1234.50");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GXSJ"), "2025-06-30");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GXBZ"), "1");
    ASSERT_NE(Child("QYGSXX"), nullptr);
    EXPECT_EQ(Child("QYGSXX")->GetStrValue("ICCARD"), "ICBH=1;ICLX=A\r\nICBH=2;ICLX=B");
    EXPECT_EQ(LogCount("Error"), 0);
}

int ItemCount(const TDataVO& data) {
    int count = 0;
    data.ForEachItem([&count](const TParamItem&) { ++count; });
    return count;
}

// No row, an id that is no number or a table that cannot be read: an empty
// child, and the company still loads.
TEST_P(CompanyData, TaxRowsThatCannotBeReadLoadAsEmptyChildren) {
    Exec("INSERT INTO XT_QYDSXX(QYID, KJYWRBM) VALUES(" + first_ + ", 'K001')");
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + first_ + ", '911100000000000001')");
    EXPECT_EQ(TaxRecords::LoadLocalTax(first_)->GetStrValue("KJYWRBM"), "K001");
    EXPECT_EQ(ItemCount(*TaxRecords::LoadLocalTax(first_ + " or 1=1")), 0);
    EXPECT_EQ(ItemCount(*TaxRecords::LoadStateTax("x")), 0);
    EXPECT_EQ(ItemCount(*TaxRecords::LoadStateTax(second_)), 0);

    Exec("DROP TABLE XT_QYGSXX");
    EXPECT_EQ(ItemCount(*TaxRecords::LoadStateTax(first_)), 0);
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    ASSERT_NE(Child("QYGSXX"), nullptr);
    EXPECT_EQ(ItemCount(*Child("QYGSXX")), 0);
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("KJYWRBM"), "K001");
}

TEST_P(CompanyData, MissingTaxRowsReplaceThePreviousCompanysChildren) {
    Exec("INSERT INTO XT_QYDSXX(QYID, KJYWRBM) VALUES(" + first_ + ", 'K001')");
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + first_ + ", '911100000000000001')");
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    ModuleLib::GetCompanyInfoVO()->SetStrValue("HOSTKEY", "kept");

    ASSERT_TRUE(manager.LoadCompanyInfo(second_));
    EXPECT_EQ(Current("QYID"), second_);
    EXPECT_EQ(Current("HOSTKEY"), "kept");
    ASSERT_NE(Child("QYDSXX"), nullptr);
    EXPECT_TRUE(Child("QYDSXX")->GetStrValue("KJYWRBM").isEmpty());
    EXPECT_EQ(Child("QYDSXX")->FindItem("KJYWRBM"), nullptr);
    ASSERT_NE(Child("QYGSXX"), nullptr);
    EXPECT_EQ(Child("QYGSXX")->FindItem("NSRSBH"), nullptr);
}

TEST_P(CompanyData, NullShareCapitalAndDateReadAsZeroAndToday) {
    Exec("INSERT INTO XT_QYDSXX(QYID, KJYWRBM) VALUES(" + first_ + ", 'K001')");
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + first_ + ", '')");
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GSGBZE"), "0.00");
    EXPECT_EQ(Child("QYDSXX")->GetStrValue("GXSJ"), today);
    EXPECT_EQ(Child("QYGSXX")->GetStrValue("GXSJ"), today);
    EXPECT_EQ(LogCount("Error"), 0);
}

TEST(TaxRecordDates, ReadableDatesAreNormalisedOthersKeptAsStored) {
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    const std::pair<QString, QString> cases[] = {
        {"2025-06-30", "2025-06-30"},
        {" 2025-06-30 ", "2025-06-30"},
        {"2025-06-30 08:09:10", "2025-06-30"},
        {"2025-06-30T08:09:10", "2025-06-30"},
        {"2025-06-30 08:09:10.123", "2025-06-30"},
        {"30.06.2025", "30.06.2025"},
        {"2025-02-30", "2025-02-30"},
        {"2025-06-30 晚", "2025-06-30"},
        {"未知", "未知"},
        {"", today},
        {"  ", today},
    };
    for (const auto& [stored, read] : cases) {
        EXPECT_EQ(TaxRecords::FormatUpdateDate(stored), read) << stored.toStdString();
    }
}

TEST_P(CompanyData, AnUnreadableUpdateDateIsLoadedAsStored) {
    if (GetParam() != "SQLITE") {
        GTEST_SKIP() << "only SQLite stores a text that is no date in a date column";
    }
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH, GXSJ) VALUES(" + first_ +
         ", '911100000000000001', '2025年6月')");
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    EXPECT_EQ(Child("QYGSXX")->GetStrValue("GXSJ"), "2025年6月");
}

TEST_P(CompanyData, UnknownOrMalformedIdsLeaveTheCurrentCompanyAlone) {
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    for (const char* id : {"999999", "", "1 or 1=1", "1;delete from XT_QYXX", "abc"}) {
        EXPECT_FALSE(manager.LoadCompanyInfo(id)) << id;
        EXPECT_EQ(Current("QYID"), first_);
    }
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), 4);
    EXPECT_EQ(LogCount("Error"), 0);  // nothing was run for the malformed ids
}

TEST_P(CompanyData, DifferingStateTaxNumberIsLoggedOnce) {
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + first_ + ", '912222222222222222')");
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, "Error");
    EXPECT_EQ(lines[0].text,
              "70019503：国税信息纳税人识别号[912222222222222222]与基本信息纳税人识别号["
              "911100000000000001]不一致");
}

TEST_P(CompanyData, LongTextsAreCutTo255LegacyBytes) {
    const QString longName = QString(200, QChar(0x7532));  // 400 bytes in GBK
    Exec("UPDATE XT_QYXX SET QYMC='" + longName + "', ZCDZ='" + QString(300, 'a') +
         "' where QYID=" + first_);
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH, ICCARD) VALUES(" + first_ +
         ", '911100000000000001', '" + QString(400, 'c') + "')");
    TCompanySelectMgr manager("0001", "0");
    TCompanyRecordArray records;
    ASSERT_TRUE(manager.ListCompanies("0001", "", records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].QYMC(), longName.left(127));
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    EXPECT_EQ(Current("QYMC"), longName.left(127));
    EXPECT_EQ(Current("ZCDZ"), QString(255, 'a'));
    EXPECT_EQ(Child("QYGSXX")->GetStrValue("ICCARD").size(), 400);
}

TEST_P(CompanyData, AgencyInstallationAttachesOneAgencyManager) {
    HostSetup::SetAgencyExist(true);
    Exec("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('AGENCY', '某税务师事务所', 19)");
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    auto* agency = dynamic_cast<TAgencyMgr*>(ModuleLib::GetCompanyInfoVO()->GetObjValue("DLJGXX"));
    ASSERT_NE(agency, nullptr);
    EXPECT_EQ(agency->GetName(), "某税务师事务所");
    EXPECT_EQ(HostSetup::AgencyInfo(), "某税务师事务所");

    Exec("UPDATE XT_QYXX SET QYMC='改名事务所' where LBDM=19");
    ASSERT_TRUE(manager.LoadCompanyInfo(second_));
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetObjValue("DLJGXX"), agency);
    EXPECT_EQ(agency->GetName(), "改名事务所");
}

class MissingHostObjects : public CompanyData {
  protected:
    void SetUp() override {
        CompanyData::SetUp();
        // The seam must reach the host library, or every other test breaks.
        ASSERT_NE(ModuleLib::GetCompanyInfoVO(), nullptr);
        g_hostObjectsMissing = true;
    }
    void TearDown() override {
        g_hostObjectsMissing = false;
        CompanyData::TearDown();
    }
};
INSTANTIATE_ON_ENGINES(MissingHostObjects);

// Nothing is loaded into an object that is not there; what needs none still works.
TEST_P(MissingHostObjects, AreNeverDereferenced) {
    ASSERT_EQ(ModuleLib::GetUserInfoVO(), nullptr);
    TCompanySelectMgr manager("0001", "0");
    EXPECT_FALSE(manager.LoadCompanyInfo(first_));
    EXPECT_EQ(manager.CountCompanies("", ""), 3);

    TDataVO data;
    data.SetStrValue("KJYWRBM", "K1");
    data.SetStrValue("NSRSBH", "N1");
    data.SetStrValue("QYMC", "新名称");
    QString error;
    EXPECT_TRUE(manager.WriteLocalTaxInfo(first_, &data, error)) << error.toStdString();
    EXPECT_TRUE(manager.WriteStateTaxInfo(first_, &data, error)) << error.toStdString();
    EXPECT_TRUE(manager.WriteBasicInfo(first_, &data, error)) << error.toStdString();
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + first_), "新名称");

    TAgencyMgrImpl agency("");
    TAgcyCompanyInfoList list(1);
    EXPECT_FALSE(agency.ListServedCompanies("", "", list));
    EXPECT_EQ(list.size(), 1u);

    // With no operator object to own them, an operator's recent companies are
    // not his, though the host's settings are still his.
    g_hostObjectsMissing = false;
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    g_hostObjectsMissing = true;
    WriteFile("Config/Users/0001.ini", "[RecentCompanies]\nIds=1,2\n");
    EXPECT_TRUE(RecentCompanies::Read("0001").isEmpty());
    EXPECT_FALSE(RecentCompanies::Remember(
        "3", [](const QString&) { return true; }, "0001"));
}

TEST_P(CompanyData, NoAgencyChildOnAnOrdinaryInstallation) {
    TCompanySelectMgr manager("0001", "0");
    ASSERT_TRUE(manager.LoadCompanyInfo(first_));
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->FindItem("DLJGXX"), nullptr);
}

}  // namespace
