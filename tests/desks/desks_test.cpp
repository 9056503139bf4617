// Several desks on one database at once, and a database server that goes
// away and comes back while the host runs.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "CommitOutcome.h"
#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "TestHost.h"
#include "f_DataVO.h"

namespace {

constexpr int kRounds = 12;

struct DeskRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

class Desks : public EngineTest {
  protected:
    // The desks wait for each other's locks longer than a single test does.
    void AllowLongWaits() {
        const QString path = AppPath() + QStringLiteral("Config/SysConfig.ini");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        file.close();
        text.replace("BusyTimeout=200", "BusyTimeout=20000");
        WriteFile(QStringLiteral("Config/SysConfig.ini"), text);
    }
    QProcess* Launch(const QStringList& arguments) {
        auto* desk = new QProcess();
        desk->start(QStringLiteral(COMPANYMGR_DESK_PATH),
                    QStringList{QStringLiteral("--app-dir"), AppPath()} + arguments);
        return desk;
    }
    static DeskRun Finish(QProcess* desk) {
        DeskRun run;
        if (desk->waitForFinished(300000) && desk->exitStatus() == QProcess::NormalExit) {
            run.exitCode = desk->exitCode();
        }
        run.lines =
            QString::fromUtf8(desk->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        run.errors = QString::fromUtf8(desk->readAllStandardError());
        delete desk;
        return run;
    }
    QSet<QString> Sees(const DeskRun& run) {
        QSet<QString> seen;
        for (const QString& line : run.lines) {
            if (line.startsWith(QLatin1String("sees "))) {
                seen.insert(line.mid(5));
            }
        }
        return seen;
    }
    int Rows(const char* table, const QString& id) {
        return Count(
            QStringLiteral("select count(*) from %1 where QYID=%2").arg(QLatin1String(table), id));
    }
};
INSTANTIATE_ON_ENGINES(Desks);

// Two desks add, write back, save and delete at the same time. Afterwards
// the database holds exactly what the desks were told was stored: every row
// once, none that a desk was told failed, and each desk lists the other's.
TEST_P(Desks, TwoDesksStoreExactlyWhatTheyWereToldTheyStored) {
    AllowLongWaits();
    AllowInfoEdits();
    QProcess* first = Launch({"--desk", "A", "--rounds", QString::number(kRounds)});
    QProcess* second = Launch({"--desk", "B", "--rounds", QString::number(kRounds)});
    const DeskRun a = Finish(first);
    const DeskRun b = Finish(second);
    ASSERT_EQ(a.exitCode, 0) << a.errors.toStdString();
    ASSERT_EQ(b.exitCode, 0) << b.errors.toStdString();

    std::map<QString, QString> ownAdded;  // QYID -> taxpayer id, as reported saved
    QSet<QString> deleted, deleteFailed;
    std::map<QString, int> sharedSaved;
    QSet<QString> expectedTaxIds;
    int operations = 0;
    for (const DeskRun* run : {&a, &b}) {
        for (const QString& line : run->lines) {
            const QStringList f = line.split(u' ');
            ++operations;
            if (f[0] == "add") {
                if (f[2] == "saved") {
                    ownAdded[f[3]] = f[1];
                } else {
                    EXPECT_EQ(f[2], "failed") << line.toStdString();
                    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH='" + f[1] + "'"), 0)
                        << line.toStdString();
                }
            } else if (f[0] == "shared") {
                sharedSaved[f[1]] += f[2] == "saved" ? 1 : 0;
                EXPECT_NE(f[2], "refused") << line.toStdString();
            } else if (f[0] == "delete") {
                (f[2] == "1" ? deleted : deleteFailed).insert(f[1]);
            }
        }
    }
    EXPECT_GT(operations, 4 * kRounds);
    for (const auto& [taxId, saved] : sharedSaved) {
        EXPECT_LE(saved, 1) << taxId.toStdString();
        EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH='" + taxId + "'"), saved)
            << taxId.toStdString();
        if (saved == 1) {
            expectedTaxIds.insert(taxId);
        }
    }
    for (const auto& [id, taxId] : ownAdded) {
        const bool gone = deleted.contains(id);
        EXPECT_EQ(Rows("XT_QYXX", id), gone ? 0 : 1) << taxId.toStdString();
        if (gone) {
            EXPECT_EQ(Rows("XT_QYDSXX", id) + Rows("XT_QYGSXX", id), 0) << taxId.toStdString();
        } else {
            EXPECT_EQ(Scalar("select QYSBH from XT_QYXX where QYID=" + id), taxId);
            expectedTaxIds.insert(taxId);
        }
    }
    for (const DeskRun* run : {&a, &b}) {
        for (const QString& line : run->lines) {
            const QStringList f = line.split(u' ');
            if ((f[0] != "local" && f[0] != "state" && f[0] != "info") || deleted.contains(f[1])) {
                continue;
            }
            const QString& id = f[1];
            if (f[0] == "local" || f[0] == "state") {
                // One statement each: stored when told so, absent otherwise.
                const char* table = f[0] == "local" ? "XT_QYDSXX" : "XT_QYGSXX";
                EXPECT_EQ(Rows(table, id), f[2] == "1" ? 1 : 0) << line.toStdString();
                if (f[2] == "1") {
                    EXPECT_EQ(Scalar(QStringLiteral("select NSRSBH from %1 where QYID=%2")
                                         .arg(QLatin1String(table), id)),
                              ownAdded[id]);
                }
            } else if (f[3] == "1") {
                EXPECT_EQ(Scalar("select EMAIL from XT_QYXX where QYID=" + id), f[2])
                    << line.toStdString();
            }
        }
    }
    for (const QString& id : deleteFailed) {
        EXPECT_EQ(Rows("XT_QYXX", id), 1) << id.toStdString();
    }
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), expectedTaxIds.size());

    // Each desk lists the other's companies, as the database holds them.
    const DeskRun listA = Finish(Launch({"--list"}));
    const DeskRun listB = Finish(Launch({"--list"}));
    EXPECT_EQ(Sees(listA), expectedTaxIds) << listA.errors.toStdString();
    EXPECT_EQ(Sees(listB), expectedTaxIds) << listB.errors.toStdString();
}

// The test server is stopped and started again (COMPANYMGR_TEST_PGCTL with
// "stop" or "start" added): meanwhile every statement fails with the host's
// error, and afterwards the host is connected again without being restarted.
class ServerRestart : public HostTest {
  protected:
    void SetUp() override {
        command_ = qEnvironmentVariable("COMPANYMGR_TEST_PGCTL");
        if (command_.isEmpty() || qEnvironmentVariableIsEmpty("COMPANYMGR_TEST_PGSQL")) {
            GTEST_SKIP() << "COMPANYMGR_TEST_PGCTL names no command to stop and start the server";
        }
        StartHost("POSTGRESQL");
    }
    bool Server(const char* action) {
        QProcess control;
        control.start(QStringLiteral("sh"), {"-c", command_ + ' ' + action});
        return control.waitForFinished(120000) && control.exitStatus() == QProcess::NormalExit &&
               control.exitCode() == 0;
    }
    static bool Query(QString& errorText) {
        TADOQuery query;
        return ModuleLib::ExecADOQueryMsg(kMainConnection, "select count(*) from XT_QYXX", query,
                                          errorText, 1) &&
               query.FieldAsString(0) == QLatin1String("1");
    }
    QString command_;
};

TEST_F(ServerRestart, StatementsFailWhileTheServerIsDownAndWorkOnceItIsBack) {
    AddCompany("911", "甲公司");
    QString errorText;
    ASSERT_TRUE(Query(errorText)) << errorText.toStdString();
    ASSERT_TRUE(Server("stop"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        errorText.clear();
        EXPECT_FALSE(Query(errorText)) << attempt;
        EXPECT_FALSE(errorText.isEmpty()) << attempt;
    }
    ASSERT_TRUE(Server("start"));
    EXPECT_TRUE(Query(errorText)) << errorText.toStdString();
    EXPECT_EQ(Scalar("SHOW standard_conforming_strings"), "on");
}

// With a synchronous standby (./run with-postgres --standby), the primary is
// stopped hard and the standby promoted (COMPANYMGR_TEST_FAILOVER): what the
// desk was told was stored is on the new primary, and the desk carries on
// there without being restarted.
// Apart from the server cases, which a run without a standby would count as
// skipped.
using FailOver = ServerRestart;

TEST_F(FailOver, WhatWasStoredStaysAndTheDeskCarriesOnOnTheNewPrimary) {
    const QString command = qEnvironmentVariable("COMPANYMGR_TEST_FAILOVER");
    if (command.isEmpty()) {
        GTEST_SKIP() << "COMPANYMGR_TEST_FAILOVER names no standby to fail over to";
    }
    const QString id = AddCompany("911", "甲公司");
    command_ = command;
    ASSERT_TRUE(Server(""));
    // The statement that meets the dropped connection fails, by the host's
    // rule; the next one connects to whichever server takes writes now.
    QString errorText;
    Query(errorText);
    EXPECT_TRUE(Query(errorText)) << errorText.toStdString();
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id), "甲公司");
    EXPECT_EQ(Scalar("SELECT pg_is_in_recovery()::text"), "false");
}

// A COMMIT whose connection drops while the server runs it: the host
// reconnects and finds out whether it was stored, and the module tells what
// was found, or that nothing could be.
class CommitInFlight : public ServerRestart {
  protected:
    // A write-back of the e-mail, as another module hands it in.
    bool WriteEmail(const QString& id, const QString& email, QString& errorText) {
        TDataVO data;
        data.SetStrValue(QStringLiteral("EMAIL"), email);
        return TCompanySelectMgr(QStringLiteral("0001"), QStringLiteral("0"))
            .WriteBasicInfo(id, &data, errorText);
    }
    // From a connection of its own, beside the blocked desk: waits for a
    // COMMIT that waits for the standby, ending its backend when told to.
    std::thread WatchForWaitingCommit(bool end) {
        const QString action = end ? QStringLiteral("pg_terminate_backend(pid)") : "true";
        return std::thread([this, action] {
            // The standby back, should no commit be found: the desk never hangs.
            if (!ExecElsewhere(
                    // OFFSET 0: the backend is ended only once it is found waiting.
                    QStringLiteral("DO $$ DECLARE n int; BEGIN FOR i IN 1..600 LOOP PERFORM "
                                   "pg_stat_clear_snapshot(); SELECT count(*) INTO n FROM "
                                   "(SELECT pid FROM pg_stat_activity WHERE wait_event = "
                                   "'SyncRep' OFFSET 0) AS w WHERE %1; IF n > 0 THEN RETURN; "
                                   "END IF; PERFORM pg_sleep(0.05); END LOOP; "
                                   "RAISE EXCEPTION 'no COMMIT waited for the standby'; END $$")
                        .arg(action))) {
                Standby("start");
            }
        });
    }
    bool Standby(const char* action) {
        QProcess control;
        control.start(QStringLiteral("sh"),
                      {"-c", qEnvironmentVariable("COMPANYMGR_TEST_STANDBY_CTL") + ' ' + action});
        return control.waitForFinished(120000) && control.exitCode() == 0;
    }
};

// The backend ends itself at commit time, before the commit is written.
TEST_F(CommitInFlight, ACommitCutOffBeforeItIsWrittenIsToldNotStored) {
    const QString id = AddCompany("911", "甲公司");
    ASSERT_TRUE(
        Exec("CREATE FUNCTION cut_at_commit() RETURNS trigger AS 'BEGIN PERFORM "
             "pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(5); RETURN NULL; END' "
             "LANGUAGE plpgsql"));
    ASSERT_TRUE(
        Exec("CREATE CONSTRAINT TRIGGER cut_at_commit AFTER UPDATE ON XT_QYXX "
             "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW WHEN (NEW.EMAIL = 'cut@a.cn') "
             "EXECUTE FUNCTION cut_at_commit()"));
    const HostSetup::TCommitChecks before = HostSetup::CommitChecks();
    QString errorText;
    EXPECT_FALSE(WriteEmail(id, "cut@a.cn", errorText));
    EXPECT_TRUE(errorText.contains("查明事务没有提交")) << errorText.toStdString();
    EXPECT_EQ(HostSetup::CommitChecks().notCommitted - before.notCommitted, 1);
    EXPECT_EQ(Scalar("select coalesce(EMAIL, '') from XT_QYXX where QYID=" + id), "");
    // The desk carries on on the connection the check opened.
    EXPECT_TRUE(WriteEmail(id, "after@a.cn", errorText)) << errorText.toStdString();
}

// With a synchronous standby (./run with-postgres --standby), which
// COMPANYMGR_TEST_STANDBY_CTL stops and starts: a commit waits for it, and
// its connection is cut while it waits, after the commit was written.
class CommitInFlightStandby : public CommitInFlight {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("COMPANYMGR_TEST_STANDBY_CTL")) {
            GTEST_SKIP() << "COMPANYMGR_TEST_STANDBY_CTL names no synchronous standby";
        }
        CommitInFlight::SetUp();
    }
    void TearDown() override {
        Server("start");
        Standby("start");
        CommitInFlight::TearDown();
    }
};

TEST_F(CommitInFlightStandby, ACommitWrittenBeforeTheCutIsToldStored) {
    const QString id = AddCompany("911", "甲公司");
    ASSERT_TRUE(Standby("stop"));
    std::thread watcher = WatchForWaitingCommit(true);
    const HostSetup::TCommitChecks before = HostSetup::CommitChecks();
    QString errorText;
    EXPECT_TRUE(WriteEmail(id, "kept@a.cn", errorText)) << errorText.toStdString();
    watcher.join();
    EXPECT_EQ(HostSetup::CommitChecks().committed - before.committed, 1);
    EXPECT_EQ(Scalar("select EMAIL from XT_QYXX where QYID=" + id), "kept@a.cn");
}

// The primary stops while the commit waits, and the standby is down too:
// nobody can tell, and the operator reads exactly that.
TEST_F(CommitInFlightStandby, ACommitNobodyCanCheckIsToldUnknown) {
    StartHost("POSTGRESQL", QStringLiteral("CommitCheckSeconds=1\n"));
    const QString id = AddCompany("911", "甲公司");
    ASSERT_TRUE(Standby("stop"));
    std::thread watcher = WatchForWaitingCommit(false);
    std::thread stopper([&] {
        watcher.join();
        Server("stop -m immediate");
    });
    const HostSetup::TCommitChecks before = HostSetup::CommitChecks();
    QString errorText;
    EXPECT_FALSE(WriteEmail(id, "maybe@a.cn", errorText));
    stopper.join();
    EXPECT_EQ(errorText, CommitOutcome::UnknownText());
    EXPECT_EQ(HostSetup::CommitChecks().unknown - before.unknown, 1);
}

}  // namespace
