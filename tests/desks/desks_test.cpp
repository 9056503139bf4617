// Several desks on one database at once, and a database server that goes
// away and comes back while the host runs.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <map>

#include "HostServices.h"
#include "TestHost.h"

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

}  // namespace
