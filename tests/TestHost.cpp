#include "TestHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>

#include "HostServices.h"
#include "Transaction.h"
#include "f_DataVO.h"

namespace {

// The host's own quote doubling: the fixture is a host and sees no module part.
QString SqlText(const QString& text) {
    return ModuleLib::ReplaceStr(text, QStringLiteral("'"), QStringLiteral("''"));
}

bool IsNumber(const QString& text) {
    bool ok = false;
    text.toLongLong(&ok);
    return ok && text == text.trimmed();
}

// Tests run side by side in several processes; each uses a schema of its own.
QString PostgresSchema() {
    return QStringLiteral("cm_test_%1").arg(QCoreApplication::applicationPid());
}

// "Key=value" pairs of the server the tests may use, from the environment.
QStringList PostgresPairs() {
    return qEnvironmentVariable("COMPANYMGR_TEST_PGSQL")
        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

}  // namespace

QString PostgresSetting(const QString& key) {
    for (const QString& pair : PostgresPairs()) {
        if (pair.section(QLatin1Char('='), 0, 0).trimmed() == key) {
            return pair.section(QLatin1Char('='), 1).trimmed();
        }
    }
    return QString();
}

namespace {

// Runs one statement on a connection of the test's own, named name, that
// configure sets up; the connection is gone afterwards.
bool RunOnOwnConnection(const QString& name, const QString& sql,
                        const std::function<QSqlDatabase(const QString&)>& configure) {
    bool ok = false;
    {
        QSqlDatabase db = configure(name);
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(sql);
            EXPECT_TRUE(ok) << query.lastError().text().toStdString();
        } else {
            ADD_FAILURE() << db.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// A connection to the server the tests may use, with the given options.
QSqlDatabase ServerConnection(const QString& name, const QString& options) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", name);
    // A primary and its standby: the one that takes writes, as a desk does.
    const QString port = PostgresSetting("Port");
    db.setConnectOptions(
        PostgresSetting("ConnectOptions") + ' ' + options +
        (port.contains(',') ? " target_session_attrs=read-write port=" + port : QString()));
    db.setHostName(PostgresSetting("HostName"));
    db.setPort(port.contains(',') ? -1 : port.toInt());
    db.setUserName(PostgresSetting("UserName"));
    db.setPassword(PostgresSetting("Password"));
    db.setDatabaseName(PostgresSetting("Database"));
    return db;
}

// Runs one statement on a connection of the test's own, beside the host's.
bool RunOnServer(const QString& sql) {
    return RunOnOwnConnection("test_admin", sql, [](const QString& name) {
        return ServerConnection(name, QStringLiteral("options='-cclient_min_messages=warning'"));
    });
}

// The settings lines that point the host at that server. The connection
// starts with the old backslash escaping in literals, so every case shows
// that the host switches to standard strings whatever the server's default.
QString PostgresSettings() {
    // The first of a key counts: this line, with the server's own options
    // (TLS ones), comes before a ConnectOptions pair of the server's.
    QString lines = QStringLiteral(
                        "Driver=QPSQL\nConnectOptions=%1 options='-csearch_path=%2 "
                        "-cstandard_conforming_strings=off -cescape_string_warning=off'\n")
                        .arg(PostgresSetting("ConnectOptions"), PostgresSchema());
    for (const QString& pair : PostgresPairs()) {
        lines += pair.trimmed() + QLatin1Char('\n');
    }
    return lines;
}

}  // namespace

std::string EngineCaseName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param == "POSTGRESQL" ? "PostgreSQL" : "SQLite";
}

void HostTest::SetUp() {
    StartHost("SQLITE");
}

void EngineTest::SetUp() {
    if (GetParam() == "POSTGRESQL" && qEnvironmentVariableIsEmpty("COMPANYMGR_TEST_PGSQL")) {
        // Derived fixtures go on filling in data after this returns; the
        // embedded engine takes it, and the case itself does not run.
        StartHost("SQLITE");
        GTEST_SKIP() << "COMPANYMGR_TEST_PGSQL is not set: no PostgreSQL server configured";
    }
    StartHost(GetParam());
}

void EngineTest::RefuseRowChanges(const QString& event, const QString& table) const {
    const QString name = QStringLiteral("refuse_") + event.toLower();
    if (GetParam() == "POSTGRESQL") {
        ASSERT_TRUE(Exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger AS "
                                        "'BEGIN RAISE EXCEPTION ''refused''; END;' "
                                        "LANGUAGE plpgsql")
                             .arg(name)));
        ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 "
                                        "FOR EACH ROW EXECUTE FUNCTION %1()")
                             .arg(name, event, table)));
    } else {
        ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                             .arg(name, event, table)));
    }
}

void HostTest::TearDown() {
    HostSetup::Stop();
    if (engine_ == "POSTGRESQL") {
        RunOnServer(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(PostgresSchema()));
    }
    HostSetup::SetMessageResponder({});
    HostSetup::SetRecording(false);
    HostSetup::ClearRecorded();
}

void HostTest::StartHost(const std::string& engine, const QString& extraSettings) {
    HostSetup::Stop();
    engine_ = engine;
    ASSERT_TRUE(dir_.isValid());
    // The extra lines come first, so they count over the server's.
    QString settings = QStringLiteral("[Database]\nBusyTimeout=200\n") + extraSettings +
                       QStringLiteral("\n[SubApps]\nCodes=GS\n[SubApp_GS]\nPath=SubApps/GS/\n");
    if (engine == "POSTGRESQL") {
        settings += QStringLiteral("\n[Database]\n") + PostgresSettings();
    }
    WriteFile(QStringLiteral("Config/SysConfig.ini"), settings.toUtf8());

    if (engine == "POSTGRESQL") {
        // A clean schema per test; the host creates the tables in it.
        ASSERT_TRUE(RunOnServer(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1")
                                    .arg(PostgresSchema())));
    }
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
    // As a host has someone logged in: without a class no company is his.
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
    HostSetup::SetRecording(true);
    HostSetup::ClearRecorded();
    HostSetup::SetMessageResponder([this](const HostSetup::THostMessage& message) {
        const auto found = answers_.find(message.code);
        return found == answers_.end() ? 1 : found->second;
    });
}

void HostTest::DropHistoryTriggers() const {
    if (engine_ != "SQLITE") {
        return;
    }
    for (const char* table : {"XT_QYXX", "XT_QYDSXX", "XT_QYGSXX"}) {
        for (const char* event : {"insert", "update", "delete"}) {
            Exec(QStringLiteral("DROP TRIGGER IF EXISTS temp.history_%1_%2").arg(table, event));
        }
    }
}

bool HostTest::ExecElsewhere(const QString& sql) const {
    return RunOnOwnConnection("other_desk", sql, [this](const QString& name) {
        if (engine_ == "POSTGRESQL") {
            return ServerConnection(
                name, QStringLiteral("options='-csearch_path=%1'").arg(PostgresSchema()));
        }
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(dir_.filePath(QStringLiteral("Data/main.db")));
        return db;
    });
}

void HostTest::AllowInfoEdits() const {
    QString basic, stateTax;
    for (const char* key : {"QYMC", "ZCDZ", "YYDZ", "FDDBRMC", "CWFZR", "QYDHHM", "QYCZHM", "EMAIL",
                            "YZBM", "HYMC"}) {
        basic += QStringLiteral("<f key=\"%1\" edit=\"true\"/>").arg(QLatin1String(key));
    }
    for (const char* key : {"NSRSBH", "NSRBM", "DJZCLX_DM", "NSRLX", "SSHY", "QYLXMC", "NSRZT",
                            "SSSWJG_DM", "XYDJ", "SSDLJG", "KKYH", "YHZH", "JBZH", "FLZSH"}) {
        stateTax += QStringLiteral("<f key=\"%1\" edit=\"true\"/>").arg(QLatin1String(key));
    }
    WriteFile(
        QStringLiteral("SubApps/GS/AppComs/BaseInfo/CmdCompanyInfo.xml"),
        QStringLiteral("<c><jcxx>%1</jcxx><gsxx>%2</gsxx></c>").arg(basic, stateTax).toUtf8());
}

QString HostTest::AppPath() const {
    return ModuleLib::GetAppPath();
}

void HostTest::WriteFile(const QString& relativePath, const QByteArray& content) const {
    const QString path = dir_.path() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

bool HostTest::Exec(const QString& sql) const {
    TADOQuery query;
    QString error;
    const bool ok = query.Execute(kMainConnection, sql, error);
    EXPECT_TRUE(ok) << sql.toStdString() << ": " << error.toStdString();
    return ok;
}

QString HostTest::Scalar(const QString& sql) const {
    TADOQuery query;
    QString error;
    EXPECT_TRUE(query.Open(kMainConnection, sql, error)) << error.toStdString();
    return query.Eof() ? QString() : query.FieldAsString(0);
}

int HostTest::Count(const QString& sql) const {
    return Scalar(sql).toInt();
}

QString HostTest::AddCompany(const QString& taxId, const QString& name, int classCode,
                             const QString& agencyId) const {
    EXPECT_TRUE(agencyId.isEmpty() || IsNumber(agencyId)) << agencyId.toStdString();
    // The id read back is the row just written, whoever else writes.
    TTransaction transaction;
    EXPECT_TRUE(transaction.IsActive()) << transaction.ErrorText().toStdString();
    Exec(QStringLiteral(
             "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM, SSDLJGID) VALUES('%1', '%2', %3, %4)")
             .arg(SqlText(taxId), SqlText(name))
             .arg(classCode)
             .arg(agencyId.isEmpty() ? QStringLiteral("NULL") : agencyId));
    const QString id = Scalar("select max(QYID) from XT_QYXX");
    EXPECT_TRUE(transaction.Commit()) << transaction.ErrorText().toStdString();
    return id;
}

void HostTest::GrantToRole(const QString& roleCode, const QString& companyId) const {
    ASSERT_TRUE(IsNumber(companyId)) << companyId.toStdString();
    const QString permission = QStringLiteral("P") + companyId;
    // Both rows or neither: a half grant names a permission that grants nothing.
    TTransaction transaction;
    ASSERT_TRUE(transaction.IsActive()) << transaction.ErrorText().toStdString();
    Exec(QStringLiteral("INSERT INTO QX_ROLEPRMS(JS_DM, PRMS_DM) VALUES('%1', '%2')")
             .arg(SqlText(roleCode), permission));
    Exec(QStringLiteral("INSERT INTO QX_PRMSMAP(PRMS_DM, PRMS_TYPE, KZDM) VALUES('%1', '10', %2)")
             .arg(permission, companyId));
    EXPECT_TRUE(transaction.Commit()) << transaction.ErrorText().toStdString();
}

std::vector<HostSetup::THostMessage> HostTest::Messages() const {
    return HostSetup::RecordedMessages();
}

std::vector<HostSetup::TLogLine> HostTest::LogLines() const {
    return HostSetup::RecordedLog();
}

int HostTest::LogCount(const QString& level) const {
    int count = 0;
    for (const auto& line : LogLines()) {
        count += line.level == level ? 1 : 0;
    }
    return count;
}
