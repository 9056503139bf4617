// The host's database services beyond single statements: nested transactions,
// the two reading paths of TADOQuery, and text that must survive the engine.
#include <gtest/gtest.h>

#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "HostServices.h"
#include "SqlQuery.h"
#include "TestHost.h"
#include "Transaction.h"
#include "f_CommonUnit.h"

namespace {

class HostTransactions : public EngineTest {
  public:
    // Through the module's own query call, as the module would write.
    bool Insert(const QString& name) {
        TADOQuery query;
        QString error;
        return ModuleLib::ExecADOQueryMsg(
            kMainConnection,
            QStringLiteral("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('1', '%1', 0)")
                .arg(QuoteSqlValue(name)),
            query, error, 0);
    }
    bool Fail() {
        TADOQuery query;
        QString error;
        return ModuleLib::ExecADOQueryMsg(kMainConnection, "select * from NO_SUCH_TABLE", query,
                                          error, 1);
    }
    bool Stored(const QString& name) {
        return Count(QStringLiteral("select count(*) from XT_QYXX where QYMC='%1'")
                         .arg(QuoteSqlValue(name))) == 1;
    }
    static int Depth() { return ModuleLib::TransactionDepth(kMainConnection); }
};
INSTANTIATE_ON_ENGINES(HostTransactions);

struct TransactionCase {
    const char* name;
    std::function<void(HostTransactions&)> run;
    QStringList kept;
    QStringList dropped;
};

TEST_P(HostTransactions, LevelsCommitOrRollBackAsTheirScopesEnd) {
    const std::vector<TransactionCase> cases = {
        {"commit keeps the rows",
         [](HostTransactions& t) {
             TTransaction transaction;
             ASSERT_TRUE(transaction.IsActive()) << transaction.ErrorText().toStdString();
             ASSERT_TRUE(t.Insert("committed"));
             // Read on the same connection, inside the transaction.
             EXPECT_TRUE(t.Stored("committed"));
             EXPECT_EQ(Depth(), 1);
             EXPECT_TRUE(transaction.Commit()) << transaction.ErrorText().toStdString();
         },
         {"committed"},
         {}},
        {"an early return rolls back",
         [](HostTransactions& t) {
             TTransaction transaction;
             ASSERT_TRUE(t.Insert("returned early"));
             if (Depth() == 1) {
                 return;
             }
             transaction.Commit();
         },
         {},
         {"returned early"}},
        {"an exception rolls back",
         [](HostTransactions& t) {
             try {
                 TTransaction transaction;
                 ASSERT_TRUE(t.Insert("thrown"));
                 throw std::runtime_error("step failed");
             } catch (const std::runtime_error&) {
             }
         },
         {},
         {"thrown"}},
        {"a savepoint rolled back keeps the outer work",
         [](HostTransactions& t) {
             TTransaction outer;
             ASSERT_TRUE(t.Insert("outer before"));
             {
                 TTransaction inner;
                 ASSERT_TRUE(inner.IsActive()) << inner.ErrorText().toStdString();
                 EXPECT_EQ(Depth(), 2);
                 ASSERT_TRUE(t.Insert("inner"));
                 EXPECT_TRUE(inner.Rollback());
             }
             EXPECT_EQ(Depth(), 1);
             ASSERT_TRUE(t.Insert("outer after"));
             EXPECT_TRUE(outer.Commit()) << outer.ErrorText().toStdString();
         },
         {"outer before", "outer after"},
         {"inner"}},
        {"a failed statement in a savepoint spares the outer transaction",
         [](HostTransactions& t) {
             TTransaction outer;
             ASSERT_TRUE(t.Insert("kept around a failure"));
             {
                 TTransaction inner;
                 ASSERT_TRUE(t.Insert("next to the failure"));
                 EXPECT_FALSE(t.Fail());
                 // A level with a failed statement does not commit.
                 EXPECT_FALSE(inner.Commit());
                 EXPECT_FALSE(inner.ErrorText().isEmpty());
             }
             EXPECT_EQ(Depth(), 1);
             // PostgreSQL refuses this unless the savepoint was rolled back.
             ASSERT_TRUE(t.Insert("after the failure"));
             EXPECT_TRUE(outer.Commit()) << outer.ErrorText().toStdString();
         },
         {"kept around a failure", "after the failure"},
         {"next to the failure"}},
        {"a committed savepoint goes with the outer rollback",
         [](HostTransactions& t) {
             TTransaction outer;
             {
                 TTransaction inner;
                 ASSERT_TRUE(t.Insert("released"));
                 EXPECT_TRUE(inner.Commit()) << inner.ErrorText().toStdString();
             }
             EXPECT_TRUE(t.Stored("released"));
         },
         {},
         {"released"}},
        {"a failed statement at the outer level rolls it all back at commit",
         [](HostTransactions& t) {
             TTransaction outer;
             ASSERT_TRUE(t.Insert("before an outer failure"));
             EXPECT_FALSE(t.Fail());
             EXPECT_FALSE(outer.Commit());
         },
         {},
         {"before an outer failure"}},
        {"a second commit is refused",
         [](HostTransactions& t) {
             TTransaction transaction;
             ASSERT_TRUE(t.Insert("committed once"));
             EXPECT_TRUE(transaction.Commit());
             EXPECT_FALSE(transaction.Commit());
             EXPECT_FALSE(transaction.ErrorText().isEmpty());
         },
         {"committed once"},
         {}},
        {"an outer commit with an inner level open rolls both back",
         [](HostTransactions& t) {
             TTransaction outer;
             ASSERT_TRUE(t.Insert("outer of an open inner"));
             TTransaction inner;
             ASSERT_TRUE(t.Insert("open inner"));
             EXPECT_FALSE(outer.Commit());
             EXPECT_EQ(Depth(), 0);
         },
         {},
         {"outer of an open inner", "open inner"}},
        {"an engine that ended the transaction under a savepoint fails the rollback",
         [](HostTransactions& t) {
             TTransaction outer;
             ASSERT_TRUE(t.Insert("before the engine ended it"));
             TTransaction inner;
             ASSERT_TRUE(t.Insert("in the ended savepoint"));
             // As an engine does on a full disk: the whole transaction is gone.
             TADOQuery query;
             QString error;
             ASSERT_TRUE(ModuleLib::ExecADOQueryMsg(kMainConnection, "ROLLBACK", query, error, 0))
                 << error.toStdString();
             // The savepoint could not be undone; the outer level's success
             // must not hide that.
             EXPECT_FALSE(outer.Rollback());
             EXPECT_FALSE(outer.ErrorText().isEmpty());
             EXPECT_EQ(Depth(), 0);
         },
         {},
         {"before the engine ended it", "in the ended savepoint"}},
    };
    for (const TransactionCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.run(*this);
        EXPECT_EQ(Depth(), 0);
        for (const QString& name : c.kept) {
            EXPECT_TRUE(Stored(name)) << name.toStdString();
        }
        for (const QString& name : c.dropped) {
            EXPECT_FALSE(Stored(name)) << name.toStdString();
        }
    }
    QString error;
    EXPECT_FALSE(ModuleLib::CommitTransaction(kMainConnection, error));
    EXPECT_FALSE(ModuleLib::RollbackTransaction(kMainConnection, error));
}

TEST_P(HostTransactions, StoppingTheHostRollsBackWhatIsOpen) {
    {
        TTransaction transaction;
        ASSERT_TRUE(Insert("open at stop"));
        HostSetup::Stop();
        EXPECT_EQ(Depth(), 0);
        // The guard outlives the connection and must not trip over it.
    }
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
    EXPECT_EQ(Depth(), 0);
    EXPECT_FALSE(Stored("open at stop"));
    TTransaction transaction;
    EXPECT_TRUE(transaction.IsActive()) << transaction.ErrorText().toStdString();
}

using HostText = EngineTest;
INSTANTIATE_ON_ENGINES(HostText);

TEST_P(HostText, BackslashesAndQuotesAreStoredAsWritten) {
    const QString name = QStringLiteral(R"(C:\新建\公司's \\ \' \n end\)");
    const QString id = AddCompany(R"(91\'x)", name);
    ASSERT_TRUE(IsSqlInteger(id)) << id.toStdString();
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id), name);
    EXPECT_EQ(Scalar("select QYSBH from XT_QYXX where QYID=" + id), R"(91\'x)");
    if (GetParam() == "POSTGRESQL") {
        EXPECT_EQ(Scalar("SHOW standard_conforming_strings"), "on");
    }
}

// Given several servers, a desk works on the first that answers and takes
// writes; here the first refuses.
TEST_P(HostText, ADeskTakesTheServerThatAnswersAmongSeveral) {
    if (GetParam() != "POSTGRESQL") {
        GTEST_SKIP() << "a file has no servers";
    }
    const QString host = PostgresSetting("HostName");
    StartHost(GetParam(),
              QStringLiteral("HostName=%1,%1\nPort=1,%2\n").arg(host, PostgresSetting("Port")));
    EXPECT_TRUE(IsSqlInteger(AddCompany("91SEVERAL", "甲")));
    EXPECT_EQ(Scalar("SELECT pg_is_in_recovery()::text"), "false");
}

// TADOQuery reads SQLite through its C library or through Qt's generic query
// class (the path of any other engine), and PostgreSQL through libpq: all
// three must read alike.
class QueryReading : public HostTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        if (GetParam() == "PostgreSQL") {
            if (qEnvironmentVariableIsEmpty("COMPANYMGR_TEST_PGSQL")) {
                GTEST_SKIP() << "COMPANYMGR_TEST_PGSQL is not set";
            }
            StartHost("POSTGRESQL");
        }
        Exec("INSERT INTO XT_QYXX(QYID, QYSBH, QYMC, LBDM) VALUES(1, '911', '甲公司', 0)");
        Exec("INSERT INTO XT_QYXX(QYID, QYSBH, QYMC, LBDM) VALUES(2, '912', NULL, NULL)");
        Exec("INSERT INTO XT_QYXX(QYID, QYSBH, QYMC, LBDM) VALUES(3, '', '', 10)");
        Exec("INSERT INTO XT_QYDSXX(QYID, GSGBZE, GXSJ) VALUES(1, 12.25, '2026-03-05')");
        HostSetup::SetGenericQueryPath(GetParam() == "QtGeneric");
    }
};
INSTANTIATE_TEST_SUITE_P(Paths, QueryReading,
                         ::testing::Values("Direct", "QtGeneric", "PostgreSQL"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

using Row = std::vector<std::optional<QString>>;  // nullopt: NULL

struct ReadCase {
    const char* sql;
    QStringList columns;
    std::vector<Row> rows;
};

TEST_P(QueryReading, ReadsRowsColumnsAndNullsAlike) {
    const std::vector<ReadCase> cases = {
        {"select QYID, QYMC, LBDM from XT_QYXX order by QYID",
         {"QYID", "QYMC", "LBDM"},
         {{"1", "甲公司", "0"}, {"2", std::nullopt, std::nullopt}, {"3", "", "10"}}},
        {"select QYMC from XT_QYXX where QYID=-1", {"QYMC"}, {}},
        {"select count(*) as Cnt, 1.5 as Half, 'x''y' as Quoted, NULL as NoValue from XT_QYXX",
         {"Cnt", "Half", "Quoted", "NoValue"},
         {{"3", "1.5", "x'y", std::nullopt}}},
        {"select GSGBZE, GXSJ from XT_QYDSXX", {"GSGBZE", "GXSJ"}, {{"12.25", "2026-03-05"}}},
        {"select right(QYSBH, 2) as Tail from XT_QYXX where QYID=1", {"Tail"}, {{"11"}}},
        // A statement without a result set leaves nothing to read.
        {"UPDATE XT_QYXX SET LBDM=LBDM where QYID=1", {}, {}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.sql);
        TADOQuery query;
        QString error;
        ASSERT_TRUE(ModuleLib::ExecADOQueryMsg(kMainConnection, c.sql, query, error, 1))
            << error.toStdString();
        EXPECT_EQ(query.Active(), !c.columns.isEmpty());
        EXPECT_EQ(query.IsEmpty(), c.rows.empty());
        ASSERT_EQ(query.FieldCount(), c.columns.size());
        for (int i = 0; i < c.columns.size(); ++i) {
            EXPECT_EQ(query.FieldIndex(c.columns[i].toLower()), i);
        }
        std::size_t read = 0;
        for (; !query.Eof(); query.Next(), ++read) {
            ASSERT_LT(read, c.rows.size());
            const Row& row = c.rows[read];
            // Every column's UTF-8 view still holds once the others are read.
            std::vector<QByteArrayView> utf8;
            for (int i = 0; i < static_cast<int>(row.size()); ++i) {
                utf8.push_back(query.FieldAsUtf8(i));
            }
            for (int i = 0; i < static_cast<int>(row.size()); ++i) {
                EXPECT_EQ(QString::fromUtf8(utf8[static_cast<std::size_t>(i)]),
                          row[i].value_or(QString()))
                    << "column " << i;
                EXPECT_EQ(query.FieldIsNull(i), !row[i].has_value()) << "column " << i;
                EXPECT_EQ(query.FieldAsString(i), row[i].value_or(QString())) << "column " << i;
            }
        }
        EXPECT_EQ(read, c.rows.size());
        EXPECT_FALSE(query.Next());
        EXPECT_TRUE(query.FieldIsNull(0));
        EXPECT_EQ(query.FieldByName("QYID"), "");
    }
    EXPECT_EQ(LogCount("Error"), 0);
}

TEST_P(QueryReading, WritesReportTheirRowsAndRefuseSplicedStatements) {
    TADOQuery query;
    QString error;
    ASSERT_TRUE(query.Execute(kMainConnection, "UPDATE XT_QYXX SET LBDM=5 where QYID<3", error))
        << error.toStdString();
    EXPECT_EQ(query.RowsAffected(), 2);
    EXPECT_FALSE(
        query.Execute(kMainConnection, "UPDATE XT_QYXX SET LBDM=6; DELETE FROM XT_QYXX", error));
    EXPECT_FALSE(query.Open(kMainConnection, "select * from NO_SUCH_TABLE", error));
    EXPECT_FALSE(query.Active());
    // A COPY is refused and ended; the connection goes on.
    EXPECT_FALSE(query.Execute(kMainConnection, "COPY XT_QYXX TO STDOUT", error));
    EXPECT_FALSE(query.Execute(kMainConnection, "COPY XT_QYXX FROM STDIN", error));
    EXPECT_EQ(Count("select count(*) from XT_QYXX where LBDM=5"), 2);
}

// Statements run between the rows of a list being read (the engine may still
// be sending them) leave the list whole; a list the engine breaks off midway
// keeps the rows read and says so in the log.
TEST_P(QueryReading, AListIsReadWholeOrItsBreakIsLogged) {
    const QString breaksAtTwo =
        GetParam() == "PostgreSQL"
            ? "select g from generate_series(1, 3) g where 1/(g-2) <> 0 or g <> 2"
            : "select QYID from XT_QYXX where abs(case when QYID=2 then -9223372036854775807-1 "
              "else 1 end) > 0 order by QYID";
    const struct {
        QString sql;
        QStringList rows;
        bool logged;
    } cases[] = {
        {"select QYID from XT_QYXX order by QYID", {"1", "2", "3"}, false},
        {breaksAtTwo, {"1"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql.toStdString());
        const int errors = LogCount("Error");
        TADOQuery list;
        QString error;
        ASSERT_TRUE(list.Open(kMainConnection, c.sql, error)) << error.toStdString();
        QStringList read{list.FieldAsString(0)};
        EXPECT_EQ(Scalar("select QYSBH from XT_QYXX where QYID=1"), "911");
        EXPECT_TRUE(Exec("UPDATE XT_QYXX SET LBDM=LBDM+1 where QYID=1"));
        while (list.Next()) {
            read << list.FieldAsString(0);
        }
        EXPECT_EQ(read, c.rows);
        EXPECT_EQ(LogCount("Error") - errors, c.logged ? 1 : 0);
    }
    EXPECT_EQ(Scalar("select LBDM from XT_QYXX where QYID=1"), "2");
}

// The benchmarks count an action's round trips and run its statements again:
// each statement that reaches the engine is counted and kept, as sent.
TEST_P(QueryReading, EachStatementSentIsCountedAndKept) {
    const struct {
        QString sql;
        bool sent;
    } cases[] = {
        {"select QYMC from XT_QYXX where QYID=1", true},
        {"select * from NO_SUCH_TABLE", true},
        {QStringLiteral("select '") + QChar(0) + "'", false},
        {"  ", false},
    };
    for (const auto& c : cases) {
        HostSetup::SetStatementRecording(true);
        const qint64 before = HostSetup::StatementCount();
        TADOQuery query;
        QString error;
        query.Open(kMainConnection, c.sql, error);
        EXPECT_EQ(HostSetup::StatementCount() - before, c.sent ? 1 : 0) << c.sql.toStdString();
        EXPECT_EQ(HostSetup::TakeRecordedStatements(), c.sent ? QStringList{c.sql} : QStringList())
            << c.sql.toStdString();
    }
}

// A reader that raises ends the read as a failure, logged with the
// operation's name and the reason; nothing escapes to the caller.
TEST_P(QueryReading, AReaderThatRaisesIsALoggedFailure) {
    struct RaiseCase {
        const char* name;
        std::function<void()> raise;
        QString reason;
    };
    const std::vector<RaiseCase> cases = {
        {"a standard exception", [] { throw std::runtime_error("第二行读不出"); },
         QStringLiteral("第二行读不出")},
        {"anything else", [] { throw 42; }, QStringLiteral("unknown exception")},
    };
    for (const RaiseCase& c : cases) {
        SCOPED_TRACE(c.name);
        int rows = 0;
        const bool read = SqlQuery::ReadRows("读取企业", "select QYID from XT_QYXX order by QYID",
                                             [&](TADOQuery& q) {
                                                 for (; !q.Eof(); q.Next()) {
                                                     if (++rows == 2) {
                                                         c.raise();
                                                     }
                                                 }
                                             });
        EXPECT_FALSE(read);
        EXPECT_EQ(rows, 2);
        const auto lines = LogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().level, "Warn");
        EXPECT_EQ(lines.back().text, QStringLiteral("读取企业：") + c.reason);
    }
}

}  // namespace
