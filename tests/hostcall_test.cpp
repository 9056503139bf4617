// The command-line host, run as a program against a temporary application folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "HostServices.h"
#include "HostSetup.h"
#include "ParamString.h"

namespace {

struct CallResult {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

class HostCall : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Prepare the folder through the host library, then leave it to the program.
        QString error;
        ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
        TADOQuery query;
        ASSERT_TRUE(query.Execute(kMainConnection,
                                  "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) "
                                  "VALUES('911100000000000001', '北京甲公司', 0)",
                                  error));
        ASSERT_TRUE(query.Execute(kMainConnection,
                                  "INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(1, '9122')", error));
        HostSetup::Stop();
    }

    CallResult Call(const QStringList& arguments) {
        return Run(QStringList{"--app-dir", dir_.path()} + arguments);
    }

    static CallResult Run(const QStringList& arguments) {
        QProcess process;
        process.setProgram(COMPANYMGR_HOSTCALL_PATH);
        process.setArguments(arguments);
        process.start();
        CallResult run;
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "hostcall did not finish";
            return run;
        }
        run.exitCode = process.exitCode();
        run.lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        run.errors = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    void AddCompanies(const QStringList& taxIds) {
        QString error;
        ASSERT_TRUE(HostSetup::Start(dir_.path(), error));
        TADOQuery query;
        for (const QString& taxId : taxIds) {
            ASSERT_TRUE(query.Execute(kMainConnection,
                                      QStringLiteral("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) "
                                                     "VALUES('%1', '单位', 0)")
                                          .arg(taxId),
                                      error));
        }
        HostSetup::Stop();
    }

    QTemporaryDir dir_;
};

TEST_F(HostCall, LoadsACompanyAndPrintsTheHostState) {
    const CallResult run = Call({"InitGlobalCompanyInfo", "CZY_DM=0001;CZY_LB=0;QYID=1"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_GE(run.lines.size(), 4);
    EXPECT_EQ(run.lines[0], "result: true");
    EXPECT_EQ(run.lines[1], "param: CZY_DM=0001;CZY_LB=0;QYID=1");
    EXPECT_EQ(run.lines[2],
              "log: Error 70019503：国税信息纳税人识别号[9122]与基本信息纳税人识别号["
              "911100000000000001]不一致");
    EXPECT_EQ(run.lines[3], "company: QYID=1");
    EXPECT_TRUE(run.lines.contains("company: QYMC=北京甲公司"));
    EXPECT_TRUE(run.lines.contains("company.QYGSXX: NSRSBH=9122"));
    EXPECT_TRUE(run.lines.contains("company.QYDSXX: KJYWRBM=") == false);
}

TEST_F(HostCall, WriteBackWithTheCurrentCompanyLoadedFirst) {
    const CallResult run = Call({"--operator", "CZY_DM=0001;CZY_LB=0", "--company", "1",
                                 "CallBackToWriteQYDSXX", "1", "KJYWRBM=K1;GSGBZE=12.5;DZ=a&eq%b"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.lines.value(0).startsWith("preload: InitGlobalCompanyInfo true"));
    EXPECT_EQ(run.lines.value(1), "result: true");
    EXPECT_FALSE(run.lines.value(2).startsWith("param:"));
    // The preload's own log line is not part of this call.
    for (const QString& line : run.lines) {
        EXPECT_FALSE(line.startsWith("log:")) << line.toStdString();
    }
    EXPECT_TRUE(run.lines.contains("company.QYDSXX: KJYWRBM=K1"));
    EXPECT_TRUE(run.lines.contains("company.QYDSXX: GSGBZE=12.50"));
    EXPECT_TRUE(run.lines.contains("company.QYDSXX: DZ=a=b"));

    const CallResult refused = Call({"CallBackToWriteQYGSXX", "1", "NSRMC=x"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.lines.value(0), "result: false");
    EXPECT_TRUE(refused.lines.contains("log: Warn 传入的企业ID或纳税人识别号为空"));
}

// The exit code follows the entry point's answer; the lines say what happened
// on the way, in order.
TEST_F(HostCall, ExitCodeAndLinesSayWhatHappened) {
    AddCompanies({"911100000000000002", "911100000000000003"});
    const QString operatorAll = "CZY_DM=0001;CZY_LB=0";
    const struct {
        QStringList arguments;
        int exitCode;
        QStringList lines;  // expected in this order, others may come between
        QString error;      // part of what stderr says
    } cases[] = {
        {{"InitGlobalCompanyInfo", "CZY_DM=0001;CZY_LB=0;QYID=1"}, 0, {"result: true"}, ""},
        {{"InitGlobalCompanyInfo", "CZY_DM=0001"},
         1,
         {"result: false", "param: CZY_DM=0001;ResultMsgStr=[70019504]系统初始化企业信息失败。",
          "log: Error [70019504]系统初始化企业信息失败。"},
         ""},
        {{"--pick", "3", "LoadSelectCompanyForm", operatorAll},
         0,
         {"result: true", "param: CZY_DM=0001;CZY_LB=0;QYID=3;QYSBH=911100000000000003",
          "dialog: Tfrm_CompanySelect shown with 3 rows; row 3 chosen"},
         ""},
        {{"--pick", "0", "LoadSelectCompanyForm", operatorAll},
         1,
         {"result: false", "param: CZY_DM=0001;CZY_LB=0",
          "dialog: Tfrm_CompanySelect shown with 3 rows; cancelled"},
         ""},
        {{"--pick", "4", "LoadSelectCompanyForm", operatorAll},
         2,
         {"result: false", "param: CZY_DM=0001;CZY_LB=0",
          "dialog: Tfrm_CompanySelect shown with 3 rows; cancelled, there is no row 4"},
         "has 3 rows"},
        {{"LoadSelectCompanyForm", "CZY_DM=0001;CZY_LB=R02"},
         1,
         {"result: false", "message: 106002 " + HostSetup::MessageText(106002)},
         ""},
        {{"--help"}, 0, {"Exit codes:"}, ""},
    };
    ASSERT_FALSE(HostSetup::MessageText(106002).isEmpty());
    for (const auto& c : cases) {
        const std::string name = c.arguments.join(' ').toStdString();
        const CallResult run = Call(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << name << "\n" << run.errors.toStdString();
        qsizetype at = 0;
        for (const QString& line : c.lines) {
            at = run.lines.indexOf(line, at);
            EXPECT_GE(at, 0) << name << ": no line " << line.toStdString() << " in order in\n"
                             << run.lines.join('\n').toStdString();
            if (at < 0) {
                break;
            }
        }
        if (c.error.isEmpty()) {
            EXPECT_TRUE(run.errors.isEmpty()) << name << ": " << run.errors.toStdString();
        } else {
            EXPECT_TRUE(run.errors.contains(c.error)) << name << ": " << run.errors.toStdString();
        }
    }
}

// The operator's values are escaped when hostcall builds the preload's
// parameter string: an operator code holding ";CZY_LB=0" stays the code and
// does not make a role operator an all-companies one.
TEST_F(HostCall, OperatorValuesStayOneValueEach) {
    const CallResult run = Call({"--operator", "CZY_DM=0001&lim%CZY_LB&eq%0;CZY_LB=R01",
                                 "--company", "1", "RefreshCurrentCompanyInfo"});
    const QString prefix = "preload: InitGlobalCompanyInfo true param=";
    ASSERT_TRUE(run.lines.value(0).startsWith(prefix)) << run.lines.value(0).toStdString();
    const std::string sent = run.lines.value(0).mid(prefix.size()).toStdString();
    EXPECT_EQ(ParamString::GetParamValue(sent, "CZY_DM"), "0001;CZY_LB=0");
    EXPECT_EQ(ParamString::GetParamValue(sent, "CZY_LB"), "R01");
    EXPECT_EQ(ParamString::GetParamValue(sent, "QYID"), "1");
}

TEST_F(HostCall, AppDirMustExistButMayBeEmpty) {
    const QString typo = dir_.filePath("no-such-folder");
    const CallResult mistyped = Run({"--app-dir", typo, "RefreshCurrentCompanyInfo"});
    EXPECT_EQ(mistyped.exitCode, 2);
    EXPECT_TRUE(mistyped.errors.contains(typo)) << mistyped.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(typo));

    const QString empty = dir_.filePath("empty");
    ASSERT_TRUE(QDir().mkpath(empty));
    const CallResult fresh = Run({"--app-dir", empty, "RefreshCurrentCompanyInfo"});
    EXPECT_EQ(fresh.exitCode, 1) << fresh.errors.toStdString();  // no current company yet
    EXPECT_EQ(fresh.lines.value(0), "result: false");
    EXPECT_FALSE(QDir(empty).isEmpty());
}

TEST_F(HostCall, UsageErrorsExitWithTwo) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"NoSuchEntry"},
          QStringList{"--bogus", "InitGlobalCompanyInfo"},
          QStringList{"CallBackToWriteQYDSXX", "1"},
          QStringList{"--answer", "x", "RefreshCurrentCompanyInfo"},
          QStringList{"--setting", "novalue", "RefreshCurrentCompanyInfo"},
          QStringList{"--pick", "-1", "LoadSelectCompanyForm"}}) {
        const CallResult run = Call(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.lines.isEmpty());
        EXPECT_EQ(run.errors.trimmed().count('\n'), 0) << run.errors.toStdString();
    }
}

}  // namespace
