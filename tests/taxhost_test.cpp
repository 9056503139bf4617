// The demo host: its main window's answers to the module's messages, and the
// program's demo folder and headless walk-through.
#include <gtest/gtest.h>

#include <QDockWidget>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>

#include "WindowMessage.h"
#include "MainFrame.h"
#include "ModuleApi.h"
#include "TestHost.h"
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

TEST(TaxHostProgram, MakesADemoFolderAndWalksThroughItHeadless) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString app = dir.filePath("app");
    const QString shots = dir.filePath("shots");
    QProcess make;
    make.start(COMPANYMGR_TAXHOST_PATH, {"--make-demo", app, "--companies", "25"});
    ASSERT_TRUE(make.waitForFinished(120000));
    ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(app + "/Data/main.db"));

    QProcess tour;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    tour.setProcessEnvironment(environment);
    tour.start(COMPANYMGR_TAXHOST_PATH, {"--app-dir", app, "--tour", shots});
    ASSERT_TRUE(tour.waitForFinished(120000));
    ASSERT_EQ(tour.exitCode(), 0) << tour.readAllStandardError().toStdString();
    for (const char* name :
         {"01-main-window-before-log-in.png", "02-company-selection.png", "03-main-window.png"}) {
        const QImage image(shots + "/" + name);
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GT(image.width(), 300) << name;
    }

    QProcess again;
    again.start(COMPANYMGR_TAXHOST_PATH, {"--make-demo", app});
    ASSERT_TRUE(again.waitForFinished(60000));
    EXPECT_NE(again.exitCode(), 0);  // a folder in use is not written over
}

}  // namespace
