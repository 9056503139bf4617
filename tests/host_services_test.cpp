#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "FileSizeLimit.h"
#include "HostServices.h"
#include "TestHost.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace {

QList<QByteArray> LogFileLines() {
    QFile log(HostSetup::LogFilePath());
    EXPECT_TRUE(log.open(QIODevice::ReadOnly)) << HostSetup::LogFilePath().toStdString();
    QList<QByteArray> lines = log.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

using HostDatabase = EngineTest;
INSTANTIATE_ON_ENGINES(HostDatabase);

TEST_P(HostDatabase, CreatesReadsAndWritesRows) {
    TADOQuery query;
    QString error;
    ASSERT_TRUE(
        ModuleLib::ExecADOQueryMsg(kMainConnection,
                                   "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('110101', "
                                   "'北京甲公司', 0)",
                                   query, error, 0));
    EXPECT_EQ(query.RowsAffected(), 1);
    ASSERT_TRUE(ModuleLib::ExecADOQueryMsg(
        kMainConnection, "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('110102', NULL, 0)", query,
        error, 0));

    ASSERT_TRUE(ModuleLib::ExecADOQueryMsg(
        kMainConnection, "select * from XT_QYXX where LBDM=0 order by QYID", query, error, 1));
    ASSERT_FALSE(query.IsEmpty());
    const int idColumn = query.FieldIndex("qyid");
    const int nameColumn = query.FieldIndex("QYMC");
    ASSERT_GE(idColumn, 0);
    ASSERT_GE(nameColumn, 0);
    EXPECT_EQ(query.FieldIndex("NO_SUCH_COLUMN"), -1);

    QStringList ids;
    QStringList names;
    for (; !query.Eof(); query.Next()) {
        ids << query.FieldAsString(idColumn);
        names << query.FieldAsString(nameColumn);
    }
    ASSERT_EQ(ids.size(), 2);
    EXPECT_TRUE(IsSqlInteger(ids[0]));
    EXPECT_LT(ids[0].toLongLong(), ids[1].toLongLong());
    EXPECT_EQ(names, (QStringList{"北京甲公司", ""}));
    EXPECT_FALSE(query.Next());
    EXPECT_TRUE(query.FieldByName("QYMC").isEmpty());

    ASSERT_TRUE(ModuleLib::ExecADOQueryMsg(
        kMainConnection, "UPDATE XT_QYXX SET QYMC='乙' where QYID=" + ids[1], query, error, 0));
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + ids[1]), "乙");

    ASSERT_TRUE(ModuleLib::ExecADOQueryMsg(kMainConnection, "select 1 from XT_QYXX where QYID=-1",
                                           query, error, 1));
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(LogCount("Error"), 0);
}

TEST_P(HostDatabase, FailedStatementReturnsTheDatabaseMessageAndLogsOnce) {
    TADOQuery query;
    QString error;
    EXPECT_FALSE(ModuleLib::ExecADOQueryMsg(kMainConnection, "select * from NO_SUCH_TABLE", query,
                                            error, 1));
    EXPECT_TRUE(error.contains("no_such_table", Qt::CaseInsensitive)) << error.toStdString();
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, "Error");
    EXPECT_TRUE(lines[0].text.contains(error.split('\n').first()));

    QList<QByteArray> fileLines = LogFileLines();
    fileLines.removeIf([](const QByteArray& line) { return !line.contains("\tError\t"); });
    ASSERT_EQ(fileLines.size(), 1);
    const QList<QByteArray> fields = fileLines[0].split('\t');
    ASSERT_EQ(fields.size(), 3);
    EXPECT_TRUE(
        QDateTime::fromString(QString::fromUtf8(fields[0]), "yyyy-MM-dd HH:mm:ss.zzz").isValid());
    EXPECT_EQ(fields[1], "Error");
}

TEST_P(HostDatabase, RefusesASecondStatementSplicedIntoOne) {
    const QString id = AddCompany("1", "甲");
    // The second statement in plain sight, and hidden where one engine reads a
    // comment or a quote differently from the other.
    const struct {
        const char* sql;
        int open;
    } spliced[] = {
        {"select * from XT_QYXX where QYID=1;delete from XT_QYXX", 1},
        {"UPDATE XT_QYXX SET QYMC='x' where QYID=1; DELETE FROM XT_QYXX", 0},
        {"UPDATE XT_QYXX SET QYMC='x' /*/ ' */ ; DELETE FROM XT_QYXX; -- '", 0},
        {"UPDATE XT_QYXX SET QYMC='x' /* /* */ ' */ ; DELETE FROM XT_QYXX; -- '", 0},
    };
    for (const auto& text : spliced) {
        TADOQuery query;
        QString error;
        EXPECT_FALSE(ModuleLib::ExecADOQueryMsg(kMainConnection, text.sql, query, error, text.open))
            << text.sql;
    }
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), 1);
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id), "甲");
    // A trailing separator alone is harmless.
    EXPECT_TRUE(Exec("UPDATE XT_QYXX SET QYMC='乙' where QYID=" + id + ";"));
}

TEST_P(HostDatabase, TailMatchRunsOnTheEngine) {
    AddCompany("91110000123456ABCD", "尾号匹配");
    AddCompany("91110000ABCD123456", "中间包含");
    auto names = [this](const QString& filter) {
        TADOQuery query;
        QString error;
        EXPECT_TRUE(
            query.Open(kMainConnection, BuildCompanyListSql(filter, "", false, true), error))
            << error.toStdString();
        QStringList found;
        for (; !query.Eof(); query.Next()) {
            found << query.FieldByName("QYMC");
        }
        found.sort();
        return found;
    };
    // The last six characters are "56ABCD" and "123456".
    EXPECT_EQ(names("56AB"), QStringList{"尾号匹配"});
    EXPECT_EQ(names("1234"), QStringList{"中间包含"});
    EXPECT_EQ(names("ABCD"), QStringList{});
    EXPECT_EQ(names("ABCD123"), QStringList{"中间包含"});
}

TEST_P(HostDatabase, DateLiteralsAreAcceptedAndQuoted) {
    AddCompany("1", "甲");
    const QString id = Scalar("select max(QYID) from XT_QYXX");
    const QString literal = ModuleLib::GetSQLDataTime(kMainConnection, "2026-03-05");
    EXPECT_TRUE(Exec("INSERT INTO XT_QYDSXX(QYID, GXSJ) VALUES(" + id + ", " + literal + ")"));
    EXPECT_EQ(Scalar("select GXSJ from XT_QYDSXX where QYID=" + id), "2026-03-05");

    const QString hostile =
        ModuleLib::GetSQLDataTime(kMainConnection, "x'); DELETE FROM XT_QYXX --");
    EXPECT_TRUE(hostile.contains("x''); DELETE"));
    TADOQuery query;
    QString error;
    ModuleLib::ExecADOQueryMsg(kMainConnection,
                               "UPDATE XT_QYDSXX SET GXSJ=" + hostile + " where QYID=" + id, query,
                               error, 0);
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), 1);
}

TEST_P(HostDatabase, TextFunctionsCountCharacters) {
    if (GetParam() == "POSTGRESQL") {
        EXPECT_EQ(Scalar("select mid(right('纳税人12345', 4), 1, 2)"), "23");
        return;
    }
    EXPECT_EQ(Scalar("select right('纳税人识别号', 3)"), "识别号");
    EXPECT_EQ(Scalar("select mid('纳税人识别号', 2, 3)"), "税人识");
    EXPECT_EQ(Scalar("select mid(right('纳税人12345', 4), 1, 2)"), "23");
    EXPECT_EQ(Scalar("select right('ab', 5)"), "ab");
    EXPECT_EQ(Scalar("select mid('abc', 3, 5)"), "c");
    EXPECT_EQ(Scalar("select right(NULL, 2) is null"), "1");
    // Literals and joins keep their words.
    EXPECT_EQ(Scalar("select 'right(x)'"), "right(x)");
    EXPECT_EQ(Scalar("select /* it's */ 'right(x)'"), "right(x)");
    EXPECT_EQ(Scalar("select -- it's\n right('ab', 1)"), "b");
    AddCompany("1", "甲");
    EXPECT_EQ(Count("select count(*) from XT_QYXX a RIGHT JOIN XT_QYXX b ON a.QYID=b.QYID"), 1);
}

TEST_P(HostDatabase, ReportsItsEngine) {
    EXPECT_EQ(ModuleLib::GetDBType(kMainConnection), QString::fromStdString(GetParam()));
    EXPECT_EQ(ModuleLib::GetDBType("NoSuchConnection"), "");
}

class HostDatabaseFailures : public HostTest {
  protected:
    // The warnings logged that name every one of words.
    int WarningsNaming(const QStringList& words) const {
        int count = 0;
        for (const auto& line : LogLines()) {
            count += line.level == "Warn" && std::all_of(words.begin(), words.end(),
                                                         [&](const QString& word) {
                                                             return line.text.contains(word);
                                                         })
                         ? 1
                         : 0;
        }
        return count;
    }
};

TEST_F(HostDatabaseFailures, LockedDatabaseFailsWithItsMessage) {
    const QString id = AddCompany("1", "甲");
    const QString file = AppPath() + "Data/main.db";
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "locker");
        other.setDatabaseName(file);
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));

        TADOQuery query;
        QString error;
        EXPECT_FALSE(ModuleLib::ExecADOQueryMsg(
            kMainConnection, "UPDATE XT_QYXX SET QYMC='乙' where QYID=" + id, query, error, 0));
        EXPECT_TRUE(error.contains("locked")) << error.toStdString();
        lock.exec("ROLLBACK");
        lock.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase("locker");
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id), "甲");
}

TEST_F(HostDatabaseFailures, ClosedConnectionFailsCleanly) {
    HostSetup::Stop();
    TADOQuery query;
    QString error;
    EXPECT_FALSE(ModuleLib::ExecADOQueryMsg(kMainConnection, "select 1", query, error, 1));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(query.Active());
    EXPECT_TRUE(query.FieldAsString(0).isEmpty());
}

TEST_F(HostDatabaseFailures, UnopenableDatabaseStopsTheStart) {
    HostSetup::Stop();
    WriteFile("blocker", "not a folder");
    WriteFile("Config/SysConfig.ini", "[Database]\nDatabase=blocker/main.db\n");
    QString error;
    EXPECT_FALSE(HostSetup::Start(dir_.path(), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(HostSetup::IsStarted());

    WriteFile("Config/SysConfig.ini", "[Database]\nDriver=QNOSUCHDRIVER\n");
    EXPECT_FALSE(HostSetup::Start(dir_.path(), error));
    EXPECT_TRUE(error.contains("QNOSUCHDRIVER"));
}

QStringList& QtMessages() {
    static QStringList messages;
    return messages;
}

void CollectQtMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    QtMessages() << text;
}

QByteArray Utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

struct FailedStart {
    const char* name;
    QByteArray settings;
    QByteArray databaseFile;  // written to Data/main.db when not empty
    QString cause;            // part of the error text; "{app}" is the folder
};

TEST_F(HostDatabaseFailures, FailedStartsNameTheCauseAndLeaveNothingOpen) {
    const QByteArray cutUtf8 = QByteArray("[SysCofig]\nDisplayCompanyCodeName=税号").chopped(1);
    const std::vector<FailedStart> cases = {
        {"UTF-16 with a byte-order mark",
         "\xFF\xFE" + Utf16("[Database]\nBusyTimeout=1\n"),
         {},
         "{app}Config/SysConfig.ini"},
        {"UTF-16 without one",
         Utf16("[Database]\nBusyTimeout=1\n"),
         {},
         "{app}Config/SysConfig.ini"},
        {"random bytes",
         QByteArray::fromHex("9bff3e07a1c5d2ee80fe41"),
         {},
         "{app}Config/SysConfig.ini"},
        {"UTF-8 cut inside a character", cutUtf8, {}, "{app}Config/SysConfig.ini"},
        {"a database folder that is missing",
         "[Database]\nDatabase=Nowhere/main.db\n",
         {},
         "{app}Nowhere"},
        {"a file that is no database", "", "plain text, not a database\n", "not a database"},
        {"a server that cannot be reached",
         "[Database]\nDriver=QPSQL\nHostName=127.0.0.1\nPort=1\nDatabase=none\n",
         {},
         ""},
    };
    for (const FailedStart& c : cases) {
        SCOPED_TRACE(c.name);
        HostSetup::Stop();
        QFile::remove(dir_.path() + "/Data/main.db");
        WriteFile("Config/SysConfig.ini", c.settings);
        if (!c.databaseFile.isEmpty()) {
            WriteFile("Data/main.db", c.databaseFile);
        }
        QtMessages().clear();
        const QtMessageHandler previous = qInstallMessageHandler(CollectQtMessage);
        QString error;
        const bool started = HostSetup::Start(dir_.path(), error);
        qInstallMessageHandler(previous);

        EXPECT_FALSE(started);
        EXPECT_FALSE(HostSetup::IsStarted());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(error.contains(QString(c.cause).replace("{app}", AppPath())))
            << error.toStdString();
        EXPECT_FALSE(QtMessages().join('\n').contains("still in use"))
            << QtMessages().join('\n').toStdString();
        EXPECT_FALSE(QFileInfo::exists(AppPath() + "Nowhere"));
    }
}

TEST_F(HostDatabaseFailures, NewDatabaseGetsTheSchemaOnce) {
    EXPECT_TRUE(QFileInfo::exists(AppPath() + "Data/main.db"));
    // A new, empty database is worth a line: it may stand for a misread setting.
    auto creations = [] {
        QList<QByteArray> lines = LogFileLines();
        lines.removeIf([](const QByteArray& line) {
            return !line.contains("\tWarn\t") || !line.contains("新建") ||
                   !line.contains((ModuleLib::GetAppPath() + "Data/main.db").toUtf8());
        });
        return lines.size();
    };
    EXPECT_EQ(creations(), 1);
    for (const char* table : {"XT_QYXX", "XT_QYDSXX", "XT_QYGSXX", "QX_ROLEPRMS", "QX_PRMSMAP",
                              "QX_CZYQY", "QX_CZYZXT"}) {
        EXPECT_EQ(Count(QStringLiteral("select count(*) from %1").arg(table)), 0) << table;
    }
    const QString id = AddCompany("1", "甲");
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id), "甲");
    EXPECT_EQ(creations(), 1);
}

// Said once per start, and only of a password (also one among the libpq
// options) that the group or others may read.
TEST_F(HostDatabaseFailures, APasswordOthersMayReadIsLoggedAtStart) {
    for (const auto perms :
         {QFile::ReadOwner | QFile::ReadGroup, QFile::ReadOwner | QFile::ReadOther,
          QFile::ReadOwner | QFile::WriteOwner}) {
        StartHost("SQLITE", perms.testFlag(QFile::ReadOther)
                                ? "ConnectOptions=sslmode=require password=s"
                                : "Password=secret");
        ASSERT_TRUE(QFile::setPermissions(HostSetup::SysConfigFilePath(), perms));
        QString error;
        ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
        EXPECT_EQ(WarningsNaming({HostSetup::SysConfigFilePath()}),
                  perms.testFlag(QFile::WriteOwner) ? 0 : 1)
            << perms.toInt();
    }
    // The warning points at the file; it never repeats the password.
    for (const auto& line : LogLines()) {
        EXPECT_FALSE(line.text.contains("secret")) << line.text.toStdString();
    }
}

// So is a password in the service file the settings name.
TEST_F(HostDatabaseFailures, AServicePasswordOthersMayReadIsLoggedAtStart) {
    const QString path = dir_.filePath("pg_service.conf");
    qputenv("PGSERVICEFILE", QFile::encodeName(path));
    const std::tuple<QByteArray, QFile::Permissions, int> cases[] = {
        {"[desk]\nhost=db\npassword=s\n", QFile::ReadOwner | QFile::ReadOther, 1},
        {"[other]\npassword=s\n[desk]\nhost=db\n", QFile::ReadOwner | QFile::ReadGroup, 0},
    };
    for (const auto& [content, perms, warnings] : cases) {
        QFile::remove(path);
        StartHost("SQLITE", "ConnectOptions=service=desk;connect_timeout=5");
        WriteFile("pg_service.conf", content);
        ASSERT_TRUE(QFile::setPermissions(path, perms));
        QString error;
        ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
        EXPECT_EQ(WarningsNaming({path, "desk"}), warnings) << content.toStdString();
    }
    qunsetenv("PGSERVICEFILE");
}

// A desk's server: libpq reads the password, or all of the server's
// settings, from a file only its owner may read, so the settings file need
// hold no password; the desk's role reads and writes rows, nothing else.
using PostgreSQLAccess = EngineTest;
INSTANTIATE_TEST_SUITE_P(Server, PostgreSQLAccess, ::testing::Values(std::string("POSTGRESQL")),
                         EngineCaseName);

TEST_P(PostgreSQLAccess, TheHostConnectsWithNoPasswordInItsSettings) {
    QStringList v;
    for (const char* key : {"HostName", "Port", "Database", "UserName", "Password"}) {
        v << PostgresSetting(key);
    }
    const QString service = "options=-csearch_path=" + Scalar("select current_schema()") + "\n" +
                            PostgresSetting("ConnectOptions").replace(' ', '\n');
    const char* rows[][3] = {
        {"PGPASSFILE", "%1:%2:%3:%4:%5\n", "Password=\n"},
        {"PGSERVICEFILE", "[desks]\nhost=%1\nport=%2\ndbname=%3\nuser=%4\npassword=%5\n",
         "HostName=\nPort=\nDatabase=\nUserName=\nPassword=\nConnectOptions=service=desks\n"}};
    for (const auto& row : rows) {
        WriteFile("libpq", (QString(row[1]).arg(v[0], v[1], v[2], v[3], v[4]) +
                            (qstrcmp(row[0], "PGSERVICEFILE") == 0 ? service : QString()))
                               .toUtf8());
        QFile::setPermissions(dir_.filePath("libpq"), QFile::ReadOwner | QFile::WriteOwner);
        qputenv(row[0], dir_.filePath("libpq").toUtf8());
        StartHost("POSTGRESQL", row[2]);
        qunsetenv(row[0]);
        EXPECT_FALSE(AddCompany("911", "甲公司").isEmpty()) << row[0];
    }
}

TEST_P(PostgreSQLAccess, ADeskRoleReadsAndWritesRowsAndNothingElse) {
    QString error;
    // The set-up role itself, in any letter case, is refused and keeps its rights.
    const QString self = Scalar("select current_user");
    for (const QString& name :
         QStringList{"", "public", "Current_User", "desk; DROP TABLE XT_QYXX", "\"desk\"", "1desk",
                     QString(64, u'd'), self, self.toUpper()}) {
        EXPECT_FALSE(HostSetup::GrantDeskRole(name, error)) << name.toStdString();
    }
    EXPECT_FALSE(AddCompany("910", "甲公司").isEmpty());
    const QString role = QStringLiteral("cm_desk_%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(ExecElsewhere("CREATE ROLE " + role + " LOGIN PASSWORD 'desk'"));
    ASSERT_TRUE(HostSetup::GrantDeskRole(role, error)) << error.toStdString();
    QFile settings(HostSetup::SysConfigFilePath());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    WriteFile("Config/SysConfig.ini",
              "[Database]\nUserName=" + role.toUtf8() + "\nPassword=desk\n" + settings.readAll());
    // The schema is complete: the start tries no DDL, which the role may not run.
    EXPECT_TRUE(HostSetup::Start(AppPath(), error)) << error.toStdString();
    EXPECT_TRUE(Exec("delete from XT_QYXX where QYID=" + AddCompany("911", "甲公司")));
    TADOQuery query;
    EXPECT_FALSE(query.Execute(kMainConnection, "create table DESK_OWN (A integer)", error));
    EXPECT_FALSE(query.Execute(kMainConnection, "drop table XT_QYDSXX", error));
    // The history is only ever added to: the delete above wrote some.
    EXPECT_GT(Count("select count(*) from XT_QYBGJL where LY is null"), 0);
    for (const char* sql :
         {"update XT_QYBGJL set XZ='x'", "delete from XT_QYBGJL", "truncate XT_QYBGJL"}) {
        EXPECT_FALSE(query.Execute(kMainConnection, sql, error)) << sql;
    }
    HostSetup::Stop();
    EXPECT_TRUE(ExecElsewhere("DROP OWNED BY " + role + "; DROP ROLE " + role));
}

class HostSettings : public HostTest {
  protected:
    void SetUp() override {
        StartHost("SQLITE",
                  "[SysCofig]\nDisplayCompanyCodeName=纳税人识别号\nList=a,b, c\n"
                  "[Host]\nEdition=10\nAgency=true\n"
                  "[SubApps]\nCodes=GS, DS\n[SubApp_GS]\nName=国税\nPath=Apps/GS\n"
                  "[Skin]\nModuleBackColor=255\n");
    }
};

TEST_F(HostSettings, SystemSettingsWithDefaultsAndOverrides) {
    EXPECT_EQ(ModuleLib::GetSysConfigParam("SysCofig", "DisplayCompanyCodeName", "企业识别号"),
              "纳税人识别号");
    EXPECT_EQ(ModuleLib::GetSysConfigParam("SysCofig", "List", ""), "a,b, c");
    EXPECT_EQ(ModuleLib::GetSysConfigParam("SysCofig", "Missing", "dflt"), "dflt");
    HostSetup::OverrideSysConfig("SysCofig", "Missing", "set");
    EXPECT_EQ(ModuleLib::GetSysConfigParam("SysCofig", "Missing", "dflt"), "set");

    EXPECT_EQ(ModuleLib::gsAppVerTypeCode(), "10");
    EXPECT_TRUE(ModuleLib::CheckAgencyExist());
    HostSetup::SetAgencyExist(false);
    HostSetup::SetEditionCode("");
    EXPECT_FALSE(ModuleLib::CheckAgencyExist());
    EXPECT_EQ(ModuleLib::gsAppVerTypeCode(), "");

    EXPECT_EQ(ModuleLib::gclModuleBackColor(), 255u);
    EXPECT_EQ(ModuleLib::gclModuleToolBarColor(), 16773860u);
    EXPECT_EQ(ModuleLib::giSysFontSize(), 9);
}

TEST_F(HostSettings, OperatorSettingsFollowTheOperator) {
    WriteFile("Config/Users/0001.ini", "[RunParameter]\nSysIME=五笔输入法\n");
    EXPECT_EQ(ModuleLib::GetUserConfigParam("RunParameter", "SysIME", "-请选择-"), "-请选择-");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    EXPECT_EQ(ModuleLib::GetUserConfigParam("RunParameter", "SysIME", "-请选择-"), "五笔输入法");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "../Users/0001");
    EXPECT_EQ(ModuleLib::GetUserConfigParam("RunParameter", "SysIME", "-请选择-"), "-请选择-");
}

// A disk that takes no more must not cost the operator the settings he had.
TEST_F(HostSettings, AnOperatorSettingTheDiskRefusesLeavesTheFormerFile) {
    const QByteArray former = "[RunParameter]\r\nSysIME=五笔输入法\r\n";
    WriteFile("Config/Users/0001.ini", former);
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    const int errorsBefore = LogCount("Error");
    bool written = true;
    {
        FileSizeLimit full(static_cast<rlim_t>(former.size()) + 16);
        ASSERT_TRUE(full.Ok());
        written = ModuleLib::SetUserConfigParam("RecentCompanies", "Ids", QString(200, u'1'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(LogCount("Error"), errorsBefore + 1);
    QFile file(AppPath() + "Config/Users/0001.ini");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), former);
    EXPECT_EQ(ModuleLib::GetUserConfigParam("RunParameter", "SysIME", ""), "五笔输入法");
}

TEST_F(HostSettings, GbkSettingsFilesAreRead) {
    HostSetup::Stop();
    const QString text = "[SysCofig]\nDisplayCompanyCodeName=税号\n";
    QStringEncoder gbk("GB18030");
    ASSERT_TRUE(gbk.isValid());
    WriteFile("Config/SysConfig.ini", gbk.encode(text));
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error));
    EXPECT_EQ(ModuleLib::GetSysConfigParam("SysCofig", "DisplayCompanyCodeName", ""), "税号");
}

// The sample settings file of README.md, as it stands there.
QByteArray ReadmeSample() {
    QFile readme(QStringLiteral(COMPANYMGR_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray sample;
    bool inside = false;
    for (const QByteArray& line : readme.readAll().split('\n')) {
        inside = inside || line == "    [Database]";
        if (!inside) {
            continue;
        }
        if (!line.isEmpty() && !line.startsWith("    ")) {
            break;
        }
        sample += line.mid(4) + '\n';
    }
    return sample;
}

TEST_F(HostSettings, TheReadmeSampleReadsAsDocumented) {
    const QByteArray sample = ReadmeSample();
    ASSERT_TRUE(sample.contains("[Skin]")) << "no sample settings file in README.md";
    HostSetup::Stop();
    WriteFile("Config/SysConfig.ini", sample);
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
    struct Setting {
        const char* section;
        const char* key;
        const char* value;
    };
    const Setting settings[] = {
        {"Database", "Driver", "QSQLITE"},
        {"Database", "Database", "Data/main.db"},
        {"Database", "HostName", ""},
        {"Database", "BusyTimeout", "5000"},
        {"Host", "Edition", ""},
        {"Host", "Agency", "false"},
        {"SubApps", "Codes", "GS,DS"},
        {"SubApp_GS", "Path", "SubApps/GS/"},
        {"SysCofig", "QueryLengthToSwithCompany", "6"},
        {"SysCofig", "DisplayCompanyCodeName", "企业识别号"},
        {"Skin", "ModuleBackColor", "16710131"},
    };
    for (const Setting& setting : settings) {
        EXPECT_EQ(ModuleLib::GetSysConfigParam(setting.section, setting.key, "<missing>"),
                  QString::fromUtf8(setting.value))
            << setting.section << "/" << setting.key;
    }
    EXPECT_EQ(HostSetup::DatabaseDriver(), "QSQLITE");
    EXPECT_FALSE(ModuleLib::CheckAgencyExist());
    EXPECT_EQ(ModuleLib::gclModuleBackColor(), 16710131u);
    QStringList codes;
    ModuleLib::GetALLSubAppCodeList(codes);
    EXPECT_EQ(codes, (QStringList{"GS", "DS"}));
}

TEST_F(HostSettings, CommentsEndValuesUnlessQuoted) {
    struct Case {
        const char* line;
        const char* value;
    };
    const Case cases[] = {
        {"a = value ; comment", "value"},
        {"b=value;kept", "value;kept"},
        {"c=value\t# comment", "value"},
        {"d=a#b", "a#b"},
        {"e=   ; nothing but a comment", ""},
        {"f=\"quoted ; kept # too\" ; comment", "quoted ; kept # too"},
        {"g=\"\"", ""},
        {"h=\"open ; cut", "\"open"},
        {"i=\"a\" b", "\"a\" b"},
        {"j=options='-c a=b' # server", "options='-c a=b'"},
    };
    QByteArray text = "[Test] ; the section of these cases\r\n";
    for (const Case& c : cases) {
        text += QByteArray(c.line) + "\r\n";
    }
    HostSetup::Stop();
    WriteFile("Config/SysConfig.ini", text);
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
    for (const Case& c : cases) {
        const QString key = QString::fromUtf8(c.line).section('=', 0, 0).trimmed();
        EXPECT_EQ(ModuleLib::GetSysConfigParam("Test", key, "<missing>"), c.value) << c.line;
    }
}

// The settings the host reads and the setting it writes find the same
// section: a header ends at its first "]", and "[x" without one is no header.
TEST_F(HostSettings, OperatorSettingsAreWrittenWhereTheyAreRead) {
    WriteFile("Config/Users/0001.ini", "[Recent]b]\r\nIds=1\r\n[Other\r\nIds=2\r\n[Z]\r\n");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    EXPECT_EQ(ModuleLib::GetUserConfigParam("Recent", "Ids", ""), "1");
    ASSERT_TRUE(ModuleLib::SetUserConfigParam("Recent", "Ids", "3"));
    ASSERT_TRUE(ModuleLib::SetUserConfigParam("Other", "Ids", "4"));
    QFile file(AppPath() + "Config/Users/0001.ini");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "[Recent]b]\r\nIds=3\r\n[Other\r\nIds=2\r\n[Z]\r\n\r\n[Other]\r\nIds=4\r\n");
}

TEST_F(HostSettings, SubApplicationsAndTheirFolders) {
    QStringList codes;
    ModuleLib::GetALLSubAppCodeList(codes);
    EXPECT_EQ(codes, (QStringList{"GS", "DS"}));
    const TSubAppInfo* gs = ModuleLib::GetpSubAppInfo("GS");
    ASSERT_NE(gs, nullptr);
    EXPECT_EQ(gs->Name, "国税");
    EXPECT_EQ(gs->Path, "Apps/GS/");
    ASSERT_NE(ModuleLib::GetpSubAppInfo("DS"), nullptr);
    EXPECT_EQ(ModuleLib::GetpSubAppInfo("DS")->Path, "SubApps/DS/");
    EXPECT_EQ(ModuleLib::GetpSubAppInfo("XX"), nullptr);
    EXPECT_EQ(ModuleLib::GetCurSubAppCode(), "GS");
    EXPECT_EQ(ModuleLib::GetCurSubAppPath(), AppPath() + "Apps/GS/");
    EXPECT_TRUE(AppPath().endsWith('/'));
}

using HostContext = HostTest;

TEST_F(HostContext, MessagesAreAnsweredAndRecorded) {
    Answer(106008, 2);
    EXPECT_EQ(ModuleLib::InforMsg(106008, "91110000X", 1), 2);
    EXPECT_EQ(ModuleLib::InforMsg(106018, "70019507", 1), 1);
    EXPECT_EQ(ModuleLib::InfoMsgBox("该单位[1]已经存在。", 0), 1);
    EXPECT_EQ(ModuleLib::InfoMsgBox("?", 1), 1);
    EXPECT_EQ(ModuleLib::InfoMsgBox("?", 2), 1);
    EXPECT_EQ(ModuleLib::InfoMsgBox("?", 7), 1);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 6u);
    // The buttons the operator gets: a question for 106008, as asked for the rest.
    using B = HostSetup::THostMessage;
    const B::Buttons buttons[] = {B::YesNo, B::Ok, B::Ok, B::YesNo, B::YesNoCancel, B::Ok};
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].buttons, buttons[i]) << i;
    }
    EXPECT_EQ(messages[0].code, 106008);
    EXPECT_EQ(messages[0].answer, 2);
    EXPECT_TRUE(messages[0].text.contains("91110000X"));
    EXPECT_EQ(messages[1].extra, "70019507");
    EXPECT_TRUE(messages[1].text.startsWith(HostSetup::MessageText(106018)));
    EXPECT_EQ(messages[2].kind, HostSetup::THostMessage::Plain);
    EXPECT_EQ(messages[2].text, "该单位[1]已经存在。");
    for (int code = 106002; code <= 106024; ++code) {
        EXPECT_FALSE(HostSetup::MessageText(code).isEmpty()) << code;
    }

    HostSetup::SetMessageResponder({});
    EXPECT_EQ(ModuleLib::InforMsg(106008, "x", 1), 1);  // no screen: confirmed
}

TEST_F(HostContext, LogLinesGoToTheFileOneEach) {
    const qsizetype before = LogFileLines().size();
    logQuery::Warn("1", "第一行\n第二行\r\n");
    logQuery::Error("1", QString::fromUtf8("列\t分隔\x01\x1b[2J\x7f\u2028止"));
    // A backslash is escaped too, so a written "\n" is never a line break.
    logQuery::Warn("1", "C:\\new\\x01");
    const QList<QByteArray> lines = LogFileLines().mid(before);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].endsWith("\tWarn\tC:\\\\new\\\\x01")) << lines[2].toStdString();
    EXPECT_TRUE(lines[0].endsWith("\tWarn\t第一行\\n第二行\\r\\n")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("\tError\t列\\t分隔\\x01\\x1b[2J\\x7f\\u2028止"))
        << lines[1].toStdString();
    EXPECT_EQ(lines[1].count('\t'), 2);
    EXPECT_EQ(LogCount("Warn"), 2);
    EXPECT_EQ(LogCount("Error"), 1);
}

TEST_F(HostContext, AnUnwritableLogIsReportedOnce) {
    HostSetup::Stop();
    // A folder where the log file should be: no write reaches it.
    QFile::remove(dir_.path() + "/Log/CompanyMgr.log");
    ASSERT_TRUE(QDir().mkpath(dir_.path() + "/Log/CompanyMgr.log"));
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) {
        logQuery::Error("1", QStringLiteral("第%1条").arg(i));
    }
    const QString console = QString::fromStdString(::testing::internal::GetCapturedStderr());
    EXPECT_EQ(console.count(HostSetup::LogFilePath()), 1) << console.toStdString();
    EXPECT_EQ(console.count('\n'), 1) << console.toStdString();
    EXPECT_EQ(LogCount("Error"), 3);
}

class CountingSession : public TPSession {
  public:
    void CompanyAdded(const QString& id) override { added << id; }
    void CompanyRemoved(const QString& id) override { removed << id; }
    QStringList added;
    QStringList removed;
};

TEST_F(HostContext, HostObjectsFunctionsAndAgency) {
    TDataVO* user = ModuleLib::GetUserInfoVO();
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user, ModuleLib::GetUserInfoVO());
    EXPECT_NE(ModuleLib::GetCompanyInfoVO(), user);
    auto* session = new CountingSession;
    user->SetObjValue("TPSession", session);
    auto* found = dynamic_cast<TPSession*>(user->GetObjValue("tpsession"));
    ASSERT_EQ(found, session);
    found->CompanyAdded("5");
    EXPECT_EQ(session->added, QStringList{"5"});

    QString seen;
    HostSetup::RegisterFunction("01004-01-16-00-00", [&](QWidget*, char* buffer, std::size_t size) {
        seen = QString::fromUtf8(buffer);
        std::strncpy(buffer, "QYID=9;DONE=1", size - 1);
        return false;
    });
    char buffer[500] = "QYID=9";
    EXPECT_FALSE(ModuleLib::ExecuteFunc(nullptr, "01004-01-16-00-00", buffer, sizeof buffer));
    EXPECT_EQ(seen, "QYID=9");
    EXPECT_STREQ(buffer, "QYID=9;DONE=1");
    EXPECT_FALSE(ModuleLib::ExecuteFunc(nullptr, "unknown", buffer, sizeof buffer));
    HostSetup::RegisterFunction(
        "throws", [](QWidget*, char*, std::size_t) -> bool { throw std::runtime_error("boom"); });
    EXPECT_FALSE(ModuleLib::ExecuteFunc(nullptr, "throws", buffer, sizeof buffer));

    ModuleLib::SetgsAgencyInfo("某某税务师事务所");
    ModuleLib::SetgbAgencyVerExist(true);
    EXPECT_EQ(HostSetup::AgencyInfo(), "某某税务师事务所");
    EXPECT_TRUE(HostSetup::AgencyVerExist());

    EXPECT_EQ(ModuleLib::GetMainFrameHandle(), 0u);
    QWidget frame;
    frame.setObjectName("Tfrm_MainFrame");
    HostSetup::SetMainFrame(&frame);
    EXPECT_EQ(ModuleLib::GetMainFrameHandle(), static_cast<THandle>(frame.winId()));
}

TEST_F(HostContext, HelpPageNamesAndStringHelpers) {
    QString text = " page | 123 |1";
    QString field;
    EXPECT_TRUE(ModuleLib::FetchHeadstrTrim(true, "|", text, field));
    EXPECT_EQ(field, "page");
    EXPECT_EQ(text, " 123 |1");
    EXPECT_TRUE(ModuleLib::FetchHeadstrTrim(false, "|", text, field));
    EXPECT_EQ(field, "123");
    EXPECT_EQ(text, " 123 |1");
    QString empty;
    EXPECT_FALSE(ModuleLib::FetchHeadstrTrim(true, "|", empty, field));
    ModuleLib::SetgsHelpHtml("page.htm");
    EXPECT_EQ(HostSetup::HelpHtml(), "page.htm");
    EXPECT_EQ(ModuleLib::ReplaceStr("O'Hara", "'", "''"), "O''Hara");
}

}  // namespace
