// The demo host: its main window's answers to the module's messages, and the
// program's demo folder and headless walk-through.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTranslator>

#include "HostApp.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "MainFrame.h"
#include "ModuleApi.h"
#include "TestHost.h"
#include "WindowMessage.h"
#include "f_DataVO.h"

namespace {

using TaxHostFrame = HostTest;

TEST_F(TaxHostFrame, PageStateMessagesMaximiseAndRestoreThePage) {
    ModuleApi module;
    MainFrame frame(module);
    frame.show();
    EXPECT_EQ(frame.objectName(), "Tfrm_MainFrame");
    ASSERT_TRUE(SendHostText(&frame, HostMsg::kPageState, "max"));
    EXPECT_FALSE(frame.menuBar()->isVisible());
    EXPECT_FALSE(frame.statusBar()->isVisible());
    ASSERT_TRUE(SendHostText(&frame, HostMsg::kPageState, "reset"));
    EXPECT_TRUE(frame.menuBar()->isVisible());
    EXPECT_TRUE(frame.statusBar()->isVisible());
}

TEST_F(TaxHostFrame, ModuleNoticesGoToTheHostLog) {
    ModuleApi module;
    MainFrame frame(module);
    SendHostText(&frame, HostMsg::kFormShown, "MSG|123|0|1");
    SendHostMessage(&frame, HostMsg::kHelp);
    SendHostText(&frame, HostMsg::kFormDestroyed, "01004-01-16-00-00");
    const QString log = frame.LogText();
    EXPECT_TRUE(log.contains("MSG|123|0|1"));
    EXPECT_TRUE(log.contains("F1"));
    EXPECT_TRUE(log.contains("01004-01-16-00-00"));
}

TEST_F(TaxHostFrame, StatusBarShowsOperatorAndCompany) {
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0007");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "R01");
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYMC", "北京甲公司");
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYSBH", "9111");
    ModuleApi module;
    MainFrame frame(module);
    QStringList texts;
    for (const QLabel* label : frame.statusBar()->findChildren<QLabel*>()) {
        texts << label->text();
    }
    const QString all = texts.join(' ');
    EXPECT_TRUE(all.contains("0007")) << all.toStdString();
    EXPECT_TRUE(all.contains("R01"));
    EXPECT_TRUE(all.contains("北京甲公司"));
}

TEST(HostPrograms, QtStandardButtonsReadChinese) {
    QTranslator* translator = HostApp::LoadQtTranslations(nullptr);
    ASSERT_NE(translator, nullptr) << "Qt's translations (qt6-translations-l10n) are missing";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    const QString ok = box.button(QMessageBox::Ok)->text();
    const QString cancel = box.button(QMessageBox::Cancel)->text();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(ok.toStdString(), "确定");
    EXPECT_EQ(cancel.toStdString(), "取消");
}

struct ProgramRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// The program on one demo folder, written once for the suite.
class TaxHostProgram : public ::testing::Test {
  protected:
    static constexpr int kCompanies = 25;

    static void SetUpTestSuite() {
        folder_ = new QTemporaryDir;
        const ProgramRun made =
            Start({"--ensure-demo", App(), "--companies", QString::number(kCompanies)});
        ASSERT_EQ(made.exitCode, 0) << made.errors.toStdString();
        EXPECT_EQ(made.lines.join('\n').toStdString(),
                  "demo folder written: " + App().toStdString());
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    static QString App() { return folder_->filePath("app"); }

    static ProgramRun Start(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(COMPANYMGR_TAXHOST_PATH, arguments);
        ProgramRun run;
        if (!process.waitForFinished(120000)) {
            ADD_FAILURE() << "taxhost did not finish";
            return run;
        }
        run.exitCode = process.exitCode();
        run.lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        run.errors = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    static inline QTemporaryDir* folder_ = nullptr;
};

TEST_F(TaxHostProgram, WalksThroughTheDemoHeadless) {
    const QString shots = folder_->filePath("shots");
    const ProgramRun tour = Start({"--app-dir", App(), "--tour", shots});
    ASSERT_EQ(tour.exitCode, 0) << tour.errors.toStdString();
    EXPECT_EQ(tour.errors.toStdString(), "");  // known harmless Qt warnings are not shown
    EXPECT_EQ(tour.lines.value(0).toStdString(),
              "dialog: Tfrm_CompanySelect shown with 25 rows; row 1 chosen");
    for (const char* name :
         {"01-main-window-before-log-in.png", "02-company-selection.png", "03-main-window.png"}) {
        const QImage image(shots + "/" + name);
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GT(image.width(), 300) << name;
    }
}

// An operator code holding ";CZY_LB=0" stays the code: the role operator
// still sees only his role's companies.
TEST_F(TaxHostProgram, OperatorCodeStaysOneValue) {
    QString error;
    ASSERT_TRUE(HostSetup::Start(App(), error)) << error.toStdString();
    const int granted = [] {
        TADOQuery query;
        QString error;
        query.Open(kMainConnection, "select count(*) from QX_PRMSMAP where PRMS_TYPE='10'", error);
        return query.FieldAsString(0).toInt();
    }();
    HostSetup::Stop();
    ASSERT_GT(granted, 1);
    ASSERT_LT(granted, kCompanies);

    const ProgramRun tour = Start({"--app-dir", App(), "--operator", "0001;CZY_LB=0", "--class",
                                   "R01", "--tour", folder_->filePath("role-shots")});
    ASSERT_EQ(tour.exitCode, 0) << tour.errors.toStdString();
    EXPECT_EQ(tour.lines.value(0).toStdString(),
              QString("dialog: Tfrm_CompanySelect shown with %1 rows; row 1 chosen")
                  .arg(granted)
                  .toStdString());
}

TEST_F(TaxHostProgram, KeepsAFinishedDemoFolder) {
    const ProgramRun again =
        Start({"--ensure-demo", App(), "--companies", QString::number(kCompanies)});
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_EQ(again.lines.join('\n').toStdString(),
              "demo folder used as it is: " + App().toStdString());

    const ProgramRun overwrite = Start({"--make-demo", App()});
    EXPECT_EQ(overwrite.exitCode, 1);  // a folder in use is not written over
    EXPECT_TRUE(QFileInfo::exists(App() + "/DemoComplete.ini"));
}

TEST_F(TaxHostProgram, HelpAndUsageErrors) {
    const struct {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{"--help"}, 0},
        {{"--app-dir", folder_->filePath("no-such-folder")}, 2},
        {{"--app-dir", App(), "--companies", "3"}, 2},
        {{"--make-demo", folder_->filePath("a"), "--ensure-demo", folder_->filePath("b")}, 2},
        {{"--ensure-demo", folder_->filePath("c"), "--companies", "many"}, 2},
        {{"--bogus"}, 2},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Start(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode == 0, run.errors.isEmpty()) << run.errors.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder_->filePath("no-such-folder")));
    EXPECT_FALSE(QFileInfo::exists(folder_->filePath("c")));
}

}  // namespace
