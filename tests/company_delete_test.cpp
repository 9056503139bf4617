// Deleting a company is all or nothing: when its own row cannot go, every
// dependent row it had is still there afterwards.
#include <gtest/gtest.h>

#include <QDir>

#include "AgencyMgrImpl.h"
#include "CompanyDelete.h"
#include "CompanyRecord.h"
#include "TestHost.h"
#include "f_DataVO.h"

namespace {

constexpr const char* kTables[] = {"QX_CZYQY", "QX_CZYZXT", "XT_QYDSXX", "XT_QYGSXX"};

class CompanyDelete : public EngineTest {
  protected:
    void AddDependentRows(const QString& companyId) {
        for (const char* table : kTables) {
            ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO %1(QYID) VALUES(%2)")
                                 .arg(QLatin1String(table), companyId)))
                << table;
        }
    }
    int DependentRows(const QString& companyId) const {
        int rows = 0;
        for (const char* table : kTables) {
            rows += Count(QStringLiteral("select count(*) from %1 where QYID=%2")
                              .arg(QLatin1String(table), companyId));
        }
        return rows;
    }
};
INSTANTIATE_ON_ENGINES(CompanyDelete);

TEST_P(CompanyDelete, AFailedCompanyRowDeleteKeepsEveryDependentRow) {
    const QString company = AddCompany("911100000000123456", "甲公司", 10);
    AddDependentRows(company);
    RefuseRowChanges("DELETE", "XT_QYXX");

    TAgencyMgrImpl agency("");
    EXPECT_FALSE(agency.DeleteCompany(company));
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYID=" + company), 1);
    EXPECT_EQ(DependentRows(company), 4);

    // The database is usable afterwards: nothing was left half open.
    EXPECT_TRUE(Exec("DROP TRIGGER refuse_delete" +
                     QString(GetParam() == "POSTGRESQL" ? " ON XT_QYXX" : "")));
    EXPECT_TRUE(agency.DeleteCompany(company));
    EXPECT_EQ(DependentRows(company), 0);
}

TEST_P(CompanyDelete, AnIdWithoutACompanyRowDeletesNothing) {
    const QString company = AddCompany("911100000000123456", "甲公司", 10);
    const QString orphan = QString::number(company.toInt() + 1);
    AddDependentRows(orphan);

    TAgencyMgrImpl agency("");
    EXPECT_FALSE(agency.DeleteCompany(orphan));
    EXPECT_EQ(DependentRows(orphan), 4);
}

// An operator object without the host's session has no one to tell: the
// company, its rows and its certificate folder go all the same.
TEST_P(CompanyDelete, WithoutASessionTheCompanyStillGoes) {
    const QString company = AddCompany("9111A", "甲公司");
    AddDependentRows(company);
    const QString ca = AppPath() + "CA/";
    ASSERT_TRUE(QDir().mkpath(ca + "GS/9111A"));
    Answer(106008, 1);
    TCompanyRecord record;
    record.SetField(CompanyField::QYID, company);
    record.SetField(CompanyField::QYSBH, u"9111A");

    TDataVO user;
    user.SetStrValue("CZY_DM", "0001");
    EXPECT_EQ(::CompanyDelete::Run(record, &user, nullptr, ca), ::CompanyDelete::Outcome::Deleted);
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYID=" + company), 0);
    EXPECT_EQ(DependentRows(company), 0);
    const auto messages = Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().code, 106009);
    EXPECT_FALSE(QDir(ca + "GS/9111A").exists());
}

}  // namespace
