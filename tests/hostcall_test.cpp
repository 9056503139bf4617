// The command-line host, run as a program against a temporary application folder.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "HostServices.h"
#include "HostSetup.h"

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
        QProcess process;
        process.setProgram(COMPANYMGR_HOSTCALL_PATH);
        process.setArguments(QStringList{"--app-dir", dir_.path()} + arguments);
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

TEST_F(HostCall, FailuresAreResultsNotExitCodes) {
    const CallResult run = Call({"InitGlobalCompanyInfo", "CZY_DM=0001"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines.value(0), "result: false");
    EXPECT_EQ(run.lines.value(1),
              "param: CZY_DM=0001;ResultMsgStr=[70019504]系统初始化企业信息失败。");
    EXPECT_EQ(run.lines.value(2), "log: Error [70019504]系统初始化企业信息失败。");
}

TEST_F(HostCall, WriteBackWithTheCurrentCompanyLoadedFirst) {
    const CallResult run = Call({"--operator", "CZY_DM=0001;CZY_LB=0", "--company", "1",
                                 "CallBackToWriteQYDSXX", "1", "KJYWRBM=K1;GSGBZE=12.5;DZ=a&eq%b"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.lines.value(0), "result: true");
    EXPECT_FALSE(run.lines.value(1).startsWith("param:"));
    // The preload's own log line is not part of this call.
    for (const QString& line : run.lines) {
        EXPECT_FALSE(line.startsWith("log:")) << line.toStdString();
    }
    EXPECT_TRUE(run.lines.contains("company.QYDSXX: KJYWRBM=K1"));
    EXPECT_TRUE(run.lines.contains("company.QYDSXX: GSGBZE=12.50"));
    EXPECT_TRUE(run.lines.contains("company.QYDSXX: DZ=a=b"));

    const CallResult refused = Call({"CallBackToWriteQYGSXX", "1", "NSRMC=x"});
    EXPECT_EQ(refused.lines.value(0), "result: false");
    EXPECT_TRUE(refused.lines.contains("log: Warn 传入的企业ID或纳税人识别号为空"));
}

TEST_F(HostCall, PicksARowOfTheSelectionDialogOrCancelsIt) {
    QString error;
    ASSERT_TRUE(HostSetup::Start(dir_.path(), error));
    TADOQuery query;
    for (const char* taxId : {"911100000000000002", "911100000000000003"}) {
        ASSERT_TRUE(query.Execute(kMainConnection,
                                  QStringLiteral("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) "
                                                 "VALUES('%1', '单位', 0)")
                                      .arg(taxId),
                                  error));
    }
    HostSetup::Stop();

    const CallResult picked =
        Call({"--pick", "3", "LoadSelectCompanyForm", "CZY_DM=0001;CZY_LB=0"});
    EXPECT_EQ(picked.lines.value(0), "result: true") << picked.errors.toStdString();
    EXPECT_EQ(picked.lines.value(1), "param: CZY_DM=0001;CZY_LB=0;QYID=3;QYSBH=911100000000000003");

    const CallResult cancelled =
        Call({"--pick", "0", "LoadSelectCompanyForm", "CZY_DM=0001;CZY_LB=0"});
    EXPECT_EQ(cancelled.lines.value(0), "result: false");
    EXPECT_EQ(cancelled.lines.value(1), "param: CZY_DM=0001;CZY_LB=0");
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
