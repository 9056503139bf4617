// A fresh reference host per test: its own application folder, database,
// settings, scripted message answers and a record of messages and log lines.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "HostSetup.h"

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Restarts the host on the given engine ("SQLITE" or "POSTGRESQL") with
    // extra lines for the system settings file, which count over the
    // server's settings (the first of a key counts).
    void StartHost(const std::string& engine, const QString& extraSettings = QString());

    QString AppPath() const;
    void WriteFile(const QString& relativePath, const QByteArray& content) const;
    // A command configuration of the host's sub-application that makes every
    // field of the information page's basic and state-tax tabs editable.
    void AllowInfoEdits() const;

    // Statements run straight through the host's query service.
    bool Exec(const QString& sql) const;
    QString Scalar(const QString& sql) const;
    int Count(const QString& sql) const;
    // Inserts a company row and returns its id; the values are quoted.
    QString AddCompany(const QString& taxId, const QString& name, int classCode = 0,
                       const QString& agencyId = QString()) const;
    void GrantToRole(const QString& roleCode, const QString& companyId) const;
    // SQLite's history triggers name every column: a test that drops one
    // under a running host drops them first, as an older file never had them.
    void DropHistoryTriggers() const;
    // Runs one statement on a connection of its own to the host's database,
    // as another desk would.
    bool ExecElsewhere(const QString& sql) const;

    void Answer(int code, int answer) { answers_[code] = answer; }
    std::vector<HostSetup::THostMessage> Messages() const;
    std::vector<HostSetup::TLogLine> LogLines() const;
    int LogCount(const QString& level) const;

    QTemporaryDir dir_;
    std::string engine_ = "SQLITE";

  private:
    std::map<int, int> answers_;
};

// The same cases on every engine: "SQLITE" always, "POSTGRESQL" on the server
// COMPANYMGR_TEST_PGSQL names; without one those cases are reported skipped.
class EngineTest : public HostTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override;
    // Makes every event ("DELETE" or "UPDATE") on table fail inside the
    // database, through a trigger named "refuse_" and the event in lower case.
    void RefuseRowChanges(const QString& event, const QString& table) const;
};

// A setting of the server COMPANYMGR_TEST_PGSQL names ("HostName", "Port",
// "UserName", "Password", "Database", "ConnectOptions"), empty when unset.
QString PostgresSetting(const QString& key);

// "SQLite" and "PostgreSQL", the last part of each case's name.
std::string EngineCaseName(const ::testing::TestParamInfo<std::string>& info);

#define INSTANTIATE_ON_ENGINES(Suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite,                                                      \
                             ::testing::Values(std::string("SQLITE"), std::string("POSTGRESQL")), \
                             EngineCaseName)
