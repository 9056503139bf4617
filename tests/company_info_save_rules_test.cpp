// Saving company information: the share capital as stored, the dialog's
// statements and current-company refresh for input that never passes, and
// the comparison of a company's rows before a write.
#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

#include "CompanyInfoDialogSave.h"
#include "StoredRows.h"
#include "TestHost.h"
#include "f_DataVO.h"

namespace {

using namespace CompanyInfoDialog;

TLoaded LoadedWithLocalTax() {
    TLoaded loaded;
    loaded.QYID = "7";
    loaded.QYMC = "甲公司";
    loaded.hasLocalTax = true;
    loaded.shareCapital = "12.50";
    return loaded;
}

TEntered Entered(const QString& shareCapital) {
    TEntered entered;
    entered.QYSBH = " 9111 ";
    entered.QYDHHM = "010-1";
    entered.EMAIL = "a@b.cn";
    entered.shareCapital = shareCapital;
    return entered;
}

// A share capital that is no amount never reaches the database or the
// current-company object, even when the check before was skipped.
TEST(CompanyInfoDialogSaving, AShareCapitalThatIsNoAmountWritesNothing) {
    const TLoaded loaded = LoadedWithLocalTax();
    EXPECT_TRUE(SaveStatements(loaded, Entered("1,5"), "2024-05-06").isEmpty());
    QString failed = "stale";
    EXPECT_EQ(RunStatements({}, failed), SaveResult::BadId);
    EXPECT_EQ(failed, "");

    TDataVO company;
    auto* localTax = new TDataVO();
    localTax->SetStrValue("GSGBZE", "12.50");
    company.SetObjValue("QYDSXX", localTax);
    EXPECT_FALSE(RefreshCurrentCompany(&company, loaded, Entered("abc"), true, "2024-05-06"));
    EXPECT_EQ(localTax->GetStrValue("GSGBZE"), "12.50");
    EXPECT_EQ(localTax->GetStrValue("GXSJ", "unset"), "unset");
}

TEST(CompanyInfoDialogSaving, TheCurrentCompanyIsRefreshedWhateverChildrenItHas) {
    const TLoaded loaded = LoadedWithLocalTax();
    EXPECT_FALSE(RefreshCurrentCompany(nullptr, loaded, Entered("1"), true, "2024-05-06"));

    // Without a local-tax child only the company's own values change.
    TDataVO company;
    EXPECT_TRUE(RefreshCurrentCompany(&company, loaded, Entered("13"), true, "2024-05-06"));
    EXPECT_EQ(company.GetStrValue("QYSBH"), "9111");
    EXPECT_EQ(company.GetStrValue("QYMC"), QStringLiteral("甲公司"));
    EXPECT_EQ(company.GetStrValue("EMAIL"), "a@b.cn");
    EXPECT_EQ(company.GetObjValue("QYDSXX"), nullptr);
}

class StoredRowsTest : public EngineTest {
  protected:
    QString AddWithLocalTax() const {
        const QString id = AddCompany("9111A", "甲");
        EXPECT_TRUE(Exec("INSERT INTO XT_QYDSXX(QYID, DZXX) VALUES(" + id + ", 'a@b.cn')"));
        return id;
    }
};
INSTANTIATE_ON_ENGINES(StoredRowsTest);

// Rows compared with a reading that holds none: each row there is a change.
TEST_P(StoredRowsTest, AgainstNothingReadEveryRowCameOrWent) {
    const QString id = AddWithLocalTax();
    TStoredRows taken;
    ASSERT_TRUE(taken.Take(id));
    const TStoredRows nothing;
    const QStringList rows = {"XT_QYXX", "XT_QYDSXX"};
    EXPECT_EQ(TStoredRows::Differences(nothing, taken), rows);
    EXPECT_EQ(TStoredRows::Differences(taken, nothing), rows);
    EXPECT_EQ(TStoredRows::Differences(nothing, nothing), QStringList());
}

// An older database lacks a column: it reads as empty and the others are
// still compared.
TEST_P(StoredRowsTest, AMissingColumnReadsAsEmpty) {
    const QString id = AddWithLocalTax();
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYDSXX DROP COLUMN SFSS"));
    TStoredRows before;
    ASSERT_TRUE(before.Take(id));
    TStoredRows same;
    ASSERT_TRUE(same.Take(id));
    EXPECT_EQ(TStoredRows::Differences(before, same), QStringList());

    ASSERT_TRUE(ExecElsewhere("UPDATE XT_QYDSXX SET DZXX='c@d.cn' where QYID=" + id));
    TStoredRows now;
    ASSERT_TRUE(now.Take(id));
    EXPECT_EQ(TStoredRows::Differences(before, now), QStringList{"XT_QYDSXX.DZXX"});
}

}  // namespace
