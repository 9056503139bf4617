// The comparison of a company's rows before a write.
#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

#include "StoredRows.h"
#include "TestHost.h"
#include "f_DataVO.h"

namespace {

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
