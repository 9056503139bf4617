// The command-line host, run as a program against a temporary application
// folder, and its step language for module pages, run on plain widgets.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "DemoData.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "PageScript.h"
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
        Prepare(dir_.path());
    }

    // Prepares a folder through the host library, then leaves it to the
    // program: company 1 with its state-tax row, then one company per
    // further taxpayer id.
    static void Prepare(const QString& folder, const QStringList& moreTaxIds = {}) {
        QString error;
        ASSERT_TRUE(HostSetup::Start(folder, error)) << error.toStdString();
        TADOQuery query;
        ASSERT_TRUE(query.Execute(kMainConnection,
                                  "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) "
                                  "VALUES('911100000000000001', '北京甲公司', 0)",
                                  error));
        ASSERT_TRUE(query.Execute(kMainConnection,
                                  "INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(1, '9122')", error));
        for (const QString& taxId : moreTaxIds) {
            ASSERT_TRUE(query.Execute(kMainConnection,
                                      QStringLiteral("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) "
                                                     "VALUES('%1', '单位', 0)")
                                          .arg(taxId),
                                      error));
        }
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

// --history prints the information page's list of changes, newest first;
// an operator whose role has no grant for the company gets no page.
TEST_F(HostCall, PrintsACompanysHistory) {
    ASSERT_EQ(Call({"CallBackToWriteQYGSXX", "1", "NSRSBH=9133;NSRMC=甲"}).exitCode, 0);
    const CallResult run = Call({"--operator", "CZY_DM=0001;CZY_LB=0", "--history", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList history = run.lines.filter(QRegularExpression("^history: "));
    ASSERT_GE(history.size(), 3) << run.lines.join('\n').toStdString();
    EXPECT_EQ(history[0], "history: 时间|操作员|工作站|项目|原值|新值|来源");
    // The new values come first; the row's insert by the set-up last.
    EXPECT_TRUE(history[1].endsWith("|CallBackToWriteQYGSXX")) << history[1].toStdString();
    EXPECT_TRUE(history.filter("|9122|9133|CallBackToWriteQYGSXX").size() == 1)
        << history.join('\n').toStdString();

    const CallResult refused = Call({"--operator", "CZY_DM=0002;CZY_LB=1", "--history", "1"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.lines.filter(QRegularExpression("^history: ")).isEmpty());
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
    // Role R01 is granted no company, so the load is refused: it would pass
    // for an all-companies operator.
    const QString prefix = "preload: InitGlobalCompanyInfo false param=";
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
          QStringList{"--pick", "-1", "LoadSelectCompanyForm"},
          QStringList{"--press", "sBtnFind", "InitGlobalCompanyInfo"},
          QStringList{"--type", "edtQysbh", "ShowCompanyMgrProc"},
          QStringList{"--select", "=9111", "ShowCompanyMgrProc"},
          QStringList{"--press", "a=b", "ShowCompanyMgrProc"},
          QStringList{"ShowCompanyMgrProc", "CZY_DM=0001", "extra"},
          QStringList{"--gbk", "--import", "a.csv"},
          QStringList{"--export", "a.csv", "--import", "b.csv"},
          QStringList{"--export", "a.csv", "InitGlobalCompanyInfo"},
          QStringList{"--import", "a.csv", "--press", "tbtQuery"}}) {
        const CallResult run = Call(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.lines.isEmpty());
        EXPECT_EQ(run.errors.trimmed().count('\n'), 0) << run.errors.toStdString();
    }
}

// Scripts export the listed companies and import a file: the preview's rows
// are printed, a dry run adds nothing.
TEST_F(HostCall, ExportsAndImportsCsvFiles) {
    const QStringList manager = {"--operator", "CZY_DM=0001;CZY_LB=0"};
    const QString exported = dir_.filePath("out.csv");
    const QString head = QStringLiteral("企业ID,纳税人识别号");
    for (const auto& [flag, head] :
         {std::pair<QString, QByteArray>{"", "\xEF\xBB\xBF" + head.toUtf8()},
          std::pair<QString, QByteArray>{"--gbk", QStringEncoder("GB18030").encode(head)}}) {
        QStringList arguments = manager + QStringList{"--export", exported};
        if (!flag.isEmpty()) {
            arguments << flag;
        }
        const CallResult run = Call(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_TRUE(run.lines.contains("messagebox: 已导出1家企业。"))
            << run.lines.join('\n').toStdString();
        QFile file(exported);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith(head)) << flag.toStdString();
        EXPECT_TRUE(bytes.contains(flag.isEmpty() ? QString("北京甲公司").toUtf8()
                                                  : QByteArray("\xB1\xB1\xBE\xA9")))
            << flag.toStdString();
    }

    const QString input = dir_.filePath("in.csv");
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "QYSBH,QYMC,QYDHHM\r\n911100000000000001,甲,\r\n9111NEW,\"乙,丙\",\r\n9111X,丁,x\r\n");
    file.close();
    const QStringList preview = {"preview: 2|911100000000000001|甲||重复",
                                 "preview: 3|9111NEW|乙,丙||新增",
                                 "preview: 4|9111X|丁|x|电话号码无效"};
    const QString first = "row: 1|911100000000000001|北京甲公司|0";
    const struct {
        QStringList flags;
        QStringList rows;
        bool announced;  // the session heard of the new company
    } cases[] = {
        {{"--dry-run"}, {first}, false},
        {{}, {first, "row: 2|9111NEW|乙,丙|0"}, true},
    };
    for (const auto& c : cases) {
        const CallResult run = Call(manager + QStringList{"--import", input} + c.flags);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_EQ(run.lines.filter(QRegularExpression("^preview: ")), preview);
        EXPECT_EQ(run.lines.filter(QRegularExpression("^row: ")), c.rows);
        EXPECT_EQ(run.lines.contains("session: company added 2"), c.announced);
    }
}

// The company manager, driven headless: the lines name what happened in
// order, the rows what the database holds afterwards.
TEST_F(HostCall, DrivesTheCompanyManager) {
    const QStringList manager = {"--operator", "CZY_DM=0001;CZY_LB=0"};
    const QString first = "row: 1|911100000000000001|北京甲公司|0";
    const QString second = "row: 2|911100000000000002|单位|0";
    const QString third = "row: 3|911100000000000003|单位|0";
    const struct {
        const char* name;
        QStringList steps;
        int exitCode;
        QStringList lines;  // expected in this order, others may come between
        QStringList rows;   // every row, in order
        QString error;
    } cases[] = {
        {"add through the dialog",
         {"--press", "actCompanyAdd", "--type", "edtQysbh= 911100000000000009 ", "--type",
          "edtQymc=新单位", "--type", "edtlxdh=010-1", "--press", "sBtnSave"},
         0,
         {"result: page Tfrm_CompanyManage", "window: 1282 ShowCompanyMgrProc|",
          "step: press actCompanyAdd", "dialog: Tfrm_CompanyAdd shown: 企业新增",
          "step: press sBtnSave in Tfrm_CompanyAdd", "dialog: Tfrm_CompanyAdd closed: confirmed",
          "message: 106017 " + HostSetup::MessageText(106017), "session: company added 4",
          "window: 1302 ShowCompanyMgrProc"},
         {first, second, third, "row: 4|911100000000000009|新单位|0"},
         ""},
        {"delete confirmed",
         {"--answer", "106008=1", "--select", "vstCompList=911100000000000002", "--press",
          "actCompanyDel"},
         0,
         {"step: select vstCompList=911100000000000002", "step: press actCompanyDel",
          "message: 106008 " + HostSetup::MessageText(106008).arg("911100000000000002"),
          "session: company removed 2", "message: 106009 " + HostSetup::MessageText(106009)},
         {first, third},
         ""},
        {"delete declined",
         {"--answer", "106008=2", "--select", "vstCompList=911100000000000002", "--press",
          "actCompanyDel"},
         0,
         {"step: press actCompanyDel", "message: 106008 "},
         {first, second, third},
         ""},
        {"a search leaves rows out",
         {"--press", "tbtQuery", "--type", "edtQysbh=0003", "--press", "sBtnFind", "--select",
          "vstCompList=911100000000000002", "--press", "actCompanyDel"},
         2,
         {"step: press sBtnFind",
          "step failed: vstCompList in Tfrm_CompanyManage has no row reading "
          "911100000000000002 (1 rows)"},
         {first, second, third},
         "911100000000000002"},
        {"nothing selected",
         {"--press", "actCompanyDel"},
         2,
         {"step failed: actCompanyDel in Tfrm_CompanyManage is disabled"},
         {first, second, third},
         "disabled"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        Prepare(folder.path(), {"911100000000000002", "911100000000000003"});
        const CallResult run = Run(QStringList{"--app-dir", folder.path()} + manager + c.steps +
                                   QStringList{"ShowCompanyMgrProc"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.errors.toStdString();
        qsizetype at = 0;
        for (const QString& line : c.lines) {
            const auto found =
                std::find_if(run.lines.begin() + at, run.lines.end(),
                             [&line](const QString& printed) { return printed.startsWith(line); });
            EXPECT_NE(found, run.lines.end())
                << c.name << ": no line " << line.toStdString() << " in order in\n"
                << run.lines.join('\n').toStdString();
            if (found == run.lines.end()) {
                break;
            }
            at = found - run.lines.begin() + 1;
        }
        EXPECT_EQ(run.lines.filter(QRegularExpression("^row: ")), c.rows) << c.name;
        if (c.error.isEmpty()) {
            EXPECT_TRUE(run.errors.isEmpty()) << c.name << ": " << run.errors.toStdString();
        } else {
            EXPECT_TRUE(run.errors.contains(c.error)) << c.name << ": " << run.errors.toStdString();
        }
    }
}

// An agency's installation: the agency row and two served companies; company
// 2 is loaded first, which gives the company object its agency manager.
class HostCallAgency : public HostCall {
  protected:
    void SetUp() override {
        HostCall::SetUp();
        QString error;
        ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
        TADOQuery query;
        for (const char* sql :
             {"INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('AGENCY01', '某税务师事务所', 19)",
              "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM, SSDLJGID) VALUES('911100000000000003', "
              "'上海乙公司', 10, 2)",
              "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM, SSDLJGID) VALUES('911100000000000004', "
              "'天津丙公司', 10, 2)"}) {
            ASSERT_TRUE(query.Execute(kMainConnection, sql, error)) << error.toStdString();
        }
        HostSetup::Stop();
    }

    static inline const QStringList kAgency = {"--agency", "--operator", "CZY_DM=0001;CZY_LB=0",
                                               "--company", "3"};
};

TEST_F(HostCallAgency, SwitchWritesTheChosenCompanyBack) {
    const struct {
        const char* pick;
        int exitCode;
        QStringList lines;
    } cases[] = {
        {"2",
         0,
         {"result: true", "param: CZY_DM=0001;CZY_LB=0;QYID=4;QYSBH=911100000000000004",
          "dialog: TfrmAdvSwitchCompay shown with 2 rows; row 2 chosen"}},
        {"0",
         1,
         {"result: false", "param: CZY_DM=0001;CZY_LB=0",
          "dialog: TfrmAdvSwitchCompay shown with 2 rows; cancelled"}},
    };
    for (const auto& c : cases) {
        const CallResult run =
            Call(kAgency +
                 QStringList{"--pick", c.pick, "LoadAdvSwitchCompanyForm", "CZY_DM=0001;CZY_LB=0"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.pick << "\n" << run.errors.toStdString();
        qsizetype at = 0;
        for (const QString& line : c.lines) {
            at = run.lines.indexOf(line, at);
            EXPECT_GE(at, 0) << "--pick " << c.pick << ": no line " << line.toStdString()
                             << " in order in\n"
                             << run.lines.join('\n').toStdString();
            if (at < 0) {
                break;
            }
        }
        // The switch only names the company; loading it is the host's part.
        EXPECT_TRUE(run.lines.contains("company: QYID=3")) << c.pick;
    }
}

// The agency settings page: a blank name is refused and changes nothing; a
// saved one reaches the agency row and the host. The cases run in turn on
// the same folder.
TEST_F(HostCallAgency, AgencySettingsSaveTheName) {
    const QString agencyRow = "row: 2|AGENCY01|%1|19";
    const struct {
        const char* name;
        QString typed;
        QStringList lines;  // in this order
        QString row;
    } cases[] = {
        {"blank",
         " ",
         {"result: page TfrmGljgsz", "step: press tbtnSave", "messagebox: 代理机构名称不能为空！"},
         agencyRow.arg("某税务师事务所")},
        {"saved",
         "新名'称事务所",
         {"result: page TfrmGljgsz", "step: type edtAgentName=新名'称事务所",
          "step: press tbtnSave", "agency: 新名'称事务所"},
         agencyRow.arg("新名'称事务所")},
    };
    for (const auto& c : cases) {
        const CallResult run = Call(kAgency + QStringList{"--type", "edtAgentName=" + c.typed,
                                                          "--press", "tbtnSave", "ShowGljgszProc"});
        EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.errors.toStdString();
        qsizetype at = 0;
        for (const QString& line : c.lines) {
            const auto found =
                std::find_if(run.lines.begin() + at, run.lines.end(),
                             [&line](const QString& printed) { return printed.startsWith(line); });
            EXPECT_NE(found, run.lines.end())
                << c.name << ": no line " << line.toStdString() << " in order in\n"
                << run.lines.join('\n').toStdString();
            if (found == run.lines.end()) {
                break;
            }
            at = found - run.lines.begin() + 1;
        }
        EXPECT_TRUE(run.lines.contains(c.row)) << c.name << "\n"
                                               << run.lines.join('\n').toStdString();
    }
}

// The company information page and dialog, driven by steps; each case on a
// fresh demo folder, whose command configuration lets the phone be edited.
// The rows written are printed one line per table with its non-empty columns.
TEST_F(HostCall, DrivesTheCompanyInformationWindows) {
    const QString saved = "message: 106019 " + HostSetup::MessageText(106019);
    const QString phone = "010-62345678";
    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        QStringList lines;  // line starts expected in this order
        QStringList cells;  // "TABLE: NAME=VALUE" expected in the rows printed
        QStringList absent;
        QString error;
    } cases[] = {
        {"dialog saved",
         {"--type", "edtDhhm=" + phone, "--press", "tbtnSave", "ShowComapnayInfoProc", "1"},
         0,
         {"result: true", "dialog: Tfrm_CompanyInfo shown",
          "step: press tbtnSave in Tfrm_CompanyInfo", saved,
          "dialog: Tfrm_CompanyInfo closed: confirmed"},
         {"XT_QYXX: QYDHHM=" + phone},
         {},
         ""},
        {"dialog closed unsaved",
         {"--type", "edtDhhm=" + phone, "ShowComapnayInfoProc", "1"},
         1,
         {"result: false", "step: type edtDhhm=" + phone,
          "dialog: Tfrm_CompanyInfo closed: cancelled"},
         {"XT_QYXX: QYID=1"},
         {"XT_QYXX: QYDHHM=" + phone, saved},
         ""},
        // An answer for the steps that would keep the dialog open is not the
        // close question's.
        {"dialog closed unsaved whatever the steps' answers",
         {"--answer", "0=3", "--type", "edtDhhm=" + phone, "ShowComapnayInfoProc", "1"},
         1,
         {"result: false", "dialog: Tfrm_CompanyInfo closed: cancelled"},
         {"XT_QYXX: QYID=1"},
         {"XT_QYXX: QYDHHM=" + phone, saved},
         ""},
        {"dialog view only",
         {"--type", "edtDhhm=" + phone, "ShowComapnayInfoProc", "1", "view"},
         2,
         {"result: false", "step failed: edtDhhm in Tfrm_CompanyInfo is disabled"},
         {},
         {"XT_QYXX: QYDHHM=" + phone},
         "disabled"},
        {"page saved",
         {"--type", "edtDhhm=" + phone, "--press", "tbtnSave", "ShowComapnayInfoInnerProc",
          "QYID=1;CLOSEPREV=false;ModalFormMsg=01004-01-16-00-00"},
         0,
         {"result: page Tfrm_CompanyInfoInner", "step: type edtDhhm=" + phone,
          "step: press tbtnSave", saved},
         {"XT_QYXX: QYDHHM=" + phone, "XT_QYGSXX: DHHM=" + phone},
         {},
         ""},
        {"page view only",
         {"--type", "edtDhhm=" + phone, "ShowComapnayInfoInnerProc", "QYID=1;TOVIEW=TRUE"},
         2,
         {"result: page Tfrm_CompanyInfoInner", "step failed: edtDhhm"},
         {},
         {"XT_QYXX: QYDHHM=" + phone},
         "edtDhhm"},
        {"no company id", {"ShowComapnayInfoProc"}, 2, {}, {}, {}, "company id"},
        {"a flag other than view", {"ShowComapnayInfoProc", "1", "edit"}, 2, {}, {}, {}, "view"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        QString error;
        ASSERT_TRUE(MakeDemoFolder(folder.path(), DemoOptions{2, false}, error))
            << error.toStdString();
        const CallResult run = Run(QStringList{"--app-dir", folder.path()} + c.arguments);
        const std::string all = run.lines.join('\n').toStdString();
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.errors.toStdString() << all;
        qsizetype at = 0;
        for (const QString& line : c.lines) {
            const auto found =
                std::find_if(run.lines.begin() + at, run.lines.end(),
                             [&line](const QString& printed) { return printed.startsWith(line); });
            EXPECT_NE(found, run.lines.end())
                << c.name << ": no line " << line.toStdString() << " in order in\n"
                << all;
            if (found == run.lines.end()) {
                break;
            }
            at = found - run.lines.begin() + 1;
        }
        // A cell is found between the "|" of its table's line.
        auto printed = [&run](const QString& cell) {
            const qsizetype colon = cell.indexOf(": ");
            const QString table = cell.left(colon + 2);
            const QString value = cell.mid(colon + 2);
            return std::any_of(run.lines.begin(), run.lines.end(), [&](const QString& line) {
                return line.startsWith(table) && line.mid(table.size()).split('|').contains(value);
            });
        };
        for (const QString& cell : c.cells) {
            EXPECT_TRUE(printed(cell)) << c.name << ": no " << cell.toStdString() << " in\n" << all;
        }
        for (const QString& cell : c.absent) {
            EXPECT_FALSE(printed(cell) || run.lines.contains(cell))
                << c.name << ": " << cell.toStdString() << " in\n"
                << all;
        }
        EXPECT_TRUE(c.error.isEmpty() ? run.errors.isEmpty() : run.errors.contains(c.error))
            << c.name << ": " << run.errors.toStdString();
    }
}

TEST(PageSteps, ParseTheCommandLineForms) {
    const struct {
        TPageStep::Kind kind;
        QString argument;
        bool ok;
        QString name;
        QString text;
    } cases[] = {
        {TPageStep::Press, "tbtQuery", true, "tbtQuery", ""},
        {TPageStep::Press, "", false, "", ""},
        {TPageStep::Press, "edtQysbh=1", false, "", ""},
        {TPageStep::Type, "edtQysbh=9111=2", true, "edtQysbh", "9111=2"},
        {TPageStep::Type, "edtQymc=", true, "edtQymc", ""},
        {TPageStep::Type, "=9111", false, "", ""},
        {TPageStep::Type, "edtQysbh", false, "", ""},
        {TPageStep::Select, "vstCompList=北京甲公司", true, "vstCompList", "北京甲公司"},
    };
    for (const auto& c : cases) {
        TPageStep step;
        QString error;
        EXPECT_EQ(ParsePageStep(c.kind, c.argument, step, error), c.ok) << c.argument.toStdString();
        EXPECT_EQ(error.isEmpty(), c.ok) << c.argument.toStdString();
        if (c.ok) {
            EXPECT_EQ(step.kind, c.kind);
            EXPECT_EQ(step.name, c.name);
            EXPECT_EQ(step.text, c.text);
        }
    }
}

TPageStep MakeStep(TPageStep::Kind kind, const QString& argument) {
    TPageStep step;
    QString error;
    EXPECT_TRUE(ParsePageStep(kind, argument, step, error)) << error.toStdString();
    return step;
}

// A page like the module's: an edit field, a list, a toolbar action, and a
// button whose modal dialog adds a row when confirmed. The page notes what
// its handlers did, in order.
class ScriptPage : public QWidget {
  public:
    ScriptPage() {
        auto* layout = new QVBoxLayout(this);
        auto* toolbar = new QToolBar(this);
        layout->addWidget(toolbar);
        after = new QAction(QStringLiteral("After"), this);
        after->setObjectName("actAfter");
        toolbar->addAction(after);
        connect(after, &QAction::triggered, this, [this] { done << "after"; });
        idle = new QAction(QStringLiteral("Idle"), this);
        idle->setObjectName("actIdle");
        idle->setEnabled(false);
        toolbar->addAction(idle);

        name = new QLineEdit(this);
        name->setObjectName("edtName");
        name->setMaxLength(5);
        layout->addWidget(name);
        locked = new QLineEdit(this);
        locked->setObjectName("edtLocked");
        locked->setReadOnly(true);
        layout->addWidget(locked);
        auto* hidden = new QPushButton(QStringLiteral("Hidden"), this);
        hidden->setObjectName("btnHidden");
        hidden->hide();

        rows = new QStandardItemModel(0, 2, this);
        for (const char* row : {"9111|甲", "9222|乙"}) {
            const QStringList cells = QString::fromUtf8(row).split('|');
            rows->appendRow({new QStandardItem(cells[0]), new QStandardItem(cells[1])});
        }
        list = new QTreeView(this);
        list->setObjectName("vstList");
        list->setModel(rows);
        layout->addWidget(list);

        auto* add = new QPushButton(QStringLiteral("Add"), this);
        add->setObjectName("btnAdd");
        layout->addWidget(add);
        connect(add, &QPushButton::clicked, this, [this] { Add(); });
    }

    void Add() {
        QDialog dialog(this);
        dialog.setWindowTitle(QStringLiteral("新增"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* text = new QLineEdit(&dialog);
        text->setObjectName("edtInDialog");
        layout->addWidget(text);
        auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setObjectName("btnOk");
        layout->addWidget(ok);
        connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        done << "dialog";
        const int result = dialog.exec();
        // Work after the dialog that lets events through: the next step
        // must still wait for it.
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < 50) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (result == QDialog::Accepted) {
            done << "added " + text->text();
        } else {
            done << "not added";
        }
    }

    QStringList done;
    QAction* after;
    QAction* idle;
    QLineEdit* name;
    QLineEdit* locked;
    QStandardItemModel* rows;
    QTreeView* list;
};

struct ScriptRun {
    bool finished = false;
    QString error;
    QStringList lines;
};

ScriptRun RunScript(std::vector<TPageStep> steps, QWidget* page) {
    ScriptRun run;
    PageScript script(
        std::move(steps), [page] { return page; },
        [&run](const QString& line) { run.lines << line; });
    QEventLoop loop;
    script.onFinished = [&loop] { loop.quit(); };
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    script.Start();
    loop.exec();
    run.finished = script.Finished();
    run.error = script.Error();
    return run;
}

// A step runs to its end, even when it lets events through. Steps after one
// that opens a modal dialog go into it; once it closed, the next step waits
// for the press that opened it to return.
TEST(PageSteps, FollowAModalDialogAndComeBack) {
    ScriptPage page;
    page.show();
    TPageStep slow;
    slow.kind = TPageStep::Custom;
    slow.action = [&page](QWidget*, QString&) {
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < 50) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        page.done << "slow";
        return true;
    };
    const ScriptRun run = RunScript(
        {slow, MakeStep(TPageStep::Type, "edtName=abcdefgh"), MakeStep(TPageStep::Press, "btnAdd"),
         MakeStep(TPageStep::Type, "edtInDialog=inside"), MakeStep(TPageStep::Press, "btnOk"),
         MakeStep(TPageStep::Press, "actAfter"), MakeStep(TPageStep::Select, "vstList=乙")},
        &page);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.error.toStdString(), "");
    EXPECT_EQ(page.name->text(), "abcde");  // typed: the maximum length holds
    EXPECT_EQ(page.done, QStringList({"slow", "dialog", "added inside", "after"}));
    EXPECT_EQ(page.list->currentIndex().row(), 1);
    EXPECT_TRUE(page.list->selectionModel()->isRowSelected(1, QModelIndex()));
    EXPECT_EQ(
        run.lines,
        QStringList({"step: type edtName=abcdefgh", "step: press btnAdd",
                     "dialog: QDialog shown: 新增", "step: type edtInDialog=inside in QDialog",
                     "step: press btnOk in QDialog", "dialog: QDialog closed: confirmed",
                     "step: press actAfter", "step: select vstList=乙"}))
        << run.lines.join('\n').toStdString();
}

TEST(PageSteps, ADialogLeftOpenIsCancelled) {
    ScriptPage page;
    page.show();
    const ScriptRun run = RunScript({MakeStep(TPageStep::Press, "btnAdd")}, &page);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(page.done, QStringList({"dialog", "not added"}));
    EXPECT_TRUE(run.lines.contains("dialog: QDialog closed: cancelled"));
}

// A step an operator could not do fails the script; the steps after it are
// not run.
TEST(PageSteps, AStepThatCannotBeDoneStopsTheScript) {
    const struct {
        TPageStep step;
        const char* error;
    } cases[] = {
        {MakeStep(TPageStep::Press, "btnMissing"), "QWidget has no button or action btnMissing"},
        {MakeStep(TPageStep::Press, "btnHidden"), "btnHidden in QWidget is hidden"},
        {MakeStep(TPageStep::Press, "actIdle"), "actIdle in QWidget is disabled"},
        {MakeStep(TPageStep::Type, "edtLocked=x"), "edtLocked in QWidget is read-only"},
        {MakeStep(TPageStep::Type, "btnAdd=x"), "QWidget has no edit field btnAdd"},
        {MakeStep(TPageStep::Select, "vstList=9333"),
         "vstList in QWidget has no row reading 9333 (2 rows)"},
    };
    for (const auto& c : cases) {
        ScriptPage page;
        page.show();
        const ScriptRun run = RunScript({c.step, MakeStep(TPageStep::Press, "actAfter")}, &page);
        ASSERT_TRUE(run.finished) << c.error;
        EXPECT_EQ(run.error.toStdString(), c.error);
        EXPECT_TRUE(page.done.isEmpty()) << c.error;
        EXPECT_EQ(run.lines.value(1).toStdString(), std::string("step failed: ") + c.error);
    }
    const ScriptRun noPage = RunScript({MakeStep(TPageStep::Press, "btnAdd")}, nullptr);
    ASSERT_TRUE(noPage.finished);
    EXPECT_EQ(noPage.error.toStdString(), "no page is shown for press btnAdd");
}

}  // namespace
