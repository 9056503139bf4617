// Serialised transactions: a second desk (a second connection to the same
// database) cannot begin one while the first desk holds one, and sees the
// first desk's rows once it can.
#include <gtest/gtest.h>

#include <QSqlDatabase>

#include <tuple>
#include <vector>

#include "HostServices.h"
#include "TestHost.h"
#include "Transaction.h"

namespace {

using ModuleLib::TransactionMode;

const QString kSecondDesk = QStringLiteral("SecondDesk");

class SerializedTransactions : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        QSqlDatabase desk = QSqlDatabase::cloneDatabase(kMainConnection, kSecondDesk);
        ASSERT_TRUE(desk.open());
        if (GetParam() == "POSTGRESQL") {
            // The second desk gives up where SQLite's busy timeout would; long
            // enough to outwait another test's serialised step on the database.
            ASSERT_TRUE(RunOnDesk("SET lock_timeout = '1s'"));
        }
    }
    void TearDown() override {
        QString ignored;
        while (ModuleLib::TransactionDepth(kSecondDesk) > 0) {
            ModuleLib::RollbackTransaction(kSecondDesk, ignored);
        }
        if (QSqlDatabase::contains(kSecondDesk)) {
            QSqlDatabase::database(kSecondDesk, false).close();
            QSqlDatabase::removeDatabase(kSecondDesk);
        }
        EngineTest::TearDown();
    }

    static bool RunOnDesk(const QString& sql) {
        TADOQuery query;
        QString error;
        const bool ok = query.Execute(kSecondDesk, sql, error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }
    static int RowsSeenByDesk(const QString& taxId) {
        TADOQuery query;
        QString error;
        EXPECT_TRUE(query.Open(kSecondDesk,
                               "select count(*) from XT_QYXX where QYSBH='" + taxId + "'", error))
            << error.toStdString();
        return query.FieldAsString(0).toInt();
    }
};
INSTANTIATE_ON_ENGINES(SerializedTransactions);

TEST_P(SerializedTransactions, ASecondDeskWaitsUntilTheFirstHasEnded) {
    {
        TTransaction first(TransactionMode::Serialized);
        ASSERT_TRUE(first.IsActive()) << first.ErrorText().toStdString();
        Exec("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('9111A', 'first desk', 0)");

        QString error;
        EXPECT_FALSE(ModuleLib::BeginTransaction(kSecondDesk, error, TransactionMode::Serialized));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(ModuleLib::TransactionDepth(kSecondDesk), 0);
        {
            // Only serialised transactions queue: a deferred one goes ahead.
            TTransaction reader(kSecondDesk);
            EXPECT_TRUE(reader.IsActive()) << reader.ErrorText().toStdString();
            EXPECT_EQ(RowsSeenByDesk("9111A"), 0);
        }
        ASSERT_TRUE(first.Commit()) << first.ErrorText().toStdString();
    }
    TTransaction second(TransactionMode::Serialized, kSecondDesk);
    EXPECT_TRUE(second.IsActive()) << second.ErrorText().toStdString();
    EXPECT_EQ(RowsSeenByDesk("9111A"), 1);
}

// On a server only levels of one scope queue; SQLite has one writer at a time.
TEST_P(SerializedTransactions, OnAServerOnlyLevelsOfOneScopeQueue) {
    for (const auto& [one, other, sameLock] : {std::tuple(0, 0, true), std::tuple(7, 7, true),
                                               std::tuple(7, 8, false), std::tuple(0, 7, false)}) {
        TTransaction first(TransactionMode::Serialized, one);
        ASSERT_TRUE(first.IsActive()) << first.ErrorText().toStdString();
        TTransaction second(TransactionMode::Serialized, other, kSecondDesk);
        EXPECT_EQ(second.IsActive(), GetParam() == "POSTGRESQL" && !sameLock) << one << other;
    }
}

struct NestingCase {
    const char* name;
    TransactionMode outer;
    TransactionMode inner;
    bool innerBegins;
    qint64 outerScope = 0, innerScope = 0;
};

TEST_P(SerializedTransactions, ASerialisedLevelIsOutermostOrInsideOne) {
    const std::vector<NestingCase> cases = {
        {"serialised inside deferred", TransactionMode::Deferred, TransactionMode::Serialized,
         false},
        {"deferred inside serialised", TransactionMode::Serialized, TransactionMode::Deferred,
         true},
        {"serialised inside serialised", TransactionMode::Serialized, TransactionMode::Serialized,
         true},
        {"one company inside another", TransactionMode::Serialized, TransactionMode::Serialized,
         false, 7, 8},
    };
    for (const NestingCase& c : cases) {
        TTransaction outer(c.outer, c.outerScope);
        ASSERT_TRUE(outer.IsActive()) << c.name;
        {
            TTransaction inner(c.inner, c.innerScope);
            EXPECT_EQ(inner.IsActive(), c.innerBegins) << c.name;
            EXPECT_EQ(ModuleLib::TransactionDepth(kMainConnection), c.innerBegins ? 2 : 1)
                << c.name;
            EXPECT_TRUE(Exec(QStringLiteral("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) "
                                            "VALUES('%1', 'inner', 0)")
                                 .arg(QLatin1String(c.name))));
            if (inner.IsActive()) {
                EXPECT_TRUE(inner.Commit()) << c.name;
            }
        }
        // The refusal left the outer level whole.
        EXPECT_TRUE(outer.Commit()) << c.name << ": " << outer.ErrorText().toStdString();
        EXPECT_EQ(Count(QStringLiteral("select count(*) from XT_QYXX where QYSBH='%1'")
                            .arg(QLatin1String(c.name))),
                  1)
            << c.name;
    }
}

}  // namespace
